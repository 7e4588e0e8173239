#pragma once

// Points, sizes and rectangles in points. Screen and window coordinates have
// their origin at the bottom left with y growing upwards.

typedef double CGFloat;

struct CGPoint {
  CGFloat x = 0.0;
  CGFloat y = 0.0;
};

struct CGSize {
  CGFloat width = 0.0;
  CGFloat height = 0.0;
};

struct CGRect {
  CGPoint origin;
  CGSize size;
};

inline CGPoint CGPointMake(CGFloat x, CGFloat y) { return CGPoint{x, y}; }
inline CGSize CGSizeMake(CGFloat width, CGFloat height) { return CGSize{width, height}; }
inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
  return CGRect{CGPoint{x, y}, CGSize{width, height}};
}

// Global, so that comparisons through the NS aliases find them too.
inline bool operator==(const CGPoint& a, const CGPoint& b) { return a.x == b.x && a.y == b.y; }
inline bool operator==(const CGSize& a, const CGSize& b) {
  return a.width == b.width && a.height == b.height;
}
inline bool operator==(const CGRect& a, const CGRect& b) {
  return a.origin == b.origin && a.size == b.size;
}
