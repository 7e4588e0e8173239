// Drawing a parsed SVG image shape by shape through the path slots.
#include <algorithm>
#include <cmath>

#include "graphics/graphics_context.h"

namespace plugkit::graphics {

namespace {

constexpr int kFloatsPerPoint = 2;
constexpr int kPointsPerCubic = 3;
constexpr double kParallelEpsilon = 1e-8;
constexpr float kMaxChannel = 255.f;

bool IsDrawableSize(float size) { return std::isfinite(size) && size > 0.f; }

IColor UnpackColor(uint32_t packed, int alpha) {
  return IColor(alpha, static_cast<int>(packed & 0xFF), static_cast<int>((packed >> 8) & 0xFF),
                static_cast<int>((packed >> 16) & 0xFF));
}

bool IsGradient(const SvgPaint& paint) {
  return paint.mType == SvgPaint::kLinearGradient || paint.mType == SvgPaint::kRadialGradient;
}

// A gradient without stops has no colour to draw with.
bool IsDrawn(const SvgPaint& paint, const IColor* replacement) {
  if (paint.mType == SvgPaint::kNone) return false;
  return replacement || !IsGradient(paint) || !paint.mGradient.mStops.empty();
}

// Opacity to alpha, rounded half away from zero and clamped.
int OpacityToAlpha(float opacity) {
  const float scaled = opacity * kMaxChannel;
  if (!(scaled > 0.f)) return 0;
  return static_cast<int>(std::min(std::round(scaled), kMaxChannel));
}

EPaintExtend SpreadToExtend(int32_t spread) {
  switch (spread) {
    case SvgGradient::kSpreadReflect: return EPaintExtend::Reflect;
    case SvgGradient::kSpreadRepeat: return EPaintExtend::Repeat;
    default: return EPaintExtend::Pad;
  }
}

// Gradient stops keep their own colours whatever the shape's opacity.
IPaint ConvertPaint(const SvgPaint& paint, float opacity) {
  const int alpha = OpacityToAlpha(opacity);
  if (paint.mType == SvgPaint::kColor) return IPaint(UnpackColor(paint.mColor, alpha));
  if (!IsGradient(paint)) return IPaint(IColor(alpha, 0, 0, 0));

  const SvgGradient& gradient = paint.mGradient;
  IPaint result;
  result.mType = paint.mType == SvgPaint::kLinearGradient ? EPaintType::Linear : EPaintType::Radial;
  result.mExtend = SpreadToExtend(gradient.mSpread);
  const int count = static_cast<int>(std::min<size_t>(gradient.mStops.size(), IPaint::kMaxStops));
  for (int i = 0; i < count; ++i) {
    result.mStops[i].mColor = UnpackColor(gradient.mStops[i].mColor, static_cast<int>(kMaxChannel));
    result.mStops[i].mOffset = gradient.mStops[i].mOffset;
  }
  result.mNStops = count;
  const float* m = gradient.mTransform;
  result.mTransform = ITransform(m[0], m[1], m[2], m[3], m[4], m[5]);
  return result;
}

struct Vec {
  double x;
  double y;
};

Vec PointAt(const SvgSubpath& subpath, int index) {
  return {subpath.mPoints[index * kFloatsPerPoint], subpath.mPoints[index * kFloatsPerPoint + 1]};
}

// Whether the ray from origin along direction crosses the chord from start to
// end: at or after the origin, and from the chord's start up to its end.
bool RayCrossesChord(Vec origin, Vec direction, Vec start, Vec end) {
  const Vec chord{end.x - start.x, end.y - start.y};
  const double denominator = direction.x * chord.y - direction.y * chord.x;
  if (std::abs(denominator) < kParallelEpsilon) return false;
  const Vec offset{origin.x - start.x, origin.y - start.y};
  const double alongChord = (direction.x * offset.y - direction.y * offset.x) / denominator;
  const double alongRay = (chord.x * offset.y - chord.y * offset.x) / denominator;
  return alongChord >= 0.0 && alongChord < 1.0 && alongRay >= 0.0;
}

// Crossings of the ray with the outline through the sub-path's segment ends,
// closed back to its start.
int CountCrossings(Vec origin, Vec direction, const SvgSubpath& outline) {
  const int points = outline.PointCount();
  int crossings = 0;
  int last = 0;
  for (int next = kPointsPerCubic; next < points; next += kPointsPerCubic) {
    if (RayCrossesChord(origin, direction, PointAt(outline, last), PointAt(outline, next))) ++crossings;
    last = next;
  }
  if (RayCrossesChord(origin, direction, PointAt(outline, last), PointAt(outline, 0))) ++crossings;
  return crossings;
}

// A sub-path is a hole when a ray from its first point, pointing away past
// its own top-left corner, crosses the shape's other outlines an odd number
// of times.
bool IsHole(const SvgShape& shape, size_t index) {
  const SvgSubpath& subpath = shape.mSubpaths[index];
  const Vec origin = PointAt(subpath, 0);
  const Vec direction{subpath.mMinX - 1.0 - origin.x, subpath.mMinY - 1.0 - origin.y};
  int crossings = 0;
  for (size_t other = 0; other < shape.mSubpaths.size(); ++other) {
    if (other == index || shape.mSubpaths[other].PointCount() < 1 + kPointsPerCubic) continue;
    crossings += CountCrossings(origin, direction, shape.mSubpaths[other]);
  }
  return crossings % 2 == 1;
}

IStrokeStyle StrokeStyleOf(const SvgShape& shape) {
  IStrokeStyle style;
  style.mMiterLimit = shape.mMiterLimit;
  style.mCap = shape.mLineCap == SvgShape::kCapRound    ? ELineCap::Round
               : shape.mLineCap == SvgShape::kCapSquare ? ELineCap::Square
                                                        : ELineCap::Butt;
  style.mJoin = shape.mLineJoin == SvgShape::kJoinRound   ? ELineJoin::Round
                : shape.mLineJoin == SvgShape::kJoinBevel ? ELineJoin::Bevel
                                                          : ELineJoin::Miter;
  style.SetDash(shape.mDashArray, shape.mDashCount, shape.mDashOffset);
  return style;
}

}  // namespace

void IGraphics::DrawSVG(const ISVG& svg, const IRECT& bounds, const IBlend* blend, const IColor* strokeColor,
                        const IColor* fillColor) {
  if (!svg.IsValid() || !IsDrawableSize(svg.mImage->mWidth) || !IsDrawableSize(svg.mImage->mHeight)) return;
  const SvgImage& image = *svg.mImage;
  const float scale = std::min(bounds.W() / image.mWidth, bounds.H() / image.mHeight);
  PathTransformSave();
  PathTransformTranslate(bounds.L, bounds.T);
  PathTransformScale(scale);
  for (const SvgShape& shape : image.mShapes) {
    if (shape.mVisible) DrawSVGShape(shape, blend, strokeColor, fillColor);
  }
  PathTransformRestore();
}

void IGraphics::DrawSVGShape(const SvgShape& shape, const IBlend* blend, const IColor* strokeColor,
                             const IColor* fillColor) {
  PathClear();
  for (size_t index = 0; index < shape.mSubpaths.size(); ++index) {
    const SvgSubpath& subpath = shape.mSubpaths[index];
    const int points = subpath.PointCount();
    if (points < 1) continue;
    const float* p = subpath.mPoints.data();
    PathMoveTo(p[0], p[1]);
    // Whole segments only: a cut-off one at the end is left out.
    for (int i = 1; i + 2 < points; i += kPointsPerCubic) {
      const float* c = p + i * kFloatsPerPoint;
      PathCubicTo(c[0], c[1], c[2], c[3], c[4], c[5]);
    }
    if (subpath.mClosed) PathClose();
    PathWinding(IsHole(shape, index));
  }

  const bool stroked = IsDrawn(shape.mStroke, strokeColor);
  if (IsDrawn(shape.mFill, fillColor)) {
    const IPaint paint = fillColor ? IPaint(*fillColor) : ConvertPaint(shape.mFill, shape.mOpacity);
    FillPath(paint, IFillStyle{EFillRule::KeepWindings, stroked}, blend);
  }
  if (stroked) {
    const IPaint paint = strokeColor ? IPaint(*strokeColor) : ConvertPaint(shape.mStroke, shape.mOpacity);
    StrokePath(paint, shape.mStrokeWidth, StrokeStyleOf(shape), blend);
  }
}

void IGraphics::DrawRotatedSVG(const ISVG& svg, float centreX, float centreY, float width, float height,
                               double angle, const IBlend* blend, const IColor* strokeColor, const IColor* fillColor) {
  PathTransformSave();
  PathTransformTranslate(centreX, centreY);
  PathTransformRotate(static_cast<float>(angle));
  DrawSVG(svg, IRECT(-width / 2.f, -height / 2.f, width / 2.f, height / 2.f), blend, strokeColor, fillColor);
  PathTransformRestore();
}

}  // namespace plugkit::graphics
