// send: activates the target window, then types a key string into it.

#include "commands/tarnwick_basic.h"
#include "commands/typing_into_window.h"
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
  const TypedInto typed = TypeIntoWindow(library, target, plan);
  if (typed == TypedInto::TargetLost) {
    library.ScriptError("Cannot Send to Active Window");
    return;
  }
  if (typed != TypedInto::Stopped && !plan.Error.empty()) library.ScriptError(plan.Error);
}

}  // namespace

void AddKeyCommands(LibraryHandlers& handlers) { handlers.AddCommand("send", Send); }

double TTarnwickBasic::KeyDelaySeconds() {
  const ScriptValue delay = GetVariable("_delay");
  if (delay.IsText() && delay.TextView().empty()) return 0;
  return delay.ToReal();
}

}  // namespace tw
