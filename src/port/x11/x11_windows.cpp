#include "port/x11/x11_windows.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <set>

#include "port/x11/x11_connection.h"
#include "port/x11/x11_text.h"

namespace tw::port::x11 {
namespace {

constexpr long kSourcePager = 2;  // EWMH source indication: a tool acting for the user
constexpr long kStateRemove = 0;
constexpr long kStateAdd = 1;

// Children bottom to top, as the server keeps them; empty when the window is gone.
std::vector<Window> childrenOf(Display* display, Window window) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, window, &root, &parent, &children, &count)) return {};
  std::vector<Window> out(children, children + count);
  if (children) XFree(children);
  return out;
}

std::optional<Window> parentOf(Display* display, Window window) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, window, &root, &parent, &children, &count)) return std::nullopt;
  if (children) XFree(children);
  return parent;
}

bool hasWmState(X11Connection& x, Window window) {
  return x.longs(window, "WM_STATE", x.atom("WM_STATE")).has_value();
}

// The program's own window inside a window manager's frame: the frame itself or the first window below it that
// the window manager marked with WM_STATE. Without a window manager nothing carries WM_STATE: then the window
// itself.
Window clientOf(X11Connection& x, Window frame) {
  if (hasWmState(x, frame)) return frame;
  std::vector<Window> level = childrenOf(x.display(), frame);
  while (!level.empty()) {
    std::vector<Window> next;
    for (Window child : level) {
      if (hasWmState(x, child)) return child;
      for (Window grandchild : childrenOf(x.display(), child)) next.push_back(grandchild);
    }
    level.swap(next);
  }
  return frame;
}

bool hasAtom(const std::optional<std::vector<unsigned long>>& atoms, Atom wanted) {
  return atoms && std::find(atoms->begin(), atoms->end(), wanted) != atoms->end();
}

struct FrameExtents {
  long left = 0, right = 0, top = 0, bottom = 0;
};

// The topmost child of `parent` shown at (x, y), given in the parent's coordinates, with the position of its inside
// (within its border) in the parent. Input-only windows show nothing; `passOver` says which to leave out.
struct ShownChild {
  Window window = 0;
  int x = 0, y = 0;
};
template <class PassOver>
std::optional<ShownChild> childShownAt(Display* display, Window parent, int x, int y, PassOver passOver) {
  const std::vector<Window> children = childrenOf(display, parent);
  for (auto child = children.rbegin(); child != children.rend(); ++child) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(display, *child, &a) || a.map_state != IsViewable || a.c_class == InputOnly) continue;
    const int border = a.border_width;
    if (x < a.x || y < a.y || x >= a.x + a.width + 2 * border || y >= a.y + a.height + 2 * border) continue;
    if (passOver(*child)) continue;
    return ShownChild{*child, a.x + border, a.y + border};
  }
  return std::nullopt;
}

FrameExtents frameExtents(X11Connection& x, Window window) {
  const auto values = x.longs(window, "_NET_FRAME_EXTENTS", XA_CARDINAL);
  if (!values || values->size() < 4) return {};
  return {static_cast<long>((*values)[0]), static_cast<long>((*values)[1]), static_cast<long>((*values)[2]),
          static_cast<long>((*values)[3])};
}

}  // namespace

std::vector<WindowId> X11Windows::topLevelWindows() {
  std::vector<WindowId> out;
  if (x_.windowManagerRunning()) {
    auto clients = x_.longs(x_.root(), "_NET_CLIENT_LIST_STACKING", XA_WINDOW);
    if (!clients) clients = x_.longs(x_.root(), "_NET_CLIENT_LIST", XA_WINDOW);
    if (clients) {
      out.assign(clients->rbegin(), clients->rend());
      // The window manager lists only the windows it manages; hidden (withdrawn) windows of programs are
      // top-level windows too. An unmapped frame belongs to a listed client and is left out.
      const std::set<WindowId> listed(out.begin(), out.end());
      const std::vector<Window> children = childrenOf(x_.display(), x_.root());
      for (auto child = children.rbegin(); child != children.rend(); ++child) {
        XWindowAttributes attributes;
        if (listed.count(*child) || !XGetWindowAttributes(x_.display(), *child, &attributes) ||
            attributes.c_class == InputOnly || attributes.override_redirect || attributes.map_state != IsUnmapped)
          continue;
        if (!listed.count(clientOf(x_, *child))) out.push_back(*child);
      }
      return out;
    }
  }
  std::vector<Window> frames = childrenOf(x_.display(), x_.root());
  std::set<WindowId> seen;
  for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(x_.display(), *frame, &attributes) || attributes.c_class == InputOnly) continue;
    const WindowId client = clientOf(x_, *frame);
    if (seen.insert(client).second) out.push_back(client);
  }
  return out;
}

