#include "runtime/brindle_cli.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "check/script_check.h"
#include "commands/tarnwick_basic.h"
#include "port/desktop.h"
#include "port/no_display_desktop.h"
#include "runtime/stop_signals.h"
#include "runtime/terminal_host.h"

namespace tw {

BrindleRun::BrindleRun(ScriptHost& host, port::Desktop& desktop) : desktop_(desktop), interpreter_(host, desktop) {
  interpreter_.SetGlobals(&globals_);
  // A dialog whose definition cannot be read ends the run after its error box: a failed run too.
  interpreter_.OnDialogFailure = [this] { failed_ = true; };
}

BrindleRun::~BrindleRun() { interpreter_.ClearGlobals(); }

void BrindleRun::Stop() {
  stopped_ = true;
  interpreter_.StopScript();
}

int BrindleRun::Execute(Action action, const ScriptInvocation& script) {
  std::vector<std::string> commandLine = desktop_.systemInfo().programArguments();
  commandLine.resize(1);  // the program's own path; its options are no business of the script
  commandLine.push_back(script.File);
  commandLine.insert(commandLine.end(), script.Arguments.begin(), script.Arguments.end());
  interpreter_.ScriptCommandLine = std::make_shared<const std::vector<std::string>>(std::move(commandLine));
  interpreter_.SetFileName(script.File);
  bool compiled = true;
  std::size_t warnings = 0;
  switch (action) {
    case Action::Run: interpreter_.Run(0); break;
    case Action::Check:
    case Action::StrictCheck: {
      const CheckOutcome outcome = CheckScript(interpreter_);
      for (const CheckWarning& warning : outcome.Warnings) std::fprintf(stderr, "%s\n", WarningText(warning).c_str());
      warnings = outcome.Warnings.size();
      break;
    }
    case Action::Compile: compiled = interpreter_.Compile(); break;
  }
  std::fflush(stdout);
  if (const int signal = stop_signals::Caught()) return 128 + signal;
  if (!interpreter_.RunStarted()) return 2;
  if (interpreter_.EndedByError() || failed_ || !compiled || (action == Action::StrictCheck && warnings > 0)) return 1;
  return stopped_ ? 130 : 0;
}

namespace {

constexpr const char* kUsage =
    "Usage: brindle [--console] SCRIPT [ARGUMENTS...]  run a script (.tws text or .twc compiled)\n"
    "       brindle --check [--strict] SCRIPT          check a script without running it\n"
    "       brindle --compile SCRIPT                   check a script and write it compiled, as SCRIPT.twc\n"
    "       brindle --help | --version\n"
    "\n"
    "Options come before SCRIPT; \"--\" ends them (brindle -- -odd-name.tws). Everything after SCRIPT\n"
    "goes to the script: getparam(0) is brindle, getparam(1) the script file, getparam(2) and on\n"
    "the ARGUMENTS, and \"\" past the last one. brindle's own options never appear there.\n"
    "\n"
    "--check reports errors, and warnings about likely mistakes (code that never runs, unknown\n"
    "functions, open blocks, unused labels, variables never assigned...) as\n"
    "\"[script] Warning: ... on line: n\"; warnings alone exit 0, or 1 with --strict.\n"
    "\n"
    "With a display a run shows its windows and a tray icon (right click: Cancel, About...),\n"
    "and brindle without a script shows its usage window.\n"
    "Without a display, or with --console, the script talks to you in this terminal:\n"
    "print writes to stdout; input, prompts, messages and errors use stderr and stdin.\n"
    "Exit status: 0 ended normally, 1 a script error, 2 usage error or unloadable script,\n"
    "130 stopped (Ctrl+C, or Cancel in the tray menu), 143 stopped by SIGTERM.\n";

using Action = BrindleRun::Action;

int RunInTerminal(Action action, const ScriptInvocation& script, port::Desktop& desktop) {
  TerminalHost host(stdin, stdout, stderr, ::isatty(STDIN_FILENO) == 1);
  auto run = std::make_unique<BrindleRun>(host, desktop);
  host.OnInterrupt = [&run] { run->Stop(); };
  const int status = run->Execute(action, script);
  if (action == Action::Check || action == Action::StrictCheck) {
    // The program ends with the check, and nothing of the check outlives it: its lines and their
    // tokens are left to the system, which drops them at once, where freeing them piece by piece
    // takes about as long as reading them did.
    [[maybe_unused]] static BrindleRun* checked = nullptr;
    checked = run.release();
  }
  return status;
}

int UsageError(const std::string& problem) {
  std::fprintf(stderr, "brindle: %s\n%s", problem.c_str(), kUsage);
  return 2;
}

}  // namespace

int BrindleMain(int argc, char** argv, BrindleWindows* windows) {
  Action action = Action::Run;
  bool console = windows == nullptr;
  bool strict = false;
  int at = 1;
  // Options stop at the script's name or at "--"; everything after the script is the script's.
  for (; at < argc; ++at) {
    const std::string argument = argv[at];
    if (argument == "--") {
      ++at;
      break;
    }
    if (!argument.starts_with("-") || argument == "-") break;
    if (argument == "--help" || argument == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (argument == "--version") {
      std::printf("brindle %s\n", TW_VERSION_TEXT);
      return 0;
    }
    if (argument == "--console") {
      console = true;
    } else if (argument == "--uncached-reading") {
      // Not in the usage text: reads every line from its text each time, to compare with the usual way.
      TBasicInterpreter::DefaultUncachedReading = true;
    } else if (argument == "--check") {
      action = strict ? Action::StrictCheck : Action::Check;
    } else if (argument == "--strict") {
      strict = true;
      if (action == Action::Check) action = Action::StrictCheck;
    } else if (argument == "--compile") {
      action = Action::Compile;
    } else {
      return UsageError("unknown option " + argument);
    }
  }
  if (strict && action != Action::StrictCheck) return UsageError("--strict goes with --check");
  ScriptInvocation script;
  if (at < argc) script.File = argv[at++];
  for (; at < argc; ++at) script.Arguments.emplace_back(argv[at]);
  stop_signals::Install();
  // Automation commands drive the desktop named by DISPLAY when there is one, also from a terminal. Checking
  // and compiling run no command, so they spare the connection to the display.
  std::unique_ptr<port::Desktop> desktop =
      action == Action::Run ? port::openDesktop()
                            : std::make_unique<port::NoDisplayDesktop>("a check or compile reaches no display");
  // Checking and compiling are terminal work; a run talks through windows when a display opens.
  const bool windowed = !console && action == Action::Run && desktop->hasDisplay();
  // A running program offers its conversations from the start; without a bus it runs all the same.
  if (action == Action::Run && !script.File.empty()) desktop->conversations().join(argv[0]);
  if (script.File.empty()) {
    if (windowed) return windows->ShowUsage();
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (windowed) return windows->RunScript(script, *desktop);
  return RunInTerminal(action, script, *desktop);
}

}  // namespace tw
