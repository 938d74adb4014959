#pragma once
// The text form of a hotkey, as script headers keep it: optional "Shift+", "Ctrl+", "Alt+" (and "Win+")
// prefixes and a key name, "Ctrl+Alt+F5". Reading and writing it, and the one table of key names that the
// header, the hotkey table and the script properties dialog share.

#include <span>
#include <string>
#include <string_view>

#include "port/hotkeys.h"

namespace tw {

// Reads a hotkey text. Every part before a "+" that holds "SHIFT" (any letter case) sets Shift, else one
// holding "ALT" sets Alt, else "CTRL" sets Ctrl, else "WIN" sets the Windows key; other parts set nothing. The
// rest, trimmed, is the key name (KeyForName); an unknown name gives the key none, with the modifiers read.
port::KeyCombination ParseHotKey(std::string_view text);

// The text of a combination: the prefixes in the order Shift, Ctrl, Alt, Win, then the key's name
// ("Shift+Ctrl+Home"). Empty for the key none. ParseHotKey reads it back to the same combination.
std::string HotKeyText(const port::KeyCombination& combination);

// The key a name stands for, compared without regard to letter case: the names of the hotkey text ("A" to
// "Z", "0" to "9", "F1" to "F24", "BkSp", "Tab", "Enter", "Esc", "Space", "PgUp", "PgDn", "End", "Home",
// "Left", "Up", "Right", "Down", "Ins", "Del"), X keysym names ("KP_Add", "minus", "Print", "XF86AudioPlay"),
// the key names Windows programs use ("NUMPAD0", "OEM_PLUS", "VK_SNAPSHOT", "Num 7", "Scroll Lock"), and any
// single character, as the keyboard layout names the key that types it ("ö", ";"). kNone for anything else.
port::KeySym KeyForName(std::string_view name);

// The name HotKeyText writes for a key: the hotkey text's own names first, else the X keysym name, else the
// character the key types. Empty for a key without one.
std::string NameOfKey(port::KeySym key);

struct KeyName {
  std::string_view name;
  port::KeySym key;
};
// Every named key, in the order a person would look for it (letters, digits, function keys, editing
// keys, keypad, punctuation, media keys), each under the name NameOfKey gives it.
std::span<const KeyName> KeyNames();

}  // namespace tw
