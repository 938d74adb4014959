#include <cstdlib>

#include "port/desktop.h"
#include "port/no_display_desktop.h"
#include "port/x11/x11_desktop.h"

namespace tw::port {

std::unique_ptr<Desktop> openDesktop() {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return std::make_unique<NoDisplayDesktop>("DISPLAY is not set");
  std::string problem;
  if (auto desktop = x11::X11Desktop::open(display, problem)) return desktop;
  return std::make_unique<NoDisplayDesktop>(problem);
}

}  // namespace tw::port