std::vector<WindowId> X11Windows::descendants(WindowId window) {
  std::vector<WindowId> out;
  std::vector<Window> children = childrenOf(x_.display(), window);
  for (auto child = children.rbegin(); child != children.rend(); ++child) {
    out.push_back(*child);
    const auto below = descendants(*child);
    out.insert(out.end(), below.begin(), below.end());
  }
  return out;
}

WindowId X11Windows::topLevelOf(WindowId window) {
  const auto tops = topLevelWindows();
  const std::set<WindowId> top(tops.begin(), tops.end());
  Window current = window;
  for (;;) {
    if (top.count(current)) return current;
    const auto parent = parentOf(x_.display(), current);
    if (!parent) return kNoWindow;
    // Not among the listed windows (an override-redirect window, say): its own branch below the root.
    if (*parent == x_.root() || *parent == 0) return current;
    current = *parent;
  }
}

std::string X11Windows::title(WindowId window) {
  const Atom utf8 = x_.atom("UTF8_STRING");
  if (auto name = x_.bytes(window, "_NET_WM_NAME"); name && name->second == utf8) return name->first;
  auto name = x_.bytes(window, "WM_NAME");
  if (!name) return {};
  if (name->second == XA_STRING) return latin1ToUtf8(name->first);
  if (name->second == utf8) return name->first;
  // COMPOUND_TEXT and other encodings: let Xlib convert.
  XTextProperty property{};
  property.value = reinterpret_cast<unsigned char*>(name->first.data());
  property.encoding = name->second;
  property.format = 8;
  property.nitems = name->first.size();
  char** list = nullptr;
  int count = 0;
  std::string text;
  if (Xutf8TextPropertyToTextList(x_.display(), &property, &list, &count) >= Success && count > 0 && list) {
    text = list[0];
  }
  if (list) XFreeStringList(list);
  return text;
}

WindowClass X11Windows::windowClass(WindowId window) {
  XClassHint hint{};
  if (!XGetClassHint(x_.display(), window, &hint)) return {};
  WindowClass result{hint.res_name ? hint.res_name : "", hint.res_class ? hint.res_class : ""};
  if (hint.res_name) XFree(hint.res_name);
  if (hint.res_class) XFree(hint.res_class);
  return result;
}

std::optional<int> X11Windows::processId(WindowId window) {
  const auto pid = x_.longs(window, "_NET_WM_PID", XA_CARDINAL);
  if (!pid || pid->empty()) return std::nullopt;
  return static_cast<int>((*pid)[0]);
}

std::optional<WindowState> X11Windows::state(WindowId window) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(x_.display(), window, &attributes)) return std::nullopt;
  const auto wmState = x_.longs(window, "WM_STATE", x_.atom("WM_STATE"));
  const auto netState = x_.longs(window, "_NET_WM_STATE", XA_ATOM);
  WindowState state;
  state.minimised = (wmState && !wmState->empty() && (*wmState)[0] == IconicState) ||
                    hasAtom(netState, x_.atom("_NET_WM_STATE_HIDDEN"));
  state.maximised = hasAtom(netState, x_.atom("_NET_WM_STATE_MAXIMIZED_VERT")) &&
                    hasAtom(netState, x_.atom("_NET_WM_STATE_MAXIMIZED_HORZ"));
  state.visible = attributes.map_state != IsUnmapped || state.minimised;
  return state;
}

std::optional<Rect> X11Windows::frameRect(WindowId window) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(x_.display(), window, &attributes)) return std::nullopt;
  int x = 0, y = 0;
  Window child = 0;
  if (!XTranslateCoordinates(x_.display(), window, x_.root(), 0, 0, &x, &y, &child)) return std::nullopt;
  const FrameExtents frame = frameExtents(x_, window);
  const int border = attributes.border_width;
  return Rect{static_cast<int>(x - border - frame.left), static_cast<int>(y - border - frame.top),
              static_cast<int>(attributes.width + 2 * border + frame.left + frame.right),
              static_cast<int>(attributes.height + 2 * border + frame.top + frame.bottom)};
}

