// tarnwick in the tray of a private X server with openbox: the icon in its states, the tray menu, the
// quick-access menu running a script, a double click cancelling one, the options, about and tips windows
// (screenshots kept under the build's artifacts folder).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "screenshot.h"
#include "test_bed.h"
#include "tray.h"

namespace tw::testbed {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTitle = "Tarnwick for Windows 95/98/NT/2000/XP";

bool Blueish(int r, int g, int b) { return b > 120 && b > r + 40 && b > g + 20; }
bool Greenish(int r, int g, int b) { return g > 120 && g > r + 40 && g > b + 40; }
bool White(int r, int g, int b) { return r > 245 && g > 245 && b > 245; }

class TarnwickTray : public ::testing::Test {
 protected:
  TarnwickTray() {
    fs::create_directories(bed_.dir() / "run");
    fs::permissions(bed_.dir() / "run", fs::perms::owner_all);
    fs::create_directories(Scripts() / "Office");
    startTray(bed_);
  }

  fs::path Scripts() const { return bed_.dir() / "scripts"; }
  std::string At(const std::string& name) const { return (bed_.dir() / name).string(); }

  // `tips`: the tips of the day at start-up, from the Tips.txt beside the program.
  ChildProcess& Start(bool showWindow, bool tips = false) {
    fs::create_directories(bed_.dir() / "home/.config/tarnwick");
    std::ofstream(bed_.dir() / "home/.config/tarnwick/tarnwick.ini")
        << "[Settings]\nScriptPath=" << Scripts().string() << "/\nWidth=900\nHeight=500\n[Preferences]\nLoadEditor="
        << (showWindow ? 1 : 0) << "\nLogFileName=" << At("schedule.txt") << "\n[Tips]\nShowTips=" << (tips ? 1 : 0)
        << "\n";
    ChildProcess& tarnwick = bed_.launch({TARNWICK_PATH}, {{"XDG_RUNTIME_DIR=" + (bed_.dir() / "run").string()},
                                                           bed_.dir() / "tarnwick.log", -1});
    return tarnwick;
  }
  void Run(const std::vector<std::string>& argv) { ASSERT_EQ(bed_.launch(argv).waitForExit(kPatience), 0) << argv[0]; }
  void Keys(const std::vector<std::string>& keys) {
    std::vector<std::string> argv{"xdotool", "key", "--delay", "120"};
    argv.insert(argv.end(), keys.begin(), keys.end());
    Run(argv);
  }
  Picture Shot(unsigned long window, const std::string& name) { return screenshot(bed_, window, name, TW_ARTIFACTS_DIR); }
  // The icon as it looks now, once `looks` holds for its picture.
  Picture IconWhen(unsigned long icon, const std::string& name, bool (*looks)(int, int, int)) {
    Picture shot;
    waitUntil([&] {
      shot = Shot(icon, name);
      return shot.share(looks) > 0.3;
    });
    return shot;
  }

