// Value kinds, conversions and operators, seen through scripts and directly.

#include <gtest/gtest.h>

#include "interpreter/number_text.h"
#include "interpreter/value.h"
#include "support/script_cases.h"

namespace tw {
namespace {

using test::ErrorAt;
using test::RunCases;
using test::RunScript;
using test::ScriptCase;

TEST(NumberText, FormatsRealsWithFifteenSignificantDigits) {
  struct Case { double value; const char* text; };
  const Case cases[] = {
      {0, "0"},          {5, "5"},          {3.5, "3.5"},        {-2.25, "-2.25"},
      {0.1 + 0.2, "0.3"}, {1e20, "1E20"},   {1e15, "1E15"},      {123456789012345, "123456789012345"},
      {0.00001, "0.00001"}, {0.000001, "1E-6"}, {1.5e-7, "1.5E-7"}, {1.0 / 3, "0.333333333333333"},
      {-0.0, "0"},       {2.5e300, "2.5E300"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatReal(c.value), c.text) << c.value;
}

TEST(NumberText, ParsesNumbersAndRejectsOtherText) {
  EXPECT_EQ(ParseReal(" 1e3 "), 1000);
  EXPECT_EQ(ParseReal("-2.5"), -2.5);
  EXPECT_EQ(ParseReal("+.5"), 0.5);
  for (const char* bad : {"", "abc", "1e", "2abc", "1.2.3", "--1", "1e999", "."})
    EXPECT_FALSE(ParseReal(bad).has_value()) << bad;
  EXPECT_EQ(ParseReal(FormatReal(1.7976931348623157e308)), 1.7976931348623157e308);  // the top round-trips
  EXPECT_EQ(RoundToInteger(2.5), 2);
  EXPECT_EQ(RoundToInteger(3.5), 4);
  EXPECT_EQ(RoundToInteger(-2.5), -2);
  EXPECT_FALSE(RoundToInteger(3e9).has_value());
}

TEST(ScriptValue, ConversionErrorsNameBothKinds) {
  try {
    ScriptValue("a").ToReal();
    FAIL();
  } catch (const ScriptFailure& failure) {
    EXPECT_STREQ(failure.what(), "Could not convert variant of type (String) into type (Double)");
  }
  EXPECT_THROW(ScriptValue::Real(1e12).ToInteger(), ScriptFailure);
  EXPECT_EQ(ScriptValue("7.5").ToInteger(), 8);
  EXPECT_EQ(ScriptValue::Boolean(true).ToText(), "True");
}

TEST(ScriptValue, AppendingSharesTheBufferButNeverChangesOtherValues) {
  ScriptValue base("ab");
  ScriptValue longer = ScriptValue::Concat(base, "cd");
  ScriptValue other = ScriptValue::Concat(base, "XY");  // base ends before the buffer does now
  ScriptValue doubled = Add(longer, longer);
  EXPECT_EQ(base.TextView(), "ab");
  EXPECT_EQ(longer.TextView(), "abcd");
  EXPECT_EQ(other.TextView(), "abXY");
  EXPECT_EQ(doubled.TextView(), "abcdabcd");
}

TEST(ScriptValues, OperatorsFollowTheLanguageRules) {
  const ScriptCase cases[] = {
      {"real literal", "x = 5\nprint x\nif x = 5 then\nprint \"eq\"\nendif", "5\neq\n", ""},
      {"text literal", "x = \"5\"\nif x = 5 then\nprint \"eq\"\nendif", "eq\n", ""},
      {"text plus number fails", "x = \"a\" + 5", "",
       ErrorAt("Could not convert variant of type (String) into type (Double)", 1)},
      {"text plus text variable", "x = \"5\"\ny = \"a\" + x\nprint y", "a5\n", ""},
      {"left to right", "a = 10\nb = 4\nc = 3\nprint a - b - c", "3\n", ""},
      {"power is right associative", "print 2 ^ 3 ^ 2", "512\n", ""},
      {"unary minus binds tighter", "print -2 ^ 2", "4\n", ""},
      {"division is real", "x = 7 / 2\nprint x\ny = \"7\" / \"2\"\nprint y", "3.5\n3.5\n", ""},
      {"concatenation", "print \"ab\" + \"cd\"", "abcd\n", ""},
      {"division by zero", "x = 1 / 0", "", ErrorAt("Floating point division by zero", 1)},
      {"precedence", "print 2 + 3 * 4 - 6 / 2", "11\n", ""},
      {"parentheses", "print (2 + 3) * 4", "20\n", ""},
      {"big numbers", "print 100000000000000000000", "1E20\n", ""},
      {"text compares bytewise", "if \"B\" < \"a\" then\nprint \"yes\"\nendif", "yes\n", ""},
      {"true and false", "print True + 1\nprint False", "2\n0\n", ""},
      {"constants are read-only", "True = 5\nprint True", "1\n", ""},
      {"unknown reads as zero", "print nothing", "0\n", ""},
      {"arrays", "a[1] = \"p\"\nprint a[2 - 1]\na[1.0] = \"q\"\nprint a[1]", "p\nq\n", ""},
      {"two-dimensional", "m[1, 2] = 7\ni = 1\nprint m[i,2]", "7\n", ""},
      {"index not closed", "a[1 = 2", "", ErrorAt("Missing \"]\" after an array index", 1)},
      {"string keeps colon and tilde", "print \"a:b~c\"", "a:b~c\n", ""},
  };
  RunCases(cases);
}

TEST(ScriptValues, ALongLiteralIsKeptWhole) {
  const std::string longText(5000, 'x');
  auto run = RunScript("s = \"" + longText + "\" + \"!\"\nprint s");
  EXPECT_EQ(run.Output, longText + "!\n");
}

}  // namespace
}  // namespace tw
