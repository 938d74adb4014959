#include "catalogue/hotkey_dispatch.h"

namespace tw {

std::vector<std::string> DispatchHotKey(const Catalogue& catalogue, TSysHotKey& hotkeys, ScriptRunner& runner,
                                        int index) {
  std::vector<std::string> ran;
  if (runner.Active() || index < 0 || index >= hotkeys.Count() || !hotkeys.Active()) return ran;
  const port::KeyCombination combination = hotkeys.Entry(index).combination;
  // Off for the whole dispatch: a press meanwhile reaches the focused program instead of starting another.
  hotkeys.SetActive(false);
  runner.WaitBeforeRun([&hotkeys] { return !hotkeys.ModifiersHeld(); }, kModifierPatience);
  for (const std::string& script : catalogue.ScriptsWithHotKey(combination))
    if (runner.RunScriptFile(script)) ran.push_back(script);
  hotkeys.SetActive(true);
  return ran;
}

}  // namespace tw
