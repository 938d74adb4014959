#include "port/x11/x11_bell.h"

#include <X11/XKBlib.h>

#include "port/x11/x11_connection.h"

namespace tw::port::x11 {

bool X11Bell::ring(Alert alert) {
  static const char* const names[] = {"bell", "dialog-information", "dialog-warning", "dialog-error",
                                      "dialog-question"};
  Display* display = x_.display();
  ErrorTrap trap(display);
  if (!XkbBell(display, None, 0, x_.atom(names[static_cast<int>(alert)]))) XBell(display, 0);
  return !trap.failed();
}

}  // namespace tw::port::x11
