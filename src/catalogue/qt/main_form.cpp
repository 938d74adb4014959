#include "catalogue/qt/main_form.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QShowEvent>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <cstdio>

#include "catalogue/hotkey_dispatch.h"
#include "catalogue/qt/about_box.h"
#include "catalogue/qt/folder_tree_widget.h"
#include "catalogue/qt/form_path.h"
#include "catalogue/qt/form_tips.h"
#include "catalogue/qt/option_form.h"
#include "catalogue/qt/script_form.h"
#include "catalogue/qt/script_list_model.h"
#include "catalogue/quick_access.h"
#include "commands/program_line.h"
#include "files/system_folders.h"
#include "port/run_request_inbox.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

// The status bar's second panel keeps this width; the first takes the rest.
constexpr int kStatusTailWidth = 170;

// "Script Properties..." → "Script Properties", "&Content" → "Content".
QString Plain(QString caption) { return caption.remove('&').remove("..."); }

}  // namespace

TMainForm::TMainForm(TarnwickFiles files, port::Desktop& desktop, port::HotKeys* hotkeys,
                     const ScheduleClock* scheduleClock, QWidget* parent)
    : QMainWindow(parent),
      files_(std::move(files)),
      desktop_(desktop),
      user_(this),
      catalogue_(user_, files_.defaultScriptPath),
      hotkeys_(hotkeys),
      runner_(host_, desktop_, hotkeys_, *this,
              [this](std::function<void()> later) { QTimer::singleShot(0, this, std::move(later)); }),
      requests_(runner_, [this] { return catalogue_.ScriptPath(); }),
      clock_(scheduleClock ? *scheduleClock : systemClock_),
      scheduler_(clock_, [this](const std::string& file) { runner_.RunScriptFile(file); }),
      scheduleLog_(files_.scheduleLog, files_.scheduleLogFallback,
                   [this](const std::string& problem) {
                     // Once, and never as a box that would hold up the runs nobody watches.
                     if (Tray) Tray->TrayIcon->showMessage(kApplicationTitle, QString::fromStdString(problem));
                     std::fprintf(stderr, "tarnwick: %s\n", problem.c_str());
                   }),
      debugLog_(files_.scheduleDebugLog),
      runRecords_(scheduleLog_) {
  setObjectName("MainForm");
  setWindowTitle(kApplicationTitle);
  QIcon icon;
  for (int size : {16, 32, 48}) icon.addFile(QString(":/catalogue/tarnwick-script-%1.png").arg(size));
  setWindowIcon(icon);
  Scripts = new ScriptListModel(catalogue_, this);
  CreateActions();
  CreateViews();
  CreateMenus();

  LoadSettings();
  IniFile ini;
  try {
    ini = IniFile::Load(files_.settingsFile);
  } catch (const std::exception&) {
    // LoadSettings has said why; the defaults hold.
  }
  preferences_ = ReadPreferences(ini, files_);
  scheduleLog_.SetFileName(preferences_.logFileName);
  scheduleTimer_ = new QTimer(this);
  scheduleTimer_->setObjectName("ScheduleTimer");
  scheduleTimer_->setInterval(10000);
  connect(scheduleTimer_, &QTimer::timeout, this, &TMainForm::ScheduleTick);
  runner_.OnScriptStart = [this](const std::string& file) {
    runRecords_.Started(file, scheduler_.On(), preferences_.logSchedule);
  };
  runner_.OnScriptEnd = [this](const std::string& file, RunOutcome outcome) {
    runRecords_.Ended(file, outcome == RunOutcome::Finished);
  };
  // The editor runs scripts of its own on the process-wide run state: none of ours meanwhile.
  runner_.Held = [this] { return editing_; };
  requests_.EditorOpen = [this] { return editing_; };
  catalogue_.SetHotKeyTable(&hotkeys_);
  hotkeys_.OnHotKey = [this](int index) { DispatchHotKey(catalogue_, hotkeys_, runner_, index); };
  CreateTray();
  catalogue_.RebuildFolderTree();
  ShowTree();
  RebuildQuickMenu();
  WatchHotKeys();
  ReceiveRunRequests();
  catalogue_.ListFolderScripts(catalogue_.ActiveFolder());
  ShowList();
}

TMainForm::~TMainForm() {
  // The editor's runs use this window's host: it goes first, without coming back here.
  if (editor_) {
    disconnect(editor_, nullptr, this, nullptr);
    delete editor_.data();
  }
}

