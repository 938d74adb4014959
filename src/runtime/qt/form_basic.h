#pragma once
// TFormBasic: the prompt and console window of print, input and the prompt command. Two pages: the
// prompt page (icon, prompt text, input line, countdown, OK and Cancel) and the console page.

#include <QDialog>
#include <QString>

#include "runtime/prompt_window_logic.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTimer;

namespace tw {

class TFormBasic : public QDialog {
  Q_OBJECT

 public:
  enum class PromptMode { Plain = 0, Timed = 1, Input = 2, Console = 3 };

  explicit TFormBasic(QWidget* parent = nullptr);

  // Applied only when it differs from the current mode: timed starts the countdown, input shows the
  // input line, console turns the window into a sizeable tool window showing the console page.
  void SetPromptMode(PromptMode mode);
  PromptMode Mode() const { return mode_; }
  void SetCountdown(int seconds);
  void SetPromptText(const QString& text);
  // Sizes the window to its text, shows it in front of everything and waits until OK, Cancel or the
  // countdown closes it; true for OK (and for the countdown running out).
  bool ShowPrompt();

  // The console page: keeps at most ConsoleLines::kMaxLines lines.
  void AddConsoleLine(const QString& text);
  void ClearConsole();

  QStackedWidget* Pages;
  QWidget* TbShPrint;
  QLabel* Icon;
  QPlainTextEdit* MemoPrompt;
  QLineEdit* EditInput;
  QLabel* LablTime;
  QPushButton* ButtOk;
  QPushButton* ButtCancel;
  QWidget* TbShConsole;
  QPlainTextEdit* MemoConsole;
  QTimer* Timer1;

 private:
  void TimerTick();
  void FitToPrompt();

  PromptMode mode_ = PromptMode::Plain;
  PromptCountdown countdown_{0};
  ConsoleLines consoleLines_;
  QSize designedMemo_;
};

// Shows a dialog without blocking the program's other windows (the tray menu stays usable), in front of
// everything, and waits for it to finish; its result code.
int RunDialog(QDialog& dialog);

}  // namespace tw
