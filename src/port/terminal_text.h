#pragma once
// The text on the screen of a terminal window: what a program running in it printed, line by line.

#include <optional>
#include <string>
#include <vector>

#include "port/windows.h"

namespace tw::port {

class TerminalText {
 public:
  virtual ~TerminalText() = default;

  // The rows of the terminal's screen, the top one first, each as UTF-8 text one character per cell (blanks
  // included, wide characters once). nullopt when the window is no terminal this desktop can read.
  virtual std::optional<std::vector<std::string>> screen(WindowId terminal) = 0;
};

// One way of reading a terminal's screen, given the terminal program's process: a multiplexer running inside
// it, say. Readers are tried in turn until one knows the terminal.
class TerminalScreenReader {
 public:
  virtual ~TerminalScreenReader() = default;
  virtual std::optional<std::vector<std::string>> screenOfTerminal(int terminalProcess) = 0;
};

}  // namespace tw::port