QAction* TMainForm::AddAction(const QString& caption, const QKeySequence& key) {
  auto* action = new QAction(caption, this);
  action->setShortcut(key);
  action->setShortcutContext(Qt::WindowShortcut);
  addAction(action);
  return action;
}

void TMainForm::CreateActions() {
  QStyle* look = style();
  ActionRun = AddAction("Run", QKeySequence("Ctrl+R"));
  ActionRun->setIcon(look->standardIcon(QStyle::SP_MediaPlay));
  ActionAdd = AddAction("Add...", QKeySequence("Ctrl+N"));
  ActionAdd->setIcon(look->standardIcon(QStyle::SP_FileIcon));
  ActionEdit = AddAction("Edit...", QKeySequence("Ctrl+E"));
  ActionEdit->setIcon(look->standardIcon(QStyle::SP_FileDialogContentsView));
  ActionProperties = AddAction("Script Properties...", QKeySequence("Ctrl+P"));
  ActionProperties->setIcon(look->standardIcon(QStyle::SP_FileDialogDetailedView));
  ActionDelete = AddAction("Delete...", QKeySequence("Ctrl+D"));
  ActionDelete->setIcon(look->standardIcon(QStyle::SP_TrashIcon));
  ActnRefreshFolders = AddAction("Refresh Folders");
  ActnSetup = AddAction("Setup...");
  ActnChangeScriptPath = AddAction("Change Script Path...");
  ActnNewFolder = AddAction("New Folder...");
  ActnRenameFolder = AddAction("Rename Folder...");
  ActnDeleteFolder = AddAction("Delete Folder...");
  ActnExplore = AddAction("Explore...");
  ActnClose = AddAction("Close");
  ActnExit = AddAction("Exit");
  ActnStartSchedule = AddAction("Start Schedule");
  ActnStartSchedule->setIcon(look->standardIcon(QStyle::SP_MediaSeekForward));
  ActnStopSchedule = AddAction("Stop Schedule");
  ActnStopSchedule->setIcon(look->standardIcon(QStyle::SP_MediaStop));
  ActnContent = AddAction("&Content");
  ActnTips = AddAction("&Tips...");
  ActnAbout = AddAction("&About...");
  ActnIconView = AddAction("Icon View");
  ActnIconView->setCheckable(true);
  ActnIconView->setIcon(look->standardIcon(QStyle::SP_FileDialogListView));
  ActnListView = AddAction("List View");
  ActnListView->setCheckable(true);
  ActnListView->setIcon(look->standardIcon(QStyle::SP_FileDialogDetailedView));
  auto* views = new QActionGroup(this);
  views->addAction(ActnIconView);
  views->addAction(ActnListView);
  ActnListView->setChecked(true);

  connect(ActionRun, &QAction::triggered, this, &TMainForm::RunSelected);
  connect(ActionAdd, &QAction::triggered, this, [this] {
    if (!catalogue_.SelectedFolder()) {
      user_.Warning("Must select a folder");
      return;
    }
    EditScript("");
  });
  connect(ActionEdit, &QAction::triggered, this, [this] {
    const ScriptItem* script = catalogue_.SelectedScript();
    if (!script) {
      user_.Warning("Must select a script.");
      return;
    }
    EditScript(script->fullPath);
  });
  connect(ActionProperties, &QAction::triggered, this, &TMainForm::EditProperties);
  connect(ActionDelete, &QAction::triggered, this, [this] {
    StopSchedule();
    catalogue_.DeleteScript();
    ShowList();
  });
  connect(ActnRefreshFolders, &QAction::triggered, this, [this] {
    catalogue_.RebuildFolderTree();
    ShowTree();
    catalogue_.ListFolderScripts(catalogue_.ActiveFolder());
    ShowList();
  });
  connect(ActnStartSchedule, &QAction::triggered, this, &TMainForm::StartSchedule);
  connect(ActnStopSchedule, &QAction::triggered, this, &TMainForm::StopSchedule);
  connect(ActnSetup, &QAction::triggered, this, &TMainForm::ShowOptions);
  connect(ActnChangeScriptPath, &QAction::triggered, this, &TMainForm::ChangeScriptPath);
  connect(ActnAbout, &QAction::triggered, this, &TMainForm::ShowAbout);
  connect(ActnTips, &QAction::triggered, this, [this] {
    try {
      IniFile::Update(files_.settingsFile, [](IniFile& ini) { WriteShowTips(ini, true); });
    } catch (const std::exception& error) {
      user_.Error(std::string("The settings could not be saved: ") + error.what());
    }
    ShowStartupTips(files_.settingsFile, files_.tipsFile, this);
  });
  const auto folderOperation = [this](void (Catalogue::*operation)()) {
    return [this, operation] {
      (catalogue_.*operation)();
      ShowTree();
      ShowList();
    };
  };
  connect(ActnNewFolder, &QAction::triggered, this, folderOperation(&Catalogue::NewFolder));
  connect(ActnRenameFolder, &QAction::triggered, this, folderOperation(&Catalogue::RenameFolder));
  connect(ActnDeleteFolder, &QAction::triggered, this, folderOperation(&Catalogue::DeleteFolder));
  connect(ActnExplore, &QAction::triggered, this, &TMainForm::ExploreFolder);
  connect(ActnClose, &QAction::triggered, this, &QWidget::close);
  connect(ActnExit, &QAction::triggered, this, &TMainForm::Exit);
  connect(ActnContent, &QAction::triggered, this, &TMainForm::OpenGuide);
  connect(ActnIconView, &QAction::toggled, this, [this](bool on) { SetLargeIcons(on); });
}

