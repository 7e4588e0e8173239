#include "graphics/bitmap_control.h"

#include <algorithm>

#include "graphics/graphics_context.h"

namespace plugkit::graphics {

namespace {

constexpr double kNearestFrameRounding = 0.5;

// One frame's rectangle at (x, y) for a strip whose frame count may be below 1.
IRECT FrameRectAt(float x, float y, const IBitmap& bitmap) {
  const int frames = std::max(bitmap.N(), 1);
  const int width = bitmap.GetFramesAreHorizontal() ? bitmap.W() / frames : bitmap.W();
  const int height = bitmap.GetFramesAreHorizontal() ? bitmap.H() : bitmap.H() / frames;
  return IRECT(x, y, x + static_cast<float>(width), y + static_cast<float>(height));
}

}  // namespace

int IBitmapBase::FrameForValue(double value) const {
  const int frames = mBitmap.N();
  if (frames < 2) return 1;
  // A value that is not a number shows the first frame.
  const double position = value * (frames - 1) + kNearestFrameRounding;
  const int nearest = position >= 1.0 ? static_cast<int>(std::min(position, static_cast<double>(frames))) : 0;
  return std::min(frames, nearest + 1);
}

IBitmapControl::IBitmapControl(float x, float y, const IBitmap& bitmap, int paramIdx, const IBlend& blend)
    : IControl(FrameRectAt(x, y, bitmap), paramIdx), IBitmapBase(bitmap) {
  AttachIControl(this);
  SetBlend(blend);
}

IBitmapControl::IBitmapControl(float x, float y, const IBitmap& bitmap, const std::vector<int>& paramIndices,
                               const IBlend& blend)
    : IControl(FrameRectAt(x, y, bitmap), paramIndices), IBitmapBase(bitmap) {
  AttachIControl(this);
  SetBlend(blend);
}

void IBitmapControl::Draw(IGraphics& g) { DrawBitmapFrame(*this, g); }

void IBitmapControl::OnRescale() { OnRescaleCommon(GetUI(), mBitmap); }

void IBitmapControl::DrawBitmapFrame(const IBitmapBase& part, IGraphics& g) {
  const IControl* control = part.GetControl();
  if (!control) return;
  g.DrawBitmapFrame(part.GetBitmap(), control->GetRECT(), part.FrameForValue(control->ValueAt(0)),
                    &control->GetBlend());
}

void IBitmapControl::OnRescaleCommon(IGraphics* g, IBitmap& bitmap) {
  if (!g) return;
  const IBitmap scaled = g->GetScaledBitmap(bitmap);
  if (scaled.IsValid()) bitmap = scaled;
}

}  // namespace plugkit::graphics
