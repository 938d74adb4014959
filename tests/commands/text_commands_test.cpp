// Text blocks, macro blocks and the text functions of the library: string/text, macro, format, strreplace,
// gettext, template and templatevar.

#include <gtest/gtest.h>

#include "commands/library_support.h"
#include "interpreter/scratch_folder.h"

namespace tw {
namespace {

using port::fake::ActionLog;
using port::fake::FakeDesktop;
using test::ErrorAt;
using test::RecordingHost;
using test::RunOnFakeDesktop;
using test::ScriptCase;

TEST(TextBlocks, StringAndTextGiveTheirBodyToAVariable) {
  const ScriptCase cases[] = {
      {"indentation of the first line", "string s\n    a\n      b\nendstring\nprint s", "a\r\n  b\n", ""},
      {"a less indented line keeps its text", "string s\n    abc\n  de\nf\nendstring\nprint s", "abc\r\nde\r\nf\n", ""},
      {"blank lines stay", "string s\n    a\n\n    b\nendstring\nprint s", "a\r\n\r\nb\n", ""},
      {"endtext ends a string block too", "string s\nx\n  endtext\nprint s + \"!\"", "x!\n", ""},
      {"text is the same block", "text t\none\nendstring\nprint t", "one\n", ""},
      {"placeholders are filled", "n = \"Ada\"\nstring s\nDear |n|,\nendstring\nprint s", "Dear Ada,\n", ""},
      {"an empty block", "string s\nendstring\nprint \"[\" + s + \"]\"", "[]\n", ""},
      {"without an end the last line ends it", "print 1\nstring s\nabc\nprint 2", "1\n", ""},
      {"a name is needed", "string\nx\nendstring\nprint 1", "", ErrorAt("Syntax Error", 1)},
  };
  test::RunLibraryCases(cases);
}

TEST(TextFunctions, FormatStrReplaceAndGetText) {
  const ScriptCase cases[] = {
      {"format fills in order", "print format(\"a%sb%sc\", 1, 2)", "a1b2c\n", ""},
      {"too few values leave a %s", "print format(\"a%sb%sc\", 1)", "a1b%sc\n", ""},
      {"too many values are read and left", "x = format(\"a%S\", 1, 2, 3) + \"!\"\nprint x", "a1!\n", ""},
      {"no placeholder", "print format(\"abc\", 9)", "abc\n", ""},
      {"strreplace ignoring case", "print strreplace(\"aAa\", \"a\", \"x\", 1)", "xxx\n", ""},
      {"strreplace exactly", "print strreplace(\"aAa\", \"a\", \"x\")", "xAx\n", ""},
      {"strreplace does not overlap", "print strreplace(\"aaaa\", \"aa\", \"b\")", "bb\n", ""},
      {"strreplace folds the case of every letter", "print strreplace(\"\xC3\x84\xC3\xA4" "A\", \"\xC3\xA4\", \"x\", 1)",
       "xxA\n", ""},
      {"strreplace with nothing to find", "print strreplace(\"abc\", \"\", \"x\")", "abc\n", ""},
      {"strreplace with a bad flag", "print strreplace(\"abc\", \"b\", \"x\", \"q\")", "", ErrorAt("Invalid Value", 1)},
      {"gettext", "t = \"first\" + chr(13) + chr(10) + \"second line\"\nprint gettext(t, 2, 3, 4)", "cond\n", ""},
      {"gettext to the end", "t = \"ab\" + chr(10) + \"cdef\"\nprint gettext(t, 2, 2)", "def\n", ""},
      {"gettext counts characters", "print gettext(\"h\xC3\xA9llo\", 1, 2, 3)", "\xC3\xA9ll\n", ""},
      {"gettext beyond the last line", "t = \"ab\" + chr(10) + \"cd\"\nprint gettext(t, 3, 1)", "<eot>\n", ""},
      {"gettext below line 1", "print gettext(\"ab\", 0, 1)", "", ErrorAt("List index out of bounds (-1)", 1)},
  };
  test::RunLibraryCases(cases);
}

class Templates : public test::ScratchFolderTest {};

TEST_F(Templates, TildeAndBarNotationsAndTheirErrors) {
  Write("tilde.txt", "Dear ~name~,\r\nyou owe ~sum~ ~currency\n~~plain");
  Write("bars.txt", "Dear |name|, |sum|\n");
  const std::string setup = "name = \"Ada\"\nsum = 12.5\ncurrency = \"EUR\"\n";
  const ScriptCase cases[] = {
      {"templatevar mode 1", setup + "print templatevar(\"tilde.txt\", 1)",
       "Dear Ada,\n\ryou owe 12.5 EUR\n\rplain\n\r\n", ""},
      {"templatevar bars", setup + "print templatevar(\"bars.txt\")", "Dear Ada, 12.5\n\n", ""},
      {"template mode 1 writes CR LF lines", setup + "x = template(\"tilde.txt\", \"out.txt\", 1)\nprint x", "0\n", ""},
      {"template may write its input", setup + "x = template(\"bars.txt\", \"bars.txt\")", "", ""},
      {"missing file, mode 1", "x = templatevar(\"none.txt\", 1)", "", ErrorAt("File not Found!", 1)},
      {"missing file, bars", "x = template(\"none.txt\", \"o.txt\")", "", ErrorAt("File not Found!", 1)},
      {"no output file", "x = template(\"bars.txt\", \"\")", "", ErrorAt("Invalid Parameter", 1)},
      {"no input file", "x = templatevar(\"\")", "", ErrorAt("Invalid Parameter", 1)},
      {"output that cannot be made, mode 1", "x = template(\"tilde.txt\", \"no/dir/o.txt\", 1)", "",
       ErrorAt("File not Found!", 1)},
      {"output that cannot be made, bars", "x = template(\"bars.txt\", \"no/dir/o.txt\")", "",
       ErrorAt("Invalid Expression", 1)},
  };
  test::RunLibraryCases(cases);
  EXPECT_EQ(Read("out.txt"), "Dear Ada,\r\nyou owe 12.5 EUR\r\nplain\r\n");
  EXPECT_EQ(Read("bars.txt"), "Dear Ada, 12.5\n");
}

class Macro : public ::testing::Test {
 protected:
  ActionLog Typed() const {
    ActionLog keys;
    for (const std::string& line : desktop.log())
      if (line.starts_with("type ") || line == "key down Enter") keys.push_back(line == "key down Enter" ? "Enter" : line.substr(5));
    return keys;
  }
  test::LibraryRun Run(const std::string& script, port::WindowId target = port::kNoWindow) {
    return RunOnFakeDesktop(script, desktop, host, false, target);
  }