void TMainForm::CreateViews() {
  TreeFolders = new FolderTreeWidget(*Scripts);
  TreeFolders->setObjectName("TreeFolders");
  TreeFolders->setContextMenuPolicy(Qt::CustomContextMenu);

  ScriptReport = new QTreeView;
  ScriptReport->setObjectName("ScriptReport");
  ScriptReport->setModel(Scripts);
  ScriptReport->setRootIsDecorated(false);
  ScriptReport->setUniformRowHeights(true);
  ScriptReport->setAllColumnsShowFocus(true);
  ScriptReport->setIconSize(QSize(16, 16));
  ScriptReport->header()->setSectionsClickable(true);
  ScriptReport->header()->setSortIndicatorShown(true);
  ScriptReport->header()->setStretchLastSection(false);
  ScriptReport->header()->resizeSection(ScriptListModel::kHotKey, 100);

  ScriptIcons = new QListView;
  ScriptIcons->setObjectName("ScriptIcons");
  ScriptIcons->setModel(Scripts);
  ScriptIcons->setSelectionModel(ScriptReport->selectionModel());
  ScriptIcons->setViewMode(QListView::IconMode);
  ScriptIcons->setIconSize(QSize(32, 32));
  ScriptIcons->setGridSize(QSize(120, 72));
  ScriptIcons->setWordWrap(true);
  ScriptIcons->setMovement(QListView::Static);
  ScriptIcons->setResizeMode(QListView::Adjust);

  for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(ScriptReport), static_cast<QAbstractItemView*>(ScriptIcons)}) {
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setDragEnabled(true);
    view->setDragDropMode(QAbstractItemView::DragOnly);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    view->viewport()->installEventFilter(this);
    view->installEventFilter(this);
    connect(view, &QAbstractItemView::doubleClicked, this, [this] { RunSelected(); });
    connect(view, &QWidget::customContextMenuRequested, this,
            [this, view](const QPoint& at) { PMnuList->popup(view->viewport()->mapToGlobal(at)); });
  }
  ScriptList = new QStackedWidget;
  ScriptList->setObjectName("ScriptList");
  ScriptList->addWidget(ScriptReport);
  ScriptList->addWidget(ScriptIcons);

  auto* split = new QSplitter;
  split->addWidget(TreeFolders);
  split->addWidget(ScriptList);
  split->setStretchFactor(1, 1);
  split->setSizes({200, 800});
  setCentralWidget(split);

  StatusFile = new QLabel;
  StatusFile->setObjectName("StatusFile");
  statusBar()->addWidget(StatusFile);
  auto* tail = new QLabel;
  tail->setFixedWidth(kStatusTailWidth);
  statusBar()->addWidget(tail);

  connect(ScriptReport->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { catalogue_.SetSelectedItem(current.isValid() ? current.row() : -1); });
  connect(ScriptReport->header(), &QHeaderView::sectionClicked, this, [this](int column) {
    if (const std::optional<int> sort = ScriptListModel::SortColumnFor(column)) catalogue_.SortBy(*sort);
    ShowList();
  });
  connect(TreeFolders, &FolderTreeWidget::folderSelected, this, [this](const QString& folder) {
    catalogue_.SelectFolder(folder.toStdString());
    ShowList();
  });
  connect(TreeFolders, &FolderTreeWidget::scriptDropped, this, [this](int row, const QString& folder) {
    // After the drag has returned: the list changes under the view that started it.
    QTimer::singleShot(0, this, [this, row, folder] {
      catalogue_.MoveScript(row, folder.toStdString());
      ShowList();
    });
  });
  connect(TreeFolders, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PMnuFolders->popup(TreeFolders->viewport()->mapToGlobal(at)); });
}

