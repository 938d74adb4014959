// The script properties dialog's rules without widgets: a header into the controls' values and back, the
// edits' own rules and the hotkey capture's judgement.

#include <gtest/gtest.h>

#include "catalogue/script_properties.h"
#include "interpreter/locale/datetime.h"
#include "support/scoped_environment.h"

namespace tw {
namespace {

using port::KeyCombination;
constexpr unsigned kShift = port::kShiftModifier, kCtrl = port::kControlModifier, kAlt = port::kAltModifier;

// A header as read from a file: the start date to the whole second.
TScriptHeader ReadHeader() {
  TScriptHeader header;
  header.command = "/usr/bin/xterm";
  header.path = "/tmp/";
  header.title = "Notes";
  header.description = "Daily notes";
  header.schddatetime = encodeDateTime({.year = 2026, .month = 3, .day = 4, .hour = 10, .minute = 30, .second = 15});
  return header;
}

TEST(ScriptProperties, OKOnAnUntouchedDialogChangesNothing) {
  struct Case {
    const char* what;
    void (*edit)(TScriptHeader&);
  };
  const Case cases[] = {
      {"defaults (timeout 0 shows as 60)", [](TScriptHeader&) {}},
      {"a timeout above the spin's range", [](TScriptHeader& h) { h.timeout = 250000; }},
      {"a count above the spin's range", [](TScriptHeader& h) { h.schdcount = 1000; }},
      {"a run mode of neither button", [](TScriptHeader& h) { h.runmode = 3; }},
      {"a hotkey written in another style", [](TScriptHeader& h) { h.hotkey = "alt+ctrl+f5"; }},
      {"a hotkey naming no key known here", [](TScriptHeader& h) { h.hotkey = "Ctrl+NoSuchKey"; }},
      {"drop-down texts in another case", [](TScriptHeader& h) {
         h.apptype = "dos";
         h.schddwm = "WEEK";
       }},
      {"an empty application type", [](TScriptHeader& h) { h.apptype = ""; }},
      {"midnight", [](TScriptHeader& h) { h.schddatetime = encodeDateTime({.year = 2026, .month = 1, .day = 1}); }},
  };
  for (const Case& c : cases) {
    TScriptHeader header = ReadHeader();
    c.edit(header);
    TScriptHeader stored = header;
    EXPECT_EQ(StoreScriptForm(FillScriptForm(header), stored), std::nullopt) << c.what;
    // Drop-down texts become the item's own spelling; nothing else may move.
    stored.apptype = header.apptype;
    stored.schddwm = header.schddwm;
    EXPECT_EQ(stored, header) << c.what;
  }
}

TEST(ScriptProperties, FillingTheControls) {
  TScriptHeader header = ReadHeader();
  header.apptype = "dos";
  header.schddwm = "Fortnight";
  header.runmode = 2;
  header.timeout = 5;
  header.hotkey = "Ctrl+Alt+F5";
  const ScriptFormValues values = FillScriptForm(header);
  EXPECT_EQ(values.appType, 1);
  EXPECT_EQ(values.scheduleUnit, std::nullopt);
  EXPECT_FALSE(values.onlyOnce);
  EXPECT_TRUE(values.every);
  EXPECT_EQ(values.timeout, 60);
  EXPECT_EQ(values.hotKey, (KeyCombination{kCtrl | kAlt, port::keys::function(5)}));
  EXPECT_EQ(values.startDate + values.startTime, header.schddatetime);
}

TEST(ScriptProperties, StoringTheControls) {
  const TScriptHeader opened = ReadHeader();
  ScriptFormValues values = FillScriptForm(opened);
  values.description = "  \r\n ";
  values.title = "Line one\r\nline two\nthree\rfour";
  values.command = "/opt/tool/bin/run\n";
  values.path = " ";
  values.appType = 2;
  values.hotKey = {};
  values.enableSchedule = true;
  values.onlyOnce = false;
  values.every = true;
  values.scheduleCount = 7;
  values.scheduleUnit = 4;
  values.startDate = encodeDateTime({.year = 2027, .month = 2, .day = 28}) + 0.75;  // a picker's time is ignored
  values.startTime = 100.0 + encodeDateTime({.hour = 23, .minute = 59, .second = 59, .millisecond = 900}) ;
  TScriptHeader header = opened;
  header.hotkey = "Ctrl+Q";
  ASSERT_EQ(StoreScriptForm(values, header), std::nullopt);
  EXPECT_EQ(header.description, "Daily notes");
  EXPECT_EQ(header.title, "Line one line two three four");
  EXPECT_EQ(header.command, "/opt/tool/bin/run ");
  EXPECT_EQ(header.path, "/opt/tool/bin/");
  EXPECT_EQ(header.apptype, "");
  EXPECT_EQ(header.hotkey, "");
  EXPECT_TRUE(header.enableschd);
  EXPECT_EQ(header.runmode, 2);
  EXPECT_EQ(header.schdcount, 7);
  EXPECT_EQ(header.schddwm, "Month");
  EXPECT_EQ(decodeDateTime(header.schddatetime),
            (CivilDateTime{.year = 2027, .month = 2, .day = 28, .hour = 23, .minute = 59, .second = 59}));

  values.onlyOnce = values.every = false;
  header.runmode = 1;
  ASSERT_EQ(StoreScriptForm(values, header), std::nullopt);
  EXPECT_EQ(header.runmode, 1) << "neither button keeps the run mode";
}

TEST(ScriptProperties, ADropDownWithoutSelectionIsRefusedAndChangesNothing) {
  for (auto clear : {+[](ScriptFormValues& v) { v.appType.reset(); },
                     +[](ScriptFormValues& v) { v.scheduleUnit.reset(); }}) {
    const TScriptHeader opened = ReadHeader();
    ScriptFormValues values = FillScriptForm(opened);
    values.title = "changed";
    clear(values);
    TScriptHeader header = opened;
    EXPECT_NE(StoreScriptForm(values, header), std::nullopt);
    EXPECT_EQ(header, opened);
  }
}

TEST(ScriptProperties, EditRules) {
  test::ScopedEnvironment home("HOME", "/home/someone");
  EXPECT_EQ(PathWhenEntered("", "/usr/bin/xterm -e top"), "/usr/bin/");
  EXPECT_EQ(PathWhenEntered("  ", ""), "/home/someone/");
  EXPECT_EQ(PathWhenEntered("", "xterm"), "/home/someone/");
  EXPECT_EQ(PathWhenEntered("/srv", "/usr/bin/xterm"), "/srv");
  EXPECT_EQ(DescriptionWhenLeft(" \n", "Old"), "Old");
  EXPECT_EQ(DescriptionWhenLeft("New", "Old"), "New");
  EXPECT_EQ(PickedTitle("Task Information"), std::nullopt);
  EXPECT_EQ(PickedTitle("xterm"), "xterm");
}

TEST(ScriptProperties, HotKeyCapture) {
  struct Case {
    KeyCombination pressed;
    HotKeyPress expected;
  };
  const Case cases[] = {
      {{kCtrl | kAlt, port::keys::function(5)}, HotKeyPress::Taken},
      {{kCtrl, port::keys::kBackspace}, HotKeyPress::Taken},
      {{kShift | kCtrl, 'a'}, HotKeyPress::Taken},
      {{0, 'a'}, HotKeyPress::Refused},
      {{kShift, 'a'}, HotKeyPress::Refused},
      {{0, port::keys::function(5)}, HotKeyPress::Refused},
      {{kCtrl | kShift, port::keys::kShift}, HotKeyPress::Refused},  // modifiers alone
      {{kCtrl, port::keys::kAlt}, HotKeyPress::Refused},
      {{kCtrl, 0x12345}, HotKeyPress::Refused},  // a key the hotkey text cannot name
      {{0, port::keys::kBackspace}, HotKeyPress::Cleared},
  };
  for (const Case& c : cases)
    EXPECT_EQ(JudgeHotKeyPress(c.pressed), c.expected) << c.pressed.modifiers << " " << c.pressed.key;
}

}  // namespace
}  // namespace tw
