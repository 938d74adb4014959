// send: activates the target window, then types a key string into it.

#include "commands/key_player.h"
#include "commands/tarnwick_basic.h"
#include "commands/window_search.h"

namespace tw {

namespace {

void Send(TTarnwickBasic& library) {
  const double delay = library.KeyDelaySeconds();
  const std::string keys = library.ReadArgument();
  const port::WindowId target = library.TargetWindow;
  if (keys.empty() || library.CheckMode || target == port::kNoWindow) return;
  const std::int32_t allowedWaits = library.GetVariable("_sktimeout").ToInteger();
  bool active = ForceForeground(library, target);
  for (int waits = 0; !active && !TBasicInterpreter::StopRequested && waits < allowedWaits; ++waits) {
    library.Delay(1000, true);
    active = ForceForeground(library, target);
  }
  if (TBasicInterpreter::StopRequested) return;
  if (!active) {
    library.ScriptError("Cannot Send to Active Window");
    return;
  }
  library.DelaySeconds(delay, true);
  library.SetToggleKey(port::ToggleKey::CapsLock, false);
  ForceForeground(library, target);
  library.Host.PumpEvents();
  const KeyPlan plan = ParseKeyString(keys);
  port::KeyboardInjector& keyboard = library.Desktop.keyboard();
  port::WindowService& windows = library.Desktop.windows();
  // Between short runs of keys: a stop request ends the typing, and so does a target that went away or a
  // focus that moved to another program (its keys would go there). A dialog of the target's program, such
  // as the one its Ctrl+S opens, takes the keys.
  bool lost = false;
  port::WindowId trusted = port::kNoWindow;  // the last focus window seen to belong to the target's program
  const port::WindowId targetTop = windows.topLevelOf(target);
  auto checkpoint = [&] {
    library.Host.PumpEvents();
    if (TBasicInterpreter::StopRequested) return false;
    const port::WindowId focus = windows.focusWindow();
    lost = !windows.exists(target) ||
           (focus != trusted && !windows.sameProgram(focus, target) && !windows.sameProgram(focus, targetTop));
    if (!lost) trusted = focus;
    return !lost;
  };
  keyboard.waitHook = [&library] {
    library.Host.PumpEvents();
    return TBasicInterpreter::StopRequested.load();
  };
  const PlayResult result = PlayKeys(
      plan, keyboard, library.Desktop.toggleKeys(),
      [&library](const std::string& text) { library.Host.ShowNotice("SendKeys", text); }, checkpoint);
  keyboard.waitHook = nullptr;
  if (lost) {
    library.ScriptError("Cannot Send to Active Window");
    return;
  }
  if (result != PlayResult::Ended && !plan.Error.empty()) library.ScriptError(plan.Error);
}

}  // namespace

void AddKeyCommands(LibraryHandlers& handlers) { handlers.AddCommand("send", Send); }

double TTarnwickBasic::KeyDelaySeconds() {
  const ScriptValue delay = GetVariable("_delay");
  if (delay.IsText() && delay.TextView().empty()) return 0;
  return delay.ToReal();
}

}  // namespace tw