void TMainForm::CreateMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  file->addActions({ActnRefreshFolders});
  file->addSeparator();
  file->addActions({ActnSetup, ActnChangeScriptPath});
  file->addSeparator();
  file->addActions({ActnRenameFolder, ActnNewFolder, ActnDeleteFolder});
  file->addSeparator();
  file->addAction(ActnClose);
  QMenu* tasks = menuBar()->addMenu("&Tasks");
  tasks->addAction(ActionRun);
  tasks->addSeparator();
  tasks->addActions({ActionAdd, ActionEdit, ActionProperties});
  tasks->addSeparator();
  tasks->addAction(ActionDelete);
  QMenu* schedule = menuBar()->addMenu("&Schedule");
  schedule->addActions({ActnStartSchedule, ActnStopSchedule});
  QMenu* help = menuBar()->addMenu("&Help");
  help->addActions({ActnContent, ActnTips});
  help->addSeparator();
  help->addAction(ActnAbout);

  PMnuList = new QMenu(this);
  PMnuList->setObjectName("PMnuList");
  PMnuList->addAction(ActionRun);
  PMnuList->addSeparator();
  PMnuList->addActions({ActionAdd, ActionEdit, ActionProperties});
  PMnuList->addSeparator();
  PMnuList->addAction(ActionDelete);
  PMnuFolders = new QMenu(this);
  PMnuFolders->setObjectName("PMnuFolders");
  PMnuFolders->addAction(ActnExplore);
  PMnuFolders->addSeparator();
  PMnuFolders->addActions({ActnNewFolder, ActnRenameFolder});
  PMnuFolders->addSeparator();
  PMnuFolders->addAction(ActnDeleteFolder);

  QToolBar* bar = addToolBar("Tools");
  bar->setObjectName("ToolBar");
  bar->setMovable(false);
  bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  bar->addActions({ActnIconView, ActnListView});
  bar->addSeparator();
  bar->addActions({ActionAdd, ActionEdit, ActionProperties});
  bar->addSeparator();
  bar->addAction(ActionDelete);
  bar->addSeparator();
  bar->addActions({ActionRun, ActnStartSchedule, ActnStopSchedule});
}

void TMainForm::LoadSettings() {
  IniFile ini;
  try {
    ini = IniFile::Load(files_.settingsFile);
  } catch (const std::exception& error) {
    user_.Error(error.what());
  }
  settings_ = ReadCatalogueSettings(ini, files_.defaultScriptPath);
  catalogue_.SetSortColumn(settings_.sortColumn);
  catalogue_.SetSelectedPosition(settings_.selectedPosition);
  catalogue_.SetScriptPath(settings_.scriptPath);
  catalogue_.SetActiveFolder(settings_.activeFolder);

  if (settings_.left >= 0 && settings_.top >= 0) move(settings_.left, settings_.top);
  resize(settings_.width, settings_.height);
  for (int i = 0; i < 3; ++i) ScriptReport->header()->resizeSection(i, settings_.columnWidths[static_cast<std::size_t>(i)]);
  ActnIconView->setChecked(settings_.iconViewDown);
  ActnListView->setChecked(settings_.listViewDown || !settings_.iconViewDown);
  SetLargeIcons(settings_.largeIcons);
}

