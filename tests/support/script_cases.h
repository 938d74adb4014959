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

template <typename Cases>
void RunCases(const Cases& cases, bool checkOnly = false) {
  for (const ScriptCase& c : cases) {
    ScriptRun run = RunScript(c.script, nullptr, checkOnly);
    EXPECT_EQ(run.Output, c.output) << c.name;
    if (!c.error.empty()) {
      ASSERT_EQ(run.Errors.size(), 1u) << c.name;
      EXPECT_EQ(run.Errors[0], c.error) << c.name;
    } else {
      EXPECT_TRUE(run.Errors.empty()) << c.name << ": " << (run.Errors.empty() ? "" : run.Errors[0]);
    }
  }
}

// "[test.tws] Error: <message> on line: <line>"
inline std::string ErrorAt(const std::string& message, int line) {
  return "[test.tws] Error: " + message + " on line: " + std::to_string(line);
}

}  // namespace tw::test
