#pragma once
// Reads a terminal's screen through tmux: finds a tmux client among the terminal program's descendant
// processes, works out which server it talks to from its command line and environment, and asks that server
// for the text of the pane the client shows (tmux capture-pane).

#include <string>

#include "port/terminal_text.h"

namespace tw::port::system {

class TmuxScreenReader final : public TerminalScreenReader {
 public:
  // `tmux` is the program run to talk to the server (looked up in PATH).
  explicit TmuxScreenReader(std::string tmux = "tmux") : tmux_(std::move(tmux)) {}
  std::optional<TerminalScreen> screenOfTerminal(int terminalProcess) override;

 private:
  std::string tmux_;
};

// How a tmux client names its server: the -S path, or the -L name (default "default") in the folder given by
// TMUX_TMPDIR (default /tmp) for the client's user id. Relative -S paths are taken from `workingDirectory`.
// Exposed for tests.
std::string TmuxSocketOf(const std::vector<std::string>& commandLine, const std::string& tmuxTmpDir, unsigned uid,
                         const std::string& workingDirectory);

// The screen of a pane `columns` wide and `rows` high from the lines tmux prints for it, which end at the last
// cell written: every row filled with blanks to the pane's width, and rows added up to its height, so a row
// holds one character for each cell. Exposed for tests.
std::vector<std::string> PaneScreen(std::vector<std::string> lines, int columns, int rows);

// Where a pane lies in its client's grid, from the tmux formats client_width, client_height, pane_left,
// pane_top (which count from the window's origin), status and status-position. Exposed for tests.
ScreenPlacement PanePlacement(int clientWidth, int clientHeight, int paneLeft, int paneTop, const std::string& status,
                              const std::string& statusPosition);

}  // namespace tw::port::system
