#pragma once
// A private X desktop for one test: an Xvfb server on a free display, optionally the openbox window manager,
// an independent observer (XProbe) and the programs the test starts on it. Everything is stopped, by process
// group, when the TestBed ends, in the order programs, window manager, server.
//
//   tw::testbed::TestBed bed({.windowManager = true});
//   auto& term = bed.startXterm("editor-1", {"cat"});
//   EXPECT_TRUE(bed.probe().facts(term.window)->viewable);

#include <chrono>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "child_process.h"
#include "private_bus.h"
#include "temp_dir.h"
#include "waiting.h"
#include "x_probe.h"

namespace tw::testbed {

struct TestBedOptions {
  bool windowManager = true;
  // A session bus of the display's own, ended with it. Without one, programs are told there is none: left
  // to themselves they would start a bus for the display that nobody ends.
  bool sessionBus = true;
  int width = 1280;
  int height = 1024;
};

// What waitForWindow looks for; empty fields match anything.
struct WindowQuery {
  std::string title;      // the whole title
  std::string className;  // either half of WM_CLASS
  std::optional<int> pid;
};

struct StartedProgram {
  ChildProcess& process;
  unsigned long window;
};

class TestBed {
 public:
  // Throws std::runtime_error when the server or the window manager does not come up.
  explicit TestBed(const TestBedOptions& options = {});
  ~TestBed();
  TestBed(const TestBed&) = delete;
  TestBed& operator=(const TestBed&) = delete;

  // ":N"; give it to the code under test (the test process's own DISPLAY is left alone).
  const std::string& display() const { return display_; }
  XProbe& probe() { return *probe_; }
  const TempDir& dir() const { return dir_; }
  bool hasWindowManager() const { return windowManager_ != nullptr; }

  // Starts a program on this display (DISPLAY set, HOME and XDG folders inside dir(), the display's session
  // bus or none).
  ChildProcess& launch(const std::vector<std::string>& argv, LaunchOptions options = {});
  // The first window that matches and is on the screen (and, with a window manager, managed by it).
  // Throws std::runtime_error naming the windows seen when none shows up in time.
  unsigned long waitForWindow(const WindowQuery& query, std::chrono::milliseconds timeout = kPatience);

  // xterm with the title `title` running `command` (a shell when empty); waits for its window.
  StartedProgram startXterm(const std::string& title, const std::vector<std::string>& command = {});
  // tmux inside an xterm titled `title`, on a tmux server private to this bed; `command` runs in its one pane.
  StartedProgram startTmuxInXterm(const std::string& title, const std::vector<std::string>& command = {});
  // Runs a tmux command on the bed's tmux server and gives what it printed: tmux({"display", "-p", "#{pid}"}).
  std::string tmux(const std::vector<std::string>& arguments);
  // The text of the tmux pane started by startTmuxInXterm, as `tmux capture-pane -p` prints it.
  std::string tmuxPaneText() { return tmux({"capture-pane", "-p"}); }
  // Kills the X server at once (SIGKILL), as a crash would; probe() is gone from then on.
  void killServer();

 private:
  std::vector<std::string> environment() const;
  void startServer(const TestBedOptions& options);
  void startWindowManager();

  TempDir dir_;
  std::string display_;
  std::unique_ptr<PrivateBus> bus_;
  std::unique_ptr<ChildProcess> server_;
  std::unique_ptr<ChildProcess> windowManager_;
  std::unique_ptr<XProbe> probe_;
  bool tmuxStarted_ = false;
  int tmuxServer_ = 0;  // process id of the tmux server, which leaves our process group
  std::list<ChildProcess> programs_;
};

}  // namespace tw::testbed
