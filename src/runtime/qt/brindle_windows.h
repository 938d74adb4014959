#pragma once
// brindle with windows: the usage window without a script; with one, the tray icon (Cancel, About...)
// while the script runs with the Qt host, and the end of the program when the run ends.

#include <memory>

#include "runtime/brindle_cli.h"

class QApplication;

namespace tw {

class QtBrindleWindows : public BrindleWindows {
 public:
  // The arguments are kept for the application object, which is made only when a window is needed.
  QtBrindleWindows(int argc, char** argv);
  ~QtBrindleWindows() override;

  int ShowUsage() override;
  int RunScript(const ScriptInvocation& script, port::Desktop& desktop) override;

 private:
  QApplication& Application();

  int argc_;
  char** argv_;
  std::unique_ptr<QApplication> application_;
};

}  // namespace tw
