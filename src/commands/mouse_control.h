#pragma once
// TMouseControl: the library's cursor mover and button injector.
//
// X and Y read the cursor where it is now; writing either moves the cursor along that axis at once. Button is the button that MouseDown, MouseUp and MouseClick press; it stays selected
// until changed, across runs on the same interpreter.

#include "port/desktop.h"

namespace tw {

class TMouseControl {
 public:
  enum class TButtonState { Up, Down };

  explicit TMouseControl(port::Desktop& desktop) : desktop_(desktop) {}

  int X();
  int Y();
  void SetX(int x);
  void SetY(int y);
  // Both coordinates in one move.
  void MoveTo(port::Point where);

  port::MouseButton Button = port::MouseButton::Left;
  TButtonState ButtonState = TButtonState::Up;

  // At the cursor's current position, with Button.
  void MouseDown();
  void MouseUp();
  void MouseClick();

 private:
  port::Desktop& desktop_;
};

}  // namespace tw
