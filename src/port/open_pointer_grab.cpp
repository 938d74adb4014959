#include <cstdlib>

#include "port/pointer_grab.h"
#include "port/x11/x11_pointer_grab.h"

namespace tw::port {

std::unique_ptr<PointerGrab> openPointerGrab(std::string& problem) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) {
    problem = "DISPLAY is not set";
    return nullptr;
  }
  return x11::X11PointerGrab::open(display, problem);
}

}  // namespace tw::port
