#include "runtime/brindle_cli.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "commands/tarnwick_basic.h"
#include "port/desktop.h"
#include "runtime/terminal_host.h"

namespace tw {

BrindleRun::BrindleRun(ScriptHost& host, port::Desktop& desktop) : interpreter_(host, desktop) {
  interpreter_.SetGlobals(&globals_);
  interpreter_.OnError = [this](TBasicInterpreter&, std::string_view, int) { failed_ = true; };
}

BrindleRun::~BrindleRun() { interpreter_.ClearGlobals(); }

void BrindleRun::Stop() {
  stopped_ = true;
  interpreter_.StopScript();
}

int BrindleRun::Execute(Action action, const std::string& file) {
  interpreter_.SetFileName(file);
  bool compiled = true;
  switch (action) {
    case Action::Run: interpreter_.Run(0); break;
    case Action::Check: interpreter_.CheckSyntax(); break;
    case Action::Compile: compiled = interpreter_.Compile(); break;
  }
  std::fflush(stdout);
  if (!interpreter_.RunStarted()) return 2;
  if (failed_ || !compiled) return 1;
  return stopped_ ? 130 : 0;
}

namespace {

constexpr const char* kUsage =
    "Usage: brindle [--console] SCRIPT    run a script (.tws text or .twc compiled)\n"
    "       brindle --check SCRIPT        check a script's syntax without running it\n"
    "       brindle --compile SCRIPT      check a script and write it compiled, as SCRIPT.twc\n"
    "       brindle --help | --version\n"
    "\n"
    "With a display a run shows its windows and a tray icon (right click: Cancel, About...),\n"
    "and brindle without a script shows its usage window.\n"
    "Without a display, or with --console, the script talks to you in this terminal:\n"
    "print writes to stdout; input, prompts, messages and errors use stderr and stdin.\n"
    "Exit status: 0 ended normally, 1 a script error, 2 usage error or unloadable script,\n"
    "130 stopped (Ctrl+C, or Cancel in the tray menu).\n";

using Action = BrindleRun::Action;

int RunInTerminal(Action action, const std::string& file, port::Desktop& desktop) {
  TerminalHost host(stdin, stdout, stderr, ::isatty(STDIN_FILENO) == 1);
  BrindleRun run(host, desktop);
  host.OnInterrupt = [&run] { run.Stop(); };
  TerminalHost::InstallInterruptHandler();
  return run.Execute(action, file);
}

}  // namespace

int BrindleMain(int argc, char** argv, BrindleWindows* windows) {
  Action action = Action::Run;
  bool console = windows == nullptr;
  std::string file;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
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
      continue;
    }
    if (argument == "--check" || argument == "--compile") {
      action = argument == "--check" ? Action::Check : Action::Compile;
      continue;
    }
    if (argument.starts_with("-") && argument != "-") {
      std::fprintf(stderr, "brindle: unknown option %s\n%s", argument.c_str(), kUsage);
      return 2;
    }
    if (!file.empty()) {
      std::fprintf(stderr, "brindle: one script at a time\n%s", kUsage);
      return 2;
    }
    file = argument;
  }
  // Automation commands drive the desktop named by DISPLAY when there is one, also from a terminal.
  std::unique_ptr<port::Desktop> desktop = port::openDesktop();
  // Checking and compiling are terminal work; a run talks through windows when a display opens.
  const bool windowed = !console && action == Action::Run && desktop->hasDisplay();
  if (file.empty()) {
    if (windowed) return windows->ShowUsage();
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (windowed) return windows->RunScript(file, *desktop);
  return RunInTerminal(action, file, *desktop);
}

}  // namespace tw
