#include "graphics/controls/vector_knob_slider.h"

#include <algorithm>

#include "graphics/graphics_context.h"
#include "graphics/rect_geometry.h"

namespace plugkit::graphics {

namespace {

float MidX(const IRECT& r) { return (r.L + r.R) / 2.f; }
float MidY(const IRECT& r) { return (r.T + r.B) / 2.f; }

}  // namespace

// Shared by knob and slider ---------------------------------------------------------

template <class Base>
void IVValueControlBase<Base>::OnInit() {
  ShowParamValueAndName();
}

// The action may remove the control.
template <class Base>
void IVValueControlBase<Base>::MarkDirty(bool triggerAction, int valIdx) {
  const IGraphics::ControlWatch watch(this->GetUI(), this);
  Base::MarkDirty(triggerAction, valIdx);
  if (watch.Kept()) ShowParamValue();
}

// The value rectangle asks for a typed value when pressed, and is lit under
// the mouse, only where a prompt may follow: otherwise a value drawn in the
// widget would swallow every press meant for the widget.
template <class Base>
bool IVValueControlBase<Base>::ValuePrompts(float x, float y) const {
  return mStyle.showValue && !this->IsPromptDisabled() && mValueBounds.Contains(x, y);
}

template <class Base>
bool IVValueControlBase<Base>::HitTest(float x, float y) const {
  return (!this->IsPromptDisabled() && mValueBounds.Contains(x, y)) || mWidgetBounds.Contains(x, y);
}

// Either may prompt, and an answer that comes at once may remove the control.
template <class Base>
void IVValueControlBase<Base>::OnMouseDown(float x, float y, const IMouseMod& mod) {
  const IGraphics::ControlWatch watch(this->GetUI(), this);
  if (ValuePrompts(x, y))
    this->PromptUserInput(mValueBounds, 0);
  else
    Base::OnMouseDown(x, y, mod);
  if (watch.Kept()) MarkDirty(false);
}

template <class Base>
void IVValueControlBase<Base>::OnMouseUp(float x, float y, const IMouseMod& mod) {
  Base::OnMouseUp(x, y, mod);
  MarkDirty(true);
}

template <class Base>
void IVValueControlBase<Base>::OnMouseDoubleClick(float x, float y, const IMouseMod&) {
  if (const int valIdx = this->GetValueIndexForPosition(x, y); valIdx >= 0) this->ResetValueToDefault(valIdx);
}

template <class Base>
void IVValueControlBase<Base>::OnMouseHover(float x, float y, const IMouseMod& mod) {
  mValueMouseOver = ValuePrompts(x, y);
  Base::OnMouseHover(x, y, mod);
  MarkDirty(false);
}

// The value is no longer lit once the mouse has left.
template <class Base>
void IVValueControlBase<Base>::OnMouseLeave() {
  mValueMouseOver = false;
  Base::OnMouseLeave();
}

template class IVValueControlBase<IKnobControlBase>;
template class IVValueControlBase<ISliderControlBase>;

// Knob --------------------------------------------------------------------------------

IVKnobControl::IVKnobControl(const IRECT& bounds, int paramIdx, const char* label, const IVStyle& style,
                             bool valueIsEditable, bool valueInWidget, float startAngle, float endAngle,
                             float anchorAngle, EDirection direction, double gearing, float trackSize)
    : IVValueControlBase(label, style, valueIsEditable, valueInWidget, trackSize, bounds, paramIdx, direction, gearing),
      mStartAngle(startAngle),
      mEndAngle(endAngle),
      mAnchorAngle(anchorAngle) {}

IVKnobControl::IVKnobControl(const IRECT& bounds, ActionFunc actionFunc, const char* label, const IVStyle& style,
                             bool valueIsEditable, bool valueInWidget, float startAngle, float endAngle,
                             float anchorAngle, EDirection direction, double gearing, float trackSize)
    : IVKnobControl(bounds, kNoParameter, label, style, valueIsEditable, valueInWidget, startAngle, endAngle,
                    anchorAngle, direction, gearing, trackSize) {
  SetActionFunction(std::move(actionFunc));
}

IRECT IVKnobControl::GetKnobDragBounds() {
  const IRECT& w = mWidgetBounds;
  if (w.W() > w.H()) return CentredIn(w, w.H() / 2.f, w.H());
  return CentredIn(w, std::max(1.f, w.W()), w.W() / 2.f);
}

void IVKnobControl::Draw(IGraphics& g) {
  DrawBackground(g, GetRECT());
  DrawLabel(g);
  DrawWidget(g);
  DrawValue(g, mValueMouseOver);
}

void IVKnobControl::DrawWidget(IGraphics& g) {
  const IRECT& w = mWidgetBounds;
  const float radius = std::min(w.W(), w.H()) / 2.f - mTrackSize / 2.f;
  const float side = std::max(1.f, 2.f * (radius - kTrackToHandleDistance));
  const IRECT handle = CentredIn(w, side, side);
  const float angle = mStartAngle + static_cast<float>(ValueAt(0)) * (mEndAngle - mStartAngle);
  DrawIndicatorTrack(g, angle, MidX(w), MidY(w), radius);
  DrawHandle(g, handle);
  DrawPointer(g, angle, MidX(w), MidY(w), handle.W() / 2.f);
}

void IVKnobControl::DrawHandle(IGraphics& g, const IRECT& bounds) {
  DrawPressableShape(g, mShape, bounds, mMouseDown, GetMouseIsOver(), IsDisabled());
}

// A knob too small for its track has no room for the arc either.
void IVKnobControl::DrawIndicatorTrack(IGraphics& g, float angle, float cx, float cy, float radius) {
  if (mTrackSize <= 0.f || radius <= 0.f) return;
  g.DrawArc(GetColor(kX1), cx, cy, radius, std::min(angle, mAnchorAngle), std::max(angle, mAnchorAngle),
            OwnerBlend(), mTrackSize);
}

void IVKnobControl::DrawPointer(IGraphics& g, float angle, float cx, float cy, float radius) {
  g.DrawRadialLine(GetColor(kFR), cx, cy, angle, radius * kInnerPointerFrac, radius * kOuterPointerFrac,
                   OwnerBlend(), kPointerThickness);
}

void IVKnobControl::OnResize() { ApplyLayout(false); }

// Slider ------------------------------------------------------------------------------

IVSliderControl::IVSliderControl(const IRECT& bounds, int paramIdx, const char* label, const IVStyle& style,
                                 bool valueIsEditable, EDirection direction, bool handleInsideTrack, double gearing,
                                 float handleSize, float trackSize, float handleXOffset, float handleYOffset)
    : IVValueControlBase(label, style, valueIsEditable, false, trackSize, bounds, paramIdx, direction, gearing,
                         handleSize),
      mHandleInsideTrack(handleInsideTrack),
      mHandleXOffset(handleXOffset),
      mHandleYOffset(handleYOffset) {}

IVSliderControl::IVSliderControl(const IRECT& bounds, ActionFunc actionFunc, const char* label, const IVStyle& style,
                                 bool valueIsEditable, EDirection direction, bool handleInsideTrack, double gearing,
                                 float handleSize, float trackSize, float handleXOffset, float handleYOffset)
    : IVSliderControl(bounds, kNoParameter, label, style, valueIsEditable, direction, handleInsideTrack, gearing,
                      handleSize, trackSize, handleXOffset, handleYOffset) {
  SetActionFunction(std::move(actionFunc));
}

void IVSliderControl::Draw(IGraphics& g) {
  DrawBackground(g, GetRECT());
  DrawLabel(g);
  DrawWidget(g);
  DrawValue(g, mValueMouseOver);
}

// The filled part runs from the track's bottom (or left) to the value; the
// handle sits at its end.
void IVSliderControl::DrawWidget(IGraphics& g) {
  const auto value = static_cast<float>(ValueAt(0));
  IRECT filled = mTrackBounds;
  const bool vertical = mDirection == EDirection::Vertical;
  if (vertical)
    filled.T = filled.B - filled.H() * value;
  else
    filled.R = filled.L + filled.W() * value;
  if (mTrackSize > 0.f) DrawTrack(g, filled);
  if (mHandleSize <= 0.f) return;

  const float offset = HandleShadowShift();
  const float x = (vertical ? MidX(filled) + offset : filled.R) + mHandleXOffset;
  const float y = (vertical ? filled.T : MidY(filled) + offset) + mHandleYOffset;
  DrawHandle(g, IRECT(x - mHandleSize, y - mHandleSize, x + mHandleSize, y + mHandleSize));
}

void IVSliderControl::DrawTrack(IGraphics& g, const IRECT& filled) {
  const float extension = mHandleInsideTrack ? mHandleSize : 0.f;
  const bool vertical = mDirection == EDirection::Vertical;
  const auto extended = [&](const IRECT& r) {
    return vertical ? Inset(r, 0.f, -extension) : Inset(r, -extension, 0.f);
  };
  const float radius = mStyle.roundness * std::min(mTrackBounds.W(), mTrackBounds.H()) / 2.f;
  const IRECT track = extended(mTrackBounds);
  g.FillRoundRect(GetColor(kSH), track, radius, OwnerBlend());
  g.FillRoundRect(GetColor(kX1), extended(filled), radius, OwnerBlend());
  if (mStyle.drawFrame) g.DrawRoundRect(GetColor(kFR), track, radius, OwnerBlend(), mStyle.frameThickness);
}

void IVSliderControl::DrawHandle(IGraphics& g, const IRECT& bounds) {
  DrawPressableShape(g, mShape, bounds, mMouseDown, GetMouseIsOver(), IsDisabled());
}

// The handle's centre never leaves the track, so the track keeps the handle
// size clear of the widget's edges.
void IVSliderControl::OnResize() {
  ApplyLayout(false);
  mTrackBounds = StripAlong(Inset(mWidgetBounds, mHandleSize, mHandleSize), mDirection, mTrackSize);
}


}  // namespace plugkit::graphics
