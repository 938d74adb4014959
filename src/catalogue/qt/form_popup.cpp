#include "catalogue/qt/form_popup.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QStyle>
#include <QSystemTrayIcon>

#include "catalogue/qt/script_list_model.h"

namespace tw {

namespace {

QIcon TrayIconOf(TrayState state) {
  const char* name = state == TrayState::Running ? "running" : state == TrayState::Schedule ? "schedule" : "idle";
  QIcon icon;
  for (int size : {16, 22, 32, 48}) icon.addFile(QString(":/catalogue/tray-%1-%2.png").arg(name).arg(size));
  return icon;
}

}  // namespace

TFormPopup::TFormPopup(QAction* exit, QObject* parent) : QObject(parent) {
  setObjectName("FormPopup");
  PMnuTray = new QMenu;
  PMnuTray->setObjectName("PMnuTray");
  MnuEditTasks = PMnuTray->addAction("&Edit Tasks");
  MnuCancelScript = PMnuTray->addAction("Cancel Script");
  PMnuTray->addSeparator();
  MnuStartSchedule = PMnuTray->addAction("&Start Schedule");
  MnuStopSchedule = PMnuTray->addAction("S&top Schedule");
  auto* radio = new QActionGroup(PMnuTray);
  for (QAction* action : {MnuStartSchedule, MnuStopSchedule}) {
    action->setCheckable(true);
    radio->addAction(action);
  }
  MnuStopSchedule->setChecked(true);
  PMnuTray->addSeparator();
  PMnuTray->addAction(exit);
  PMnuChoices = new QMenu;
  PMnuChoices->setObjectName("PMnuChoices");

  TrayIcon = new QSystemTrayIcon(TrayIconOf(TrayState::Idle), this);
  TrayIcon->setToolTip("Left-Click for Quick Access, Right-Click for Menu Commands");
  TrayIcon->setContextMenu(PMnuTray);

  singleClick_.setSingleShot(true);
  connect(&singleClick_, &QTimer::timeout, this, [this] { PMnuChoices->popup(clickedAt_); });
  connect(TrayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    Activated(static_cast<int>(reason));
  });
  connect(MnuEditTasks, &QAction::triggered, this, &TFormPopup::editTasks);
  connect(MnuCancelScript, &QAction::triggered, this, &TFormPopup::cancelScript);
  connect(MnuStartSchedule, &QAction::triggered, this, &TFormPopup::startSchedule);
  connect(MnuStopSchedule, &QAction::triggered, this, &TFormPopup::stopSchedule);
}

TFormPopup::~TFormPopup() {
  delete PMnuTray;
  delete PMnuChoices;
}

bool TFormPopup::Available() { return QSystemTrayIcon::isSystemTrayAvailable(); }

void TFormPopup::Show() { TrayIcon->show(); }

void TFormPopup::Hide() { TrayIcon->hide(); }

void TFormPopup::Activated(int reason) {
  switch (static_cast<QSystemTrayIcon::ActivationReason>(reason)) {
    case QSystemTrayIcon::Trigger:
      clickedAt_ = QCursor::pos();
      emit clicked();
      singleClick_.start(QApplication::doubleClickInterval());
      break;
    case QSystemTrayIcon::DoubleClick:
      singleClick_.stop();
      emit cancelScript();
      break;
    case QSystemTrayIcon::Context:
      emit clicked();
      break;
    default: break;
  }
}

void TFormPopup::SetTrayState(TrayState state) {
  state_ = state;
  TrayIcon->setIcon(TrayIconOf(state));
  TrayIcon->setToolTip(state == TrayState::Running ? "Running..." : "Right Click for Menu");
}

void TFormPopup::SetScheduleChecked(bool on) { (on ? MnuStartSchedule : MnuStopSchedule)->setChecked(true); }

void TFormPopup::SetQuickAccess(const std::vector<QuickAccessFolder>& folders) {
  PMnuChoices->clear();
  scripts_.clear();
  const QIcon folderIcon = QApplication::style()->standardIcon(QStyle::SP_DirClosedIcon);
  for (const QuickAccessFolder& folder : folders) {
    const QString caption = QString::fromStdString(folder.caption);
    if (folder.scripts.empty()) {
      PMnuChoices->addAction(folderIcon, caption)->setEnabled(false);
      continue;
    }
    QMenu* menu = PMnuChoices->addMenu(folderIcon, caption);
    for (const ScriptItem& script : folder.scripts) {
      QAction* item = menu->addAction(ScriptListModel::IconFor(script.kind), QString::fromStdString(script.description));
      const QString path = QString::fromStdString(script.fullPath);
      connect(item, &QAction::triggered, this, [this, path] { emit scriptChosen(path); });
      scripts_.push_back(item);
    }
  }
}

void TFormPopup::SetQuickAccessEnabled(bool enabled) {
  for (QAction* item : scripts_) item->setEnabled(enabled);
}

std::optional<QPoint> TFormPopup::IconCentre() const {
  const QRect where = TrayIcon->geometry();
  if (!TrayIcon->isVisible() || where.isEmpty()) return std::nullopt;
  return where.center();
}

}  // namespace tw
