#include "interpreter/file_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <utility>
#include <vector>

#include "files/atomic_file.h"
#include "files/file_text.h"
#include "interpreter/file_attributes.h"
#include "interpreter/value.h"

namespace tw {

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

FileStatus StatusFrom(const struct stat& info) {
  FileStatus status;
  status.size = info.st_size;
  status.modifiedSeconds = info.st_mtim.tv_sec;
  status.modifiedNanoseconds = static_cast<std::int32_t>(info.st_mtim.tv_nsec);
  status.folder = S_ISDIR(info.st_mode);
  status.regular = S_ISREG(info.st_mode);
  return status;
}

class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  bool Close() {  // false when closing reported a failure (data not written)
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool CopyBytes(int from, int to) {
  std::vector<char> buffer(1 << 20);
  for (;;) {
    const ssize_t got = ::read(from, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    if (!WriteAll(to, std::string_view(buffer.data(), static_cast<std::size_t>(got)))) return false;
  }
}

// The copy keeps the source's permissions, last-write time and stored file attributes.
bool CopyContentAndAttributes(int from, const struct stat& source, int to) {
  if (!CopyBytes(from, to)) return false;
  if (::fchmod(to, source.st_mode & 0777) != 0) return false;
  CopyStoredFileAttributes(from, to);
  const timespec times[2] = {source.st_atim, source.st_mtim};
  return ::futimens(to, times) == 0;
}

}  // namespace

bool IsPlantedLink(const std::string& path) {
  struct stat link {};
  if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return false;
  struct stat folder {};
  if (::stat(FolderOf(path).c_str(), &folder) != 0) return false;
  const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
  return shared && link.st_uid != ::geteuid() && link.st_uid != folder.st_uid;
}

std::string ReplacementTarget(const std::string& path) {
  std::string at = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info {};
    if (::lstat(at.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return at;
    if (IsPlantedLink(at))
      throw ScriptFailure("Cannot write file \"" + path + "\": it is a symbolic link in a shared folder, " +
                          "owned by another user");
    std::vector<char> target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 4096) + 1);
    const ssize_t length = ::readlink(at.c_str(), target.data(), target.size());
    if (length < 0 || static_cast<std::size_t>(length) >= target.size()) return at;
    const std::string next(target.data(), static_cast<std::size_t>(length));
    at = next.starts_with('/') ? next : FolderOf(at) + "/" + next;
  }
  throw ScriptFailure(FileFailure("Cannot write file", path, ELOOP));
}

bool CopyRegularFile(const std::string& sourcePath, const std::string& destPath, bool overwrite) {
  Descriptor from(::open(sourcePath.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat source {};
  if (from.get() < 0 || ::fstat(from.get(), &source) != 0 || !S_ISREG(source.st_mode)) return false;
  if (!overwrite) {
    Descriptor to(::open(destPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (to.get() < 0) return false;
    if (CopyContentAndAttributes(from.get(), source, to.get()) && to.Close()) return true;
    ::unlink(destPath.c_str());
    return false;
  }
  std::string target;
  try {
    target = ReplacementTarget(destPath);
  } catch (const ScriptFailure&) {
    return false;
  }
  struct stat existing {};
  if (::stat(target.c_str(), &existing) == 0 &&
      (S_ISDIR(existing.st_mode) || (existing.st_dev == source.st_dev && existing.st_ino == source.st_ino)))
    return false;  // a folder, or the source itself
  try {
    AtomicFileWriter copy(target);
    if (!CopyContentAndAttributes(from.get(), source, copy.Descriptor())) return false;
    copy.Commit();
  } catch (const std::runtime_error&) {
    return false;
  }
  return true;
}

bool MoveWithoutReplacing(const std::string& oldPath, const std::string& newPath) {
  if (::renameat2(AT_FDCWD, oldPath.c_str(), AT_FDCWD, newPath.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EXDEV) {
    struct stat info {};
    if (::lstat(oldPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    if (!CopyRegularFile(oldPath, newPath, false)) return false;
    if (::unlink(oldPath.c_str()) == 0) return true;
    ::unlink(newPath.c_str());
    return false;
  }
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system that cannot refuse to replace: look first.
  struct stat info {};
  if (::lstat(newPath.c_str(), &info) == 0 || errno != ENOENT) return false;
  return ::rename(oldPath.c_str(), newPath.c_str()) == 0;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool ChangeFolder(const std::string& folder) { return ::chdir(folder.c_str()) == 0; }

bool MakeFolder(const std::string& folder) { return ::mkdir(folder.c_str(), 0777) == 0; }

bool RemoveFolder(const std::string& folder) { return ::rmdir(folder.c_str()) == 0; }

std::optional<FileStatus> StatusOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return StatusFrom(info);
}

OpenFile::OpenFile(const std::string& path, Access access) {
  int flags = O_CLOEXEC;
  switch (access) {
    case Access::Read: flags |= O_RDONLY; break;
    case Access::ReadNoWait: flags |= O_RDONLY | O_NONBLOCK; break;
    case Access::Write: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
    case Access::Append: flags |= O_WRONLY | O_APPEND; break;
  }
  do {
    fd_ = ::open(path.c_str(), flags, 0666);
  } while (fd_ < 0 && errno == EINTR);
}

OpenFile::~OpenFile() {
  if (fd_ >= 0) ::close(fd_);
}

OpenFile::OpenFile(OpenFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

OpenFile& OpenFile::operator=(OpenFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

std::optional<FileStatus> OpenFile::Status() const {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) return std::nullopt;
  return StatusFrom(info);
}

std::ptrdiff_t OpenFile::Read(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(fd_, buffer, size);
    if (got >= 0 || errno != EINTR) return got;
  }
}

bool OpenFile::ReadAt(std::uint64_t offset, void* out, std::size_t size) const {
  auto* at = static_cast<char*>(out);
  while (size > 0) {
    const ssize_t got = ::pread(fd_, at, size, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    at += got;
    offset += static_cast<std::uint64_t>(got);
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

bool OpenFile::Write(std::string_view data) { return WriteAll(fd_, data); }

bool OpenFile::Close() {
  const int fd = std::exchange(fd_, -1);
  return ::close(fd) == 0;
}

FolderLock::FolderLock(const std::string& folder) {
  fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) throw std::runtime_error(FileFailure("Cannot open folder", folder, errno));
  while (::flock(fd_, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    const int error = errno;
    ::close(fd_);
    throw std::runtime_error(FileFailure("Cannot lock folder", folder, error));
  }
}

FolderLock::~FolderLock() { ::close(fd_); }

}  // namespace tw
