#pragma once
// The pointer: its position from the server, motion and buttons through the XTEST extension.

#include "port/mouse.h"

namespace tw::port::x11 {

class X11Connection;

class X11Pointer final : public MouseInjector {
 public:
  explicit X11Pointer(X11Connection& connection) : x_(connection) {}
  Point position() override;
  bool moveTo(Point where) override;
  bool press(MouseButton button) override;
  bool release(MouseButton button) override;

 private:
  bool button(MouseButton button, bool down);
  X11Connection& x_;
};

}  // namespace tw::port::x11
