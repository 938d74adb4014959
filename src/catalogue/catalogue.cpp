#include "catalogue/catalogue.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "catalogue/hotkey_text.h"
#include "files/system_folders.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A folder name typed by the user, trimmed; nothing for a name that would not stay one visible folder.
std::optional<std::string> FolderName(const std::string& answer) {
  const std::string name(Trimmed(answer));
  if (name.find('/') != std::string::npos || name.find('\0') != std::string::npos || name.starts_with('.'))
    return std::nullopt;
  return name;
}

std::string ParentOf(const std::string& relativePath) {
  const std::size_t slash = relativePath.rfind('/');
  return slash == std::string::npos ? std::string() : relativePath.substr(0, slash);
}

std::string Joined(const std::string& parent, const std::string& name) {
  return parent.empty() ? name : parent + "/" + name;
}

}  // namespace

bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems that do not know the flag: look first.
  struct stat info {};
  if (::lstat(to.c_str(), &info) == 0) {
    errno = EEXIST;
    return false;
  }
  return ::rename(from.c_str(), to.c_str()) == 0;
}

Catalogue::Catalogue(CatalogueUser& user, std::string defaultScriptPath)
    : user_(user),
      defaultScriptPath_(WithTrailingSlash(std::move(defaultScriptPath))),
      scriptPath_(defaultScriptPath_) {}

void Catalogue::SetScriptPath(const std::string& path) { scriptPath_ = WithTrailingSlash(path); }

void Catalogue::SetSortColumn(int column) {
  if (column >= kSortByFileName && column <= kSortByLocation) sortColumn_ = column;
}

void Catalogue::RebuildFolderTree() {
  tree_.reset();
  if (!IsDirectory(scriptPath_)) {
    // The default folder is simply made on first use; a folder the user chose and lost is worth a word.
    if (scriptPath_ != defaultScriptPath_)
      user_.Warning("The specified Script Folder is not found, check the settings\r\n"
                    "Setting Script Folder to default.");
    scriptPath_ = defaultScriptPath_;
    CreateFolders(scriptPath_, 0777);
  }
  if (!IsDirectory(scriptPath_)) return;
  tree_ = ReadFolderTree(scriptPath_);
  // Settings of earlier versions name the root by its folder name: any name that is no folder selects it.
  if (!FindFolder(*tree_, activeFolder_)) activeFolder_.clear();
}

const FolderNode* Catalogue::SelectedFolder() const { return tree_ ? FindFolder(*tree_, activeFolder_) : nullptr; }

std::string Catalogue::FolderDirectory(const std::string& relativePath) const {
  return relativePath.empty() ? scriptPath_ : scriptPath_ + relativePath + "/";
}

void Catalogue::ListFolderScripts(const std::string& relativePath) {
  ScriptListing listing = ListScripts(FolderDirectory(relativePath), hotkeys_);
  items_ = std::move(listing.items);
  SortScripts(items_, sortColumn_);
  selectedItem_ = selectedPosition_ >= 0 && selectedPosition_ < static_cast<int>(items_.size()) ? selectedPosition_ : -1;
  if (!listing.unreadable.empty()) {
    std::string message = "These scripts could not be read and are not listed:";
    for (const std::string& line : listing.unreadable) message += "\n" + line;
    user_.Error(message);
  }
}

std::vector<std::string> Catalogue::ScriptsWithHotKey(const port::KeyCombination& combination) const {
  std::vector<std::string> scripts;
  if (!tree_ || combination.key == port::keys::kNone) return scripts;
  for (const FolderNode* node : InTreeOrder(*tree_))
    for (const ScriptItem& item : ListScripts(FolderDirectory(node->relativePath), nullptr).items)
      if (!item.hotkey.empty() && ParseHotKey(item.hotkey) == combination) scripts.push_back(item.fullPath);
  return scripts;
}

void Catalogue::SelectFolder(const std::string& relativePath) {
  activeFolder_ = relativePath;
  ListFolderScripts(relativePath);
}

void Catalogue::SetSelectedItem(int index) {
  selectedItem_ = index >= 0 && index < static_cast<int>(items_.size()) ? index : -1;
}

const ScriptItem* Catalogue::SelectedScript() const {
  return selectedItem_ >= 0 ? &items_[static_cast<std::size_t>(selectedItem_)] : nullptr;
}

void Catalogue::SortBy(int column) {
  SetSortColumn(column);
  const std::string selected = SelectedScript() ? SelectedScript()->fullPath : std::string();
  SortScripts(items_, sortColumn_);
  selectedItem_ = -1;
  for (std::size_t i = 0; i < items_.size() && !selected.empty(); ++i)
    if (items_[i].fullPath == selected) selectedItem_ = static_cast<int>(i);
}

void Catalogue::NewFolder() {
  if (!SelectedFolder()) return;
  const std::optional<std::string> answer = user_.Input("Create Folder", "Create Folder from \"" + scriptPath_, "");
  if (!answer || Trimmed(*answer).empty()) return;
  // New folders go directly below the script path, whichever folder is selected.
  const std::optional<std::string> name = FolderName(*answer);
  if (!name || ::mkdir((scriptPath_ + *name).c_str(), 0777) != 0) {
    user_.Error("Cannot Create Folder!");
    return;
  }
  activeFolder_ = *name;
  RebuildFolderTree();
  ListFolderScripts(activeFolder_);
}

void Catalogue::RenameFolder() {
  const FolderNode* node = SelectedFolder();
  if (!node || IsRoot(node)) return;
  const std::string oldPath = node->relativePath;
  const std::optional<std::string> answer =
      user_.Input("Rename Folder", "Rename \"" + node->text + "\" to...", node->text);
  if (!answer || Trimmed(*answer).empty()) return;
  const std::optional<std::string> name = FolderName(*answer);
  const std::string newPath = name ? Joined(ParentOf(oldPath), *name) : std::string();
  if (name && newPath == oldPath) return;
  if (!name || !RenameWithoutReplacing(scriptPath_ + oldPath, scriptPath_ + newPath)) {
    user_.Error("Cannot Rename Folder!");
    return;
  }
  activeFolder_ = newPath;
  RebuildFolderTree();
  ListFolderScripts(activeFolder_);
}

void Catalogue::DeleteFolder() {
  const FolderNode* node = SelectedFolder();
  if (!node || IsRoot(node)) return;
  if (!user_.Confirm("Remove \"" + node->text + "\", are you sure ?")) return;
  if (::rmdir((scriptPath_ + node->relativePath).c_str()) != 0) {
    user_.Error("Cannot Remove Folder, folder might not be empty!");
    return;
  }
  activeFolder_.clear();
  RebuildFolderTree();
  ListFolderScripts(activeFolder_);
}

void Catalogue::DeleteScript() {
  const ScriptItem* script = SelectedScript();
  if (!script) return;
  if (!user_.Confirm("Delete this Script, Are You Sure?")) return;
  if (::unlink(script->fullPath.c_str()) != 0)
    user_.Error("Cannot delete \"" + script->fileName + "\": " + std::strerror(errno));
  ListFolderScripts(activeFolder_);
}

void Catalogue::MoveScript(int index, const std::string& folderRelativePath) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return;
  const ScriptItem& script = items_[static_cast<std::size_t>(index)];
  const std::string target = FolderDirectory(folderRelativePath);
  if (std::string(FolderPart(script.fullPath)) != target &&
      !RenameWithoutReplacing(script.fullPath, target + script.fileName))
    user_.Error("Cannot Move File!");
  ListFolderScripts(activeFolder_);
}

}  // namespace tw
