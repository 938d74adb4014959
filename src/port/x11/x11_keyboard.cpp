#include "port/x11/x11_keyboard.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <set>

#include "port/x11/x11_connection.h"

namespace tw::port::x11 {
namespace {

// How long typing waits for a program to read the presses of lent keys before it lends them again. Past
// this the program is stuck, and typing goes on rather than hang.
constexpr auto kRotationPatience = std::chrono::seconds(5);
// How long the end of this object waits for readers when nobody asked before.
constexpr auto kLastPatience = std::chrono::milliseconds(500);

unsigned keycodeOf(Display* display, KeySym key) { return XKeysymToKeycode(display, key); }

}  // namespace

X11Keyboard::X11Keyboard(X11Connection& connection) : x_(connection), readers_(connection) {}

X11Keyboard::~X11Keyboard() {
  releaseAll();
  finish(kLastPatience);
}

bool X11Keyboard::send(unsigned keycode, bool down) {
  if (keycode == 0) return false;
  // A key event on a key the server knows cannot fail, and any error still reaches the connection's
  // handler: flushing instead of waiting for every event keeps typing fast. The server handles the
  // events of one connection in order.
  XTestFakeKeyEvent(x_.display(), keycode, down ? True : False, CurrentTime);
  XFlush(x_.display());
  ++events_;
  lastKey_ = Clock::now();
  const auto held = std::find(pressed_.begin(), pressed_.end(), keycode);
  if (down && held == pressed_.end()) pressed_.push_back(keycode);
  if (!down && held != pressed_.end()) pressed_.erase(held);
  return true;
}

namespace {
bool isShortcutModifier(KeySym key) { return key == keys::kControl || key == keys::kAlt; }
}  // namespace

bool X11Keyboard::pressKey(KeySym key) {
  if (isShortcutModifier(key) && shortcutDepth_++ == 0) {
    // A shortcut may open a window of the program (^s a save dialog): watch for one from now on.
    readers_.watchRoot(true);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(x_.display(), &focus, &revert);
    shortcutFocus_ = focus == PointerRoot ? None : focus;
  }
  return send(keycodeOf(x_.display(), key), true);
}

bool X11Keyboard::releaseKey(KeySym key) {
  const bool sent = send(keycodeOf(x_.display(), key), false);
  if (isShortcutModifier(key) && shortcutDepth_ > 0 && --shortcutDepth_ == 0) settleShortcut();
  return sent;
}

void X11Keyboard::settleShortcut() {
  // The keys after a shortcut belong where the shortcut leads: when it made the program open a window,
  // wait until the focus has gone there, as a person would, instead of typing into the window below it.
  constexpr auto kPatience = std::chrono::seconds(2);
  if (shortcutFocus_ != None) {
    readers_.noteFocus();
    const std::uint64_t sent = events_;
    auto outcome = readers_.waitUntilRead(Clock::now() + kPatience, lastKey_, waitHook);
    // Some toolkits (Qt) read a key in one turn of their event loop and act on it in the next: a second
    // round trip is answered only after the shortcut's action has run.
    if (outcome == X11KeyReaders::Outcome::Read) {
      readers_.noteFocus();
      outcome = readers_.waitUntilRead(Clock::now() + kPatience, lastKey_, waitHook);
    }
    if (outcome == X11KeyReaders::Outcome::Read) readUpTo_ = std::max(readUpTo_, sent);
    // Even that answer may come before the action when the toolkit reads events and runs their actions in
    // separate sources of its loop: a program on this machine has acted once its event loop sleeps.
    if (outcome == X11KeyReaders::Outcome::Read)
      outcome = readers_.waitUntilIdle(shortcutFocus_, Clock::now() + kPatience, waitHook);
    if (outcome != X11KeyReaders::Outcome::Ended && readers_.windowCreatedBy(shortcutFocus_) != None)
      readers_.waitForFocusAway(shortcutFocus_, Clock::now() + kPatience, waitHook);
  }
  readers_.watchRoot(false);
}

void X11Keyboard::releaseAll() {
  // Newest first, so that a modifier goes up after the keys pressed under it.
  while (!pressed_.empty()) send(pressed_.back(), false);
  if (shortcutDepth_ > 0) {
    shortcutDepth_ = 0;
    readers_.watchRoot(false);
  }
  XFlush(x_.display());
}

std::optional<KeyStroke> X11Keyboard::strokeFor(char32_t c) {
  const KeySym wanted = keysymForCharacter(c);
  if (wanted == keys::kNone) return std::nullopt;
  if (auto known = strokes_.find(wanted); known != strokes_.end()) return known->second;
  Display* display = x_.display();
  int minimum = 0, maximum = 0;
  XDisplayKeycodes(display, &minimum, &maximum);
  std::optional<KeyStroke> found;
  // Levels of the first group: 0 plain, 1 Shift, 2 AltGr, 3 Shift+AltGr. Lent keys are not the layout's.
  for (int level = 0; level < 4 && !found; ++level) {
    for (int code = minimum; code <= maximum; ++code) {
      const auto keycode = static_cast<KeyCode>(code);
      if (XkbKeycodeToKeysym(display, keycode, 0, level) != wanted) continue;
      if (std::any_of(lent_.begin(), lent_.end(), [&](const Lent& l) { return l.keycode == keycode; })) continue;
      const auto base = static_cast<KeySym>(XkbKeycodeToKeysym(display, keycode, 0, 0));
      found = KeyStroke{base, (level & 1) != 0, (level & 2) != 0};
      break;
    }
  }
  strokes_.emplace(wanted, found);
  return found;
}

void X11Keyboard::prepare(std::u32string_view upcoming) {
  // The layout may have changed since the last text (setxkbmap, another keyboard).
  strokes_.clear();
  upcoming_.clear();
  next_ = 0;
  for (char32_t c : upcoming) {
    if (strokeFor(c)) continue;
    const KeySym key = keysymForCharacter(c);
    if (key != keys::kNone) upcoming_.push_back(key);
  }
  // Lend keys for the text before its first key goes out, so that ideally no mapping changes while it is typed.
  if (!upcoming_.empty() && keycodeFor(upcoming_.front()) == 0) lendAhead(upcoming_.front());
}

void X11Keyboard::findUnusedKeycodes() {
  if (searchedUnused_) return;
  searchedUnused_ = true;
  Display* display = x_.display();
  int minimum = 0, maximum = 0;
  XDisplayKeycodes(display, &minimum, &maximum);
  int perCode = 0;
  ::KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(minimum), maximum - minimum + 1, &perCode);
  if (!map) return;
  // A key code without any symbol is one the keyboard has no key for.
  for (int code = minimum; code <= maximum; ++code) {
    const ::KeySym* syms = map + (code - minimum) * perCode;
    if (std::all_of(syms, syms + perCode, [](::KeySym s) { return s == NoSymbol; }))
      lent_.push_back({static_cast<unsigned>(code), keys::kNone, 0});
  }
  XFree(map);
}

