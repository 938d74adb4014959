#include "runtime/qt/brindle_windows.h"

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>

#include "runtime/qt/form_main.h"
#include "runtime/qt/qt_host.h"
#include "runtime/stop_signals.h"

namespace tw {

QtBrindleWindows::QtBrindleWindows(int argc, char** argv) : argc_(argc), argv_(argv) {}

QtBrindleWindows::~QtBrindleWindows() = default;

QApplication& QtBrindleWindows::Application() {
  if (!application_) {
    // The desktop backend is X11: the windows go to the same display as the automation commands.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");
    application_ = std::make_unique<QApplication>(argc_, argv_);
    QApplication::setApplicationName("brindle");
    QApplication::setQuitOnLastWindowClosed(false);
  }
  return *application_;
}

int QtBrindleWindows::ShowUsage() {
  Application();
  TFormMain usage;
  RunDialog(usage);
  return 0;
}

int QtBrindleWindows::RunScript(const ScriptInvocation& script, port::Desktop& desktop) {
  QApplication& application = Application();
  QtHost host(desktop.hasDisplay() ? &desktop.windows() : nullptr);
  BrindleRun run(host, desktop);
  auto stop = [&] {
    run.Stop();
    host.CancelOpenWindows();
  };

  // Where the desktop has no tray the script runs without the icon.
  std::unique_ptr<QSystemTrayIcon> tray;
  QMenu menu;
  QPointer<TFormMain> about;
  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    menu.addAction("&Cancel", stop);
    menu.addAction("&About...", [&] {
      // The about box does not hold the script up: it stays open beside the run.
      if (!about) {
        about = new TFormMain;
        about->setAttribute(Qt::WA_DeleteOnClose);
      }
      about->show();
      about->raise();
      about->activateWindow();
    });
    tray = std::make_unique<QSystemTrayIcon>(application.style()->standardIcon(QStyle::SP_ComputerIcon));
    tray->setToolTip("Right Click for Menu");
    tray->setContextMenu(&menu);
    tray->show();
  }

  // Ctrl+C in the terminal that started brindle (or SIGTERM) stops the run, also while a window waits for
  // an answer.
  QTimer interrupts;
  QObject::connect(&interrupts, &QTimer::timeout, [&] {
    if (stop_signals::TakePending()) stop();
  });
  interrupts.start(100);
  const int status = run.Execute(BrindleRun::Action::Run, script);
  if (tray) tray->hide();
  delete about.data();
  return status;
}

}  // namespace tw
