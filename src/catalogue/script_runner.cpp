#include "catalogue/script_runner.h"

#include <algorithm>

#include "commands/program_line.h"
#include "commands/waiting.h"
#include "commands/window_search.h"
#include "files/system_folders.h"
#include "text/ascii_text.h"

namespace tw {

ScriptRunner::ScriptRunner(ScriptHost& host, port::Desktop& desktop, TSysHotKey& hotkeys, RunHooks& hooks,
                           std::function<void(std::function<void()>)> later)
    : host_(host),
      desktop_(desktop),
      hotkeys_(hotkeys),
      hooks_(hooks),
      later_(std::move(later)),
      interpreter_(host, desktop) {
  interpreter_.SetGlobals(&globals_);
  interpreter_.OnStart = [this](TBasicInterpreter& run) {
    if (OnScriptStart) OnScriptStart(run.FileName);
  };
  interpreter_.OnStop = [this](TBasicInterpreter&) { runCancelled_ = true; };
  interpreter_.OnError = [this](TBasicInterpreter&, std::string_view, int) { runCancelled_ = true; };
}

ScriptRunner::~ScriptRunner() { interpreter_.ClearGlobals(); }

bool ScriptRunner::WaitBeforeRun(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  // The stop that ended the last run has nothing to say about this wait.
  if (!active_) TBasicInterpreter::StopRequested = false;
  // What is waited for (keys let go) sends no event of its own: look every few milliseconds, not at the
  // pace of the host's own events, so that a run starts as soon as it may.
  constexpr std::chrono::milliseconds kLook{4};
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (WaitServingEvents(host_, std::min(kLook, left), done)) return true;
    if (left <= kLook || TBasicInterpreter::StopRequested) return false;
  }
}

void ScriptRunner::SetTargetWindow(port::WindowId window) {
  if (!active_) interpreter_.SetTargetWindow(window);
}

void ScriptRunner::Cancel() {
  if (!active_) return;
  cancelled_ = true;
  interpreter_.StopScript();
}

void ScriptRunner::WhenIdle(std::function<void()> then) {
  idle_.push_back(std::move(then));
  if (!active_) Finished();
}

void ScriptRunner::Finished() {
  std::vector<std::function<void()>> waiting;
  waiting.swap(idle_);
  for (auto& then : waiting)
    later_([this, then = std::move(then)] {
      // A run that began meanwhile is waited for too.
      if (active_)
        WhenIdle(then);
      else
        then();
    });
}

bool ScriptRunner::RunScriptFile(const std::string& fileName) {
  if (active_ || ending_ || (Held && Held())) return false;
  if (!IsRegularFile(fileName)) {
    hooks_.RunError("Cannot Find Script File: " + fileName + "!");
    return false;
  }
  active_ = true;
  cancelled_ = false;
  const bool hotkeysWereActive = hotkeys_.Active();
  hotkeys_.SetActive(false);
  hooks_.RunBegins();
  bool ran = false;
  try {
    TScriptHeader header;
    ReadScriptHeader(fileName, header);
    const bool withCommand = !Trimmed(header.command).empty();
    if (Prepare(header)) {
      RunInterpreter(fileName);
      ran = interpreter_.RunStarted();
      // A script without a command has no window of its own to close.
      const port::WindowId target = interpreter_.TargetWindow;
      if (withCommand && header.autoclose && target != port::kNoWindow) desktop_.windows().close(target);
    }
  } catch (const std::exception& failure) {
    hooks_.RunError(failure.what());
  }
  hotkeys_.SetActive(hotkeysWereActive);
  hooks_.RunEnds();
  active_ = false;
  Finished();
  return ran;
}

bool ScriptRunner::Prepare(const TScriptHeader& header) {
  const std::string command(Trimmed(header.command));
  if (command.empty()) return true;
  port::WindowService& windows = desktop_.windows();
  const std::string title(Trimmed(header.title));
  const auto search = [&] { return FindWindowByTitle(windows, title, true, true, false); };
  port::WindowId target = search();
  if (target == port::kNoWindow) {
    std::vector<std::string> words = SplitArguments(command);
    const std::string program = words.empty() ? command : words.front();
    if (!words.empty()) words.erase(words.begin());
    const port::StartResult started = desktop_.processes().start(program, words, std::string(Trimmed(header.path)));
    if (!started.started) {
      hooks_.RunError("Cannot find the file \"" + command + "\"");
      return false;
    }
    interpreter_.SetTargetWindow(port::kNoWindow);
    // The wait ends early only for our own cancel, not for the stop that ended the previous run.
    TBasicInterpreter::StopRequested = false;
    // Without a title there is nothing to wait for.
    for (int looked = 0; !title.empty() && looked < windowWait_.searches; ++looked) {
      if (looked > 0)
        interpreter_.WaitUntil([this] { return cancelled_; }, static_cast<int>(windowWait_.pause.count()), true);
      if (cancelled_) return false;
      if ((target = search()) != port::kNoWindow) break;
    }
  }
  interpreter_.SetTargetWindow(target);
  return true;
}

void ScriptRunner::RunInterpreter(const std::string& fileName) {
  // getparam sees the script as brindle shows it: getparam(0) the program, getparam(1) the script file;
  // tarnwick's own command line (SCHEDULE, a script run at start-up) is no business of this run.
  std::vector<std::string> commandLine = desktop_.systemInfo().programArguments();
  commandLine.resize(1);
  commandLine.push_back(fileName);
  interpreter_.ScriptCommandLine = std::make_shared<const std::vector<std::string>>(std::move(commandLine));
  interpreter_.SetFileName(fileName);
  interpreter_.ClearVariables();
  interpreter_.ClearGlobals();
  interpreter_.SetIncludeDir(includeDir_);
  runCancelled_ = false;
  interpreter_.Run(0);
  if (interpreter_.RunStarted() && OnScriptEnd)
    OnScriptEnd(fileName, runCancelled_ ? RunOutcome::Cancelled : RunOutcome::Finished);
}

}  // namespace tw
