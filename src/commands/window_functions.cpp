// The window functions: waitwin, focus, focusclass, gettitle, getfocus, getwinpos, setwinpos, mouseclick and
// mouseclickrel.

#include <optional>

#include "commands/tarnwick_basic.h"
#include "commands/window_search.h"
#include "interpreter/builtins.h"
#include "text/ascii_text.h"

namespace tw {

namespace {

struct WindowAndChild {
  port::WindowId top = port::kNoWindow;
  port::WindowId child = port::kNoWindow;
};

// Waits, one second at a time, first for a top-level window whose title begins with `title` (or a window
// inside one whose title contains it), then for a descendant of it whose title contains `childTitle`.
// Gives up once more than `seconds` one-second waits have passed, or on a stop request.
WindowAndChild WaitForWindowAndChild(TTarnwickBasic& library, const std::string& title,
                                     const std::string& childTitle, std::int32_t seconds) {
  port::WindowService& windows = library.Desktop.windows();
  WindowAndChild found;
  std::int32_t waited = 0;
  while (!TBasicInterpreter::StopRequested && found.top == port::kNoWindow) {
    if (waited > seconds) return {};
    found.top = FindWindowByTitle(windows, title, true, true, false);
    if (found.top == port::kNoWindow) {
      library.Delay(1000, true);
      ++waited;
      continue;
    }
    while (!TBasicInterpreter::StopRequested && found.child == port::kNoWindow) {
      if (waited > seconds) return {};
      found.child = FindChildByTitle(windows, found.top, childTitle, false);
      if (found.child == port::kNoWindow) {
        library.Delay(1000, true);
        ++waited;
      }
    }
  }
  if (found.child == port::kNoWindow) return {};
  return found;
}

// Reads the title, child title and seconds of waitwin and mouseclick, and waits for that window:
// nothing in a syntax check, on a bad time-out, or when the window did not come.
std::optional<WindowAndChild> ReadAndWaitForWindow(TTarnwickBasic& library) {
  const std::string title = library.ReadArgument();
  const std::string childTitle = library.ReadArgument();
  const ScriptValue secondsText(library.ReadArgument());
  if (library.CheckMode) return std::nullopt;
  std::int32_t seconds = 0;
  if (!IntegerArgument(library, secondsText, seconds, kInvalidTimeout) || title.empty()) return std::nullopt;
  const WindowAndChild found = WaitForWindowAndChild(library, title, childTitle, seconds);
  if (found.child == port::kNoWindow) return std::nullopt;
  return found;
}

void WaitWin(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const auto found = ReadAndWaitForWindow(library);
  if (!found) return;
  library.TargetWindow = found->child;
  result = ScriptValue::Integer(1);
}

void ClickAt(TTarnwickBasic& library, port::Point where) {
  library.MouseController->MoveTo(where);
  library.MouseController->MouseClick();
}

void MouseClick(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const auto found = ReadAndWaitForWindow(library);
  if (!found) return;
  ForceForeground(library, found->top);
  library.Host.PumpEvents();
  const auto frame = library.Desktop.windows().frameRect(found->child);
  if (!frame) return;
  ClickAt(library, frame->centre());
  result = ScriptValue::Integer(1);
}

void MouseClickRel(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string title = library.ReadArgument();
  const ScriptValue dxText(library.ReadArgument());
  const ScriptValue dyText(library.ReadArgument());
  const ScriptValue secondsText(library.ReadArgument());
  if (library.CheckMode) return;
  std::int32_t dx = 0, dy = 0, seconds = 0;
  if (!IntegerArgument(library, dxText, dx) || !IntegerArgument(library, dyText, dy) ||
      !IntegerArgument(library, secondsText, seconds, kInvalidTimeout))
    return;
  port::WindowService& windows = library.Desktop.windows();
  for (std::int32_t waited = 0; !TBasicInterpreter::StopRequested && waited <= seconds; ++waited) {
    const port::WindowId window = FindWindowByTitle(windows, title, true, true, false);
    if (window != port::kNoWindow) {
      ForceForeground(library, window);
      library.Host.PumpEvents();
      const auto frame = windows.frameRect(window);
      if (!frame) return;
      ClickAt(library, {frame->left + dx, frame->top + dy});
      result = ScriptValue::Integer(1);
      return;
    }
    library.Delay(1000, true);
  }
}

// The window that was active before this program came to the front: the active window when it belongs to
// another program, else the topmost window of another program that is on the screen.
port::WindowId PreviouslyActiveWindow(TTarnwickBasic& library) {
  port::WindowService& windows = library.Desktop.windows();
  const int self = library.Desktop.systemInfo().processId();
  const port::WindowId active = windows.activeWindow();
  if (active != port::kNoWindow && windows.processId(active) != self) return active;
  for (port::WindowId window : windows.topLevelWindows()) {
    if (window == active || windows.processId(window) == self) continue;
    const auto state = windows.state(window);
    if (state && state->visible && !state->minimised) return window;
  }
  return port::kNoWindow;
}

void Focus(TTarnwickBasic& library, ScriptValue& result, bool byClass) {
  result = ScriptValue::Integer(0);
  const std::string title = library.ReadArgument();
  const ScriptValue secondsText = library.ReadOptionalArgument(ScriptValue::Integer(1));
  const ScriptValue prefixText = library.ReadOptionalArgument(ScriptValue::Integer(1));
  const ScriptValue clickText = library.ReadOptionalArgument(ScriptValue::Integer(0));
  library.ReadOptionalArgument(ScriptValue::Integer(0));  // read and not used
  if (title.empty() || library.CheckMode) return;
  std::int32_t seconds = 0, prefix = 0, clickTitle = 0;
  if (!IntegerArgument(library, secondsText, seconds) || !IntegerArgument(library, prefixText, prefix) ||
      !IntegerArgument(library, clickText, clickTitle))
    return;
  library.Host.PumpEvents();
  port::WindowService& windows = library.Desktop.windows();
  const std::string trimmed(TrimmedSpacesAndTabs(title));
  const std::int64_t timeout = static_cast<std::int64_t>(seconds) * 1000;
  std::int64_t elapsed = 0;
  port::WindowId window = port::kNoWindow;
  if (!trimmed.empty() && trimmed[0] == '*') {
    window = PreviouslyActiveWindow(library);
  } else if (trimmed == "!") {
    window = windows.activeWindow();
  } else if (trimmed == "^") {
    window = library.TargetWindow;
  } else {
    while (!TBasicInterpreter::StopRequested && elapsed <= timeout) {
      window = byClass ? FindWindowByClass(windows, title, prefix == 1, true, false)
                       : FindWindowByTitle(windows, title, prefix == 1, true, false);
      if (window != port::kNoWindow) break;
      library.Delay(500, true);
      elapsed += 500;
    }
  }
  if (TBasicInterpreter::StopRequested || window == port::kNoWindow) return;
  library.TargetWindow = window;
  if (!ForceForeground(library, window)) return;
  result = ScriptValue::Integer(1);
  // The title bar is that of the top-level window, also when the title was found on a window inside it.
  if (clickTitle == 1) ClickTitleBar(library, windows.topLevelOf(window));
}

void FocusByTitle(TTarnwickBasic& library, ScriptValue& result) { Focus(library, result, false); }
void FocusByClass(TTarnwickBasic& library, ScriptValue& result) { Focus(library, result, true); }

// At most `count` characters of UTF-8 text; a character is never cut in half.
std::string FirstCharacters(const std::string& text, std::size_t count) {
  std::size_t at = 0;
  for (std::size_t characters = 0; at < text.size() && characters < count; ++characters) {
    ++at;
    while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xc0) == 0x80) ++at;
  }
  return text.substr(0, at);
}

