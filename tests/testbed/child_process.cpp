#include "child_process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "waiting.h"

extern char** environ;

namespace tw::testbed {
namespace {

std::vector<std::string> mergedEnvironment(const std::vector<std::string>& extra) {
  std::map<std::string, std::string> entries;
  auto add = [&](const std::string& entry) {
    const auto equals = entry.find('=');
    entries[entry.substr(0, equals)] = entry;
  };
  for (char** e = environ; *e; ++e) add(*e);
  for (const auto& entry : extra) add(entry);
  std::vector<std::string> out;
  for (auto& [name, entry] : entries) out.push_back(entry);
  return out;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (auto& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const LaunchOptions& options) {
  if (argv.empty()) throw std::invalid_argument("ChildProcess needs a program");
  name_ = argv[0];
  std::vector<std::string> arguments = argv;
  std::vector<std::string> environment = mergedEnvironment(options.environment);
  std::vector<char*> argp = pointers(arguments);
  std::vector<char*> envp = pointers(environment);
  int output = -1;
  if (!options.output.empty()) {
    output = ::open(options.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (output < 0) throw std::runtime_error("cannot create " + options.output.string());
  }
  // Tells the parent whether exec failed: the pipe closes on a successful exec and carries errno otherwise.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
  const pid_t parent = getpid();

  pid_ = fork();
  if (pid_ == 0) {
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    if (output >= 0) {
      dup2(output, STDOUT_FILENO);
      dup2(output, STDERR_FILENO);
    }
    if (options.extraFd >= 0) fcntl(options.extraFd, F_SETFD, 0);
    int devnull = ::open("/dev/null", O_RDONLY);
    if (devnull >= 0) dup2(devnull, STDIN_FILENO);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execvpe(argp[0], argp.data(), envp.data());
    const int error = errno;
    (void)!write(report[1], &error, sizeof error);
    _exit(127);
  }
  const int forkError = errno;
  ::close(report[1]);
  if (output >= 0) ::close(output);
  if (pid_ < 0) {
    ::close(report[0]);
    throw std::runtime_error("fork failed: " + std::string(std::strerror(forkError)));
  }
  setpgid(pid_, pid_);  // also from here, so the group exists before we might signal it
  int error = 0;
  ssize_t got;
  do {
    got = read(report[0], &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  ::close(report[0]);
  if (got == static_cast<ssize_t>(sizeof error)) {
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    throw std::runtime_error("cannot start " + name_ + ": " + std::strerror(error));
  }
}

ChildProcess::~ChildProcess() { stop(); }

std::optional<int> ChildProcess::exitCode() {
  if (pid_ <= 0) return std::nullopt;
  siginfo_t info{};
  if (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid != pid_)
    return std::nullopt;
  return info.si_code == CLD_EXITED ? info.si_status : 128 + info.si_status;
}

bool ChildProcess::running() { return pid_ > 0 && !exitCode(); }

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
  waitUntil([&] { return !running(); }, timeout);
  return exitCode();
}

void ChildProcess::stop() {
  if (pid_ <= 0) return;
  // The group may hold the program's own children (a shell under xterm) even after the leader has ended.
  kill(-pid_, SIGTERM);
  waitUntil([&] { return !running(); }, std::chrono::seconds(10));
  kill(-pid_, SIGKILL);
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
}

}  // namespace tw::testbed
