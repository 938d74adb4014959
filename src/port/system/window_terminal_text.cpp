#include "port/system/window_terminal_text.h"

#include "port/system/tmux_screen_reader.h"

namespace tw::port::system {

std::optional<TerminalScreen> WindowTerminalText::read(WindowId terminal) {
  if (terminal == kNoWindow) return std::nullopt;
  // The process is a property of the program's top-level window; an inner window may not carry it.
  std::optional<int> process = windows_.processId(terminal);
  if (!process) process = windows_.processId(windows_.topLevelOf(terminal));
  if (!process) return std::nullopt;
  for (const auto& reader : readers_)
    if (auto read = reader->screenOfTerminal(*process)) return read;
  return std::nullopt;
}

std::vector<std::unique_ptr<TerminalScreenReader>> StandardTerminalReaders() {
  std::vector<std::unique_ptr<TerminalScreenReader>> readers;
  readers.push_back(std::make_unique<TmuxScreenReader>());
  return readers;
}

}  // namespace tw::port::system
