#include "x_probe.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <stdexcept>

namespace tw::testbed {
namespace {

int ignoreErrors(Display*, XErrorEvent*) { return 0; }

bool accessRefused = false;
int noteRefusal(Display*, XErrorEvent* error) {
  if (error->error_code == BadAccess) accessRefused = true;
  return 0;
}

std::vector<Window> childrenOf(Display* display, Window window) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, window, &root, &parent, &children, &count)) return {};
  std::vector<Window> out(children, children + count);
  if (children) XFree(children);
  return out;
}

}  // namespace

XProbe::XProbe(const std::string& display) : display_(XOpenDisplay(display.c_str())) {
  if (!display_) throw std::runtime_error("the probe cannot open display " + display);
  // Windows come and go while the probe looks at them.
  XSetErrorHandler(ignoreErrors);
  int opcode = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
  XkbQueryExtension(display_, &opcode, &xkbEventBase_, &error, &major, &minor);
}

XProbe::~XProbe() { XCloseDisplay(display_); }

unsigned long XProbe::atom(const char* name) { return XInternAtom(display_, name, False); }

std::string XProbe::atomName(unsigned long value) {
  char* name = XGetAtomName(display_, value);
  std::string out = name ? name : "";
  if (name) XFree(name);
  return out;
}

std::optional<std::vector<unsigned long>> XProbe::longs(unsigned long window, const char* property,
                                                        unsigned long type) {
  Atom actual = 0;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display_, window, atom(property), 0, 4096, False, type, &actual, &format, &count,
                         &remaining, &data) != Success ||
      actual != type || format != 32) {
    if (data) XFree(data);
    return std::nullopt;
  }
  const auto* items = reinterpret_cast<const unsigned long*>(data);
  std::vector<unsigned long> out(items, items + count);
  XFree(data);
  return out;
}

std::optional<WindowFacts> XProbe::facts(unsigned long window) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display_, window, &attributes)) return std::nullopt;
  WindowFacts facts;
  facts.id = window;
  facts.viewable = attributes.map_state == IsViewable;
  facts.managed = wmState(window).has_value();
  Atom actual = 0;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display_, window, atom("_NET_WM_NAME"), 0, 4096, False, atom("UTF8_STRING"), &actual,
                         &format, &count, &remaining, &data) == Success &&
      data && actual == atom("UTF8_STRING")) {
    facts.title.assign(reinterpret_cast<const char*>(data), count);
  } else {
    char* name = nullptr;
    if (XFetchName(display_, window, &name) && name) facts.title = name;
    if (name) XFree(name);
  }
  if (data) XFree(data);
  XClassHint hint{};
  if (XGetClassHint(display_, window, &hint)) {
    facts.instance = hint.res_name ? hint.res_name : "";
    facts.className = hint.res_class ? hint.res_class : "";
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
  }
  if (auto pid = longs(window, "_NET_WM_PID", XA_CARDINAL); pid && !pid->empty())
    facts.pid = static_cast<int>((*pid)[0]);
  return facts;
}

std::vector<WindowFacts> XProbe::allWindows() {
  std::vector<WindowFacts> out;
  std::vector<Window> pending = childrenOf(display_, DefaultRootWindow(display_));
  while (!pending.empty()) {
    const Window window = pending.back();
    pending.pop_back();
    if (auto f = facts(window)) out.push_back(*f);
    for (Window child : childrenOf(display_, window)) pending.push_back(child);
  }
  return out;
}

bool XProbe::exists(unsigned long window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(display_, window, &attributes) != 0;
}

std::vector<std::string> XProbe::netWmState(unsigned long window) {
  std::vector<std::string> names;
  if (auto atoms = longs(window, "_NET_WM_STATE", XA_ATOM))
    for (unsigned long a : *atoms) names.push_back(atomName(a));
  return names;
}

bool XProbe::hasNetWmState(unsigned long window, const std::string& name) {
  const auto names = netWmState(window);
  return std::find(names.begin(), names.end(), name) != names.end();
}

std::optional<long> XProbe::wmState(unsigned long window) {
  auto state = longs(window, "WM_STATE", atom("WM_STATE"));
  if (!state || state->empty()) return std::nullopt;
  return static_cast<long>((*state)[0]);
}

unsigned long XProbe::activeWindow() {
  auto active = longs(DefaultRootWindow(display_), "_NET_ACTIVE_WINDOW", XA_WINDOW);
  return active && !active->empty() ? (*active)[0] : 0;
}

unsigned long XProbe::inputFocus() {
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(display_, &focus, &revert);
  return focus;
}

std::optional<std::pair<int, int>> XProbe::rootPosition(unsigned long window) {
  int x = 0, y = 0;
  Window child = 0;
  if (!XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y, &child))
    return std::nullopt;
  return std::pair{x, y};
}

std::pair<int, int> XProbe::pointer() {
  Window root = 0, child = 0;
  int rootX = 0, rootY = 0, x = 0, y = 0;
  unsigned int mask = 0;
  XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rootX, &rootY, &x, &y, &mask);
  return {rootX, rootY};
}

std::pair<int, int> XProbe::screenSize() {
  return {DisplayWidth(display_, DefaultScreen(display_)), DisplayHeight(display_, DefaultScreen(display_))};
}

