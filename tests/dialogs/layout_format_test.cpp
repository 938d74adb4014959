// The text-layout format: fields in square brackets on a character grid, and their conversion into an enhanced
// definition. The fixture's grid is 8 pixels wide and 26 high (a "Wg" 16 high plus 10).

#include <climits>

#include <gtest/gtest.h>

#include "dialog_test_support.h"
#include "interpreter/interpreter.h"

namespace tw {
namespace {

using test::DialogFixture;

TEST(LayoutFormat, GridAndWindowSize) {
  DialogFixture f;
  EXPECT_EQ(f.dialog.CharWidth, 8);
  EXPECT_EQ(f.dialog.LineHeight, 26);
  ASSERT_TRUE(f.Layout({"no fields here", "and a longer line here"}));
  ASSERT_EQ(f.dialog.Controls.size(), 1u);  // only the icon
  EXPECT_EQ(f.dialog.Controls[0].Kind, ControlKind::Image);
  EXPECT_EQ(f.dialog.Controls[0].ImageIndex, 1);
  EXPECT_EQ(f.dialog.Controls[0].Bounds, (port::Rect{5, 5, 32, 32}));
  EXPECT_EQ(f.dialog.ClientSize(), (port::Size{8 * (22 + 3) + 42, 2 * 26 + 14}));
  // Centred on the screen, to the nearest pixel.
  EXPECT_EQ(f.dialog.Window.Frame, (port::Rect{(1024 - 250) / 2, (768 - 94) / 2, 250, 94}));

  f.dialog.WidthOverride = 400;
  f.dialog.HeightOverride = 300;
  ASSERT_TRUE(f.Layout({"[Ex: ]"}));
  EXPECT_EQ(f.dialog.Window.Frame, (port::Rect{312, 234, 400, 300}));
}

TEST(LayoutFormat, FieldsOfEveryKind) {
  DialogFixture f;
  ASSERT_TRUE(f.Layout({
      "          [L:Name:] [Euser:^preset  ]",
      "          [cagree: I agree] [Rone:^first] [rtwo:second]",
      "          [Ppass:]    [Q: unknown kinds make nothing]",
      "          [Tclock:30] [Tlater:5]",
  }));
  // The leftmost "[" is in column 10 on every line, so fields there start at 42 pixels.
  const DialogControl& label = f.Control("L1");
  EXPECT_EQ(label.Text, "Name:");
  EXPECT_EQ(label.Bounds, (port::Rect{42, 9, 7 * 8, 26}));  // "Name:" plus 2 cells; round(5.2) + 4
  EXPECT_TRUE(label.Font->Bold);
  // The label is 7 cells wide, so the edit box starts one blank after that: cell 8.
  const DialogControl& user = f.Control("Euser");
  EXPECT_EQ(user.Text, "preset");
  EXPECT_TRUE(user.Focus);
  EXPECT_EQ(user.Bounds, (port::Rect{42 + 8 * 8, 5, 17 * 8, 24}));  // the default height: "Tg" + 8
  const DialogControl& agree = f.Control("CAGREE");
  EXPECT_EQ(agree.Text, " I agree");
  EXPECT_FALSE(agree.Font->Bold);  // written with a lower-case letter
  EXPECT_EQ(agree.Bounds.top, 26 + 4);
  EXPECT_TRUE(f.Control("Rone").Checked);
  EXPECT_EQ(f.Control("Rone").Text, "first");
  EXPECT_TRUE(f.Control("Rone").Font->Bold);
  EXPECT_FALSE(f.Control("rtwo").Checked);
  EXPECT_TRUE(f.Control("Ppass").Password);
  EXPECT_EQ(f.Control("Ppass").Kind, ControlKind::Edit);
  EXPECT_EQ(f.Control("Tclock").Kind, ControlKind::Countdown);
  EXPECT_EQ(f.Control("TimerLabel").Text, "30");
  EXPECT_FALSE(f.dialog.FindControl("Tlater"));  // only the first countdown counts
  EXPECT_EQ(f.dialog.Window.PositionMode, 0);
  EXPECT_EQ(f.dialog.Window.Font, (DialogFont{"Courier New", 10}));
}

TEST(LayoutFormat, ButtonRowsShareTheFieldsWidth) {
  DialogFixture f;
  ASSERT_TRUE(f.Layout({"[Bok:^OK,Bcancel:Cancel]", "[bhelp:Help]"}));
  // 24 cells for two buttons, half a cell (4 pixels) apart: round(8 * 24 / 2 + 4 / 2) - 4 = 94.
  const DialogControl& ok = f.Control("Bok");
  const DialogControl& cancel = f.Control("Bcancel");
  EXPECT_EQ(ok.Bounds, (port::Rect{42, 4, 94, 26}));
  EXPECT_EQ(cancel.Bounds, (port::Rect{42 + 94 + 4, 4, 94, 26}));
  EXPECT_TRUE(ok.DefaultButton);
  EXPECT_EQ(ok.Text, "OK");
  EXPECT_FALSE(cancel.DefaultButton);
  EXPECT_TRUE(ok.Font->Bold);
  EXPECT_TRUE(cancel.Font->Bold);
  const DialogControl& help = f.Control("bhelp");
  EXPECT_EQ(help.Bounds, (port::Rect{42, 26 + 4, 8 * 12, 26}));  // one button: the whole field
  EXPECT_FALSE(help.Font.has_value());
}

TEST(LayoutFormat, MemoFieldsOfOneNameBuildOneMemo) {
  DialogFixture f;
  ASSERT_TRUE(f.Layout({"[Mnotes:^first  ]", "[mnotes: second ]"}));
  const DialogControl& memo = f.Control("MNOTES");
  EXPECT_EQ(memo.Name, "MNOTES");
  EXPECT_EQ(memo.Text, "first\r\nsecond");
  EXPECT_EQ(memo.Bounds, (port::Rect{42, 5, 17 * 8, 2 * 26 - 2}));
  EXPECT_TRUE(memo.Focus);
  EXPECT_EQ(memo.Scrolling, ScrollBars::Vertical);
  EXPECT_EQ(f.dialog.Controls.size(), 2u);  // the memo and the icon
}

TEST(LayoutFormat, ALabelOverTwoLinesKeepsTheRowsAndPlacesItsClosingLineByItsWidth) {
  DialogFixture f;
  ASSERT_TRUE(f.Layout({
      "[L:First line",
      "   second]  [Eabc:   ]",
      "[Cx:y]",
  }));
  const DialogControl& label = f.Control("L1");
  EXPECT_EQ(label.Text, "First line\r\nsecond");
  EXPECT_EQ(label.Bounds, (port::Rect{42, 9, 12 * 8, 2 * 26}));
  // The edit box starts 12 cells (the label) plus 2 blanks in, not at its own column 12.
  EXPECT_EQ(f.Control("Eabc").Bounds.left, 14 * 8 + 42);
  EXPECT_EQ(f.Control("Eabc").Bounds.top, 26 + 5);
  EXPECT_EQ(f.Control("Cx").Bounds.top, 2 * 26 + 4);
}

TEST(LayoutFormat, DefinedResultsForBrokenFields) {
  DialogFixture f;
  ASSERT_TRUE(f.Layout({"[Ea:1]", "[Eb:2"}));  // a "[" without "]" ends building
  EXPECT_TRUE(f.dialog.FindControl("Ea"));
  EXPECT_FALSE(f.dialog.FindControl("Eb"));

  EXPECT_FALSE(f.Layout({"[E user: x]"}));
  EXPECT_EQ(f.host.ErrorBoxes.back(), "#Dialog Script Error: \"\"E user\" is not a valid control name\"");
  EXPECT_TRUE(f.dialog.Controls.empty());
  EXPECT_FALSE(f.Layout({"[Ex:1] [Ex:2]"}));
  EXPECT_EQ(f.host.ErrorBoxes.back(), "#Dialog Script Error: \"A control named Ex already exists\"");
  EXPECT_FALSE(f.Layout({"[Bok:OK,B-2:No]"}));
  EXPECT_EQ(f.host.ErrorBoxes.back(), "Error Creating Dialog Buttons: B-2");
  EXPECT_TRUE(f.dialog.Controls.empty());
}

TEST(LayoutFormat, TheCountdownCountsDownTheSecondsOfItsLabel) {
  DialogFixture f;
  ASSERT_TRUE(f.Layout({"[Tclock:2]"}));
  EXPECT_FALSE(f.dialog.CountdownTick());
  EXPECT_EQ(f.Control("TimerLabel").Text, "1");
  EXPECT_EQ(f.dialog.GetControlValue("tclock"), "0");
  EXPECT_TRUE(f.dialog.CountdownTick());
  EXPECT_EQ(f.Control("TimerLabel").Text, "0");
  EXPECT_EQ(f.dialog.GetControlValue("tclock"), "1");
  ASSERT_TRUE(f.Layout({"[Tclock:soon]"}));  // not a number: ten seconds
  f.dialog.CountdownTick();
  EXPECT_EQ(f.Control("TimerLabel").Text, "9");
}

// Converting keeps every control under a name that reads back as itself, turns the countdown into the
// timeout, lists both changes, and leaves placeholders for the run to fill in.
TEST(LayoutFormat, ConversionKeepsWhatTheEnhancedFormatCanHoldAndListsTheRest) {
  DialogFixture f;
  TBasicInterpreter interpreter(f.host);
  f.dialog.SetInterpreter(&interpreter);
  interpreter.SetVariable("user", ScriptValue("Ada"));
  f.dialog.Window.Caption = "Login";
  f.dialog.Definition = {"[L:Hello |user|]", "[Ppass: ]  [Bok:^OK,cancel:Cancel]", "[Tclock:30]  [C:tick]"};
  const auto changes = f.dialog.ConvertLayoutDefinition();
  ASSERT_TRUE(changes.has_value());
  EXPECT_EQ(*changes, (std::vector<ConversionChange>{
                          {ConversionChange::Kind::CountdownBecameTimeout, "Tclock", ""},
                          {ConversionChange::Kind::Renamed, "Ppass", "EPPASS"},
                          {ConversionChange::Kind::Renamed, "cancel", "BCANCEL"},
                          {ConversionChange::Kind::Renamed, "C", "CC"},
                      }));
  EXPECT_TRUE(f.dialog.Controls.empty());
  const std::vector<std::string>& lines = f.dialog.Definition;
  ASSERT_GE(lines.size(), 2u);
  EXPECT_TRUE(lines[0].starts_with("WINDOW,")) << lines[0];
  EXPECT_TRUE(lines[0].ends_with(",0,\"Courier New\",10,N,\"Login\"")) << lines[0];
  EXPECT_EQ(lines[1], "WINDOW1,30.00,clBtnFace");

  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  ASSERT_TRUE(f.Read(text));
  EXPECT_EQ(f.Control("L1").Text, "Hello Ada");  // expanded when shown, not when converted
  EXPECT_TRUE(f.Control("EPPASS").Password);
  EXPECT_EQ(f.Control("BOK").Kind, ControlKind::Button);
  EXPECT_EQ(f.Control("BCANCEL").Kind, ControlKind::Button);
  EXPECT_EQ(f.Control("CC").Text, "tick");
  EXPECT_FALSE(f.dialog.FindControl("TimerLabel"));
  EXPECT_EQ(f.dialog.Window.TimeoutMs, 30000);
  f.dialog.SetInterpreter(nullptr);

  f.dialog.Definition = {"[Tclock:77777777]"};  // more seconds than a timeout holds: the longest one
  ASSERT_TRUE(f.dialog.ConvertLayoutDefinition().has_value());
  ASSERT_TRUE(f.Read(f.dialog.Definition[0] + "\n" + f.dialog.Definition[1] + "\n"));
  EXPECT_EQ(f.dialog.Window.TimeoutMs, INT_MAX / 1000 * 1000);

  f.dialog.Definition = {"[Ex:1] [Ex:2]"};
  EXPECT_FALSE(f.dialog.ConvertLayoutDefinition().has_value());
  EXPECT_EQ(f.dialog.Definition, (std::vector<std::string>{"[Ex:1] [Ex:2]"}));
}

}  // namespace
}  // namespace tw
