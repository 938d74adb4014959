// Window search and activation, the window, mouse, clipboard and terminal-text functions, on the fake desktop.

#include <gtest/gtest.h>

#include "commands/library_support.h"
#include "commands/window_search.h"
#include "support/script_cases.h"

namespace tw {
namespace {

using port::WindowId;
using port::fake::ActionLog;
using port::fake::FakeDesktop;
using test::ErrorAt;
using test::RecordingHost;
using test::RunOnFakeDesktop;

// Topmost first: Other (with "Next step"), Setup Wizard (with "Next >", which holds "Cancel"), a hidden
// Calculator, Untitled - Notepad.
struct Windows {
  explicit Windows(FakeDesktop& desktop) : fake(desktop.fakeWindows()) {
    notepad = fake.add({.title = "Untitled - Notepad", .windowClass = {"notepad", "Notepad"},
                        .frame = {10, 20, 300, 200}});
    calculator = fake.add({.title = "Calculator", .state = {false, false, false}});
    wizard = fake.add({.title = "Setup Wizard", .frame = {100, 100, 400, 300}});
    next = fake.addChild(wizard, {.title = "Next >", .frame = {300, 350, 80, 20}});
    cancel = fake.addChild(next, {.title = "Cancel", .frame = {100, 200, 80, 20}});
    other = fake.add({.title = "Other", .frame = {300, 400, 200, 100}});
    nextStep = fake.addChild(other, {.title = "Next step"});
    desktop.clearLog();
  }
  port::fake::FakeWindows& fake;
  WindowId notepad, calculator, wizard, next, cancel, other, nextStep;
};

TEST(WindowSearch, TitlesClassesChildrenAndHiddenWindows) {
  FakeDesktop desktop;
  Windows w(desktop);
  auto& ws = desktop.fakeWindows();
  struct Case {
    const char* text;
    bool byClass, prefixOnly, withChildren, includeHidden;
    WindowId expected;
  };
  const Case cases[] = {
      {"untitled", false, true, false, false, w.notepad},
      {"NOTEPAD", false, true, false, false, 0},          // not at the start
      {"notepad", false, false, false, false, w.notepad},  // anywhere, any case
      {"calc", false, true, false, false, 0},              // hidden
      {"calc", false, true, false, true, w.calculator},
      // Both children contain "next"; the walk goes on past the first and the later one replaces it.
      {"next", false, true, true, false, w.next},
      {"cancel", false, true, true, false, w.cancel},     // a grandchild
      {"cancel", false, true, false, false, 0},
      {"", false, false, true, true, 0},
      {"NOTEPAD", true, true, false, false, w.notepad},   // class "Notepad"
      {"note", true, true, false, false, w.notepad},      // instance "notepad"
      {"pad", true, true, false, false, 0},
  };
  for (const Case& c : cases) {
    const WindowId found = c.byClass ? FindWindowByClass(ws, c.text, c.prefixOnly, c.withChildren, c.includeHidden)
                                     : FindWindowByTitle(ws, c.text, c.prefixOnly, c.withChildren, c.includeHidden);
    EXPECT_EQ(found, c.expected) << c.text << (c.byClass ? " (class)" : "");
  }
  EXPECT_EQ(FindChildByTitle(ws, w.wizard, "CANCEL", false), w.cancel);
  EXPECT_EQ(FindChildByTitle(ws, w.wizard, "", false), port::kNoWindow);
  ws.at(w.cancel).state.visible = false;
  EXPECT_EQ(FindChildByTitle(ws, w.wizard, "cancel", false), port::kNoWindow);
  EXPECT_EQ(FindChildByTitle(ws, w.wizard, "cancel", true), w.cancel);
}

TEST(WindowFunctions, FocusByTitleClassAndTheSpecialTitles) {
  struct Case {
    const char* script;
    std::string output;
    ActionLog log;
  };
  const Case cases[] = {
      {"print focus(\"untitled\"); gettitle()", "1Untitled - Notepad\n", {"activate Untitled - Notepad"}},
      {"print focus(\"notepad\", 0)", "0\n", {}},
      {"print focus(\"notepad\", 0, 0); getfocus()", "1Untitled - Notepad\n", {"activate Untitled - Notepad"}},
      // Found only in a child: the child becomes the target, its top-level window is activated.
      {"print focus(\"cancel\"); gettitle()", "1Cancel\n", {"activate Setup Wizard"}},
      {"print focusclass(\"notepad\"); gettitle()", "1Untitled - Notepad\n", {"activate Untitled - Notepad"}},
      {"print focus(\"!\"); gettitle()", "1Other\n", {}},  // already active: nothing to do
      {"print focus(\" ^ \"); gettitle()", "1Setup Wizard\n", {"activate Setup Wizard"}},
      // This program's own window is active: the one before it is the topmost window of another program.
      {"print focus(\"*\"); gettitle()", "1Other\n", {"activate Other"}},
      {"print focus(\"\")", "0\n", {}},
  };
  for (const Case& c : cases) {
    RecordingHost host;
    FakeDesktop desktop;
    Windows w(desktop);
    const std::string script = c.script;
    if (script.find("\"!\"") != std::string::npos) w.fake.setActive(w.other);
    if (script.find("\"*\"") != std::string::npos) {
      const WindowId own = w.fake.add({.title = "brindle", .processId = desktop.fakeSystemInfo().pid});
      w.fake.setActive(own);
      desktop.clearLog();
    }
    auto run = RunOnFakeDesktop(c.script, desktop, host, false, w.wizard);
    EXPECT_EQ(run.Output, c.output) << c.script;
    EXPECT_EQ(desktop.log(), c.log) << c.script;
    EXPECT_TRUE(run.Errors.empty()) << c.script;
  }
}

TEST(WindowFunctions, ActivationThatNeverSucceedsIsAFailureForBothFunctions) {
  for (const char* function : {"focus", "focusclass"}) {
    RecordingHost host;
    FakeDesktop desktop;
    desktop.fakeWindows().add({.title = "Stubborn", .windowClass = {"stubborn", "Stubborn"},
                               .refusedActivations = -1});
    desktop.clearLog();
    auto run = RunOnFakeDesktop(std::string("print ") + function + "(\"stubborn\"); gettitle()", desktop, host);
    // Asked a few times; the window is still the target, so later commands can try again.
    EXPECT_EQ(run.Output, "0Stubborn\n") << function;
    EXPECT_EQ(desktop.log(), (ActionLog{"activate Stubborn", "activate Stubborn", "activate Stubborn"}));
  }
}

TEST(WindowFunctions, FocusWaitsForALateWindowAndClicksTheTitleBar) {
  RecordingHost host;
  FakeDesktop desktop;
  Windows w(desktop);
  desktop.fakeMouse().place({7, 8});
  host.OnPump = [&] {
    if (host.Pumps == 3) desktop.fakeWindows().add({.title = "Late arrival", .frame = {40, 50, 200, 100}});
  };
  auto run = RunOnFakeDesktop("print focus(\"late\", 5, 1, 1)", desktop, host);
  EXPECT_EQ(run.Output, "1\n");
  EXPECT_EQ(desktop.log(), (ActionLog{"activate Late arrival", "mouse move 140,55", "mouse down left",
                                      "mouse up left", "mouse move 7,8"}));
}

TEST(WindowFunctions, WaitWinAndTheClicksFindTheirWindows) {
  struct Case {
    const char* script;
    std::string output;
    ActionLog log;
    std::string error;
  };
  const Case cases[] = {
      {"print waitwin(\"setup\", \"next\", 1); gettitle()", "1Next >\n", {}, ""},
      {"print waitwin(\"\", \"next\", 1); gettitle()", "0Other\n", {}, ""},
      {"x = waitwin(\"setup\", \"next\", \"soon\")", "", {}, "Invalid Timeout Value"},
      // The centre of the child; the target window stays as it was.
      {"print mouseclick(\"setup\", \"cancel\", 1); gettitle()",
       "1Other\n",
       {"activate Setup Wizard", "mouse move 140,210", "mouse down left", "mouse up left"},
       ""},
      {"print mouseclickrel(\"oth\", 10, 20, 0)",
       "1\n",
       {"activate Other", "mouse move 310,420", "mouse down left", "mouse up left"},
       ""},
      {"x = mouseclickrel(\"oth\", \"ten\", 20, 0)", "", {}, "Invalid Value"},
  };
  for (const Case& c : cases) {
    RecordingHost host;
    FakeDesktop desktop;
    Windows w(desktop);
    auto run = RunOnFakeDesktop(c.script, desktop, host, false, w.other);
    EXPECT_EQ(run.Output, c.output) << c.script;
    EXPECT_EQ(desktop.log(), c.log) << c.script;
    if (c.error.empty())
      EXPECT_TRUE(run.Errors.empty()) << c.script;
    else
      EXPECT_EQ(run.Errors, (std::vector<std::string>{ErrorAt(c.error, 1)})) << c.script;
  }
}

TEST(WindowFunctions, PositionOfTheTargetWindow) {
  RecordingHost host;
  FakeDesktop desktop;
  Windows w(desktop);
  auto run = RunOnFakeDesktop(
      "print getwinpos(\"l\"); \",\"; getwinpos(\"T\"); \",\"; getwinpos(\"w\"); \",\"; getwinpos(\"h\"); \",\"; "
      "getwinpos(\"LT\")\n"
      "print setwinpos(5, 6)\nprint setwinpos(7, 8, -1, 60)\nprint setwinpos(1, 2, 50, 60)\n"
      "print setwinpos(9, 9, 1, 1, 0, 2)\nx = getwinpos(\"X\")",
      desktop, host, false, w.notepad);
  EXPECT_EQ(run.Output, "10,20,300,200,0\n1\n1\n1\n1\n");
  EXPECT_EQ(run.Errors, (std::vector<std::string>{ErrorAt("Invalid Value", 6)}));
  // Only x and y: moved, not resized; -1 for either size keeps both; flag 2 keeps the position.
  EXPECT_EQ(desktop.fakeWindows().at(w.notepad).frame, (port::Rect{1, 2, 1, 1}));
  EXPECT_EQ(desktop.log(), (ActionLog(4, "place Untitled - Notepad")));
  RecordingHost noTarget;
  auto none = RunOnFakeDesktop("print setwinpos(1, 2); getwinpos(\"l\"); gettitle()", desktop, noTarget);
  EXPECT_EQ(none.Output, "00\n");
}

TEST(MouseFunctions, ButtonsPositionsAndTheSelectedButtonStaying) {
  RecordingHost host;
  FakeDesktop desktop;
  desktop.fakeMouse().place({3, 4});
  VariableTable globals;
  TTarnwickBasic library(host, desktop);
  library.SetGlobals(&globals);
  auto run = [&](const std::string& script) {
    desktop.clearLog();
    host.Prints.clear();
    library.SetScriptText(script, "test.tws");
    library.Run(0);
    return desktop.log();
  };
  EXPECT_EQ(run("mouserestore\nmousesave\nx = mouseupdown(\"R\", \"D\")\nx = mouseclickabs(10, 20)"),
            (ActionLog{"mouse move 0,0", "mouse down right", "mouse move 10,20", "mouse down right",
                       "mouse up right"}));
  // The next run on the same interpreter still clicks with the right button.
  EXPECT_EQ(run("x = mouseclickabs(1, 2)\nx = mouseupdown(\"m\", \"u\", 50)\nmouserestore"),
            (ActionLog{"mouse move 1,2", "mouse down right", "mouse up right", "mouse move 50,2",
                       "mouse up middle", "mouse move 0,0"}));
  EXPECT_EQ(run("x = mouseupdown(\"l\", \"1\", -1, 30)\nx = mouseupdown(\"L\", \"2\")\nprint mousemove(5, 6)\n"
                "print getmousepos(\"x\"); getmousepos(\"Y\"); getmousepos(\"1\"); getmousepos(\"2\")\n"
                "print getdesktop(\"w\"); \"x\"; getdesktop(\"2\")"),
            (ActionLog{"mouse move 0,30", "mouse down left", "mouse up left", "mouse move 5,6"}));
  EXPECT_EQ(host.Prints, (std::vector<std::string>{"1", "5656", "1280x1024"}));
  EXPECT_TRUE(host.ScriptErrors.empty());
  for (const char* bad : {"x = mouseupdown(\"X\", \"D\")", "x = mouseupdown(\"L\", \"push\")",
                          "x = mouseupdown(\"\", \"D\")", "x = getmousepos(\"z\")", "x = getdesktop(\"x\")"}) {
    host.ScriptErrors.clear();
    EXPECT_TRUE(run(bad).empty()) << bad;
    EXPECT_EQ(host.ScriptErrors, (std::vector<std::string>{ErrorAt("Invalid Value", 1)})) << bad;
  }
}

TEST(DesktopFunctions, ClipboardAndProcessorLoad) {
  RecordingHost host;
  FakeDesktop desktop;
  desktop.fakeClipboard().preset("grüße");
  auto run = RunOnFakeDesktop(
      "print getclipboard()\nx = setclipboard(\"new text\", 0)\nprint cpuusage(); \" \"; cpuusage()", desktop, host);
  EXPECT_EQ(run.Output, "grüße\n12 12\n");
  EXPECT_EQ(desktop.log(), (ActionLog{"clipboard set new text"}));
  desktop.fakeClipboard().preset(std::nullopt);
  desktop.fakeSystemInfo().usage = std::nullopt;
  RecordingHost empty;
  EXPECT_EQ(RunOnFakeDesktop("print \"[\"; getclipboard(); \"]\"; cpuusage()", desktop, empty).Output, "[]0\n");
}

TEST(ScreenText, GrabAndWaitDosReadTheTerminalScreen) {
  RecordingHost host;
  FakeDesktop desktop;
  const WindowId term = desktop.fakeWindows().add({.title = "terminal"});
  const WindowId plain = desktop.fakeWindows().add({.title = "plain"});
  desktop.fakeTerminalText().screens[term] = {"$ ls", "Volume in drive C", "ünïcode row", ""};
  struct Case {
    const char* script;
    std::string output;
  };
  const Case cases[] = {
      {"print grab(2, 11, 5)", "drive\n"},
      {"print grab(3, 1, 3)", "ünï\n"},              // characters, not bytes
      {"print grab(0, -4, 4)", "$ ls\n"},            // below 1 counts as 1
      {"print grab(2, 15, 40); \"|\"", "e C|\n"},    // ends with the row
      {"print grab(99, 1, 4); \"|\"", "|\n"},        // the last row, which is empty
      {"print grab(1, 1, 0); \"|\"", "|\n"},
      {"print waitdos(2, 1, \"VOLUME in\", 0)", "1\n"},
      {"print waitdos(2, 1, \"\", 0)", "0\n"},
  };
  for (const Case& c : cases) {
    auto run = RunOnFakeDesktop(c.script, desktop, host, false, term);
    EXPECT_EQ(run.Output, c.output) << c.script;
    host.Prints.clear();
  }
  EXPECT_TRUE(host.ScriptErrors.empty());
  EXPECT_TRUE(host.ErrorBoxes.empty());
  EXPECT_TRUE(desktop.log().empty());

  // A window that is no readable terminal: the user is told, the script goes on with empty text.
  RecordingHost notTerminal;
  auto failed = RunOnFakeDesktop("print \"[\"; grab(1, 1, 3); \"]\"", desktop, notTerminal, false, plain);
  EXPECT_EQ(failed.Output, "[]\n");
  EXPECT_EQ(notTerminal.ErrorBoxes, (std::vector<std::string>{"Cannot read text from DOS Screen."}));

  RecordingHost bad;
  auto errors = RunOnFakeDesktop("x = grab(\"a\", 1, 1)", desktop, bad, false, term);
  EXPECT_EQ(errors.Errors, (std::vector<std::string>{ErrorAt("Invalid Value", 1)}));
}

TEST(ScreenText, WaitDosWaitsForTheText) {
  RecordingHost host;
  FakeDesktop desktop;
  const WindowId term = desktop.fakeWindows().add({.title = "terminal"});
  auto& screens = desktop.fakeTerminalText().screens;
  screens[term] = {"working..."};
  host.OnPump = [&] {
    if (host.Pumps == 2) screens[term] = {"Ready."};
  };
  auto run = RunOnFakeDesktop("print waitdos(1, 1, \"ready\", 5)\nx = waitdos(1, 1, \"x\", \"soon\")", desktop, host,
                              false, term);
  EXPECT_EQ(run.Output, "1\n");
  EXPECT_EQ(run.Errors, (std::vector<std::string>{ErrorAt("Invalid Timeout Value", 2)}));
}

}  // namespace
}  // namespace tw
