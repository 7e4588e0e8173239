// SVG documents come from the bundle and from whoever made the editor's
// images: whatever the text holds, reading it must end, and an image it gives
// must hold only finite numbers, whole cubic segments and at most eight dashes.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "graphics/svg_reader.h"

namespace {

using plugkit::graphics::SvgImage;
using plugkit::graphics::SvgPaint;
using plugkit::graphics::SvgShape;

bool Finite(float v) { return std::isfinite(v); }

bool PaintIsSound(const SvgPaint& paint) {
  for (float v : paint.mGradient.mTransform) {
    if (!Finite(v)) return false;
  }
  for (const auto& stop : paint.mGradient.mStops) {
    if (!Finite(stop.mOffset) || stop.mOffset < 0.f || stop.mOffset > 1.f) return false;
  }
  return true;
}

bool ShapeIsSound(const SvgShape& shape) {
  if (!Finite(shape.mOpacity) || shape.mOpacity < 0.f || shape.mOpacity > 1.f || !Finite(shape.mStrokeWidth)) {
    return false;
  }
  if (shape.mDashCount < 0 || shape.mDashCount > SvgShape::kMaxDashes) return false;
  for (const auto& subpath : shape.mSubpaths) {
    const int points = subpath.PointCount();
    if (points < 4 || (points - 1) % 3 != 0 || subpath.mPoints.size() % 2 != 0) return false;
    for (float v : subpath.mPoints) {
      if (!Finite(v)) return false;
    }
  }
  return !shape.mSubpaths.empty() && PaintIsSound(shape.mFill) && PaintIsSound(shape.mStroke);
}

void Check(const SvgImage* image) {
  if (!image) return;
  if (!Finite(image->mWidth) || !Finite(image->mHeight) || image->mWidth < 0.f || image->mHeight < 0.f) std::abort();
  for (const auto& shape : image->mShapes) {
    if (!ShapeIsSound(shape)) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Check(plugkit::graphics::ParseSvg(text, "px", 72.f).get());
  Check(plugkit::graphics::ParseSvg(text, "mm", 96.f).get());
  return 0;
}
