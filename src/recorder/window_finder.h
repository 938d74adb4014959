#pragma once
// What the window finders find under the mouse, without any widget: the window-picker pointer's window (its
// title, class and id) and the overlay's titled window inside a program's window, with its rectangle. Only what
// the user sees counts: the topmost top-level window at the point and the windows inside it, never a window
// hidden below, however small.

#include <optional>
#include <string>

#include "port/geometry.h"
#include "port/windows.h"

namespace tw {

struct FoundWindow {
  std::string title;        // at most 200 characters
  std::string windowClass;  // the class name ("XTerm"), else the instance
  port::WindowId handle = port::kNoWindow;
  friend bool operator==(const FoundWindow&, const FoundWindow&) = default;
};

// Follows the picker pointer while it is dragged.
class WindowPointerTracker {
 public:
  enum class Over { Nothing, OwnWindow, Window };

  // `ownWindow`: the top-level window holding the pointer; `wantChild`: the innermost window at the point
  // instead of the top-level one.
  WindowPointerTracker(port::WindowService& windows, port::WindowId ownWindow, bool wantChild)
      : windows_(windows), own_(ownWindow), wantChild_(wantChild) {}

  // Over another window: it becomes the found one. Over our own window: nothing is found any more. Over no
  // window at all: the found window stays.
  Over Track(port::Point where);
  const FoundWindow& Found() const { return found_; }

 private:
  port::WindowService& windows_;
  port::WindowId own_;
  bool wantChild_;
  FoundWindow found_;
};

// A titled window inside a program's window, as the overlay finds it; nothing found is the empty record, both
// texts empty and every number -9999.
struct TWindowInfo {
  std::string parentTitle;  // the top-level window's title, at most 100 characters
  std::string title;        // at most 100 characters
  int left = -9999, top = -9999, width = -9999, height = -9999;
  friend bool operator==(const TWindowInfo&, const TWindowInfo&) = default;
};

// The innermost window with a title at the point, inside the topmost top-level window there that has a title
// (the top-level window itself does not count); `overlay` is passed over. Nothing when there is none.
std::optional<TWindowInfo> TitledWindowAt(port::WindowService& windows, port::Point where, port::WindowId overlay);

// A click position as LocateClickPosition gives it: relative to the window's top-left corner when there is a
// window, else on the screen.
port::Point ClickPositionIn(port::Point click, const std::optional<port::Rect>& window);

}  // namespace tw
