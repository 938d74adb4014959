#include "port/system/program_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

extern char** environ;

namespace tw::port::system {

namespace {

// How long one wait may keep the caller's event loop from running.
constexpr int kLongestWaitMs = 10;
// A program asked to end that is still there after this is killed.
constexpr auto kGraceAfterTerm = std::chrono::seconds(2);

// A descriptor that becomes readable when the process ends (glibc's wrapper lacks C++ linkage).
int ExitDescriptor(pid_t pid) { return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)); }

class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { reset(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

}  // namespace

RunResult PosixProgramRunner::run(const std::string& program, const std::vector<std::string>& arguments,
                                  std::string_view input, const std::function<bool()>& keepWaiting) {
  // A socket rather than a pipe: writing to a program that has gone away then fails with an error
  // (MSG_NOSIGNAL) instead of a SIGPIPE for the whole process.
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
    return {false, false, -1, std::string("cannot make a channel: ") + std::strerror(errno)};
  Descriptor ours(ends[0]), theirs(ends[1]);
  ::shutdown(ours.get(), SHUT_RD);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, theirs.get(), STDIN_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int error = posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return {false, false, -1, std::string(std::strerror(error)) + ": " + program};
  theirs.reset();

  Descriptor exited(ExitDescriptor(pid));
  ::fcntl(ours.get(), F_SETFL, ::fcntl(ours.get(), F_GETFL) | O_NONBLOCK);
  std::size_t sent = 0;
  if (input.empty()) ours.reset();
  bool gaveUp = false;
  std::chrono::steady_clock::time_point askedToEnd;
  for (;;) {
    pollfd waits[2] = {{exited.get(), POLLIN, 0}, {ours.get(), POLLOUT, 0}};
    const nfds_t count = ours.get() >= 0 ? 2 : 1;
    ::poll(exited.get() >= 0 ? waits : waits + 1, exited.get() >= 0 ? count : count - 1, kLongestWaitMs);
    if (ours.get() >= 0 && (waits[1].revents & (POLLOUT | POLLERR | POLLHUP))) {
      const ssize_t written = ::send(ours.get(), input.data() + sent, input.size() - sent, MSG_NOSIGNAL);
      if (written > 0) sent += static_cast<std::size_t>(written);
      // All of it given, or the program stopped reading: either way it sees the end of its input.
      if (sent == input.size() || (written < 0 && errno != EAGAIN && errno != EINTR)) ours.reset();
    }
    int status = 0;
    const pid_t ended = ::waitpid(pid, &status, WNOHANG);
    if (ended == pid) {
      if (gaveUp) return {true, false, -1, {}};
      if (WIFEXITED(status)) return {true, true, WEXITSTATUS(status), {}};
      return {true, false, -1, {}};
    }
    if (gaveUp) {
      if (std::chrono::steady_clock::now() - askedToEnd > kGraceAfterTerm) ::kill(pid, SIGKILL);
    } else if (keepWaiting && !keepWaiting()) {
      gaveUp = true;
      askedToEnd = std::chrono::steady_clock::now();
      ::kill(pid, SIGTERM);
      ours.reset();
    }
  }
}

}  // namespace tw::port::system
