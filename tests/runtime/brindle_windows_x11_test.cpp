// brindle with its windows on a private X server: what a person sees (screenshots kept under the build's
// artifacts folder), the tray menu, and a run that shows nothing.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <tuple>

#include "screenshot.h"
#include "test_bed.h"
#include "tray.h"

// Last: Xlib defines names such as None that other headers use.
#include <X11/Xlib.h>

namespace tw::testbed {
namespace {

namespace fs = std::filesystem;

bool White(int r, int g, int b) { return r > 245 && g > 245 && b > 245; }
// Navy text, also where anti-aliasing blends it into white.
bool Navyish(int r, int g, int b) { return b > 90 && r < b - 60 && g < b - 60; }

class BrindleWindows : public ::testing::Test {
 protected:
  BrindleWindows() : bed_({.windowManager = true}) {}

  ChildProcess& Brindle(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{BRINDLE_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return bed_.launch(argv, {{}, bed_.dir() / "brindle.log", -1});
  }

  // Writes a script; "DIR/" in its text stands for the bed's folder.
  std::string Script(const std::string& name, std::string text) {
    for (std::size_t at; (at = text.find("DIR/")) != std::string::npos;)
      text.replace(at, 4, (bed_.dir() / "").string());
    std::ofstream(bed_.dir() / name, std::ios::binary) << text;
    return (bed_.dir() / name).string();
  }

  void Run(const std::vector<std::string>& argv) {
    ChildProcess& program = bed_.launch(argv);
    ASSERT_EQ(program.waitForExit(kPatience), 0) << argv.front();
  }

  void Key(unsigned long window, const std::vector<std::string>& keys) {
    std::vector<std::string> argv{"xdotool", "windowactivate", "--sync", std::to_string(window), "key",
                                  "--clearmodifiers"};
    argv.insert(argv.end(), keys.begin(), keys.end());
    Run(argv);
  }

  // Screenshot of the window with its frame and caption, kept as `name`.png among the test artefacts; the
  // picture of the window alone (without the frame) is given back for checks.
  Picture Screenshot(unsigned long window, const std::string& name) {
    return screenshot(bed_, window, name, TW_ARTIFACTS_DIR);
  }

  unsigned long WaitForWindow(const std::string& title, pid_t pid) {
    return bed_.waitForWindow({title, "", static_cast<int>(pid)});
  }

  bool FileHolds(const std::string& name, const std::string& text) {
    return readFile(bed_.dir() / name).find(text) != std::string::npos;
  }

  TestBed bed_;
};

TEST_F(BrindleWindows, PromptInputAndConsoleWindowsLookRightAndAnswer) {
  const std::string script = Script("walk.tws",
                                    "prompt \"Ready to go?\", 60\n"
                                    "x = savetofile(\"confirmed\", \"DIR/prompt.txt\")\n"
                                    "n = \"Ada\"\n"
                                    "input \"Your name?\", n\n"
                                    "x = savetofile(\"[\" + n + \"]\", \"DIR/name.txt\")\n"
                                    "output(2)\n"
                                    "for i = 1 to 5\n"
                                    "print \"console line \" + str(i)\n"
                                    "endfor\n"
                                    "prompt \"Waiting for you\", 60\n");
  ChildProcess& brindle = Brindle({script});

  const unsigned long prompt = WaitForWindow("Print", brindle.pid());
  const Picture promptShot = Screenshot(prompt, "brindle-prompt");
  EXPECT_GE(promptShot.width, 392);
  EXPECT_GE(promptShot.height, 173);
  EXPECT_TRUE(bed_.probe().hasNetWmState(prompt, "_NET_WM_STATE_ABOVE"));
  Key(prompt, {"Return"});  // OK is the default button
  ASSERT_TRUE(waitUntil([&] { return FileHolds("prompt.txt", "confirmed"); }));

  const unsigned long input = WaitForWindow("Input", brindle.pid());
  const Picture inputShot = Screenshot(input, "brindle-input");
  EXPECT_GE(inputShot.width, 392);
  // The input line: a white field across most of the window, which the prompt window does not have.
  auto whiteRow = [](const Picture& p) {
    for (int y = 0; y < p.height; ++y) {
      int run = 0;
      for (int x = 0; x < p.width; ++x) {
        auto [r, g, b] = p.at(x, y);
        run = White(r, g, b) ? run + 1 : 0;
        if (run > p.width / 2) return true;
      }
    }
    return false;
  };
  EXPECT_TRUE(whiteRow(inputShot));
  EXPECT_FALSE(whiteRow(promptShot));
  // The preset is selected: typing replaces it; the entry is stored trimmed.
  Run({"xdotool", "type", "--delay", "20", "  Grace  "});
  Key(input, {"Return"});
  ASSERT_TRUE(waitUntil([&] { return FileHolds("name.txt", "[Grace]"); }));

  unsigned long console = 0;
  ASSERT_TRUE(waitUntil([&] {
    for (const WindowFacts& w : bed_.probe().allWindows())
      if (w.title == "Print" && w.pid == brindle.pid() && w.viewable && w.managed && w.id != prompt) console = w.id;
    return console != 0;
  }));
  const Picture consoleShot = Screenshot(console, "brindle-console");
  EXPECT_GT(consoleShot.share(White), 0.5);     // white page
  EXPECT_GT(consoleShot.share(Navyish), 0.001);  // navy lines on it

  // Ctrl+C stops the waiting run in the windows too.
  ::kill(brindle.pid(), SIGINT);
  EXPECT_EQ(brindle.waitForExit(kPatience), 130);
}

TEST_F(BrindleWindows, WithoutAScriptTheUsageWindowShowsUntilOk) {
  ChildProcess& brindle = Brindle({});
  const unsigned long usage = WaitForWindow("Tarnwick Runtime", brindle.pid());
  const Picture shot = Screenshot(usage, "brindle-usage");
  EXPECT_GT(shot.share(White), 0.6);
  EXPECT_GT(shot.share(Navyish), 0.001);  // the usage text
  Key(usage, {"Return"});                 // "&Ok"
  EXPECT_EQ(brindle.waitForExit(kPatience), 0);
}

TEST_F(BrindleWindows, CtrlCStopsARunWhileAPromptWindowWaits) {
  ChildProcess& brindle = Brindle({Script("stop.tws", "prompt \"Stop me\", 60\nx = savetofile(\"no\", \"DIR/went-on.txt\")\n")});
  WaitForWindow("Print", brindle.pid());
  ::kill(brindle.pid(), SIGINT);
  EXPECT_EQ(brindle.waitForExit(kPatience), 130);
  EXPECT_FALSE(fs::exists(bed_.dir() / "went-on.txt"));
}

TEST_F(BrindleWindows, AMissingScriptIsReportedInAnErrorBoxAndEndsWithStatusTwo) {
  ChildProcess& brindle = Brindle({(bed_.dir() / "missing.tws").string()});
  const unsigned long box = WaitForWindow("Error", brindle.pid());
  Screenshot(box, "brindle-missing-script");
  Key(box, {"Return"});
  EXPECT_EQ(brindle.waitForExit(kPatience), 2);
}

TEST_F(BrindleWindows, CancelInTheTrayMenuStopsAWaitingScriptAndEndsTheProcess) {
  startTray(bed_);
  const std::string script = Script("wait.tws", "x = savetofile(\"started\", \"DIR/started.txt\")\npause 60\n"
                                                "x = savetofile(\"no\", \"DIR/went-on.txt\")\n");
  ChildProcess& brindle = Brindle({script});
  ASSERT_TRUE(waitUntil([&] { return FileHolds("started.txt", "started"); }));
  const unsigned long icon = trayIcon(bed_, brindle.pid());
  ASSERT_NE(icon, 0u) << "no tray icon";
  // Right click opens the menu: an override-redirect window of brindle's.
  auto openMenu = [&] { return openTrayMenu(bed_, brindle.pid(), icon, 3); };
  const unsigned long menu = openMenu();
  ASSERT_NE(menu, 0u) << "no tray menu";
  const Picture menuShot = Screenshot(menu, "brindle-tray-menu");
  EXPECT_GT(menuShot.height, menuShot.width / 4);  // two items
  // "&About..." shows the about box beside the run, which goes on waiting.
  Run({"xdotool", "key", "a"});
  const unsigned long about = WaitForWindow("Tarnwick Runtime", brindle.pid());
  EXPECT_TRUE(brindle.running());
  Key(about, {"Return"});
  ASSERT_TRUE(waitUntil([&] { return !bed_.probe().facts(about) || !bed_.probe().facts(about)->viewable; }));
  // "&Cancel" stops it.
  ASSERT_NE(openMenu(), 0u) << "no tray menu";
  const auto cancelled = std::chrono::steady_clock::now();
  Run({"xdotool", "key", "c"});
  EXPECT_EQ(brindle.waitForExit(kPatience), 130);
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - cancelled);
  std::fprintf(stderr, "[brindle] from Cancel to the end of the process: %lld ms\n", static_cast<long long>(took.count()));
  EXPECT_LT(took, std::chrono::seconds(30));  // a second on an idle machine; generous for a loaded one
  EXPECT_FALSE(fs::exists(bed_.dir() / "went-on.txt"));
}

TEST(BrindleQuickRun, AScriptThatEndsAtOnceShowsNoWindowAndTheProcessEnds) {
  TestBed bed({.windowManager = false});
  startTray(bed);
  Display* display = XOpenDisplay(bed.display().c_str());
  ASSERT_NE(display, nullptr);
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);

  std::ofstream(bed.dir() / "quick.tws") << "#description: ends at once\nx = 1\n";
  ChildProcess& brindle = bed.launch({BRINDLE_PATH, (bed.dir() / "quick.tws").string()});
  EXPECT_EQ(brindle.waitForExit(kPatience), 0);

  XSync(display, False);
  std::set<Window> mapped;
  while (XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == MapNotify) mapped.insert(event.xmap.window);
  }
  XCloseDisplay(display);
  EXPECT_TRUE(mapped.empty()) << mapped.size() << " window(s) shown";
}

}  // namespace
}  // namespace tw::testbed
