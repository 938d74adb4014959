#pragma once
// The pointer confined to a window by a pointer grab on a connection of its own: the server then keeps the
// pointer inside the window and sends its moves and buttons to that connection alone, which the program's event
// loop serves as an event source.

#include <X11/Xlib.h>

#include <memory>
#include <string>

#include "port/event_sources.h"
#include "port/pointer_grab.h"

namespace tw::port::x11 {

class X11PointerGrab final : public PointerGrab, public EventSource {
 public:
  // nullptr, with `problem` saying why, when the display cannot be opened.
  static std::unique_ptr<X11PointerGrab> open(const std::string& displayName, std::string& problem);
  ~X11PointerGrab() override;
  X11PointerGrab(const X11PointerGrab&) = delete;
  X11PointerGrab& operator=(const X11PointerGrab&) = delete;

  std::optional<Rect> clientArea(WindowId window) override;
  bool confine(WindowId window, PointerListener& listener, std::string& problem) override;
  void releaseGrab() override;
  bool held() const override { return listener_ != nullptr; }

  int eventDescriptor() const override;
  void serveEvents() override;

 private:
  explicit X11PointerGrab(Display* display) : display_(display) {}
  Display* display_;
  PointerListener* listener_ = nullptr;
};

}  // namespace tw::port::x11
