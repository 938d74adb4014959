#include "interpreter/file_system.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "interpreter/file_text.h"
#include "interpreter/value.h"

namespace tw {

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
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

}  // namespace tw
