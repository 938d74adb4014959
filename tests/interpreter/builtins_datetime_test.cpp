// Date and time functions through whole scripts, under a locale fixed for each test.

#include <sstream>
#include <vector>

#include "interpreter/builtin_test_support.h"
#include "interpreter/locale/datetime.h"
#include "support/script_cases.h"

namespace tw {
namespace {

using test::ErrorAt;
using test::RunCases;
using test::ScriptCase;

// Day first, with separators of its own, so that every pattern shows where its text came from.
Locale DayFirst() {
  Locale locale;
  locale.dateSeparator = '-';
  locale.timeSeparator = '.';
  locale.shortDateFormat = "dd/mm/yyyy";
  locale.longDateFormat = "dddd d mmmm yyyy";
  return locale;
}

TEST(DateTimeFunctions, DtvalReadsTheLocaleAndDtstrWritesItsPatterns) {
  test::ScopedLocale scoped(DayFirst());
  const ScriptCase cases[] = {
      {"round trip keeps the seconds",
       "x = dtval(\"15-03-2024 14.30.45\")\nprint dtstr(x, 3)\nprint dtstr(x)\nprint dtstr(x, 2)",
       "03-15-2024 14.30.45\n03-15-2024\n14.30.45\n", ""},
      {"day numbers count from 30 December 1899",
       "print dtval(\"01-01-1900\")\nprint dtval(\"30-12-1899\")\nprint dtstr(45366.75, 3)",
       "2\n0\n03-15-2024 18.00.00\n", ""},
      {"a time alone", "print dtstr(dtval(\"7.05 pm\"), 3)", "12-30-1899 19.05.00\n", ""},
      {"before 1900", "print dtstr(-1.25, 3)", "12-29-1899 06.00.00\n", ""},
      {"an impossible date", "x = dtval(\"29-02-2023\")", "", ErrorAt("Invalid Value", 1)},
      {"month-first text in a day-first locale", "x = dtval(\"03-15-2024\")", "", ErrorAt("Invalid Value", 1)},
      {"no date at all", "x = dtval(\"soon\")", "", ErrorAt("Invalid Value", 1)},
      {"an unknown pattern", "x = dtstr(1, 4)", "", ErrorAt("Invalid Value", 1)},
      {"a number of no day", "x = dtstr(-700000)", "", ErrorAt("Invalid Value", 1)},
      {"no number", "x = dtstr(\"today\")", "", ErrorAt("Invalid Value", 1)},
  };
  RunCases(cases);
}

TEST(DateTimeFunctions, TheClockFunctionsFormatTheCurrentMoment) {
  const Locale locale = DayFirst();
  test::ScopedLocale scoped(locale);
  // The patterns the script's calls must match, written with "nn" for minutes.
  const std::vector<std::pair<const char*, std::string>> calls = {
      {"date()", locale.shortDateFormat},       {"date(2)", "mm/dd/yy"},
      {"date(3)", locale.longDateFormat},       {"date(4)", "mm/dd/yyyy"},
      {"time()", "hh:nnAM/PM"},                 {"time(12)", "hh:nnAM/PM"},
      {"time(2)", "hh:nn:ss"},                  {"time(24)", "hh:nn:ss"},
      {"now(1)", "mm/dd/yy hh:nnAM/PM"},        {"now()", "mm/dd/yyyy hh:nn:ss"},
  };
  std::string script;
  for (const auto& call : calls) script += std::string("print ") + call.first + "\n";
  const double before = nowAsDateTime();
  const test::ScriptRun run = test::RunScript(script);
  const double after = nowAsDateTime();
  ASSERT_TRUE(run.Errors.empty()) << run.Errors[0];
  std::istringstream lines(run.Output);
  for (const auto& [call, pattern] : calls) {
    std::string line;
    std::getline(lines, line);
    // The run takes far less than a second, so its moment shows as the one before or after it.
    const std::string early = formatDateTime(pattern, before), late = formatDateTime(pattern, after);
    EXPECT_TRUE(line == early || line == late) << call << ": " << line << " vs " << early;
  }
}

TEST(DateTimeFunctions, UnknownFormatNumbersAreInvalid) {
  const ScriptCase cases[] = {
      {"date", "x = date(5)", "", ErrorAt("Invalid Value", 1)},
      {"date zero", "x = date(0)", "", ErrorAt("Invalid Value", 1)},
      {"time", "x = time(7)", "", ErrorAt("Invalid Value", 1)},
      {"time three", "x = time(3)", "", ErrorAt("Invalid Value", 1)},
      {"now", "x = now(3)", "", ErrorAt("Invalid Value", 1)},
      {"no number", "x = now(\"long\")", "", ErrorAt("Invalid Value", 1)},
      {"noerror leaves the initial value", "noerror(1)\nprint \"[\" + time(7) + \"]\"\nprint dtval(\"x\")",
       "[]\n0\n", ""},
  };
  RunCases(cases);
}

TEST(DateTimeFunctions, SyntaxCheckReadsArgumentsAndKeepsInitialValues) {
  test::RecordingHost host;
  auto values = test::GlobalsAfterCheck(
      "_global.date = date()\n_global.time = time(7)\n_global.now = now()\n"
      "_global.dtval = dtval(\"01/01/2024\")\n_global.dtstr = dtstr(1, 3)",
      host);
  EXPECT_EQ(values["_global.date"], "String:");
  EXPECT_EQ(values["_global.time"], "String:");
  EXPECT_EQ(values["_global.now"], "String:");
  EXPECT_EQ(values["_global.dtval"], "Integer:0");
  EXPECT_EQ(values["_global.dtstr"], "String:");
  EXPECT_TRUE(host.ScriptErrors.empty());
}

}  // namespace
}  // namespace tw
