// Which tmux server a tmux client talks to, from its command line and environment; the screen of its pane.

#include <gtest/gtest.h>

#include "port/system/tmux_screen_reader.h"

namespace tw::port::system {
namespace {

TEST(TmuxSocket, FromTheClientsOptionsAndEnvironment) {
  struct Case {
    std::vector<std::string> commandLine;
    std::string tmpDir;
    std::string expected;
  };
  const Case cases[] = {
      {{"tmux"}, "", "/tmp/tmux-1000/default"},
      {{"tmux", "new-session", "-L", "notmine"}, "", "/tmp/tmux-1000/default"},  // a command's flag, not tmux's
      {{"tmux", "-L", "work", "attach"}, "/run/user/1000", "/run/user/1000/tmux-1000/work"},
      {{"tmux", "-Lwork"}, "", "/tmp/tmux-1000/work"},
      {{"tmux", "-2uL", "work", "-f", "/etc/conf"}, "", "/tmp/tmux-1000/work"},
      {{"tmux", "-f", "-L", "-S", "/srv/sock"}, "", "/srv/sock"},  // -f takes "-L" as its file
      {{"tmux", "-S", "rel/sock"}, "", "/home/u/rel/sock"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TmuxSocketOf(c.commandLine, c.tmpDir, 1000, "/home/u"), c.expected)
        << ::testing::PrintToString(c.commandLine);
}

// tmux prints a line only up to its last written cell and may print fewer lines than the pane has: the screen
// has a character for every cell, so cells can be laid over the terminal and a grab past the text reads blanks.
TEST(TmuxPane, EveryRowIsAsWideAsThePaneAndThereIsARowForEachOfItsLines) {
  EXPECT_EQ(PaneScreen({"ab", "", "\xc3\xbc x", "abcdefgh"}, 6, 5),
            (std::vector<std::string>{"ab    ", "      ", "\xc3\xbc x   ", "abcdefgh", "      "}));
  EXPECT_EQ(PaneScreen({"ab"}, 0, 0), std::vector<std::string>{"ab"}) << "a size not told changes nothing";
}

// pane_top counts from the window, which starts below the status lines when they are at the top.
TEST(TmuxPane, ItLiesInTheClientsGridBelowAStatusLineAtTheTop) {
  const struct {
    int paneLeft, paneTop;
    const char *status, *position;
    ScreenPlacement placement;
  } cases[] = {
      {0, 0, "on", "bottom", {80, 24, 0, 0}},  {0, 0, "on", "top", {80, 24, 0, 1}},
      {41, 12, "on", "top", {80, 24, 41, 13}}, {0, 0, "3", "top", {80, 24, 0, 3}},
      {0, 0, "off", "top", {80, 24, 0, 0}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PanePlacement(80, 24, c.paneLeft, c.paneTop, c.status, c.position), c.placement)
        << c.status << " " << c.position;
}

}  // namespace
}  // namespace tw::port::system
