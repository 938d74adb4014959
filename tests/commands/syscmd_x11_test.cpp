// syscmd against a real xterm under a real window manager.

#include <gtest/gtest.h>

#include "commands/library_support.h"
#include "test_bed.h"
#include "x11_desktop_on.h"
#include "waiting.h"

namespace tw {
namespace {

using test::RecordingHost;

TEST(SysCmdOnX11, ClosesMinimisesMaximisesAndRestoresARealXterm) {
  testbed::TestBed bed({.windowManager = true});
  const auto term = bed.startXterm("tw syscmd");
  auto desktop = testbed::OpenDesktopOn(bed);
  auto& probe = bed.probe();
  const unsigned long w = term.window;
  auto run = [&](const char* script) {
    RecordingHost host;
    TTarnwickBasic library(host, *desktop);
    VariableTable globals;
    library.SetGlobals(&globals);
    library.SetTargetWindow(w);
    library.SetScriptText(script, "test.tws");
    library.Run(0);
    EXPECT_TRUE(host.ScriptErrors.empty()) << script << ": " << host.ScriptErrors[0];
  };
  const auto maximised = [&] {
    return probe.hasNetWmState(w, "_NET_WM_STATE_MAXIMIZED_VERT") && probe.hasNetWmState(w, "_NET_WM_STATE_MAXIMIZED_HORZ");
  };
  run("syscmd maximize");
  EXPECT_TRUE(testbed::waitUntil(maximised));
  run("syscmd minimize");
  EXPECT_TRUE(testbed::waitUntil([&] { return probe.wmState(w) == 3; }));
  run("syscmd restore");
  EXPECT_TRUE(testbed::waitUntil([&] { return probe.wmState(w) == 1; }));
  run("syscmd closewindow");
  EXPECT_TRUE(testbed::waitUntil([&] { return !probe.exists(w); }));
}

}  // namespace
}  // namespace tw
