// The desktop as a whole: getdesktop, getclipboard, setclipboard, cpuusage and ipaddress.

#include <cmath>

#include "commands/tarnwick_basic.h"
#include "commands/window_search.h"
#include "interpreter/builtins.h"

namespace tw {

namespace {

void GetDesktop(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string axis = UpperAscii(library.ReadArgument());
  if (library.CheckMode) return;
  if (std::string_view("WH12").find(axis) == std::string_view::npos) {
    library.ScriptError("Invalid Value");
    return;
  }
  const port::Size size = library.Desktop.windows().desktopSize();
  result = ScriptValue::Integer(axis == "W" || axis == "1" ? size.width : size.height);
}

void GetClipboard(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue("");
  if (library.CheckMode) return;
  if (auto text = library.Desktop.clipboard().text()) result = ScriptValue(*text);
}

// The text stays on offer while the program runs (the desktop serves it, during waits too); the wait gives
// a program that is meant to paste it time to do so.
void SetClipboard(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue("");
  const std::string text = library.ReadArgument();
  const ScriptValue secondsText = library.ReadOptionalArgument(ScriptValue::Integer(3));
  if (library.CheckMode) return;
  double seconds = 0;
  if (!RealArgument(library, secondsText, seconds)) return;
  library.Desktop.clipboard().setText(text);
  if (seconds > 0) library.Delay(static_cast<int>(std::llround(std::min(seconds, 2e6) * 1000)), true);
}

// The load over the time since the previous call; the first call measures over a tenth of a second.
void CpuUsage(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  if (library.CheckMode) return;
  port::SystemInfo& system = library.Desktop.systemInfo();
  if (!library.ProcessorSampled) {
    system.processorUsage();
    library.ProcessorSampled = true;
    library.Delay(100, true);
  }
  result = ScriptValue::Integer(system.processorUsage().value_or(0));
}

// The address of the current dial-up connection: on this platform the first point-to-point interface
// that is up, which also takes in VPN tunnels.
void IpAddress(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue("");
  if (library.CheckMode) return;
  result = ScriptValue(library.Desktop.systemInfo().pointToPointAddress());
}

}  // namespace

void AddDesktopFunctions(LibraryHandlers& handlers) {
  handlers.AddFunction("getdesktop", GetDesktop);
  handlers.AddFunction("getclipboard", GetClipboard);
  handlers.AddFunction("setclipboard", SetClipboard);
  handlers.AddFunction("cpuusage", CpuUsage);
  handlers.AddFunction("ipaddress", IpAddress);
}

}  // namespace tw