std::string XProbe::windowManagerName() {
  const auto check = longs(DefaultRootWindow(display_), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
  if (!check || check->empty()) return {};
  const auto self = longs((*check)[0], "_NET_SUPPORTING_WM_CHECK", XA_WINDOW);
  if (!self || self->empty() || (*self)[0] != (*check)[0]) return {};
  // The window manager owns the selection WM_S<screen> while it manages the screen.
  const std::string selection = "WM_S" + std::to_string(DefaultScreen(display_));
  if (XGetSelectionOwner(display_, atom(selection.c_str())) == None) return {};
  const auto f = facts((*check)[0]);
  return f && !f->title.empty() ? f->title : "unnamed";
}

unsigned XProbe::lockedModifiers() {
  XkbStateRec state{};
  XkbGetState(display_, XkbUseCoreKbd, &state);
  return state.locked_mods;
}

std::optional<bool> XProbe::indicator(const std::string& name) {
  Bool on = False;
  if (!XkbGetNamedIndicator(display_, atom(name.c_str()), nullptr, &on, nullptr, nullptr)) return std::nullopt;
  return on == True;
}

unsigned XProbe::modifierMaskFor(unsigned long keysym) { return XkbKeysymToModifiers(display_, keysym); }

bool XProbe::keyboardGrabbed() {
  const int status =
      XGrabKeyboard(display_, DefaultRootWindow(display_), False, GrabModeAsync, GrabModeAsync, CurrentTime);
  if (status == GrabSuccess) XUngrabKeyboard(display_, CurrentTime);
  XSync(display_, False);
  return status == AlreadyGrabbed;
}

bool XProbe::keyGrabbedElsewhere(unsigned long keysym, unsigned modifiers) {
  // The mapping as the server has it now, not as this connection last cached it.
  int minimum = 0, maximum = 0, perCode = 0;
  XDisplayKeycodes(display_, &minimum, &maximum);
  KeySym* map = XGetKeyboardMapping(display_, static_cast<KeyCode>(minimum), maximum - minimum + 1, &perCode);
  if (!map) return false;
  bool refused = false;
  const Window root = DefaultRootWindow(display_);
  for (int code = minimum; code <= maximum && !refused; ++code) {
    const KeySym* row = map + (code - minimum) * perCode;
    if (std::find(row, row + perCode, static_cast<KeySym>(keysym)) == row + perCode) continue;
    XSync(display_, False);
    accessRefused = false;
    XSetErrorHandler(noteRefusal);
    XGrabKey(display_, code, modifiers, root, False, GrabModeAsync, GrabModeAsync);
    XSync(display_, False);
    XSetErrorHandler(ignoreErrors);
    refused = accessRefused;
    if (!refused) XUngrabKey(display_, code, modifiers, root);
  }
  XFree(map);
  XSync(display_, False);
  return refused;
}

void XProbe::watchBells() {
  XkbSelectEvents(display_, XkbUseCoreKbd, XkbBellNotifyMask, XkbBellNotifyMask);
  XSync(display_, False);
  bells_.clear();
}

void XProbe::readEvents() {
  XSync(display_, False);
  while (XPending(display_)) {
    XEvent event;
    XNextEvent(display_, &event);
    if (event.type == ClientMessage && event.xclient.message_type == atom("WM_PROTOCOLS") &&
        static_cast<unsigned long>(event.xclient.data.l[0]) == atom("WM_DELETE_WINDOW")) {
      deleteRequests_.push_back(event.xclient.window);
    } else if (event.type == xkbEventBase_) {
      const auto* xkb = reinterpret_cast<const XkbEvent*>(&event);
      if (xkb->any.xkb_type == XkbBellNotify)
        bells_.push_back(xkb->bell.name == None ? std::string() : atomName(xkb->bell.name));
    }
  }
}

std::vector<std::string> XProbe::bellsRung() {
  readEvents();
  return bells_;
}

void XProbe::destroyWindow(unsigned long window) {
  XDestroyWindow(display_, window);
  XSync(display_, False);
}

void XProbe::setTitles(unsigned long window, const std::string& latin1Name,
                       const std::optional<std::string>& utf8Name) {
  XChangeProperty(display_, window, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(latin1Name.data()), static_cast<int>(latin1Name.size()));
  if (utf8Name)
    XChangeProperty(display_, window, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8Name->data()), static_cast<int>(utf8Name->size()));
  else
    XDeleteProperty(display_, window, atom("_NET_WM_NAME"));
  XSync(display_, False);
}

bool XProbe::deleteRequested(unsigned long window) {
  readEvents();
  return std::find(deleteRequests_.begin(), deleteRequests_.end(), window) != deleteRequests_.end();
}

unsigned long XProbe::createWindow(const std::string& title, bool takesDeleteRequests) {
  const int screen = DefaultScreen(display_);
  const Window window = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 50, 50, 200, 100, 0,
                                            BlackPixel(display_, screen), WhitePixel(display_, screen));
  XStoreName(display_, window, title.c_str());
  XClassHint hint{const_cast<char*>("probe"), const_cast<char*>("Probe")};
  XSetClassHint(display_, window, &hint);
  if (takesDeleteRequests) {
    Atom deleteWindow = atom("WM_DELETE_WINDOW");
    XSetWMProtocols(display_, window, &deleteWindow, 1);
  }
  XMapWindow(display_, window);
  XSync(display_, False);
  return window;
}

}  // namespace tw::testbed
