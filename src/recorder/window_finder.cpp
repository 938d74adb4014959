#include "recorder/window_finder.h"

#include <string_view>

#include "text/utf8.h"

namespace tw {

namespace {

std::string FirstCharacters(std::string_view text, std::size_t count) {
  return std::string(text.substr(0, text::SkipCharacters(text, 0, count)));
}

}  // namespace

WindowPointerTracker::Over WindowPointerTracker::Track(port::Point where) {
  const std::vector<port::WindowId> path = windows_.windowsAt({.where = where, .innermost = wantChild_});
  if (path.empty()) return Over::Nothing;
  if (path.front() == own_) {
    found_ = {};
    return Over::OwnWindow;
  }
  const port::WindowId window = path.back();
  const port::WindowClass windowClass = windows_.windowClass(window);
  found_ = {FirstCharacters(windows_.title(window), 200),
            FirstCharacters(windowClass.name.empty() ? windowClass.instance : windowClass.name, 200), window};
  return Over::Window;
}

std::optional<TWindowInfo> TitledWindowAt(port::WindowService& windows, port::Point where, port::WindowId overlay) {
  const std::vector<port::WindowId> path = windows.windowsAt({.where = where, .innermost = true, .passOver = overlay});
  if (path.size() < 2) return std::nullopt;
  const std::string parentTitle = FirstCharacters(windows.title(path.front()), 100);
  if (parentTitle.empty()) return std::nullopt;
  for (std::size_t at = path.size() - 1; at > 0; --at) {
    std::string title = FirstCharacters(windows.title(path[at]), 100);
    if (title.empty()) continue;
    const auto frame = windows.frameRect(path[at]);
    if (!frame) return std::nullopt;
    return TWindowInfo{parentTitle, std::move(title), frame->left, frame->top, frame->width, frame->height};
  }
  return std::nullopt;
}

port::Point ClickPositionIn(port::Point click, const std::optional<port::Rect>& window) {
  if (!window) return click;
  return {click.x - window->left, click.y - window->top};
}

}  // namespace tw
