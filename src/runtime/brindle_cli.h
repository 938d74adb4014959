#pragma once
// The command line of the stand-alone runtime: run, check or compile one script.

#include <memory>
#include <string>
#include <vector>

#include "commands/tarnwick_basic.h"
#include "interpreter/script_host.h"
#include "port/desktop.h"

namespace tw {

// The script brindle is given and the arguments that follow it on the command line.
struct ScriptInvocation {
  std::string File;
  std::vector<std::string> Arguments;
};

// One script run of brindle on a host: the interpreter with its global table, and the exit status.
class BrindleRun {
 public:
  // A check reports errors and warnings; warnings alone fail only a strict check.
  enum class Action { Run, Check, StrictCheck, Compile };

  BrindleRun(ScriptHost& host, port::Desktop& desktop);
  ~BrindleRun();

  // Exit status: 0 the run ended normally or by `end`; 1 a script error ended it (or a strict check
  // found warnings); 2 the script file is missing or cannot be loaded; 130 the user stopped the run
  // (Cancel in the tray menu); 128 + the signal when a stop signal came (130 Ctrl+C, 143 SIGTERM,
  // 129 SIGHUP), whenever during the run it came. A check writes its warnings to stderr.
  // The script sees brindle's path, the script file and the arguments through getparam.
  int Execute(Action action, const ScriptInvocation& script);
  // Stops the run at its next statement; any wait in progress ends at once.
  void Stop();
  bool Stopped() const { return stopped_; }

 private:
  port::Desktop& desktop_;
  VariableTable globals_;
  TTarnwickBasic interpreter_;
  bool failed_ = false;  // a dialog whose definition could not be read ended the run
  bool stopped_ = false;
};

// The windows of brindle: the usage window, and script runs with dialogs and a tray icon. The program
// hands one to BrindleMain when it is built with them; they are used when a display opens and --console
// is not given.
class BrindleWindows {
 public:
  virtual ~BrindleWindows() = default;
  // The usage window, for brindle started without a script; the exit status once it is closed.
  virtual int ShowUsage() = 0;
  // Runs the script with windows; the exit status as BrindleRun::Execute gives it.
  virtual int RunScript(const ScriptInvocation& script, port::Desktop& desktop) = 0;
};

// Exit status: 0 the run ended normally or by `end`; 1 a script error ended it; 2 a usage
// error or a script file that is missing or cannot be loaded; 128 + signal when stopped by a signal
// (130 Ctrl+C, 143 SIGTERM); 1 when the connection to the display broke.
int BrindleMain(int argc, char** argv, BrindleWindows* windows = nullptr);

}  // namespace tw
