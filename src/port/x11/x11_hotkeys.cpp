#include "port/x11/x11_hotkeys.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>
#include <sys/epoll.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

#include "port/x11/x11_connection.h"

namespace tw::port::x11 {
namespace {

// How often keys held down are looked at until they are up again.
constexpr int kHeldKeyPollMs = 20;

bool addToEpoll(int epoll, int descriptor) {
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.fd = descriptor;
  return ::epoll_ctl(epoll, EPOLL_CTL_ADD, descriptor, &event) == 0;
}

// Every key code whose row of the keyboard mapping (all groups and levels) holds the key.
std::vector<unsigned> keycodesCarrying(Display* display, KeySym key) {
  int minimum = 0, maximum = 0;
  XDisplayKeycodes(display, &minimum, &maximum);
  int perCode = 0;
  ::KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(minimum), maximum - minimum + 1, &perCode);
  std::vector<unsigned> codes;
  if (!map) return codes;
  for (int code = minimum; code <= maximum; ++code) {
    const ::KeySym* row = map + (code - minimum) * perCode;
    if (std::find(row, row + perCode, static_cast<::KeySym>(key)) != row + perCode)
      codes.push_back(static_cast<unsigned>(code));
  }
  XFree(map);
  return codes;
}

}  // namespace

std::unique_ptr<X11HotKeys> X11HotKeys::open(const std::string& displayName, std::string& problem) {
  auto connection = X11Connection::open(displayName);
  if (!connection) {
    problem = "cannot open display " + displayName;
    return nullptr;
  }
  Display* display = connection->display();
  int opcode = 0, event = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
  if (!XkbQueryExtension(display, &opcode, &event, &error, &major, &minor)) {
    problem = "display " + displayName + " has no X Keyboard Extension";
    return nullptr;
  }
  // A key held down repeats as presses without releases in between, so a held combination is one press.
  Bool detectable = False;
  XkbSetDetectableAutoRepeat(display, True, &detectable);
  // A new layout (setxkbmap) or a changed key map moves keys: the grabs follow.
  XkbSelectEvents(display, XkbUseCoreKbd, XkbNewKeyboardNotifyMask | XkbMapNotifyMask,
                  XkbNewKeyboardNotifyMask | XkbMapNotifyMask);
  const int events = ::epoll_create1(EPOLL_CLOEXEC);
  const int timer = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  if (events < 0 || timer < 0 || !addToEpoll(events, ConnectionNumber(display)) || !addToEpoll(events, timer)) {
    if (events >= 0) ::close(events);
    if (timer >= 0) ::close(timer);
    problem = "cannot watch the display's events";
    return nullptr;
  }
  problem.clear();
  return std::unique_ptr<X11HotKeys>(new X11HotKeys(std::move(connection), event, events, timer));
}

X11HotKeys::X11HotKeys(std::unique_ptr<X11Connection> connection, int xkbEventBase, int events, int timer)
    : x_(std::move(connection)), xkbEventBase_(xkbEventBase), events_(events), timer_(timer) {
  readModifiers();
}

X11HotKeys::~X11HotKeys() {
  for (auto& [id, grab] : grabs_) drop(grab);
  XSync(x_->display(), False);
  ::close(timer_);
  ::close(events_);
}

void X11HotKeys::readModifiers() {
  Display* display = x_->display();
  altMask_ = XkbKeysymToModifiers(display, XK_Alt_L);
  if (!altMask_) altMask_ = XkbKeysymToModifiers(display, XK_Meta_L);
  superMask_ = XkbKeysymToModifiers(display, XK_Super_L);
  // Scroll Lock locks a modifier only where the map makes it one (xmodmap); then it must not stop a hotkey.
  std::vector<unsigned> locks{LockMask};
  for (::KeySym lock : {XK_Num_Lock, XK_Scroll_Lock})
    if (const unsigned mask = XkbKeysymToModifiers(display, lock); mask && mask != LockMask) locks.push_back(mask);
  lockMixes_.assign(1, 0);
  for (unsigned lock : locks) {
    const std::size_t count = lockMixes_.size();
    for (std::size_t i = 0; i < count; ++i)
      if (!(lockMixes_[i] & lock)) lockMixes_.push_back(lockMixes_[i] | lock);
  }
}

bool X11HotKeys::take(Grab& grab) {
  grab.held = false;
  const KeyCombination& wanted = grab.combination;
  if (wanted.key == keys::kNone) return false;
  unsigned modifiers = 0;
  if (wanted.modifiers & kShiftModifier) modifiers |= ShiftMask;
  if (wanted.modifiers & kControlModifier) modifiers |= ControlMask;
  if (wanted.modifiers & kAltModifier) modifiers |= altMask_;
  if (wanted.modifiers & kSuperModifier) modifiers |= superMask_;
  // A modifier the keyboard does not have cannot be pressed.
  if (((wanted.modifiers & kAltModifier) && !altMask_) || ((wanted.modifiers & kSuperModifier) && !superMask_))
    return false;
  Display* display = x_->display();
  grab.keycodes = keycodesCarrying(display, wanted.key);
  grab.modifiers = modifiers;
  if (grab.keycodes.empty()) return false;
  bool refused = false;
  {
    ErrorTrap trap(display);
    for (unsigned keycode : grab.keycodes)
      for (unsigned locks : lockMixes_)
        XGrabKey(display, static_cast<int>(keycode), modifiers | locks, x_->root(), False, GrabModeAsync,
                 GrabModeAsync);
    refused = trap.failed();
  }
  if (refused) {
    // Held by another program (BadAccess): hold none of it, so that the other program keeps it whole.
    grab.held = true;
    drop(grab);
    XSync(display, False);
    wakeIfQueued();
    return false;
  }
  grab.held = true;
  wakeIfQueued();
  return true;
}

