// Shows one enhanced dialog definition and measures the time until its window is on the screen with its first
// paint done: opened in the designer as the editor's Dialog Editor opens it (designer), or shown by a script
// (runtime). Both go through the program's own host; the window is closed unchanged once measured.
//
//   tw_dialog_bench designer|runtime FILE
//
// Prints "<mode> shown_ms cpu_ms controls widgets": wall-clock and processor time from reading the definition
// to the painted window, the controls read and the widgets the window holds.

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "dialogs/designer/qt/edit_definition.h"
#include "dialogs/enhance_form_dialog.h"
#include "runtime/qt/qt_host.h"

namespace {

using Clock = std::chrono::steady_clock;

double ProcessorMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

std::vector<std::string> ReadLines(const char* file) {
  QFile in(QString::fromLocal8Bit(file));
  std::vector<std::string> lines;
  if (!in.open(QIODevice::ReadOnly)) return lines;
  while (!in.atEnd()) lines.push_back(in.readLine().trimmed().toStdString());
  return lines;
}

// Waits for the first paint of a dialog window; once the events of that paint are handled, takes the times
// and closes the dialog.
class FirstPaint : public QObject {
 public:
  FirstPaint() : start_(Clock::now()), startCpu_(ProcessorMilliseconds()) {}

  double Milliseconds = 0;
  double ProcessorTime = 0;
  int Widgets = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* dialog = qobject_cast<QDialog*>(watched);
    if (event->type() == QEvent::Paint && dialog && dialog->isWindow() && !painted_) {
      painted_ = true;
      QTimer::singleShot(0, dialog, [this, dialog] {
        Milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - start_).count();
        ProcessorTime = ProcessorMilliseconds() - startCpu_;
        Widgets = static_cast<int>(dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size());
        dialog->done(QDialog::Rejected);
      });
    }
    return false;
  }

 private:
  Clock::time_point start_;
  double startCpu_;
  bool painted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  const bool designer = argc == 3 && std::strcmp(argv[1], "designer") == 0;
  if (argc != 3 || (!designer && std::strcmp(argv[1], "runtime") != 0)) {
    std::fprintf(stderr, "usage: %s designer|runtime FILE\n", argv[0]);
    return 2;
  }
  QApplication app(argc, argv);
  const std::vector<std::string> lines = ReadLines(argv[2]);
  if (lines.empty()) {
    std::fprintf(stderr, "%s: no definition\n", argv[2]);
    return 2;
  }
  tw::QtHost host;
  tw::TEnhanceFormDialog dialog(host);
  dialog.Definition = lines;

  FirstPaint watch;
  app.installEventFilter(&watch);
  if (designer)
    tw::EditDefinition(dialog, host, nullptr);
  else if (!dialog.ShowEnhancedDialog())
    return 1;
  if (watch.Widgets == 0) {
    std::fprintf(stderr, "%s: no window was painted\n", argv[1]);
    return 1;
  }
  std::printf("%s %.1f %.1f %zu %d\n", argv[1], watch.Milliseconds, watch.ProcessorTime, dialog.Controls.size(),
              watch.Widgets);
  return 0;
}
