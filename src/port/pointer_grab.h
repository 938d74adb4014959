#pragma once
// Keeping the mouse pointer inside one window while the user selects something in it: the pointer cannot leave
// the window, and its moves and buttons are reported to a listener instead of to the windows below it. Events
// arrive while the program serves its event sources (port/event_sources.h), on the program's own thread.

#include <memory>
#include <optional>
#include <string>

#include "port/geometry.h"
#include "port/mouse.h"
#include "port/windows.h"

namespace tw::port {

class PointerListener {
 public:
  virtual ~PointerListener() = default;
  // Positions on the desktop.
  virtual void pointerMoved(Point where) = 0;
  virtual void buttonPressed(MouseButton button, Point where) = 0;
  virtual void buttonReleased(MouseButton button, Point where) = 0;
};

class PointerGrab {
 public:
  virtual ~PointerGrab() = default;
  // A window's own area on the desktop, without the frame the window manager draws around it: where a window of
  // ours is laid to cover it. nullopt when the window no longer exists.
  virtual std::optional<Rect> clientArea(WindowId window) = 0;
  // Confines the pointer to `window` (a shown window of this program) and reports its events to `listener`; the
  // pointer moves into the window when it is outside. False, with the reason in `problem`, when another program
  // holds the pointer or the window is not shown. A grab already held is released first.
  virtual bool confine(WindowId window, PointerListener& listener, std::string& problem) = 0;
  // Frees the pointer; harmless when it is not held. A listener may call it while it is told of an event.
  virtual void releaseGrab() = 0;
  virtual bool held() const = 0;
};

// The pointer of the display named by DISPLAY, on a connection of its own; nullptr without a display, with
// `problem` saying why.
std::unique_ptr<PointerGrab> openPointerGrab(std::string& problem);

}  // namespace tw::port
