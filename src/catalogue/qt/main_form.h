#pragma once
// tarnwick's main window: the folder tree on the left, the scripts of the selected folder on the right (as a
// report or as large icons), menus, tool bar and pop-up menus. The catalogue does the work; this window shows
// it. Closing hides the window (or minimises it where there is no tray); the program goes on until Exit.
// The window also holds what runs scripts: the one interpreter with its run path, the hotkey table, the tray
// and the queue of other programs' requests.

#include <QMainWindow>
#include <QPointer>
#include <QSocketNotifier>
#include <functional>
#include <memory>

#include "catalogue/catalogue.h"
#include "catalogue/catalogue_settings.h"
#include "catalogue/qt/form_popup.h"
#include "catalogue/qt/qt_catalogue_user.h"
#include "catalogue/run_requests.h"
#include "catalogue/schedule.h"
#include "catalogue/schedule_log.h"
#include "catalogue/script_runner.h"
#include "catalogue/sys_hot_key.h"
#include "catalogue/tray_target.h"
#include "port/desktop.h"
#include "port/event_sources.h"
#include "port/hotkeys.h"
#include "runtime/qt/qt_host.h"

class QAction;
class QLabel;
class QListView;
class QMenu;
class QStackedWidget;
class QTreeView;

namespace tw {

class FolderTreeWidget;
class ScriptListModel;

// The application title: the main window's caption, by which scripts and other programs find it.
inline constexpr const char* kApplicationTitle = "Tarnwick for Windows 95/98/NT/2000/XP";

// What Add... and Edit... hand the script editor.
struct ScriptEditorRequest {
  std::string file;           // the script to edit; empty for a new one
  std::string includeFolder;  // the include folder of its test runs: the script path
  std::string dialogFolder;   // where its open and save dialogs start: the selected folder's directory
};

class TMainForm : public QMainWindow, private RunHooks {
  Q_OBJECT

 public:
  // Reads the settings, the folder tree and the selected folder's scripts, builds the quick-access menu and
  // the hotkey table (registered with `hotkeys`, which may be nullptr: none then) and shows the tray icon;
  // the window stays hidden. The schedule reads the time from `scheduleClock` (the system's when nullptr).
  TMainForm(TarnwickFiles files, port::Desktop& desktop, port::HotKeys* hotkeys,
            const ScheduleClock* scheduleClock = nullptr, QWidget* parent = nullptr);
  ~TMainForm() override;

  // Shows the window (restored when minimised), brings it to the front and makes it the active window.
  // While the script editor is open, the editor comes to the front instead.
  void ShowAndActivate();

  // Opens the script editor, which lives in a library above this one (the program sets this): the window,
  // shown with the file or a new script, deleted when it closes; nullptr when it did not open. Unset, Add...
  // and Edit... say that the editor is not available.
  std::function<QWidget*(const ScriptEditorRequest&)> OpenScriptEditor;
  // The open script editor, or nullptr. While it is open the schedule is stopped, the window hidden, the tray
  // icon gone, the hotkeys off, and no script runs: other programs' requests are dropped, everything else is
  // refused.
  QWidget* ScriptEditor() const { return editor_; }
  // "Add..." (an empty file) and "Edit...": the hand-over to the editor on the file.
  void EditScript(const std::string& file);

  // The run path every script takes (see ScriptRunner::RunScriptFile).
  bool RunScriptFile(const std::string& fileName) { return runner_.RunScriptFile(fileName); }
  // The tray's "Cancel Script": stops the active run and closes the windows it has open.
  void CancelScript();
  // Another program asks for a script to be run (queued behind the active run).
  void ReceiveRunRequest(const std::string& name) { requests_.Receive(name); }
  // Rebuilds the tray's quick-access menu and the hotkey table from the catalogue.
  void RebuildQuickMenu();
  // The options dialog, the script path dialog and the about box.
  void ShowOptions();
  void ChangeScriptPath();
  void ShowAbout();
  // "Script Properties...": the selected script's header in the properties dialog, saved when changed.
  void EditProperties();

