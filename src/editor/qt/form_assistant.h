#pragma once
// The command assistant: a small wizard, one page at a time, that writes a script command from windows, points
// and terminal text the user points at. AssistantFlow decides the pages and the command; this dialog shows
// them and runs the pickers it asks for.

#include <QDialog>
#include <QStringList>
#include <map>

#include "editor/assistant_flow.h"
#include "port/desktop.h"

class QButtonGroup;
class QEventLoop;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

namespace tw {

class TEnumWindowInfo;
class TTarnwickBasic;

class TFormAssistant : public QDialog {
  Q_OBJECT

 public:
  // `library` reads terminal screens (the editor's test interpreter).
  TFormAssistant(TTarnwickBasic& library, editor::AssistantMode mode, QWidget* parent = nullptr);

  // True when the user pressed "&Done"; CommandText() then holds what to insert.
  bool Execute();
  // The confirm page's text, trimmed.
  std::string CommandText() const;

  editor::AssistantPage Page() const { return flow_.Page(); }
  QPushButton* ButtNext = nullptr;
  QPushButton* ButtCancel = nullptr;
  TEnumWindowInfo* EnumWindowInfo = nullptr;
  QLabel* LablTitle = nullptr;
  QLabel* LablClass = nullptr;
  QButtonGroup* LookingFor = nullptr;     // 0 a program's window, 1 a terminal
  QButtonGroup* Format = nullptr;         // 0 WAITDOS, 1 GRAB
  QButtonGroup* MouseCommands = nullptr;  // ids: editor::MouseCommand
  QPlainTextEdit* EditCommand = nullptr;

 protected:
  void done(int result) override;

 private:
  QWidget* WindowFinderPage();
  QWidget* ChoicePage(const QString& title, const QStringList& choices, int checked, QButtonGroup*& group);
  QWidget* ConfirmPage();
  void Next();
  void Carry(editor::AssistantStep step);
  void ShowPage();
  void WindowPicked();
  editor::AssistantStep CaptureScreen();

  TTarnwickBasic& library_;
  port::Desktop& desktop_;
  editor::AssistantFlow flow_;
  QStackedWidget* pages_ = nullptr;
  std::map<editor::AssistantPage, QWidget*> pageWidgets_;
  QEventLoop* loop_ = nullptr;
};

}  // namespace tw
