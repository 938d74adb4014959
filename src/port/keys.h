#pragma once
// Keys are named by keysym values: the numbering of the X Keyboard Extension and of xkbcommon, which every
// backend maps onto its own key codes. A character's keysym is keysymForCharacter(c).

#include <cstdint>
#include <string>

namespace tw::port {

using KeySym = std::uint32_t;

namespace keys {
inline constexpr KeySym kNone = 0;
inline constexpr KeySym kBackspace = 0xff08;
inline constexpr KeySym kTab = 0xff09;
inline constexpr KeySym kClear = 0xff0b;
inline constexpr KeySym kEnter = 0xff0d;
inline constexpr KeySym kPause = 0xff13;
inline constexpr KeySym kScrollLock = 0xff14;
inline constexpr KeySym kEscape = 0xff1b;
inline constexpr KeySym kHome = 0xff50;
inline constexpr KeySym kLeft = 0xff51;
inline constexpr KeySym kUp = 0xff52;
inline constexpr KeySym kRight = 0xff53;
inline constexpr KeySym kDown = 0xff54;
inline constexpr KeySym kPageUp = 0xff55;
inline constexpr KeySym kPageDown = 0xff56;
inline constexpr KeySym kEnd = 0xff57;
inline constexpr KeySym kPrint = 0xff61;
inline constexpr KeySym kInsert = 0xff63;
inline constexpr KeySym kMenu = 0xff67;
inline constexpr KeySym kHelp = 0xff6a;
inline constexpr KeySym kBreak = 0xff6b;
inline constexpr KeySym kNumLock = 0xff7f;
inline constexpr KeySym kF1 = 0xffbe;  // F1 + n - 1 is Fn, up to F35
inline constexpr KeySym kShift = 0xffe1;
inline constexpr KeySym kControl = 0xffe3;
inline constexpr KeySym kCapsLock = 0xffe5;
inline constexpr KeySym kAlt = 0xffe9;
inline constexpr KeySym kSuper = 0xffeb;
inline constexpr KeySym kDelete = 0xffff;
inline constexpr KeySym kSpace = 0x20;

constexpr KeySym function(int n) { return kF1 + static_cast<KeySym>(n - 1); }
}  // namespace keys

// The keysym that stands for a Unicode character: Latin-1 characters keep their code, others are 0x1000000 + code.
// Control characters other than backspace, tab, line feed (taken as Enter), carriage return and escape have none.
KeySym keysymForCharacter(char32_t c);

// A short readable name for log lines and messages: "Control", "F5", "a", "U+20AC".
std::string keyName(KeySym key);

}  // namespace tw::port
