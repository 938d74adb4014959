// A network transfer under the Qt host: the program's timers keep firing while it waits, the pointer shows that
// it is busy, and a stop request ends the run at once.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <chrono>

#include "commands/tarnwick_basic.h"
#include "net_servers.h"
#include "port/fake/fake_desktop.h"
#include "runtime/qt/qt_host.h"

namespace tw {
namespace {

using Clock = std::chrono::steady_clock;

QApplication& Application() {
  static int argc = 1;
  static char name[] = "qt_transfer_tests";
  static char* argv[] = {name, nullptr};
  static QApplication application(argc, argv);
  return application;
}

TEST(QtHostTransfers, TimersFireDuringASlowDownloadAndAStopEndsItAtOnce) {
  Application();
  netbed::TrickleServer server;  // one byte every 50 ms, for ever
  QtHost host;
  port::fake::FakeDesktop desktop;
  VariableTable globals;
  TTarnwickBasic library(host, desktop);
  library.SetGlobals(&globals);
  library.SetScriptText("page = httpexec(\"get\", \"http://127.0.0.1:" + std::to_string(server.port()) +
                            "/\")\nreached = 1\n",
                        "test.tws");

  int ticks = 0;
  int busyTicks = 0;
  Clock::time_point stopAt{};
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    ++ticks;
    const QCursor* cursor = QApplication::overrideCursor();
    if (cursor && cursor->shape() == Qt::BusyCursor) ++busyTicks;
    // Half a second of download (the ticker fires every 20 ms), then the user stops the run.
    if (ticks == 25) {
      stopAt = Clock::now();
      library.StopScript();
    }
  });
  ticker.start(20);
  library.Run(0);
  const Clock::time_point ended = Clock::now();
  ticker.stop();

  EXPECT_GE(ticks, 25);
  EXPECT_GE(busyTicks, 20);
  ASSERT_NE(stopAt, Clock::time_point{});
  EXPECT_LT(ended - stopAt, std::chrono::seconds(1));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace tw
