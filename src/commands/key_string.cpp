#include "commands/key_string.h"

#include <array>
#include <charconv>
#include <utility>

#include "text/utf8.h"

namespace tw {

namespace {

using port::KeySym;
namespace keys = port::keys;

struct NamedKeyEntry {
  std::string_view Name;
  KeySym Key;
};

const std::array<NamedKeyEntry, 26> kNamedKeys = {{
    {"BKSP", keys::kBackspace}, {"BS", keys::kBackspace},     {"BACKSPACE", keys::kBackspace},
    {"BREAK", keys::kBreak},    {"CAPSLOCK", keys::kCapsLock}, {"CLEAR", keys::kClear},
    {"DEL", keys::kDelete},     {"DELETE", keys::kDelete},     {"DOWN", keys::kDown},
    {"END", keys::kEnd},        {"ENTER", keys::kEnter},       {"ESC", keys::kEscape},
    {"ESCAPE", keys::kEscape},  {"HELP", keys::kHelp},         {"HOME", keys::kHome},
    {"INS", keys::kInsert},     {"LEFT", keys::kLeft},         {"PGDN", keys::kPageDown},
    {"PGUP", keys::kPageUp},    {"PRTSC", keys::kPrint},       {"RIGHT", keys::kRight},
    {"SCROLLLOCK", keys::kScrollLock}, {"SPACE", keys::kSpace}, {"TAB", keys::kTab},
    {"UP", keys::kUp},          {"NUMLOCK", keys::kNumLock},
}};

char32_t Upper(char32_t c) {
  if ((c >= U'a' && c <= U'z') || (c >= 0xe0 && c <= 0xfe && c != 0xf7)) return c - 0x20;
  return c;
}

std::string Utf8Text(const std::u32string& characters) {
  std::string out;
  for (char32_t c : characters) text::AppendUtf8(out, c);
  return out;
}

KeyAction Action(KeyAction::Type kind) {
  KeyAction action;
  action.Kind = kind;
  return action;
}

KeyAction ModifierAction(KeyAction::Type kind, Modifier modifier) {
  KeyAction action = Action(kind);
  action.Held = modifier;
  return action;
}

class Planner {
 public:
  KeyPlan plan;

  void Press(Modifier m) {
    plan.Actions.push_back(ModifierAction(KeyAction::Type::PressModifier, m));
    pending_[static_cast<int>(m)] = true;
  }
  // Releases the pending modifiers, unless a parenthesised group holds them (or `always`).
  void Release(bool always = false) {
    if (group_ && !always) return;
    for (Modifier m : {Modifier::Shift, Modifier::Ctrl, Modifier::Alt})
      if (std::exchange(pending_[static_cast<int>(m)], false))
        plan.Actions.push_back(ModifierAction(KeyAction::Type::ReleaseModifier, m));
  }
  void Character(char32_t c, std::uint32_t count = 1, bool silent = false) {
    KeyAction action = Action(KeyAction::Type::Character);
    action.Character = c;
    action.SilentIfMissing = silent;
    action.Count = count;
    plan.Actions.push_back(action);
    Release();
  }
  void Notice(std::string text) {
    KeyAction action = Action(KeyAction::Type::Notice);
    action.Text = std::move(text);
    plan.Actions.push_back(std::move(action));
  }
  void Group(bool on) {
    group_ = on;
    if (!on) Release();
  }

  // A brace group starting at characters[at] == '{'; returns where the text goes on, or npos to stop.
  std::size_t Brace(const std::u32string& text, std::size_t at) {
    if (at + 1 < text.size() && text[at + 1] == U'{') {
      Character(U'{');
      return at + 3;
    }
    std::size_t close = at + 1;
    while (close < text.size() && text[close] != U'}') ++close;
    if (close >= text.size()) {
      Notice("No Close");
      plan.Complete = false;
      return std::string::npos;
    }
    std::u32string name;
    for (std::size_t i = at + 1; i < close && name.size() < 20; ++i) name.push_back(Upper(text[i]));
    std::size_t next = close + 1;
    if (next < text.size() && text[next] == U'}') {
      Character(U'}');
      return next + 1;
    }
    std::uint32_t count = 1;
    for (std::size_t blank = 0; blank < name.size(); ++blank) {
      if (name[blank] != U' ') continue;
      const std::string countText = Utf8Text(name.substr(blank + 1));
      name.resize(blank);
      long long value = -1;
      std::string_view digits = countText;
      while (!digits.empty() && digits.front() == ' ') digits.remove_prefix(1);
      auto parsed = std::from_chars(digits.data(), digits.data() + digits.size(), value);
      if (digits.empty() || parsed.ec != std::errc() || parsed.ptr != digits.data() + digits.size() || value < 0 ||
          value > 65535) {
        plan.Error = "'" + countText + "' is not a valid repeat count";
        return std::string::npos;
      }
      count = static_cast<std::uint32_t>(value);
      break;
    }
    if (name.size() == 1) {
      Character(name[0], count, true);
      return next;
    }
    const std::string upper = Utf8Text(name);
    if (IsNumLockName(upper)) {
      plan.Actions.push_back(Action(KeyAction::Type::ToggleNumLock));
      Release();
    } else if (auto key = NamedKey(upper)) {
      KeyAction action = Action(KeyAction::Type::Key);
      action.Key = *key;
      action.Count = count;
      plan.Actions.push_back(action);
      Release();
    } else {
      Notice("Invalid Key Name");
      plan.UnknownNames.push_back(Utf8Text(text.substr(at + 1, close - at - 1)));
    }
    return next;
  }

 private:
  bool group_ = false;
  bool pending_[3] = {false, false, false};
};

}  // namespace

std::optional<KeySym> NamedKey(std::string_view upperName) {
  for (const NamedKeyEntry& entry : kNamedKeys)
    if (entry.Name == upperName && entry.Key != keys::kNumLock) return entry.Key;
  if (upperName.size() >= 2 && upperName.size() <= 3 && upperName[0] == 'F') {
    int n = 0;
    auto parsed = std::from_chars(upperName.data() + 1, upperName.data() + upperName.size(), n);
    if (parsed.ec == std::errc() && parsed.ptr == upperName.data() + upperName.size() && n >= 1 && n <= 16 &&
        upperName[1] != '0')
      return keys::function(n);
  }
  return std::nullopt;
}

bool IsNumLockName(std::string_view upperName) { return upperName == "NUMLOCK"; }

KeyPlan ParseKeyString(std::string_view text) {
  Planner planner;
  const std::u32string characters = text::DecodeUtf8OrWindows1252(text);
  std::size_t at = 0;
  while (at < characters.size()) {
    const char32_t c = characters[at];
    switch (c) {
      case U'(': planner.Group(true); ++at; break;
      case U')': planner.Group(false); ++at; break;
      case U'~': planner.Press(Modifier::Shift); ++at; break;
      case U'^': planner.Press(Modifier::Ctrl); ++at; break;
      case U'@': planner.Press(Modifier::Alt); ++at; break;
      case U'{': at = planner.Brace(characters, at); break;
      default: planner.Character(c); ++at; break;
    }
    if (at == std::string::npos) break;
  }
  // Whatever way the text ends, no modifier stays pressed.
  planner.Release(true);
  return std::move(planner.plan);
}

}  // namespace tw
