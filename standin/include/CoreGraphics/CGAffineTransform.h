#pragma once

#include <CoreGraphics/CGGeometry.h>

// x' = a x + c y + tx, y' = b x + d y + ty.
struct CGAffineTransform {
  CGFloat a, b, c, d;
  CGFloat tx, ty;
};
