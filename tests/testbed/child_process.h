#pragma once
// A program the test started, in a process group of its own. Ending the object ends the whole group
// (SIGTERM, then SIGKILL after a grace period) and collects the exit status, so nothing outlives the test,
// not even when an assertion fails half-way. If the test process itself dies, the kernel sends the program
// SIGKILL (parent-death signal).

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tw::testbed {

struct LaunchOptions {
  std::vector<std::string> environment;  // "NAME=value" entries added to (or replacing in) the test's own
  std::filesystem::path output;          // file for standard output and error; empty: inherited
  int extraFd = -1;                      // a descriptor the program inherits under the same number
};

class ChildProcess {
 public:
  // Throws std::runtime_error when the program cannot be started; argv[0] is looked up in PATH.
  ChildProcess(const std::vector<std::string>& argv, const LaunchOptions& options = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  const std::string& name() const { return name_; }
  bool running();
  // Waits for the program to end by itself: its exit code (128 + the signal number when a signal ended it),
  // or nullopt on time-out.
  std::optional<int> waitForExit(std::chrono::milliseconds timeout);
  // Ends the process group now; idempotent.
  void stop();

 private:
  // The exit code once the program has ended. The ended program stays a zombie until stop(), so that its
  // process id (and with it the group id) cannot be given to another program before the group is killed.
  std::optional<int> exitCode();
  std::string name_;
  pid_t pid_ = -1;
};

}  // namespace tw::testbed
