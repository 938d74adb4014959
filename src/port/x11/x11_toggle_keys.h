#pragma once
// Caps Lock, Num Lock and Scroll Lock through the X Keyboard Extension's lock state and indicators.

#include "port/toggle_keys.h"

namespace tw::port::x11 {

class X11Connection;

class X11ToggleKeys final : public ToggleKeys {
 public:
  explicit X11ToggleKeys(X11Connection& connection) : x_(connection) {}
  std::optional<bool> isOn(ToggleKey key) override;
  bool set(ToggleKey key, bool on) override;

 private:
  X11Connection& x_;
};

}  // namespace tw::port::x11