  RecordingHost host;
  FakeDesktop desktop;
};

TEST_F(Macro, LinesAreTypedWithEnterBetweenThemIntoTheWindowOfTheTitle) {
  desktop.fakeWindows().add({.title = "Other"});
  desktop.fakeWindows().add({.title = "Editor - notes"});
  const auto run = Run(
      "v = \"x|\"\n"
      "macro \"editor\", \">\"\n"
      "    ab\n"
      "    % not typed\n"
      "  (c)\n"
      "    |v|\n"
      "endmacro\n"
      "print \"after\"");
  EXPECT_TRUE(run.Errors.empty()) << run.Errors.front();
  EXPECT_EQ(run.Output, "after\n");
  EXPECT_EQ(desktop.log().front(), "activate Editor - notes");
  EXPECT_EQ(Typed(), (ActionLog{">", "a", "b", ">", "Enter", ">", "Enter", ">", "(", "c", ")", ">", "Enter", ">", "x",
                                "|"}));
}

TEST_F(Macro, WithoutATitleTheTargetWindowGetsTheKeysAndWithoutEitherNothingHappens) {
  const auto window = desktop.fakeWindows().add({.title = "Target"});
  auto run = Run("macro\nabc\ndef\nendmacro", window);
  EXPECT_TRUE(run.Errors.empty());
  EXPECT_EQ(Typed(), (ActionLog{"a", "b", "c", "Enter", "d", "e", "f"}));
  desktop.clearLog();
  run = Run("macro\nabc\nendmacro\nprint \"went on\"");
  EXPECT_TRUE(run.Errors.empty());
  EXPECT_EQ(run.Output, "went on\n");
  EXPECT_TRUE(desktop.log().empty());
}

TEST_F(Macro, AWindowThatCannotTakeTheKeysIsAnError) {
  desktop.fakeWindows().add({.title = "Stubborn", .refusedActivations = -1});
  auto run = Run("macro \"Stubborn\"\nabc\nendmacro");
  EXPECT_EQ(run.Errors, (std::vector<std::string>{ErrorAt("Cannot Send to Active Window", 1)}));
  EXPECT_TRUE(Typed().empty());
  host.ScriptErrors.clear();
  run = Run("macro \"Nowhere\"\nabc\nendmacro");  // six searches a second apart
  EXPECT_EQ(run.Errors, (std::vector<std::string>{ErrorAt("Cannot Send to Active Window", 1)}));
}

TEST_F(Macro, AnEndWordLeftOfTheBodyStillEndsIt) {
  const auto window = desktop.fakeWindows().add({.title = "Target"});
  const auto run = Run("typeit()\nprint \"done\"\nend\nsub typeit()\n    macro\n        ab\n    endmacro\nendsub", window);
  EXPECT_TRUE(run.Errors.empty()) << run.Errors.front();
  EXPECT_EQ(run.Output, "done\n");
  EXPECT_EQ(Typed(), (ActionLog{"a", "b"}));
}

}  // namespace
}  // namespace tw
