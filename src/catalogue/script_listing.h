#pragma once
// The scripts of one catalogue folder as the list shows them, and their sort orders.

#include <string>
#include <vector>

namespace tw {

// Where the listing hands each script's hotkey: the table of system-wide hotkeys.
class HotKeyTable {
 public:
  virtual ~HotKeyTable() = default;
  // Takes the combination in its text form and gives the index of its entry; -1 when it makes none.
  virtual int AddHotKey(const std::string& text) = 0;
};

enum class ScriptKind { Windows, Dos, Scheduled };

struct ScriptItem {
  std::string description;
  std::string fileName;  // without folder
  std::string fullPath;
  std::string hotkey;    // trimmed
  int hotkeyIndex = -1;  // entry in the hotkey table
  ScriptKind kind = ScriptKind::Windows;
};

// Sort columns as the settings number them.
enum SortColumn { kSortByFileName = 0, kSortByDescription = 1, kSortByLocation = 2 };

struct ScriptListing {
  std::vector<ScriptItem> items;
  // One line per script whose header could not be read ("name: reason"); those are left out.
  std::vector<std::string> unreadable;
};

// The scripts (files ending in ".tws", any letter case, not hidden) of directory whose header has a
// description, in file-name order. Hotkeys go to the table when one is given.
ScriptListing ListScripts(const std::string& directory, HotKeyTable* hotkeys);

// Stable sort by the column's text compared in upper case.
void SortScripts(std::vector<ScriptItem>& items, int column);

}  // namespace tw
