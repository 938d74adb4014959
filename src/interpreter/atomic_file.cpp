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

[[noreturn]] void Fail(const std::string& path, int error) {
  throw ScriptFailure("Cannot write file \"" + path + "\": " + std::strerror(error));
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string path, AtomicWriteOptions options)
    : path_(std::move(path)), options_(options) {
  std::string pattern = path_ + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  fd_ = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd_ < 0) Fail(path_, errno);
  temporary_ = name.data();
  struct stat existing {};
  mode_t mode = 0666;
  if (::stat(path_.c_str(), &existing) == 0) {
    mode = existing.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  if (::fchmod(fd_, mode) != 0) failure_ = errno;
}

AtomicFileWriter::~AtomicFileWriter() {
  if (fd_ >= 0) ::close(fd_);
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

bool AtomicFileWriter::Write(std::string_view data) {
  while (failure_ == 0 && !data.empty()) {
    const ssize_t written = ::write(fd_, data.data(), data.size());
    if (written < 0) {
      if (errno != EINTR) failure_ = errno;
      continue;
    }
    data.remove_prefix(static_cast<std::size_t>(written));
  }
  return failure_ == 0;
}

void AtomicFileWriter::Commit() {
  if (failure_ == 0 && options_.syncBeforeRename && ::fsync(fd_) != 0) failure_ = errno;
  if (::close(fd_) != 0 && failure_ == 0) failure_ = errno;
  fd_ = -1;
  if (failure_ == 0 && ::rename(temporary_.c_str(), path_.c_str()) != 0) failure_ = errno;
  if (failure_ != 0) Fail(path_, failure_);  // the destructor removes the temporary file
  temporary_.clear();
}

void WriteFileAtomically(const std::string& path, std::string_view data) {
  AtomicFileWriter writer(path);
  writer.Write(data);
  writer.Commit();
}

}  // namespace tw
