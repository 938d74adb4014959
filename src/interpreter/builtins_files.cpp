// fileexists, filedelete, filecopy, filerename, fileinfo, fileversion, filegetattr, filesetattr,
// filename, loadfromfile and savetofile.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "interpreter/atomic_file.h"
#include "interpreter/builtins.h"
#include "interpreter/file_attributes.h"
#include "interpreter/file_system.h"
#include "interpreter/file_text.h"
#include "interpreter/interpreter.h"
#include "interpreter/locale/datetime.h"
#include "interpreter/pe_version.h"
#include "interpreter/system_folders.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

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

// Copies a regular file. Without overwrite the copy is created only where no file is; with it an
// existing file is replaced by renaming a finished copy over it, so it is never half written.
bool CopyFile(const std::string& sourcePath, const std::string& destPath, bool overwrite) {
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
  } catch (const ScriptFailure&) {
    return false;
  }
  return true;
}

// Renames or moves a file or folder; never replaces an existing new name. A file moves to
// another file system by copy and delete.
bool RenameFile(const std::string& oldPath, const std::string& newPath) {
  if (::renameat2(AT_FDCWD, oldPath.c_str(), AT_FDCWD, newPath.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EXDEV) {
    struct stat info {};
    if (::lstat(oldPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    if (!CopyFile(oldPath, newPath, false)) return false;
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

void FileExists(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string file = in.ReadArgument();
  if (in.CheckMode) return;
  result = ScriptValue::Integer(ExistsAsFile(file) ? 1 : 0);
}

void FileDelete(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string file = in.ReadArgument();
  if (in.CheckMode || file.empty()) return;
  result = ScriptValue::Integer(::unlink(file.c_str()) == 0 ? 1 : 0);
}

void FileCopy(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string source = in.ReadArgument();
  const std::string dest = in.ReadArgument();
  const ScriptValue modeArgument = in.ReadOptionalArgument(ScriptValue::Integer(0));
  if (in.CheckMode) return;
  std::int32_t mode = 0;
  if (!IntegerArgument(in, modeArgument, mode) || source.empty() || dest.empty()) return;
  result = ScriptValue::Integer(CopyFile(source, dest, mode == 1) ? 1 : 0);
}

void FileRename(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string oldName = in.ReadArgument();
  const std::string newName = in.ReadArgument();
  if (in.CheckMode || oldName.empty() || newName.empty()) return;
  result = ScriptValue::Integer(RenameFile(oldName, newName) ? 1 : 0);
}

void FileInfo(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("0");
  const std::string what = LowerAscii(in.ReadArgument());
  const std::string file = in.ReadArgument();
  if (in.CheckMode) return;
  if (std::string_view(" age length size ").find(what) == std::string_view::npos) {
    in.ScriptError("Invalid Value");
    return;
  }
  struct stat info {};
  if (file.empty()) return;
  if (::stat(file.c_str(), &info) != 0) {
    if (!IsMissingFileError(errno)) in.ScriptError(FileFailure("Cannot examine", file, errno));
    return;
  }
  if (what == "age") {
    try {
      const double age = localDateTimeFromUnixTime(info.st_mtim.tv_sec, static_cast<std::int32_t>(info.st_mtim.tv_nsec));
      result = ScriptValue(formatDateTime("dd/mm/yyyy hh:nn:ss", age));
    } catch (const std::out_of_range&) {
      in.ScriptError("The last-write time of \"" + file + "\" is out of range");
    }
  } else if (std::string_view("length;size").find(what) != std::string_view::npos) {
    result = ScriptValue(std::to_string(S_ISDIR(info.st_mode) ? 0 : info.st_size));
  }
}

void FileVersion(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  const std::string file = in.ReadArgument();
  if (in.CheckMode || file.empty()) return;
  int error = 0;
  const std::optional<PeFileVersion> version = ReadPeFileVersionOfFile(file, error);
  if (version) {
    result = ScriptValue(version->ToText());
  } else if (error != 0 && !IsMissingFileError(error)) {
    in.ScriptError(FileFailure("Cannot read file", file, error));
  }
}

void FileGetAttr(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  const std::string file = in.ReadArgument();
  if (in.CheckMode || file.empty()) return;
  // A missing file has no attributes.
  if (const std::optional<unsigned> attributes = ReadFileAttributes(file))
    result = ScriptValue(AttributeLetters(*attributes));
  else if (!IsMissingFileError(errno))
    in.ScriptError(FileFailure("Cannot examine", file, errno));
}

void FileSetAttr(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(1);
  const std::string file = in.ReadArgument();
  const std::string letters = in.ReadArgument();
  if (in.CheckMode) return;
  const bool done = !file.empty() && WriteFileAttributes(file, ParseAttributeLetters(letters));
  result = ScriptValue::Integer(done ? 1 : 0);
}

void FileName(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  const std::string what = LowerAscii(in.ReadArgument());
  const std::string file = in.ReadArgument();
  if (in.CheckMode) return;
  if (std::string_view(" ext path name ").find(what) == std::string_view::npos) {
    in.ScriptError("Invalid Value");
    return;
  }
  const std::string_view name = NamePart(file);
  if (what == "ext") {
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) result = ScriptValue(name.substr(dot));
  } else if (what == "path") {
    result = ScriptValue(FolderPart(file));
  } else if (what == "name") {
    result = ScriptValue(Trimmed(name.substr(0, name.find('.'))));
  }
}

void LoadFromFile(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue("");
  const std::string file = in.ReadArgument();
  if (in.CheckMode || file.empty()) return;
  Descriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (!IsMissingFileError(errno)) in.ScriptError(FileFailure("Cannot read file", file, errno));
    return;
  }
  std::string text;
  struct stat info {};
  if (::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode)) text.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      in.ScriptError(FileFailure("Cannot read file", file, errno));
      return;
    }
    if (got == 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  result = ScriptValue(WithCrLfLines(text));
}

void SaveToFile(TBasicInterpreter& in, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string text = in.ReadArgument();
  const std::string file = in.ReadArgument();
  if (in.CheckMode) return;
  try {
    WriteFileAtomically(ReplacementTarget(file), WithCrLfLines(text));
  } catch (const ScriptFailure& failure) {
    in.ScriptError(failure.what());
    return;
  }
  result = ScriptValue::Integer(1);
}

}  // namespace

void AddFileFunctions(BuiltinTable& table) {
  table.Set(Builtin::FileExists, FileExists);
  table.Set(Builtin::FileDelete, FileDelete);
  table.Set(Builtin::FileCopy, FileCopy);
  table.Set(Builtin::FileRename, FileRename);
  table.Set(Builtin::FileInfo, FileInfo);
  table.Set(Builtin::FileVersion, FileVersion);
  table.Set(Builtin::FileGetAttr, FileGetAttr);
  table.Set(Builtin::FileSetAttr, FileSetAttr);
  table.Set(Builtin::FileName, FileName);
  table.Set(Builtin::LoadFromFile, LoadFromFile);
  table.Set(Builtin::SaveToFile, SaveToFile);
}

}  // namespace tw
