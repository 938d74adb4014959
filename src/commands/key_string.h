#pragma once
// The key-string language of send and macro blocks, turned into a list of key actions:
// "~" "^" "@" hold Shift, Ctrl and Alt over the next key, "(...)" over a whole group, "{NAME n}"
// names a key with a repeat count, and every other character types itself.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "port/keys.h"

namespace tw {

enum class Modifier : std::uint8_t { Shift, Ctrl, Alt };

struct KeyAction {
  enum class Type : std::uint8_t {
    PressModifier,
    ReleaseModifier,
    Character,      // a character of the text, typed by the layout's key for it
    Key,            // a named key
    ToggleNumLock,  // {NUMLOCK} switches the real Num Lock state once, whatever the count
    Notice,         // a message for the user; the text goes on
  };
  Type Kind = Type::Character;
  Modifier Held = Modifier::Shift;
  char32_t Character = 0;
  bool SilentIfMissing = false;  // a one-character brace group the layout lacks is skipped quietly
  port::KeySym Key = port::keys::kNone;
  std::uint32_t Count = 1;
  std::string Text;  // Notice

  friend bool operator==(const KeyAction&, const KeyAction&) = default;
};

struct KeyPlan {
  std::vector<KeyAction> Actions;
  bool Complete = true;  // false when the text stopped at a brace group without "}"
  std::string Error;     // a repeat count that is no number: the whole send ends with this error
  std::vector<std::string> UnknownNames;  // brace groups that name no key, as written between the braces
};

// The 42 key names, upper-cased; nothing for any other name.
std::optional<port::KeySym> NamedKey(std::string_view upperName);
bool IsNumLockName(std::string_view upperName);

// Every modifier the plan presses is released by the end of the plan, also when it stops early.
KeyPlan ParseKeyString(std::string_view text);

}  // namespace tw
