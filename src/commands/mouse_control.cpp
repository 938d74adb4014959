#include "commands/mouse_control.h"

namespace tw {

int TMouseControl::X() { return desktop_.mouse().position().x; }
int TMouseControl::Y() { return desktop_.mouse().position().y; }

// The other coordinate stays where the cursor is, so that setting only one moves along one axis.
void TMouseControl::SetX(int x) {
  port::Point where = desktop_.mouse().position();
  where.x = x;
  desktop_.mouse().moveTo(where);
}

void TMouseControl::SetY(int y) {
  port::Point where = desktop_.mouse().position();
  where.y = y;
  desktop_.mouse().moveTo(where);
}

void TMouseControl::MoveTo(port::Point where) { desktop_.mouse().moveTo(where); }

void TMouseControl::MouseDown() {
  desktop_.mouse().press(Button);
  ButtonState = TButtonState::Down;
}

void TMouseControl::MouseUp() {
  desktop_.mouse().release(Button);
  ButtonState = TButtonState::Up;
}

void TMouseControl::MouseClick() {
  MouseDown();
  MouseUp();
}

}  // namespace tw