  TestBed bed_{{.windowManager = true}};
};

TEST_F(TarnwickTray, TheQuickAccessMenuRunsAScriptAndADoubleClickCancelsAWaitingOne) {
  std::ofstream(Scripts() / "Office/wait.tws") << "#description: Wait for a while\nx = savetofile(\"started\", \""
                                               << At("started.txt") << "\")\npause 120\nx = savetofile(\"on\", \""
                                               << At("went-on.txt") << "\")\n";
  std::ofstream(Scripts() / "hello.tws") << "#description: Say hello\nx = savetofile(\"hello\", \"" << At("hello.txt")
                                         << "\")\n";
  ChildProcess& tarnwick = Start(false);
  const unsigned long icon = trayIcon(bed_, tarnwick.pid());
  ASSERT_NE(icon, 0u) << "no tray icon";
  const Picture idle = IconWhen(icon, "tarnwick-tray-idle", Blueish);
  EXPECT_GT(idle.share(Blueish), 0.3);

  // Right click: the tray menu.
  const unsigned long trayMenu = openTrayMenu(bed_, tarnwick.pid(), icon, 3);
  ASSERT_NE(trayMenu, 0u) << "no tray menu";
  const Picture menuShot = Shot(trayMenu, "tarnwick-tray-menu");
  EXPECT_GT(menuShot.height, 5 * 18) << "five items and two separators";
  Keys({"Escape"});
  ASSERT_TRUE(waitUntil([&] { return menusOf(bed_, tarnwick.pid(), icon).empty(); }));

  // Left click: every folder with its scripts; the top folder's first script is chosen with the keys.
  const unsigned long choices = openTrayMenu(bed_, tarnwick.pid(), icon, 1);
  ASSERT_NE(choices, 0u) << "no quick-access menu";
  Shot(choices, "tarnwick-quick-access");
  Keys({"Down", "Right"});
  ASSERT_TRUE(waitUntil([&] { return menusOf(bed_, tarnwick.pid(), icon).size() == 2; })) << "the folder's scripts";
  Shot(menusOf(bed_, tarnwick.pid(), icon).back(), "tarnwick-quick-access-folder");
  Keys({"Return"});
  EXPECT_TRUE(waitUntil([&] { return readFile(At("hello.txt")).starts_with("hello"); }));

  // The waiting script, from the Office folder; the icon turns green while it runs.
  ASSERT_NE(openTrayMenu(bed_, tarnwick.pid(), icon, 1), 0u);
  Keys({"Down", "Down", "Right", "Return"});
  ASSERT_TRUE(waitUntil([&] { return fs::exists(At("started.txt")); }));
  const Picture running = IconWhen(icon, "tarnwick-tray-running", Greenish);
  EXPECT_GT(running.share(Greenish), 0.3);
  EXPECT_LT(running.share(Blueish), 0.05);
  // A double click cancels it; no quick-access menu opens.
  const auto place = bed_.probe().rootPosition(icon);
  ASSERT_TRUE(place);
  Run({"xdotool", "mousemove", std::to_string(place->first + 4), std::to_string(place->second + 4), "click",
       "--repeat", "2", "--delay", "80", "1"});
  const Picture again = IconWhen(icon, "tarnwick-tray-idle-again", Blueish);
  EXPECT_GT(again.share(Blueish), 0.3) << "idle again after the run";
  EXPECT_FALSE(fs::exists(At("went-on.txt")));
  EXPECT_TRUE(menusOf(bed_, tarnwick.pid(), icon).empty());
  EXPECT_TRUE(tarnwick.running());
}

TEST_F(TarnwickTray, OptionsAboutAndTipsLookRight) {
  ChildProcess& tarnwick = Start(true, true);
  // The tips of the day come first, at the end of the start.
  const unsigned long tips = bed_.waitForWindow({"Tips", "", tarnwick.pid()});
  Picture tipShot;
  ASSERT_TRUE(waitUntil([&] {
    tipShot = Shot(tips, "tarnwick-tips");
    return tipShot.share(White) > 0.2;  // the page the tip is written on
  }));
  Run({"xdotool", "windowactivate", "--sync", std::to_string(tips), "key", "Return"});
  const unsigned long window = bed_.waitForWindow({kTitle, "", tarnwick.pid()});

  // File > Setup...: the options.
  Run({"xdotool", "windowactivate", "--sync", std::to_string(window)});
  Keys({"alt+f", "Down", "Return"});
  const unsigned long options = bed_.waitForWindow({"Properties", "", tarnwick.pid()});
  const Picture optionShot = Shot(options, "tarnwick-options");
  EXPECT_GT(optionShot.width, 300);
  Keys({"Escape"});

  // Help > About...
  ASSERT_TRUE(waitUntil([&] { return !bed_.probe().facts(options) || !bed_.probe().facts(options)->viewable; }));
  Run({"xdotool", "windowactivate", "--sync", std::to_string(window)});
  Keys({"alt+h", "Up", "Return"});
  unsigned long about = 0;
  ASSERT_TRUE(waitUntil([&] {
    for (const WindowFacts& w : bed_.probe().allWindows())
      if (w.pid == tarnwick.pid() && w.viewable && w.title == "About") about = w.id;
    return about != 0;
  }));
  const Picture aboutShot = Shot(about, "tarnwick-about");
  EXPECT_GT(aboutShot.width, 200);
  Keys({"Return"});
}

}  // namespace
}  // namespace tw::testbed
