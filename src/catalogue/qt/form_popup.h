#pragma once
// TFormPopup: tarnwick in the notification area. The tray icon shows the program's state; a left click opens
// the quick-access menu of all scripts, a right click the tray menu, a double click cancels the running
// script. A single click acts only once the double-click time has passed, so that a double click is nothing
// but "Cancel Script".

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QTimer>
#include <vector>

#include "catalogue/quick_access.h"

class QAction;
class QActionGroup;
class QMenu;
class QSystemTrayIcon;

namespace tw {

enum class TrayState { Idle, Running, Schedule };

class TFormPopup : public QObject {
  Q_OBJECT

 public:
  // `exit` is the main window's Exit action, the last item of the tray menu.
  TFormPopup(QAction* exit, QObject* parent = nullptr);
  ~TFormPopup() override;

  // Whether the desktop has a notification area to show the icon in.
  static bool Available();
  void Show();
  void Hide();

  void SetTrayState(TrayState state);
  TrayState State() const { return state_; }
  // Checks "&Start Schedule" or "S&top Schedule".
  void SetScheduleChecked(bool on);
  // The quick-access menu: one entry per folder, each with its scripts.
  void SetQuickAccess(const std::vector<QuickAccessFolder>& folders);
  // Scripts cannot be chosen while a run is active.
  void SetQuickAccessEnabled(bool enabled);
  // Where the icon is on the screen; nothing when it is not shown.
  std::optional<QPoint> IconCentre() const;

  QSystemTrayIcon* TrayIcon;
  QMenu* PMnuTray;
  QMenu* PMnuChoices;
  QAction* MnuEditTasks;
  QAction* MnuCancelScript;
  QAction* MnuStartSchedule;
  QAction* MnuStopSchedule;

 signals:
  // The icon was clicked (either button): the moment to look at the window in front.
  void clicked();
  void editTasks();
  void cancelScript();
  void startSchedule();
  void stopSchedule();
  void scriptChosen(const QString& path);

 private:
  void Activated(int reason);

  QTimer singleClick_;
  QPoint clickedAt_;
  TrayState state_ = TrayState::Idle;
  std::vector<QAction*> scripts_;
};

}  // namespace tw
