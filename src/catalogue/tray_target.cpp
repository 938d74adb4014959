#include "catalogue/tray_target.h"

#include "text/utf8.h"

namespace tw {

namespace {

constexpr std::size_t kTitleCharacters = 200;

bool Holds(const port::Rect& frame, const port::Point& point) {
  return point.x >= frame.left && point.x < frame.right() && point.y >= frame.top && point.y < frame.bottom();
}

}  // namespace

std::optional<port::WindowId> TrayTarget::Look(port::WindowService& windows, int ownProcess,
                                               std::optional<port::Point> trayIcon) {
  const port::WindowId active = windows.activeWindow();
  if (active == port::kNoWindow || windows.processId(active) == ownProcess) return std::nullopt;
  if (trayIcon) {
    const std::optional<port::Rect> frame = windows.frameRect(active);
    if (frame && Holds(*frame, *trayIcon)) return std::nullopt;
  }
  std::string title = windows.title(active);
  title.resize(text::SkipCharacters(title, 0, kTitleCharacters));
  if (title.empty() || title == lastTitle_) return std::nullopt;
  lastTitle_ = title;
  return active;
}

}  // namespace tw
