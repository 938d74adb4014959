#include "test_bed.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

namespace tw::testbed {
namespace {

// Each step of the bed with the time it took, on stderr: ctest shows it for a failed test, where a slow or
// stuck step is the first thing to look for.
class Step {
 public:
  explicit Step(std::string what) : what_(std::move(what)), start_(std::chrono::steady_clock::now()) {}
  ~Step() {
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
    std::fprintf(stderr, "[testbed] %s: %lld ms\n", what_.c_str(), static_cast<long long>(took.count()));
  }
  Step(const Step&) = delete;
  Step& operator=(const Step&) = delete;

 private:
  std::string what_;
  std::chrono::steady_clock::time_point start_;
};

bool matches(const WindowFacts& facts, const WindowQuery& query) {
  if (!query.title.empty() && facts.title != query.title) return false;
  if (!query.className.empty() && facts.className != query.className && facts.instance != query.className)
    return false;
  if (query.pid && facts.pid != query.pid) return false;
  return true;
}

// Reads the display number Xvfb writes to the pipe once it accepts connections.
std::string readDisplayNumber(int fd, std::chrono::milliseconds timeout) {
  std::string text;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (text.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd ready{fd, POLLIN, 0};
    const int r = poll(&ready, 1, static_cast<int>(left.count()));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    char buffer[32];
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got <= 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  const auto end = text.find('\n');
  return end == std::string::npos ? std::string() : text.substr(0, end);
}

}  // namespace

TestBed::TestBed(const TestBedOptions& options) {
  std::filesystem::create_directories(dir_ / "home");
  if (options.sessionBus) bus_ = std::make_unique<PrivateBus>();
  startServer(options);
  probe_ = std::make_unique<XProbe>(display_);
  if (options.windowManager) startWindowManager();
}

TestBed::~TestBed() {
  Step step("stop the programs, the window manager and the server of " + display_);
  if (tmuxStarted_) {
    try {
      tmux({"kill-server"});
    } catch (const std::exception&) {
    }
    // The server is not our child: it cannot be collected, only watched until it is gone.
    if (tmuxServer_ > 0 && !waitUntil([&] { return kill(tmuxServer_, 0) != 0; }, std::chrono::seconds(10)))
      kill(tmuxServer_, SIGKILL);
  }
  programs_.clear();
  probe_.reset();
  windowManager_.reset();
  server_.reset();
  bus_.reset();
}

void TestBed::killServer() {
  probe_.reset();
  ::kill(server_->pid(), SIGKILL);
}

void TestBed::startServer(const TestBedOptions& options) {
  Step step("start Xvfb");
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
  const std::string screen = std::to_string(options.width) + "x" + std::to_string(options.height) + "x24";
  try {
    // -displayfd: the server itself takes the first free display number and reports it when it is ready.
    server_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", screen,
                                 "-nolisten", "tcp", "-noreset"},
        LaunchOptions{{}, dir_ / "xvfb.log", pipeFds[1]});
  } catch (...) {
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    throw;
  }
  ::close(pipeFds[1]);
  const std::string number = readDisplayNumber(pipeFds[0], kPatience);
  ::close(pipeFds[0]);
  if (number.empty())
    throw std::runtime_error("Xvfb did not report a display; its log says: " + readFile(dir_ / "xvfb.log"));
  display_ = ":" + number;
}

void TestBed::startWindowManager() {
  Step step("start openbox on " + display_);
  windowManager_ = std::make_unique<ChildProcess>(std::vector<std::string>{"openbox", "--sm-disable"},
                                                  LaunchOptions{environment(), dir_ / "openbox.log", -1});
  const auto failed = [&] {
    return std::runtime_error("openbox did not take over the screen; its log says: " + readFile(dir_ / "openbox.log"));
  };
  if (!waitUntil([&] { return !probe_->windowManagerName().empty() || !windowManager_->running(); }) ||
      probe_->windowManagerName().empty())
    throw failed();
  // openbox announces itself before it has finished starting, and a window mapped in that moment may go
  // unnoticed (a program that maps one then waits seconds for an answer). It is ready once it takes a new
  // window under its management; a window it missed is replaced by another.
  std::vector<unsigned long> checks;
  auto lastCheck = std::chrono::steady_clock::time_point();
  const bool managing = waitUntil([&] {
    for (unsigned long check : checks)
      if (probe_->wmState(check)) return true;
    if (!windowManager_->running()) return false;
    if (std::chrono::steady_clock::now() - lastCheck > std::chrono::milliseconds(250)) {
      checks.push_back(probe_->createWindow("testbed: is the window manager managing?", false));
      lastCheck = std::chrono::steady_clock::now();
    }
    return false;
  }) && windowManager_->running();
  for (unsigned long check : checks) probe_->destroyWindow(check);
  if (!managing) throw failed();
}

