#include "graphics/controls/svg_controls.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "graphics/graphics_context.h"
#include "graphics/rect_geometry.h"

namespace plugkit::graphics {

namespace {

constexpr double kOnThreshold = 0.5;
constexpr double kNearestStateRounding = 0.5;
constexpr int kMouseOverColorOffset = 2;
constexpr int kOffColorIndex = 0;
constexpr int kOnColorIndex = 1;
// Neither side of the laid-out track or handle is narrower than this.
constexpr float kMinLayoutSize = 1.f;

bool HasDrawableSize(const ISVG& image) {
  return image.IsValid() && std::isfinite(image.W()) && std::isfinite(image.H()) && image.W() > 0.f &&
         image.H() > 0.f;
}

float CentreX(const IRECT& r) { return (r.L + r.R) / 2.f; }
float CentreY(const IRECT& r) { return (r.T + r.B) / 2.f; }

}  // namespace

// Button and toggle --------------------------------------------------------------

void SVGStateImages::Draw(IGraphics& g, const IControl& control) const {
  const bool on = control.ValueAt(0) > kOnThreshold;
  const int colorIndex =
      (on ? kOnColorIndex : kOffColorIndex) + (control.GetMouseIsOver() ? kMouseOverColorOffset : 0);
  const IColor* color = &mColors[static_cast<size_t>(colorIndex)];
  const IColor* fill = mReplacement == ESVGColorReplacement::Fill ? color : nullptr;
  const IColor* stroke = mReplacement == ESVGColorReplacement::Stroke ? color : nullptr;
  g.DrawSVG(on ? mOnImage : mOffImage, control.GetRECT(), &control.GetBlend(), stroke, fill);
}

ISVGButtonControl::ISVGButtonControl(const IRECT& bounds, ActionFunc actionFunc, const ISVG& offImage,
                                     const ISVG& onImage)
    : IButtonControlBase(bounds, std::move(actionFunc)), mImages{offImage, onImage} {}

ISVGButtonControl::ISVGButtonControl(const IRECT& bounds, ActionFunc actionFunc, const ISVG& image,
                                     const SVGStateColors& colors, ESVGColorReplacement replacement)
    : IButtonControlBase(bounds, std::move(actionFunc)), mImages{image, image, colors, replacement} {}

void ISVGButtonControl::Draw(IGraphics& g) { mImages.Draw(g, *this); }

ISVGToggleControl::ISVGToggleControl(const IRECT& bounds, ActionFunc actionFunc, const ISVG& offImage,
                                     const ISVG& onImage)
    : ISwitchControlBase(bounds, kNoParameter, std::move(actionFunc)), mImages{offImage, onImage} {}

ISVGToggleControl::ISVGToggleControl(const IRECT& bounds, int paramIdx, const ISVG& offImage, const ISVG& onImage)
    : ISwitchControlBase(bounds, paramIdx), mImages{offImage, onImage} {}

ISVGToggleControl::ISVGToggleControl(const IRECT& bounds, ActionFunc actionFunc, const ISVG& image,
                                     const SVGStateColors& colors, ESVGColorReplacement replacement)
    : ISwitchControlBase(bounds, kNoParameter, std::move(actionFunc)), mImages{image, image, colors, replacement} {}

ISVGToggleControl::ISVGToggleControl(const IRECT& bounds, int paramIdx, const ISVG& image,
                                     const SVGStateColors& colors, ESVGColorReplacement replacement)
    : ISwitchControlBase(bounds, paramIdx), mImages{image, image, colors, replacement} {}

void ISVGToggleControl::Draw(IGraphics& g) { mImages.Draw(g, *this); }

// Knob ---------------------------------------------------------------------------

ISVGKnobControl::ISVGKnobControl(const IRECT& bounds, const ISVG& image, int paramIdx)
    : IKnobControlBase(bounds, paramIdx), mImage(image) {}

void ISVGKnobControl::Draw(IGraphics& g) {
  const IRECT& r = GetRECT();
  const double angle = mStartAngle + ValueAt(0) * (mEndAngle - mStartAngle);
  g.DrawRotatedSVG(mImage, CentreX(r), CentreY(r), r.W(), r.H(), angle, &GetBlend());
}

void ISVGKnobControl::SetSVG(const ISVG& image) {
  mImage = image;
  MarkDirty(false);
}

// Switch -------------------------------------------------------------------------

ISVGSwitchControl::ISVGSwitchControl(const IRECT& bounds, std::vector<ISVG> images, int paramIdx,
                                     ActionFunc actionFunc)
    : ISwitchControlBase(bounds, paramIdx, std::move(actionFunc), static_cast<int>(images.size())),
      mImages(std::move(images)) {}

void ISVGSwitchControl::Draw(IGraphics& g) {
  if (mImages.empty()) return;
  const double nearest = ValueAt(0) * (mNumStates - 1) + kNearestStateRounding;
  const double last = static_cast<double>(mImages.size() - 1);
  // A value that is not a number shows the first image.
  const double index = nearest >= 0.0 ? std::min(nearest, last) : 0.0;
  g.DrawSVG(mImages[static_cast<size_t>(index)], GetRECT(), &GetBlend());
}

// Slider -------------------------------------------------------------------------

ISVGSliderControl::ISVGSliderControl(const IRECT& bounds, const ISVG& handleImage, const ISVG& trackImage,
                                     int paramIdx, EDirection direction, double gearing)
    : ISliderControlBase(bounds, paramIdx, direction, gearing), mHandleImage(handleImage), mTrackImage(trackImage) {}

void ISVGSliderControl::OnResize() {
  mTrackSVGBounds = IRECT();
  mHandleBoundsAtMax = IRECT();
  mTrackBounds = IRECT();
  if (HasDrawableSize(mTrackImage) && HasDrawableSize(mHandleImage)) {
    const IRECT& r = GetRECT();
    const float trackAspect = mTrackImage.W() / mTrackImage.H();
    const float handleAspect = mHandleImage.W() / mHandleImage.H();
    const float handleToTrack = mHandleImage.H() / mTrackImage.H();
    if (mDirection == EDirection::Horizontal) {
      const float trackW = std::max(r.W(), kMinLayoutSize);
      const float fittedH = trackW / trackAspect;
      const float trackH = fittedH > 0.f ? fittedH : trackW;
      mTrackSVGBounds = CentredIn(r, trackW, trackH);
      const float handleH = handleToTrack * trackH;
      const float handleW = std::max(handleAspect * handleH, kMinLayoutSize);
      const float shownH = handleH > 0.f ? handleH : handleW;
      const IRECT& t = mTrackSVGBounds;
      mHandleBoundsAtMax = IRECT(t.R - handleW, CentreY(t) - shownH / 2.f, t.R, CentreY(t) + shownH / 2.f);
      mTrackBounds = IRECT(t.L + handleW, t.T, t.R, t.B);
    } else {
      const float trackH = r.H();
      const float trackW = std::max(trackAspect * trackH, kMinLayoutSize);
      mTrackSVGBounds = CentredIn(r, trackW, trackH);
      const float handleH = handleToTrack * trackH;
      const float handleW = std::max(handleAspect * handleH, kMinLayoutSize);
      const IRECT& t = mTrackSVGBounds;
      mHandleBoundsAtMax = IRECT(CentreX(t) - handleW / 2.f, t.T, CentreX(t) + handleW / 2.f, t.T + handleH);
      mTrackBounds = IRECT(t.L, t.T + handleH, t.R, t.B);
    }
  }
  MarkDirty(false);
}

IRECT ISVGSliderControl::GetHandleBounds(double value) const {
  if (value < 0.0) value = ValueAt(0);
  const IRECT& h = mHandleBoundsAtMax;
  if (mDirection == EDirection::Horizontal) {
    const auto dx = static_cast<float>((1.0 - value) * mTrackBounds.W());
    return IRECT(h.L - dx, h.T, h.R - dx, h.B);
  }
  const auto dy = static_cast<float>((1.0 - value) * mTrackBounds.H());
  return IRECT(h.L, h.T + dy, h.R, h.B + dy);
}

void ISVGSliderControl::Draw(IGraphics& g) {
  if (mTrackSVGBounds.Empty()) return;
  g.DrawSVG(mTrackImage, mTrackSVGBounds, &GetBlend());
  g.DrawSVG(mHandleImage, GetHandleBounds(), &GetBlend());
}

}  // namespace plugkit::graphics
