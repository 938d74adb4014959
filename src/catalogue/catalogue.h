#pragma once
// The catalogue behind the main window: the script path, the folder tree, the selected folder and the
// scripts listed from it, and the operations on folders and scripts with the questions and messages they
// bring. Widgets show this state and hand the user's actions to it; tests drive it directly.

#include <optional>
#include <string>
#include <vector>

#include "catalogue/folder_tree.h"
#include "catalogue/script_listing.h"
#include "port/hotkeys.h"

namespace tw {

// What the catalogue asks of the person using it: modal message boxes and an input box.
class CatalogueUser {
 public:
  virtual ~CatalogueUser() = default;
  virtual void Warning(const std::string& text) = 0;
  virtual void Error(const std::string& text) = 0;
  // A Yes/No question; true for Yes.
  virtual bool Confirm(const std::string& question) = 0;
  // The text entered, or nothing when the box was cancelled.
  virtual std::optional<std::string> Input(const std::string& caption, const std::string& prompt,
                                           const std::string& initial) = 0;
};

class Catalogue {
 public:
  Catalogue(CatalogueUser& user, std::string defaultScriptPath);

  // The table that listings hand hotkeys to; none until one is set.
  void SetHotKeyTable(HotKeyTable* table) { hotkeys_ = table; }

  const std::string& ScriptPath() const { return scriptPath_; }
  void SetScriptPath(const std::string& path);  // a trailing "/" is added
  const std::string& DefaultScriptPath() const { return defaultScriptPath_; }
  // Relative path of the selected folder; "" for the root.
  const std::string& ActiveFolder() const { return activeFolder_; }
  void SetActiveFolder(const std::string& folder) { activeFolder_ = folder; }
  int SortColumn() const { return sortColumn_; }
  void SetSortColumn(int column);
  // The list item to select after the next listing.
  int SelectedPosition() const { return selectedPosition_; }
  void SetSelectedPosition(int position) { selectedPosition_ = position; }

  // Reads the tree from the disk. A script path that is not there is replaced by the default (with a
  // warning, unless it was the default) and the default folder is created. The node named by the active
  // folder is selected; when there is none, the root, and the active folder becomes "".
  void RebuildFolderTree();
  // Nothing when the script path could not be made.
  const std::optional<FolderNode>& Tree() const { return tree_; }
  const FolderNode* SelectedFolder() const;

  // The folder's directory, with a trailing "/": the script path itself for the root.
  std::string FolderDirectory(const std::string& relativePath) const;

  // Lists the scripts of a folder, sorted by the sort column, and selects the item at the selected position
  // (none when it is beyond the list). Scripts whose header cannot be read are named in one error message.
  void ListFolderScripts(const std::string& relativePath);
  // The listed scripts (full paths) whose hotkey is the combination, folder by folder in tree order (the root
  // first), by file name within a folder. Scripts whose header cannot be read are passed over.
  std::vector<std::string> ScriptsWithHotKey(const port::KeyCombination& combination) const;
  // Makes the folder the active one and lists it.
  void SelectFolder(const std::string& relativePath);
  const std::vector<ScriptItem>& Items() const { return items_; }
  // Index of the selected list item; -1 for none.
  int SelectedItem() const { return selectedItem_; }
  void SetSelectedItem(int index);
  const ScriptItem* SelectedScript() const;

  // Sorts the list again by another column; the selected script stays selected.
  void SortBy(int column);

  // The folder and script operations of the main window. Each asks and reports through the user, and
  // leaves tree, active folder and list as they should be shown next.
  void NewFolder();
  void RenameFolder();
  void DeleteFolder();
  void DeleteScript();
  // Moves the script of list item `index` into the folder; it never replaces a file there.
  void MoveScript(int index, const std::string& folderRelativePath);

 private:
  bool IsRoot(const FolderNode* node) const { return node && node->relativePath.empty(); }

  CatalogueUser& user_;
  HotKeyTable* hotkeys_ = nullptr;
  std::string defaultScriptPath_;
  std::string scriptPath_;
  std::string activeFolder_;
  int sortColumn_ = kSortByDescription;
  int selectedPosition_ = 0;
  std::optional<FolderNode> tree_;
  std::vector<ScriptItem> items_;
  int selectedItem_ = -1;
};

// Renames without replacing what is already at `to` (a file, or an empty folder, which a plain rename
// would replace). False with errno set when it fails.
bool RenameWithoutReplacing(const std::string& from, const std::string& to);

}  // namespace tw
