#include "interpreter/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "interpreter/value.h"

namespace tw {

namespace {

[[noreturn]] void Fail(const std::string& path) {
  throw ScriptFailure("Cannot write file \"" + path + "\": " + std::strerror(errno));
}

}  // namespace

void WriteFileAtomically(const std::string& path, std::string_view data) {
  std::string pattern = path + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) Fail(path);
  const std::string temporary(name.data());
  struct stat existing {};
  mode_t mode = 0666;
  if (::stat(path.c_str(), &existing) == 0) {
    mode = existing.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  bool ok = ::fchmod(fd, mode) == 0;
  const char* at = data.data();
  std::size_t left = data.size();
  while (ok && left > 0) {
    ssize_t written = ::write(fd, at, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    at += written;
    left -= static_cast<std::size_t>(written);
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  const int savedErrno = errno;
  if (::close(fd) != 0 && ok) ok = false;
  if (ok && ::rename(temporary.c_str(), path.c_str()) == 0) return;
  const int failure = ok ? errno : savedErrno;
  ::unlink(temporary.c_str());
  errno = failure;
  Fail(path);
}

}  // namespace tw
