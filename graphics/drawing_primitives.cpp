// The drawing primitives' default bodies, built on the path slots.
#include <algorithm>
#include <cmath>
#include <iterator>

#include "graphics/graphics_context.h"

namespace plugkit::graphics {

namespace {

constexpr float kFullCircleDegrees = 360.f;
constexpr float kQuarterDegrees = 90.f;

IStrokeStyle DashedStyle(float dashLength) {
  IStrokeStyle style;
  style.SetDash(&dashLength, 1, 0.f);
  return style;
}

bool HasPoints(const float* x, const float* y, int n) { return x && y && n >= 1; }

}  // namespace

void IGraphics::Stroke(const IColor& color, float thickness, const IBlend* blend, const IStrokeStyle& style) {
  StrokePath(IPaint(color), thickness, style, blend);
}

void IGraphics::Fill(const IColor& color, const IBlend* blend, const IFillStyle& style) {
  FillPath(IPaint(color), style, blend);
}

// Path builders ------------------------------------------------------------------

void IGraphics::PathTriangle(float x1, float y1, float x2, float y2, float x3, float y3) {
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  PathLineTo(x3, y3);
  PathClose();
}

void IGraphics::PathRect(const IRECT& r) {
  PathMoveTo(r.L, r.T);
  PathLineTo(r.R, r.T);
  PathLineTo(r.R, r.B);
  PathLineTo(r.L, r.B);
  PathClose();
}

void IGraphics::PathRoundRect(const IRECT& r, float tl, float tr, float br, float bl) {
  if (!(tl > 0.f) && !(tr > 0.f) && !(br > 0.f) && !(bl > 0.f)) {
    PathRect(r);
    return;
  }
  PathMoveTo(r.L, r.T + tl);
  PathArc(r.L + tl, r.T + tl, tl, 3 * kQuarterDegrees, kFullCircleDegrees);
  PathArc(r.R - tr, r.T + tr, tr, 0.f, kQuarterDegrees);
  PathArc(r.R - br, r.B - br, br, kQuarterDegrees, 2 * kQuarterDegrees);
  PathArc(r.L + bl, r.B - bl, bl, 2 * kQuarterDegrees, 3 * kQuarterDegrees);
  PathClose();
}

void IGraphics::PathRoundRect(const IRECT& r, float radius) { PathRoundRect(r, radius, radius, radius, radius); }

void IGraphics::PathPolygon(const float* x, const float* y, int n) {
  if (!HasPoints(x, y, n)) return;
  PathMoveTo(x[0], y[0]);
  for (int i = 1; i < n; ++i) PathLineTo(x[i], y[i]);
  PathClose();
}

void IGraphics::PathCircle(float cx, float cy, float r) {
  PathMoveTo(cx, cy - r);
  PathArc(cx, cy, r, 0.f, kFullCircleDegrees);
  PathClose();
}

void IGraphics::PathEllipse(const IRECT& r) {
  PathEllipse((r.L + r.R) * 0.5f, (r.T + r.B) * 0.5f, r.W() * 0.5f, r.H() * 0.5f, 0.f);
}

void IGraphics::PathEllipse(float x, float y, float r1, float r2, float angle) {
  if (!(r1 > 0.f) || !(r2 > 0.f)) return;
  PathTransformSave();
  PathTransformTranslate(x, y);
  PathTransformRotate(angle);
  PathTransformScale(r1, r2);
  PathMoveTo(0.f, -1.f);
  PathArc(0.f, 0.f, 1.f, 0.f, kFullCircleDegrees);
  PathClose();
  PathTransformRestore();
}

// Bitmaps placed by a transform ----------------------------------------------------

void IGraphics::DrawStretchedBitmap(const IBitmap& bitmap, const IRECT& bounds, const IBlend* blend) {
  // The scale divides by the bitmap's size.
  if (!bitmap.IsValid() || bitmap.W() <= 0 || bitmap.H() <= 0) return;
  const float width = static_cast<float>(bitmap.W());
  const float height = static_cast<float>(bitmap.H());
  PathTransformSave();
  PathTransformTranslate(bounds.L, bounds.T);
  PathTransformScale(bounds.W() / width, bounds.H() / height);
  DrawBitmap(bitmap, IRECT(0.f, 0.f, width, height), 0, 0, blend);
  PathTransformRestore();
}

void IGraphics::DrawRotatedBitmap(const IBitmap& bitmap, float centreX, float centreY, double angle,
                                  const IBlend* blend) {
  // The size comes through the back-end bitmap's draw scale.
  if (!bitmap.IsValid() || bitmap.W() <= 0 || bitmap.H() <= 0) return;
  const float drawScale = bitmap.GetAPIBitmap()->GetDrawScale();
  if (!(drawScale > 0.f)) return;
  const float halfWidth = static_cast<float>(bitmap.W()) / drawScale * 0.5f;
  const float halfHeight = static_cast<float>(bitmap.H()) / drawScale * 0.5f;
  PathTransformSave();
  PathTransformTranslate(centreX, centreY);
  PathTransformRotate(static_cast<float>(angle));
  DrawBitmap(bitmap, IRECT(-halfWidth, -halfHeight, halfWidth, halfHeight), 0, 0, blend);
  PathTransformRestore();
}

// Strokes ---------------------------------------------------------------------------

void IGraphics::DrawPoint(const IColor& color, float x, float y, const IBlend* blend) {
  FillRect(color, IRECT(x, y, x + 1.f, y + 1.f), blend);
}

void IGraphics::DrawLine(const IColor& color, float x1, float y1, float x2, float y2, const IBlend* blend,
                         float thickness) {
  PathClear();
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  Stroke(color, thickness, blend);
}

void IGraphics::DrawDottedLine(const IColor& color, float x1, float y1, float x2, float y2, const IBlend* blend,
                               float thickness, float dashLength) {
  PathClear();
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  Stroke(color, thickness, blend, DashedStyle(dashLength));
}

void IGraphics::DrawTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3, float y3,
                             const IBlend* blend, float thickness) {
  PathClear();
  PathTriangle(x1, y1, x2, y2, x3, y3);
  Stroke(color, thickness, blend);
}

