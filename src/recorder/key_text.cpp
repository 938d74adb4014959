#include "recorder/key_text.h"

#include <array>
#include <string_view>
#include <utility>

#include "text/case_mapping.h"

namespace tw {

namespace {

using port::KeySym;

enum class KeyRole { Types, Shift, Ctrl, Alt, Silent };

KeyRole RoleOf(KeySym key) {
  switch (key) {
    case 0xffe1: case 0xffe2: return KeyRole::Shift;            // Shift_L, Shift_R
    case 0xffe3: case 0xffe4: return KeyRole::Ctrl;             // Control_L, Control_R
    case 0xffe7: case 0xffe8: case 0xffe9: case 0xffea: return KeyRole::Alt;  // Meta_L/R, Alt_L/R
    case 0xffe5: case 0xffe6: case 0xff7f: case 0xff14:         // Caps_Lock, Shift_Lock, Num_Lock, Scroll_Lock
    case 0xffeb: case 0xffec: case 0xffed: case 0xffee:         // Super_L/R, Hyper_L/R
    case 0xff7e: case 0xff20:                                   // Mode_switch, Multi_key
      return KeyRole::Silent;
    default: break;
  }
  // ISO_Level3_Shift and the other level and group keys, and the dead keys.
  if (key >= 0xfe01 && key <= 0xfe8f) return KeyRole::Silent;
  return KeyRole::Types;
}

// Keys that type no character, by the name send knows them by; nullptr for keys send has no name for.
const char* NameOf(KeySym key) {
  static constexpr std::array<std::pair<KeySym, const char*>, 30> kNames{{
      {0xff0d, "{enter}"},     {0xff8d, "{enter}"},      // Return, KP_Enter
      {0xff08, "{backspace}"}, {0xff09, "{tab}"},        // BackSpace, Tab
      {0xfe20, "{tab}"},       {0xff89, "{tab}"},        // ISO_Left_Tab (Shift+Tab), KP_Tab
      {0xff1b, "{escape}"},
      {0xff55, "{pgup}"},      {0xff9a, "{pgup}"},       // Prior, KP_Prior
      {0xff56, "{pgdn}"},      {0xff9b, "{pgdn}"},       // Next, KP_Next
      {0xff57, "{end}"},       {0xff9c, "{end}"},
      {0xff50, "{home}"},      {0xff95, "{home}"},
      {0xff51, "{left}"},      {0xff96, "{left}"},
      {0xff52, "{up}"},        {0xff97, "{up}"},
      {0xff53, "{right}"},     {0xff98, "{right}"},
      {0xff54, "{down}"},      {0xff99, "{down}"},
      {0xff61, "{prtsc}"},     {0xff15, "{prtsc}"},      // Print, Sys_Req (Alt+Print)
      {0xff63, "{ins}"},       {0xff9e, "{ins}"},        // Insert, KP_Insert
      {0xffff, "{delete}"},    {0xff9f, "{delete}"},     // Delete, KP_Delete
      {0xff6b, "{break}"},                               // Break (Ctrl+Pause)
  }};
  for (const auto& [sym, name] : kNames)
    if (sym == key) return name;
  switch (key) {
    case 0xff6a: return "{help}";
    case 0xff0b: case 0xff9d: return "{clear}";  // Clear, KP_Begin (the keypad's 5 without Num Lock)
    default: break;
  }
  static constexpr std::array<const char*, 16> kFunctionKeys{
      "{F1}", "{F2}", "{F3}", "{F4}", "{F5}", "{F6}", "{F7}", "{F8}",
      "{F9}", "{F10}", "{F11}", "{F12}", "{F13}", "{F14}", "{F15}", "{F16}"};
  if (key >= port::keys::kF1 && key < port::keys::kF1 + kFunctionKeys.size()) return kFunctionKeys[key - port::keys::kF1];
  return nullptr;
}

// A character as the key string writes it: the characters that mean something to send go in braces.
std::string Escaped(std::string_view character) {
  if (character.size() == 1) {
    switch (character[0]) {
      case '(': case ')': case '@': case '^': case '{': case '}': case '~':
        return "{" + std::string(character) + "}";
      default: break;
    }
  }
  return std::string(character);
}

}  // namespace

void KeyTextWriter::Add(const port::InputEvent& event) {
  if (event.kind != port::InputEvent::Kind::KeyDown) return;
  const port::HeldModifiers& held = event.held;
  const KeyRole role = RoleOf(event.key);
  if (role == KeyRole::Shift || role == KeyRole::Ctrl || role == KeyRole::Alt) {
    if (held.ctrl && role != KeyRole::Ctrl) pendingPrefix_ += '^';
    if (held.shift && role != KeyRole::Shift) pendingPrefix_ += '~';
    return;
  }
  if (role == KeyRole::Silent) return;

  std::string item;
  bool shiftShows = held.shift;
  if (!event.text.empty()) {
    // Under Ctrl the character without Ctrl, in lower case: Ctrl+Shift+A is "^~a". Under AltGr the character
    // alone: the third level made it, and Shift with it. A letter in lower case under Shift without Ctrl came
    // from Caps Lock, which send switches off: the letter alone types it.
    if (held.ctrl) {
      item = Escaped(text::LowerCase(event.text));
    } else {
      item = Escaped(event.text);
      if (held.altGr || text::UpperCase(event.text) != event.text) shiftShows = false;
    }
  } else {
    const char* name = NameOf(event.key);
    // Under Ctrl and Alt some keys give another symbol (F5 gives a console switch): the key's own name then.
    if (!name) name = NameOf(event.baseKey);
    if (!name) return;
    item = name;
  }

  std::string prefix;
  for (const char p : std::exchange(pendingPrefix_, {}))
    if ((p == '^' && held.ctrl) || (p == '~' && held.shift)) prefix += p;
  if (held.ctrl) prefix += '^';
  if (shiftShows) prefix += '~';
  if (held.alt) prefix += '@';
  text_ += prefix;
  text_ += item;
  if (text_.size() - lineStart_ > 70) {
    lineStart_ = text_.size();
    text_ += "\r\n";
  }
}

}  // namespace tw
