#include "graphics/drawing_types.h"

#include <algorithm>
#include <cmath>

namespace plugkit::graphics {

namespace {
constexpr float kPi = 3.1415927f;
constexpr float kHalfTurnDegrees = 180.f;
}  // namespace

double DegreesToRadians(float degrees) { return static_cast<double>(degrees / kHalfTurnDegrees * kPi); }

void ITransform::TransformPoint(double& x, double& y) const {
  const double inX = x;
  x = xx * inX + xy * y + tx;
  y = yx * inX + yy * y + ty;
}

void ITransform::Translate(float x, float y) {
  tx += xx * x + xy * y;
  ty += yx * x + yy * y;
}

void ITransform::Scale(float sx, float sy) {
  xx *= sx;
  yx *= sx;
  xy *= sy;
  yy *= sy;
}

void ITransform::Rotate(float degrees) {
  const double radians = DegreesToRadians(degrees);
  const double c = std::cos(radians);
  const double s = std::sin(radians);
  const ITransform t = *this;
  xx = t.xx * c + t.xy * s;
  yx = t.yx * c + t.yy * s;
  xy = t.xy * c - t.xx * s;
  yy = t.yy * c - t.yx * s;
}

void ITransform::Skew(float xDegrees, float yDegrees) {
  const double a = std::tan(DegreesToRadians(xDegrees));
  const double b = std::tan(DegreesToRadians(yDegrees));
  const ITransform t = *this;
  xx = t.xx + b * t.xy;
  yx = t.yx + b * t.yy;
  xy = t.xy + a * t.xx;
  yy = t.yy + a * t.yx;
}

void ITransform::Transform(const ITransform& m) {
  const ITransform t = *this;
  xx = t.xx * m.xx + t.xy * m.yx;
  yx = t.yx * m.xx + t.yy * m.yx;
  xy = t.xx * m.xy + t.xy * m.yy;
  yy = t.yx * m.xy + t.yy * m.yy;
  tx = t.tx + t.xx * m.tx + t.xy * m.ty;
  ty = t.ty + t.yx * m.tx + t.yy * m.ty;
}

void IStrokeStyle::SetDash(const float* lengths, int count, float offset) {
  const int used = lengths ? std::clamp(count, 0, kMaxDashes) : 0;
  float dashes[kMaxDashes] = {};
  std::copy_n(lengths, used, dashes);
  std::copy_n(dashes, kMaxDashes, mDashArray);
  mDashCount = used;
  mDashOffset = offset;
}

}  // namespace plugkit::graphics