std::vector<std::string> TestBed::environment() const {
  const std::string home = (dir_ / "home").string();
  return {"DISPLAY=" + display_,
          "HOME=" + home,
          "XDG_CONFIG_HOME=" + home + "/.config",
          "XDG_CACHE_HOME=" + home + "/.cache",
          "XDG_DATA_HOME=" + home + "/.local/share",
          "TMUX_TMPDIR=" + dir_.path().string(),
          "TMUX=",
          // An address no program can reach stops libdbus and GLib from starting a bus of their own.
          bus_ ? bus_->environment() : "DBUS_SESSION_BUS_ADDRESS=disabled:"};
}

ChildProcess& TestBed::launch(const std::vector<std::string>& argv, LaunchOptions options) {
  std::vector<std::string> environment = this->environment();
  environment.insert(environment.end(), options.environment.begin(), options.environment.end());
  options.environment = std::move(environment);
  return programs_.emplace_back(argv, options);
}

unsigned long TestBed::waitForWindow(const WindowQuery& query, std::chrono::milliseconds timeout) {
  Step step("wait for the window '" + query.title + "'");
  unsigned long found = 0;
  std::vector<WindowFacts> seen;
  waitUntil(
      [&] {
        seen = probe_->allWindows();
        for (const auto& facts : seen) {
          if (!matches(facts, query) || !facts.viewable) continue;
          if (hasWindowManager() && !facts.managed) continue;
          found = facts.id;
          return true;
        }
        return false;
      },
      timeout);
  if (found) return found;
  std::string names;
  for (const auto& facts : seen)
    if (!facts.title.empty() || !facts.className.empty())
      names += " [" + facts.title + " / " + facts.className + (facts.viewable ? "" : ", hidden") + "]";
  throw std::runtime_error("no window titled '" + query.title + "' of class '" + query.className +
                           "' appeared; windows seen:" + names);
}

StartedProgram TestBed::startXterm(const std::string& title, const std::vector<std::string>& command) {
  // Titles stay as given: programs inside cannot retitle the window.
  std::vector<std::string> argv{"xterm", "-T", title, "-xrm", "*allowTitleOps: false", "-geometry", "80x24"};
  if (!command.empty()) {
    argv.push_back("-e");
    argv.insert(argv.end(), command.begin(), command.end());
  }
  ChildProcess& process = launch(argv, {{}, dir_ / ("xterm-" + std::to_string(programs_.size()) + ".log"), -1});
  return {process, waitForWindow({title, "XTerm", process.pid()})};
}

StartedProgram TestBed::startTmuxInXterm(const std::string& title, const std::vector<std::string>& command) {
  if (tmuxStarted_) throw std::logic_error("one tmux session per test bed");
  const auto config = dir_ / "tmux.conf";
  // The session ends with its xterm, and with it the tmux server, even if this bed never gets to clean up.
  std::ofstream(config) << "set -g destroy-unattached on\nset -g status off\n";
  std::vector<std::string> tmux{"tmux", "-L", "testbed", "-f", config.string(), "new-session"};
  tmux.insert(tmux.end(), command.begin(), command.end());
  tmuxStarted_ = true;
  StartedProgram started = startXterm(title, tmux);
  const std::string pid = this->tmux({"display-message", "-p", "#{pid}"});
  tmuxServer_ = pid.empty() ? 0 : std::stoi(pid);
  return started;
}

std::string TestBed::tmux(const std::vector<std::string>& arguments) {
  const auto out = dir_ / "tmux-command.txt";
  std::vector<std::string> argv{"tmux", "-L", "testbed"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  ChildProcess command(argv, {environment(), out, -1});
  if (command.waitForExit(kPatience) != 0) return {};
  return readFile(out);
}

}  // namespace tw::testbed
