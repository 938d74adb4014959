// Key strings played into the fake keyboard: what is pressed, in which order, and what is said.

#include <gtest/gtest.h>

#include "commands/key_player.h"
#include "port/fake/fake_desktop.h"

namespace tw {
namespace {

using port::fake::ActionLog;

struct Played {
  ActionLog log;
  std::vector<std::string> notices;
  bool complete;
  std::string error;
};

Played Play(std::string_view text) {
  port::fake::FakeDesktop desktop;
  std::vector<std::string> notices;
  KeyPlan plan = ParseKeyString(text);
  bool complete = PlayKeys(plan, desktop.keyboard(), desktop.toggleKeys(),
                           [&](const std::string& notice) { notices.push_back(notice); },
                           nullptr) == PlayResult::Complete;
  return {desktop.log(), notices, complete, plan.Error};
}

TEST(KeyStrings, ModifiersGroupsAndNamedKeys) {
  struct Case {
    const char* text;
    ActionLog log;
  };
  const Case cases[] = {
      {"^c", {"key down Control", "key down c", "key up c", "key up Control"}},
      {"^(ac)", {"key down Control", "key down a", "key up a", "key down c", "key up c", "key up Control"}},
      {"~a", {"key down Shift", "key down a", "key up a", "key up Shift"}},
      {"{a}", {"type A"}},
      {"{a 3}", {"type A", "type A", "type A"}},
      {"{TAB 3}", {"key down Tab", "key up Tab", "key down Tab", "key up Tab", "key down Tab", "key up Tab"}},
      {"{tab}", {"key down Tab", "key up Tab"}},
      {"{BKSP}{BS}", {"key down Backspace", "key up Backspace", "key down Backspace", "key up Backspace"}},
      {"{{}", {"type {"}},
      {"{}}", {"type }"}},
      {"{~}{^}{@}{(}{)}", {"type ~", "type ^", "type @", "type (", "type )"}},
      {"+%", {"type +", "type %"}},
      {"@{F4}", {"key down Alt", "key down F4", "key up F4", "key up Alt"}},
      {"^~{END}", {"key down Control", "key down Shift", "key down End", "key up End", "key up Shift",
                   "key up Control"}},
      {"^A", {"key down Control", "key down Shift", "key down a", "key up a", "key up Shift", "key up Control"}},
      {"é€", {"type é", "type €"}},
      {"{TAB 0}x", {"type x"}},
  };
  for (const Case& c : cases) {
    Played played = Play(c.text);
    EXPECT_EQ(played.log, c.log) << c.text;
    EXPECT_TRUE(played.notices.empty()) << c.text;
    EXPECT_TRUE(played.complete) << c.text;
  }
}

TEST(KeyStrings, ProblemsAreToldAndNoModifierStaysDown) {
  Played unknown = Play("{INSERT}ab");
  EXPECT_EQ(unknown.notices, (std::vector<std::string>{"Invalid Key Name"}));
  EXPECT_EQ(unknown.log, (ActionLog{"type a", "type b"}));

  Played unclosed = Play("^x{ENTER and more");
  EXPECT_EQ(unclosed.notices, (std::vector<std::string>{"No Close"}));
  EXPECT_FALSE(unclosed.complete);
  EXPECT_EQ(unclosed.log, (ActionLog{"key down Control", "key down x", "key up x", "key up Control"}));

  Played stuck = Play("^(ab{ENTER");
  EXPECT_EQ(stuck.log.back(), "key up Control");
  Played openGroup = Play("@(xy");
  EXPECT_EQ(openGroup.log.back(), "key up Alt");

  Played badCount = Play("a{TAB x}b");
  EXPECT_EQ(badCount.error, "'X' is not a valid repeat count");
  EXPECT_EQ(badCount.log, (ActionLog{"type a"}));

  Played missing = Play("^\xe2\x82\xac{\xc3\xa9}");  // Ctrl+Euro sign: the layout has no key for it
  EXPECT_EQ(missing.notices, (std::vector<std::string>{"Invalid KeyName"}));
  EXPECT_EQ(missing.log, (ActionLog{"key down Control", "key up Control", "type É"}));
}

TEST(KeyStrings, NumLockSwitchesTheRealLock) {
  port::fake::FakeDesktop desktop;
  KeyPlan plan = ParseKeyString("{NUMLOCK}1{NUMLOCK 5}");
  PlayKeys(plan, desktop.keyboard(), desktop.toggleKeys(), [](const std::string&) {}, nullptr);
  EXPECT_EQ(desktop.log(), (ActionLog{"toggle NumLock on", "type 1", "toggle NumLock off"}));
}

TEST(KeyStrings, TheFortyTwoNamesAndNoOthers) {
  int known = 0;
  for (const char* name : {"BKSP", "BS", "BACKSPACE", "BREAK", "CAPSLOCK", "CLEAR", "DEL", "DELETE", "DOWN", "END",
                           "ENTER", "ESC", "ESCAPE", "HELP", "HOME", "INS", "LEFT", "PGDN", "PGUP", "PRTSC", "RIGHT",
                           "SCROLLLOCK", "SPACE", "TAB", "UP"})
    known += NamedKey(name).has_value();
  for (int n = 1; n <= 16; ++n) known += NamedKey("F" + std::to_string(n)).has_value();
  known += IsNumLockName("NUMLOCK");
  EXPECT_EQ(known, 42);
  for (const char* name : {"INSERT", "PGDOWN", "F17", "F0", "F01", "RETURN", ""})
    EXPECT_FALSE(NamedKey(name).has_value()) << name;
}

}  // namespace
}  // namespace tw