std::vector<WindowId> X11Windows::windowsAt(const PointQuery& query) {
  Display* display = x_.display();
  const Window passOver = static_cast<Window>(query.passOver);
  const Point p = query.where;
  // The root's children in stacking order are the frames (or, without a window manager, the windows) as the
  // server draws them; the program's own window inside a frame is the one found.
  Window client = 0;
  const auto frame = childShownAt(display, x_.root(), p.x, p.y, [&](Window at) {
    client = at == passOver ? passOver : clientOf(x_, at);
    return client == passOver;
  });
  if (!frame) return {};
  std::vector<WindowId> path{client};
  if (!query.innermost) return path;
  int originX = 0, originY = 0;
  Window ignored = 0;
  if (!XTranslateCoordinates(display, client, x_.root(), 0, 0, &originX, &originY, &ignored)) return path;
  const auto isPassedOver = [&](Window at) { return at == passOver; };
  for (Window parent = client;;) {
    const auto child = childShownAt(display, parent, p.x - originX, p.y - originY, isPassedOver);
    if (!child) break;
    path.push_back(child->window);
    originX += child->x;
    originY += child->y;
    parent = child->window;
  }
  return path;
}

WindowId X11Windows::activeWindow() {
  if (x_.windowManagerSupports("_NET_ACTIVE_WINDOW")) {
    const auto active = x_.longs(x_.root(), "_NET_ACTIVE_WINDOW", XA_WINDOW);
    return active && !active->empty() ? (*active)[0] : kNoWindow;
  }
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(x_.display(), &focus, &revert);
  if (focus == None || focus == PointerRoot) return kNoWindow;
  return topLevelOf(focus);
}

WindowId X11Windows::focusWindow() {
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(x_.display(), &focus, &revert);
  return focus == None || focus == PointerRoot ? kNoWindow : focus;
}

bool X11Windows::exists(WindowId window) {
  XWindowAttributes attributes;
  return window != kNoWindow && XGetWindowAttributes(x_.display(), window, &attributes) != 0;
}

bool X11Windows::sameProgram(WindowId a, WindowId b) {
  if (a == kNoWindow || b == kNoWindow) return false;
  if (x_.sameClient(a, b)) return true;
  // A program with several connections: the process id its windows carry, on the same machine.
  auto owner = [&](Window window) -> std::optional<std::pair<unsigned long, std::string>> {
    for (Window current = window; current && current != x_.root();) {
      if (const auto pid = x_.longs(current, "_NET_WM_PID", XA_CARDINAL); pid && !pid->empty()) {
        const auto machine = x_.bytes(current, "WM_CLIENT_MACHINE");
        return std::pair{(*pid)[0], machine ? machine->first : std::string()};
      }
      const auto parent = parentOf(x_.display(), current);
      if (!parent) break;
      current = *parent;
    }
    return std::nullopt;
  };
  const auto ownerA = owner(a), ownerB = owner(b);
  return ownerA && ownerB && *ownerA == *ownerB;
}

Size X11Windows::desktopSize() {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(x_.display(), x_.root(), &attributes)) return {};
  return {attributes.width, attributes.height};
}

bool X11Windows::setFrameRect(WindowId window, const Rect& frame) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(x_.display(), window, &attributes)) return false;
  const auto current = state(window);
  if (x_.windowManagerSupports("_NET_MOVERESIZE_WINDOW")) {
    // The window manager places the frame's corner at (x, y) for north-west gravity and gives the client
    // the size inside the frame.
    const FrameExtents extents = frameExtents(x_, window);
    const long width = std::max(1L, frame.width - extents.left - extents.right);
    const long height = std::max(1L, frame.height - extents.top - extents.bottom);
    const long flags = NorthWestGravity | (0xfL << 8) | (kSourcePager << 12);
    if (!x_.sendToRoot(window, "_NET_MOVERESIZE_WINDOW", {flags, frame.left, frame.top, width, height})) return false;
  } else {
    const int border = attributes.border_width;
    ErrorTrap trap(x_.display());
    XMoveResizeWindow(x_.display(), window, frame.left, frame.top,
                      static_cast<unsigned>(std::max(1, frame.width - 2 * border)),
                      static_cast<unsigned>(std::max(1, frame.height - 2 * border)));
    if (trap.failed()) return false;
  }
  if (current && !current->visible) {
    ErrorTrap trap(x_.display());
    XMapWindow(x_.display(), window);
    if (trap.failed()) return false;
  }
  return true;
}

