#include "port/keys.h"

#include <array>
#include <cstdio>
#include <utility>

namespace tw::port {

KeySym keysymForCharacter(char32_t c) {
  switch (c) {
    case U'\b': return keys::kBackspace;
    case U'\t': return keys::kTab;
    case U'\n':
    case U'\r': return keys::kEnter;
    case 0x1b: return keys::kEscape;
    default: break;
  }
  if (c < 0x20 || (c >= 0x7f && c < 0xa0) || c > 0x10ffff || (c >= 0xd800 && c <= 0xdfff)) return keys::kNone;
  if (c <= 0xff) return static_cast<KeySym>(c);
  return 0x1000000u + static_cast<KeySym>(c);
}

std::string keyName(KeySym key) {
  static constexpr std::array<std::pair<KeySym, const char*>, 30> names{{
      {keys::kBackspace, "Backspace"}, {keys::kTab, "Tab"},         {keys::kClear, "Clear"},
      {keys::kEnter, "Enter"},         {keys::kPause, "Pause"},     {keys::kScrollLock, "ScrollLock"},
      {keys::kEscape, "Escape"},       {keys::kHome, "Home"},       {keys::kLeft, "Left"},
      {keys::kUp, "Up"},               {keys::kRight, "Right"},     {keys::kDown, "Down"},
      {keys::kPageUp, "PageUp"},       {keys::kPageDown, "PageDown"}, {keys::kEnd, "End"},
      {keys::kPrint, "Print"},         {keys::kInsert, "Insert"},   {keys::kMenu, "Menu"},
      {keys::kHelp, "Help"},           {keys::kBreak, "Break"},     {keys::kNumLock, "NumLock"},
      {keys::kShift, "Shift"},         {keys::kControl, "Control"}, {keys::kCapsLock, "CapsLock"},
      {keys::kAlt, "Alt"},             {keys::kSuper, "Super"},     {keys::kDelete, "Delete"},
      {keys::kSpace, "Space"},         {0xffe2, "ShiftR"},          {0xffe4, "ControlR"},
  }};
  for (const auto& [sym, name] : names)
    if (sym == key) return name;
  if (key >= keys::kF1 && key <= keys::function(35))
    return std::string("F").append(std::to_string(key - keys::kF1 + 1));
  char buffer[16];
  if (key > 0x20 && key < 0x7f) return std::string(1, static_cast<char>(key));
  const unsigned code = key >= 0x1000000u ? key - 0x1000000u : key;
  if (key >= 0x1000000u || (key >= 0xa0 && key <= 0xff)) {
    std::snprintf(buffer, sizeof buffer, "U+%04X", code);
  } else {
    std::snprintf(buffer, sizeof buffer, "0x%x", key);
  }
  return buffer;
}

}  // namespace tw::port
