#pragma once
// The mouse pointer: where it is, moving it, and synthetic button presses at its position.

#include "port/geometry.h"

namespace tw::port {

enum class MouseButton { Left, Middle, Right };

class MouseInjector {
 public:
  virtual ~MouseInjector() = default;

  virtual Point position() = 0;
  virtual bool moveTo(Point where) = 0;
  virtual bool press(MouseButton button) = 0;
  virtual bool release(MouseButton button) = 0;
};

}  // namespace tw::port
