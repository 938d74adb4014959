// Opens COUNT titled windows on DISPLAY, then finds the bottom-most one by its title ROUNDS times with
// FindWindowByTitle and ROUNDS times with `xdotool search --name`, checks both found the same window and prints
// the median time of each and their ratio.
//
//   window_search_bench :5 200 30

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <thread>
#include <vector>

#include "commands/window_search.h"
#include "port/x11/x11_desktop.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::string Title(int i) {
  char text[32];
  std::snprintf(text, sizeof text, "tw bench %03d", i);
  return text;
}

// Runs xdotool and gives the first window id it printed (0 when none).
unsigned long RunXdotool(const std::string& display, const std::string& pattern) {
  int fds[2];
  if (pipe(fds) != 0) return 0;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  std::vector<std::string> argv{"xdotool", "search", "--name", pattern};
  std::vector<char*> args;
  for (auto& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  setenv("DISPLAY", display.c_str(), 1);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, "xdotool", &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  std::string out;
  char buffer[256];
  ssize_t got = 0;
  while (spawned == 0 && (got = read(fds[0], buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<size_t>(got));
  close(fds[0]);
  if (spawned != 0) return 0;
  int status = 0;
  waitpid(pid, &status, 0);
  return out.empty() ? 0 : std::stoul(out);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s DISPLAY [COUNT [ROUNDS]]\n", argv[0]);
    return 2;
  }
  const std::string display = argv[1];
  const int count = argc > 2 ? std::stoi(argv[2]) : 200;
  const int rounds = argc > 3 ? std::stoi(argv[3]) : 30;

  Display* x = XOpenDisplay(display.c_str());
  if (!x) {
    std::fprintf(stderr, "cannot open display %s\n", display.c_str());
    return 2;
  }
  const Atom utf8 = XInternAtom(x, "UTF8_STRING", False);
  const Atom netName = XInternAtom(x, "_NET_WM_NAME", False);
  std::vector<Window> windows;
  for (int i = 0; i < count; ++i) {
    const Window w = XCreateSimpleWindow(x, DefaultRootWindow(x), (i % 20) * 30, (i / 20) * 30, 120, 60, 0, 0, 0);
    const std::string title = Title(i);
    XStoreName(x, w, title.c_str());
    XChangeProperty(x, w, netName, utf8, 8, PropModeReplace, reinterpret_cast<const unsigned char*>(title.data()),
                    static_cast<int>(title.size()));
    XMapWindow(x, w);
    windows.push_back(w);
  }
  XSync(x, False);

  std::string problem;
  auto desktop = tw::port::x11::X11Desktop::open(display, problem);
  if (!desktop) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 2;
  }
  tw::port::WindowService& service = desktop->windows();
  // The first window made is the bottom-most: every other window is looked at before it.
  const std::string wanted = Title(0);
  const auto deadline = Clock::now() + std::chrono::seconds(60);
  while (tw::FindWindowByTitle(service, wanted, true, true, false) != windows[0] ||
         service.topLevelWindows().size() < static_cast<size_t>(count)) {
    if (Clock::now() > deadline) {
      std::fprintf(stderr, "the windows did not all come up\n");
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (RunXdotool(display, "^" + wanted + "$") != windows[0]) {
    std::fprintf(stderr, "xdotool found another window\n");
    return 1;
  }

  std::vector<double> ours, theirs;
  for (int round = 0; round < rounds; ++round) {
    auto start = Clock::now();
    const auto found = tw::FindWindowByTitle(service, wanted, true, true, false);
    ours.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    start = Clock::now();
    const auto peer = RunXdotool(display, "^" + wanted + "$");
    theirs.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    if (found != windows[0] || peer != windows[0]) {
      std::fprintf(stderr, "round %d: a search missed the window\n", round);
      return 1;
    }
  }
  const double a = Median(ours), b = Median(theirs);
  std::printf("windows: %d (top-level windows seen: %zu), rounds: %d\n", count, service.topLevelWindows().size(),
              rounds);
  std::printf("%-24s %12s\n", "search", "median_us");
  std::printf("%-24s %12.0f\n", "FindWindowByTitle", a);
  std::printf("%-24s %12.0f\n", "xdotool search --name", b);
  std::printf("ratio (xdotool / ours): %.2f\n", b / a);
  XCloseDisplay(x);
  return 0;
}
