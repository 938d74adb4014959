#pragma once
// The operating system's file and directory calls that the file functions, the file table and the
// settings files make. Everything here is a seam: a port to another system replaces file_system.cpp and
// keeps this header. The names stay clear of the ones the Windows headers define as macros.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tw {

// True for a symbolic link that someone else planted in a shared folder (sticky and writable by all,
// like /tmp): owned neither by this user nor by the folder's owner. Following such a link would let that
// someone choose which of this user's files gets written.
bool IsPlantedLink(const std::string& path);

// Where text written to path should go: a symbolic link stays a link and its target is replaced. Throws
// ScriptFailure for a planted link (IsPlantedLink) anywhere along the chain, and for a loop of links.
std::string ReplacementTarget(const std::string& path);

// Copies a regular file with its permissions, last-write time and stored file attributes. Without
// overwrite the copy is created only where no file is; with it an existing file is replaced by renaming a
// finished copy over it, so it is never half written (through a link, its target is replaced; a folder or
// the source itself never is). False when the copy was not made.
bool CopyRegularFile(const std::string& source, const std::string& dest, bool overwrite);
// Renames or moves a file or folder; never replaces an existing new name. A file moves to another file
// system by copy and delete.
bool MoveWithoutReplacing(const std::string& from, const std::string& to);
// Each false when the system refuses (errno tells why).
bool RemoveFile(const std::string& path);
bool ChangeFolder(const std::string& folder);
bool MakeFolder(const std::string& folder);    // one level, with the permissions the user's mask allows
bool RemoveFolder(const std::string& folder);  // only an empty one

struct FileStatus {
  std::int64_t size = 0;
  std::int64_t modifiedSeconds = 0;  // since 1970-01-01 UTC
  std::int32_t modifiedNanoseconds = 0;
  bool folder = false;
  bool regular = false;
};
// What the system knows of path (links followed); nothing when it cannot be examined (errno tells why).
std::optional<FileStatus> StatusOf(const std::string& path);

// A file the system has open; closed with the object.
class OpenFile {
 public:
  enum class Access {
    Read,
    ReadNoWait,  // reading that does not wait for the other end of a pipe or a device
    Write,       // creates the file or empties it
    Append,      // the file must exist
  };

  OpenFile() = default;
  // Opens path (links followed), retrying interrupted calls. Not open on failure; errno tells why.
  OpenFile(const std::string& path, Access access);
  ~OpenFile();
  OpenFile(OpenFile&& other) noexcept;
  OpenFile& operator=(OpenFile&& other) noexcept;
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  std::optional<FileStatus> Status() const;
  // Up to size bytes, retrying interrupted calls: how many were read, 0 at the end, -1 on failure (errno).
  std::ptrdiff_t Read(char* buffer, std::size_t size);
  // Exactly size bytes from offset; false on failure or when the file ends first.
  bool ReadAt(std::uint64_t offset, void* out, std::size_t size) const;
  // All of data, across short writes; false with errno on failure.
  bool Write(std::string_view data);
  // False when closing reported a failure (data not written); errno tells why.
  bool Close();

 private:
  int fd_ = -1;
};

// An exclusive lock on a folder, held for the life of the object, so processes that change a file in it
// take turns. Throws std::runtime_error with the system's reason when the folder cannot be opened or
// locked.
class FolderLock {
 public:
  explicit FolderLock(const std::string& folder);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace tw
