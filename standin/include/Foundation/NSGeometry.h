#pragma once

// Points, sizes and rectangles of the view layer, in points: the CoreGraphics
// types under their Foundation names.

#include <CoreGraphics/CGGeometry.h>

namespace NS {

using CGFloat = ::CGFloat;
using Point = CGPoint;
using Size = CGSize;
using Rect = CGRect;

inline Rect MakeRect(CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
  return CGRectMake(x, y, width, height);
}

}  // namespace NS
