// tarnwick in the tray of a private X server with openbox: the icon in its states, the tray menu, the
// quick-access menu running a script, a double click cancelling one, the schedule started from the command
// line and stopped from the tray menu, the options, about and tips windows, the hand-over to the script editor
// (screenshots kept under the build's artifacts folder).

#include <gtest/gtest.h>
#include <X11/X.h>
#include <X11/keysym.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
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
bool Amber(int r, int g, int b) { return r > 200 && g > 160 && b < 130 && r > b + 100; }
bool Dark(int r, int g, int b) { return r < 90 && g < 90 && b < 90; }

using WallClock = std::chrono::system_clock;

// A script header's date and time ("mm/dd/yy hh:mm:ss") of a moment, in UTC.
std::string UtcText(WallClock::time_point at) {
  const std::time_t seconds = WallClock::to_time_t(at);
  std::tm utc{};
  ::gmtime_r(&seconds, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%m/%d/%y %H:%M:%S", &utc);
  return text;
}

// How many times a script that adds "ran" to `file` per run has run.
int Runs(const std::string& file) {
  const std::string text = readFile(file);
  int runs = 0;
  for (std::size_t at = text.find("ran"); at != std::string::npos; at = text.find("ran", at + 1)) ++runs;
  return runs;
}

// The lines of the schedule log that name `script` and end with `event`.
int LogLines(const std::string& log, const std::string& script, const std::string& event) {
  int found = 0;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find(" " + script + " ") != std::string::npos && line.ends_with(" " + event)) ++found;
  }
  return found;
}

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

  // `tips`: the tips of the day at start-up, from the Tips.txt beside the program. The program's clock reads
  // UTC, as UtcText writes it.
  ChildProcess& Start(bool showWindow, bool tips = false, const std::vector<std::string>& arguments = {},
                      const std::string& preferences = "") {
    fs::create_directories(bed_.dir() / "home/.config/tarnwick");
    std::ofstream(bed_.dir() / "home/.config/tarnwick/tarnwick.ini")
        << "[Settings]\nScriptPath=" << Scripts().string() << "/\nWidth=900\nHeight=500\n[Preferences]\nLoadEditor="
        << (showWindow ? 1 : 0) << "\nLogFileName=" << At("schedule.txt") << "\n" << preferences
        << "[Tips]\nShowTips=" << (tips ? 1 : 0) << "\n";
    std::vector<std::string> argv{TARNWICK_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    ChildProcess& tarnwick =
        bed_.launch(argv, {{"XDG_RUNTIME_DIR=" + (bed_.dir() / "run").string(), "TZ=UTC0", "LC_ALL=C.UTF-8"},
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

TEST_F(TarnwickTray, TheScheduleRunsDueScriptsAndLogsThemUntilTheTrayStopsIt) {
  // Every minute from 50 seconds back (due in 10 seconds), and once in 20 seconds; each adds a mark to its
  // file per run.
  const auto now = WallClock::now();
  const auto script = [&](const std::string& name, const std::string& schedule) {
    const std::string marks = At(name + ".txt");
    std::ofstream(Scripts() / (name + ".tws"))
        << "#description: " << name << "\n#enableschd: y\n" << schedule << "x = savetofile(loadfromfile(\"" << marks
        << "\") + \"ran\", \"" << marks << "\")\n";
  };
  script("every", "#runmode: 2\n#schdcount: 1\n#schddwm: minute\n#schddatetime: " + UtcText(now - 50s) + "\n");
  script("once", "#runmode: 1\n#schddatetime: " + UtcText(now + 20s) + "\n");
  ChildProcess& tarnwick = Start(false, false, {"SCHEDULE"}, "LogSchedule=1\n");
  const unsigned long icon = trayIcon(bed_, tarnwick.pid());
  ASSERT_NE(icon, 0u) << "no tray icon";

  // A run waits for the tick after its time: give each its time on top of the usual patience.
  ASSERT_TRUE(waitUntil([&] { return Runs(At("every.txt")) == 1; }, kPatience + 10s));
  ASSERT_TRUE(waitUntil([&] { return Runs(At("once.txt")) == 1; }, kPatience + 20s));
  const Picture on = IconWhen(icon, "tarnwick-tray-schedule", Amber);
  EXPECT_GT(on.share(Amber), 0.3) << "the icon shows the schedule";
  std::string log;
  ASSERT_TRUE(waitUntil([&] {
    log = readFile(At("schedule.txt"));
    return LogLines(log, "once.tws", "Finish") == 1;
  })) << log;
  EXPECT_TRUE(log.starts_with("*** Schedule Start at ")) << log;
  for (const char* name : {"every.tws", "once.tws"}) {
    EXPECT_EQ(LogLines(log, name, "Start"), 1) << name << " in\n" << log;
    EXPECT_EQ(LogLines(log, name, "Finish"), 1) << name << " in\n" << log;
  }

  // "S&top Schedule" from the tray menu: the icon idles, and the minute script's next time passes unused.
  ASSERT_NE(openTrayMenu(bed_, tarnwick.pid(), icon, 3), 0u) << "no tray menu";
  Keys({"t"});
  const Picture off = IconWhen(icon, "tarnwick-tray-schedule-stopped", Blueish);
  EXPECT_GT(off.share(Blueish), 0.3);
  EXPECT_LT(off.share(Amber), 0.05);
  // Showing that nothing runs takes the time a run would have come at: the second minute after the minute
  // script's start, one tick, and a little more.
  const auto quietUntil = now + 70s + 10s + 5s;
  waitUntil([&] { return WallClock::now() >= quietUntil || Runs(At("every.txt")) != 1; },
            std::chrono::duration_cast<std::chrono::milliseconds>(quietUntil - WallClock::now()) + 1s);
  EXPECT_EQ(Runs(At("every.txt")), 1) << "a run after the stop";
  EXPECT_EQ(Runs(At("once.txt")), 1);
  EXPECT_TRUE(tarnwick.running());
}

TEST_F(TarnwickTray, EditHandsOverToTheEditorWhoseEndGivesTheWindowTheIconAndTheHotKeysBack) {
  std::ofstream(Scripts() / "hello.tws") << "#description: Say hello\n#hotkey: Ctrl+Alt+H\nx = savetofile(\"edited\", \""
                                         << At("edited.txt") << "\")\n";
  ChildProcess& tarnwick = Start(true);
  const unsigned long icon = trayIcon(bed_, tarnwick.pid());
  ASSERT_NE(icon, 0u) << "no tray icon";
  const unsigned long window = bed_.waitForWindow({kTitle, "", tarnwick.pid()});
  const auto gone = [&](unsigned long id) { return !bed_.probe().facts(id) || !bed_.probe().facts(id)->viewable; };
  const auto hotkeyHeld = [&] { return bed_.probe().keyGrabbedElsewhere(XK_h, ControlMask | Mod1Mask); };
  ASSERT_TRUE(waitUntil(hotkeyHeld));

  // The first script is selected: Ctrl+E edits it.
  Run({"xdotool", "windowactivate", "--sync", std::to_string(window), "key", "ctrl+e"});
  const unsigned long editor = bed_.waitForWindow({"Tarnwick Script Editor", "", tarnwick.pid()});
  EXPECT_TRUE(waitUntil([&] { return gone(window) && gone(icon) && !hotkeyHeld(); }))
      << "the window, the tray icon and the hotkey stay while the editor is open";
  Picture shot;
  EXPECT_TRUE(waitUntil([&] {
    shot = Shot(editor, "tarnwick-editor-handover");
    return shot.share(White) > 0.3 && shot.share(Dark) > 0.001;
  })) << "the page with the script's text never showed";
  EXPECT_GE(shot.width, 600);
  // F9 runs what the editor opened: the script that was selected.
  Run({"xdotool", "windowactivate", "--sync", std::to_string(editor), "key", "F9"});
  EXPECT_TRUE(waitUntil([&] { return readFile(At("edited.txt")).starts_with("edited"); }));

  Run({"xdotool", "windowactivate", "--sync", std::to_string(editor), "key", "alt+F4"});
  EXPECT_TRUE(waitUntil([&] { return gone(editor); }));
  const unsigned long back = bed_.waitForWindow({kTitle, "", tarnwick.pid()});
  EXPECT_EQ(back, window);
  EXPECT_NE(trayIcon(bed_, tarnwick.pid()), 0u) << "the tray icon is back";
  EXPECT_TRUE(waitUntil(hotkeyHeld)) << "the hotkeys are back";
  EXPECT_TRUE(tarnwick.running());
}

}  // namespace
}  // namespace tw::testbed
