// send on the fake desktop: activation attempts, the delay, and what reaches the keyboard.

#include <gtest/gtest.h>

#include <algorithm>

#include "commands/library_support.h"
#include "support/script_cases.h"

namespace tw {
namespace {

using port::fake::ActionLog;
using port::fake::FakeDesktop;
using test::ErrorAt;
using test::RecordingHost;
using test::RunOnFakeDesktop;

ActionLog Typed(const ActionLog& log) {
  ActionLog keys;
  for (const std::string& line : log)
    if (line.rfind("type ", 0) == 0 || line.rfind("key ", 0) == 0) keys.push_back(line);
  return keys;
}

long Activations(const ActionLog& log) {
  return std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.rfind("activate", 0) == 0; });
}

TEST(Send, TypesIntoTheTargetWindowAfterActivatingIt) {
  RecordingHost host;
  FakeDesktop desktop;
  auto window = desktop.fakeWindows().add({.title = "Editor"});
  auto run = RunOnFakeDesktop("send \"hi\" + \"{ENTER}\"\nsend \"{INSERT}x\"", desktop, host, false, window);
  EXPECT_TRUE(run.Errors.empty());
  EXPECT_EQ(Typed(desktop.log()), (ActionLog{"type h", "type i", "key down Enter", "key up Enter", "type x"}));
  EXPECT_EQ(desktop.log().front(), "activate Editor");
  EXPECT_EQ(host.Notices, (std::vector<std::string>{"SendKeys|Invalid Key Name"}));
}

// A doubled prefix presses Ctrl twice and releases it once: afterwards no modifier is held, so a character
// the layout lacks is still typed.
TEST(Send, ADoubledPrefixLeavesNoModifierHeld) {
  RecordingHost host;
  FakeDesktop desktop;
  auto window = desktop.fakeWindows().add({.title = "Editor"});
  auto run = RunOnFakeDesktop("send \"^^~a\u00e9\"", desktop, host, false, window);
  EXPECT_TRUE(run.Errors.empty());
  EXPECT_EQ(Typed(desktop.log()), (ActionLog{"key down Control", "key down Control", "key down Shift",
                                             "key down a", "key up a", "key up Shift", "key up Control",
                                             "type \u00e9"}));
  EXPECT_TRUE(host.Notices.empty());
}

TEST(Send, WithoutATargetOrKeysNothingHappens) {
  RecordingHost host;
  FakeDesktop desktop;
  auto run = RunOnFakeDesktop("send \"abc\"", desktop, host);
  auto window = desktop.fakeWindows().add({.title = "Editor"});
  desktop.clearLog();
  auto empty = RunOnFakeDesktop("send \"\"", desktop, host, false, window);
  EXPECT_TRUE(run.Errors.empty());
  EXPECT_TRUE(empty.Errors.empty());
  EXPECT_TRUE(desktop.log().empty());
  EXPECT_TRUE(host.WindowsEnabled.empty());  // no wait either
}

TEST(Send, TimeoutZeroMakesOneAttemptAndAWindowThatNeverComesIsAnError) {
  RecordingHost host;
  FakeDesktop desktop;
  auto window = desktop.fakeWindows().add({.title = "Stubborn", .refusedActivations = -1});
  auto run = RunOnFakeDesktop("_sktimeout = 0\nsend \"abc\"", desktop, host, false, window);
  EXPECT_EQ(run.Errors, (std::vector<std::string>{ErrorAt("Cannot Send to Active Window", 2)}));
  EXPECT_TRUE(Typed(desktop.log()).empty());
  const long oneAttempt = Activations(desktop.log());
  EXPECT_GE(oneAttempt, 1);
  EXPECT_LE(oneAttempt, 3);  // one activation, asked a few times
}

TEST(Send, AWindowThatComesLaterStillGetsTheKeys) {
  RecordingHost host;
  FakeDesktop desktop;
  auto window = desktop.fakeWindows().add({.title = "Slow", .refusedActivations = 4});
  auto run = RunOnFakeDesktop("send \"ok\"", desktop, host, false, window);
  EXPECT_TRUE(run.Errors.empty());
  EXPECT_EQ(Typed(desktop.log()), (ActionLog{"type o", "type k"}));
}

