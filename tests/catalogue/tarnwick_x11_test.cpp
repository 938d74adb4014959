// tarnwick on a private X server with openbox: the main window on the example catalogue (screenshot kept
// under the build's artifacts folder), one instance per display, taking over after a crash, portable use and
// the file association it writes at start, the conversations it offers on the session bus.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "private_bus.h"
#include "screenshot.h"
#include "test_bed.h"

namespace tw::testbed {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTitle = "Tarnwick for Windows 95/98/NT/2000/XP";

bool White(int r, int g, int b) { return r > 245 && g > 245 && b > 245; }
bool Dark(int r, int g, int b) { return r < 90 && g < 90 && b < 90; }
bool ClockYellow(int r, int g, int b) { return r > 220 && g > 170 && b < 120; }

class TarnwickOnX11 : public ::testing::Test {
 protected:
  TarnwickOnX11() { Prepare(bed_); }

  // A private runtime folder, so that the instance's lock and socket are where the test can see them.
  static void Prepare(TestBed& bed) {
    fs::create_directories(bed.dir() / "run");
    fs::permissions(bed.dir() / "run", fs::perms::owner_all);
  }

  static ChildProcess& Start(TestBed& bed, const std::vector<std::string>& arguments = {},
                             const std::string& program = TARNWICK_PATH, const std::string& log = "tarnwick.log") {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return bed.launch(argv, {{"XDG_RUNTIME_DIR=" + (bed.dir() / "run").string()}, bed.dir() / log, -1});
  }
  ChildProcess& Start(const std::vector<std::string>& arguments = {}) { return Start(bed_, arguments); }

  fs::path Config() const { return bed_.dir() / "home/.config/tarnwick/tarnwick.ini"; }
  fs::path Data() const { return bed_.dir() / "home/.local/share"; }

  // The example catalogue, copied so that nothing the test does reaches the sources.
  void UseExampleCatalogue(bool showWindow) {
    fs::copy(TW_EXAMPLE_CATALOGUE, bed_.dir() / "catalogue", fs::copy_options::recursive);
    fs::create_directories(Config().parent_path());
    std::ofstream(Config()) << "[Settings]\nScriptPath=" << (bed_.dir() / "catalogue/").string()
                            << "\nWidth=1000\nHeight=520\nItemSel=1\n[Preferences]\nLoadEditor="
                            << (showWindow ? 1 : 0) << "\n[Tips]\nShowTips=0\n";
  }

  bool Listening() const {
    for (const auto& entry : fs::directory_iterator(bed_.dir() / "run"))
      if (entry.path().extension() == ".socket") return true;
    return false;
  }

  bool Active(unsigned long window) { return bed_.probe().activeWindow() == window; }

  // Alt+F4 as a user presses it, until the window is off the screen: on a loaded machine a press that comes
  // while the program is still starting up can be lost, and then a later one does it.
  void CloseWithKeys(unsigned long window) {
    const auto hidden = [&] {
      const std::optional<WindowFacts> facts = bed_.probe().facts(window);
      return !facts || !facts->viewable;
    };
    for (int press = 0; press < 6 && !hidden(); ++press) {
      ChildProcess& keys =
          bed_.launch({"xdotool", "windowactivate", "--sync", std::to_string(window), "key", "alt+F4"});
      ASSERT_EQ(keys.waitForExit(kPatience), 0);
      if (waitUntil(hidden, std::chrono::seconds(5))) return;
    }
    ASSERT_TRUE(hidden()) << "Alt+F4 did not close the window";
  }

