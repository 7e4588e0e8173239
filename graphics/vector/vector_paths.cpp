// Paths, strokes, fills and bitmaps through the vector core.
#include <algorithm>
#include <cmath>

#include "graphics/renderer/paint.h"
#include "graphics/renderer/path.h"
#include "graphics/renderer/tessellation.h"
#include "graphics/renderer/transform.h"
#include "graphics/vector/graphics_vector.h"
#include "graphics/vector/vector_conversions.h"

namespace plugkit::graphics {

namespace {

// Angles arrive clockwise from twelve o'clock; the core counts from three.
constexpr float kQuarterTurnDegrees = 90.f;
constexpr float kBoxShadowMinFeather = 1.f;
constexpr IColor kBoxShadowColor{128, 0, 0, 0};
constexpr IColor kBoxShadowFade{0, 0, 0, 0};

// The number of dashes of dashLength (each followed by a gap as long) in a
// span; -1 for a dash length that is not a positive number or a count
// beyond the limit (or not a number), which draws the span solid.
double DashCount(double span, float dashLength) {
  if (!(dashLength > 0.f) || !std::isfinite(dashLength)) return -1.0;
  const double count = span / dashLength;
  return count <= IGraphicsVector::kMaxDashes ? count : -1.0;
}

// Stroking or filling: the core's setters of a solid colour and of a paint, and the drawing call.
struct PathPainter {
  void (*setColor)(VCcontext*, VCcolor);
  void (*setPaint)(VCcontext*, VCpaint);
  void (*draw)(VCcontext*);
};

// A solid paint is its first stop's colour, any other a gradient; drawn
// with the blend's composite, which is put back to source-over afterwards.
void PaintPath(VCcontext* ctx, const IPaint& paint, const IBlend* blend, bool preserve, const PathPainter& painter) {
  if (paint.mType == EPaintType::Solid)
    painter.setColor(ctx, VectorColor(paint.GetStop(0).mColor, blend));
  else
    painter.setPaint(ctx, PatternToPaint(ctx, paint, blend));
  BlendToComposite(ctx, blend);
  painter.draw(ctx);
  vcGlobalCompositeOperation(ctx, VC_SOURCE_OVER);
  if (!preserve) vcBeginPath(ctx);
}

}  // namespace

void IGraphicsVector::PathClear() {
  if (mContext) vcBeginPath(mContext);
}

void IGraphicsVector::PathClose() {
  if (mContext) vcClosePath(mContext);
}

void IGraphicsVector::PathArc(float cx, float cy, float r, float a1, float a2, EWinding winding) {
  if (!mContext) return;
  vcArc(mContext, cx, cy, r, vcDegToRad(a1 - kQuarterTurnDegrees), vcDegToRad(a2 - kQuarterTurnDegrees),
        winding != EWinding::CW ? VC_CCW : VC_CW);
}

void IGraphicsVector::PathMoveTo(float x, float y) {
  if (mContext) vcMoveTo(mContext, x, y);
}

void IGraphicsVector::PathLineTo(float x, float y) {
  if (mContext) vcLineTo(mContext, x, y);
}

void IGraphicsVector::PathWinding(bool hole) {
  if (mContext) vcPathWinding(mContext, hole ? VC_CW : VC_CCW);
}

void IGraphicsVector::PathCubicTo(float c1x, float c1y, float c2x, float c2y, float x, float y) {
  if (mContext) vcBezierTo(mContext, c1x, c1y, c2x, c2y, x, y);
}

void IGraphicsVector::PathQuadraticTo(float cx, float cy, float x, float y) {
  if (mContext) vcQuadTo(mContext, cx, cy, x, y);
}

void IGraphicsVector::StrokePath(const IPaint& paint, float thickness, const IStrokeStyle& style,
                                 const IBlend* blend) {
  if (!mContext) return;
  VectorLineCap(mContext, style.mCap);
  VectorLineJoin(mContext, style.mJoin);
  vcMiterLimit(mContext, style.mMiterLimit);
  vcStrokeWidth(mContext, thickness);
  vcPathWinding(mContext, VC_CCW);
  PaintPath(mContext, paint, blend, style.mPreserve, {vcStrokeColor, vcStrokePaint, vcStroke});
}

void IGraphicsVector::FillPath(const IPaint& paint, const IFillStyle& style, const IBlend* blend) {
  if (!mContext) return;
  if (style.mFillRule == EFillRule::Solid)
    vcPathWinding(mContext, VC_CCW);
  else if (style.mFillRule == EFillRule::Hole)
    vcPathWinding(mContext, VC_CW);
  PaintPath(mContext, paint, blend, style.mPreserve, {vcFillColor, vcFillPaint, vcFill});
}

// The image's pixels map onto dest at the bitmap's scales, shifted by the
// source offset; an image of 0 draws with no texture.
void IGraphicsVector::DrawBitmap(const IBitmap& bitmap, const IRECT& dest, int srcX, int srcY, const IBlend* blend) {
  const APIBitmap* source = bitmap.GetAPIBitmap();
  if (!mContext || !source) return;
  const float scale = source->GetScale();
  const float s = 1.f / (scale * source->GetDrawScale());
  const float alpha = blend ? blend->mWeight : 1.f;
  VCpaint paint{};
  vcTransformIdentity(paint.xform);
  paint.xform[0] = s;
  paint.xform[3] = s;
  paint.xform[4] = dest.L - static_cast<float>(srcX);
  paint.xform[5] = dest.T - static_cast<float>(srcY);
  paint.extent[0] = scale * static_cast<float>(bitmap.W());
  paint.extent[1] = scale * static_cast<float>(bitmap.H());
  paint.innerColor = paint.outerColor = VCcolor{{{1.f, 1.f, 1.f, alpha}}};
  paint.image = source->GetImageHandle();
  vcBeginPath(mContext);
  VectorRect(mContext, dest);
  vcFillPaint(mContext, paint);
  BlendToComposite(mContext, blend);
  vcFill(mContext);
  vcGlobalCompositeOperation(mContext, VC_SOURCE_OVER);
  vcBeginPath(mContext);
}

void IGraphicsVector::DrawDottedLine(const IColor& color, float x1, float y1, float x2, float y2,
                                     const IBlend* blend, float thickness, float dashLength) {
  if (!mContext) return;
  const double count = DashCount(std::hypot(double{x2} - x1, double{y2} - y1), dashLength);
  PathClear();
  PathMoveTo(x1, y1);
  if (count < 0.0) {
    PathLineTo(x2, y2);
  } else {
    const int n = static_cast<int>(std::round(count));
    const auto at = [&](double t, float from, float to) { return static_cast<float>(from + (to - from) * t); };
    for (int i = 1; i < n; i += 2) {
      const double t = static_cast<double>(i) / n;
      const double next = t + 1.0 / n;
      PathLineTo(at(t, x1, x2), at(t, y1, y2));
      PathMoveTo(at(next, x1, x2), at(next, y1, y2));
    }
  }
  StrokePath(IPaint(color), thickness, IStrokeStyle(), blend);
}

void IGraphicsVector::DashSide(const IRECT& r, float x, float y, float dx, float dy, int count) {
  const float dash = std::hypot(dx, dy);
  const auto clampX = [&](float v) { return std::clamp(v, r.L, r.R); };
  const auto clampY = [&](float v) { return std::clamp(v, r.T, r.B); };
  PathMoveTo(x, y);
  for (int i = 0; i < count && dash > 0.f; ++i) {
    PathLineTo(clampX(x + dx), clampY(y + dy));
    x = clampX(x + 2.f * dx);
    y = clampY(y + 2.f * dy);
    PathMoveTo(x, y);
  }
}

// Each side from its corner, clockwise, each dash followed by a gap as long.
void IGraphicsVector::DrawDottedRect(const IColor& color, const IRECT& r, const IBlend* blend, float thickness,
                                     float dashLength) {
  if (!mContext) return;
  const double across = DashCount(r.W() / 2.0, dashLength);
  const double down = DashCount(r.H() / 2.0, dashLength);
  PathClear();
  if (across < 0.0 || down < 0.0) {
    PathRect(r);
  } else {
    const int nx = static_cast<int>(across);
    const int ny = static_cast<int>(down);
    DashSide(r, r.L, r.T, dashLength, 0.f, nx);
    DashSide(r, r.R, r.T, 0.f, dashLength, ny);
    DashSide(r, r.R, r.B, -dashLength, 0.f, nx);
    DashSide(r, r.L, r.B, 0.f, -dashLength, ny);
  }
  StrokePath(IPaint(color), thickness, IStrokeStyle(), blend);
}

void IGraphicsVector::DrawBoxShadow(const IRECT& inner, const IRECT& outer, float drop, float cornerRadius,
                                    float blur, const IBlend* blend) {
  if (!mContext) return;
  const VCpaint shadow = vcBoxGradient(mContext, inner.L + drop, inner.T + drop, inner.W(), inner.H(), cornerRadius,
                                       std::max(blur, kBoxShadowMinFeather), VectorColor(kBoxShadowColor, blend),
                                       VectorColor(kBoxShadowFade, blend));
  vcBeginPath(mContext);
  VectorRect(mContext, outer);
  vcFillPaint(mContext, shadow);
  vcGlobalCompositeOperation(mContext, VC_SOURCE_OVER);
  vcFill(mContext);
  vcBeginPath(mContext);
}

}  // namespace plugkit::graphics