void IGraphics::DrawRect(const IColor& color, const IRECT& r, const IBlend* blend, float thickness) {
  PathClear();
  PathRect(r);
  Stroke(color, thickness, blend);
}

void IGraphics::DrawRoundRect(const IColor& color, const IRECT& r, float radius, const IBlend* blend, float thickness) {
  PathClear();
  PathRoundRect(r, radius);
  Stroke(color, thickness, blend);
}

void IGraphics::DrawRoundRectCorners(const IColor& color, const IRECT& r, float tl, float tr, float br, float bl,
                                     const IBlend* blend, float thickness) {
  PathClear();
  PathRoundRect(r, tl, tr, br, bl);
  Stroke(color, thickness, blend);
}

void IGraphics::DrawArc(const IColor& color, float cx, float cy, float r, float a1, float a2, const IBlend* blend,
                        float thickness) {
  PathClear();
  PathArc(cx, cy, r, a1, a2);
  Stroke(color, thickness, blend);
}

void IGraphics::DrawCircle(const IColor& color, float cx, float cy, float r, const IBlend* blend, float thickness) {
  PathClear();
  PathCircle(cx, cy, r);
  Stroke(color, thickness, blend);
}

void IGraphics::DrawEllipseInRect(const IColor& color, const IRECT& r, const IBlend* blend, float thickness) {
  PathClear();
  PathEllipse(r);
  Stroke(color, thickness, blend);
}

void IGraphics::DrawEllipse(const IColor& color, float x, float y, float r1, float r2, float angle, const IBlend* blend,
                            float thickness) {
  PathClear();
  PathEllipse(x, y, r1, r2, angle);
  Stroke(color, thickness, blend);
}

void IGraphics::DrawPolygon(const IColor& color, const float* x, const float* y, int n, const IBlend* blend,
                            float thickness) {
  if (!HasPoints(x, y, n)) return;
  PathClear();
  PathPolygon(x, y, n);
  Stroke(color, thickness, blend);
}

void IGraphics::DrawDottedRect(const IColor& color, const IRECT& r, const IBlend* blend, float thickness,
                               float dashLength) {
  PathClear();
  PathRect(r);
  Stroke(color, thickness, blend, DashedStyle(dashLength));
}

// Fills ------------------------------------------------------------------------------

void IGraphics::FillTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3, float y3,
                             const IBlend* blend) {
  PathClear();
  PathTriangle(x1, y1, x2, y2, x3, y3);
  Fill(color, blend);
}

void IGraphics::FillRect(const IColor& color, const IRECT& r, const IBlend* blend) {
  PathClear();
  PathRect(r);
  Fill(color, blend);
}

void IGraphics::FillRoundRect(const IColor& color, const IRECT& r, float radius, const IBlend* blend) {
  PathClear();
  PathRoundRect(r, radius);
  Fill(color, blend);
}

void IGraphics::FillRoundRectCorners(const IColor& color, const IRECT& r, float tl, float tr, float br, float bl,
                                     const IBlend* blend) {
  PathClear();
  PathRoundRect(r, tl, tr, br, bl);
  Fill(color, blend);
}

void IGraphics::FillCircle(const IColor& color, float cx, float cy, float r, const IBlend* blend) {
  PathClear();
  PathCircle(cx, cy, r);
  Fill(color, blend);
}

void IGraphics::FillEllipseInRect(const IColor& color, const IRECT& r, const IBlend* blend) {
  PathClear();
  PathEllipse(r);
  Fill(color, blend);
}

void IGraphics::FillEllipse(const IColor& color, float x, float y, float r1, float r2, float angle,
                            const IBlend* blend) {
  PathClear();
  PathEllipse(x, y, r1, r2, angle);
  Fill(color, blend);
}

