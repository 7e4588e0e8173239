// Small drawing conveniences for controls: text at a point, frames of bitmap
// strips, bitmap-font text, lines across a rectangle and radial lines.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "graphics/graphics_context.h"

namespace plugkit::graphics {

namespace {

constexpr float kUpDegrees = 90.f;  // angle 0 points up, not along x
constexpr int kFirstFontCode = 32;  // the bitmap font's frame 1 is the space

// The point at radius r along the angle (degrees, 0 up, clockwise).
void RadialPoint(float cx, float cy, float angle, float r, float& x, float& y) {
  const double theta = DegreesToRadians(angle - kUpDegrees);
  x = cx + r * static_cast<float>(std::cos(theta));
  y = cy + r * static_cast<float>(std::sin(theta));
}

}  // namespace

void IGraphics::DrawBitmapedTextHelper(const IText& text, const char* str, float x, float y, const IBlend* blend) {
  DrawTextIfNotEmpty(text, str, IRECT(x, y, x, y), blend);
}

void IGraphics::DrawBitmapFrame(const IBitmap& bitmap, const IRECT& bounds, int frame, const IBlend* blend) {
  const int count = bitmap.N();
  if (!bitmap.IsValid() || count < 1) return;
  frame = std::clamp(frame, 1, count);
  int srcX = 0;
  int srcY = 0;
  if (frame > 1) {
    // In 64 bits: a large strip times the frame index stays defined.
    const int size = bitmap.GetFramesAreHorizontal() ? bitmap.W() : bitmap.H();
    const int offset = static_cast<int>(static_cast<int64_t>(frame - 1) * size / count);
    (bitmap.GetFramesAreHorizontal() ? srcX : srcY) = offset;
  }
  DrawBitmap(bitmap, bounds, srcX, srcY, blend);
}

void IGraphics::DrawBitmapedText(const IBitmap& bitmap, const IRECT& bounds, const IText& text, const IBlend* blend,
                                 const char* str, bool vCenter, bool multiline, int charWidth, int charHeight,
                                 int charOffset) {
  if (!str || !*str || !bitmap.IsValid() || bitmap.N() < 1 || charWidth <= 0 || charHeight <= 0) return;
  const int length = static_cast<int>(std::strlen(str));
  const float textWidth = static_cast<float>(charWidth) * static_cast<float>(length);
  const float cellWidth = static_cast<float>(charWidth);
  const float cellHeight = static_cast<float>(charHeight);

  const float top = vCenter ? bounds.T + (bounds.H() - cellHeight) / 2.f : bounds.T;
  float left = bounds.L;
  if (text.mAlign == EAlign::Center) left = bounds.L + (bounds.W() - textWidth) / 2.f;
  if (text.mAlign == EAlign::Far) left = bounds.R - textWidth;

  // Whole cells that fit a line, in float first: a width out of int's range stays defined.
  const float fits = bounds.W() / cellWidth;
  int perLine = length;
  int lines = 1;
  if (!multiline || textWidth > bounds.W()) {
    if (!(fits >= 1.f)) return;
    perLine = fits >= static_cast<float>(length) ? length : static_cast<int>(fits);
    if (multiline) lines = (length + perLine - 1) / perLine;
  }

  int index = 0;
  for (int line = 0; line < lines && index < length; ++line) {
    for (int p = 0; p < perLine && index < length; ++p, ++index) {
      const float x = left + static_cast<float>(p) * static_cast<float>(charWidth + charOffset);
      const float y = top + static_cast<float>(line) * cellHeight;
      const int code = static_cast<signed char>(str[index]);
      const int frame = std::min(bitmap.N(), std::max(code, kFirstFontCode) - (kFirstFontCode - 1));
      DrawBitmapFrame(bitmap, IRECT(x, y, x + cellWidth, y + cellHeight), frame, blend);
    }
  }
}

void IGraphics::DrawVerticalLine(const IColor& color, float x, float yLo, float yHi, const IBlend* blend,
                                 float thickness) {
  DrawLine(color, x, yLo, x, yHi, blend, thickness);
}

void IGraphics::DrawHorizontalLine(const IColor& color, float y, float xLo, float xHi, const IBlend* blend,
                                   float thickness) {
  DrawLine(color, xLo, y, xHi, y, blend, thickness);
}

void IGraphics::DrawVerticalLineAt(const IColor& color, const IRECT& bounds, float pos, const IBlend* blend,
                                   float thickness) {
  pos = std::clamp(pos, 0.f, 1.f);
  const float x = bounds.L + std::trunc(pos * bounds.W());
  DrawLine(color, x, bounds.T, x, bounds.B, blend, thickness);
}

void IGraphics::DrawHorizontalLineAt(const IColor& color, const IRECT& bounds, float pos, const IBlend* blend,
                                     float thickness) {
  pos = std::clamp(pos, 0.f, 1.f);
  const float y = bounds.B - pos * bounds.H();
  DrawLine(color, bounds.L, y, bounds.R, y, blend, thickness);
}

void IGraphics::DrawLineAcross(const IColor& color, const IRECT& bounds, EDirection direction, float pos,
                               const IBlend* blend, float thickness) {
  if (direction == EDirection::Horizontal)
    DrawHorizontalLineAt(color, bounds, pos, blend, thickness);
  else
    DrawVerticalLineAt(color, bounds, pos, blend, thickness);
}

void IGraphics::DrawRadialLine(const IColor& color, float cx, float cy, float angle, float rMin, float rMax,
                               const IBlend* blend, float thickness) {
  float x1, y1, x2, y2;
  RadialPoint(cx, cy, angle, rMin, x1, y1);
  RadialPoint(cx, cy, angle, rMax, x2, y2);
  DrawLine(color, x1, y1, x2, y2, blend, thickness);
}

void IGraphics::PathRadialLine(float cx, float cy, float angle, float rMin, float rMax) {
  float x1, y1, x2, y2;
  RadialPoint(cx, cy, angle, rMin, x1, y1);
  RadialPoint(cx, cy, angle, rMax, x2, y2);
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
}

}  // namespace plugkit::graphics
