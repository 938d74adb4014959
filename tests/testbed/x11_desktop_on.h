#pragma once
// The program's X11 desktop on a test bed's private display; a test cannot go on without it.

#include <memory>
#include <stdexcept>
#include <string>

#include "port/x11/x11_desktop.h"
#include "test_bed.h"

namespace tw::testbed {

inline std::unique_ptr<port::x11::X11Desktop> OpenDesktopOn(const TestBed& bed) {
  std::string problem;
  auto desktop = port::x11::X11Desktop::open(bed.display(), problem);
  if (!desktop) throw std::runtime_error(problem);
  return desktop;
}

}  // namespace tw::testbed
