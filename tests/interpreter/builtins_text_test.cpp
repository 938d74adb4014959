// Text functions through whole scripts.

#include "interpreter/builtin_test_support.h"
#include "support/script_cases.h"

namespace tw {
namespace {

using test::ErrorAt;
using test::RunCases;
using test::ScriptCase;

// Brackets around a printed result make an empty text visible.
std::string Show(const std::string& call) { return "print \"[\" + " + call + " + \"]\""; }

TEST(TextFunctions, CutPiecesCountingFromOne) {
  const ScriptCase cases[] = {
      {"left", Show("left(\"abc\", 2)"), "[ab]\n", ""},
      {"left longer than the text", Show("left(\"abc\", 10)"), "[abc]\n", ""},
      {"left of nothing", Show("left(\"abc\", 0)") + "\n" + Show("left(\"abc\", -1)"), "[]\n[]\n", ""},
      {"right", Show("right(\"abc\", 2)"), "[bc]\n", ""},
      {"right longer than the text", Show("right(\"abc\", 10)"), "[abc]\n", ""},
      {"right of nothing", Show("right(\"abc\", 0)") + "\n" + Show("right(\"abc\", -3)"), "[]\n[]\n", ""},
      {"mid", Show("mid(\"abcdef\", 2, 3)"), "[bcd]\n", ""},
      {"mid start below one counts as one", Show("mid(\"abcdef\", 0, 2)") + "\n" + Show("mid(\"abc\", -5, 1)"),
       "[ab]\n[a]\n", ""},
      {"mid past the end", Show("mid(\"abc\", 5, 1)") + "\n" + Show("mid(\"abc\", 4, 1)"), "[]\n[]\n", ""},
      {"mid count cut at the end", Show("mid(\"abcdef\", 4, 100)"), "[def]\n", ""},
      {"mid count below one", Show("mid(\"abc\", 2, 0)"), "[]\n", ""},
      {"length", "print length(\"abc\")\nprint length(\"\")", "3\n0\n", ""},
      {"a count that is no number", Show("left(\"abc\", \"x\")"), "", ErrorAt("Invalid Value", 1)},
      {"a start that is no number", "x = mid(\"abc\", \"two\", 1)", "", ErrorAt("Invalid Value", 1)},
  };
  RunCases(cases);
}

TEST(TextFunctions, FindAndPos) {
  const ScriptCase cases[] = {
      {"first occurrence", "print find(\"abcabc\", \"c\")\nprint pos(\"abcabc\", \"bc\")", "3\n2\n", ""},
      {"absent and empty", "print find(\"Hello\", \"x\")\nprint find(\"Hello\", \"\")", "0\n0\n", ""},
      {"exact unless mode 1", "print find(\"Hello\", \"LL\")\nprint find(\"Hello\", \"LL\", 1)\nprint find(\"Hello\", \"LL\", 2)",
       "0\n3\n0\n", ""},
      {"a mode that is no number", "print find(\"a\", \"a\", \"fast\")", "", ErrorAt("Invalid Value", 1)},
  };
  RunCases(cases);
}

TEST(TextFunctions, CaseTrimAndCodes) {
  const ScriptCase cases[] = {
      {"upper and lower touch only letters", "print upper(\"abc-Xyz 1\")\nprint lower(\"ABC-xYZ 1\")",
       "ABC-XYZ 1\nabc-xyz 1\n", ""},
      {"trim drops control characters and blanks", Show("trim(chr(9) + \" x y \" + chr(13) + chr(10))"), "[x y]\n", ""},
      {"trim keeps inner and high characters", Show("trim(chr(160) + \"x\")"), "[\u00A0x]\n", ""},
      {"asc", "print asc(\"A\")\nprint asc(\"\")\nprint asc(chr(200))", "65\n0\n200\n", ""},
      {"chr of no number", "x = chr(\"A\")", "", ErrorAt("Invalid Value", 1)},
  };
  RunCases(cases);
}

TEST(TextFunctions, StrAndVal) {
  const ScriptCase cases[] = {
      {"str is the argument's text", "x = \"007\"\nprint str(x)\nprint str(12.50)", "007\n12.5\n", ""},
      {"val reads decimal reals", "print val(\"1e3\")\nprint val(\" -1.5e-2 \")\nprint val(\"+.5\")", "1000\n-0.015\n0.5\n", ""},
      {"val of no number is 0", "print val(\"abc\")\nprint val(\"\")\nprint val(\"2abc\")", "0\n0\n0\n", ""},
      {"val gives a number", "print val(\"2\") + val(\"3\")", "5\n", ""},
  };
  RunCases(cases);
  Locale comma;
  comma.decimalSeparator = ',';
  test::ScopedLocale scoped(comma);
  const ScriptCase local[] = {
      {"val uses the decimal separator", "print val(\"1,5\") * 2\nprint val(\"1.5\")", "3\n0\n", ""},
  };
  RunCases(local);
}

TEST(TextFunctions, Padding) {
  const ScriptCase cases[] = {
      {"leftpad", "print leftpad(\"7\", 3, \"0\")", "007\n", ""},
      {"already long enough", "print leftpad(\"1234\", 3, \"0\")\nprint rightpad(\"1234\", 4, \"0\")", "1234\n1234\n", ""},
      {"rightpad uses the first pad character", "print rightpad(\"ab\", 4, \"xy\")", "abxx\n", ""},
      {"empty pad leaves the text", "print leftpad(\"7\", 3, \"\")\nprint rightpad(\"7\", 3, \"\")", "7\n7\n", ""},
      {"length below one leaves the text", "print leftpad(\"7\", -2, \"0\")", "7\n", ""},
      {"length that is no number", "print leftpad(\"7\", \"wide\", \"0\")", "", ErrorAt("Invalid Value", 1)},
  };
  RunCases(cases);
}

TEST(TextFunctions, ParseSplitsAVariable) {
  const ScriptCase cases[] = {
      {"three calls take a list apart",
       "line = \"a,b,c\"\nprint parse(line, \",\")\nprint parse(line, \",\")\nprint parse(line, \",\")\n"
       "print \"[\" + line + \"]\"",
       "a\nb\nc\n[]\n", ""},
      {"a longer delimiter", "s = \"x::y::z\"\nprint parse(s, \"::\")\nprint s", "x\ny::z\n", ""},
      {"mode 1 ignores letter case", "s = \"oneANDtwo\"\nprint parse(s, \"and\", 1)\nprint s", "one\ntwo\n", ""},
      {"absent delimiter takes everything",
       "s = \"oneANDtwo\"\nprint parse(s, \"and\")\nprint \"[\" + s + \"]\"", "oneANDtwo\n[]\n", ""},
      {"empty delimiter takes everything", "s = \"ab\"\nprint parse(s, \"\")\nprint \"[\" + s + \"]\"", "ab\n[]\n", ""},
      {"a global keeps living in the globals",
       "global g\ng = \"1;2\"\nx = parse(g, \";\")\nprint x + \"|\" + g", "1|2\n", ""},
      {"a number in the variable", "n = 12.5\nprint parse(n, \".\")\nprint n", "12\n5\n", ""},
      {"an element cannot be split", "a[1] = \"x,y\"\nprint parse(a[1], \",\")", "", ErrorAt("Syntax Error", 2)},
      {"a literal cannot be split", "print parse(\"x,y\", \",\")", "", ErrorAt("Syntax Error", 1)},
  };
  RunCases(cases);
}

TEST(TextFunctions, AFailedCallUnderNoErrorGivesTheInitialValue) {
  const ScriptCase cases[] = {
      {"initial values", "noerror(1)\nprint \"[\" + left(\"abc\", \"q\") + \"]\"\nprint find(\"a\", \"a\", \"q\")",
       "[]\n0\n", ""},
  };
  RunCases(cases);
}

TEST(TextFunctions, SyntaxCheckReadsArgumentsAndKeepsInitialValues) {
  test::RecordingHost host;
  auto values = test::GlobalsAfterCheck(
      "_global.line = \"a,b\"\n"
      "_global.asc = asc(\"A\")\n_global.chr = chr(65)\n_global.find = find(\"ab\", \"b\")\n"
      "_global.left = left(\"ab\", 1)\n_global.mid = mid(\"ab\", 1, 1)\n_global.length = length(\"ab\")\n"
      "_global.upper = upper(\"a\")\n_global.trim = trim(\" a \")\n_global.str = str(5)\n_global.val = val(\"5\")\n"
      "_global.pad = leftpad(\"7\", 3, \"0\")\n_global.parse = parse(_global.line, \",\")\n"
      "_global.bad = left(\"ab\", \"x\")",
      host);
  const std::map<std::string, std::string> expected = {
      {"_global.line", "String:a,b"},  // parse left it alone
      {"_global.asc", "Integer:0"},     {"_global.chr", "String:"},     {"_global.find", "Integer:0"},
      {"_global.left", "String:"},      {"_global.mid", "String:"},     {"_global.length", "Integer:0"},
      {"_global.upper", "String:"},     {"_global.trim", "String:"},    {"_global.str", "String:"},
      {"_global.val", "Integer:0"},     {"_global.pad", "String:"},     {"_global.parse", "String:"},
      {"_global.bad", "String:"},
  };
  for (const auto& [name, value] : expected) EXPECT_EQ(values[name], value) << name;
  EXPECT_TRUE(host.ScriptErrors.empty());
}

}  // namespace
}  // namespace tw
