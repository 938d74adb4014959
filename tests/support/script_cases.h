#pragma once
// Table-driven script tests: script text in, printed lines and the script error out.

#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "support/recording_host.h"

namespace tw::test {

struct ScriptCase {
  const char* name;
  std::string script;
  std::string output;  // every printed line followed by "\n"
  std::string error;   // the one expected script error; "" when the run must not fail
};

// What one case expects of a run's output and errors.
inline void ExpectCase(const ScriptCase& c, const std::string& output, const std::vector<std::string>& errors) {
  EXPECT_EQ(output, c.output) << c.name;
  if (!c.error.empty()) {
    ASSERT_EQ(errors.size(), 1u) << c.name;
    EXPECT_EQ(errors[0], c.error) << c.name;
  } else {
    EXPECT_TRUE(errors.empty()) << c.name << ": " << (errors.empty() ? "" : errors[0]);
  }
}

template <typename Cases>
void RunCases(const Cases& cases, bool checkOnly = false) {
  for (const ScriptCase& c : cases) {
    ScriptRun run = RunScript(c.script, nullptr, checkOnly);
    ExpectCase(c, run.Output, run.Errors);
  }
}

// "[test.tws] Error: <message> on line: <line>"
inline std::string ErrorAt(const std::string& message, int line) {
  return "[test.tws] Error: " + message + " on line: " + std::to_string(line);
}

}  // namespace tw::test