void IGraphics::FillArc(const IColor& color, float cx, float cy, float r, float a1, float a2, const IBlend* blend) {
  PathClear();
  PathMoveTo(cx, cy);
  PathArc(cx, cy, r, a1, a2);
  PathClose();
  Fill(color, blend);
}

void IGraphics::FillPolygon(const IColor& color, const float* x, const float* y, int n, const IBlend* blend) {
  if (!HasPoints(x, y, n)) return;
  PathClear();
  PathPolygon(x, y, n);
  Fill(color, blend);
}

// Grid and data -----------------------------------------------------------------------

void IGraphics::DrawGrid(const IColor& color, const IRECT& r, float spacingX, float spacingY, const IBlend* blend,
                         float thickness) {
  PathClear();
  // A spacing too small to move a coordinate as large as the edge ends the lines.
  if (spacingX > 1.f) {
    for (float x = r.L + spacingX; x < r.R && x + spacingX > x; x += spacingX) {
      PathMoveTo(x, r.T);
      PathLineTo(x, r.B);
    }
  }
  if (spacingY > 1.f) {
    for (float y = r.T + spacingY; y < r.B && y + spacingY > y; y += spacingY) {
      PathMoveTo(r.L, y);
      PathLineTo(r.R, y);
    }
  }
  Stroke(color, thickness, blend);
}

void IGraphics::DrawXYPolyline(const IColor& color, const IRECT& bounds, const float* normY, int n, const float* normX,
                               const IBlend* blend, float thickness, const IColor* fillColor) {
  if (n <= 0 || !normY) return;
  PathClear();
  PathMoveTo(bounds.L, bounds.B - bounds.H() * normY[0]);
  const float step = n > 1 ? bounds.W() / static_cast<float>(static_cast<unsigned>(n - 1)) : 0.f;
  for (int i = 1; i < n; ++i) {
    const float x = normX ? bounds.L + bounds.W() * normX[i] : bounds.L + step * static_cast<float>(i);
    PathLineTo(x, bounds.B - bounds.H() * normY[i]);
  }
  if (fillColor) Fill(*fillColor, blend, IFillStyle{EFillRule::Solid, true});
  Stroke(color, thickness, blend);
}

// Text ---------------------------------------------------------------------------------

void IGraphics::DrawTextIfNotEmpty(const IText& text, const char* str, const IRECT& bounds, const IBlend* blend) {
  if (!str || !*str) return;
  DrawText(text, str, bounds, blend);
}

float IGraphics::MeasureTextIfNotEmpty(const IText& text, const char* str, IRECT& bounds) {
  if (!str || !*str) return 0.f;
  return MeasureText(text, str, bounds);
}

void IGraphics::ComputeRotatedTextOffset(const IText& text, const IRECT& bounds, IRECT& rect, double& dx,
                                         double& dy) const {
  if (text.mAngle == 0.f) return;
  const double radians = DegreesToRadians(text.mAngle);
  const double c = std::cos(radians);
  const double s = std::sin(radians);
  const double xs[4] = {rect.L, rect.R, rect.R, rect.L};
  const double ys[4] = {rect.T, rect.T, rect.B, rect.B};
  double turnedX[4];
  double turnedY[4];
  for (int i = 0; i < 4; ++i) {
    turnedX[i] = xs[i] * c - ys[i] * s;
    turnedY[i] = xs[i] * s + ys[i] * c;
  }
  const auto [left, right] = std::minmax_element(std::begin(turnedX), std::end(turnedX));
  const auto [top, bottom] = std::minmax_element(std::begin(turnedY), std::end(turnedY));
  rect = IRECT(static_cast<float>(*left), static_cast<float>(*top), static_cast<float>(*right),
               static_cast<float>(*bottom));

  switch (text.mAlign) {
    case EAlign::Near: dx = bounds.L - rect.L; break;
    case EAlign::Center: dx = (bounds.L + bounds.R) * 0.5 - (rect.L + rect.R) * 0.5; break;
    case EAlign::Far: dx = bounds.R - rect.R; break;
  }
  switch (text.mVAlign) {
    case EVAlign::Top: dy = bounds.T - rect.T; break;
    case EVAlign::Middle: dy = (bounds.T + bounds.B) * 0.5 - (rect.T + rect.B) * 0.5; break;
    case EVAlign::Bottom: dy = bounds.B - rect.B; break;
  }
}

void IGraphics::MeasureRotatedText(const IText& text, const IRECT& bounds, IRECT& rect) const {
  double dx = 0.0;
  double dy = 0.0;
  ComputeRotatedTextOffset(text, bounds, rect, dx, dy);
  rect = IRECT(static_cast<float>(rect.L + dx), static_cast<float>(rect.T + dy), static_cast<float>(rect.R + dx),
               static_cast<float>(rect.B + dy));
}

}  // namespace plugkit::graphics
