#pragma once
// Runs script text on a TTarnwickBasic over the fake desktop.

#include "commands/tarnwick_basic.h"
#include "port/fake/fake_desktop.h"
#include "support/recording_host.h"
#include "support/script_cases.h"

namespace tw::test {

struct LibraryRun {
  std::string Output;
  std::vector<std::string> Errors;
};

inline LibraryRun RunOnFakeDesktop(std::string_view script, port::fake::FakeDesktop& desktop,
                                   RecordingHost& host, bool checkOnly = false,
                                   port::WindowId target = port::kNoWindow, VariableTable* globals = nullptr) {
  TTarnwickBasic library(host, desktop);
  VariableTable own;
  library.SetGlobals(globals ? globals : &own);
  library.SetTargetWindow(target);
  library.SetScriptText(script, "test.tws");
  if (checkOnly)
    library.CheckSyntax();
  else
    library.Run(0);
  return {host.Output(), host.ScriptErrors};
}

// One interpreter kept over several runs, as a host keeps it: what one run leaves (sessions, settings) the
// next one finds.
class LibrarySession {
 public:
  LibrarySession() { library.SetGlobals(&globals); }
  // Runs the script; what this run printed and the errors it reported.
  LibraryRun Run(std::string_view script) {
    host.Prints.clear();
    host.ScriptErrors.clear();
    library.SetScriptText(script, "test.tws");
    library.Run(0);
    return {host.Output(), host.ScriptErrors};
  }

  port::fake::FakeDesktop desktop;
  RecordingHost host;
  VariableTable globals;
  TTarnwickBasic library{host, desktop};
};

// Table-driven scripts, each on a fresh fake desktop.
template <typename Cases>
void RunLibraryCases(const Cases& cases) {
  for (const ScriptCase& c : cases) {
    RecordingHost host;
    port::fake::FakeDesktop desktop;
    const LibraryRun run = RunOnFakeDesktop(c.script, desktop, host);
    ExpectCase(c, run.Output, run.Errors);
  }
}

}  // namespace tw::test
