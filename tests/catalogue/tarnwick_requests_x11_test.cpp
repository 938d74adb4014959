// Requests from other programs reach tarnwick while it sits in the tray of a private X server with openbox:
// one set with xprop on its hidden main window, two queued at once by a small Xlib sender, and one sent while a
// run waits, which starts after that run.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "test_bed.h"
#include "tray.h"

namespace tw::testbed {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTitle = "Tarnwick for Windows 95/98/NT/2000/XP";
constexpr const char* kRequest = "_TARNWICK_RUN_REQUEST";

class TarnwickRequests : public ::testing::Test {
 protected:
  TarnwickRequests() {
    fs::create_directories(bed_.dir() / "run");
    fs::permissions(bed_.dir() / "run", fs::perms::owner_all);
    fs::create_directories(Scripts());
    std::ofstream(Log()).flush();
    startTray(bed_);
  }

  fs::path Scripts() const { return bed_.dir() / "scripts"; }
  std::string Log() const { return (bed_.dir() / "ran.txt").string(); }
  // A script that adds `word` to the log of runs, with `middle` in between its two lines when given.
  std::string Script(const std::string& word, const std::string& middle = "") {
    const std::string append = "h = fopen(\"" + Log() + "\", 3)\nx = fputs(h, \"";
    const std::string close = "\")\nx = fclose(h)\n";
    std::string text = "#description: " + word + "\n" + append + word + close;
    if (!middle.empty()) text += middle + append + word + "-end" + close;
    const fs::path file = Scripts() / (word + ".tws");
    std::ofstream(file) << text;
    return file.string();
  }

  ChildProcess& Start() {
    fs::create_directories(bed_.dir() / "home/.config/tarnwick");
    std::ofstream(bed_.dir() / "home/.config/tarnwick/tarnwick.ini")
        << "[Settings]\nScriptPath=" << Scripts().string() << "/\n[Preferences]\nLoadEditor=0\n[Tips]\nShowTips=0\n";
    return bed_.launch({TARNWICK_PATH},
                       {{"XDG_RUNTIME_DIR=" + (bed_.dir() / "run").string()}, bed_.dir() / "tarnwick.log", -1});
  }
  // What xprop says of one property of the window.
  std::string Property(unsigned long window, const std::string& name) {
    const fs::path out = bed_.dir() / "xprop.txt";
    ChildProcess& xprop = bed_.launch({"xprop", "-id", std::to_string(window), name}, {{}, out, -1});
    EXPECT_EQ(xprop.waitForExit(kPatience), 0);
    return readFile(out);
  }
  void Run(const std::vector<std::string>& argv) { ASSERT_EQ(bed_.launch(argv).waitForExit(kPatience), 0) << argv[0]; }
  // The hidden main window, once it takes requests.
  unsigned long Receiver(pid_t pid) {
    unsigned long window = 0;
    waitUntil([&] {
      for (const WindowFacts& w : bed_.probe().allWindows())
        if (w.pid == pid && w.title == kTitle) window = w.id;
      return window != 0 && Property(window, "_TARNWICK_RUN_REQUEST_RECEIVER").find("= 1") != std::string::npos;
    });
    return window;
  }
  bool LogIs(const std::string& lines) { return readFile(Log()) == lines; }

  TestBed bed_{{.windowManager = true}};
};

TEST_F(TarnwickRequests, RequestsRunInTheOrderTheyCameAndOneSentDuringARunStartsAfterIt) {
  const std::string first = Script("first");
  const std::string second = Script("second");
  Script("third");
  const std::string waiting = Script("waiting", "print \"Waiting\"\n");
  const std::string last = Script("last");
  ChildProcess& tarnwick = Start();
  const unsigned long window = Receiver(tarnwick.pid());
  ASSERT_NE(window, 0u) << readFile(bed_.dir() / "tarnwick.log");
  ASSERT_NE(trayIcon(bed_, tarnwick.pid()), 0u) << "in the tray";
  EXPECT_FALSE(bed_.probe().facts(window)->viewable);

  // The simple way of the shell.
  Run({"xprop", "-id", std::to_string(window), "-f", kRequest, "8s", "-set", kRequest, first});
  EXPECT_TRUE(waitUntil([&] { return LogIs("first\r\n"); })) << readFile(Log());

  // Two at once; the second by its name in the script path.
  Run({TW_RUN_REQUEST_BURST, std::to_string(window), second, "third.tws"});
  EXPECT_TRUE(waitUntil([&] { return LogIs("first\r\nsecond\r\nthird\r\n"); })) << readFile(Log());

  // One during a run: taken at once, started once the run is over.
  Run({TW_RUN_REQUEST_BURST, std::to_string(window), waiting});
  const unsigned long print = bed_.waitForWindow({"Print", "", static_cast<int>(tarnwick.pid())});
  Run({TW_RUN_REQUEST_BURST, std::to_string(window), last});
  ASSERT_TRUE(waitUntil([&] { return Property(window, kRequest).find("not found") != std::string::npos; }));
  EXPECT_TRUE(LogIs("first\r\nsecond\r\nthird\r\nwaiting\r\n"));
  Run({"xdotool", "windowactivate", "--sync", std::to_string(print), "key", "Return"});
  EXPECT_TRUE(waitUntil([&] { return LogIs("first\r\nsecond\r\nthird\r\nwaiting\r\nwaiting-end\r\nlast\r\n"); }))
      << readFile(Log());
  EXPECT_TRUE(tarnwick.running());
}

}  // namespace
}  // namespace tw::testbed