void X11HotKeys::drop(Grab& grab) {
  if (!grab.held) return;
  Display* display = x_->display();
  for (unsigned keycode : grab.keycodes)
    for (unsigned locks : lockMixes_) XUngrabKey(display, static_cast<int>(keycode), grab.modifiers | locks, x_->root());
  grab.held = false;
}

bool X11HotKeys::grab(int id, const KeyCombination& combination) {
  release(id);
  Grab& grab = grabs_[id];
  grab.combination = combination;
  return take(grab);
}

void X11HotKeys::release(int id) {
  auto found = grabs_.find(id);
  if (found == grabs_.end()) return;
  drop(found->second);
  grabs_.erase(found);
  XFlush(x_->display());
}

void X11HotKeys::takeAllAgain() {
  // Ungrab with the old key codes and lock modifiers, then grab with the new ones.
  for (auto& [id, grab] : grabs_) drop(grab);
  readModifiers();
  for (auto& [id, grab] : grabs_) take(grab);
}

void X11HotKeys::press(unsigned keycode, unsigned state, std::vector<int>& presses) {
  // A repeat of a key still held down is no new press.
  if (!downKeys_.insert(keycode).second) return;
  const unsigned relevant = ShiftMask | ControlMask | altMask_ | superMask_;
  for (const auto& [id, grab] : grabs_) {
    if (!grab.held || (state & relevant) != grab.modifiers) continue;
    if (std::find(grab.keycodes.begin(), grab.keycodes.end(), keycode) != grab.keycodes.end()) presses.push_back(id);
  }
}

std::vector<int> X11HotKeys::takePresses() {
  std::uint64_t expirations = 0;
  [[maybe_unused]] const ssize_t read = ::read(timer_, &expirations, sizeof expirations);
  Display* display = x_->display();
  std::vector<int> presses;
  bool remap = false;
  while (XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == KeyPress) {
      // The grab made us the keyboard's owner until the key is up: give it back now, or the keys a script
      // types would come to us instead of the window it types into.
      XUngrabKeyboard(display, event.xkey.time);
      press(event.xkey.keycode, event.xkey.state, presses);
    } else if (event.type == KeyRelease) {
      downKeys_.erase(event.xkey.keycode);
    } else if (event.type == MappingNotify) {
      XRefreshKeyboardMapping(&event.xmapping);
      remap = remap || event.xmapping.request != MappingPointer;
    } else if (event.type == xkbEventBase_) {
      const auto& xkb = reinterpret_cast<const XkbAnyEvent&>(event);
      remap = remap || xkb.xkb_type == XkbNewKeyboardNotify || xkb.xkb_type == XkbMapNotify;
    }
  }
  XFlush(display);
  if (remap) takeAllAgain();
  forgetReleasedKeys();
  return presses;
}

void X11HotKeys::forgetReleasedKeys() {
  if (!downKeys_.empty()) {
    // After the keyboard went back to the focused window its releases no longer reach us: look.
    char keymap[32] = {};
    XQueryKeymap(x_->display(), keymap);
    std::erase_if(downKeys_, [&](unsigned keycode) { return !(keymap[keycode / 8] & (1 << (keycode % 8))); });
  }
  wakeAfter(downKeys_.empty() ? -1 : kHeldKeyPollMs);
  wakeIfQueued();
}

bool X11HotKeys::modifiersHeld() {
  XkbStateRec state{};
  const bool read = XkbGetState(x_->display(), XkbUseCoreKbd, &state) == Success;
  wakeIfQueued();
  return read && (state.base_mods & (ShiftMask | ControlMask | altMask_ | superMask_)) != 0;
}

void X11HotKeys::wakeAfter(int delay) {
  itimerspec when{};
  if (delay >= 0) {
    // A zero value would disarm the timer: a nanosecond is "at once".
    when.it_value.tv_sec = delay / 1000;
    when.it_value.tv_nsec = delay > 0 ? static_cast<long>(delay % 1000) * 1000000L : 1;
  }
  ::timerfd_settime(timer_, 0, &when, nullptr);
}

void X11HotKeys::wakeIfQueued() {
  // Replies read by our own requests may bring events into Xlib's queue without the connection becoming
  // readable again: wake the watcher so that they are served.
  if (XQLength(x_->display()) > 0) wakeAfter(0);
}

}  // namespace tw::port::x11
