// The window, mouse, clipboard and terminal-text functions against real programs on a private X server.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <regex>
#include <sstream>
#include <thread>

#include "commands/library_support.h"
#include "port/no_display_desktop.h"
#include "port/x11/x11_desktop.h"
#include "support/script_cases.h"
#include "test_bed.h"
#include "waiting.h"
#include "x11_desktop_on.h"

namespace tw {
namespace {

using test::ErrorAt;
using test::RecordingHost;
using testbed::TestBed;
using testbed::waitUntil;

// One interpreter on the bed's display, kept across runs as a host keeps it.
class Library {
 public:
  explicit Library(TestBed& bed) {
    desktop_ = testbed::OpenDesktopOn(bed);
    library_ = std::make_unique<TTarnwickBasic>(host, *desktop_);
    library_->SetGlobals(&globals_);
  }
  // Runs the script and gives what it printed.
  std::string run(const std::string& script) {
    host.Prints.clear();
    host.ScriptErrors.clear();
    library_->SetScriptText(script, "test.tws");
    library_->Run(0);
    return host.Output();
  }
  TTarnwickBasic& operator*() { return *library_; }

  RecordingHost host;

 private:
  std::unique_ptr<port::Desktop> desktop_;
  VariableTable globals_;
  std::unique_ptr<TTarnwickBasic> library_;
};

// What a program printed, once it has ended.
std::string OutputOf(TestBed& bed, const std::vector<std::string>& argv, const std::string& name) {
  const auto file = bed.dir() / name;
  auto& process = bed.launch(argv, {{"LC_ALL=C.UTF-8"}, file, -1});
  EXPECT_EQ(process.waitForExit(testbed::kPatience), 0) << argv[0];
  return testbed::readFile(file);
}

// The window manager's frame around a client: its ancestor just below the root, as xwininfo -tree tells.
unsigned long FrameOf(TestBed& bed, unsigned long window) {
  for (;;) {
    const std::string text = OutputOf(bed, {"xwininfo", "-tree", "-id", std::to_string(window)}, "tree.txt");
    const auto root = text.find("Root window id: ");
    const auto parent = text.find("Parent window id: ");
    if (root == std::string::npos || parent == std::string::npos) return 0;
    const unsigned long rootId = std::stoul(text.substr(root + 16), nullptr, 16);
    const unsigned long parentId = std::stoul(text.substr(parent + 18), nullptr, 16);
    if (parentId == rootId) return window;
    window = parentId;
  }
}

// The frame rectangle as xwininfo -frame reports it for the frame: left, top, width, height (border included).
std::vector<int> XwininfoFrame(TestBed& bed, unsigned long window) {
  const std::string text =
      OutputOf(bed, {"xwininfo", "-frame", "-id", std::to_string(FrameOf(bed, window))}, "xwininfo.txt");
  std::vector<int> values;
  for (const char* label : {"Absolute upper-left X:", "Absolute upper-left Y:", "Width:", "Height:"}) {
    const auto at = text.find(label);
    values.push_back(at == std::string::npos ? -1 : std::stoi(text.substr(at + std::strlen(label))));
  }
  return values;
}

unsigned long WindowTitled(TestBed& bed, const std::string& title) {
  for (const auto& facts : bed.probe().allWindows())
    if (facts.title == title) return facts.id;
  return 0;
}

class FocusOnX11 : public ::testing::TestWithParam<bool> {};

TEST_P(FocusOnX11, ByPrefixBySubstringAndTheActiveAndTargetWindows) {
  const bool windowManager = GetParam();
  TestBed bed({.windowManager = windowManager});
  const auto alpha = bed.startXterm("alpha one");
  const auto beta = bed.startXterm("beta two");
  Library library(bed);
  // Under a window manager the active window is its _NET_ACTIVE_WINDOW; without one, the input focus.
  const auto isActive = [&](unsigned long window) {
    return waitUntil([&] {
      return (windowManager ? bed.probe().activeWindow() : bed.probe().inputFocus()) == window;
    });
  };
  EXPECT_EQ(library.run("print focus(\"ALPHA\")"), "1\n");
  EXPECT_TRUE(isActive(alpha.window));
  EXPECT_EQ(library.run("print focus(\"two\", 1)"), "0\n");  // "two" does not begin the title
  EXPECT_EQ(library.run("print focus(\"two\", 1, 0)"), "1\n");
  EXPECT_TRUE(isActive(beta.window));
  EXPECT_EQ(library.run("print focus(\"!\"); gettitle()"), "1beta two\n");
  (*library).SetTargetWindow(alpha.window);
  EXPECT_EQ(library.run("print focus(\"^\"); getfocus()"), "1alpha one\n");
  EXPECT_TRUE(isActive(alpha.window));
  EXPECT_TRUE(library.host.ScriptErrors.empty());
}

INSTANTIATE_TEST_SUITE_P(WindowManager, FocusOnX11, ::testing::Bool(),
                         [](const auto& param) { return param.param ? "WithWindowManager" : "WithoutWindowManager"; });

// A terminal embedded in another program's window is an X child window with a title of its own.
TEST(WindowsOnX11, WindowsAppearingLaterAreFoundAndAChildBecomesTheTarget) {
  TestBed bed({.windowManager = true});
  const auto host = bed.startXterm("Host Frame", {"sleep", "600"});
  bed.launch({"sh", "-c",
              "sleep 2; exec xterm -into " + std::to_string(host.window) + " -T 'embedded child' -e sleep 600"});
  Library library(bed);
  EXPECT_EQ(library.run("print waitwin(\"host\", \"EMBEDDED\", 60); gettitle()"), "1embedded child\n");
  const unsigned long child = WindowTitled(bed, "embedded child");
  EXPECT_NE(child, 0u);
  EXPECT_EQ((*library).TargetWindow, child);
  // With no seconds to wait, one search decides.
  EXPECT_EQ(library.run("print waitwin(\"host\", \"embedded\", 0); waitwin(\"nothing like it\", \"x\", 0)"), "10\n");
  // A top-level window that comes up two seconds later is waited for, and put in front.
  bed.launch({"sh", "-c", "sleep 2; exec xterm -T 'in front' -e sleep 600"});
  EXPECT_EQ(library.run("print focus(\"in fr\", 60)"), "1\n");
  EXPECT_TRUE(waitUntil([&] { return bed.probe().activeWindow() == WindowTitled(bed, "in front"); }));
  // Focus of the child's title brings back the window that holds it.
  EXPECT_TRUE(waitUntil([&] { return bed.probe().activeWindow() != host.window; }));
  EXPECT_EQ(library.run("print focus(\"embedded\"); gettitle()"), "1embedded child\n");
  EXPECT_TRUE(waitUntil([&] { return bed.probe().activeWindow() == host.window; }));
}

TEST(WindowsOnX11, FocusGoesToAnotherDesktopAndRestoresAMinimisedWindow) {
  TestBed bed({.windowManager = true});
  const auto away = bed.startXterm("far away");
  const auto iconic = bed.startXterm("folded up");
  OutputOf(bed, {"xdotool", "set_desktop_for_window", std::to_string(away.window), "1"}, "desktop.txt");
  OutputOf(bed, {"xdotool", "windowminimize", std::to_string(iconic.window)}, "minimise.txt");
  ASSERT_TRUE(waitUntil([&] { return bed.probe().wmState(iconic.window) == 3; }));
  Library library(bed);
  EXPECT_EQ(library.run("print focus(\"far\")"), "1\n");
  EXPECT_TRUE(waitUntil([&] { return bed.probe().activeWindow() == away.window; }));
  EXPECT_EQ(library.run("print focus(\"folded\")"), "1\n");
  EXPECT_TRUE(waitUntil([&] {
    return bed.probe().wmState(iconic.window) == 1 && bed.probe().activeWindow() == iconic.window;
  }));
}

TEST(WindowsOnX11, PositionsAgreeWithXwininfoAndMovingKeepsTheSize) {
  TestBed bed({.windowManager = true});
  const auto term = bed.startXterm("placed");
  Library library(bed);
  (*library).SetTargetWindow(term.window);
  const auto frame = [&] {
    const std::string printed = library.run(
        "print getwinpos(\"l\"); \" \"; getwinpos(\"T\"); \" \"; getwinpos(\"w\"); \" \"; getwinpos(\"H\")");
    std::istringstream in(printed);
    std::vector<int> values(4);
    in >> values[0] >> values[1] >> values[2] >> values[3];
    return values;
  };
  const std::vector<int> before = frame();
  EXPECT_EQ(before, XwininfoFrame(bed, term.window));
  library.run("x = getwinpos(\"X\")");
  EXPECT_EQ(library.host.ScriptErrors, (std::vector<std::string>{ErrorAt("Invalid Value", 1)}));

  EXPECT_EQ(library.run("print setwinpos(123, 145)"), "1\n");
  const std::vector<int> moved{123, 145, before[2], before[3]};
  EXPECT_TRUE(waitUntil([&] { return XwininfoFrame(bed, term.window) == moved; }))
      << "xwininfo: " << ::testing::PrintToString(XwininfoFrame(bed, term.window));
  EXPECT_EQ(frame(), moved);
}

// xev prints every button press with its root coordinates and button number. No window manager: openbox
// takes each press on a client through a grab of its own and hands it on later, so a press followed at once
// by a motion elsewhere can reach the client with the later position.
TEST(MouseOnX11, ClicksReachXevWhereAndWithTheButtonAsked) {
  TestBed bed({.windowManager = false});
  const auto file = bed.dir() / "xev.txt";
  bed.launch({"stdbuf", "-oL", "xev", "-geometry", "400x300+100+100"}, {{}, file, -1});
  const unsigned long window = bed.waitForWindow({.title = "Event Tester", .className = "", .pid = std::nullopt});
  const auto origin = bed.probe().rootPosition(window);
  ASSERT_TRUE(origin);
  const int x = origin->first, y = origin->second;
  const auto at = [&](int dx, int dy) { return std::to_string(x + dx) + ", " + std::to_string(y + dy); };
  Library library(bed);
  library.run("x = mouseclickabs(" + at(20, 30) + ")\nx = mouseupdown(\"R\", \"D\", " + at(40, 50) +
              ")\nx = mouseupdown(\"r\", \"u\")\nx = mouseclickabs(" + at(60, 70) + ")");
  EXPECT_TRUE(library.host.ScriptErrors.empty());
  using Press = std::tuple<int, int, int>;  // root x, root y, button
  const std::vector<Press> expected{{x + 20, y + 30, 1}, {x + 40, y + 50, 3}, {x + 60, y + 70, 3}};
  std::vector<Press> presses;
  EXPECT_TRUE(waitUntil([&] {
    presses.clear();
    const std::string text = testbed::readFile(file);
    static const std::regex press(R"(ButtonPress event[^]*?root:\((\d+),(\d+)\)[^]*?button (\d+))");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), press); it != std::sregex_iterator(); ++it)
      presses.emplace_back(std::stoi((*it)[1]), std::stoi((*it)[2]), std::stoi((*it)[3]));
    return presses.size() >= expected.size();
  }));
  EXPECT_EQ(presses, expected);
  EXPECT_EQ(library.run("print getmousepos(\"x\"); \",\"; getmousepos(\"y\")"),
            std::to_string(x + 60) + "," + std::to_string(y + 70) + "\n");
}

