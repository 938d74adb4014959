#pragma once
// The host of a script run in a terminal: print and console lines go to stdout; prompts,
// messages and errors to stderr; input comes from stdin.

#include <cstdio>
#include <functional>

#include "interpreter/script_host.h"

namespace tw {

class TerminalHost : public ScriptHost {
 public:
  // interactive: stdin is a terminal, so message boxes and pickers ask instead of taking defaults.
  TerminalHost(std::FILE* in, std::FILE* out, std::FILE* err, bool interactive);

  // Called from PumpEvents after a stop signal (stop_signals.h), so that the run stops cleanly and closes
  // its files.
  std::function<void()> OnInterrupt;

  bool ShowPrint(std::string_view text) override;
  std::optional<std::string> ShowInput(std::string_view prompt, std::string_view preset) override;
  void OpenConsole() override {}
  void CloseConsole() override {}
  void AddConsoleLine(std::string_view text) override;
  bool ShowMessage(std::string_view text, MessageKind kind, MessageButtons buttons) override;
  void ShowErrorBox(std::string_view text) override;
  void ShowNotice(std::string_view caption, std::string_view text) override;
  void ShowScriptError(std::string_view text, bool toConsole) override;
  std::optional<std::string> PickDirectory(std::string_view initial, std::string_view caption) override;
  std::optional<std::string> PickFile(std::string_view filter, std::string_view file,
                                      std::string_view folder) override;
  bool ShowTimedPrompt(std::string_view text, int seconds) override;
  void PumpEvents() override;
  void SetWindowsEnabled(bool) override {}  // a terminal has no windows of ours
  void SetBusyCursor(bool) override {}      // nor a pointer
  void ShowDialog(TEnhanceFormDialog& dialog) override;

 private:
  void WriteLine(std::FILE* stream, std::string_view text);
  std::optional<std::string> ReadLine();
  std::optional<std::string> Ask(std::string_view question);

  std::FILE* in_;
  std::FILE* out_;
  std::FILE* err_;
  bool interactive_;
};

}  // namespace tw
