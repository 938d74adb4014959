#pragma once
// Scriptable windows for unit tests.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "port/fake/fake_log.h"
#include "port/windows.h"

namespace tw::port::fake {

struct FakeWindow {
  std::string title;
  WindowClass windowClass{};
  Rect frame{0, 0, 640, 480};
  WindowState state{true, false, false};
  std::optional<int> processId{};
  // How many activation requests fail before one succeeds; -1: the window can never be activated.
  int refusedActivations = 0;
};

class FakeWindows final : public WindowService {
 public:
  explicit FakeWindows(ActionLog& log) : log_(log) {}

  // A new top-level window, placed on top of the others.
  WindowId add(FakeWindow window);
  // A new child, placed in front of `parent`'s other children.
  WindowId addChild(WindowId parent, FakeWindow window);
  // The window's data, for a test to change as the program would; throws std::out_of_range for an unknown id.
  FakeWindow& at(WindowId window);
  bool exists(WindowId window) override { return windows_.count(window) != 0; }
  // The window (and its children) disappears, as when its program ends.
  void remove(WindowId window);
  void setActive(WindowId window) { active_ = window; }
  void setDesktopSize(Size size) { desktop_ = size; }
  // How often the top-level windows were listed: one per window search.
  int listings() const { return listings_; }

  std::vector<WindowId> topLevelWindows() override;
  std::vector<WindowId> descendants(WindowId window) override;
  WindowId topLevelOf(WindowId window) override;
  std::string title(WindowId window) override;
  WindowClass windowClass(WindowId window) override;
  std::optional<int> processId(WindowId window) override;
  std::optional<WindowState> state(WindowId window) override;
  std::optional<Rect> frameRect(WindowId window) override;
  std::vector<WindowId> windowsAt(const PointQuery& query) override;
  WindowId activeWindow() override { return active_; }
  // The active window has the focus; the fake has no focus inside windows.
  WindowId focusWindow() override { return active_; }
  // Windows under one top-level window, or windows with the same process id.
  bool sameProgram(WindowId a, WindowId b) override;
  Size desktopSize() override { return desktop_; }
  bool setFrameRect(WindowId window, const Rect& frame) override;
  bool activate(WindowId window) override;
  bool close(WindowId window) override;
  bool minimise(WindowId window) override;
  bool maximise(WindowId window) override;
  bool restore(WindowId window) override;

 private:
  struct Entry {
    FakeWindow data;
    WindowId parent = kNoWindow;
    std::vector<WindowId> children;  // topmost first
    bool wasMaximised = false;       // state to return to when restored from minimised
  };
  FakeWindow* find(WindowId window);
  void record(const std::string& action, WindowId window);
  void collect(WindowId window, std::vector<WindowId>& out) const;
  // The first of `windows` that shows at the point.
  WindowId shownAt(const std::vector<WindowId>& windows, Point where, WindowId passOver) const;

  ActionLog& log_;
  std::map<WindowId, Entry> windows_;
  std::vector<WindowId> topLevel_;  // topmost first
  WindowId next_ = 1;
  WindowId active_ = kNoWindow;
  int listings_ = 0;
  Size desktop_{1280, 1024};
};

}  // namespace tw::port::fake
