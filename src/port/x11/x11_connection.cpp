#include "port/x11/x11_connection.h"

#include <X11/Xatom.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>

// Last, for its min and max macros: the display's resource id mask is only declared here.
#include <X11/Xlibint.h>
#undef min
#undef max

namespace tw::port::x11 {
namespace {

// Windows come and go between a query and the next request, so an X error is an ordinary result here.
// Xlib's own handler would end the program. Errors are counted per connection: the clipboard serves its
// connection from a thread of its own, and its errors must not show in a trap on the main thread's.
std::mutex errorCountsLock;
std::map<const Display*, unsigned long>& errorCounts() {
  static std::map<const Display*, unsigned long> counts;
  return counts;
}

unsigned long errorsOf(const Display* display) {
  const std::lock_guard lock(errorCountsLock);
  const auto found = errorCounts().find(display);
  return found == errorCounts().end() ? 0 : found->second;
}

int countError(Display* display, XErrorEvent*) {
  const std::lock_guard lock(errorCountsLock);
  ++errorCounts()[display];
  return 0;
}

// The display went away (the server ended, the connection broke). Xlib cannot go on after this, and
// several threads may meet it at once, each on its own connection: the first says so and ends the process
// with status 1; the others wait for that instead of running exit handlers alongside it.
int onDisplayLost(Display* display) {
  static std::atomic_flag reported = ATOMIC_FLAG_INIT;
  if (reported.test_and_set()) {
    for (;;) ::pause();
  }
  char message[512];
  const char* name = display ? DisplayString(display) : "";
  const int length = std::snprintf(message, sizeof message, "%s: lost the connection to the display %s\n",
                                   program_invocation_short_name, name ? name : "");
  if (length > 0) {
    const auto written = ::write(STDERR_FILENO, message, std::min<std::size_t>(static_cast<std::size_t>(length), sizeof message - 1));
    (void)written;
  }
  ::_exit(1);
}

void installErrorHandler() {
  XSetErrorHandler(countError);
  XSetIOErrorHandler(onDisplayLost);
}

}  // namespace

// The handler is process-wide and other code may set its own, so the trap puts ours in place. It stays
// after the trap: putting the previous one back races with a trap on another thread, and could leave
// Xlib's default, which ends the program, in place while that trap still waits for its errors.
ErrorTrap::ErrorTrap(Display* display) : display_(display) {
  XSync(display_, False);
  XSetErrorHandler(countError);
  firstError_ = errorsOf(display_);
}

bool ErrorTrap::failed() {
  XSync(display_, False);
  return errorsOf(display_) != firstError_;
}

std::unique_ptr<X11Connection> X11Connection::open(const std::string& displayName) {
  // The clipboard serves its own connection from a thread of its own.
  XInitThreads();
  installErrorHandler();
  Display* display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
  if (!display) return nullptr;
  return std::unique_ptr<X11Connection>(new X11Connection(display));
}

X11Connection::X11Connection(Display* display) : display_(display), root_(DefaultRootWindow(display)) {}

X11Connection::~X11Connection() {
  if (timeWindow_) XDestroyWindow(display_, timeWindow_);
  XCloseDisplay(display_);
  const std::lock_guard lock(errorCountsLock);
  errorCounts().erase(display_);
}

Atom X11Connection::atom(const char* name) {
  auto found = atoms_.find(name);
  if (found != atoms_.end()) return found->second;
  const Atom value = XInternAtom(display_, name, False);
  atoms_.emplace(name, value);
  return value;
}

std::optional<std::vector<unsigned long>> X11Connection::longs(Window window, const char* property, Atom type) {
  Atom actualType = 0;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(display_, window, atom(property), 0, 1 << 16, False, type, &actualType,
                                        &format, &count, &remaining, &data);
  if (status != Success || actualType != type || format != 32) {
    if (data) XFree(data);
    return std::nullopt;
  }
  // Xlib hands out 32-bit items as longs, whatever the size of long.
  const auto* items = reinterpret_cast<const unsigned long*>(data);
  std::vector<unsigned long> values(items, items + count);
  XFree(data);
  return values;
}

std::optional<std::pair<std::string, Atom>> X11Connection::bytes(Window window, const char* property) {
  Atom actualType = 0;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(display_, window, atom(property), 0, 1 << 16, False, AnyPropertyType,
                                        &actualType, &format, &count, &remaining, &data);
  if (status != Success || actualType == None || format != 8) {
    if (data) XFree(data);
    return std::nullopt;
  }
  std::pair<std::string, Atom> result{std::string(reinterpret_cast<const char*>(data), count), actualType};
  XFree(data);
  return result;
}

bool X11Connection::windowManagerRunning() {
  const auto check = longs(root_, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
  if (!check || check->empty()) return false;
  // A window manager that crashed leaves the property behind; its check window then no longer points to itself.
  const auto self = longs((*check)[0], "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
  return self && !self->empty() && (*self)[0] == (*check)[0];
}

bool X11Connection::windowManagerSupports(const char* hint) {
  if (!windowManagerRunning()) return false;
  const auto supported = longs(root_, "_NET_SUPPORTED", XA_ATOM);
  if (!supported) return false;
  const Atom wanted = atom(hint);
  for (unsigned long value : *supported)
    if (value == wanted) return true;
  return false;
}

Time X11Connection::serverTime() {
  if (!timeWindow_) {
    XSetWindowAttributes attributes{};
    attributes.event_mask = PropertyChangeMask;
    timeWindow_ = XCreateWindow(display_, root_, -10, -10, 1, 1, 0, CopyFromParent, InputOnly, CopyFromParent,
                                CWEventMask, &attributes);
  }
  const Atom stamp = atom("TW_TIMESTAMP");
  XChangeProperty(display_, timeWindow_, stamp, XA_CARDINAL, 32, PropModeAppend, nullptr, 0);
  XEvent event;
  XWindowEvent(display_, timeWindow_, PropertyChangeMask, &event);
  return event.xproperty.time;
}

bool X11Connection::sameClient(XID a, XID b) const {
  // The mask of the id bits a client chooses itself is the same for every client of a server.
  const XID mask = display_->resource_mask;
  return (a & ~mask) == (b & ~mask);
}

bool X11Connection::sendToRoot(Window window, const char* message, std::initializer_list<long> data) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = atom(message);
  event.xclient.format = 32;
  int i = 0;
  for (long value : data) {
    if (i == 5) break;
    event.xclient.data.l[i++] = value;
  }
  ErrorTrap trap(display_);
  XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
  return !trap.failed();
}

}  // namespace tw::port::x11
