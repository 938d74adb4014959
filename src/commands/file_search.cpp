#include "commands/file_search.h"

#include <dirent.h>

#include <algorithm>
#include <memory>

#include "commands/file_mask.h"
#include "files/system_folders.h"

namespace tw {

namespace {

int Rank(const std::string& name) { return name == "." ? 0 : name == ".." ? 1 : 2; }

}  // namespace

std::vector<std::string> MatchingEntries(std::string_view mask) {
  const std::string_view pattern = NamePart(mask);
  if (pattern.empty()) return {};
  const std::string folder(FolderPart(mask));
  const std::unique_ptr<DIR, int (*)(DIR*)> entries(::opendir(folder.empty() ? "." : folder.c_str()), ::closedir);
  if (!entries) return {};
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(entries.get()))
    if (MaskMatches(pattern, entry->d_name)) names.emplace_back(entry->d_name);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const int rankA = Rank(a), rankB = Rank(b);
    return rankA != rankB ? rankA < rankB : a < b;
  });
  return names;
}

}  // namespace tw
