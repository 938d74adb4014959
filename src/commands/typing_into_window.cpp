#include "commands/typing_into_window.h"

#include "commands/tarnwick_basic.h"

namespace tw {

TypedInto TypeIntoWindow(TTarnwickBasic& library, port::WindowId target, const KeyPlan& plan) {
  port::KeyboardInjector& keyboard = library.Desktop.keyboard();
  port::WindowService& windows = library.Desktop.windows();
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
  if (lost) return TypedInto::TargetLost;
  switch (result) {
    case PlayResult::Complete: return TypedInto::Complete;
    case PlayResult::Unfinished: return TypedInto::Unfinished;
    case PlayResult::Ended: break;
  }
  return TypedInto::Stopped;
}

}  // namespace tw
