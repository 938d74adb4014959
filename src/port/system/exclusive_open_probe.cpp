#include "port/system/exclusive_open_probe.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace tw::port::system {

namespace {

void IgnoreLeaseBreak(int) {}

bool IsNumber(const char* name) {
  if (!*name) return false;
  for (; *name; ++name)
    if (*name < '0' || *name > '9') return false;
  return true;
}

using Folder = std::unique_ptr<DIR, int (*)(DIR*)>;

// Another descriptor than `ownDescriptor` of this process refers to the file.
bool OpenInSomeProcess(dev_t device, ino_t inode, int ownDescriptor) {
  Folder processes(::opendir("/proc"), ::closedir);
  if (!processes) return false;
  const std::string self = std::to_string(::getpid());
  const std::string own = std::to_string(ownDescriptor);
  while (const dirent* process = ::readdir(processes.get())) {
    if (!IsNumber(process->d_name)) continue;
    const std::string folder = std::string("/proc/") + process->d_name + "/fd";
    Folder descriptors(::opendir(folder.c_str()), ::closedir);
    if (!descriptors) continue;  // gone meanwhile, or not ours to inspect
    const bool isSelf = self == process->d_name;
    while (const dirent* descriptor = ::readdir(descriptors.get())) {
      if (!IsNumber(descriptor->d_name) || (isSelf && own == descriptor->d_name)) continue;
      struct stat target {};
      if (::fstatat(::dirfd(descriptors.get()), descriptor->d_name, &target, 0) == 0 && target.st_dev == device &&
          target.st_ino == inode)
        return true;
    }
  }
  return false;
}

}  // namespace

void GuardLeaseBreakSignal() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction current {};
    if (::sigaction(SIGIO, nullptr, &current) != 0) return;
    if ((current.sa_flags & SA_SIGINFO) || current.sa_handler != SIG_DFL) return;
    struct sigaction harmless {};
    harmless.sa_handler = IgnoreLeaseBreak;
    sigemptyset(&harmless.sa_mask);
    harmless.sa_flags = SA_RESTART;
    ::sigaction(SIGIO, &harmless, nullptr);
  });
}

bool ExclusiveOpenProbe::opensExclusively(const std::string& path) {
  if (path.empty()) return false;
  // Not blocking: another holder's lease makes the open fail at once instead of waiting for it to break.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat file {};
  if (::fstat(fd, &file) != 0 || !S_ISREG(file.st_mode)) return false;
  if (method_ == Method::LeaseFirst) {
    GuardLeaseBreakSignal();
    if (::fcntl(fd, F_SETLEASE, F_WRLCK) == 0) {
      ::fcntl(fd, F_SETLEASE, F_UNLCK);
      return true;
    }
    // EAGAIN: open elsewhere. EACCES, EPERM, EINVAL and others: no lease to be had here, so look in /proc.
    if (errno == EAGAIN || errno == EWOULDBLOCK) return false;
  }
  return !OpenInSomeProcess(file.st_dev, file.st_ino, fd);
}

}  // namespace tw::port::system
