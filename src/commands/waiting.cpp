#include "commands/waiting.h"

#include <algorithm>

#include "interpreter/interpreter.h"
#include "port/event_sources.h"

namespace tw {

bool WaitServingEvents(ScriptHost& host, std::chrono::milliseconds timeout, const std::function<bool()>& done) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::max(timeout, std::chrono::milliseconds(0));
  for (;;) {
    host.PumpEvents();
    port::ServeEventSources();
    if (done && done()) return true;
    const auto now = Clock::now();
    if (now >= deadline || TBasicInterpreter::StopRequested) return false;
    // The host's own events (windows) are looked at every 50 ms; registered services wake the wait at once.
    port::WaitForEventSources(std::min<std::chrono::milliseconds>(
        std::chrono::milliseconds(50), std::chrono::ceil<std::chrono::milliseconds>(deadline - now)));
  }
}

}  // namespace tw
