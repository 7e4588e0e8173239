#pragma once

// Points, sizes and rectangles of the view layer, in points.

namespace NS {

typedef double CGFloat;

struct Point {
  CGFloat x = 0.0;
  CGFloat y = 0.0;
};

struct Size {
  CGFloat width = 0.0;
  CGFloat height = 0.0;
};

struct Rect {
  Point origin;
  Size size;
};

inline Rect MakeRect(CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
  return Rect{Point{x, y}, Size{width, height}};
}

inline bool operator==(const Point& a, const Point& b) { return a.x == b.x && a.y == b.y; }
inline bool operator==(const Size& a, const Size& b) { return a.width == b.width && a.height == b.height; }
inline bool operator==(const Rect& a, const Rect& b) { return a.origin == b.origin && a.size == b.size; }

}  // namespace NS
