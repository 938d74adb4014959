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

namespace {

constexpr const char* kUsage =
    "Usage: brindle [--console] SCRIPT    run a script (.tws text or .twc compiled)\n"
    "       brindle --check SCRIPT        check a script's syntax without running it\n"
    "       brindle --compile SCRIPT      check a script and write it compiled, as SCRIPT.twc\n"
    "       brindle --help | --version\n"
    "\n"
    "Without a display, or with --console, the script talks to you in this terminal:\n"
    "print writes to stdout; input, prompts, messages and errors use stderr and stdin.\n"
    "Exit status: 0 ended normally, 1 a script error, 2 usage error or unloadable script.\n";

enum class Action { Run, Check, Compile };

int Execute(Action action, const std::string& file) {
  TerminalHost host(stdin, stdout, stderr, ::isatty(STDIN_FILENO) == 1);
  // Automation commands drive the desktop named by DISPLAY when there is one, also from a terminal.
  std::unique_ptr<port::Desktop> desktop = port::openDesktop();
  TTarnwickBasic interpreter(host, *desktop);
  VariableTable globals;
  interpreter.SetGlobals(&globals);
  bool failed = false;
  bool interrupted = false;
  interpreter.OnError = [&failed](TBasicInterpreter&, std::string_view, int) { failed = true; };
  host.OnInterrupt = [&interpreter, &interrupted] {
    interrupted = true;
    interpreter.StopScript();
  };
  TerminalHost::InstallInterruptHandler();
  interpreter.SetFileName(file);
  bool compiled = true;
  switch (action) {
    case Action::Run: interpreter.Run(0); break;
    case Action::Check: interpreter.CheckSyntax(); break;
    case Action::Compile: compiled = interpreter.Compile(); break;
  }
  std::fflush(stdout);
  if (!interpreter.RunStarted()) return 2;
  if (failed || !compiled) return 1;
  return interrupted ? 130 : 0;
}

}  // namespace

int BrindleMain(int argc, char** argv) {
  Action action = Action::Run;
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
    if (argument == "--console") continue;  // the only host of this build
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
  if (file.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  return Execute(action, file);
}

}  // namespace tw
