#include "catalogue/script_listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <exception>
#include <memory>

#include "catalogue/script_header.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

bool IsScriptName(const std::string& name) {
  return !name.starts_with('.') && name.size() > 4 && EqualsIgnoringAsciiCase(name.substr(name.size() - 4), ".tws");
}

// Names of the script files in the open folder, sorted, so that listings do not depend on the file system's
// order.
std::vector<std::string> ScriptNames(DIR* folder) {
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(folder)) {
    std::string name = entry->d_name;
    if (!IsScriptName(name)) continue;
    if (entry->d_type != DT_REG) {
      struct stat info {};
      if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) continue;
      if (::fstatat(::dirfd(folder), name.c_str(), &info, 0) != 0 || !S_ISREG(info.st_mode)) continue;
    }
    names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// a before b, both compared upper-cased.
bool UpperBefore(const std::string& a, const std::string& b) {
  const auto upper = [](char c) { return static_cast<unsigned char>(UpperAsciiChar(c)); };
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i)
    if (upper(a[i]) != upper(b[i])) return upper(a[i]) < upper(b[i]);
  return a.size() < b.size();
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
  const std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(directory.c_str()), ::closedir);
  if (!folder) return listing;
  TScriptHeader header;
  const double now = nowAsDateTime();
  const std::vector<std::string> names = ScriptNames(folder.get());
  listing.items.reserve(names.size());
  for (const std::string& name : names) {
    ScriptItem item;
    item.fileName = name;
    item.fullPath = directory + name;
    try {
      ReadScriptHeaderAt(::dirfd(folder.get()), name, header, now);
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
  std::vector<std::size_t> order(items.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return UpperBefore(KeyOf(items[a], column), KeyOf(items[b], column));
  });
  // Put each item where the order says, following the cycles of the permutation.
  for (std::size_t i = 0; i < order.size(); ++i) {
    std::size_t at = i;
    while (order[at] != i) {
      std::swap(items[at], items[order[at]]);
      const std::size_t next = order[at];
      order[at] = at;
      at = next;
    }
    order[at] = at;
  }
}

}  // namespace tw