void TMainForm::SaveSettings() {
  const QRect placement = isMaximized() || isMinimized() ? normalGeometry() : geometry();
  const QPoint corner = isMaximized() || isMinimized() ? placement.topLeft() : pos();
  settings_.left = corner.x();
  settings_.top = corner.y();
  settings_.width = placement.width();
  settings_.height = placement.height();
  settings_.showState = isMaximized() ? WindowShowState::Maximized : WindowShowState::Normal;
  settings_.iconViewDown = ActnIconView->isChecked();
  settings_.listViewDown = ActnListView->isChecked();
  settings_.largeIcons = ScriptList->currentWidget() == ScriptIcons;
  for (int i = 0; i < 3; ++i) settings_.columnWidths[static_cast<std::size_t>(i)] = ScriptReport->header()->sectionSize(i);
  settings_.sortColumn = catalogue_.SortColumn();
  const bool selected = catalogue_.SelectedItem() >= 0;
  if (selected) settings_.selectedPosition = catalogue_.SelectedItem();
  settings_.scriptPath = catalogue_.ScriptPath();
  settings_.activeFolder = catalogue_.ActiveFolder();
  try {
    IniFile::Update(files_.settingsFile,
                    [&](IniFile& ini) { WriteCatalogueSettings(ini, settings_, selected); });
  } catch (const std::exception& error) {
    user_.Error(std::string("The settings could not be saved: ") + error.what());
  }
}

void TMainForm::ShowTree() { TreeFolders->Show(catalogue_.Tree() ? &*catalogue_.Tree() : nullptr, catalogue_.ActiveFolder()); }

void TMainForm::ShowList() {
  Scripts->Refresh();
  const int sort = catalogue_.SortColumn();
  const int column = sort == kSortByFileName ? ScriptListModel::kScriptName
                     : sort == kSortByLocation ? ScriptListModel::kScriptLocation
                                               : ScriptListModel::kDescription;
  ScriptReport->header()->setSortIndicator(column, Qt::AscendingOrder);
  const int selected = catalogue_.SelectedItem();
  if (selected >= 0) {
    const QModelIndex index = Scripts->index(selected, 0);
    ScriptReport->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ScriptReport->scrollTo(index);
    ScriptIcons->scrollTo(index);
  }
}

void TMainForm::SetLargeIcons(bool large) { ScriptList->setCurrentWidget(large ? static_cast<QWidget*>(ScriptIcons) : ScriptReport); }

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // Restored by the window manager, not shown by us; or back after a run, as it was.
  if (event->spontaneous() || hiddenForRun_) return;
  const std::string path = catalogue_.ScriptPath();
  const std::string folder = catalogue_.ActiveFolder();
  LoadSettings();
  if (settings_.showState == WindowShowState::Maximized) setWindowState(windowState() | Qt::WindowMaximized);
  if (catalogue_.ScriptPath() != path || catalogue_.ActiveFolder() != folder) {
    catalogue_.RebuildFolderTree();
    ShowTree();
    listStale_ = true;
  }
  if (firstItemNext_) {
    catalogue_.SetSelectedPosition(0);
    firstItemNext_ = false;
  }
  if (listStale_) {
    catalogue_.ListFolderScripts(catalogue_.ActiveFolder());
    listStale_ = false;
  } else {
    catalogue_.SetSelectedItem(catalogue_.SelectedPosition());
  }
  ShowList();
}

void TMainForm::hideEvent(QHideEvent* event) {
  QMainWindow::hideEvent(event);
  if (event->spontaneous() || hiddenForRun_) return;
  SaveSettings();
  listStale_ = true;
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (exiting_) {
    event->accept();
    return;
  }
  // The program lives on in the tray without its window; where there is no tray, the window stays within reach.
  event->ignore();
  if (TFormPopup::Available()) {
    hide();
  } else {
    // Kept as a hiding keeps it.
    SaveSettings();
    showMinimized();
  }
  RebuildQuickMenu();
}

void TMainForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  StatusFile->setFixedWidth(std::max(0, statusBar()->width() - kStatusTailWidth));
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) {
    const ScriptItem* script = catalogue_.SelectedScript();
    StatusFile->setText(script ? QString::fromStdString(script->fileName) : QString());
  } else if (event->type() == QEvent::KeyPress && (watched == ScriptReport || watched == ScriptIcons)) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      RunSelected();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::ShowAndActivate() {
  if (editor_) {
    if (editor_->isMinimized()) editor_->setWindowState(editor_->windowState() & ~Qt::WindowMinimized);
    editor_->show();
    editor_->raise();
    editor_->activateWindow();
    return;
  }
  if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
  ActivateOnDesktop(40);
}

