#include "graphics/controls/vector_track_controls.h"

#include <algorithm>

#include "graphics/graphics_context.h"
#include "graphics/rect_geometry.h"

namespace plugkit::graphics {

namespace {

// A range slider has exactly a low and a high value.
std::vector<int> LowAndHigh(const std::vector<int>& paramIndices) {
  std::vector<int> slots(paramIndices.begin(), paramIndices.begin() + std::min<size_t>(2, paramIndices.size()));
  slots.resize(2, IControl::kNoParameter);
  return slots;
}

}  // namespace

// Track base --------------------------------------------------------------------------

IVTrackControlBase::IVTrackControlBase(const IRECT& bounds, const char* label, const IVStyle& style,
                                       const std::vector<int>& paramIndices, int numSteps, EDirection direction,
                                       const std::vector<const char*>& trackNames)
    : IControl(bounds, paramIndices), IVectorBase(style), mDirection(direction), mNumSteps(std::max(0, numSteps)) {
  AttachIControl(this, label);
  SetText(mStyle.valueText);
  for (const char* name : trackNames) mTrackNames.emplace_back(name ? name : "");
}

void IVTrackControlBase::DrawBackground(IGraphics& g, const IRECT& r) {
  IVectorBase::DrawBackground(g, r);
  if (mBaseValue <= 0.0) return;
  const auto base = static_cast<float>(mBaseValue);
  if (mDirection == EDirection::Horizontal)
    g.DrawVerticalLineAt(GetColor(kSH), r, base, OwnerBlend());
  else
    g.DrawHorizontalLineAt(GetColor(kSH), r, base, OwnerBlend());
}

void IVTrackControlBase::DrawWidget(IGraphics& g) {
  for (size_t i = 0; i < mTrackBounds.size(); ++i) DrawTrack(g, mTrackBounds[i], static_cast<int>(i));
}

void IVTrackControlBase::DrawTrack(IGraphics& g, const IRECT& r, int trackIdx) {
  DrawTrackBackground(g, r, trackIdx);
  if (!mTrackNames.empty()) DrawTrackName(g, r, trackIdx);
  DrawTrackFill(g, r, trackIdx);
  if (mStyle.drawFrame && mDrawTrackFrame) g.DrawRect(GetColor(kFR), r, OwnerBlend(), mStyle.frameThickness);
}

void IVTrackControlBase::DrawTrackBackground(IGraphics& g, const IRECT& r, int trackIdx) {
  g.FillRect(trackIdx == mHighlightedTrack ? GetColor(kHL) : kColorTransparent, r, OwnerBlend());
}

void IVTrackControlBase::DrawTrackName(IGraphics& g, const IRECT& r, int trackIdx) {
  if (trackIdx >= 0 && trackIdx < static_cast<int>(mTrackNames.size()))
    g.DrawTextIfNotEmpty(GetText(), mTrackNames[trackIdx].Get(), r, OwnerBlend());
}

void IVTrackControlBase::DrawTrackFill(IGraphics& g, const IRECT& r, int trackIdx) {
  if (const IRECT fill = FilledPart(r, trackIdx); !fill.Empty()) {
    g.FillRect(GetColor(trackIdx == mHighlightedTrack ? kX1 : kFG), fill, OwnerBlend());
    if (trackIdx == mMouseOverTrack) g.FillRect(GetColor(kHL), fill, OwnerBlend());
  }
  if (mStepBounds.empty()) DrawTrackPeak(g, r, trackIdx);
}

// A band on the filled side of the moving edge, kept inside the track.
void IVTrackControlBase::DrawTrackPeak(IGraphics& g, const IRECT& r, int trackIdx) {
  const double value = ValueAt(trackIdx);
  const bool fillsBelowEdge = value >= std::clamp(mBaseValue, 0.0, 1.0);
  IRECT band = r;
  if (mDirection == EDirection::Vertical) {
    const auto edge = static_cast<float>(r.B - r.H() * value);
    band.T = fillsBelowEdge ? edge : std::max(r.T, edge - mPeakSize);
    band.B = fillsBelowEdge ? std::min(r.B, edge + mPeakSize) : edge;
  } else {
    const auto edge = static_cast<float>(r.L + r.W() * value);
    band.L = fillsBelowEdge ? std::max(r.L, edge - mPeakSize) : edge;
    band.R = fillsBelowEdge ? edge : std::min(r.R, edge + mPeakSize);
  }
  g.FillRect(GetColor(kFR), band, OwnerBlend());
}

IRECT IVTrackControlBase::FilledPart(const IRECT& r, int trackIdx) const {
  const double value = ValueAt(trackIdx);
  const bool vertical = mDirection == EDirection::Vertical;
  if (!mStepBounds.empty()) {
    if (value == 0.0 && !mZeroValueStepHasBounds) return IRECT();
    const IRECT* step = StepHolding(vertical ? static_cast<float>(r.B - r.H() * value)
                                             : static_cast<float>(r.L + r.W() * value));
    if (!step) return IRECT();
    // Steps divide the widget, and a padded track ends short of its edge.
    return (vertical ? IRECT(r.L, step->T, r.R, step->B) : IRECT(step->L, r.T, step->R, r.B)).Intersect(r);
  }
  const double from = std::clamp(mBaseValue, 0.0, 1.0);
  const auto lo = static_cast<float>(std::min(from, value));
  const auto hi = static_cast<float>(std::max(from, value));
  if (vertical) return IRECT(r.L, r.B - r.H() * hi, r.R, r.B - r.H() * lo);
  return IRECT(r.L + r.W() * lo, r.T, r.L + r.W() * hi, r.B);
}

// Steps run top to bottom and left to right; higher values lie up and to the right.
const IRECT* IVTrackControlBase::StepHolding(float position) const {
  if (mDirection == EDirection::Vertical) {
    for (const IRECT& step : mStepBounds)
      if (position >= step.T && position <= step.B) return &step;
  } else {
    for (auto step = mStepBounds.rbegin(); step != mStepBounds.rend(); ++step)
      if (position >= step->L && position <= step->R) return &*step;
  }
  return nullptr;
}

void IVTrackControlBase::MakeTrackRects(const IRECT& bounds) {
  const int n = NVals();
  mTrackBounds.clear();
  for (int i = 0; i < n; ++i) {
    if (mDirection == EDirection::Vertical) {
      const float l = bounds.L + bounds.W() * static_cast<float>(i) / static_cast<float>(n);
      const float r = bounds.L + bounds.W() * static_cast<float>(i + 1) / static_cast<float>(n);
      mTrackBounds.emplace_back(l, bounds.T, r - mTrackPadding, bounds.B - mTrackPadding);
    } else {
      const float t = bounds.T + bounds.H() * static_cast<float>(i) / static_cast<float>(n);
      const float b = bounds.T + bounds.H() * static_cast<float>(i + 1) / static_cast<float>(n);
      mTrackBounds.emplace_back(bounds.L, t + mTrackPadding, bounds.R, b - mTrackPadding);
    }
  }
}

void IVTrackControlBase::MakeStepRects(const IRECT& bounds, int numSteps) {
  mStepBounds.clear();
  if (numSteps <= 0) return;
  const int n = mZeroValueStepHasBounds ? numSteps + 1 : numSteps;
  for (int i = 0; i < n; ++i) mStepBounds.push_back(SlotAlong(bounds, mDirection, n, i));
}

int IVTrackControlBase::GetValueIndexForPosition(float x, float y) const {
  for (size_t i = 0; i < mTrackBounds.size(); ++i)
    if (mTrackBounds[i].Contains(x, y)) return static_cast<int>(i);
  return -1;
}

void IVTrackControlBase::OnResize() {
  ApplyLayout(false);
  MakeTrackRects(mWidgetBounds);
  MakeStepRects(mWidgetBounds, mNumSteps);
}

void IVTrackControlBase::OnMouseHover(float x, float y, const IMouseMod& mod) {
  mMouseOverTrack = GetValueIndexForPosition(x, y);
  IControl::OnMouseHover(x, y, mod);
  MarkDirty(false);
}

void IVTrackControlBase::OnMouseLeave() {
  mMouseOverTrack = -1;
  IControl::OnMouseLeave();
  MarkDirty(false);
}

// Range slider ------------------------------------------------------------------------

IVRangeSliderControl::IVRangeSliderControl(const IRECT& bounds, const std::vector<int>& paramIndices,
                                           const char* label, const IVStyle& style, EDirection direction,
                                           float handleSize, float trackSize)
    : IVTrackControlBase(bounds, label, style, LowAndHigh(paramIndices), 0, direction), mHandleSize(handleSize) {
  mTrackSize = trackSize;
}

void IVRangeSliderControl::Draw(IGraphics& g) {
  DrawBackground(g, GetRECT());
  DrawLabel(g);
  DrawWidget(g);
}

void IVRangeSliderControl::DrawWidget(IGraphics& g) {
  const bool vertical = mDirection == EDirection::Vertical;
  for (int i = 0; i + 1 < static_cast<int>(mTrackBounds.size()); ++i) {
    const IRECT& r = mTrackBounds[i];
    const float a = ValuePoint(r, ValueAt(i));
    const float b = ValuePoint(r, ValueAt(i + 1));
    const IRECT span = vertical ? IRECT(r.L, std::min(a, b), r.R, std::max(a, b))
                                : IRECT(std::min(a, b), r.T, std::max(a, b), r.B);
    g.FillRect(GetColor(kX1), span, OwnerBlend());
  }
  if (mStyle.drawFrame && mDrawTrackFrame && !mTrackBounds.empty())
    g.DrawRect(GetColor(kFR), mTrackBounds.front(), OwnerBlend(), mStyle.frameThickness);
  for (int i = 0; i < NVals(); ++i) DrawHandle(g, i);
}

// Triangles point at the track: from the left and right of a vertical one,
// from below and above a horizontal one.
void IVRangeSliderControl::DrawHandle(IGraphics& g, int valIdx) {
  constexpr float kEvenVertical = 90.f, kOddVertical = 270.f, kEvenHorizontal = 0.f, kOddHorizontal = 180.f;
  const bool even = valIdx % 2 == 0;
  const float angle = mDirection == EDirection::Vertical ? (even ? kEvenVertical : kOddVertical)
                                                         : (even ? kEvenHorizontal : kOddHorizontal);
  const bool underMouse = valIdx == mMouseOverHandle;
  DrawPressableTriangle(g, HandleBounds(valIdx), underMouse && mMouseDown, underMouse, IsDisabled(), angle);
}

void IVRangeSliderControl::MakeTrackRects(const IRECT& bounds) {
  const IRECT strip = StripAlong(bounds, mDirection, mTrackSize);
  const IRECT track =
      mDirection == EDirection::Vertical ? Inset(strip, 0.f, mHandleSize) : Inset(strip, mHandleSize, 0.f);
  mTrackBounds.assign(NVals(), track);
}

float IVRangeSliderControl::ValuePoint(const IRECT& track, double value) const {
  const auto v = static_cast<float>(value);
  return mDirection == EDirection::Vertical ? track.B - track.H() * v : track.L + track.W() * v;
}

// Even handles sit left of a vertical track and below a horizontal one, odd
// ones on the other side.
IRECT IVRangeSliderControl::HandleBounds(int valIdx) const {
  if (valIdx < 0 || valIdx >= static_cast<int>(mTrackBounds.size())) return IRECT();
  const IRECT& r = mTrackBounds[valIdx];
  const float at = ValuePoint(r, ValueAt(valIdx));
  const float h = mHandleSize;
  const float t = mTrackSize;
  const bool even = valIdx % 2 == 0;
  if (mDirection == EDirection::Vertical) {
    const float c = (r.L + r.R) / 2.f + HandleShadowShift();
    const float left = even ? c - 2.f * h : c + t;
    return IRECT(left, at - h, left + 2.f * h, at + h);
  }
  const float c = (r.T + r.B) / 2.f + HandleShadowShift();
  const float top = even ? c + t : c - 2.f * h;
  return IRECT(at - h, top, at + h, top + 2.f * h);
}

int IVRangeSliderControl::HandleForPoint(float x, float y) const {
  for (int i = 0; i < NVals(); ++i)
    if (HandleBounds(i).Contains(x, y)) return i;
  return -1;
}

void IVRangeSliderControl::OnMouseHover(float x, float y, const IMouseMod& mod) {
  mMouseOverHandle = HandleForPoint(x, y);
  IVTrackControlBase::OnMouseHover(x, y, mod);
}

void IVRangeSliderControl::OnMouseLeave() {
  mMouseOverHandle = -1;
  IVTrackControlBase::OnMouseLeave();
}

void IVRangeSliderControl::OnMouseDown(float x, float y, const IMouseMod& mod) {
  mMouseDown = true;
  OnMouseDrag(x, y, 0.f, 0.f, mod);
}

void IVRangeSliderControl::OnMouseUp(float, float, const IMouseMod&) {
  mMouseDown = false;
  MarkDirty(false);
}

// Between its neighbours' values: 0 below the first, 1 above the last.
void IVRangeSliderControl::OnMouseDrag(float x, float y, float, float, const IMouseMod&) {
  const int i = mMouseOverHandle;
  if (i < 0 || i >= NVals()) return;
  const double lo = i > 0 ? ValueAt(i - 1) : 0.0;
  const double hi = i + 1 < NVals() ? ValueAt(i + 1) : 1.0;
  SetValueFromPoint(x, y, mDirection, mWidgetBounds, i, lo, hi);
}

}  // namespace plugkit::graphics
