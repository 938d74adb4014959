#include "port/x11/x11_pointer.h"

#include <X11/extensions/XTest.h>

#include "port/x11/x11_connection.h"

namespace tw::port::x11 {

Point X11Pointer::position() {
  Window root = 0, child = 0;
  int rootX = 0, rootY = 0, x = 0, y = 0;
  unsigned int mask = 0;
  XQueryPointer(x_.display(), x_.root(), &root, &child, &rootX, &rootY, &x, &y, &mask);
  return {rootX, rootY};
}

bool X11Pointer::moveTo(Point where) {
  ErrorTrap trap(x_.display());
  XTestFakeMotionEvent(x_.display(), DefaultScreen(x_.display()), where.x, where.y, CurrentTime);
  return !trap.failed();
}

bool X11Pointer::button(MouseButton which, bool down) {
  const unsigned number = which == MouseButton::Left ? 1 : which == MouseButton::Middle ? 2 : 3;
  ErrorTrap trap(x_.display());
  XTestFakeButtonEvent(x_.display(), number, down ? True : False, CurrentTime);
  return !trap.failed();
}

bool X11Pointer::press(MouseButton which) { return button(which, true); }

bool X11Pointer::release(MouseButton which) { return button(which, false); }

}  // namespace tw::port::x11
