#pragma once
// The script editor window: a tab per open file, the menus and tool bar of the editor's actions, the status
// bar, the tray icon of test runs, the debugger window, find and replace and Go to Line. The work is done by
// EditorCore; this class shows it.

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "editor/completion_list.h"
#include "editor/editor_core.h"
#include "editor/helper_list.h"
#include "editor/qt/form_debugger.h"
#include "editor/qt/form_find_replace.h"
#include "editor/script_styler.h"

class QAction;
class QDialog;
class QEventLoop;
class QLabel;
class QMenu;
class QSplitter;
class QSystemTrayIcon;
class QTabWidget;

namespace tw {

class TFormCodes;
class TFormDebugger;
class TFormFindReplace;
class TFormFunctionList;
class TGuidePanel;

struct ScriptEditorPlaces {
  std::string settingsFile;   // recent files, watches, window placements
  std::string includeFolder;  // required: the include folder of test runs
  std::string scriptsFolder;  // where dialogs start and untitled pages are named
  std::string helpersFolder;  // the helper scripts of the Assistants menu
};

class TFormScriptEditor : public QMainWindow, public editor::EditorView {
  Q_OBJECT

 public:
  TFormScriptEditor(ScriptHost& host, port::Desktop& desktop, ScriptEditorPlaces places, QWidget* parent = nullptr);
  ~TFormScriptEditor() override;

  // Shows the editor with the file (or an untitled page for none). False, with "Must Specify
  // oDefaultIncludePath", when no include folder was given.
  bool OpenEditor(const std::string& file);
  // Where the help's pages are when they are not beside the program or installed.
  void SetReferenceFolder(const std::string& folder) { referenceFolder_ = folder; }
  // Called when the window is destroyed.
  std::function<void()> OnDestroyed;

  editor::EditorCore& Core() { return core_; }
  TFormCodes* PageForm(const editor::EditorPage& page) const;
  TFormCodes* ActiveForm() const;
  TFormDebugger* Debugger() const;
  QAction* Action(editor::EditorAction action) const { return actions_[static_cast<std::size_t>(action)]; }
  QString StatusText(int panel) const;

  QTabWidget* PageControl = nullptr;
  QMenu* MenuRecent = nullptr;
  QMenu* MenuAssistants = nullptr;
  // The language aids: Ctrl+J ("ACP"), the Commands/Functions menu and the guide panel ("Show Tips").
  QAction* ActionAutoComplete = nullptr;
  QAction* ActionShowTips = nullptr;
  QMenu* MenuCommands = nullptr;
  TGuidePanel* GuidePanel = nullptr;
  const editor::CompletionList& Completions() const { return completions_; }
  TFormFindReplace* FindDialog() const;
  TFormFunctionList* FunctionList() const;

  // ---- EditorView ----------------------------------------------------------------------------
  void PageOpened(editor::EditorPage& page) override;
  void PageClosing(editor::EditorPage& page) override;
  void ShowPage(editor::EditorPage& page) override;
  void PageRenamed(editor::EditorPage& page) override;
  std::string Text(const editor::EditorPage& page) const override;
  void SetText(editor::EditorPage& page, const std::string& text) override;
  bool Modified(const editor::EditorPage& page) const override;
  void SetModified(editor::EditorPage& page, bool modified) override;
  void SetReadOnly(editor::EditorPage& page, bool readOnly) override;
  int CaretLine(const editor::EditorPage& page) const override;
  int CaretColumn(const editor::EditorPage& page) const override;
  void SetCaret(editor::EditorPage& page, int line, int column) override;
  std::string LineText(const editor::EditorPage& page, int line) const override;
  void InsertAtCaret(editor::EditorPage& page, const std::string& text) override;
  void ReplaceLines(editor::EditorPage& page, int first, int last, const std::vector<std::string>& lines) override;
  void Repaint(editor::EditorPage& page) override;
  void StateChanged() override;
  void WaitWhilePaused() override;
  void EndPause() override;
  void MinimiseApplication() override;
  void RestoreApplication() override;
  bool ApplicationMinimised() const override { return !minimised_.empty(); }
  void ShowDebugger() override;
  bool DebuggerExists() const override { return debugger_ != nullptr; }
  void WatchesChanged() override;
  std::optional<std::string> AskSaveName(const std::string& suggested) override;
  editor::SaveAnswer AskSaveChanges(const std::string& fileName) override;
  bool AskSaveAsUtf8(const std::string& fileName) override;
  void ShowError(const std::string& text) override;
  void ShowWarning(const std::string& text) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void BuildActions();
  void BuildMenus();
  void BuildLanguageAids();
  void ShowGuide(bool shown);
  void UpdateActions();
  void UpdateStatus();
  void RebuildRecentMenu();
  void RebuildHelperMenu();
  void SaveRecent();
  // Where the window is, for the next editor (section "ScriptEditor").
  void SavePlacement();
  void OpenDialog();
  void GotoLineNumber();
  void ScriptProperties();
  void RecordKeystrokes();
  void DialogEditor();
  void ShowFindReplace();
  void ShowFunctionList();
  // The help window on a lookup of the selection or the word at the caret; the contents for nothing.
  void ShowHelp(bool onWord);
  // The command assistant of the action; its command goes in at the caret.
  void RunAssistant(editor::EditorAction action);
  void CurrentTabChanged(int index);

  ScriptHost& host_;
  port::Desktop& desktop_;
  ScriptEditorPlaces places_;
  editor::EditorCore core_;
  const editor::CompletionList completions_;
  std::array<QAction*, static_cast<std::size_t>(editor::EditorAction::Count)> actions_{};
  std::map<int, TFormCodes*> forms_;
  QSplitter* split_ = nullptr;  // the pages above the guide panel
  int guideHeight_ = 80;
  std::shared_ptr<const editor::ScriptStyler> styler_;  // the test interpreter's words, shared by the pages
  std::vector<editor::HelperEntry> helpers_;
  std::string referenceFolder_;
  std::array<QLabel*, 4> status_{};
  QPointer<TFormDebugger> debugger_;
  QPointer<TFormFindReplace> find_;
  QPointer<TFormFunctionList> functionList_;
  QSystemTrayIcon* tray_ = nullptr;
  QEventLoop* pauseLoop_ = nullptr;
  std::vector<QPointer<QWidget>> minimised_;
  bool minimisingAll_ = false;
  bool ending_ = false;  // the application quits
};

}  // namespace tw
