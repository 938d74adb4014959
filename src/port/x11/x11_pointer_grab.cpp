#include "port/x11/x11_pointer_grab.h"

#include <optional>

#include "port/x11/x11_connection.h"

namespace tw::port::x11 {

namespace {

std::optional<MouseButton> ButtonOf(unsigned int button) {
  switch (button) {
    case Button1: return MouseButton::Left;
    case Button2: return MouseButton::Middle;
    case Button3: return MouseButton::Right;
    default: return std::nullopt;  // the wheel
  }
}

std::string GrabProblem(int status) {
  switch (status) {
    case AlreadyGrabbed: return "another program holds the pointer";
    case GrabNotViewable: return "the window is not shown";
    case GrabFrozen: return "the pointer is frozen by another program";
    default: return "the pointer cannot be grabbed";
  }
}

}  // namespace

std::unique_ptr<X11PointerGrab> X11PointerGrab::open(const std::string& displayName, std::string& problem) {
  Display* display = XOpenDisplay(displayName.c_str());
  if (!display) {
    problem = "cannot open display " + displayName;
    return nullptr;
  }
  return std::unique_ptr<X11PointerGrab>(new X11PointerGrab(display));
}

X11PointerGrab::~X11PointerGrab() {
  releaseGrab();
  XCloseDisplay(display_);
}

std::optional<Rect> X11PointerGrab::clientArea(WindowId window) {
  ErrorTrap trap(display_);
  XWindowAttributes attributes;
  int x = 0, y = 0;
  Window child = 0;
  const auto target = static_cast<Window>(window);
  if (!XGetWindowAttributes(display_, target, &attributes) ||
      !XTranslateCoordinates(display_, target, DefaultRootWindow(display_), 0, 0, &x, &y, &child) || trap.failed())
    return std::nullopt;
  return Rect{x, y, attributes.width, attributes.height};
}

bool X11PointerGrab::confine(WindowId window, PointerListener& listener, std::string& problem) {
  releaseGrab();
  const auto target = static_cast<Window>(window);
  // Not the owner's events: every pointer event comes to this connection, reported on the window.
  const int status = XGrabPointer(display_, target, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                                  GrabModeAsync, GrabModeAsync, target, None, CurrentTime);
  if (status != GrabSuccess) {
    problem = GrabProblem(status);
    return false;
  }
  XFlush(display_);
  listener_ = &listener;
  AddEventSource(*this);
  return true;
}

void X11PointerGrab::releaseGrab() {
  if (!listener_) return;
  RemoveEventSource(*this);
  listener_ = nullptr;
  XUngrabPointer(display_, CurrentTime);
  XFlush(display_);
  // What came before the release is no longer anyone's.
  XSync(display_, True);
}

int X11PointerGrab::eventDescriptor() const { return listener_ ? ConnectionNumber(display_) : -1; }

void X11PointerGrab::serveEvents() {
  // The listener may release the grab at any event.
  while (listener_ && XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    switch (event.type) {
      case MotionNotify: listener_->pointerMoved({event.xmotion.x_root, event.xmotion.y_root}); break;
      case ButtonPress:
      case ButtonRelease:
        if (const auto button = ButtonOf(event.xbutton.button)) {
          const Point where{event.xbutton.x_root, event.xbutton.y_root};
          if (event.type == ButtonPress)
            listener_->buttonPressed(*button, where);
          else
            listener_->buttonReleased(*button, where);
        }
        break;
      default: break;
    }
  }
}

}  // namespace tw::port::x11
