#pragma once
// What a hotkey press does: every listed script whose header names the combination runs, one after the other.

#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/script_runner.h"
#include "catalogue/sys_hot_key.h"

namespace tw {

// How long a hotkey press waits for the user to let go of Shift, Ctrl, Alt and the Windows key.
inline constexpr std::chrono::milliseconds kModifierPatience{2000};

// A press of the table's entry `index`. Nothing happens while a run is active. Otherwise the table is off
// until the last script has ended; the scripts start once the modifiers are up (kModifierPatience at most),
// so that the keys they type do not mix with the user's Ctrl or Alt; then each script whose hotkey is that
// combination runs to its end, in the catalogue's order (Catalogue::ScriptsWithHotKey). Gives the scripts run.
std::vector<std::string> DispatchHotKey(const Catalogue& catalogue, TSysHotKey& hotkeys, ScriptRunner& runner,
                                        int index);

}  // namespace tw