unsigned X11Keyboard::keycodeFor(KeySym key) {
  for (const Lent& slot : lent_)
    if (slot.key == key) return slot.keycode;
  return 0;
}

void X11Keyboard::dropTakenKeycodes() {
  if (lent_.empty()) return;
  Display* display = x_.display();
  int perCode = 0;
  const unsigned low = lent_.front().keycode, high = lent_.back().keycode;
  ::KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(low), static_cast<int>(high - low + 1), &perCode);
  if (!map) return;
  std::erase_if(lent_, [&](const Lent& slot) {
    const ::KeySym* syms = map + (slot.keycode - low) * static_cast<unsigned>(perCode);
    const ::KeySym ours = slot.key == keys::kNone ? NoSymbol : static_cast<::KeySym>(slot.key);
    return !std::all_of(syms, syms + perCode, [&](::KeySym s) { return s == NoSymbol || s == ours; });
  });
  XFree(map);
}

bool X11Keyboard::lendAhead(KeySym key) {
  findUnusedKeycodes();
  // Another program (or a new layout) may have taken key codes since they were found unused.
  dropTakenKeycodes();
  if (lent_.empty()) return false;
  // The characters needed next, in order, as many as there are keys: those already lent stay where they
  // are, the others are wanted.
  std::set<KeySym> soon{key};
  std::vector<KeySym> wanted{key};
  for (std::size_t i = next_; i < upcoming_.size() && soon.size() < lent_.size(); ++i) {
    if (!soon.insert(upcoming_[i]).second) continue;
    if (keycodeFor(upcoming_[i]) == 0) wanted.push_back(upcoming_[i]);
  }

  auto reusable = [&] {
    std::vector<Lent*> free;
    for (Lent& slot : lent_)
      if (slot.key == keys::kNone || (slot.lastUse <= readUpTo_ && !soon.count(slot.key))) free.push_back(&slot);
    // Never lent first, then the longest unused.
    std::stable_sort(free.begin(), free.end(), [](const Lent* a, const Lent* b) {
      const bool aLent = a->key != keys::kNone, bLent = b->key != keys::kNone;
      return aLent != bLent ? !aLent : a->lastUse < b->lastUse;
    });
    return free;
  };
  std::vector<Lent*> free = reusable();
  if (free.empty()) {
    // Every key has presses its program may not have read yet: wait until it has.
    if (!waitForReaders(Clock::now() + kRotationPatience)) {
      if (waitHook && waitHook()) return false;
      readUpTo_ = events_;  // the program is stuck: go on rather than hang
    }
    free = reusable();
    if (free.empty()) return false;
  }
  std::vector<Lent*> changed;
  for (std::size_t i = 0; i < wanted.size() && i < free.size(); ++i) {
    free[i]->key = wanted[i];
    free[i]->lastUse = 0;
    changed.push_back(free[i]);
  }
  writeMapping(changed);
  return keycodeFor(key) != 0;
}

