#pragma once
// Screen positions and rectangles in pixels, measured from the top-left corner of the whole desktop.

namespace tw::port {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  int right() const { return left + width; }
  int bottom() const { return top + height; }
  Point centre() const { return {left + width / 2, top + height / 2}; }
  // The pixel at `p` lies inside (the right and bottom edges are outside).
  bool contains(Point p) const { return p.x >= left && p.x < right() && p.y >= top && p.y < bottom(); }
  friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace tw::port