  Catalogue& catalogue() { return catalogue_; }
  const TarnwickFiles& files() const { return files_; }
  port::Desktop& Desktop() { return desktop_; }
  ScriptRunner& Runner() { return runner_; }
  // The schedule: entries built from the whole catalogue, the timer on, the tray in the SCHEDULE state (a
  // restart when it was on); and off again.
  void StartSchedule();
  void StopSchedule();
  const Scheduler& Schedule() const { return scheduler_; }
  TSysHotKey& HotKeys() { return hotkeys_; }
  QtHost& Host() { return host_; }
  const Preferences& CurrentPreferences() const { return preferences_; }

  TFormPopup* Tray = nullptr;

  FolderTreeWidget* TreeFolders = nullptr;
  QStackedWidget* ScriptList = nullptr;  // the report and the large icons, one of them shown
  QTreeView* ScriptReport = nullptr;
  QListView* ScriptIcons = nullptr;
  ScriptListModel* Scripts = nullptr;
  QLabel* StatusFile = nullptr;

  QAction* ActionRun = nullptr;
  QAction* ActionAdd = nullptr;
  QAction* ActionEdit = nullptr;
  QAction* ActionProperties = nullptr;
  QAction* ActionDelete = nullptr;
  QAction* ActnRefreshFolders = nullptr;
  QAction* ActnSetup = nullptr;
  QAction* ActnChangeScriptPath = nullptr;
  QAction* ActnNewFolder = nullptr;
  QAction* ActnRenameFolder = nullptr;
  QAction* ActnDeleteFolder = nullptr;
  QAction* ActnExplore = nullptr;
  QAction* ActnClose = nullptr;
  QAction* ActnExit = nullptr;
  QAction* ActnStartSchedule = nullptr;
  QAction* ActnStopSchedule = nullptr;
  QAction* ActnContent = nullptr;
  QAction* ActnTips = nullptr;
  QAction* ActnAbout = nullptr;
  QAction* ActnIconView = nullptr;
  QAction* ActnListView = nullptr;
  QMenu* PMnuList = nullptr;
  QMenu* PMnuFolders = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateActions();
  void CreateMenus();
  void CreateViews();
  QAction* AddAction(const QString& caption, const QKeySequence& key = {});

  void LoadSettings();
  void SaveSettings();
  // Shows the catalogue's tree and list again after it changed.
  void ShowTree();
  void ShowList();
  void SetLargeIcons(bool large);
  void ActivateOnDesktop(int attemptsLeft);

  void RunSelected();
  void RunError(const std::string& text) override;
  void RunBegins() override;
  void RunEnds() override;
  void CreateTray();
  void ScheduleTick();
  // The timer runs exactly while the schedule is on and no tick is busy; the tray shows the state.
  void FollowSchedule();
  void ShowScheduleState();
  void WatchHotKeys();
  void ReceiveRunRequests();
  void EditTasks();
  void LookAtForegroundWindow();
  void ViewLog(const std::string& file);
  // The one answer of actions whose part of the program is not there.
  void NotAvailable(const QString& what);
  // The editor is gone: the tray icon, the hotkeys and the window come back (after a run that is still active).
  void EditorClosed();
  void OpenGuide();
  void ExploreFolder();
  void Exit();

  TarnwickFiles files_;
  port::Desktop& desktop_;
  QtCatalogueUser user_;
  Catalogue catalogue_;
  CatalogueSettings settings_;
  Preferences preferences_;
  QtHost host_;
  TSysHotKey hotkeys_;
  std::unique_ptr<QSocketNotifier> hotkeyEvents_;
  ScriptRunner runner_;
  RunRequests requests_;
  // Other programs' requests reach the main window while it exists, shown or hidden.
  std::unique_ptr<port::EventSource> runRequestInbox_;
  std::unique_ptr<QSocketNotifier> runRequestEvents_;
  TrayTarget trayTarget_;
  SystemScheduleClock systemClock_;
  const ScheduleClock& clock_;
  Scheduler scheduler_;
  QTimer* scheduleTimer_ = nullptr;
  bool ticking_ = false;
  ScheduleLog scheduleLog_;
  TDebugLog debugLog_;
  RunRecords runRecords_;
  bool listStale_ = false;       // the list is read again at the next showing
  bool exiting_ = false;
  bool hiddenForRun_ = false;    // a run hid the window; its placement is neither saved nor read meanwhile
  bool firstItemNext_ = false;   // the next showing selects the first script (the tray's "Edit Tasks")
  bool editing_ = false;         // from Add... or Edit... to the editor's end
  QPointer<QWidget> editor_;
};

}  // namespace tw
