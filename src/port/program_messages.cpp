#include "port/program_messages.h"

#include "text/ascii_text.h"

namespace tw::port {

bool ReceiverMatches(const ReceiverQuery& query, const WindowClass& windowClass, std::string_view title) {
  if (!query.windowClass.empty())
    return EqualsIgnoringAsciiCase(windowClass.instance, query.windowClass) ||
           EqualsIgnoringAsciiCase(windowClass.name, query.windowClass);
  return !query.title.empty() && EqualsIgnoringAsciiCase(title, query.title);
}

WindowId FindReceiver(WindowService& windows, const ReceiverQuery& query,
                      const std::function<bool(WindowId)>& isReceiver) {
  if (query.windowClass.empty() && query.title.empty()) return kNoWindow;
  for (const WindowId window : windows.topLevelWindows()) {
    // The mark first: it is one property read, and unmarked windows are the many.
    if (!isReceiver(window)) continue;
    if (ReceiverMatches(query, windows.windowClass(window), windows.title(window))) return window;
  }
  return kNoWindow;
}

}  // namespace tw::port
