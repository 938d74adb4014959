#include "port/system/process_launcher.h"

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tw::port::system {
namespace {

// "http://x", "mailto:a@b": a scheme of two or more letters, digits, '+', '-' or '.', then ':'.
bool looksLikeUrl(const std::string& target) {
  const auto colon = target.find(':');
  if (colon == std::string::npos || colon < 2 || !std::isalpha(static_cast<unsigned char>(target[0]))) return false;
  for (std::size_t i = 0; i < colon; ++i) {
    const auto c = static_cast<unsigned char>(target[i]);
    if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
  }
  return true;
}

std::string percentDecoded(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The local path a target names, or empty for a remote URL.
std::string localPath(const std::string& target) {
  if (target.rfind("file://", 0) == 0) {
    const auto slash = target.find('/', 7);
    return slash == std::string::npos ? std::string() : percentDecoded(target.substr(slash));
  }
  return looksLikeUrl(target) ? std::string() : target;
}

class SpawnSettings {
 public:
  SpawnSettings() {
    posix_spawn_file_actions_init(&actions_);
    posix_spawnattr_init(&attributes_);
    // The program gets no share of our standard input, a clean signal state and its own session, so that
    // it outlives us and a signal aimed at our terminal's process group does not reach it.
    posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes_, &none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigdefault(&attributes_, &all);
    posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
  }
  ~SpawnSettings() {
    posix_spawnattr_destroy(&attributes_);
    posix_spawn_file_actions_destroy(&actions_);
  }
  SpawnSettings(const SpawnSettings&) = delete;
  SpawnSettings& operator=(const SpawnSettings&) = delete;

  void changeFolder(const std::string& folder) { posix_spawn_file_actions_addchdir_np(&actions_, folder.c_str()); }
  const posix_spawn_file_actions_t* actions() const { return &actions_; }
  const posix_spawnattr_t* attributes() const { return &attributes_; }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
};

}  // namespace

PosixProcessLauncher::PosixProcessLauncher(std::string opener) : opener_(std::move(opener)) {}

PosixProcessLauncher::~PosixProcessLauncher() { reapFinished(); }

void PosixProcessLauncher::reapFinished() {
  std::vector<pid_t> still;
  for (pid_t pid : running_) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == 0) still.push_back(pid);
  }
  running_.swap(still);
}

StartResult PosixProcessLauncher::start(const std::string& program, const std::vector<std::string>& arguments,
                                        const std::string& workingFolder) {
  reapFinished();
  if (program.empty()) return {false, 0, "no program given"};
  struct stat folder {};
  if (!workingFolder.empty() && (::stat(workingFolder.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)))
    return {false, 0, "no such folder: " + workingFolder};
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  SpawnSettings settings;
  if (!workingFolder.empty()) settings.changeFolder(workingFolder);
  pid_t pid = 0;
  const int error = posix_spawnp(&pid, program.c_str(), settings.actions(), settings.attributes(), argv.data(), environ);
  if (error != 0) return {false, 0, std::string(std::strerror(error)) + ": " + program};
  running_.push_back(pid);
  return {true, static_cast<int>(pid), {}};
}

StartResult PosixProcessLauncher::open(const std::string& target) {
  if (target.empty()) return {false, 0, "nothing to open"};
  const std::string path = localPath(target);
  struct stat info {};
  if (!path.empty() && ::stat(path.c_str(), &info) != 0)
    return {false, 0, std::string(std::strerror(errno)) + ": " + target};
  return start(opener_, {target});
}

}  // namespace tw::port::system
