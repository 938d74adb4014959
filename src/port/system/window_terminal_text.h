#pragma once
// Terminal text of a desktop window: the window's program (the terminal emulator) is looked up by its process,
// and each reader in turn is asked for that terminal's screen.

#include <memory>
#include <vector>

#include "port/terminal_text.h"

namespace tw::port::system {

class WindowTerminalText final : public TerminalText {
 public:
  WindowTerminalText(WindowService& windows, std::vector<std::unique_ptr<TerminalScreenReader>> readers)
      : windows_(windows), readers_(std::move(readers)) {}
  std::optional<TerminalScreen> read(WindowId terminal) override;

 private:
  WindowService& windows_;
  std::vector<std::unique_ptr<TerminalScreenReader>> readers_;
};

// The readers this system knows, in the order they are tried.
std::vector<std::unique_ptr<TerminalScreenReader>> StandardTerminalReaders();

}  // namespace tw::port::system
