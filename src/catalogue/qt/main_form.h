#pragma once
// tarnwick's main window: the folder tree on the left, the scripts of the selected folder on the right (as a
// report or as large icons), menus, tool bar and pop-up menus. The catalogue does the work; this window shows
// it. Closing hides the window; the program goes on until Exit.

#include <QMainWindow>
#include <memory>

#include "catalogue/catalogue.h"
#include "catalogue/catalogue_settings.h"
#include "catalogue/qt/qt_catalogue_user.h"
#include "port/desktop.h"

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

class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  // Reads the settings, the folder tree and the selected folder's scripts; the window stays hidden.
  TMainForm(TarnwickFiles files, port::Desktop& desktop, QWidget* parent = nullptr);
  ~TMainForm() override;

  // Shows the window (restored when minimised), brings it to the front and makes it the active window.
  void ShowAndActivate();

  Catalogue& catalogue() { return catalogue_; }
  const TarnwickFiles& files() const { return files_; }

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
  void RequireFolderThen(const QString& what);
  void RequireScriptThen(const std::string& message, bool asError, const QString& what);
  // The one answer of actions whose part of the program is not there yet.
  void NotAvailable(const QString& what);
  void OpenGuide();
  void ExploreFolder();
  void Exit();

  TarnwickFiles files_;
  port::Desktop& desktop_;
  QtCatalogueUser user_;
  Catalogue catalogue_;
  CatalogueSettings settings_;
  bool listStale_ = false;  // the list is read again at the next showing
  bool exiting_ = false;
};

}  // namespace tw
