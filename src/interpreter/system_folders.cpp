#include "interpreter/system_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace tw {

namespace {

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

std::string TemporaryFolder() {
  if (const char* folder = std::getenv("TMPDIR"); folder && *folder) return WithTrailingSlash(folder);
  return "/tmp/";
}

const std::string& StartFolder() { return startFolder; }

}  // namespace tw
