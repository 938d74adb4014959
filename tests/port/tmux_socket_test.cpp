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

}  // namespace
}  // namespace tw::port::system
