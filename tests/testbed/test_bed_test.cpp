// The test bed cleans up after itself: every process it started is gone when it ends, whole process groups
// included, also when the test that used it fails half-way.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "test_bed.h"

namespace tw::testbed {
namespace {

bool alive(pid_t pid) { return kill(pid, 0) == 0 || errno != ESRCH; }

// Process ids whose command line starts with `program`, among the descendants of this test process.
std::vector<pid_t> descendantsNamed(const std::string& program) {
  std::vector<pid_t> found;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream cmdline(entry.path() / "cmdline");
    std::string argv0;
    std::getline(cmdline, argv0, '\0');
    if (std::filesystem::path(argv0).filename() != program) continue;
    // Walk the parents up to this process.
    for (pid_t pid = std::stoi(name); pid > 1;) {
      std::ifstream status("/proc/" + std::to_string(pid) + "/status");
      std::string line;
      pid_t parent = 0;
      while (std::getline(status, line))
        if (line.rfind("PPid:", 0) == 0) parent = std::stoi(line.substr(5));
      if (parent == getpid()) {
        found.push_back(std::stoi(name));
        break;
      }
      pid = parent;
    }
  }
  return found;
}

TEST(ChildProcess, EndingItEndsItsWholeProcessGroup) {
  TempDir dir;
  const auto pidFile = dir / "grandchild";
  pid_t grandchild = 0;
  {
    // The shell starts a grandchild that ignores SIGTERM and would outlive its parent.
    ChildProcess shell({"sh", "-c", "sh -c 'trap \"\" TERM; echo $$ > " + pidFile.string() + "; exec sleep 600' & wait"});
    ASSERT_TRUE(waitUntil([&] { return readFile(pidFile).size() > 1; }));
    grandchild = std::stoi(readFile(pidFile));
    EXPECT_TRUE(alive(grandchild));
  }
  EXPECT_TRUE(waitUntil([&] { return !alive(grandchild); }));
}

TEST(ChildProcess, ReportsHowAProgramEnded) {
  ChildProcess exits({"sh", "-c", "exit 7"});
  EXPECT_EQ(exits.waitForExit(kPatience), 7);
  EXPECT_FALSE(exits.running());
  ChildProcess killed({"sh", "-c", "kill -9 $$"});
  EXPECT_EQ(killed.waitForExit(kPatience), 128 + SIGKILL);
  ChildProcess sleeps({"sleep", "600"});
  EXPECT_EQ(sleeps.waitForExit(std::chrono::milliseconds(50)), std::nullopt);
  EXPECT_THROW(ChildProcess({"tw-no-such-program"}), std::runtime_error);
}

TEST(TestBed, LeavesNoProcessBehind) {
  std::vector<pid_t> started;
  std::string display;
  {
    TestBed bed({.windowManager = true});
    display = bed.display();
    bed.startTmuxInXterm("tw tmux", {"sh", "-c", "echo pane-ready; exec sleep 600"});
    ASSERT_TRUE(waitUntil([&] { return bed.tmuxPaneText().find("pane-ready") != std::string::npos; }));
    bed.launch({"xev", "-geometry", "100x100+0+0"}, {{}, bed.dir() / "xev.txt", -1});
    bed.waitForWindow({"Event Tester", "", std::nullopt});
    for (const char* program : {"Xvfb", "openbox", "xterm", "xev"})
      for (pid_t pid : descendantsNamed(program)) started.push_back(pid);
    EXPECT_EQ(started.size(), 4u);
    // tmux runs its server, and the pane's program below it, outside our process tree.
    for (const char* field : {"#{pid}", "#{pane_pid}"}) {
      const std::string pid = bed.tmux({"display-message", "-p", field});
      ASSERT_FALSE(pid.empty()) << field;
      started.push_back(std::stoi(pid));
    }
  }
  for (pid_t pid : started) EXPECT_TRUE(waitUntil([&] { return !alive(pid); })) << "process " << pid << " outlived the bed";
  EXPECT_FALSE(std::filesystem::exists("/tmp/.X11-unix/X" + display.substr(1)));
}

// Processes anywhere on the machine whose environment names this display.
std::vector<pid_t> processesOnDisplay(const std::string& display) {
  std::vector<pid_t> found;
  const std::string wanted = "DISPLAY=" + display;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos || std::stoi(name) == getpid()) continue;
    std::ifstream environ(entry.path() / "environ", std::ios::binary);
    for (std::string variable; std::getline(environ, variable, '\0');)
      if (variable == wanted) found.push_back(std::stoi(name));
  }
  return found;
}

TEST(TestBed, ProgramsUseTheDisplaysOwnBusOrNone) {
  // A D-Bus client on a display without a bus address starts a session bus for that display, which
  // nobody ends; the bed gives its programs its own bus, or tells them there is none.
  for (const bool bus : {true, false}) {
    std::string display;
    {
      TestBed bed({.windowManager = false, .sessionBus = bus});
      display = bed.display();
      auto& client = bed.launch({"dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                                 "/org/freedesktop/DBus", "org.freedesktop.DBus.ListNames"},
                                {{}, bed.dir() / "dbus-send.txt", -1});
      EXPECT_EQ(client.waitForExit(kPatience), bus ? std::optional<int>(0) : std::optional<int>(1))
          << readFile(bed.dir() / "dbus-send.txt");
    }
    EXPECT_TRUE(waitUntil([&] { return processesOnDisplay(display).empty(); }))
        << processesOnDisplay(display).size() << " processes of display " << display << " outlived the bed";
  }
}

}  // namespace
}  // namespace tw::testbed