void TMainForm::ActivateOnDesktop(int attemptsLeft) {
  // A window hidden or minimised meanwhile (closed by the user) is left so: activating would bring it back.
  if (!desktop_.hasDisplay() || attemptsLeft <= 0 || !isVisible() || isMinimized()) return;
  // The window manager takes the request only once the window is mapped and managed: ask until it is active.
  port::WindowService& windows = desktop_.windows();
  const port::WindowId window = static_cast<port::WindowId>(winId());
  if (windows.activeWindow() == windows.topLevelOf(window)) return;
  windows.activate(window);
  QTimer::singleShot(100, this, [this, attemptsLeft] { ActivateOnDesktop(attemptsLeft - 1); });
}

void TMainForm::RunSelected() {
  // One run at a time: the list's Run waits for nothing, it is simply refused.
  const ScriptItem* script = catalogue_.SelectedScript();
  if (!script || runner_.Active()) return;
  const std::string path = script->fullPath;
  runner_.RunScriptFile(path);
}

void TMainForm::RunError(const std::string& text) { user_.Error(text); }

void TMainForm::RunBegins() {
  if (isVisible()) {
    hiddenForRun_ = true;
    hide();
  }
  Tray->SetTrayState(TrayState::Running);
  Tray->SetQuickAccessEnabled(false);
}

void TMainForm::RunEnds() {
  Tray->SetQuickAccessEnabled(true);
  ShowScheduleState();
  FollowSchedule();
  if (editing_) {
    // The editor was opened during the run (the tray's "Edit Tasks" showed the window): it keeps the hotkeys
    // off and the window hidden until it closes.
    hotkeys_.SetActive(false);
    hiddenForRun_ = false;
    return;
  }
  if (hiddenForRun_ && !exiting_) show();
  hiddenForRun_ = false;
}

void TMainForm::CreateTray() {
  Tray = new TFormPopup(ActnExit, this);
  connect(Tray, &TFormPopup::clicked, this, &TMainForm::LookAtForegroundWindow);
  connect(Tray, &TFormPopup::editTasks, this, &TMainForm::EditTasks);
  connect(Tray, &TFormPopup::cancelScript, this, &TMainForm::CancelScript);
  connect(Tray, &TFormPopup::startSchedule, this, [this] { ActnStartSchedule->trigger(); });
  connect(Tray, &TFormPopup::stopSchedule, this, [this] { ActnStopSchedule->trigger(); });
  connect(Tray, &TFormPopup::scriptChosen, this, [this](const QString& path) { runner_.RunScriptFile(path.toStdString()); });
  Tray->Show();
}

void TMainForm::StartSchedule() {
  debugLog_.SetEnabled(preferences_.debugLog);
  // The whole catalogue as it is on disk now; the list keeps showing the active folder.
  catalogue_.RebuildFolderTree();
  ShowTree();
  std::vector<TScheduleObject> entries;
  if (const auto& tree = catalogue_.Tree())
    entries = BuildSchedule(*tree, catalogue_.ScriptPath(), clock_,
                            [this](const std::string& line) { debugLog_.Write(line); });
  scheduler_.Start(std::move(entries));
  // Without a tray the window is the only way back: it stays.
  if (isVisible() && TFormPopup::Available()) hide();
  if (preferences_.logSchedule) scheduleLog_.WriteScheduleLog(ScheduleStartLine(nowAsDateTime()));
  FollowSchedule();
}

void TMainForm::StopSchedule() {
  scheduler_.Stop();
  FollowSchedule();
}

void TMainForm::ScheduleTick() {
  scheduleTimer_->stop();
  if (ticking_) return;
  if (runner_.Active()) {
    // A run of another start (a hotkey, the list) is going: the due entries wait for its end.
    runner_.WhenIdle([this] { ScheduleTick(); });
    return;
  }
  ticking_ = true;
  scheduler_.Tick();
  ticking_ = false;
  FollowSchedule();
}

void TMainForm::FollowSchedule() {
  const bool on = scheduler_.On();
  if (on && !ticking_)
    scheduleTimer_->start();
  else if (!on)
    scheduleTimer_->stop();
  Tray->SetScheduleChecked(on);
  // During a run the tray shows RUNNING; its end shows the schedule's state.
  if (!runner_.Active()) ShowScheduleState();
}

void TMainForm::ShowScheduleState() { Tray->SetTrayState(scheduler_.On() ? TrayState::Schedule : TrayState::Idle); }

