#include "dialogs/designer/design_mouse.h"

namespace tw {

int SnapToGrid(int value, int grid) { return value / grid * grid; }

bool InResizeCorner(port::Size control, port::Point inControl) {
  return inControl.x > control.width - kResizeCorner && inControl.y > control.height - kResizeCorner;
}

void DesignMouse::Press(std::size_t control, DesignButton button, bool shift, port::Point inControl) {
  dragging_ = false;
  resizing_ = false;
  if (control >= dialog_.Controls.size()) return;
  if (button != DesignButton::Left) {
    selection_.SelectOnly(control);
    return;
  }
  if (shift) {
    selection_.Toggle(control);
    return;
  }
  if (!selection_.Contains(control)) {
    selection_.SelectOnly(control);
    return;
  }
  const port::Rect& bounds = dialog_.Controls[control].Bounds;
  pressed_ = control;
  dragging_ = true;
  if (InResizeCorner({bounds.width, bounds.height}, inControl)) {
    selection_.SelectOnly(control);
    resizing_ = true;
    offset_ = {bounds.width - inControl.x, bounds.height - inControl.y};
  } else {
    offset_ = inControl;
  }
}

void DesignMouse::PressSurface() {
  dragging_ = false;
  resizing_ = false;
  selection_.Clear();
}

bool DesignMouse::Move(port::Point inControl) {
  if (!dragging_ || pressed_ >= dialog_.Controls.size()) return false;
  if (resizing_) {
    port::Rect& bounds = dialog_.Controls[pressed_].Bounds;
    const int right = SnapToGrid(bounds.left + inControl.x + offset_.x, grid_);
    const int bottom = SnapToGrid(bounds.top + inControl.y + offset_.y, grid_);
    const port::Rect before = bounds;
    if (right - bounds.left > kSmallestDragSize) bounds.width = right - bounds.left;
    if (bottom - bounds.top > kSmallestDragSize) bounds.height = bottom - bounds.top;
    return bounds != before;
  }
  const int dx = inControl.x - offset_.x;
  const int dy = inControl.y - offset_.y;
  bool moved = false;
  for (const std::size_t index : selection_.Controls()) {
    if (index >= dialog_.Controls.size()) continue;
    port::Rect& bounds = dialog_.Controls[index].Bounds;
    const port::Point to{SnapToGrid(bounds.left + dx, grid_), SnapToGrid(bounds.top + dy, grid_)};
    moved = moved || to.x != bounds.left || to.y != bounds.top;
    bounds.left = to.x;
    bounds.top = to.y;
  }
  return moved;
}

void DesignMouse::Release() {
  dragging_ = false;
  resizing_ = false;
}

DesignCursor DesignMouse::CursorOver(std::size_t control, port::Point inControl) const {
  if (dragging_ || control >= dialog_.Controls.size() || !selection_.Contains(control)) return DesignCursor::Arrow;
  const port::Rect& bounds = dialog_.Controls[control].Bounds;
  return InResizeCorner({bounds.width, bounds.height}, inControl) ? DesignCursor::SizeDiagonal : DesignCursor::Arrow;
}

}  // namespace tw