bool X11Windows::activate(WindowId requested) {
  const WindowId window = topLevelOf(requested);
  if (window == kNoWindow) return false;
  if (x_.windowManagerSupports("_NET_ACTIVE_WINDOW")) {
    // A window on another virtual desktop: go there first (0xffffffff marks a window shown on all of them).
    const auto onDesktop = x_.longs(window, "_NET_WM_DESKTOP", XA_CARDINAL);
    const auto current = x_.longs(x_.root(), "_NET_CURRENT_DESKTOP", XA_CARDINAL);
    if (onDesktop && !onDesktop->empty() && current && !current->empty() && (*onDesktop)[0] != 0xffffffffUL &&
        (*onDesktop)[0] != (*current)[0] && x_.windowManagerSupports("_NET_CURRENT_DESKTOP")) {
      x_.sendToRoot(x_.root(), "_NET_CURRENT_DESKTOP",
                    {static_cast<long>((*onDesktop)[0]), static_cast<long>(x_.serverTime())});
    }
    const long time = static_cast<long>(x_.serverTime());
    return x_.sendToRoot(window, "_NET_ACTIVE_WINDOW",
                         {kSourcePager, time, static_cast<long>(activeWindow())});
  }
  ErrorTrap trap(x_.display());
  XMapRaised(x_.display(), window);
  XSetInputFocus(x_.display(), window, RevertToParent, CurrentTime);
  return !trap.failed();
}

bool X11Windows::close(WindowId requested) {
  const WindowId window = topLevelOf(requested);
  if (window == kNoWindow) return false;
  Atom* protocols = nullptr;
  int count = 0;
  bool polite = false;
  if (XGetWMProtocols(x_.display(), window, &protocols, &count)) {
    polite = std::find(protocols, protocols + count, x_.atom("WM_DELETE_WINDOW")) != protocols + count;
    XFree(protocols);
  }
  ErrorTrap trap(x_.display());
  if (polite) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = x_.atom("WM_PROTOCOLS");
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(x_.atom("WM_DELETE_WINDOW"));
    event.xclient.data.l[1] = static_cast<long>(x_.serverTime());
    XSendEvent(x_.display(), window, False, NoEventMask, &event);
  } else {
    // The program cannot be asked; destroying this one window leaves its other windows (and the program) alone,
    // where killing its connection would end all of them.
    XDestroyWindow(x_.display(), window);
  }
  return !trap.failed();
}

bool X11Windows::minimise(WindowId requested) {
  const WindowId window = topLevelOf(requested);
  // Only a window manager can keep a window as an icon.
  if (window == kNoWindow || !x_.windowManagerRunning()) return false;
  ErrorTrap trap(x_.display());
  const Status sent = XIconifyWindow(x_.display(), window, DefaultScreen(x_.display()));
  return !trap.failed() && sent != 0;
}

bool X11Windows::maximise(WindowId requested) {
  const WindowId window = topLevelOf(requested);
  if (window == kNoWindow || !x_.windowManagerSupports("_NET_WM_STATE")) return false;
  const auto current = state(window);
  if (current && current->minimised) {
    ErrorTrap trap(x_.display());
    XMapWindow(x_.display(), window);
    if (trap.failed()) return false;
  }
  return x_.sendToRoot(window, "_NET_WM_STATE",
                       {kStateAdd, static_cast<long>(x_.atom("_NET_WM_STATE_MAXIMIZED_VERT")),
                        static_cast<long>(x_.atom("_NET_WM_STATE_MAXIMIZED_HORZ")), kSourcePager});
}

bool X11Windows::restore(WindowId requested) {
  const WindowId window = topLevelOf(requested);
  const auto current = state(window);
  if (window == kNoWindow || !current) return false;
  if (current->minimised || !current->visible) {
    // Mapping an iconic window asks the window manager to bring it back in its former state.
    ErrorTrap trap(x_.display());
    XMapWindow(x_.display(), window);
    return !trap.failed();
  }
  if (!current->maximised) return true;
  return x_.sendToRoot(window, "_NET_WM_STATE",
                       {kStateRemove, static_cast<long>(x_.atom("_NET_WM_STATE_MAXIMIZED_VERT")),
                        static_cast<long>(x_.atom("_NET_WM_STATE_MAXIMIZED_HORZ")), kSourcePager});
}

}  // namespace tw::port::x11