TEST(ClipboardOnX11, TextRoundTripsWithXclipBothWays) {
  TestBed bed({.windowManager = false});
  Library library(bed);
  const std::string ours = "grüße, 世界 — ok";
  library.run("x = setclipboard(\"" + ours + "\", 0)");
  EXPECT_EQ(OutputOf(bed, {"xclip", "-o", "-selection", "clipboard", "-t", "UTF8_STRING"}, "out.txt"), ours);
  // While a script waits, the text is still served.
  std::thread reader([&] {
    EXPECT_EQ(OutputOf(bed, {"xclip", "-o", "-selection", "clipboard"}, "out2.txt"), "during the wait");
  });
  library.run("x = setclipboard(\"during the wait\", 3)");
  reader.join();

  const std::string theirs = "ça va, ñandú";
  bed.launch({"sh", "-c", "printf '%s' '" + theirs + "' | xclip -i -selection clipboard -t UTF8_STRING"},
             {{"LC_ALL=C.UTF-8"}, bed.dir() / "xclip-in.txt", -1});
  EXPECT_TRUE(waitUntil([&] { return library.run("print getclipboard()") == theirs + "\n"; }));
}

TEST(TerminalTextOnX11, GrabAndWaitDosReadWhatAProgramPrintsInTmux) {
  TestBed bed({.windowManager = false});
  const auto term = bed.startTmuxInXterm(
      "console", {"sh", "-c", "sleep 2; printf 'first line\\n  Result: 42 done\\n'; exec sleep 600"});
  const auto plain = bed.startXterm("no multiplexer", {"sleep", "600"});
  Library library(bed);
  (*library).SetTargetWindow(term.window);
  EXPECT_EQ(library.run("print waitdos(2, 3, \"RESULT: 42\", 60)"), "1\n");
  EXPECT_EQ(library.run("print grab(2, 11, 2); \"|\"; grab(1, 1, 5); \"|\"; waitdos(1, 1, \"second\", 0)"),
            "42|first|0\n");
  // Cells past the printed text are blanks, up to the pane's edge.
  EXPECT_EQ(library.run("print \"[\"; grab(2, 14, 6); \"]\"; grab(2, 78, 9); \"]\""), "[done  ]   ]\n");
  EXPECT_TRUE(library.host.ErrorBoxes.empty());
  (*library).SetTargetWindow(plain.window);
  EXPECT_EQ(library.run("print \"[\"; grab(1, 1, 5); \"]\""), "[]\n");
  EXPECT_EQ(library.host.ErrorBoxes, (std::vector<std::string>{"Cannot read text from DOS Screen."}));
}

TEST(ProcessorLoad, CpuUsageRisesWhileBusyLoopsRun) {
  port::NoDisplayDesktop desktop("not needed");
  RecordingHost host;
  VariableTable globals;
  TTarnwickBasic library(host, desktop);
  library.SetGlobals(&globals);
  const auto usage = [&] {
    host.Prints.clear();
    library.SetScriptText("pause 0.5\nprint cpuusage()", "test.tws");
    library.Run(0);
    return std::stoi(host.Prints.at(0));
  };
  const int idle = usage();
  EXPECT_GE(idle, 0);
  EXPECT_LE(idle, 100);
  std::vector<std::unique_ptr<testbed::ChildProcess>> loops;
  const long cores = std::max(1L, sysconf(_SC_NPROCESSORS_ONLN));
  for (long i = 0; i < cores; ++i)
    loops.push_back(std::make_unique<testbed::ChildProcess>(std::vector<std::string>{"sh", "-c", "while :; do :; done"}));
  // Every core busy: the load over half a second comes close to all of it.
  EXPECT_TRUE(waitUntil([&] { return usage() >= 90; }));
}

}  // namespace
}  // namespace tw
