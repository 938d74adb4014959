#include "files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <stdexcept>
#include <vector>

namespace tw {

namespace {

[[noreturn]] void Fail(const std::string& path, int error) {
  throw std::runtime_error("Cannot write file \"" + path + "\": " + std::strerror(error));
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The permissions the new file gets: the old file's, or what the user's mask allows for a new one.
mode_t ModeFor(const std::string& path) {
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0) return existing.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string path, AtomicWriteOptions options)
    : path_(std::move(path)), options_(options) {
  fd_ = ::open(FolderOf(path_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd_ < 0) {
    std::string pattern = path_ + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) Fail(path_, errno);
    temporary_ = name.data();
  }
  if (::fchmod(fd_, ModeFor(path_)) != 0) failure_ = errno;
}

AtomicFileWriter::~AtomicFileWriter() {
  if (fd_ >= 0) ::close(fd_);
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

bool AtomicFileWriter::Write(std::string_view data) {
  if (failure_ == 0 && !WriteAll(fd_, data)) failure_ = errno;
  return failure_ == 0;
}

// rename needs a name to move: the unnamed file gets one only for that instant.
bool AtomicFileWriter::LinkUnderTemporaryName() {
  const std::string self = "/proc/self/fd/" + std::to_string(fd_);
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = path_ + ".tw" + std::to_string(random() % 1000000000u);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      temporary_ = std::move(name);
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

void AtomicFileWriter::Commit() {
  if (failure_ == 0 && options_.syncBeforeRename && ::fsync(fd_) != 0) failure_ = errno;
  if (failure_ == 0 && temporary_.empty() && !LinkUnderTemporaryName()) failure_ = errno;
  if (::close(fd_) != 0 && failure_ == 0) failure_ = errno;
  fd_ = -1;
  if (failure_ == 0 && ::rename(temporary_.c_str(), path_.c_str()) != 0) failure_ = errno;
  if (failure_ != 0) Fail(path_, failure_);  // the destructor removes a temporary name
  temporary_.clear();
}

void WriteFileAtomically(const std::string& path, std::string_view data) {
  AtomicFileWriter writer(path);
  writer.Write(data);
  writer.Commit();
}

bool WriteAll(int descriptor, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = ::write(descriptor, data.data(), data.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace tw
