#include "files/system_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace tw {

namespace {

// An XDG base folder: $variable when it is absolute, else home + fallback.
std::string BaseFolder(const char* variable, const char* fallback) {
  const char* base = std::getenv(variable);
  return base && *base == '/' ? WithTrailingSlash(base) : HomeFolder() + fallback;
}

std::string CurrentFolder() {
  std::error_code error;
  std::filesystem::path path = std::filesystem::current_path(error);
  return error ? std::string() : path.string();
}

// Taken before main runs, so that a later chdir() does not move it.
const std::string startFolder = CurrentFolder();

}  // namespace

std::string WithTrailingSlash(std::string path) {
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}

std::string_view FolderPart(std::string_view file) {
  const std::size_t slash = file.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : file.substr(0, slash + 1);
}

std::string_view NamePart(std::string_view file) {
  const std::size_t slash = file.rfind('/');
  return slash == std::string_view::npos ? file : file.substr(slash + 1);
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return WithTrailingSlash(home);
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir && *found->pw_dir)
    return WithTrailingSlash(found->pw_dir);
  return "/";
}

std::string ProgramFolder() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return "";
  return std::string(FolderPart(program.string()));
}

std::string UserConfigHome() { return BaseFolder("XDG_CONFIG_HOME", ".config/"); }

std::string UserDataHome() { return BaseFolder("XDG_DATA_HOME", ".local/share/"); }

std::vector<std::string> SystemDataFolders() {
  const char* dirs = std::getenv("XDG_DATA_DIRS");
  std::string_view list = dirs && *dirs ? dirs : "/usr/local/share:/usr/share";
  std::vector<std::string> folders;
  while (!list.empty()) {
    const std::size_t colon = list.find(':');
    // Relative entries are invalid by the base directory rules and are passed over.
    if (const std::string_view dir = list.substr(0, colon); !dir.empty() && dir.front() == '/')
      folders.push_back(WithTrailingSlash(std::string(dir)));
    list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
  }
  return folders;
}

std::string ProgramName() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : program.filename().string();
}

ProgramPlaces PlacesOf(std::string_view program, const std::string& programFolder) {
  const std::string fileName = std::string(program) + ".ini";
  struct stat info {};
  const std::string beside = programFolder + fileName;
  if (!programFolder.empty() && ::stat(beside.c_str(), &info) == 0 && S_ISREG(info.st_mode))
    return {beside, programFolder, true};
  return {UserConfigHome() + "tarnwick/" + fileName, UserDataHome() + "tarnwick/", false};
}

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool CreateFolders(const std::string& folder, unsigned mode) {
  struct stat info {};
  if (::stat(folder.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return true;
    errno = ENOTDIR;
    return false;
  }
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::string parent(FolderPart(path));
  if (!parent.empty() && parent != path && !CreateFolders(parent, mode)) return false;
  return ::mkdir(path.c_str(), static_cast<mode_t>(mode)) == 0 || errno == EEXIST;
}

std::string TemporaryFolder() {
  if (const char* folder = std::getenv("TMPDIR"); folder && *folder) return WithTrailingSlash(folder);
  return "/tmp/";
}

const std::string& StartFolder() { return startFolder; }

}  // namespace tw
