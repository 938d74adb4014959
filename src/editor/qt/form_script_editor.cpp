#include "editor/qt/form_script_editor.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QToolBar>
#include <algorithm>

#include "catalogue/qt/script_form.h"
#include "editor/dialog_editor.h"
#include "editor/qt/form_assistant.h"
#include "editor/qt/form_codes.h"
#include "editor/qt/form_debugger.h"
#include "editor/qt/form_find_replace.h"
#include "editor/qt/form_function_list.h"
#include "editor/qt/form_help.h"
#include "editor/qt/guide_panel.h"
#include "editor/qt/qt_dialog_designer.h"
#include "interpreter/ini_file.h"
#include "recorder/qt/form_recording.h"

namespace tw {

using editor::EditorAction;
using editor::EditorPage;

namespace {

constexpr const char* kCaption = "Tarnwick Script Editor";
// The window's placement in the settings file.
constexpr const char* kPlacement = "ScriptEditor";

QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
std::string ToUtf8(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace

TFormScriptEditor::TFormScriptEditor(ScriptHost& host, port::Desktop& desktop, ScriptEditorPlaces places,
                                     QWidget* parent)
    : QMainWindow(parent),
      host_(host),
      desktop_(desktop),
      places_(std::move(places)),
      core_(host, desktop, *this),
      completions_(editor::CompletionList::Load(editor::CompletionList::FileToRead())) {
  setObjectName("TFormScriptEditor");
  setWindowTitle(kCaption);
  setAttribute(Qt::WA_DeleteOnClose, false);
  core_.SetIncludeFolder(places_.includeFolder);
  core_.SetScriptsFolder(places_.scriptsFolder);
  PageControl = new QTabWidget(this);
  PageControl->setObjectName("PageControl");
  PageControl->setDocumentMode(true);
  split_ = new QSplitter(Qt::Vertical, this);
  split_->setObjectName("PagesAndGuide");
  split_->setChildrenCollapsible(false);
  split_->addWidget(PageControl);
  setCentralWidget(split_);
  connect(PageControl, &QTabWidget::currentChanged, this, &TFormScriptEditor::CurrentTabChanged);

  BuildActions();
  BuildLanguageAids();
  BuildMenus();
  for (std::size_t i = 0; i < status_.size(); ++i) {
    status_[i] = new QLabel(this);
    statusBar()->addWidget(status_[i], i == 3 ? 3 : 1);
  }
  status_[0]->setText("Ready");
  ShowGuide(false);

  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    tray_ = new QSystemTrayIcon(style()->standardIcon(QStyle::SP_FileIcon), this);
    auto* menu = new QMenu(this);
    menu->addAction(Action(EditorAction::Cancel));
    tray_->setContextMenu(menu);
    tray_->setToolTip(kCaption);
    tray_->show();
  }
  resize(820, 600);
  try {
    const IniFile ini = IniFile::Load(places_.settingsFile);
    core_.Recent().Load(ini);
    if (ini.HasSection(kPlacement)) {
      resize(std::max(200, ini.ReadInteger(kPlacement, "Width", 820)),
             std::max(150, ini.ReadInteger(kPlacement, "Height", 600)));
      move(ini.ReadInteger(kPlacement, "Left", 0), ini.ReadInteger(kPlacement, "Top", 0));
      if (ini.ReadBool(kPlacement, "Maximized", false)) setWindowState(windowState() | Qt::WindowMaximized);
    }
    guideHeight_ = std::max(20, ini.ReadInteger(kPlacement, "TipsHeight", guideHeight_));
    ShowGuide(ini.ReadBool(kPlacement, "ShowTips", false));
  } catch (const std::exception&) {
    // An unreadable settings file leaves the list empty and the placement as designed; it is not written over.
  }
  RebuildRecentMenu();
  RebuildHelperMenu();
  // Quitting the application stops a run first, also one paused in a nested event loop.
  qApp->installEventFilter(this);
  UpdateActions();
}

TFormScriptEditor::~TFormScriptEditor() {
  core_.ApplicationEnding();
  delete debugger_.data();
  // The pages' widgets go before the pages they show.
  PageControl->disconnect(this);
  for (const auto& [id, form] : forms_) {
    form->ScriptContent->disconnect(this);
    delete form;
  }
  forms_.clear();
  if (OnDestroyed) OnDestroyed();
}

void TFormScriptEditor::BuildActions() {
  const auto make = [this](EditorAction id, const char* caption, const QKeySequence& key = {}) {
    auto* action = new QAction(caption, this);
    action->setShortcut(key);
    action->setShortcutContext(Qt::ApplicationShortcut);
    actions_[static_cast<std::size_t>(id)] = action;
    return action;
  };
  connect(make(EditorAction::New, "New..."), &QAction::triggered, this, [this] { core_.NewPage(); });
  connect(make(EditorAction::Open, "Open..."), &QAction::triggered, this, &TFormScriptEditor::OpenDialog);
  connect(make(EditorAction::Save, "Save", QKeySequence::Save), &QAction::triggered, this, [this] {
    if (EditorPage* page = core_.ActivePage()) core_.Save(*page);
  });
  connect(make(EditorAction::SaveAs, "Save as..."), &QAction::triggered, this, [this] {
    if (EditorPage* page = core_.ActivePage()) core_.SaveAs(*page);
  });
  connect(make(EditorAction::CloseFile, "Close File"), &QAction::triggered, this, [this] {
    if (EditorPage* page = core_.ActivePage()) core_.ClosePage(*page);
  });
  connect(make(EditorAction::ScriptProperties, "Script Properties..."), &QAction::triggered, this,
          &TFormScriptEditor::ScriptProperties);
  const auto onEdit = [this](void (QsciScintilla::*what)()) {
    return [this, what] {
      if (TFormCodes* form = ActiveForm()) (form->ScriptContent->*what)();
    };
  };
  connect(make(EditorAction::Undo, "Undo", QKeySequence("Ctrl+Z")), &QAction::triggered, this,
          onEdit(&QsciScintilla::undo));
  connect(make(EditorAction::Cut, "Cut", QKeySequence("Ctrl+X")), &QAction::triggered, this,
          onEdit(&QsciScintilla::cut));
  connect(make(EditorAction::Copy, "Copy", QKeySequence("Ctrl+C")), &QAction::triggered, this,
          onEdit(&QsciScintilla::copy));
  connect(make(EditorAction::Paste, "Paste", QKeySequence("Ctrl+V")), &QAction::triggered, this,
          onEdit(&QsciScintilla::paste));
  connect(make(EditorAction::SelectAll, "Select All", QKeySequence("Ctrl+A")), &QAction::triggered, this, [this] {
    if (TFormCodes* form = ActiveForm()) form->ScriptContent->selectAll(true);
  });
  connect(make(EditorAction::FindReplace, "Find / Replace", QKeySequence("Ctrl+F")), &QAction::triggered, this,
          &TFormScriptEditor::ShowFindReplace);
  connect(make(EditorAction::GotoLine, "Go to Line Number...", QKeySequence("Ctrl+G")), &QAction::triggered, this,
          &TFormScriptEditor::GotoLineNumber);
  connect(make(EditorAction::TestRun, "Test Run", QKeySequence("F9")), &QAction::triggered, this,
          [this] { core_.TestRun(); });
  connect(make(EditorAction::Step, "Step", QKeySequence("F7")), &QAction::triggered, this, [this] { core_.Step(); });
  connect(make(EditorAction::Continue, "Continue", QKeySequence("F8")), &QAction::triggered, this,
          [this] { core_.Continue(); });
  connect(make(EditorAction::Cancel, "Cancel", QKeySequence("F11")), &QAction::triggered, this,
          [this] { core_.Cancel(); });
  connect(make(EditorAction::AddBreakPoint, "Add Break Point"), &QAction::triggered, this,
          [this] { core_.AddBreakPoint(); });
  connect(make(EditorAction::RemoveBreakPoint, "Remove Break Point"), &QAction::triggered, this,
          [this] { core_.RemoveBreakPoint(); });
  connect(make(EditorAction::ShowDebugger, "Show Debugger/Watch..."), &QAction::triggered, this,
          &TFormScriptEditor::ShowDebugger);
  connect(make(EditorAction::AddWatchAtCursor, "Add Watch at Cursor..."), &QAction::triggered, this,
          [this] { core_.AddWatchAtCursor(); });
  connect(make(EditorAction::CheckSyntax, "Check Syntax"), &QAction::triggered, this, [this] {
    if (EditorPage* page = core_.ActivePage()) core_.CheckSyntax(*page);
  });
  connect(make(EditorAction::CompileCodes, "Compile Codes"), &QAction::triggered, this,
          [this] { core_.CompileCodes(); });
  connect(make(EditorAction::TestRunCompiled, "Test Run Compiled"), &QAction::triggered, this,
          [this] { core_.TestRunCompiled(); });
  connect(make(EditorAction::RecordKeystrokes, "Record Keystrokes..."), &QAction::triggered, this,
          &TFormScriptEditor::RecordKeystrokes);
  connect(make(EditorAction::DialogEditor, "Dialog Editor..."), &QAction::triggered, this,
          &TFormScriptEditor::DialogEditor);
  connect(make(EditorAction::OpenFileAtCursor, "Open File at Cursor"), &QAction::triggered, this,
          [this] { core_.OpenFileAtCursor(); });
  connect(make(EditorAction::Exit, "Exit"), &QAction::triggered, this, &QWidget::close);
  make(EditorAction::Helpers, "Assistants");
  connect(make(EditorAction::SubAndFuncList, "Sub and Func List..."), &QAction::triggered, this,
          &TFormScriptEditor::ShowFunctionList);
  connect(make(EditorAction::Help, "Help..."), &QAction::triggered, this, [this] { ShowHelp(false); });
  connect(make(EditorAction::HelpOnKeyword, "Help on Keyword"), &QAction::triggered, this, [this] { ShowHelp(true); });
  // F1 asks for help on the word in the page that has the keyboard.
  QAction* onSyntax = make(EditorAction::HelpOnSyntax, "Help on Syntax", QKeySequence(Qt::Key_F1));
  onSyntax->setShortcutContext(Qt::WidgetShortcut);
  connect(onSyntax, &QAction::triggered, this, [this] { ShowHelp(true); });
  const std::pair<EditorAction, const char*> assistants[] = {
      {EditorAction::FocusFinder, "Focus Finder..."},
      {EditorAction::MouseClickAssistant, "Mouse Click Assistant..."},
      {EditorAction::TextLocatorAssistant, "Text Locator Assistant..."}};
  for (const auto& assistant : assistants)
    connect(make(assistant.first, assistant.second), &QAction::triggered, this,
            [this, action = assistant.first] { RunAssistant(action); });

  // Bookmarks: Ctrl+Shift+digit sets (or clears) one, Ctrl+digit goes to it.
  for (int n = 0; n < 10; ++n) {
    auto* set = new QAction(this);
    set->setShortcut(QKeySequence(QString("Ctrl+Shift+%1").arg(n)));
    connect(set, &QAction::triggered, this, [this, n] {
      if (TFormCodes* form = ActiveForm()) form->SetBookmark(n);
    });
    auto* go = new QAction(this);
    go->setShortcut(QKeySequence(QString("Ctrl+%1").arg(n)));
    connect(go, &QAction::triggered, this, [this, n] {
      if (TFormCodes* form = ActiveForm()) form->GoToBookmark(n);
    });
    addActions({set, go});
  }
}

void TFormScriptEditor::BuildMenus() {
  const auto act = [this](EditorAction id) { return Action(id); };
  QMenu* file = menuBar()->addMenu("&File");
  file->addActions({act(EditorAction::New), act(EditorAction::Open), act(EditorAction::Save),
                    act(EditorAction::SaveAs), act(EditorAction::CloseFile)});
  file->addSeparator();
  file->addAction(act(EditorAction::ScriptProperties));
  file->addSeparator();
  MenuRecent = file->addMenu("Recent Files");
  file->addSeparator();
  file->addAction(act(EditorAction::Exit));

  QMenu* edit = menuBar()->addMenu("&Edit");
  edit->addActions({act(EditorAction::Undo), act(EditorAction::Cut), act(EditorAction::Copy),
                    act(EditorAction::Paste), act(EditorAction::SelectAll)});
  edit->addSeparator();
  edit->addActions({act(EditorAction::FindReplace), act(EditorAction::GotoLine)});
  edit->addSeparator();
  edit->addActions({ActionAutoComplete, ActionShowTips});
  menuBar()->addMenu(MenuCommands);

  QMenu* run = menuBar()->addMenu("&Run");
  run->addActions({act(EditorAction::TestRun), act(EditorAction::Step), act(EditorAction::Continue),
                   act(EditorAction::Cancel)});
  run->addSeparator();
  run->addActions({act(EditorAction::AddBreakPoint), act(EditorAction::RemoveBreakPoint),
                   act(EditorAction::ShowDebugger), act(EditorAction::AddWatchAtCursor)});
  run->addSeparator();
  run->addActions({act(EditorAction::CheckSyntax), act(EditorAction::CompileCodes),
                   act(EditorAction::TestRunCompiled)});

  QMenu* tools = menuBar()->addMenu("&Tools");
  tools->addActions({act(EditorAction::DialogEditor), act(EditorAction::RecordKeystrokes)});
  tools->addAction(act(EditorAction::SubAndFuncList));
  tools->addSeparator();
  tools->addActions({act(EditorAction::FocusFinder), act(EditorAction::MouseClickAssistant),
                     act(EditorAction::TextLocatorAssistant)});
  MenuAssistants = menuBar()->addMenu("&Assistants");
  QMenu* help = menuBar()->addMenu("&Help");
  help->addActions({act(EditorAction::Help), act(EditorAction::HelpOnKeyword)});

  QToolBar* bar = addToolBar("Main");
  bar->setObjectName("ToolBar");
  bar->addActions({act(EditorAction::New), act(EditorAction::Open), act(EditorAction::Save)});
  bar->addSeparator();
  bar->addActions({act(EditorAction::TestRun), act(EditorAction::Step), act(EditorAction::Continue),
                   act(EditorAction::Cancel)});
}

bool TFormScriptEditor::OpenEditor(const std::string& file) {
  if (places_.includeFolder.empty()) {
    ShowError("Must Specify oDefaultIncludePath");
    return false;
  }
  if (!file.empty()) core_.SetScriptsFolder(QFileInfo(FromUtf8(file)).absolutePath().toStdString());
  show();
  raise();
  EditorPage* page = file.empty() ? &core_.NewPage() : core_.OpenFile(file);
  if (!page) core_.NewPage();
  SaveRecent();
  return true;
}

// ---- Pages ------------------------------------------------------------------------------------

TFormCodes* TFormScriptEditor::PageForm(const EditorPage& page) const {
  const auto found = forms_.find(page.id);
  return found == forms_.end() ? nullptr : found->second;
}

TFormCodes* TFormScriptEditor::ActiveForm() const {
  return core_.ActivePage() ? PageForm(*core_.ActivePage()) : nullptr;
}

void TFormScriptEditor::PageOpened(EditorPage& page) {
  auto* form = new TFormCodes(page, PageControl);
  forms_[page.id] = form;
  if (!styler_) styler_ = std::make_shared<const editor::ScriptStyler>(core_.TestInterpreter());
  form->UseHighlighter(styler_);
  GuidePanel->Watch(*form);
  form->ScriptContent->OnFilesDropped = [this](const QStringList& files) {
    for (const QString& dropped : files) core_.OpenFile(dropped.toStdString());
    SaveRecent();
  };
  connect(form->ScriptContent, &QsciScintilla::cursorPositionChanged, this, [this] { UpdateStatus(); });
  connect(form->ScriptContent, &QsciScintilla::modificationChanged, this, [this] { UpdateStatus(); });
  // Breakpoints keep their line numbers through edits: the markers, which would move with the text, are put
  // back on them.
  connect(form->ScriptContent, &QsciScintilla::linesChanged, this, [this, &page] { Repaint(page); });
  form->ScriptContent->setContextMenuPolicy(Qt::ActionsContextMenu);
  form->ScriptContent->addActions(
      {Action(EditorAction::HelpOnSyntax), Action(EditorAction::Undo), Action(EditorAction::DialogEditor),
       Action(EditorAction::GotoLine), Action(EditorAction::OpenFileAtCursor), Action(EditorAction::Cut),
       Action(EditorAction::Copy), Action(EditorAction::Paste), Action(EditorAction::AddWatchAtCursor),
       Action(EditorAction::AddBreakPoint), Action(EditorAction::RemoveBreakPoint), Action(EditorAction::CloseFile)});
  PageControl->addTab(form, "untitled.tws");
}

void TFormScriptEditor::PageClosing(EditorPage& page) {
  TFormCodes* form = PageForm(page);
  forms_.erase(page.id);
  if (!form) return;
  form->ScriptContent->disconnect(this);
  PageControl->removeTab(PageControl->indexOf(form));
  form->deleteLater();
}

void TFormScriptEditor::ShowPage(EditorPage& page) {
  if (TFormCodes* form = PageForm(page)) PageControl->setCurrentWidget(form);
  UpdateStatus();
}

void TFormScriptEditor::CurrentTabChanged(int index) {
  for (const auto& [id, form] : forms_)
    if (PageControl->indexOf(form) == index) core_.SetActivePage(&form->Page);
  // An open Sub/Func list shows the page in front.
  if (functionList_ && functionList_->isVisible()) functionList_->Refresh();
  UpdateStatus();
  UpdateActions();
}

void TFormScriptEditor::PageRenamed(EditorPage& page) {
  TFormCodes* form = PageForm(page);
  if (!form) return;
  const QString caption = FromUtf8(core_.Caption(page));
  PageControl->setTabText(PageControl->indexOf(form), QFileInfo(caption).fileName());
  PageControl->setTabToolTip(PageControl->indexOf(form), caption);
  UpdateStatus();
}

std::string TFormScriptEditor::Text(const EditorPage& page) const {
  const TFormCodes* form = PageForm(page);
  return form ? ToUtf8(form->ScriptContent->text()) : std::string();
}

void TFormScriptEditor::SetText(EditorPage& page, const std::string& text) {
  TFormCodes* form = PageForm(page);
  if (!form) return;
  // A script's lines are written with CR LF whatever the editor holds; plain text keeps the file's breaks.
  QsciScintilla::EolMode mode = QsciScintilla::EolUnix;
  if (!page.content.isScript && page.content.lineBreak == "\r\n") mode = QsciScintilla::EolWindows;
  if (!page.content.isScript && page.content.lineBreak == "\r") mode = QsciScintilla::EolMac;
  form->ScriptContent->setEolMode(mode);
  form->LoadText(FromUtf8(text));
}

bool TFormScriptEditor::Modified(const EditorPage& page) const {
  const TFormCodes* form = PageForm(page);
  return form && form->ScriptContent->isModified();
}

void TFormScriptEditor::SetModified(EditorPage& page, bool modified) {
  if (TFormCodes* form = PageForm(page)) form->ScriptContent->setModified(modified);
  UpdateStatus();
}

void TFormScriptEditor::SetReadOnly(EditorPage& page, bool readOnly) {
  if (TFormCodes* form = PageForm(page)) form->ScriptContent->setReadOnly(readOnly);
}

int TFormScriptEditor::CaretLine(const EditorPage& page) const {
  int line = 0;
  int index = 0;
  if (const TFormCodes* form = PageForm(page)) form->ScriptContent->getCursorPosition(&line, &index);
  return line;
}

int TFormScriptEditor::CaretColumn(const EditorPage& page) const {
  int line = 0;
  int index = 0;
  const TFormCodes* form = PageForm(page);
  if (!form) return 0;
  form->ScriptContent->getCursorPosition(&line, &index);
  // QScintilla counts bytes of UTF-8 from the start of the line; columns count characters.
  const QByteArray bytes = form->ScriptContent->text(line).toUtf8().left(index);
  return static_cast<int>(QString::fromUtf8(bytes).size());
}

void TFormScriptEditor::SetCaret(EditorPage& page, int line, int column) {
  TFormCodes* form = PageForm(page);
  if (!form) return;
  form->ScriptContent->setCursorPosition(line, column);
  form->ScriptContent->ensureLineVisible(line);
}

std::string TFormScriptEditor::LineText(const EditorPage& page, int line) const {
  const TFormCodes* form = PageForm(page);
  if (!form) return {};
  std::string text = ToUtf8(form->ScriptContent->text(line));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

void TFormScriptEditor::InsertAtCaret(EditorPage& page, const std::string& text) {
  TFormCodes* form = PageForm(page);
  if (!form) return;
  QString inserted = FromUtf8(text);
  if (page.content.isScript) inserted.replace("\r\n", "\n");
  form->ScriptContent->beginUndoAction();
  if (form->ScriptContent->hasSelectedText()) form->ScriptContent->removeSelectedText();
  int line = 0;
  int index = 0;
  form->ScriptContent->getCursorPosition(&line, &index);
  form->ScriptContent->insertAt(inserted, line, index);
  form->ScriptContent->endUndoAction();
}

void TFormScriptEditor::ReplaceLines(EditorPage& page, int first, int last, const std::vector<std::string>& lines) {
  TFormCodes* form = PageForm(page);
  if (!form) return;
  QsciScintilla& edit = *form->ScriptContent;
  const char* lineBreak = edit.eolMode() == QsciScintilla::EolWindows ? "\r\n"
                          : edit.eolMode() == QsciScintilla::EolMac   ? "\r"
                                                                      : "\n";
  std::string joined;
  for (std::size_t i = 0; i < lines.size(); ++i) joined.append(i ? lineBreak : "").append(lines[i]);
  // Positions count the document's bytes (UTF-8), so the text goes in as bytes too.
  const long start = edit.SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, static_cast<unsigned long>(first));
  const long end = edit.SendScintilla(QsciScintilla::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(last));
  edit.beginUndoAction();
  edit.SendScintilla(QsciScintilla::SCI_SETTARGETSTART, static_cast<unsigned long>(start));
  edit.SendScintilla(QsciScintilla::SCI_SETTARGETEND, static_cast<unsigned long>(end));
  edit.SendScintilla(QsciScintilla::SCI_REPLACETARGET, joined.size(), joined.c_str());
  edit.endUndoAction();
}

void TFormScriptEditor::Repaint(EditorPage& page) {
  if (TFormCodes* form = PageForm(page)) form->PlaceLineMarkers(core_);
}

// ---- State ------------------------------------------------------------------------------------

void TFormScriptEditor::UpdateActions() {
  const bool debuggerShown = debugger_ && debugger_->isVisible();
  const editor::ActionStates enabled = core_.EnabledActions(debuggerShown);
  for (std::size_t i = 0; i < actions_.size(); ++i)
    if (actions_[i]) actions_[i]->setEnabled(enabled[i]);
  const std::optional<std::string> compiled = core_.CompiledFile();
  Action(EditorAction::TestRunCompiled)
      ->setText(compiled ? QString("Run Compiled: [%1]").arg(QFileInfo(FromUtf8(*compiled)).fileName())
                         : QString("Run Compiled: [N/A]"));
  MenuAssistants->setEnabled(!core_.RunActive());
  ActionAutoComplete->setEnabled(!core_.RunActive() && core_.ActivePage());
  MenuCommands->setEnabled(!core_.RunActive() && core_.ActivePage());
}

void TFormScriptEditor::UpdateStatus() {
  const bool running = core_.Running();
  status_[0]->setText(running ? "Running" : "Ready");
  if (EditorPage* page = core_.ActivePage(); page && PageForm(*page)) {
    status_[1]->setText(QString("%1, %2").arg(CaretLine(*page) + 1).arg(CaretColumn(*page) + 1));
    status_[2]->setText(Modified(*page) ? "Modified" : "");
    status_[3]->setText(FromUtf8(core_.Caption(*page)));
  } else {
    for (int i = 1; i < 4; ++i) status_[static_cast<std::size_t>(i)]->clear();
  }
}

void TFormScriptEditor::StateChanged() {
  const bool running = core_.RunActive();
  setWindowTitle(running ? QString(kCaption) + " - [Running]" : QString(kCaption));
  // A run of the main program's goes on while the editor is open: the icon shows it and its Cancel stops it.
  const bool otherRun = !running && core_.OtherRunGoing();
  if (tray_) {
    tray_->setIcon(style()->standardIcon(running || otherRun ? QStyle::SP_MediaPlay : QStyle::SP_FileIcon));
    tray_->setToolTip(otherRun ? QString(kCaption) + " - a script is running" : QString(kCaption));
  }
  if (debugger_) debugger_->SetRunning(running);
  UpdateActions();
  UpdateStatus();
}

void TFormScriptEditor::WaitWhilePaused() {
  QEventLoop loop;
  pauseLoop_ = &loop;
  loop.exec();
  pauseLoop_ = nullptr;
  // Left without Step, Continue or Cancel: the application is quitting. The run stops first.
  if (core_.Paused()) core_.ApplicationEnding();
}

void TFormScriptEditor::EndPause() {
  if (pauseLoop_) pauseLoop_->quit();
}

void TFormScriptEditor::MinimiseApplication() {
  minimisingAll_ = true;
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->isVisible() && !window->isMinimized() && window->isWindow() && !qobject_cast<QMenu*>(window)) {
      minimised_.emplace_back(window);
      window->showMinimized();
    }
  minimisingAll_ = false;
}

void TFormScriptEditor::RestoreApplication() {
  for (const QPointer<QWidget>& window : minimised_)
    if (window) window->showNormal();
  minimised_.clear();
  raise();
}

void TFormScriptEditor::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Minimising the editor minimises the whole application.
  if (event->type() == QEvent::WindowStateChange && isMinimized() && !minimisingAll_ && minimised_.empty()) {
    minimisingAll_ = true;
    for (QWidget* window : QApplication::topLevelWidgets())
      if (window != this && window->isVisible() && !qobject_cast<QMenu*>(window)) window->showMinimized();
    minimisingAll_ = false;
  }
}

