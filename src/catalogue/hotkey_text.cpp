#include "catalogue/hotkey_text.h"

#include <array>
#include <iterator>
#include <vector>

#include "text/ascii_text.h"
#include "text/case_mapping.h"
#include "text/utf8.h"

namespace tw {

namespace {

using port::KeySym;
namespace keys = port::keys;

// Keys under the names HotKeyText writes, after the letters, digits and function keys.
constexpr KeyName kNamedKeys[] = {
    // The hotkey text's own names.
    {"BkSp", keys::kBackspace}, {"Tab", keys::kTab}, {"Enter", keys::kEnter}, {"Esc", keys::kEscape},
    {"Space", keys::kSpace}, {"PgUp", keys::kPageUp}, {"PgDn", keys::kPageDown}, {"End", keys::kEnd},
    {"Home", keys::kHome}, {"Left", keys::kLeft}, {"Up", keys::kUp}, {"Right", keys::kRight},
    {"Down", keys::kDown}, {"Ins", keys::kInsert}, {"Del", keys::kDelete},
    // Other keys, by their X keysym names.
    {"Print", keys::kPrint}, {"Pause", keys::kPause}, {"Break", keys::kBreak}, {"Sys_Req", 0xff15},
    {"Scroll_Lock", keys::kScrollLock}, {"Num_Lock", keys::kNumLock}, {"Caps_Lock", keys::kCapsLock},
    {"Menu", keys::kMenu}, {"Clear", keys::kClear}, {"Help", keys::kHelp}, {"Begin", 0xff58},
    {"Select", 0xff60}, {"Execute", 0xff62}, {"Undo", 0xff65}, {"Redo", 0xff66}, {"Find", 0xff68},
    {"Cancel", 0xff69},
    {"KP_0", 0xffb0}, {"KP_1", 0xffb1}, {"KP_2", 0xffb2}, {"KP_3", 0xffb3}, {"KP_4", 0xffb4},
    {"KP_5", 0xffb5}, {"KP_6", 0xffb6}, {"KP_7", 0xffb7}, {"KP_8", 0xffb8}, {"KP_9", 0xffb9},
    {"KP_Add", 0xffab}, {"KP_Subtract", 0xffad}, {"KP_Multiply", 0xffaa}, {"KP_Divide", 0xffaf},
    {"KP_Decimal", 0xffae}, {"KP_Separator", 0xffac}, {"KP_Enter", 0xff8d}, {"KP_Equal", 0xffbd},
    {"KP_Home", 0xff95}, {"KP_Left", 0xff96}, {"KP_Up", 0xff97}, {"KP_Right", 0xff98}, {"KP_Down", 0xff99},
    {"KP_Prior", 0xff9a}, {"KP_Next", 0xff9b}, {"KP_End", 0xff9c}, {"KP_Begin", 0xff9d},
    {"KP_Insert", 0xff9e}, {"KP_Delete", 0xff9f},
    {"exclam", '!'}, {"quotedbl", '"'}, {"numbersign", '#'}, {"dollar", '$'}, {"percent", '%'},
    {"ampersand", '&'}, {"apostrophe", '\''}, {"parenleft", '('}, {"parenright", ')'}, {"asterisk", '*'},
    {"plus", '+'}, {"comma", ','}, {"minus", '-'}, {"period", '.'}, {"slash", '/'}, {"colon", ':'},
    {"semicolon", ';'}, {"less", '<'}, {"equal", '='}, {"greater", '>'}, {"question", '?'}, {"at", '@'},
    {"bracketleft", '['}, {"backslash", '\\'}, {"bracketright", ']'}, {"asciicircum", '^'},
    {"underscore", '_'}, {"grave", '`'}, {"braceleft", '{'}, {"bar", '|'}, {"braceright", '}'},
    {"asciitilde", '~'},
    {"dead_grave", 0xfe50}, {"dead_acute", 0xfe51}, {"dead_circumflex", 0xfe52}, {"dead_tilde", 0xfe53},
    {"dead_diaeresis", 0xfe57},
    {"XF86AudioPlay", 0x1008ff14}, {"XF86AudioPause", 0x1008ff31}, {"XF86AudioStop", 0x1008ff15},
    {"XF86AudioPrev", 0x1008ff16}, {"XF86AudioNext", 0x1008ff17}, {"XF86AudioMute", 0x1008ff12},
    {"XF86AudioLowerVolume", 0x1008ff11}, {"XF86AudioRaiseVolume", 0x1008ff13},
    {"XF86AudioMedia", 0x1008ff32},
};

// More names read for the same keys: X names of the hotkey text's keys, the virtual-key names of Windows
// headers (also with their "VK_" prefix) and the key names its keyboard layouts show.
constexpr KeyName kOtherNames[] = {
    {"BackSpace", keys::kBackspace}, {"Return", keys::kEnter}, {"Escape", keys::kEscape},
    {"Prior", keys::kPageUp}, {"Page_Up", keys::kPageUp}, {"Next", keys::kPageDown},
    {"Page_Down", keys::kPageDown}, {"Insert", keys::kInsert}, {"Delete", keys::kDelete},
    {"XF86HomePage", 0x1008ff18}, {"XF86Mail", 0x1008ff19}, {"XF86Search", 0x1008ff1b},
    {"XF86Calculator", 0x1008ff1d}, {"XF86Back", 0x1008ff26}, {"XF86Forward", 0x1008ff27},
    {"XF86Stop", 0x1008ff28}, {"XF86Refresh", 0x1008ff29}, {"XF86WWW", 0x1008ff2e}, {"XF86Sleep", 0x1008ff2f},
    {"XF86Favorites", 0x1008ff30}, {"XF86MyComputer", 0x1008ff33}, {"XF86Explorer", 0x1008ff5d},
    {"XF86Eject", 0x1008ff2c}, {"XF86ScreenSaver", 0x1008ff2d},
    // Windows virtual keys.
    {"BACK", keys::kBackspace}, {"ESCAPE", keys::kEscape}, {"SNAPSHOT", keys::kPrint}, {"SCROLL", keys::kScrollLock},
    {"NUMLOCK", keys::kNumLock}, {"CAPITAL", keys::kCapsLock}, {"APPS", keys::kMenu}, {"CANCEL", keys::kBreak},
    {"NUMPAD0", 0xffb0}, {"NUMPAD1", 0xffb1}, {"NUMPAD2", 0xffb2}, {"NUMPAD3", 0xffb3}, {"NUMPAD4", 0xffb4},
    {"NUMPAD5", 0xffb5}, {"NUMPAD6", 0xffb6}, {"NUMPAD7", 0xffb7}, {"NUMPAD8", 0xffb8}, {"NUMPAD9", 0xffb9},
    {"MULTIPLY", 0xffaa}, {"ADD", 0xffab}, {"SEPARATOR", 0xffac}, {"SUBTRACT", 0xffad}, {"DECIMAL", 0xffae},
    {"DIVIDE", 0xffaf},
    {"OEM_1", ';'}, {"OEM_PLUS", '='}, {"OEM_COMMA", ','}, {"OEM_MINUS", '-'}, {"OEM_PERIOD", '.'},
    {"OEM_2", '/'}, {"OEM_3", '`'}, {"OEM_4", '['}, {"OEM_5", '\\'}, {"OEM_6", ']'}, {"OEM_7", '\''},
    {"OEM_102", '<'},
    {"BROWSER_BACK", 0x1008ff26}, {"BROWSER_FORWARD", 0x1008ff27}, {"BROWSER_REFRESH", 0x1008ff29},
    {"BROWSER_STOP", 0x1008ff28}, {"BROWSER_SEARCH", 0x1008ff1b}, {"BROWSER_FAVORITES", 0x1008ff30},
    {"BROWSER_HOME", 0x1008ff18}, {"VOLUME_MUTE", 0x1008ff12}, {"VOLUME_DOWN", 0x1008ff11},
    {"VOLUME_UP", 0x1008ff13}, {"MEDIA_NEXT_TRACK", 0x1008ff17}, {"MEDIA_PREV_TRACK", 0x1008ff16},
    {"MEDIA_STOP", 0x1008ff15}, {"MEDIA_PLAY_PAUSE", 0x1008ff14}, {"LAUNCH_MAIL", 0x1008ff19},
    {"LAUNCH_MEDIA_SELECT", 0x1008ff32}, {"LAUNCH_APP1", 0x1008ff33}, {"LAUNCH_APP2", 0x1008ff1d},
    {"SLEEP", 0x1008ff2f},
    // Key names of Windows keyboard layouts.
    {"Backspace", keys::kBackspace}, {"Page Up", keys::kPageUp}, {"Page Down", keys::kPageDown},
    {"Num 0", 0xffb0}, {"Num 1", 0xffb1}, {"Num 2", 0xffb2}, {"Num 3", 0xffb3}, {"Num 4", 0xffb4},
    {"Num 5", 0xffb5}, {"Num 6", 0xffb6}, {"Num 7", 0xffb7}, {"Num 8", 0xffb8}, {"Num 9", 0xffb9},
    {"Num *", 0xffaa}, {"Num -", 0xffad}, {"Num /", 0xffaf}, {"Num Del", 0xff9f}, {"Num Enter", 0xff8d},
    {"Num Lock", keys::kNumLock}, {"Scroll Lock", keys::kScrollLock}, {"Caps Lock", keys::kCapsLock},
    {"Prnt Scrn", keys::kPrint}, {"Print Screen", keys::kPrint}, {"Application", keys::kMenu},
};

// Letters, digits and F1 to F24 first, then the named keys.
const std::vector<KeyName>& AllKeyNames() {
  static const std::vector<KeyName> names = [] {
    static std::array<std::string, 26 + 10 + 24> spelt;
    std::vector<KeyName> all;
    std::size_t at = 0;
    for (char c = 'A'; c <= 'Z'; ++c) {
      spelt[at] = std::string(1, c);
      all.push_back({spelt[at++], static_cast<KeySym>(LowerAsciiChar(c))});
    }
    for (char c = '0'; c <= '9'; ++c) {
      spelt[at] = std::string(1, c);
      all.push_back({spelt[at++], static_cast<KeySym>(c)});
    }
    for (int n = 1; n <= 24; ++n) {
      spelt[at] = "F" + std::to_string(n);
      all.push_back({spelt[at++], keys::function(n)});
    }
    all.insert(all.end(), std::begin(kNamedKeys), std::end(kNamedKeys));
    return all;
  }();
  return names;
}

}  // namespace

std::span<const KeyName> KeyNames() { return AllKeyNames(); }

port::KeySym KeyForName(std::string_view name) {
  if (name.empty()) return keys::kNone;
  for (const KeyName& entry : AllKeyNames())
    if (EqualsIgnoringAsciiCase(entry.name, name)) return entry.key;
  std::string_view bare = name;
  if (bare.size() > 3 && EqualsIgnoringAsciiCase(bare.substr(0, 3), "VK_")) bare.remove_prefix(3);
  for (const KeyName& entry : kOtherNames)
    if (EqualsIgnoringAsciiCase(entry.name, bare)) return entry.key;
  if (bare != name) return KeyForName(bare);  // VK_F5, VK_HOME
  // F25 to F35, which some keyboards have.
  if (name.size() == 3 && (name[0] == 'F' || name[0] == 'f') && name[1] >= '2' && name[1] <= '3' &&
      name[2] >= '0' && name[2] <= '9') {
    const int n = (name[1] - '0') * 10 + (name[2] - '0');
    if (n >= 25 && n <= 35) return keys::function(n);
  }
  // One character: the key that types it, as the layout names that key (letters by their small form).
  const text::Character character = text::DecodeAt(name, 0);
  if (character.Length != name.size() || !character.Valid) return keys::kNone;
  const std::string lower = text::LowerCase(name);
  return port::keysymForCharacter(text::DecodeAt(lower, 0).Code);
}

std::string NameOfKey(port::KeySym key) {
  if (key == keys::kNone) return {};
  for (const KeyName& entry : AllKeyNames())
    if (entry.key == key) return std::string(entry.name);
  if (key >= keys::function(25) && key <= keys::function(35)) return "F" + std::to_string(key - keys::kF1 + 1);
  // A key that types a character is named by it.
  if ((key > 0x20 && key < 0x7f) || (key >= 0xa0 && key <= 0xff)) return text::Utf8(static_cast<char32_t>(key));
  if (key >= 0x1000100 && key <= 0x110ffff) return text::Utf8(static_cast<char32_t>(key - 0x1000000));
  return {};
}

port::KeyCombination ParseHotKey(std::string_view text) {
  port::KeyCombination combination;
  std::size_t plus;
  while ((plus = text.find('+')) != std::string_view::npos) {
    const std::string part = UpperAscii(text.substr(0, plus));
    if (part.find("SHIFT") != std::string::npos)
      combination.modifiers |= port::kShiftModifier;
    else if (part.find("ALT") != std::string::npos)
      combination.modifiers |= port::kAltModifier;
    else if (part.find("CTRL") != std::string::npos)
      combination.modifiers |= port::kControlModifier;
    else if (part.find("WIN") != std::string::npos)
      combination.modifiers |= port::kSuperModifier;
    text.remove_prefix(plus + 1);
  }
  combination.key = KeyForName(Trimmed(text));
  return combination;
}

std::string HotKeyText(const port::KeyCombination& combination) {
  const std::string name = NameOfKey(combination.key);
  if (name.empty()) return {};
  std::string text;
  if (combination.modifiers & port::kShiftModifier) text += "Shift+";
  if (combination.modifiers & port::kControlModifier) text += "Ctrl+";
  if (combination.modifiers & port::kAltModifier) text += "Alt+";
  if (combination.modifiers & port::kSuperModifier) text += "Win+";
  return text + name;
}

}  // namespace tw
