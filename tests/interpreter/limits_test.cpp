// Scripts that nest without end or leave blocks by jumping: each ends with a clear error or runs in
// bounded memory, never takes the process down.

#include <algorithm>
#include <chrono>
#include <string>

#include "support/script_cases.h"

namespace tw {
namespace {

using test::ErrorAt;
using test::RunCases;
using test::RunScript;
using test::ScriptCase;

std::string Repeat(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

TEST(Limits, DeepNestingOfExpressionsIsAScriptError) {
  const std::string tooDeep = "Expression nested deeper than 256 levels";
  const ScriptCase cases[] = {
      {"parentheses", "x = " + Repeat("(", 16000) + "1" + Repeat(")", 16000) + "\nprint x", "", ErrorAt(tooDeep, 1)},
      {"function arguments", "print 1\nx = " + Repeat("abs(", 8000) + "1" + Repeat(")", 8000), "1\n", ErrorAt(tooDeep, 2)},
      {"array indexes", "x = " + Repeat("a[", 8000) + "1" + Repeat("]", 8000), "", ErrorAt(tooDeep, 1)},
      {"powers", "x = 1" + Repeat(" ^ 1", 20000), "", ErrorAt(tooDeep, 1)},
      {"a condition", "if " + Repeat("(", 300) + "1" + Repeat(")", 300) + " = 1 then\nendif", "", ErrorAt(tooDeep, 1)},
      {"within the limit", "print " + Repeat("(", 200) + "7" + Repeat(")", 200), "7\n", ""},
      {"nesting adds up across calls of script functions",
       "print f(1)\nend\nfunc f(n)\nresult = " + Repeat("(", 100) + "n" + Repeat(")", 100) +
           "\nif n < 3 then\nresult = " + Repeat("(", 100) + "f(n + 1)" + Repeat(")", 100) + "\nendif\nendfunc",
       "", ErrorAt(tooDeep, 4)},
  };
  RunCases(cases);
}

TEST(Limits, WithNoErrorADeepExpressionEndsAndTheScriptGoesOn) {
  auto run = RunScript("noerror(1)\nx = " + Repeat("(", 5000) + "1" + Repeat(")", 5000) + "\nprint \"went on\"");
  EXPECT_EQ(run.Output, "went on\n");
  EXPECT_TRUE(run.Errors.empty());
}

TEST(Limits, BlocksLeftByAJumpLeaveNothingOnTheirStacks) {
  const ScriptCase cases[] = {
      // With the left entries kept, the stray endwhile would find one and jump back into the loop.
      {"while left by goto", "n = 0\ntop:\nn = n + 1\nwhile 1 = 1\nif n < 5 then\ngoto top\nendif\nexitwhile\nendwhile\n"
       "print n\nendwhile",
       "5\n", ErrorAt("ENDWHILE without WHILE", 11)},
      {"for left by goto", "n = 0\ntop:\nn = n + 1\nfor i = 1 to 9\nif n < 5 then\ngoto top\nendif\nexitfor\nendfor\n"
       "print n\nendfor",
       "5\n", ErrorAt("ENDFOR/EXITFOR without FOR", 11)},
      {"caseof left by goto", "n = 0\ntop:\nn = n + 1\ncaseof\ncase n < 5\ngoto top\nendcase\nprint n\ncase 1 = 1",
       "5\n", ErrorAt("Syntax Error", 9)},
      // A return from inside a loop ends that loop: the caller's endfor goes on with its own loop.
      {"return from inside a loop",
       "for j = 1 to 2\ngosub inner\nprint j\nendfor\nend\ninner:\nfor i = 1 to 3\nif i = 2 then\nreturn\nendif\nendfor\nreturn",
       "1\n2\n", ""},
      // The same loop entered again one gosub level deeper is a loop of its own.
      {"recursion through gosub keeps the outer loop",
       "d = 0\ngosub walk\nprint \"done\"\nend\nwalk:\nd = d + 1\nfor i = 1 to 2\nif d < 3 then\ngosub walk\nendif\n"
       "print d\nendfor\nd = d - 1\nreturn",
       "3\n3\n2\n1\ndone\n", ""},
  };
  RunCases(cases);
}

TEST(Limits, ManyPassesThroughLoopsLeftByJumps) {
  auto run = RunScript(
      "n = 0\ntop:\nn = n + 1\nwhile 1 = 1\nfor i = 1 to 2\ngosub sub1\nif n < 100000 then\ngoto top\nendif\nexitfor\n"
      "endfor\nexitwhile\nendwhile\nprint n\nend\nsub1:\nfor k = 1 to 3\nreturn\nendfor");
  EXPECT_EQ(run.Output, "100000\n");
  EXPECT_TRUE(run.Errors.empty()) << run.Errors[0];
}

TEST(Limits, GosubWithoutReturnIsBounded) {
  const ScriptCase cases[] = {
      {"recursion", "n = 0\nagain:\nn = n + 1\ngosub again", "", ErrorAt("Maximum GOSUB Level of 10000 has been Reached", 4)},
      {"ten thousand levels are allowed",
       "n = 0\ngosub deeper\nprint n\nend\ndeeper:\nn = n + 1\nif n < 10000 then\ngosub deeper\nendif\nreturn",
       "10000\n", ""},
  };
  RunCases(cases);
}

TEST(Limits, DeeplyNestedWhileBlocksAreSkippedInLinearTime) {
  if (TBasicInterpreter::DefaultUncachedReading) GTEST_SKIP() << "the uncached way walks every skip again";
  // Each outer while turns false in turn and skips everything nested in it: walked again each time,
  // that is quadratic and takes minutes at this depth; remembered, it takes a fraction of a second.
  constexpr int kDepth = 20000;
  const std::string script = "x = 0\n" + Repeat("while x = 0\n", kDepth) + "x = 1\n" + Repeat("endwhile\n", kDepth) +
                             "print \"done\"\n" + Repeat("if x = 0 then\n", kDepth) + Repeat("endif\n", kDepth) +
                             "print \"skipped\"";
  const auto start = std::chrono::steady_clock::now();
  auto run = RunScript(script);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(run.Output, "done\nskipped\n");
  EXPECT_TRUE(run.Errors.empty());
  EXPECT_LT(elapsed, std::chrono::seconds(30)) << "a generous bound: the quadratic walk needs minutes";
}

TEST(Limits, AStopRequestEndsATightLoopAtOnce) {
  test::RecordingHost host;
  TBasicInterpreter interpreter(host);
  using Clock = std::chrono::steady_clock;
  Clock::time_point lastPump{};
  Clock::duration longestGap{};
  Clock::time_point stoppedAt{};
  host.OnPump = [&] {
    const Clock::time_point now = Clock::now();
    if (host.Pumps > 1) longestGap = std::max(longestGap, now - lastPump);
    lastPump = now;
    if (host.Pumps == 50) {  // the host's stop command arrives while the loop spins
      stoppedAt = Clock::now();
      interpreter.StopScript();
    }
  };
  interpreter.SetScriptText("while 1 = 1\nendwhile\nprint \"never\"", "test.tws");
  interpreter.Run(0);
  const Clock::duration toEnd = Clock::now() - stoppedAt;
  EXPECT_EQ(host.Pumps, 50);
  EXPECT_TRUE(host.Prints.empty());
  // Generous bounds for a loaded machine; the benchmark reports the real figures (a few milliseconds).
  EXPECT_LT(longestGap, std::chrono::milliseconds(500)) << "events wait too long between pumps";
  EXPECT_LT(toEnd, std::chrono::milliseconds(500));
}

}  // namespace
}  // namespace tw
