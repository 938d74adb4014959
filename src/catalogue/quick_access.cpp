#include "catalogue/quick_access.h"

namespace tw {

std::vector<QuickAccessFolder> RebuildQuickAccess(const Catalogue& catalogue, TSysHotKey& hotkeys) {
  hotkeys.SetActive(false);
  hotkeys.Clear();
  std::vector<QuickAccessFolder> menu;
  if (const auto& tree = catalogue.Tree()) {
    for (const FolderNode* node : InTreeOrder(*tree)) {
      QuickAccessFolder folder;
      folder.caption = node->relativePath.find('/') == std::string::npos ? node->text : node->relativePath;
      folder.scripts = ListScripts(catalogue.FolderDirectory(node->relativePath), &hotkeys).items;
      SortScripts(folder.scripts, kSortByDescription);
      menu.push_back(std::move(folder));
    }
  }
  hotkeys.SetActive(true);
  return menu;
}

}  // namespace tw
