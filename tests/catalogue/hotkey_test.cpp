// The hotkey text of script headers and the hotkey table over the fake desktop's hotkeys.

#include <gtest/gtest.h>

#include "catalogue/hotkey_text.h"
#include "catalogue/sys_hot_key.h"
#include "port/fake/fake_hotkeys.h"

namespace tw {
namespace {

using port::KeyCombination;
constexpr unsigned kShift = port::kShiftModifier, kCtrl = port::kControlModifier, kAlt = port::kAltModifier,
                   kWin = port::kSuperModifier;

TEST(HotKeyText, ReadsModifiersInAnyOrderAndKeysByEveryName) {
  struct Case {
    const char* text;
    KeyCombination expected;
  };
  const Case cases[] = {
      {"Ctrl+Alt+F5", {kCtrl | kAlt, 0xffc2}},
      {"Alt+Shift+Home", {kShift | kAlt, 0xff50}},
      {"shift+ctrl+alt+t", {kShift | kCtrl | kAlt, 't'}},
      {" Ctrl + Alt + Del ", {kCtrl | kAlt, 0xffff}},
      {"Win+E", {kWin, 'e'}},
      {"LeftShift+RCtrl+1", {kShift | kCtrl, '1'}},  // a part counts by the word it holds
      {"Control+X", {0, 'x'}},                        // "Control" holds no "CTRL"
      {"F24", {0, 0xffd5}},
      {"Ctrl+F35", {kCtrl, 0xffe0}},
      {"Ctrl+BkSp", {kCtrl, 0xff08}},
      {"Ctrl+PgDn", {kCtrl, 0xff56}},
      // X keysym names.
      {"Ctrl+KP_Add", {kCtrl, 0xffab}},
      {"Ctrl+minus", {kCtrl, '-'}},
      {"Alt+XF86AudioPlay", {kAlt, 0x1008ff14}},
      {"Ctrl+Page_Up", {kCtrl, 0xff55}},
      // Names Windows programs write.
      {"Ctrl+NUMPAD7", {kCtrl, 0xffb7}},
      {"Ctrl+VK_SNAPSHOT", {kCtrl, 0xff61}},
      {"Ctrl+VK_F5", {kCtrl, 0xffc2}},
      {"Ctrl+OEM_PLUS", {kCtrl, '='}},
      {"Ctrl+Num 7", {kCtrl, 0xffb7}},
      {"Alt+Scroll Lock", {kAlt, 0xff14}},
      // The key a character is typed with, as the layout names it.
      {"Ctrl+;", {kCtrl, ';'}},
      {"Ctrl+Ö", {kCtrl, 0xf6}},
      {"Ctrl+€", {kCtrl, 0x10020ac}},
      // Nothing usable.
      {"Ctrl+Alt+Hmoe", {kCtrl | kAlt, 0}},
      {"Ctrl+F36", {kCtrl, 0}},
      {"Ctrl++", {kCtrl, 0}},
      {"Ctrl+ab", {kCtrl, 0}},
      {"", {0, 0}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseHotKey(c.text), c.expected) << c.text;
}

TEST(HotKeyText, EveryNamedKeyWithEveryModifierReadsBackAsWritten) {
  for (const KeyName& entry : KeyNames()) {
    EXPECT_EQ(KeyForName(entry.name), entry.key) << entry.name;
    for (unsigned modifiers = 0; modifiers < 16; ++modifiers) {
      const KeyCombination combination{modifiers, entry.key};
      const std::string text = HotKeyText(combination);
      ASSERT_EQ(ParseHotKey(text), combination) << text;
    }
  }
  EXPECT_EQ(HotKeyText({kShift | kCtrl | kAlt, 0xff50}), "Shift+Ctrl+Alt+Home");
  EXPECT_EQ(HotKeyText({kCtrl, '+'}), "Ctrl+plus");
  EXPECT_EQ(HotKeyText({kCtrl | kAlt, 0xe9}), "Ctrl+Alt+é");
  EXPECT_EQ(HotKeyText({kCtrl, 0}), "");
}

class HotKeyTable : public ::testing::Test {
 protected:
  port::fake::FakeHotKeys desktop_;
  TSysHotKey table_{&desktop_};
  std::vector<int> pressed_;

  HotKeyTable() {
    table_.OnHotKey = [this](int index) { pressed_.push_back(index); };
  }
  void Press(const KeyCombination& combination) {
    desktop_.press(combination);
    table_.ServeEvents();
  }
};

TEST_F(HotKeyTable, EntriesAreRegisteredWhileActiveAndEachCombinationHasOne) {
  desktop_.holdElsewhere({kCtrl | kAlt, 'k'});
  EXPECT_EQ(table_.AddHotKey("Ctrl+Alt+T"), 0);
  table_.SetActive(true);
  EXPECT_EQ(table_.AddHotKey("Ctrl+Alt+K"), 1);
  EXPECT_EQ(table_.AddHotKey("Ctrl+Alt+Hmoe"), 2);
  EXPECT_EQ(table_.AddHotKey("Shift+F2"), 3);
  // The same combination again, however it is written: the same entry.
  EXPECT_EQ(table_.AddHotKey("alt+ctrl+t"), 0);
  EXPECT_EQ(table_.AddHotKey("Ctrl+Alt+K"), 1);
  EXPECT_EQ(table_.AddHotKey("  "), -1);
  EXPECT_EQ(table_.Count(), 4);

  EXPECT_TRUE(table_.Entry(0).registered);
  EXPECT_FALSE(table_.Entry(1).registered) << "another program holds it";
  EXPECT_FALSE(table_.Entry(2).registered) << "no such key";
  EXPECT_TRUE(table_.Entry(3).registered);
  EXPECT_EQ(desktop_.grabbed(), (std::map<int, KeyCombination>{{0, {kCtrl | kAlt, 't'}}, {3, {kShift, 0xffbf}}}));

  Press({kShift, 0xffbf});
  Press({kCtrl | kAlt, 'k'});
  Press({kCtrl | kAlt, 't'});
  EXPECT_EQ(pressed_, (std::vector<int>{3, 0}));
  EXPECT_EQ(desktop_.passedOn(), (std::vector<KeyCombination>{{kCtrl | kAlt, 'k'}}));
}

TEST_F(HotKeyTable, SwitchedOffEveryCombinationGoesBackToTheFocusedProgram) {
  table_.AddHotKey("Ctrl+Alt+T");
  table_.AddHotKey("Ctrl+Alt+U");
  table_.SetActive(true);
  desktop_.press({kCtrl | kAlt, 't'});  // on its way when the table goes off
  table_.SetActive(false);
  EXPECT_TRUE(desktop_.grabbed().empty());
  Press({kCtrl | kAlt, 'u'});
  EXPECT_TRUE(pressed_.empty());
  EXPECT_EQ(desktop_.passedOn().size(), 1u);

  table_.SetActive(true);
  EXPECT_EQ(desktop_.grabbed().size(), 2u);
  Press({kCtrl | kAlt, 'u'});
  EXPECT_EQ(pressed_, std::vector<int>{1});

  table_.Clear();
  EXPECT_EQ(table_.Count(), 0);
  EXPECT_TRUE(desktop_.grabbed().empty());
  EXPECT_EQ(table_.AddHotKey("Ctrl+Alt+U"), 0);
  EXPECT_TRUE(table_.Entry(0).registered);
}

TEST(HotKeyTableWithoutDesktop, KeepsItsEntriesUnregistered) {
  TSysHotKey table(nullptr);
  table.SetActive(true);
  EXPECT_EQ(table.AddHotKey("Ctrl+Alt+T"), 0);
  EXPECT_FALSE(table.Entry(0).registered);
  EXPECT_EQ(table.EventDescriptor(), -1);
  EXPECT_FALSE(table.ModifiersHeld());
  table.ServeEvents();
}

}  // namespace
}  // namespace tw
