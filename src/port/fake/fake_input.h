#pragma once
// Recorded keyboard and mouse input and scriptable toggle keys for unit tests.

#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "port/fake/fake_log.h"
#include "port/keyboard.h"
#include "port/mouse.h"
#include "port/toggle_keys.h"

namespace tw::port::fake {

// The US keyboard of the fake desktop: the character a key types with or without Shift (its key symbol is the
// unshifted character); nothing for keys that type no printable character.
std::optional<char32_t> UsKeyboardCharacter(KeySym key, bool shift);

// Records "key down <name>", "key up <name>" (names from keyName()), "type <character>" and "keys given
// back" when finish() ends typing that used characters beyond the layout.
// Its layout is a US keyboard: letters, digits, space and ASCII punctuation; anything else has no key
// (strokeFor gives nullopt) but can still be typed.
class FakeKeyboard final : public KeyboardInjector {
 public:
  explicit FakeKeyboard(ActionLog& log) : log_(log) {}
  bool pressKey(KeySym key) override;
  bool releaseKey(KeySym key) override;
  std::optional<KeyStroke> strokeFor(char32_t c) override;
  bool typeCharacter(char32_t c) override;
  void prepare(std::u32string_view) override {}
  void releaseAll() override;
  bool finish(std::chrono::milliseconds) override;
  // Runs `action` before the n-th key from now (1 = the next one; characters and keys, not modifiers), as
  // a user or another program acting while keys are typed would.
  void beforeKey(int n, std::function<void()> action);

 private:
  ActionLog& log_;
  std::vector<KeySym> pressed_;
  bool lent_ = false;  // a character beyond the layout was typed since the last finish()
  void countKey();
  int untilAction_ = 0;
  std::function<void()> action_;
};

// Records "mouse move X,Y", "mouse down left|middle|right", "mouse up ...".
class FakeMouse final : public MouseInjector {
 public:
  explicit FakeMouse(ActionLog& log) : log_(log) {}
  // Where the user left the pointer; not recorded.
  void place(Point where) { position_ = where; }
  Point position() override { return position_; }
  bool moveTo(Point where) override;
  bool press(MouseButton button) override;
  bool release(MouseButton button) override;

 private:
  ActionLog& log_;
  Point position_;
};

// All locks start off. Records "toggle CapsLock on|off" for each change; a set() that changes nothing is
// not recorded.
class FakeToggleKeys final : public ToggleKeys {
 public:
  explicit FakeToggleKeys(ActionLog& log) : log_(log) {}
  // As the user would set it; not recorded.
  void preset(ToggleKey key, bool on) { state_[key] = on; }
  // A keyboard without locks: isOn gives nullopt and set fails.
  void setPresent(bool present) { present_ = present; }
  std::optional<bool> isOn(ToggleKey key) override;
  bool set(ToggleKey key, bool on) override;

 private:
  ActionLog& log_;
  std::map<ToggleKey, bool> state_;
  bool present_ = true;
};

}  // namespace tw::port::fake
