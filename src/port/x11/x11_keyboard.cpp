#include "port/x11/x11_keyboard.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>

#include "port/x11/x11_connection.h"

namespace tw::port::x11 {
namespace {

// How many spare key codes typeCharacter() uses in turn for characters the layout lacks.
constexpr std::size_t kBorrowedLimit = 8;

unsigned keycodeFor(Display* display, KeySym key) { return XKeysymToKeycode(display, key); }

}  // namespace

X11Keyboard::~X11Keyboard() {
  Display* display = x_.display();
  for (const auto& slot : borrowed_) {
    ::KeySym empty[2] = {NoSymbol, NoSymbol};
    XChangeKeyboardMapping(display, static_cast<int>(slot.keycode), 2, empty, 1);
  }
  XSync(display, False);
}

bool X11Keyboard::send(unsigned keycode, bool down) {
  if (keycode == 0) return false;
  // A key event on a key the server knows cannot fail, and any error still reaches the connection's
  // handler: flushing instead of waiting for every event keeps typing fast. The server handles the
  // events of one connection in order.
  XTestFakeKeyEvent(x_.display(), keycode, down ? True : False, CurrentTime);
  XFlush(x_.display());
  return true;
}

bool X11Keyboard::pressKey(KeySym key) { return send(keycodeFor(x_.display(), key), true); }

bool X11Keyboard::releaseKey(KeySym key) { return send(keycodeFor(x_.display(), key), false); }

std::optional<KeyStroke> X11Keyboard::strokeFor(char32_t c) {
  const KeySym wanted = keysymForCharacter(c);
  if (wanted == keys::kNone) return std::nullopt;
  Display* display = x_.display();
  int minimum = 0, maximum = 0;
  XDisplayKeycodes(display, &minimum, &maximum);
  // Levels of the first group: 0 plain, 1 Shift, 2 AltGr, 3 Shift+AltGr.
  for (int level = 0; level < 4; ++level) {
    for (int code = minimum; code <= maximum; ++code) {
      const auto keycode = static_cast<KeyCode>(code);
      if (XkbKeycodeToKeysym(display, keycode, 0, level) != wanted) continue;
      if (std::any_of(borrowed_.begin(), borrowed_.end(), [&](const Borrowed& b) { return b.keycode == static_cast<unsigned>(code); }))
        continue;
      const auto base = static_cast<KeySym>(XkbKeycodeToKeysym(display, keycode, 0, 0));
      return KeyStroke{base, (level & 1) != 0, (level & 2) != 0};
    }
  }
  return std::nullopt;
}

unsigned X11Keyboard::borrowKeycode(KeySym key) {
  for (auto slot = borrowed_.begin(); slot != borrowed_.end(); ++slot) {
    if (slot->key != key) continue;
    const Borrowed reused = *slot;
    borrowed_.erase(slot);
    borrowed_.push_back(reused);
    return reused.keycode;
  }
  Display* display = x_.display();
  unsigned keycode = 0;
  if (borrowed_.size() >= kBorrowedLimit) {
    keycode = borrowed_.front().keycode;
    borrowed_.erase(borrowed_.begin());
  } else {
    int minimum = 0, maximum = 0;
    XDisplayKeycodes(display, &minimum, &maximum);
    int perCode = 0;
    ::KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(minimum), maximum - minimum + 1, &perCode);
    if (!map) return 0;
    // The highest key code without any symbol; the keyboard has no key there.
    for (int code = maximum; code >= minimum && keycode == 0; --code) {
      const ::KeySym* syms = map + (code - minimum) * perCode;
      const bool empty = std::all_of(syms, syms + perCode, [](::KeySym s) { return s == NoSymbol; });
      const bool taken =
          std::any_of(borrowed_.begin(), borrowed_.end(), [&](const Borrowed& b) { return b.keycode == static_cast<unsigned>(code); });
      if (empty && !taken) keycode = static_cast<unsigned>(code);
    }
    XFree(map);
    if (keycode == 0) return 0;
  }
  ::KeySym syms[2] = {key, key};
  ErrorTrap trap(display);
  XChangeKeyboardMapping(display, static_cast<int>(keycode), 2, syms, 1);
  if (trap.failed()) return 0;
  borrowed_.push_back({keycode, key});
  return keycode;
}

bool X11Keyboard::typeCharacter(char32_t c) {
  Display* display = x_.display();
  if (const auto stroke = strokeFor(c)) {
    const unsigned key = keycodeFor(display, stroke->key);
    const unsigned shift = keycodeFor(display, XK_Shift_L);
    const unsigned altGr = keycodeFor(display, XK_ISO_Level3_Shift);
    if (key == 0 || (stroke->shift && shift == 0) || (stroke->altGr && altGr == 0)) return false;
    bool ok = true;
    if (stroke->shift) ok = send(shift, true) && ok;
    if (stroke->altGr) ok = send(altGr, true) && ok;
    ok = send(key, true) && ok;
    ok = send(key, false) && ok;
    if (stroke->altGr) ok = send(altGr, false) && ok;
    if (stroke->shift) ok = send(shift, false) && ok;
    return ok;
  }
  const KeySym key = keysymForCharacter(c);
  if (key == keys::kNone) return false;
  const unsigned keycode = borrowKeycode(key);
  return keycode != 0 && send(keycode, true) && send(keycode, false);
}

}  // namespace tw::port::x11
