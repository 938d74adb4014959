#include "catalogue/script_listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <exception>
#include <memory>

#include "catalogue/script_header.h"
#include "interpreter/ascii_text.h"

namespace tw {

namespace {

bool IsScriptName(const std::string& name) {
  return !name.starts_with('.') && name.size() > 4 && EqualsIgnoringAsciiCase(name.substr(name.size() - 4), ".tws");
}

// Names of the script files in directory, sorted, so that listings do not depend on the file system's order.
std::vector<std::string> ScriptNames(const std::string& directory) {
  std::vector<std::string> names;
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(directory.c_str()), ::closedir);
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir.get())) {
    std::string name = entry->d_name;
    if (!IsScriptName(name)) continue;
    if (entry->d_type != DT_REG) {
      struct stat info {};
      const std::string path = directory + name;
      if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) continue;
      if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    }
    names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

const std::string& KeyOf(const ScriptItem& item, int column) {
  switch (column) {
    case kSortByFileName: return item.fileName;
    case kSortByLocation: return item.fullPath;
    default: return item.description;
  }
}

}  // namespace

ScriptListing ListScripts(const std::string& directory, HotKeyTable* hotkeys) {
  ScriptListing listing;
  TScriptHeader header;
  for (const std::string& name : ScriptNames(directory)) {
    ScriptItem item;
    item.fileName = name;
    item.fullPath = directory + name;
    try {
      ReadScriptHeader(item.fullPath, header);
    } catch (const std::exception& error) {
      listing.unreadable.push_back(name + ": " + error.what());
      continue;
    }
    if (header.description.empty()) continue;
    item.description = header.description;
    item.hotkey = std::string(Trimmed(header.hotkey));
    if (!item.hotkey.empty() && hotkeys) item.hotkeyIndex = hotkeys->AddHotKey(item.hotkey);
    item.kind = header.enableschd          ? ScriptKind::Scheduled
                : header.apptype == "DOS" ? ScriptKind::Dos
                                           : ScriptKind::Windows;
    listing.items.push_back(std::move(item));
  }
  return listing;
}

void SortScripts(std::vector<ScriptItem>& items, int column) {
  std::vector<std::pair<std::string, ScriptItem>> keyed;
  keyed.reserve(items.size());
  for (ScriptItem& item : items) keyed.emplace_back(UpperAscii(KeyOf(item, column)), std::move(item));
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 0; i < items.size(); ++i) items[i] = std::move(keyed[i].second);
}

}  // namespace tw