  TestBed bed_{{.windowManager = true}};
};

TEST_F(TarnwickOnX11, TheMainWindowShowsTheExampleCatalogue) {
  UseExampleCatalogue(true);
  ChildProcess& tarnwick = Start();
  const unsigned long window = bed_.waitForWindow({kTitle, "", tarnwick.pid()});
  // The window is drawn a moment after it is mapped: take pictures until the list is there.
  Picture shot;
  const bool drawn = waitUntil([&] {
    shot = screenshot(bed_, window, "tarnwick-main-window", TW_ARTIFACTS_DIR);
    // A 16-pixel clock is some 30 pixels of half a million.
    return shot.share(ClockYellow) > 0.00002 && shot.share(Dark) > 0.002;
  });
  EXPECT_TRUE(drawn) << "the scheduled script's icon or the text never showed";
  EXPECT_GE(shot.width, 1000);
  EXPECT_GE(shot.height, 520);
  EXPECT_GT(shot.share(White), 0.3);  // the tree and the list
  EXPECT_TRUE(Active(window));
}

TEST_F(TarnwickOnX11, ASecondStartBringsTheHiddenFirstToTheFront) {
  UseExampleCatalogue(false);
  ChildProcess& first = Start();
  ASSERT_TRUE(waitUntil([&] { return Listening(); }));

  ChildProcess& second = Start(bed_, {}, TARNWICK_PATH, "second.log");
  EXPECT_EQ(second.waitForExit(kPatience), 0);
  const unsigned long window = bed_.waitForWindow({kTitle, "", first.pid()});
  EXPECT_TRUE(waitUntil([&] { return Active(window); }));

  // Closing only hides it; a start with an argument shows it again and says the argument was not acted on.
  CloseWithKeys(window);
  ASSERT_TRUE(waitUntil([&] { return !bed_.probe().facts(window) || !bed_.probe().facts(window)->viewable; }));
  ChildProcess& third = Start(bed_, {"SCHEDULE"}, TARNWICK_PATH, "third.log");
  EXPECT_EQ(third.waitForExit(kPatience), 1);
  EXPECT_NE(readFile(bed_.dir() / "third.log").find("\"SCHEDULE\" was not acted on"), std::string::npos);
  const unsigned long again = bed_.waitForWindow({kTitle, "", first.pid()});
  EXPECT_TRUE(waitUntil([&] { return Active(again); }));

  // Shown but behind another window: it comes to the front.
  const StartedProgram term = bed_.startXterm("in front");
  ASSERT_TRUE(waitUntil([&] { return Active(term.window); }));
  ChildProcess& fourth = Start(bed_, {}, TARNWICK_PATH, "fourth.log");
  EXPECT_EQ(fourth.waitForExit(kPatience), 0);
  EXPECT_TRUE(waitUntil([&] { return Active(again); }));
  EXPECT_TRUE(first.running());
}

TEST_F(TarnwickOnX11, EachDisplayHasItsOwnInstanceAndAKilledOneIsTakenOver) {
  TestBed other({.windowManager = true});
  Prepare(other);
  ChildProcess& here = Start();
  ChildProcess& there = Start(other);
  bed_.waitForWindow({kTitle, "", here.pid()});
  other.waitForWindow({kTitle, "", there.pid()});
  EXPECT_TRUE(here.running());
  EXPECT_TRUE(there.running());

  ::kill(here.pid(), SIGKILL);
  EXPECT_EQ(here.waitForExit(kPatience), 128 + SIGKILL);
  ChildProcess& next = Start(bed_, {}, TARNWICK_PATH, "next.log");
  bed_.waitForWindow({kTitle, "", next.pid()});
  EXPECT_TRUE(next.running());
}

TEST_F(TarnwickOnX11, WithItsSettingsFileBesideItEverythingStaysBesideIt) {
  const fs::path programs = bed_.dir() / "unpacked programs";
  fs::create_directories(programs);
  fs::copy_file(TARNWICK_PATH, programs / "tarnwick");
  fs::copy_file(BRINDLE_PATH, programs / "brindle");
  std::ofstream(programs / "tarnwick.ini") << "; kept with the programs\n[Tips]\nShowTips=0\n";
  ChildProcess& tarnwick = Start(bed_, {}, (programs / "tarnwick").string());
  const unsigned long window = bed_.waitForWindow({kTitle, "", tarnwick.pid()});
  CloseWithKeys(window);  // hiding writes the settings
  ASSERT_TRUE(waitUntil([&] { return readFile(programs / "tarnwick.ini").find("[Settings]") != std::string::npos; }));
  const std::string ini = readFile(programs / "tarnwick.ini");
  EXPECT_EQ(ini.rfind("; kept with the programs\n", 0), 0u);
  EXPECT_NE(ini.find("ScriptPath=" + (programs / "Scripts/").string()), std::string::npos) << ini;
  EXPECT_TRUE(fs::is_directory(programs / "Scripts"));
  EXPECT_FALSE(fs::exists(bed_.dir() / "home/.config/tarnwick"));
  EXPECT_FALSE(fs::exists(Data() / "tarnwick"));
  // Scripts open in the brindle that came with it.
  EXPECT_NE(readFile(Data() / "applications/tarnwick-brindle.desktop").find((programs / "brindle").string()),
            std::string::npos);
}

TEST_F(TarnwickOnX11, TheFileAssociationIsRewrittenOnlyWhenAPartIsMissing) {
  const std::vector<fs::path> files{Data() / "mime/packages/tarnwick.xml",
                                    Data() / "applications/tarnwick-brindle.desktop",
                                    Data() / "icons/hicolor/48x48/mimetypes/application-x-tarnwick-script.png"};
  const auto times = [&] {
    std::vector<fs::file_time_type> out;
    for (const fs::path& file : files) out.push_back(fs::exists(file) ? fs::last_write_time(file) : fs::file_time_type());
    return out;
  };
  const auto startAndStop = [&] {
    ChildProcess& tarnwick = Start();
    bed_.waitForWindow({kTitle, "", tarnwick.pid()});
    tarnwick.stop();
  };
  startAndStop();
  const std::vector<fs::file_time_type> written = times();
  for (const fs::path& file : files) ASSERT_TRUE(fs::exists(file)) << file;
  EXPECT_NE(readFile(bed_.dir() / "home/.config/mimeapps.list").find("tarnwick-brindle.desktop"), std::string::npos);
  startAndStop();
  EXPECT_EQ(times(), written);
  fs::remove(files.back());
  startAndStop();
  const std::vector<fs::file_time_type> rewritten = times();
  for (std::size_t i = 0; i < files.size(); ++i) EXPECT_GT(rewritten[i], written[i]) << files[i];
  EXPECT_EQ(readFile(files.back()), readFile(TW_SCRIPT_ICON));
}

TEST_F(TarnwickOnX11, AScriptItRunsServesItsTopicOnTheSessionBusWhileItsWindowWaits) {
  PrivateBus bus;
  std::ofstream(bed_.dir() / "serve.tws")
      << "#description: serve\nddeserverstart(\"orders\")\nddeserveradditem(\"status\")\n"
         "ddeserversetitem(\"status\", \"ready\")\nprint \"Serving\"\n";
  ChildProcess& tarnwick =
      bed_.launch({TARNWICK_PATH, (bed_.dir() / "serve.tws").string()},
                  {{"XDG_RUNTIME_DIR=" + (bed_.dir() / "run").string(), bus.environment()}, bed_.dir() / "tarnwick.log", -1});
  const unsigned long print = bed_.waitForWindow({"Print", "", static_cast<int>(tarnwick.pid())});
  const std::string name = "org.tarnwick.Conversation.tarnwick.p" + std::to_string(tarnwick.pid());

  // The print window waits for the user all along: the answers come from the waiting program.
  std::string topics;
  ASSERT_TRUE(waitUntil([&] { return (topics = bus.callConversation(name, "Topics")).starts_with("(['orders'"); }))
      << topics;
  EXPECT_NE(topics.find("'Print'"), std::string::npos) << topics;
  std::smatch id;
  const std::string connected = bus.callConversation(name, "Connect", "orders");
  ASSERT_TRUE(std::regex_search(connected, id, std::regex("uint64 ([0-9]+)"))) << connected;
  EXPECT_EQ(bus.callConversation(name, "Request", id[1].str() + " status"), "('ready\\r\\n',)\n");

  // tarnwick SCRIPT ends with its run.
  ChildProcess& keys = bed_.launch({"xdotool", "windowactivate", "--sync", std::to_string(print), "key", "Return"});
  ASSERT_EQ(keys.waitForExit(kPatience), 0);
  EXPECT_EQ(tarnwick.waitForExit(kPatience), 0);
}

}  // namespace
}  // namespace tw::testbed
