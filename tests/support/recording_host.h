#pragma once
// A script host for tests: records everything a run shows and answers prompts from queues.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "interpreter/interpreter.h"
#include "interpreter/script_host.h"

namespace tw::test {

class RecordingHost : public ScriptHost {
 public:
  std::vector<std::string> Prints;        // print in output mode 0
  std::vector<std::string> ConsoleLines;  // print in output mode 1
  std::vector<std::string> ScriptErrors;  // formatted "[module] Error: ... on line: n"
  std::vector<std::string> ErrorBoxes;
  std::vector<std::string> Messages;      // message box texts
  std::vector<std::string> InputPrompts;
  std::vector<std::string> InputPresets;
  std::vector<std::string> TimedPrompts;  // "text|seconds"
  std::vector<std::string> Notices;       // "caption|text"
  std::vector<bool> WindowsEnabled;       // every change, in order
  std::vector<bool> BusyCursor;           // every change, in order
  int ConsoleOpened = 0;
  int ConsoleClosed = 0;
  int Pumps = 0;

  std::deque<bool> PrintAnswers;                    // default OK
  std::deque<std::optional<std::string>> InputAnswers;  // default Cancel
  std::deque<bool> MessageAnswers;                  // default OK/Yes
  std::deque<std::optional<std::string>> PickerAnswers;  // default Cancel
  std::deque<bool> TimedPromptAnswers;              // default confirmed
  std::function<void()> OnPump;
  // Dialogs are built with these measures (the standard ones when none) and shown to OnDialog, which acts for
  // the user; without it a dialog closes at once, as by its close box.
  const DialogMetrics* Metrics = nullptr;
  std::function<void(TEnhanceFormDialog&)> OnDialog;
  int DialogsShown = 0;

  bool ShowPrint(std::string_view text) override;
  std::optional<std::string> ShowInput(std::string_view prompt, std::string_view preset) override;
  void OpenConsole() override { ++ConsoleOpened; }
  void CloseConsole() override { ++ConsoleClosed; }
  void AddConsoleLine(std::string_view text) override { ConsoleLines.emplace_back(text); }
  bool ShowMessage(std::string_view text, MessageKind kind, MessageButtons buttons) override;
  void ShowErrorBox(std::string_view text) override { ErrorBoxes.emplace_back(text); }
  void ShowNotice(std::string_view caption, std::string_view text) override {
    Notices.push_back(std::string(caption) + "|" + std::string(text));
  }
  void ShowScriptError(std::string_view text, bool toConsole) override;
  std::optional<std::string> PickDirectory(std::string_view, std::string_view) override;
  std::optional<std::string> PickFile(std::string_view, std::string_view, std::string_view) override;
  bool ShowTimedPrompt(std::string_view text, int seconds) override;
  void PumpEvents() override;
  void SetWindowsEnabled(bool enabled) override { WindowsEnabled.push_back(enabled); }
  void SetBusyCursor(bool busy) override { BusyCursor.push_back(busy); }
  const DialogMetrics* DialogTextMetrics() override { return Metrics; }
  void ShowDialog(TEnhanceFormDialog& dialog) override {
    ++DialogsShown;
    if (OnDialog) OnDialog(dialog);
  }

  // Everything printed, one line per print, each followed by "\n".
  std::string Output() const;
};

struct ScriptRun {
  std::string Output;                     // prints and console lines, each ended by "\n"
  std::vector<std::string> Errors;        // formatted script errors
  std::vector<std::string> ErrorBoxes;
};

// Runs script text under the module name "test.tws" with a global table attached.
ScriptRun RunScript(std::string_view text, RecordingHost* host = nullptr, bool checkOnly = false);

}  // namespace tw::test