TEST(Send, TheDelayWaitsAndBadValuesAreErrors) {
  RecordingHost host;
  FakeDesktop desktop;
  auto window = desktop.fakeWindows().add({.title = "Editor"});
  auto run = RunOnFakeDesktop("_delay = 0.05\nsend \"a\"\n_delay = \"soon\"\nsend \"b\"", desktop, host, false, window);
  EXPECT_EQ(run.Errors,
            (std::vector<std::string>{ErrorAt("Could not convert variant of type (String) into type (Double)", 4)}));
  EXPECT_EQ(Typed(desktop.log()), (ActionLog{"type a"}));
  EXPECT_EQ(host.WindowsEnabled, (std::vector<bool>{false, true}));  // the one delay, windows locked meanwhile
  RecordingHost counting;
  auto badCount = RunOnFakeDesktop("send \"{TAB two}\"", desktop, counting, false, window);
  EXPECT_EQ(badCount.Errors, (std::vector<std::string>{ErrorAt("'TWO' is not a valid repeat count", 1)}));
}

// Keys must reach only the target's program: a target that goes away or a focus that moves to another
// program ends the typing within a few keys, with the error; a dialog of the same program takes the rest;
// a stop ends it silently. Whatever is held is released.
TEST(Send, TypingStopsWhenTheKeysWouldGoElsewhere) {
  enum class Then { TargetGoes, OtherProgramFocused, OwnDialogFocused, StopRequested };
  struct Case {
    const char* name;
    Then then;
    bool error;
    bool typedAll;
  };
  const Case cases[] = {
      {"target goes", Then::TargetGoes, true, false},
      {"another program takes the focus", Then::OtherProgramFocused, true, false},
      {"a dialog of the same program", Then::OwnDialogFocused, false, true},
      {"stop request", Then::StopRequested, false, false},
  };
  const std::string text(100, 'x');
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingHost host;
    FakeDesktop desktop;
    auto& windows = desktop.fakeWindows();
    auto other = windows.add({.title = "Other", .processId = 7});
    auto target = windows.add({.title = "Editor", .processId = 5});
    desktop.fakeKeyboard().beforeKey(30, [&] {
      switch (c.then) {
        case Then::TargetGoes: windows.remove(target); break;
        case Then::OtherProgramFocused: windows.setActive(other); break;
        case Then::OwnDialogFocused: windows.setActive(windows.add({.title = "Save As", .processId = 5})); break;
        case Then::StopRequested: TBasicInterpreter::StopRequested = true; break;
      }
    });
    auto run = RunOnFakeDesktop("send \"^(" + text + ")\"\nprint \"after\"", desktop, host, false, target);
    const ActionLog keys = Typed(desktop.log());
    const long typed = std::count_if(keys.begin(), keys.end(), [](const std::string& l) { return l == "key down x"; });
    if (c.typedAll) {
      EXPECT_EQ(typed, 100);
    } else {
      EXPECT_GE(typed, 29);
      EXPECT_LE(typed, 29 + 8);  // at most one short run after the change
    }
    EXPECT_EQ(run.Errors, c.error ? std::vector<std::string>{ErrorAt("Cannot Send to Active Window", 1)}
                                  : std::vector<std::string>{});
    EXPECT_EQ(host.Prints.empty(), !c.typedAll);
    ASSERT_FALSE(keys.empty());
    EXPECT_EQ(keys.back(), "key up Control");
  }
}

TEST(Send, KeysLentForCharactersBeyondTheLayoutAreGivenBackWhenTheRunEnds) {
  RecordingHost host;
  FakeDesktop desktop;
  auto window = desktop.fakeWindows().add({.title = "Editor"});
  RunOnFakeDesktop("send \"K\xc3\xb6ln\"\nsend \"ab\"", desktop, host, false, window);
  ASSERT_FALSE(desktop.log().empty());
  EXPECT_EQ(desktop.log().back(), "keys given back");
  desktop.clearLog();
  RunOnFakeDesktop("send \"plain\"", desktop, host, false, window);
  EXPECT_EQ(std::count(desktop.log().begin(), desktop.log().end(), "keys given back"), 0);
}

}  // namespace
}  // namespace tw
