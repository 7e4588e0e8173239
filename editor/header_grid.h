#pragma once

// The editor's header is laid out on a grid 2072 units wide and 102 units
// high, stretched over the editor's width and the header's height.

#include "graphics/graphics_types.h"

namespace orvane {

inline constexpr float kHeaderGridWidth = 2072.f;
inline constexpr float kHeaderGridHeight = 102.f;
// The header's height: this share of the editor's width (x 2072 = 102, so a
// grid unit is as high as it is wide), at most this share of its height.
inline constexpr float kHeaderWidthShare = 0.0492278f;
inline constexpr float kHeaderHeightShare = 0.2f;

// Grid units to points for one editor rectangle and header height.
struct HeaderGrid {
  HeaderGrid(const plugkit::graphics::IRECT& editor, float headerHeight)
      : left(editor.L), top(editor.T), unitX(editor.W() / kHeaderGridWidth), unitY(headerHeight / kHeaderGridHeight) {}

  float X(float u) const { return left + u * unitX; }
  float Y(float v) const { return top + v * unitY; }
  plugkit::graphics::IRECT Rect(float l, float t, float r, float b) const { return {X(l), Y(t), X(r), Y(b)}; }

  float left;
  float top;
  float unitX;  // hs
  float unitY;  // vs
};

}  // namespace orvane
