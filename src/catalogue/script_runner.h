#pragma once
// The one path every script that tarnwick runs takes (the list, the tray menu, the schedule, a hotkey, the
// command line, another program's request): prepare the program and window its header names, run it on the
// program's single interpreter, close the window when the header asks for it. One run at a time: while one
// is active, RunScriptFile refuses and the parts that start runs ask Active() or wait with WhenIdle().

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/script_header.h"
#include "catalogue/sys_hot_key.h"
#include "commands/tarnwick_basic.h"
#include "interpreter/script_host.h"
#include "interpreter/variables.h"
#include "port/desktop.h"

namespace tw {

// How a run that started came to its end.
enum class RunOutcome {
  Finished,   // the script ran to its end (or to `end`)
  Cancelled,  // stopped (Cancel Script, Exit) or ended by a script error
};

// What the program around the run path does at its steps.
class RunHooks {
 public:
  virtual ~RunHooks() = default;
  // A failure outside the script's own text: a modal error message.
  virtual void RunError(const std::string& text) = 0;
  // A run begins (the hotkeys are off already): the main window hides, the tray shows RUNNING.
  virtual void RunBegins() = 0;
  // The run is over: the tray shows its state again, the main window comes back.
  virtual void RunEnds() = 0;
};

// How long the run path looks for the window of a program it started: `searches` looks, with `pause`
// between two of them.
struct WindowWait {
  int searches = 121;
  std::chrono::milliseconds pause{1000};
};

class ScriptRunner {
 public:
  // `later` runs a function once the caller has returned to the event loop (the idle callbacks go through it).
  ScriptRunner(ScriptHost& host, port::Desktop& desktop, TSysHotKey& hotkeys, RunHooks& hooks,
               std::function<void(std::function<void()>)> later);
  ~ScriptRunner();
  ScriptRunner(const ScriptRunner&) = delete;
  ScriptRunner& operator=(const ScriptRunner&) = delete;

  // Runs one script with its header's preparations and returns whether it ran. A missing file gives "Cannot
  // Find Script File: <name>!". The hotkeys are off from the start to the end, also after a failure. With a
  // `command` in the header: a visible window whose title begins with `title` (or a child window whose title
  // holds it) becomes the target; without one the command is started in `path` ("Cannot find the file
  // "<command>"" when it cannot be) and its window is looked for; the script then runs with or without it,
  // and with `autoclose` the target window of the run's end is closed. Refused (false) while a run is active
  // and while the runs are held.
  bool RunScriptFile(const std::string& fileName);

  // While it answers true (the script editor is open and runs scripts of its own on the same process-wide
  // run state) every run is refused, quietly: whatever asked for it goes without.
  std::function<bool()> Held;

  // A run is in progress: from the start of RunScriptFile to its return, also while it waits for a window.
  bool Active() const { return active_; }
  // Cancel Script and Exit: stops the running script at its next statement, or ends the wait for the
  // target window, after which that script does not run.
  void Cancel();
  // The program is ending: stops the active run and refuses every later one.
  void EndRuns() {
    ending_ = true;
    Cancel();
  }
  // Calls `then` once no run is active: soon when none is, else after the active run has returned. Calls
  // go through `later`, in the order they were asked for.
  void WhenIdle(std::function<void()> then);

  // Serves events and looks at `done` every few milliseconds until it holds (then true) or `limit` has
  // passed; for the moments before a run (a hotkey waits for the user to let go of Ctrl and Alt).
  bool WaitBeforeRun(const std::function<bool()>& done, std::chrono::milliseconds limit);

  // The window a script without a command acts on (the tray sets it); kept while a run is active.
  void SetTargetWindow(port::WindowId window);
  void SetIncludeDir(const std::string& folder) { includeDir_ = folder; }
  void SetWindowWait(const WindowWait& wait) { windowWait_ = wait; }

  // For the schedule log: a script's run started, and how it ended.
  std::function<void(const std::string& file)> OnScriptStart;
  std::function<void(const std::string& file, RunOutcome outcome)> OnScriptEnd;

  TTarnwickBasic& Interpreter() { return interpreter_; }

 private:
  // Finds or starts the header's program and window; false when the script must not run.
  bool Prepare(const TScriptHeader& header);
  void RunInterpreter(const std::string& fileName);
  void Finished();

  ScriptHost& host_;
  port::Desktop& desktop_;
  TSysHotKey& hotkeys_;
  RunHooks& hooks_;
  std::function<void(std::function<void()>)> later_;
  VariableTable globals_;
  TTarnwickBasic interpreter_;
  std::string includeDir_;
  WindowWait windowWait_;
  bool active_ = false;
  bool ending_ = false;
  bool cancelled_ = false;
  bool runCancelled_ = false;  // the script's run was stopped or ended by an error
  std::vector<std::function<void()>> idle_;
};

}  // namespace tw
