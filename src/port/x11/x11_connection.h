#pragma once
// One connection to an X server, shared by the X11 services: atoms, property reads, error trapping and
// what the running window manager supports. Internal to the X11 backend (it brings in Xlib).

#include <X11/Xlib.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tw::port::x11 {

class X11Connection {
 public:
  // nullptr when the display cannot be opened.
  static std::unique_ptr<X11Connection> open(const std::string& displayName);
  ~X11Connection();
  X11Connection(const X11Connection&) = delete;
  X11Connection& operator=(const X11Connection&) = delete;

  Display* display() const { return display_; }
  Window root() const { return root_; }
  Atom atom(const char* name);

  // A window manager that follows the EWMH conventions runs on the display.
  bool windowManagerRunning();
  // The running window manager lists `hint` (e.g. "_NET_ACTIVE_WINDOW") as supported.
  bool windowManagerSupports(const char* hint);
  // A current server timestamp, for requests that want one.
  Time serverTime();

  // 32-bit items of a property (CARDINAL, WINDOW, ATOM...); nullopt when the property is absent.
  std::optional<std::vector<unsigned long>> longs(Window window, const char* property, Atom type);
  // A property's bytes and type; nullopt when absent.
  std::optional<std::pair<std::string, Atom>> bytes(Window window, const char* property);

  // Both resources were made by one client connection (one program's, usually): the server gives each
  // connection a range of resource ids of its own.
  bool sameClient(XID a, XID b) const;

  // Sends an EWMH request about `window` to the root window, as a pager would.
  bool sendToRoot(Window window, const char* message, std::initializer_list<long> data);

 private:
  explicit X11Connection(Display* display);
  Display* display_;
  Window root_;
  Window timeWindow_ = 0;
  std::map<std::string, Atom> atoms_;
};

// Catches the X errors of the requests made while it lives, instead of letting Xlib end the program.
class ErrorTrap {
 public:
  explicit ErrorTrap(Display* display);
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;
  // Waits until the server has handled every request so far; true when any of this connection's failed.
  bool failed();

 private:
  Display* display_;
  unsigned long firstError_;
};

}  // namespace tw::port::x11