void X11Keyboard::writeMapping(std::vector<Lent*> changed) {
  if (changed.empty()) return;
  std::sort(changed.begin(), changed.end(), [](const Lent* a, const Lent* b) { return a->keycode < b->keycode; });
  Display* display = x_.display();
  ErrorTrap trap(display);
  // One request for each run of neighbouring key codes: each request makes every program read the
  // mapping again.
  for (std::size_t first = 0; first < changed.size();) {
    std::size_t end = first + 1;
    while (end < changed.size() && changed[end]->keycode == changed[end - 1]->keycode + 1) ++end;
    std::vector<::KeySym> syms;
    for (std::size_t i = first; i < end; ++i) {
      const ::KeySym sym = changed[i]->key == keys::kNone ? NoSymbol : static_cast<::KeySym>(changed[i]->key);
      syms.push_back(sym);
      syms.push_back(sym);
    }
    XChangeKeyboardMapping(display, static_cast<int>(changed[first]->keycode), 2, syms.data(),
                           static_cast<int>(end - first));
    first = end;
  }
  if (trap.failed()) {
    // The server refused: take none of these key codes as lent.
    for (Lent* slot : changed) slot->key = keys::kNone;
  }
}

bool X11Keyboard::waitForReaders(Clock::time_point deadline) {
  if (readUpTo_ == events_) return true;
  const std::uint64_t sent = events_;
  const auto outcome = readers_.waitUntilRead(deadline, lastKey_, waitHook);
  if (outcome != X11KeyReaders::Outcome::Read) return false;
  readUpTo_ = sent;
  return true;
}

bool X11Keyboard::typeCharacter(char32_t c) {
  Display* display = x_.display();
  if (const auto stroke = strokeFor(c)) {
    const unsigned key = keycodeOf(display, stroke->key);
    const unsigned shift = keycodeOf(display, XK_Shift_L);
    const unsigned altGr = keycodeOf(display, XK_ISO_Level3_Shift);
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
  if (next_ < upcoming_.size() && upcoming_[next_] == key) ++next_;
  if (keycodeFor(key) == 0 && !lendAhead(key)) return false;
  // The program that reads these presses is the one to wait for before the key is lent again.
  if (readers_.empty()) readers_.noteFocus();
  const unsigned keycode = keycodeFor(key);
  if (!send(keycode, true)) return false;
  for (Lent& slot : lent_)
    if (slot.keycode == keycode) slot.lastUse = events_;
  return send(keycode, false);
}

bool X11Keyboard::finish(std::chrono::milliseconds bound) {
  upcoming_.clear();
  next_ = 0;
  std::vector<Lent*> given;
  for (Lent& slot : lent_)
    if (slot.key != keys::kNone) given.push_back(&slot);
  if (given.empty()) return true;
  const bool read = waitForReaders(Clock::now() + bound);
  for (Lent* slot : given) slot->key = keys::kNone;
  writeMapping(given);
  return read;
}

}  // namespace tw::port::x11
