#include <cstdlib>

#include "port/hotkeys.h"
#include "port/x11/x11_hotkeys.h"

namespace tw::port {

std::unique_ptr<HotKeys> openHotKeys(std::string& problem) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) {
    problem = "DISPLAY is not set";
    return nullptr;
  }
  return x11::X11HotKeys::open(display, problem);
}

}  // namespace tw::port
