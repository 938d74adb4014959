#pragma once
// The only way a running script reaches its user: prompts, input, message boxes, the console,
// pickers and the host's event loop. The terminal host and the Qt host implement it.

#include <optional>
#include <string>
#include <string_view>

namespace tw {

class DialogMetrics;
class TEnhanceFormDialog;

enum class MessageKind { Warning = 1, Error = 2, Information = 3, Confirmation = 4 };
enum class MessageButtons { OkCancel = 1, YesNo = 2 };

class ScriptHost {
 public:
  virtual ~ScriptHost() = default;

  // The "Print" prompt window; true when confirmed with OK.
  virtual bool ShowPrint(std::string_view text) = 0;
  // The "Input" window preset with a value; nothing when cancelled.
  virtual std::optional<std::string> ShowInput(std::string_view prompt, std::string_view preset) = 0;

  // The console window: opened (created if needed) and cleared, closed, and fed line by line.
  virtual void OpenConsole() = 0;
  virtual void CloseConsole() = 0;
  virtual void AddConsoleLine(std::string_view text) = 0;

  // A message box; true when the user chose OK or Yes.
  virtual bool ShowMessage(std::string_view text, MessageKind kind, MessageButtons buttons) = 0;
  // An error message box with an OK button (failures outside the script's own text).
  virtual void ShowErrorBox(std::string_view text) = 0;
  // A notice with its own caption and an OK button (the key player's messages).
  virtual void ShowNotice(std::string_view caption, std::string_view text) = 0;
  // A formatted script error: an error box in front of everything, or a console line.
  virtual void ShowScriptError(std::string_view text, bool toConsole) = 0;

  // The folder and file pickers; nothing when cancelled.
  virtual std::optional<std::string> PickDirectory(std::string_view initial,
                                                   std::string_view caption) = 0;
  virtual std::optional<std::string> PickFile(std::string_view filter, std::string_view file,
                                              std::string_view folder) = 0;

  // The timed confirmation of the prompt command: counts seconds down and confirms itself at 0.
  // True when confirmed or timed out, false when cancelled.
  virtual bool ShowTimedPrompt(std::string_view text, int seconds) = 0;

  // Script dialogs. How this host measures dialog text and knows its screens; nullptr when it shows no
  // dialogs of its own, and the standard measures apply.
  virtual const DialogMetrics* DialogTextMetrics() { return nullptr; }
  // Shows a dialog built from its definition until the user, a button, its timeout or its countdown closes
  // it; the dialog's controls keep what the user left in them. Throws ScriptFailure when this host cannot
  // show dialogs.
  virtual void ShowDialog(TEnhanceFormDialog& dialog) = 0;

  // Lets the host's event loop run: timers, window messages and stop requests arrive here.
  virtual void PumpEvents() = 0;
  // Disables (and enables again) the program's own windows while a script waits.
  virtual void SetWindowsEnabled(bool enabled) = 0;
  // The pointer shows that the program is working (a network exchange) until it is set back.
  virtual void SetBusyCursor(bool busy) = 0;
};

}  // namespace tw
