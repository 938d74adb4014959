#include "port/fake/fake_input.h"

#include "text/utf8.h"

#include <algorithm>
#include <string_view>

namespace tw::port::fake {
namespace {

const char* buttonName(MouseButton button) {
  switch (button) {
    case MouseButton::Left: return "left";
    case MouseButton::Middle: return "middle";
    case MouseButton::Right: return "right";
  }
  return "?";
}

const char* toggleName(ToggleKey key) {
  switch (key) {
    case ToggleKey::CapsLock: return "CapsLock";
    case ToggleKey::NumLock: return "NumLock";
    case ToggleKey::ScrollLock: return "ScrollLock";
  }
  return "?";
}

constexpr std::string_view kPlain = "`1234567890-=[]\\;',./";
constexpr std::string_view kShifted = "~!@#$%^&*()_+{}|:\"<>?";

}  // namespace

std::optional<char32_t> UsKeyboardCharacter(KeySym key, bool shift) {
  if (key >= 'a' && key <= 'z') return static_cast<char32_t>(shift ? key - 'a' + 'A' : key);
  if (key == keys::kSpace) return U' ';
  if (key >= 0x80) return std::nullopt;
  const auto at = kPlain.find(static_cast<char>(key));
  if (at == std::string_view::npos) return std::nullopt;
  return static_cast<char32_t>(shift ? kShifted[at] : kPlain[at]);
}

bool FakeKeyboard::pressKey(KeySym key) {
  if (key != keys::kShift && key != keys::kControl && key != keys::kAlt) countKey();
  log_.push_back("key down " + keyName(key));
  if (std::find(pressed_.begin(), pressed_.end(), key) == pressed_.end()) pressed_.push_back(key);
  return key != keys::kNone;
}

bool FakeKeyboard::releaseKey(KeySym key) {
  log_.push_back("key up " + keyName(key));
  std::erase(pressed_, key);
  return key != keys::kNone;
}

void FakeKeyboard::releaseAll() {
  while (!pressed_.empty()) releaseKey(pressed_.back());
}

bool FakeKeyboard::finish(std::chrono::milliseconds) {
  if (lent_) log_.push_back("keys given back");
  lent_ = false;
  return true;
}

void FakeKeyboard::beforeKey(int n, std::function<void()> action) {
  untilAction_ = n;
  action_ = std::move(action);
}

void FakeKeyboard::countKey() {
  if (untilAction_ > 0 && --untilAction_ == 0 && action_) action_();
}

std::optional<KeyStroke> FakeKeyboard::strokeFor(char32_t c) {
  if (c >= U'a' && c <= U'z') return KeyStroke{static_cast<KeySym>(c), false, false};
  if (c >= U'A' && c <= U'Z') return KeyStroke{static_cast<KeySym>(c - U'A' + U'a'), true, false};
  if (c == U' ') return KeyStroke{keys::kSpace, false, false};
  if (c >= 0x80) return std::nullopt;
  const char ascii = static_cast<char>(c);
  if (kPlain.find(ascii) != std::string_view::npos) return KeyStroke{static_cast<KeySym>(c), false, false};
  if (auto at = kShifted.find(ascii); at != std::string_view::npos)
    return KeyStroke{static_cast<KeySym>(kPlain[at]), true, false};
  return std::nullopt;
}

bool FakeKeyboard::typeCharacter(char32_t c) {
  countKey();
  if (keysymForCharacter(c) == keys::kNone) return false;
  if (!strokeFor(c)) lent_ = true;
  log_.push_back("type " + text::Utf8(c));
  return true;
}

bool FakeMouse::moveTo(Point where) {
  log_.push_back("mouse move " + std::to_string(where.x) + "," + std::to_string(where.y));
  position_ = where;
  return true;
}

bool FakeMouse::press(MouseButton button) {
  log_.push_back(std::string("mouse down ") + buttonName(button));
  return true;
}

bool FakeMouse::release(MouseButton button) {
  log_.push_back(std::string("mouse up ") + buttonName(button));
  return true;
}

std::optional<bool> FakeToggleKeys::isOn(ToggleKey key) {
  if (!present_) return std::nullopt;
  return state_[key];
}

bool FakeToggleKeys::set(ToggleKey key, bool on) {
  if (!present_) return false;
  if (state_[key] != on) log_.push_back(std::string("toggle ") + toggleName(key) + (on ? " on" : " off"));
  state_[key] = on;
  return true;
}

}  // namespace tw::port::fake
