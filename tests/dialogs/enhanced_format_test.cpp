// The enhanced definition format on its own: reading lines into controls and writing them back.

#include <gtest/gtest.h>

#include "dialog_test_support.h"
#include "dialogs/definition_text.h"

namespace tw {
namespace {

using test::DialogFixture;

constexpr const char* kNewDialog =
    "WINDOW,374,293,326,193,1,\"Tahoma\",9,N,\"Dialog\"\n"
    "WINDOW1,0\n"
    "I3,8,8,32,32,0,\"\",0,0,1,0,0,0,\"\"\n"
    "L4,48,16,260,100,0,\"Tahoma\",9,N,0,0,0,\"Hello, World!\"\n"
    "B200,148,132,78,26,0,\"Tahoma\",9,N,0,0,0,\"&OK\"\n"
    "B201,232,132,78,26,0,\"Tahoma\",9,N,0,0,0,\"&Cancel\"\n";

TEST(EnhancedFormat, TheNewDialogReadsAndWritesBackInItsOrderCentredWithItsOptionsInFull) {
  for (bool designMode : {false, true}) {
    DialogFixture f;
    ASSERT_TRUE(f.Read(kNewDialog, designMode));
    EXPECT_EQ(f.Written(),
              "WINDOW,349,287,326,193,1,\"Tahoma\",9,N,\"Dialog\"\n"  // (1024 - 326) div 2, (768 - 193) div 2
              "WINDOW1,0.00,clBtnFace\n"
              "I3,8,8,32,32,0,\"\",0,0,1,0,0,0,\"\"\n"
              "L4,48,16,260,100,0,\"Tahoma\",9,N,0,0,0,\"Hello, World!\"\n"
              "B200,148,132,78,26,0,\"Tahoma\",9,N,0,0,0,\"&OK\"\n"
              "B201,232,132,78,26,0,\"Tahoma\",9,N,0,0,0,\"&Cancel\"\n")
        << "design mode " << designMode;
  }
}

TEST(EnhancedFormat, PositionsAndSizes) {
  const std::string window = "WINDOW,0,0,300,200,0,\"Tahoma\",9,N,\"T\"\n";
  struct Case {
    const char* name;
    std::string lines;
    const char* control;
    port::Rect bounds;
  };
  const Case cases[] = {
      // One letter: the next free number; both sides left to the default: the button's 75 x 25.
      {"default button", "B,10,10,-3,-3,0,\"\",0,0,0,0,0,\"Button\"\n", "B1", {10, 10, 75, 25}},
      {"beside the previous",
       "L1,0,0,100,20,0,\"\",0,N,0,0,0,\"a\"\nL2,-2,0,50,20,0,\"\",0,N,0,0,0,\"b\"\n",
       "L2",
       {104, 0, 50, 20}},  // 100 + half of 9 points
      {"below, same size",
       "E1,5,6,70,22,0,\"\",0,N,0,0,50,\"\"\nE2,-1,-2,-1,-2,0,\"\",0,N,0,0,50,\"\"\n",
       "E2",
       {5, 32, 70, 22}},
      {"not numbers count as -1",
       "C1,7,8,90,17,0,\"\",0,N,0,0,0,\"\"\nC2,x,,y,z,0,\"\",0,N,0,0,0,\"\"\n",
       "C2",
       {7, 8, 90, 17}},
      {"only the defaulted side", "E1,0,0,200,-3,0,\"\",0,N,0,0,50,\"\"\n", "E1", {0, 0, 200, 22}},
      {"other negatives stay", "S1,-7,-40,10,10,0,\"\",0,N,0,0,0,\"\"\n", "S1", {-7, -40, 10, 10}},
      {"after a default size",
       "B1,0,0,-3,-3,0,\"\",0,N,0,0,0,\"\"\nB2,-2,-1,-1,-1,0,\"\",0,N,0,0,0,\"\"\n",
       "B2",
       {79, 0, 75, 25}},
      {"unknown kinds still move the previous rectangle",
       "X9,40,50,10,10\nL1,-2,-1,5,5,0,\"\",0,N,0,0,0,\"\"\n",
       "L1",
       {54, 50, 5, 5}},
      // Far beyond any screen: held to a million pixels, so placing the next one beside it cannot overflow.
      {"huge numbers are bounded",
       "L1,$55555555,0,2000000000,20,0,\"\",0,N,0,0,0,\"\"\nL2,-2,-1,-1,-1,0,\"\",0,N,0,0,0,\"\"\n",
       "L2",
       {1000000, 0, 1000000, 20}},
  };
  for (const Case& c : cases) {
    DialogFixture f;
    ASSERT_TRUE(f.Read(window + c.lines)) << c.name;
    EXPECT_EQ(f.Control(c.control).Bounds, c.bounds) << c.name;
  }
  DialogFixture f;
  ASSERT_TRUE(f.Read(window + cases[0].lines));
  EXPECT_FALSE(f.Control("B1").Font.has_value());  // the dialog's font
}

TEST(EnhancedFormat, AWindowWithoutASizeFitsItsControlsAndIsCentredAtThatSize) {
  DialogFixture f;
  ASSERT_TRUE(f.Read("WINDOW,0,0,0,0,0,\"\",0,N,\"T\"\n"
                     "B1,10,10,100,30,0,\"\",0,N,0,0,0,\"a\"\n"
                     "L2,50,60,20,20,0,\"\",0,N,0,0,0,\"b\"\n"));
  EXPECT_EQ(f.dialog.ClientSize(), (port::Size{110, 80}));
  EXPECT_EQ(f.dialog.Window.Frame, (port::Rect{453, 330, 118, 108}));  // frame 4 + 4 wide, 24 + 4 high
  EXPECT_EQ(f.dialog.Window.Font, (DialogFont{"Tahoma", 9}));          // a font without a name changes nothing

  // A huge font and controls chained beside each other at the limit still fit a window without overflowing.
  DialogFixture huge;
  std::string lines =
      "WINDOW,0,0,0,0,0,\"Tahoma\",2147483647,N,\"T\"\nL1,999999,999999,999999,999999,0,\"\",0,N,0,0,0,\"\"\n";
  for (int i = 2; i < 50; ++i) lines += "L" + std::to_string(i) + ",-2,-2,-1,-1,0,\"\",0,N,0,0,0,\"\"\n";
  ASSERT_TRUE(huge.Read(lines));
  EXPECT_EQ(huge.Control("L49").Bounds, (port::Rect{1000000, 1000000, 999999, 999999}));
}

TEST(EnhancedFormat, FieldsOfEveryKind) {
  DialogFixture f;
  ASSERT_TRUE(f.Read(
      "window,10,20,300,200,0,\"Arial\",12,bi,\"Kinds\"\n"
      "WINDOW1,2.5,clSkyBlue\n"
      "C1,0,0,90,17,1,\"Courier New\",8,U,1,0,0,\"&Agree\"\n"
      "E1,0,0,90,20,0,\"\",0,N,0, 1,0,\"not masked: the flag is compared untrimmed\"\n"
      "E2,0,0,90,20,1,\"\",0,N,0,1,x,\"masked\"\n"
      "L1,0,0,90,20,1,\"\",0,N,2,1,0,\"centred\"\n"
      "M1,0,0,90,90,0,\"\",0,N,1,0,,\"one&nl&two\"\n"
      "O1,0,0,90,20,0,\"\",0,N,0,0,0,\"a;;b;\"\n"
      "R1,0,0,90,17,0,\"\",0,N,1,0,0,\"r1\"\n"
      "R2,0,0,90,17,0,\"\",0,N,1,0,0,\"r2\"\n"
      "H1,0,0,50,50,0,\"\",5,3,-2147483643,255,0,\"\"\n"
      "I1,0,0,32,32,0,\"\",0,0,4,TRUE,0,0,\"/no/such/picture.png\"\n"));
  const DialogWindow& window = f.dialog.Window;
  EXPECT_EQ(window.Frame, (port::Rect{10, 20, 300, 200}));
  EXPECT_EQ(window.Font, (DialogFont{"Arial", 12, true, true}));
  EXPECT_EQ(f.dialog.ControlGap, 6);
  EXPECT_EQ(window.TimeoutMs, 2500);
  EXPECT_EQ(window.Colour, static_cast<std::int32_t>(0x00F0CAA6));
  EXPECT_TRUE(f.Control("C1").Checked);
  EXPECT_EQ(f.Control("C1").Font, (DialogFont{"Courier New", 8, false, false, true}));
  EXPECT_FALSE(f.Control("E1").Password);
  EXPECT_EQ(f.Control("E1").MaxLength, 0);
  EXPECT_TRUE(f.Control("E2").Password);
  EXPECT_EQ(f.Control("E2").MaxLength, 50);
  EXPECT_EQ(f.Control("L1").Alignment, 2);
  EXPECT_TRUE(f.Control("L1").WordWrap);
  EXPECT_EQ(f.Control("M1").Text, "one\r\ntwo");
  EXPECT_EQ(f.Control("M1").MaxLength, 200);
  EXPECT_EQ(f.Control("M1").Alignment, 0);  // not read
  EXPECT_EQ(f.Control("M1").Scrolling, ScrollBars::Both);
  EXPECT_EQ(f.Control("O1").Items, (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(f.Control("O1").Selected, 0);
  EXPECT_FALSE(f.Control("R1").Checked);  // one group: the last checked one wins
  EXPECT_TRUE(f.Control("R2").Checked);
  EXPECT_EQ(f.Control("H1").Shape, ShapeKind::Circle);
  EXPECT_EQ(f.Control("H1").PenWidth, 3);
  EXPECT_EQ(f.Control("H1").PenColour, static_cast<std::int32_t>(0x80000005));
  EXPECT_EQ(f.Control("I1").ImageIndex, 4);
  EXPECT_TRUE(f.Control("I1").Stretch);
  // The focus goes to the last control that can take it and carries the flag; a label cannot.
  EXPECT_EQ(f.dialog.InitialFocus(), f.dialog.FindControl("E2"));
}

TEST(EnhancedFormat, QuotedTexts) {
  struct Case {
    const char* name;
    std::string lines;
    std::string text;
  };
  const Case cases[] = {
      {"joined over lines", "L1,0,0,9,9,0,\"\",0,N,0,0,0,\"Press the \">>\n\"green key&nl&\"\n",
       "Press the green key\r\n"},
      {"joined again and again", "L1,0,0,9,9,0,\"\",0,N,0,0,0,\"a\" >>\n  \"b\">>  \n\"c\"\n\"not this\"\n", "abc"},
      {"a final >> takes nothing", "L1,0,0,9,9,0,\"\",0,N,0,0,0,\"end\">>", "end"},
      {"an unclosed quote runs to the end", "L1,0,0,9,9,0,\"\",0,N,0,0,0,\"open, to the end", "open, to the end"},
      {"no quote is no text", "L1,0,0,9,9,0,\"\",0,N,0,0,0,", ""},
      {"escapes", "L1,0,0,9,9,0,\"\",0,N,0,0,0,\"say &qt&hi&qt&&nl&&amp;\"", "say \"hi\"\r\n&amp;"},
      {"an empty text takes no continuation", "L1,0,0,9,9,0,\"\",0,N,0,0,0,\"\">>\n\"x\"\n", ""},
  };
  for (const Case& c : cases) {
    DialogFixture f;
    ASSERT_TRUE(f.Read("WINDOW,0,0,100,100,0,\"\",9,N,\"T\"\n" + c.lines)) << c.name;
    EXPECT_EQ(f.Control("L1").Text, c.text) << c.name;
  }
}

TEST(EnhancedFormat, DefinitionErrorsNameTheTextAndTheLine) {
  struct Case {
    std::string lines;
    std::string box;
  };
  const Case cases[] = {
      {"B1,0,0,9,9,0,\"\",0,N,0,0,0,\"a\"\n'comment\n\nB1,0,0,9,9,0,\"\",0,N,0,0,0,\"b\"\n",
       "Dialog Script Error: \"A control named B1 already exists\" on Line: 15"},
      {"Bok!,0,0,9,9\n", "Dialog Script Error: \"\"BOK!\" is not a valid control name\" on Line: 12"},
  };
  for (const Case& c : cases) {
    DialogFixture f;
    f.dialog.LineBase = 10;
    EXPECT_FALSE(f.Read("WINDOW,0,0,100,100,0,\"\",9,N,\"T\"\n" + c.lines));
    EXPECT_EQ(f.host.ErrorBoxes, (std::vector<std::string>{c.box}));
    EXPECT_TRUE(f.dialog.Controls.empty());
  }
}

TEST(EnhancedFormat, ItemsAreWrittenEachWithASemicolonAndReadBackTheSame) {
  DialogFixture f;
  ASSERT_TRUE(f.Read("WINDOW,0,0,100,100,0,\"\",9,N,\"T\"\nO1,0,0,90,20,0,\"\",0,N,0,0,0,\"a;b\"\n"));
  const std::string written = f.Written();
  EXPECT_NE(written.find("\"a;b;\""), std::string::npos) << written;
  ASSERT_TRUE(f.Read(written));
  EXPECT_EQ(f.Control("O1").Items, (std::vector<std::string>{"a", "b"}));
}

// A long line is split only inside its last quoted text, where the reader joins it again; a text that starts too
// far right for that is written whole.
TEST(EnhancedFormat, LongLinesSplitOnlyInsideTheirLastText) {
  const std::string noBlanks(90, 'x');
  const std::string withBlanks =
      "one two three four five six seven eight nine ten eleven twelve thirteen fourteen fifteen sixteen seventeen "
      "eighteen nineteen twenty twenty-one twenty-two";
  const std::string lateFont(60, 'F');
  struct Case {
    const char* name;
    std::string line;
    std::size_t lines;
  };
  const Case cases[] = {
      {"no blank in the text", "C1,0,0,90,17,0,\"Courier New\",10,N,0,0,0,\"" + noBlanks + "\"\n", 2},
      {"blanks in the text", "B1,0,0,90,17,0,\"Courier New\",10,N,0,0,0,\"" + withBlanks + "\"\n", 3},
      {"text starts late", "E1,0,0,90,20,0,\"" + lateFont + "\",10,N,0,0,0,\"abc def\"\n", 1},
      {"several-byte characters", "M1,0,0,90,20,0,\"\",10,N,0,0,0,\"" + std::string(40, 'y') + "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\"\n", 2},
  };
  for (const Case& c : cases) {
    DialogFixture f;
    ASSERT_TRUE(f.Read("WINDOW,0,0,100,100,0,\"\",9,N,\"T\"\n" + c.line)) << c.name;
    const std::string before = f.dialog.Controls.back().Text;
    const std::string written = f.Written();
    EXPECT_EQ(f.dialog.Definition.size(), 2 + c.lines) << c.name << "\n" << written;
    for (std::size_t i = 2; i + 1 < f.dialog.Definition.size(); ++i) {
      const std::string& piece = f.dialog.Definition[i];
      EXPECT_TRUE(piece.ends_with("\">>")) << c.name << ": " << piece;
      EXPECT_LE(piece.size(), 79u) << c.name;
    }
    ASSERT_TRUE(f.Read(written)) << c.name;
    EXPECT_EQ(f.dialog.Controls.back().Text, before) << c.name;
  }
}

// Every quoted text is written with its quotes and line breaks escaped, so no text can end its field early or
// spill onto the next line.
TEST(EnhancedFormat, EveryQuotedTextIsWrittenEscaped) {
  DialogFixture f;
  ASSERT_TRUE(f.Read("WINDOW,0,0,300,200,0,\"\",9,N,\"a &qt&title&qt& >>\"\n"
                     "WINDOW1,0\n"
                     "O1,0,0,90,20,0,\"\",0,N,0,0,0,\"say &qt&x&qt& >>;b\"\n"
                     "I1,0,0,32,32,0,\"\",0,0,1,0,0,0,\"/tmp/&qt&odd&nl&name\"\n"
                     "B1,0,0,9,9,0,\"\",0,N,0,0,0,\"next line\"\n"));
  f.dialog.Window.Caption += "\r\nsecond line";
  const std::string written = f.Written();
  EXPECT_EQ(f.dialog.Definition.size(), 5u) << written;
  EXPECT_EQ(f.dialog.Definition[0], "WINDOW,0,0,300,200,0,\"Tahoma\",9,N,\"a &qt&title&qt& >>&nl&second line\"");
  ASSERT_TRUE(f.Read(written));
  EXPECT_EQ(f.dialog.Window.Caption, "a \"title\" >>\r\nsecond line");
  EXPECT_EQ(f.Control("O1").Items, (std::vector<std::string>{"say \"x\" >>", "b"}));
  EXPECT_EQ(f.Control("I1").FileName, "/tmp/\"odd\r\nname");
  EXPECT_EQ(f.Control("B1").Text, "next line");
}

TEST(DefinitionText, NumbersAndTimeouts) {
  EXPECT_EQ(ParseDefinitionInteger("42"), 42);
  EXPECT_EQ(ParseDefinitionInteger(" -7"), -7);
  EXPECT_EQ(ParseDefinitionInteger("$1F"), 31);
  EXPECT_EQ(ParseDefinitionInteger("$80000005"), static_cast<std::int32_t>(0x80000005));
  EXPECT_EQ(ParseDefinitionInteger("-2147483648"), INT32_MIN);
  for (const char* bad : {"", "1 ", "2147483648", "$123456789", "0x10", "1.5", "-"})
    EXPECT_FALSE(ParseDefinitionInteger(bad).has_value()) << bad;
  EXPECT_EQ(TimeoutMilliseconds("2.5"), 2500);
  EXPECT_EQ(TimeoutMilliseconds("0.0004"), 0);
  EXPECT_EQ(TimeoutMilliseconds("-3"), 0);  // a negative timeout is none
  EXPECT_EQ(TimeoutMilliseconds("2,5"), 0);
  EXPECT_EQ(TimeoutText(0), "0.00");
  EXPECT_EQ(TimeoutText(1234), "1.23");
  EXPECT_EQ(TimeoutText(125), "0.13");
  EXPECT_EQ(ColourText(kClBtnFace), "clBtnFace");
  EXPECT_EQ(ColourText(0x00123456), "$00123456");
  EXPECT_EQ(ParseColour("CLMENUBAR"), static_cast<std::int32_t>(0x8000001E));
  EXPECT_EQ(ParseColour("$00FF0000"), 0x00FF0000);
  EXPECT_FALSE(ParseColour("reddish").has_value());
}

}  // namespace
}  // namespace tw
