#include "graphics/vector/vector_conversions.h"

#include <algorithm>
#include <cmath>

#include "graphics/renderer/paint.h"
#include "graphics/renderer/path.h"

namespace plugkit::graphics {

namespace {

constexpr float kChannelMax = 255.f;
constexpr int kLastCompositeMethod = VC_DESTINATION_ATOP;
constexpr int kAlphaBlendMethod = 8;
constexpr int kXorMethod = 9;
// ELineJoin Miter, Round, Bevel as the core numbers them.
constexpr int kCoreJoins[] = {VC_MITER, VC_ROUND, VC_BEVEL};
constexpr int kCoreCaps = 3;

// The affine map of a paint as (a b c d e f): x' = a x + c y + e, y' = b x + d y + f.
struct Affine {
  double a, b, c, d, e, f;

  void Apply(double x, double y, float& outX, float& outY) const {
    outX = static_cast<float>(a * x + c * y + e);
    outY = static_cast<float>(b * x + d * y + f);
  }
};

// The inverse in double precision; a singular transform has none, and the
// identity stands for it.
Affine Inverse(const ITransform& t) {
  const double det = t.xx * t.yy - t.yx * t.xy;
  if (det == 0.0 || !std::isfinite(det)) return {1.0, 0.0, 0.0, 1.0, 0.0, 0.0};
  return {t.yy / det,
          -t.yx / det,
          -t.xy / det,
          t.xx / det,
          (t.xy * t.ty - t.yy * t.tx) / det,
          (t.yx * t.tx - t.xx * t.ty) / det};
}

}  // namespace

VCcolor VectorColor(const IColor& color, const IBlend* blend) {
  const float weight = blend ? blend->mWeight : 1.f;
  VCcolor out;
  out.r = static_cast<float>(color.R) / kChannelMax;
  out.g = static_cast<float>(color.G) / kChannelMax;
  out.b = static_cast<float>(color.B) / kChannelMax;
  out.a = weight * static_cast<float>(color.A) / kChannelMax;
  return out;
}

void BlendToComposite(VCcontext* ctx, const IBlend* blend) {
  if (!blend) {
    vcGlobalCompositeOperation(ctx, VC_SOURCE_OVER);
    return;
  }
  const int method = blend->mMethod;
  if (method >= VC_SOURCE_OVER && method <= kLastCompositeMethod)
    vcGlobalCompositeOperation(ctx, method);
  else if (method == kAlphaBlendMethod)
    vcGlobalCompositeBlendFunc(ctx, VC_SRC_ALPHA, VC_DST_ALPHA);
  else if (method == kXorMethod)
    vcGlobalCompositeOperation(ctx, VC_XOR);
}

VCpaint PatternToPaint(VCcontext* ctx, const IPaint& paint, const IBlend* blend) {
  const int last = std::clamp(paint.NStops() - 1, 0, IPaint::kMaxStops - 1);
  const VCcolor inner = VectorColor(paint.GetStop(0).mColor, blend);
  const VCcolor outer = VectorColor(paint.GetStop(last).mColor, blend);
  const Affine inverse = Inverse(paint.mTransform);
  float startX = 0.f;
  float startY = 0.f;
  inverse.Apply(0.0, 0.0, startX, startY);
  if (paint.mType == EPaintType::Radial) {
    const float radius = static_cast<float>(inverse.a);
    return vcRadialGradient(ctx, startX, startY, radius * paint.GetStop(0).mOffset, radius, inner, outer);
  }
  float endX = 0.f;
  float endY = 0.f;
  inverse.Apply(0.0, 1.0, endX, endY);
  return vcLinearGradient(ctx, startX, startY, endX, endY, inner, outer);
}

void VectorRect(VCcontext* ctx, const IRECT& r) { vcRect(ctx, r.L, r.T, r.R - r.L, r.B - r.T); }

void VectorLineCap(VCcontext* ctx, ELineCap cap) {
  const auto value = static_cast<unsigned>(cap);
  if (value < kCoreCaps) vcLineCap(ctx, static_cast<int>(value));
}

void VectorLineJoin(VCcontext* ctx, ELineJoin join) {
  const auto value = static_cast<unsigned>(join);
  if (value < std::size(kCoreJoins)) vcLineJoin(ctx, kCoreJoins[value]);
}

}  // namespace plugkit::graphics