void GetTitle(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue("");
  if (library.CheckMode || library.TargetWindow == port::kNoWindow) return;
  result = ScriptValue(FirstCharacters(library.Desktop.windows().title(library.TargetWindow), 199));
}

void GetWinPos(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const std::string part = UpperAscii(library.ReadArgument());
  if (library.CheckMode) return;
  if (std::string_view("LTWH").find(part) == std::string_view::npos) {
    library.ScriptError("Invalid Value");
    return;
  }
  if (library.TargetWindow == port::kNoWindow) return;
  const auto frame = library.Desktop.windows().frameRect(library.TargetWindow);
  if (!frame) return;
  if (part == "L") result = ScriptValue::Integer(frame->left);
  if (part == "T") result = ScriptValue::Integer(frame->top);
  if (part == "W") result = ScriptValue::Integer(frame->width);
  if (part == "H") result = ScriptValue::Integer(frame->height);
}

void SetWinPos(TTarnwickBasic& library, ScriptValue& result) {
  result = ScriptValue::Integer(0);
  const ScriptValue xText(library.ReadArgument());
  const ScriptValue yText(library.ReadArgument());
  const ScriptValue widthText = library.ReadOptionalArgument(ScriptValue::Integer(-1));
  const ScriptValue heightText = library.ReadOptionalArgument(ScriptValue::Integer(-1));
  const ScriptValue afterText = library.ReadOptionalArgument(ScriptValue::Integer(0));
  const ScriptValue flagsText = library.ReadOptionalArgument(ScriptValue::Integer(64));
  if (library.CheckMode) return;
  std::int32_t x = 0, y = 0, width = 0, height = 0, after = 0, flags = 0;
  for (auto [text, out] : {std::pair{&xText, &x}, {&yText, &y}, {&widthText, &width}, {&heightText, &height},
                           {&afterText, &after}, {&flagsText, &flags}})
    if (!IntegerArgument(library, *text, *out)) return;
  if (library.TargetWindow == port::kNoWindow) return;
  port::WindowService& windows = library.Desktop.windows();
  const auto current = windows.frameRect(library.TargetWindow);
  if (!current) return;
  // The flags of the placement request that make sense here: keep the size (1), keep the position (2).
  constexpr std::int32_t kKeepSize = 1, kKeepPosition = 2;
  port::Rect frame{x, y, width, height};
  if (width == -1 || height == -1 || (flags & kKeepSize)) {
    frame.width = current->width;
    frame.height = current->height;
  }
  if (flags & kKeepPosition) {
    frame.left = current->left;
    frame.top = current->top;
  }
  result = ScriptValue::Integer(windows.setFrameRect(library.TargetWindow, frame) ? 1 : 0);
}

}  // namespace

void AddWindowFunctions(LibraryHandlers& handlers) {
  handlers.AddFunction("waitwin", WaitWin);
  handlers.AddFunction("focus", FocusByTitle);
  handlers.AddFunction("focusclass", FocusByClass);
  handlers.AddFunction("gettitle", GetTitle);
  handlers.AddFunction("getfocus", GetTitle);
  handlers.AddFunction("getwinpos", GetWinPos);
  handlers.AddFunction("setwinpos", SetWinPos);
  handlers.AddFunction("mouseclick", MouseClick);
  handlers.AddFunction("mouseclickrel", MouseClickRel);
}

}  // namespace tw
