#pragma once
// The text on the screen of a terminal window: what a program running in it printed, line by line.

#include <optional>
#include <string>
#include <vector>

#include "port/windows.h"

namespace tw::port {

// Where a screen's cells lie in the grid of cells the terminal window shows. A multiplexer shows its pane
// inside a bigger grid: its status line takes rows at the top or the bottom, other panes take the rest.
struct ScreenPlacement {
  int columns = 0;  // the grid the window shows
  int rows = 0;
  int left = 0;  // the screen's first cell in that grid, from 0
  int top = 0;
  friend bool operator==(const ScreenPlacement&, const ScreenPlacement&) = default;
};

struct TerminalScreen {
  // The top row first, each as UTF-8 text one character per cell (blanks included, wide characters once).
  std::vector<std::string> rows;
  // Nothing: the screen fills the window.
  std::optional<ScreenPlacement> placement;
};

class TerminalText {
 public:
  virtual ~TerminalText() = default;

  // The terminal's screen and where it lies in the window; nullopt when the window is no terminal this desktop
  // can read.
  virtual std::optional<TerminalScreen> read(WindowId terminal) = 0;

  // The rows alone, as scripts read them.
  std::optional<std::vector<std::string>> screen(WindowId terminal) {
    auto read = this->read(terminal);
    if (!read) return std::nullopt;
    return std::move(read->rows);
  }
};

// One way of reading a terminal's screen, given the terminal program's process: a multiplexer running inside
// it, say. Readers are tried in turn until one knows the terminal.
class TerminalScreenReader {
 public:
  virtual ~TerminalScreenReader() = default;
  virtual std::optional<TerminalScreen> screenOfTerminal(int terminalProcess) = 0;
};

}  // namespace tw::port
