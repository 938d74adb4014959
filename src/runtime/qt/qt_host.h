#pragma once
// The script host of brindle's windows: the prompt and console window, message boxes, the folder and
// file pickers, and the event loop that keeps them alive while a script runs.

#include <QPointer>
#include <QSocketNotifier>
#include <functional>
#include <memory>
#include <vector>

#include "dialogs/qt/qt_dialog_metrics.h"
#include "interpreter/script_host.h"
#include "port/windows.h"
#include "runtime/qt/form_basic.h"

namespace tw {

class QtHost : public ScriptHost {
 public:
  // `windows`, when there is a desktop, brings script dialogs to the front once they are on the screen.
  explicit QtHost(port::WindowService* windows = nullptr);
  ~QtHost() override;

  // Called at the end of every PumpEvents, after the window system's events.
  std::function<void()> OnPump;
  // Closes every prompt, message box and picker that is open, as if cancelled: the run is being stopped.
  void CancelOpenWindows();
  // The console window while it exists.
  TFormBasic* Console() const { return console_.get(); }

  bool ShowPrint(std::string_view text) override;
  std::optional<std::string> ShowInput(std::string_view prompt, std::string_view preset) override;
  void OpenConsole() override;
  void CloseConsole() override;
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
  void SetWindowsEnabled(bool enabled) override;
  void SetBusyCursor(bool busy) override;
  const DialogMetrics* DialogTextMetrics() override { return &metrics_; }
  void ShowDialog(TEnhanceFormDialog& dialog) override;

 private:
  TFormBasic& EnsureConsole();

  port::WindowService* windows_;
  QtDialogMetrics metrics_;
  std::unique_ptr<TFormBasic> console_;
  std::vector<std::unique_ptr<QSocketNotifier>> notifiers_;
  std::vector<QPointer<QWidget>> disabled_;
  int disabledDepth_ = 0;
  bool busyCursor_ = false;
};

// Name filters of the file picker from a filter as scripts write it: "*.txt", "*.txt;*.log", or pairs
// "Text files|*.txt|All files|*.*". "*.*" means every file, also those without an extension.
QStringList FileDialogFilters(const QString& filter);

}  // namespace tw
