#pragma once
// Windows of an X display, through ICCCM and EWMH properties and requests to the window manager.

#include "port/windows.h"

namespace tw::port::x11 {

class X11Connection;

class X11Windows final : public WindowService {
 public:
  explicit X11Windows(X11Connection& connection) : x_(connection) {}

  std::vector<WindowId> topLevelWindows() override;
  std::vector<WindowId> descendants(WindowId window) override;
  WindowId topLevelOf(WindowId window) override;
  std::string title(WindowId window) override;
  WindowClass windowClass(WindowId window) override;
  std::optional<int> processId(WindowId window) override;
  std::optional<WindowState> state(WindowId window) override;
  std::optional<Rect> frameRect(WindowId window) override;
  std::vector<WindowId> windowsAt(const PointQuery& query) override;
  WindowId activeWindow() override;
  WindowId focusWindow() override;
  bool sameProgram(WindowId a, WindowId b) override;
  bool exists(WindowId window) override;
  Size desktopSize() override;
  bool setFrameRect(WindowId window, const Rect& frame) override;
  bool activate(WindowId window) override;
  bool close(WindowId window) override;
  bool minimise(WindowId window) override;
  bool maximise(WindowId window) override;
  bool restore(WindowId window) override;

 private:
  X11Connection& x_;
};

}  // namespace tw::port::x11
