#include "port/fake/fake_windows.h"

#include <algorithm>
#include <stdexcept>

namespace tw::port::fake {

WindowId FakeWindows::add(FakeWindow window) {
  const WindowId id = next_++;
  windows_[id] = Entry{std::move(window), kNoWindow, {}, false};
  topLevel_.insert(topLevel_.begin(), id);
  return id;
}

WindowId FakeWindows::addChild(WindowId parent, FakeWindow window) {
  if (!exists(parent)) throw std::out_of_range("no fake window " + std::to_string(parent));
  const WindowId id = next_++;
  windows_[id] = Entry{std::move(window), parent, {}, false};
  auto& siblings = windows_[parent].children;
  siblings.insert(siblings.begin(), id);
  return id;
}

FakeWindow& FakeWindows::at(WindowId window) {
  auto found = windows_.find(window);
  if (found == windows_.end()) throw std::out_of_range("no fake window " + std::to_string(window));
  return found->second.data;
}

void FakeWindows::remove(WindowId window) {
  auto found = windows_.find(window);
  if (found == windows_.end()) return;
  for (WindowId child : std::vector<WindowId>(found->second.children)) remove(child);
  auto& siblings = found->second.parent == kNoWindow ? topLevel_ : windows_[found->second.parent].children;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
  windows_.erase(window);
  if (active_ == window) active_ = kNoWindow;
}

FakeWindow* FakeWindows::find(WindowId window) {
  auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : &found->second.data;
}

void FakeWindows::record(const std::string& action, WindowId window) {
  auto found = windows_.find(window);
  log_.push_back(
      action + " " +
      (found == windows_.end() ? std::string("#").append(std::to_string(window)) : found->second.data.title));
}

void FakeWindows::collect(WindowId window, std::vector<WindowId>& out) const {
  for (WindowId child : windows_.at(window).children) {
    out.push_back(child);
    collect(child, out);
  }
}

std::vector<WindowId> FakeWindows::topLevelWindows() {
  ++listings_;
  return topLevel_;
}

std::vector<WindowId> FakeWindows::descendants(WindowId window) {
  std::vector<WindowId> out;
  if (exists(window)) collect(window, out);
  return out;
}

WindowId FakeWindows::topLevelOf(WindowId window) {
  if (!exists(window)) return kNoWindow;
  while (windows_[window].parent != kNoWindow) window = windows_[window].parent;
  return window;
}

WindowId FakeWindows::shownAt(const std::vector<WindowId>& windows, Point where, WindowId passOver) const {
  for (WindowId window : windows) {
    const FakeWindow& data = windows_.at(window).data;
    if (window != passOver && data.state.visible && !data.state.minimised && data.frame.contains(where)) return window;
  }
  return kNoWindow;
}

std::vector<WindowId> FakeWindows::windowsAt(const PointQuery& query) {
  std::vector<WindowId> path;
  for (WindowId at = shownAt(topLevel_, query.where, query.passOver); at != kNoWindow;
       at = shownAt(windows_.at(at).children, query.where, query.passOver)) {
    path.push_back(at);
    if (!query.innermost) break;
  }
  return path;
}

std::string FakeWindows::title(WindowId window) {
  const FakeWindow* w = find(window);
  return w ? w->title : std::string();
}

WindowClass FakeWindows::windowClass(WindowId window) {
  const FakeWindow* w = find(window);
  return w ? w->windowClass : WindowClass{};
}

bool FakeWindows::sameProgram(WindowId a, WindowId b) {
  if (!exists(a) || !exists(b)) return false;
  if (topLevelOf(a) == topLevelOf(b)) return true;
  const auto pa = processId(topLevelOf(a)), pb = processId(topLevelOf(b));
  return pa && pb && *pa == *pb;
}

std::optional<int> FakeWindows::processId(WindowId window) {
  const FakeWindow* w = find(window);
  return w ? w->processId : std::nullopt;
}

std::optional<WindowState> FakeWindows::state(WindowId window) {
  const FakeWindow* w = find(window);
  if (!w) return std::nullopt;
  return w->state;
}

std::optional<Rect> FakeWindows::frameRect(WindowId window) {
  const FakeWindow* w = find(window);
  if (!w) return std::nullopt;
  return w->frame;
}

bool FakeWindows::setFrameRect(WindowId window, const Rect& frame) {
  record("place", window);
  FakeWindow* w = find(window);
  if (!w) return false;
  w->frame = frame;
  w->state.visible = true;
  return true;
}

bool FakeWindows::activate(WindowId requested) {
  const WindowId window = topLevelOf(requested);
  record("activate", window ? window : requested);
  FakeWindow* w = find(window);
  if (!w || w->refusedActivations < 0) return false;
  if (w->refusedActivations > 0) {
    --w->refusedActivations;
    return false;
  }
  if (w->state.minimised) w->state = WindowState{true, false, windows_[window].wasMaximised};
  topLevel_.erase(std::remove(topLevel_.begin(), topLevel_.end(), window), topLevel_.end());
  topLevel_.insert(topLevel_.begin(), window);
  active_ = window;
  return true;
}

bool FakeWindows::close(WindowId requested) {
  const WindowId window = topLevelOf(requested);
  record("close", window ? window : requested);
  if (!exists(window)) return false;
  remove(window);
  return true;
}

bool FakeWindows::minimise(WindowId requested) {
  const WindowId window = topLevelOf(requested);
  record("minimise", window ? window : requested);
  FakeWindow* w = find(window);
  if (!w) return false;
  windows_[window].wasMaximised = w->state.maximised;
  w->state = WindowState{true, true, false};
  if (active_ == window) active_ = kNoWindow;
  return true;
}

bool FakeWindows::maximise(WindowId requested) {
  const WindowId window = topLevelOf(requested);
  record("maximise", window ? window : requested);
  FakeWindow* w = find(window);
  if (!w) return false;
  w->state = WindowState{true, false, true};
  return true;
}

bool FakeWindows::restore(WindowId requested) {
  const WindowId window = topLevelOf(requested);
  record("restore", window ? window : requested);
  FakeWindow* w = find(window);
  if (!w) return false;
  if (w->state.minimised)
    w->state = WindowState{true, false, windows_[window].wasMaximised};
  else
    w->state.maximised = false;
  return true;
}

}  // namespace tw::port::fake
