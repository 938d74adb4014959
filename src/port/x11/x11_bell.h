#pragma once
// Alert sounds through the X bell; each alert rings the bell under its own name, which a desktop's sound
// theme may play as a distinct sound.

#include "port/sound.h"

namespace tw::port::x11 {

class X11Connection;

class X11Bell final : public Bell {
 public:
  explicit X11Bell(X11Connection& connection) : x_(connection) {}
  bool ring(Alert alert) override;

 private:
  X11Connection& x_;
};

}  // namespace tw::port::x11
