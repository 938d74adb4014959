// Number functions through whole scripts.

#include <vector>

#include "interpreter/builtin_test_support.h"
#include "support/script_cases.h"

namespace tw {
namespace {

using test::ErrorAt;
using test::RunCases;
using test::ScriptCase;

TEST(NumberFunctions, RoundGoesToTheNearestDecimalWithHalvesToEven) {
  struct Case {
    const char* call;
    const char* printed;
  };
  const Case cases[] = {
      {"round(2.5)", "2"},
      {"round(3.5)", "4"},
      {"round(-2.5)", "-2"},
      {"round(0.5)", "0"},
      {"round(2.4999)", "2"},
      {"round(1234.5678, 2)", "1234.57"},
      {"round(2.675, 2)", "2.68"},  // a half as written, though the nearest double lies below it
      {"round(2.665, 2)", "2.66"},
      {"round(1.005, 2)", "1"},
      {"round(-1.2345, 3)", "-1.234"},
      {"round(99.95, 1)", "100"},
      {"round(0.0005, 3)", "0"},
      {"round(0.00051, 3)", "0.001"},
      {"round(1250, -2)", "1200"},
      {"round(1350, -2)", "1400"},
      {"round(1251, -2)", "1300"},
      {"round(4, -1)", "0"},
      {"round(5, -1)", "0"},
      {"round(15, -1)", "20"},
      {"round(123, -7)", "0"},
      {"round(123.25, 9)", "123.25"},
      {"round(1.5E300, -300)", "2E300"},
      {"round(\"1e-300\", 400)", "1E-300"},
  };
  std::vector<ScriptCase> scripts;
  for (const Case& c : cases)
    scripts.push_back({c.call, std::string("print ") + c.call, std::string(c.printed) + "\n", ""});
  RunCases(scripts);
}

TEST(NumberFunctions, RoundIsTheRealNearestToTheDecimal) {
  // Printing keeps 15 digits; the comparison sees every bit.
  const ScriptCase cases[] = {
      {"two places", "x = round(1234.5678, 2)\nif x = 1234.57 then\nprint \"same\"\nendif", "same\n", ""},
      {"one place", "x = round(0.15, 1)\nif x = 0.2 then\nprint \"same\"\nendif", "same\n", ""},
  };
  RunCases(cases);
}

TEST(NumberFunctions, AbsSqrtTrunc) {
  const ScriptCase cases[] = {
      {"abs", "print abs(-2.5)\nprint abs(3)\nprint abs(0)", "2.5\n3\n0\n", ""},
      {"sqrt", "print sqrt(16)\nprint sqrt(2)\nprint sqrt(0)", "4\n1.4142135623731\n0\n", ""},
      {"trunc drops the fraction toward zero", "print trunc(3.7)\nprint trunc(-3.7)\nprint trunc(0.2)",
       "3\n-3\n0\n", ""},
      {"trunc beyond 32 bits stays whole", "print trunc(5000000000.9)\nprint trunc(-1e12 - 0.5)",
       "5000000000\n-1000000000000\n", ""},
      {"trunc of the 32-bit limits", "print trunc(2147483647.5)\nprint trunc(-2147483648.5)",
       "2147483647\n-2147483648\n", ""},
      {"sqrt of a negative number", "print sqrt(-1)", "", ErrorAt("Invalid floating point operation", 1)},
      {"abs of no number", "x = abs(\"many\")", "", ErrorAt("Invalid Value", 1)},
      {"trunc of no number", "x = trunc(\"\")", "", ErrorAt("Invalid Value", 1)},
      {"round of no number", "x = round(\"1.5x\")", "", ErrorAt("Invalid Value", 1)},
      {"digits that are no number", "x = round(1.5, \"two\")", "", ErrorAt("Invalid Value", 1)},
      {"a rounded value beyond the reals", "x = round(\"1.7e308\", -308)", "",
       ErrorAt("Floating point overflow", 1)},
  };
  RunCases(cases);
}

TEST(NumberFunctions, RandomStaysInItsRangeAndReachesAllOfIt) {
  const ScriptCase cases[] = {
      {"one value only", "print random()\nprint random(1)\nprint random(0)\nprint random(-4)", "0\n0\n0\n0\n", ""},
      {"every value of 0 to 5 and no other",
       "bad = 0\nfor i = 1 to 300\nr = random(6)\nif r < 0 or r > 5 then\nbad = 1\nendif\nseen[r] = 1\nendfor\n"
       "print bad\nprint seen[0] + seen[1] + seen[2] + seen[3] + seen[4] + seen[5]",
       "0\n6\n", ""},
      {"a range that is no number", "x = random(\"ten\")", "", ErrorAt("Invalid Value", 1)},
  };
  RunCases(cases);
}

TEST(NumberFunctions, AFailedCallUnderNoErrorGivesTheInitialValue) {
  const ScriptCase cases[] = {
      {"initial values", "noerror(1)\nprint sqrt(-4)\nprint round(\"x\")\nprint trunc(\"x\")", "0\n0\n0\n", ""},
  };
  RunCases(cases);
}

TEST(NumberFunctions, SyntaxCheckReadsArgumentsAndKeepsInitialValues) {
  test::RecordingHost host;
  auto values = test::GlobalsAfterCheck(
      "_global.abs = abs(-2)\n_global.sqrt = sqrt(-1)\n_global.trunc = trunc(2.5)\n"
      "_global.round = round(2.5, 1)\n_global.random = random(10)",
      host);
  for (const char* name : {"_global.abs", "_global.sqrt", "_global.trunc", "_global.round", "_global.random"})
    EXPECT_EQ(values[name], "Integer:0") << name;
  EXPECT_TRUE(host.ScriptErrors.empty());
}

}  // namespace
}  // namespace tw