void TFormScriptEditor::ShowDebugger() {
  if (!debugger_) {
    debugger_ = new TFormDebugger(core_, Action(EditorAction::Step), Action(EditorAction::Continue),
                                  Action(EditorAction::Cancel), places_.settingsFile, this);
    core_.DebuggerCreated();
  }
  debugger_->SetRunning(core_.RunActive());
  debugger_->show();
  debugger_->raise();
  UpdateActions();
}

void TFormScriptEditor::WatchesChanged() {
  if (debugger_) debugger_->RefreshWatches();
}

// ---- Questions ----------------------------------------------------------------------------------

std::optional<std::string> TFormScriptEditor::AskSaveName(const std::string& suggested) {
  QFileDialog dialog(this, "Save as", FromUtf8(core_.ScriptsFolder()),
                     "Tarnwick Script (*.tws);;All File (*)");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix("tws");
  dialog.selectFile(QFileInfo(FromUtf8(suggested)).fileName());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

editor::SaveAnswer TFormScriptEditor::AskSaveChanges(const std::string& fileName) {
  switch (QMessageBox::question(this, kCaption, QString("Save Changes to %1?").arg(FromUtf8(fileName)),
                                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
      return editor::SaveAnswer::Yes;
    case QMessageBox::No:
      return editor::SaveAnswer::No;
    default:
      return editor::SaveAnswer::Cancel;
  }
}

bool TFormScriptEditor::AskSaveAsUtf8(const std::string& fileName) {
  return QMessageBox::question(this, kCaption,
                               QString("%1 is kept in Windows-1252, which cannot hold every character of the "
                                       "text. Save it as UTF-8?")
                                   .arg(FromUtf8(fileName)),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void TFormScriptEditor::ShowError(const std::string& text) {
  QMessageBox::critical(this, kCaption, FromUtf8(text));
}

void TFormScriptEditor::ShowWarning(const std::string& text) {
  QMessageBox::warning(this, kCaption, FromUtf8(text));
}

// ---- Actions ----------------------------------------------------------------------------------

bool TFormScriptEditor::eventFilter(QObject* watched, QEvent* event) {
  if (watched == qApp && event->type() == QEvent::Quit) {
    ending_ = true;
    core_.ApplicationEnding();
  }
  return QMainWindow::eventFilter(watched, event);
}

void TFormScriptEditor::closeEvent(QCloseEvent* event) {
  if (ending_) {
    if (find_) find_->close();
    core_.ApplicationEnding();
  }
  if (find_ && find_->isVisible()) {
    event->ignore();
    return;
  }
  if (!core_.CloseEditor(ending_)) {
    event->ignore();
    return;
  }
  SaveRecent();
  SavePlacement();
  if (debugger_) debugger_->close();
  event->accept();
}

void TFormScriptEditor::OpenDialog() {
  const QString file = QFileDialog::getOpenFileName(
      this, "Open", FromUtf8(core_.ScriptsFolder()),
      "Tarnwick Scripts (*.tws);;Text Files (*.txt);;All File (*)");
  if (file.isEmpty()) return;
  core_.OpenFile(file.toStdString());
  SaveRecent();
}

void TFormScriptEditor::SavePlacement() {
  const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
  const QPoint corner = isMaximized() || isMinimized() ? normal.topLeft() : pos();
  if (GuidePanel->isVisibleTo(this)) guideHeight_ = GuidePanel->height();
  try {
    IniFile::Update(places_.settingsFile, [&](IniFile& ini) {
      ini.WriteInteger(kPlacement, "Left", corner.x());
      ini.WriteInteger(kPlacement, "Top", corner.y());
      ini.WriteInteger(kPlacement, "Width", normal.width());
      ini.WriteInteger(kPlacement, "Height", normal.height());
      ini.WriteBool(kPlacement, "Maximized", isMaximized());
      ini.WriteBool(kPlacement, "ShowTips", GuidePanel->isVisibleTo(this));
      ini.WriteInteger(kPlacement, "TipsHeight", guideHeight_);
    });
  } catch (const std::exception&) {
    // The next editor opens where the designer put it.
  }
}

void TFormScriptEditor::SaveRecent() {
  RebuildRecentMenu();
  try {
    IniFile::Update(places_.settingsFile, [this](IniFile& ini) { core_.Recent().Save(ini); });
  } catch (const std::exception&) {
    // The list stays for this session.
  }
}

void TFormScriptEditor::RebuildRecentMenu() {
  MenuRecent->clear();
  for (const std::string& file : core_.Recent().Files())
    MenuRecent->addAction(FromUtf8(file), this, [this, file] { core_.OpenFile(file); });
  MenuRecent->setEnabled(!core_.Recent().Files().empty());
}

void TFormScriptEditor::RebuildHelperMenu() {
  MenuAssistants->clear();
  helpers_ = editor::ListHelpers(places_.helpersFolder);
  for (const editor::HelperEntry& helper : helpers_)
    MenuAssistants->addAction(FromUtf8(helper.caption), this, [this, path = helper.path] { core_.RunHelper(path); });
  if (helpers_.empty()) MenuAssistants->addAction("(no helper scripts)")->setEnabled(false);
}

void TFormScriptEditor::GotoLineNumber() {
  EditorPage* page = core_.ActivePage();
  if (!page) return;
  QInputDialog dialog(this);
  dialog.setObjectName("GotoLineNumber");
  dialog.setWindowTitle("Go to Line Number");
  dialog.setLabelText("Line Number:");
  if (dialog.exec() != QDialog::Accepted) return;
  bool number = false;
  const int line = dialog.textValue().trimmed().toInt(&number);
  if (!number || line < 0) return;
  SetCaret(*page, std::max(line - 1, 0), 0);
}

void TFormScriptEditor::ScriptProperties() {
  EditorPage* page = core_.ActivePage();
  if (!page || !page->IsScript()) return;
  TScriptHeader& header = page->content.header;
  if (header.description.empty()) header.description = DescriptionOfFileName(core_.Caption(*page));
  if (EditScriptHeader(header, desktop_, this)) SetModified(*page, true);
}

void TFormScriptEditor::RecordKeystrokes() {
  if (!core_.ActivePage() || core_.RunActive()) return;
  TFormRecording recording(desktop_, this);
  if (!recording.Execute() || recording.RecordedText().empty()) return;
  core_.InsertRecording(recording.RecordedText(), recording.Target());
}

void TFormScriptEditor::DialogEditor() {
  EditorPage* page = core_.ActivePage();
  if (!page || core_.RunActive()) return;
  QtDialogDesigner designer(host_, this);
  editor::EditDialogBlock(*this, *page, host_, designer);
}

void TFormScriptEditor::ShowFindReplace() {
  if (!find_) find_ = new TFormFindReplace([this]() -> QsciScintilla* {
    TFormCodes* form = ActiveForm();
    return form ? form->ScriptContent : nullptr;
  }, this);
  find_->show();
  find_->raise();
}

void TFormScriptEditor::RunAssistant(EditorAction action) {
  if (!core_.ActivePage() || core_.RunActive()) return;
  const auto mode = action == EditorAction::FocusFinder           ? editor::AssistantMode::FocusFinder
                    : action == EditorAction::MouseClickAssistant ? editor::AssistantMode::MouseClick
                                                                  : editor::AssistantMode::TextLocator;
  TFormAssistant assistant(core_.TestInterpreter(), mode);
  // Out of the way of the windows the user points at.
  hide();
  const bool done = assistant.Execute();
  show();
  raise();
  activateWindow();
  if (done) core_.InsertAssistantText(assistant.CommandText(), mode == editor::AssistantMode::TextLocator);
}

void TFormScriptEditor::ShowFunctionList() {
  if (!core_.ActivePage()) return;
  if (!functionList_) {
    TFormFunctionList::Callbacks callbacks;
    callbacks.pageText = [this]() -> std::string {
      EditorPage* page = core_.ActivePage();
      return page ? Text(*page) : std::string{};
    };
    // The entry holds its line: the definition is selected there, whatever text above it looks like it.
    callbacks.gotoEntry = [this](const editor::FunctionEntry& listed) {
      EditorPage* page = core_.ActivePage();
      TFormCodes* form = page ? PageForm(*page) : nullptr;
      if (!form || core_.RunActive()) return;
      const std::optional<editor::FunctionEntry> entry = editor::FindAgain(listed, Text(*page));
      if (!entry) return;
      QsciScintilla& edit = *form->ScriptContent;
      const int line = entry->line - 1;
      const int length = static_cast<int>(FromUtf8(editor::GotoText(*entry)).size());
      edit.setSelection(line, entry->column, line, entry->column + length);
      edit.ensureLineVisible(line);
      activateWindow();
      edit.setFocus();
    };
    callbacks.useEntry = [this](const editor::FunctionEntry& entry) {
      EditorPage* page = core_.ActivePage();
      if (!page || core_.RunActive()) return;
      InsertAtCaret(*page, editor::UseText(entry));
      if (TFormCodes* form = PageForm(*page)) form->ScriptContent->setFocus();
    };
    functionList_ = new TFormFunctionList(std::move(callbacks), places_.settingsFile, this);
  }
  functionList_->Open();
}

TFormFunctionList* TFormScriptEditor::FunctionList() const { return functionList_.data(); }

void TFormScriptEditor::ShowHelp(bool onWord) {
  std::string error;
  TFormHelp* help = TFormHelp::Open(referenceFolder_, error);
  if (!help) {
    ShowError(error);
    return;
  }
  std::string word;
  if (TFormCodes* form = ActiveForm(); form && onWord) {
    int line = 0;
    int index = 0;  // bytes of UTF-8 from the start of the line
    form->ScriptContent->getCursorPosition(&line, &index);
    word = editor::HelpWord(ToUtf8(form->ScriptContent->selectedText()), ToUtf8(form->ScriptContent->text(line)),
                            static_cast<std::size_t>(index));
  }
  help->Show(help->Index().Lookup(word));
}

TFormDebugger* TFormScriptEditor::Debugger() const { return debugger_.data(); }
TFormFindReplace* TFormScriptEditor::FindDialog() const { return find_.data(); }

QString TFormScriptEditor::StatusText(int panel) const { return status_[static_cast<std::size_t>(panel)]->text(); }

}  // namespace tw
