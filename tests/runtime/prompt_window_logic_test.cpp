// The decisions of the prompt and console window that need no window: countdown, console lines, sizing.

#include "runtime/prompt_window_logic.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(PromptCountdown, CountsDownOncePerTickAndConfirmsAtZero) {
  PromptCountdown countdown(3);
  EXPECT_EQ(countdown.Label(), "Time: 3 sec(s)");
  EXPECT_FALSE(countdown.Tick());
  EXPECT_FALSE(countdown.Tick());
  EXPECT_EQ(countdown.Label(), "Time: 1 sec(s)");
  EXPECT_TRUE(countdown.Tick());
  EXPECT_EQ(countdown.Label(), "Time: 0 sec(s)");
}

TEST(PromptCountdown, ZeroAndNegativeCountsConfirmAtTheFirstTick) {
  for (int seconds : {0, -4}) {
    PromptCountdown countdown(seconds);
    EXPECT_EQ(countdown.Label(), "Time: 0 sec(s)") << seconds;
    EXPECT_TRUE(countdown.Tick()) << seconds;
  }
}

TEST(ConsoleLines, KeepsTheLast201Lines) {
  ConsoleLines console;
  std::size_t dropped = 0;
  for (int i = 0; i < 250; ++i) dropped += console.Add("line " + std::to_string(i));
  EXPECT_EQ(dropped, 49u);
  ASSERT_EQ(console.Lines().size(), 201u);
  EXPECT_EQ(console.Lines().front(), "line 49");
  EXPECT_EQ(console.Lines().back(), "line 249");
}

TEST(ConsoleLines, TextWithLineBreaksCountsAsSeveralLines) {
  ConsoleLines console;
  for (int i = 0; i < 200; ++i) console.Add("x");
  EXPECT_EQ(console.Add("a\r\nb\nc"), 2u);
  ASSERT_EQ(console.Lines().size(), 201u);
  EXPECT_EQ(console.Lines()[198], "a");
  EXPECT_EQ(console.Lines()[199], "b");
  EXPECT_EQ(console.Lines()[200], "c");
  console.Clear();
  EXPECT_TRUE(console.Lines().empty());
}

TEST(FitPrompt, GrowsPastTheDesignedBoxWithinTheWindowLimits) {
  // Designed box 336 x 105 in the 392 x 173 window: margins of 56 and 68.
  struct Case {
    int widest, height;
    PromptWindowSize expected;
  } cases[] = {
      {100, 20, {392, 173}},    // fits: the designed size
      {336, 105, {392, 173}},   // exactly the box: still fits
      {337, 20, {403, 173}},    // one pixel wider: line + margin + 10
      {100, 106, {392, 179}},   // one pixel taller: text + margin + 5
      {500, 300, {566, 373}},
      {5000, 5000, {792, 573}}, // never past the largest window
  };
  for (const Case& c : cases)
    EXPECT_EQ(FitPrompt(336, 105, c.widest, c.height), c.expected) << c.widest << "x" << c.height;
}

TEST(VersionText, JoinsTheFourParts) { EXPECT_EQ(VersionText(3, 0, 4, 124), "3.0.4.124"); }

}  // namespace
}  // namespace tw
