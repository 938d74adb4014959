#pragma once
// The quick-access menu of the tray: every folder of the catalogue with the scripts listed in it.

#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/sys_hot_key.h"

namespace tw {

struct QuickAccessFolder {
  // The folder's name; below the first level its path from the script path ("Office/Letters"), so that two
  // folders of the same name stay apart.
  std::string caption;
  std::vector<ScriptItem> scripts;  // by description
};

// Builds the menu afresh and, on the way, the hotkey table: the table goes off and is emptied, every folder
// of the tree is listed in tree order (which adds the listed scripts' hotkeys), and the table goes on again.
// A folder without listed scripts has an entry all the same. Scripts whose header cannot be read are left out.
std::vector<QuickAccessFolder> RebuildQuickAccess(const Catalogue& catalogue, TSysHotKey& hotkeys);

}  // namespace tw
