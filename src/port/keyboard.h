#pragma once
// Synthetic key presses, delivered to whichever window has the keyboard focus when the desktop handles them.

#include <chrono>
#include <functional>
#include <optional>
#include <string_view>

#include "port/keys.h"

namespace tw::port {

// How a character is typed on the current keyboard layout: its key, and the modifiers held while pressing it.
struct KeyStroke {
  KeySym key = keys::kNone;  // the keysym of the key's unshifted level, e.g. 'a' for "A"
  bool shift = false;
  bool altGr = false;        // the third level (AltGr, Option)
  friend bool operator==(const KeyStroke&, const KeyStroke&) = default;
};

class KeyboardInjector {
 public:
  virtual ~KeyboardInjector() = default;

  // Presses or releases the key that carries `key` on the layout; false when the layout has no such key.
  virtual bool pressKey(KeySym key) = 0;
  virtual bool releaseKey(KeySym key) = 0;

  // The key and modifiers that type `c` on the current layout; nullopt when no key of the layout types it.
  virtual std::optional<KeyStroke> strokeFor(char32_t c) = 0;
  // Types one character (press and release, with whatever modifiers it needs, restoring them afterwards).
  // Works also for characters that the layout has no key for; false when the character cannot be typed.
  virtual bool typeCharacter(char32_t c) = 0;

  // The characters about to be typed with typeCharacter(), in order. A backend that lends keys for
  // characters the layout lacks lends them for all of these at once where it can, so that no key changes its
  // meaning while its earlier presses may still be unread.
  virtual void prepare(std::u32string_view upcoming) = 0;
  // Releases every key this injector pressed and has not released yet.
  virtual void releaseAll() = 0;
  // Waits, at most `bound`, until the programs that received keys typed through lent keys have read them,
  // then gives every lent key back. False when the bound ran out or the wait was abandoned; the keys are
  // given back all the same.
  virtual bool finish(std::chrono::milliseconds bound) = 0;
  // Called now and then while typing waits for a program to read its keys; answering true ends the wait.
  // Also where the caller lets its own events run meanwhile.
  std::function<bool()> waitHook;
};

}  // namespace tw::port
