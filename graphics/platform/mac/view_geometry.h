#pragma once

// GUI coordinates turned into the editor view's points. The draw scale maps
// one to the other; the view is flipped (y grows downwards), so nothing is
// mirrored. Any thread.

#include <Foundation/NSGeometry.h>

#include <cmath>

#include "graphics/graphics_context.h"
#include "graphics/graphics_types.h"

namespace plugkit::graphics {

// The view rectangle of r at the draw scale: left and top rounded down, right
// and bottom up, so it covers every point r touches.
inline NS::Rect ScaledViewRect(const IRECT& r, float drawScale) {
  const double x = std::floor(r.L * drawScale);
  const double y = std::floor(r.T * drawScale);
  return NS::MakeRect(x, y, std::ceil(r.R * drawScale) - x, std::ceil(r.B * drawScale) - y);
}

// The GUI's size times the draw scale, truncated to whole points.
inline NS::Size ScaledViewSize(const IGraphics& graphics) {
  const float scale = graphics.GetDrawScale();
  return NS::Size{std::trunc(static_cast<float>(graphics.Width()) * scale),
                  std::trunc(static_cast<float>(graphics.Height()) * scale)};
}

}  // namespace plugkit::graphics
