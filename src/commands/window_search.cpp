#include "commands/window_search.h"

#include "commands/tarnwick_basic.h"

namespace tw {
namespace {

enum class SearchBy { Title, Class };

bool Visible(port::WindowService& windows, port::WindowId window) {
  const auto state = windows.state(window);
  return state && state->visible;
}

bool Matches(port::WindowService& windows, port::WindowId window, SearchBy by, const std::string& pattern,
             bool prefixOnly) {
  auto test = [&](const std::string& text) {
    const std::string upper = UpperAscii(text);
    return prefixOnly ? upper.compare(0, pattern.size(), pattern) == 0 : upper.find(pattern) != std::string::npos;
  };
  if (by == SearchBy::Title) return test(windows.title(window));
  const port::WindowClass windowClass = windows.windowClass(window);
  return test(windowClass.name) || test(windowClass.instance);
}

// The first descendant of `parent` whose title or class contains the pattern.
port::WindowId FindDescendant(port::WindowService& windows, port::WindowId parent, SearchBy by,
                              const std::string& pattern, bool includeHidden) {
  for (port::WindowId child : windows.descendants(parent)) {
    // The name first: most inner windows have none, and it is the cheaper question.
    if (Matches(windows, child, by, pattern, false) && (includeHidden || Visible(windows, child))) return child;
  }
  return port::kNoWindow;
}

port::WindowId Search(port::WindowService& windows, std::string_view text, SearchBy by, bool prefixOnly,
                      bool withChildren, bool includeHidden) {
  const std::string pattern = UpperAscii(text);
  if (pattern.empty()) return port::kNoWindow;
  port::WindowId found = port::kNoWindow;
  // A hidden top-level window is passed over with everything inside it. Whether it is hidden is asked only
  // once it or a window inside it matches: most windows do not, and the question costs a round trip or three.
  const auto shown = [&](port::WindowId window) { return includeHidden || Visible(windows, window); };
  for (port::WindowId top : windows.topLevelWindows()) {
    if (Matches(windows, top, by, pattern, prefixOnly)) {
      if (shown(top)) return top;
      continue;
    }
    if (withChildren) {
      const port::WindowId child = FindDescendant(windows, top, by, pattern, includeHidden);
      if (child != port::kNoWindow && shown(top)) found = child;
    }
  }
  return found;
}

}  // namespace

port::WindowId FindWindowByTitle(port::WindowService& windows, std::string_view text, bool prefixOnly,
                                 bool withChildren, bool includeHidden) {
  return Search(windows, text, SearchBy::Title, prefixOnly, withChildren, includeHidden);
}

port::WindowId FindWindowByClass(port::WindowService& windows, std::string_view text, bool prefixOnly,
                                 bool withChildren, bool includeHidden) {
  return Search(windows, text, SearchBy::Class, prefixOnly, withChildren, includeHidden);
}

port::WindowId FindChildByTitle(port::WindowService& windows, port::WindowId parent, std::string_view text,
                                bool includeHidden) {
  const std::string pattern = UpperAscii(text);
  if (pattern.empty() || parent == port::kNoWindow) return port::kNoWindow;
  return FindDescendant(windows, parent, SearchBy::Title, pattern, includeHidden);
}

bool ForceForeground(port::WindowService& windows, port::WindowId window, const WaitStep& wait) {
  const port::WindowId top = windows.topLevelOf(window);
  if (top == port::kNoWindow) return false;
  if (windows.activeWindow() == top) return true;
  // A window manager carries a request out a moment later, and may turn one down (one that comes while the
  // user types, say): wait for the result and ask again.
  constexpr int kAttempts = 3;
  constexpr int kPatienceMs = 1500;
  constexpr int kStepMs = 50;
  bool active = false;
  bool goOn = true;
  for (int attempt = 0; attempt < kAttempts && !active && goOn; ++attempt) {
    if (!windows.activate(top)) continue;
    for (int waited = 0;; waited += kStepMs) {
      if (windows.activeWindow() == top) {
        active = true;
        break;
      }
      if (waited >= kPatienceMs || !(goOn = wait(kStepMs))) break;
    }
  }
  const auto state = windows.state(top);
  if (state && state->minimised) windows.restore(top);
  return active;
}

bool ForceForeground(TTarnwickBasic& library, port::WindowId window) {
  if (TBasicInterpreter::StopRequested) return false;
  return ForceForeground(library.Desktop.windows(), window, [&library](int milliseconds) {
    library.Delay(milliseconds, true);
    return !TBasicInterpreter::StopRequested;
  });
}

void ClickTitleBar(TTarnwickBasic& library, port::WindowId window) {
  port::WindowService& windows = library.Desktop.windows();
  const auto frame = windows.frameRect(window);
  if (!frame) return;
  port::MouseInjector& mouse = library.Desktop.mouse();
  const port::Point before = mouse.position();
  mouse.moveTo({frame->left + frame->width / 2, frame->top + 5});
  mouse.press(port::MouseButton::Left);
  mouse.release(port::MouseButton::Left);
  mouse.moveTo(before);
}

}  // namespace tw