void TMainForm::WatchHotKeys() {
  const int descriptor = hotkeys_.EventDescriptor();
  if (descriptor < 0) return;
  hotkeyEvents_ = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
  connect(hotkeyEvents_.get(), &QSocketNotifier::activated, this, [this] { hotkeys_.ServeEvents(); });
}

void TMainForm::ReceiveRunRequests() {
  // Only a window of the X display can be marked (tests run the window offscreen too).
  if (QGuiApplication::platformName() != "xcb") return;
  std::string problem;
  runRequestInbox_ = port::openRunRequestInbox(
      static_cast<unsigned long>(winId()), [this](const std::string& name) { requests_.Receive(name); }, problem);
  if (!runRequestInbox_) {
    std::fprintf(stderr, "tarnwick: no requests from other programs: %s\n", problem.c_str());
    return;
  }
  // While a script runs its waits serve the inbox; while the program is idle this does.
  const int descriptor = runRequestInbox_->eventDescriptor();
  if (descriptor < 0) return;
  runRequestEvents_ = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
  connect(runRequestEvents_.get(), &QSocketNotifier::activated, this, [this] { runRequestInbox_->serveEvents(); });
}

void TMainForm::RebuildQuickMenu() {
  Tray->SetQuickAccess(RebuildQuickAccess(catalogue_, hotkeys_));
  // Rebuilt while a run is active (the tray's "Edit Tasks" showed the window): the run keeps them off.
  if (runner_.Active()) {
    hotkeys_.SetActive(false);
    Tray->SetQuickAccessEnabled(false);
  }
}

void TMainForm::EditTasks() {
  StopSchedule();
  firstItemNext_ = true;
  listStale_ = true;
  if (isVisible()) {
    catalogue_.SetSelectedPosition(0);
    catalogue_.ListFolderScripts(catalogue_.ActiveFolder());
    ShowList();
    firstItemNext_ = false;
    listStale_ = false;
  }
  ShowAndActivate();
}

void TMainForm::CancelScript() {
  runner_.Cancel();
  host_.CancelOpenWindows();
}

void TMainForm::LookAtForegroundWindow() {
  if (!desktop_.hasDisplay()) return;
  std::optional<port::Point> icon;
  if (const std::optional<QPoint> centre = Tray->IconCentre()) icon = port::Point{centre->x(), centre->y()};
  try {
    if (const auto window = trayTarget_.Look(desktop_.windows(), desktop_.systemInfo().processId(), icon))
      runner_.SetTargetWindow(*window);
  } catch (const std::exception&) {
    // The window went away while we looked: nothing to take.
  }
}

void TMainForm::ShowOptions() {
  TOptionForm options(preferences_, this);
  options.OnViewLog = [this](const std::string& file) { ViewLog(file); };
  if (options.exec() != QDialog::Accepted) return;
  preferences_ = options.Values();
  if (preferences_.logFileName != scheduleLog_.FileName()) scheduleLog_.SetFileName(preferences_.logFileName);
  try {
    IniFile::Update(files_.settingsFile, [&](IniFile& ini) {
      Preferences written = preferences_;
      written.debugLog = ReadPreferences(ini, files_).debugLog;  // not the dialog's to change
      WritePreferences(ini, written);
    });
  } catch (const std::exception& error) {
    user_.Error(std::string("The settings could not be saved: ") + error.what());
  }
}

void TMainForm::ViewLog(const std::string& file) {
  if (Trimmed(file).empty()) return;
  // The log opens in the user's text editor, as the Windows editor's name does in scripts.
  const port::StartResult opened = StartProgramLine(desktop_.processes(), {"notepad.exe", file});
  if (!opened.started) user_.Error("Cannot open the log: " + opened.error);
}

void TMainForm::ChangeScriptPath() {
  TFormPath dialog(catalogue_.ScriptPath(), this);
  dialog.exec();
  const std::optional<std::string> chosen = dialog.Chosen();
  if (!chosen) return;
  catalogue_.SetScriptPath(*chosen);
  catalogue_.RebuildFolderTree();
  try {
    IniFile::Update(files_.settingsFile,
                    [&](IniFile& ini) { ini.WriteString("Settings", "ScriptPath", catalogue_.ScriptPath()); });
  } catch (const std::exception& error) {
    user_.Error(std::string("The settings could not be saved: ") + error.what());
  }
  ShowTree();
  catalogue_.ListFolderScripts(catalogue_.ActiveFolder());
  ShowList();
  RebuildQuickMenu();
}

void TMainForm::ShowAbout() {
  TAboutBox about(TAboutBox::Use::About, this);
  about.exec();
}

void TMainForm::EditScript(const std::string& file) {
  if (!OpenScriptEditor) {
    NotAvailable(Plain((file.empty() ? ActionAdd : ActionEdit)->text()));
    return;
  }
  if (editing_) {
    ShowAndActivate();
    return;
  }
  StopSchedule();
  editing_ = true;
  if (isVisible()) hide();
  Tray->Hide();
  hotkeys_.SetActive(false);
  QWidget* editor =
      OpenScriptEditor({file, catalogue_.ScriptPath(), catalogue_.FolderDirectory(catalogue_.ActiveFolder())});
  if (!editor) {
    EditorClosed();
    return;
  }
  editor_ = editor;
  connect(editor, &QObject::destroyed, this, &TMainForm::EditorClosed);
}

void TMainForm::EditorClosed() {
  editing_ = false;
  editor_ = nullptr;
  if (exiting_) return;
  Tray->Show();
  // The editor may have added scripts or changed their headers, hotkeys included.
  RebuildQuickMenu();
  listStale_ = true;
  if (runner_.Active()) {
    // A run that was going when the editor opened is still going: its end brings back the window and hotkeys.
    catalogue_.ListFolderScripts(catalogue_.ActiveFolder());
    ShowList();
    listStale_ = false;
    hiddenForRun_ = true;
    return;
  }
  hotkeys_.SetActive(true);
  ShowScheduleState();
  ShowAndActivate();
}

void TMainForm::EditProperties() {
  const ScriptItem* script = catalogue_.SelectedScript();
  if (!script) {
    user_.Error("Must select a script!");
    return;
  }
  catalogue_.SetSelectedPosition(catalogue_.SelectedItem());
  const std::string file = script->fullPath;
  std::vector<std::string> body;
  TScriptHeader header;
  try {
    LoadScriptFile(file, body, header);
  } catch (const HeaderError& error) {
    user_.Error(error.what());
    return;
  }
  if (Trimmed(header.description).empty()) header.description = DescriptionOfFileName(file);
  // A combination held by the hotkeys would never reach the dialog's hotkey capture.
  const bool hotkeysWereOn = hotkeys_.Active();
  hotkeys_.SetActive(false);
  const bool changed = EditScriptHeader(header, desktop_, this);
  hotkeys_.SetActive(hotkeysWereOn);
  if (!changed) return;
  try {
    SaveScriptFile(file, header, body);
  } catch (const std::exception& error) {
    user_.Error(error.what());
    return;
  }
  catalogue_.ListFolderScripts(catalogue_.ActiveFolder());
  ShowList();
  RebuildQuickMenu();  // the hotkey and the description may have changed
}

void TMainForm::NotAvailable(const QString& what) {
  user_.Information("\"" + what.toStdString() + "\" is not available in this version of tarnwick.");
}

void TMainForm::OpenGuide() {
  // Beside the program in a build tree or a portable folder, else where an installation keeps it.
  std::string guide = ProgramFolder() + "tarnwick.md";
  if (!IsRegularFile(guide) && IsRegularFile(ProgramFolder() + TW_INSTALLED_GUIDE))
    guide = ProgramFolder() + TW_INSTALLED_GUIDE;
  if (!IsRegularFile(guide)) {
    user_.Error("The guide \"" + guide + "\" is not there.");
    return;
  }
  const port::StartResult opened = desktop_.processes().open(guide);
  if (!opened.started) user_.Error("Cannot open the guide: " + opened.error);
}

void TMainForm::ExploreFolder() {
  if (!catalogue_.SelectedFolder()) return;
  const port::StartResult opened = desktop_.processes().open(catalogue_.FolderDirectory(catalogue_.ActiveFolder()));
  if (!opened.started) user_.Error("Cannot open the folder: " + opened.error);
}

void TMainForm::Exit() {
  exiting_ = true;
  // A run is stopped first; the program ends once it has returned.
  runner_.EndRuns();
  if (runner_.Active()) {
    host_.CancelOpenWindows();
    runner_.WhenIdle([this] { Exit(); });
    return;
  }
  if (isVisible()) hide();
  Tray->Hide();
  QApplication::quit();
}

}  // namespace tw
