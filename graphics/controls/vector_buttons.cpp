#include "graphics/controls/vector_buttons.h"

#include <algorithm>
#include <cmath>

#include "framework/core/param.h"
#include "graphics/graphics_context.h"
#include "graphics/rect_geometry.h"

namespace plugkit::graphics {

namespace {

// A value drawn in the button sits in its middle.
IVStyle WithValueInMiddle(IVStyle style, bool valueInButton) {
  if (valueInButton) style.valueText.mVAlign = EVAlign::Middle;
  return style;
}

// The state a value selects among n, as a switch counts them.
int StateIndex(double value, int n) { return static_cast<int>(std::lround(std::clamp(value, 0.0, 1.0) * (n - 1))); }

}  // namespace

// Label -------------------------------------------------------------------------------

IVLabelControl::IVLabelControl(const IRECT& bounds, const char* str, const IVStyle& style)
    : ITextControl(bounds, str, style.valueText, style.GetColor(kBG)), IVectorBase(style) {
  AttachIControl(this, str);
}

void IVLabelControl::Draw(IGraphics& g) {
  DrawBackground(g, GetRECT());
  if (mStr.GetLength() > 0) {
    if (mStyle.drawShadows && !IsDisabled()) {
      IText shadowText = mStyle.valueText;
      shadowText.mFGColor = GetColor(kSH);
      const float offset = mStyle.shadowOffset;
      const IRECT& r = GetRECT();
      g.DrawText(shadowText, mStr.Get(), IRECT(r.L + offset, r.T + offset, r.R + offset, r.B + offset), &GetBlend());
    }
    g.DrawText(mStyle.valueText, mStr.Get(), GetRECT(), &GetBlend());
  }
  if (mStyle.drawFrame) g.DrawRect(GetColor(kFR), GetRECT(), &GetBlend(), mStyle.frameThickness);
}

// Button ------------------------------------------------------------------------------

IVButtonControl::IVButtonControl(const IRECT& bounds, ActionFunc actionFunc, const char* label, const IVStyle& style,
                                 bool labelInButton, bool valueInButton, EVShape shape)
    : IButtonControlBase(bounds, std::move(actionFunc)), IVectorBase(style, labelInButton, valueInButton) {
  AttachIControl(this, label);
  SetText(style.valueText);
  mShape = shape;
}

void IVButtonControl::Draw(IGraphics& g) {
  DrawBackground(g, GetRECT());
  DrawWidget(g);
  DrawLabel(g);
  DrawValue(g, false);
}

void IVButtonControl::DrawWidget(IGraphics& g) {
  DrawPressableShape(g, mShape, mWidgetBounds, ValueAt(0) != 0.0, GetMouseIsOver(), IsDisabled());
}

bool IVButtonControl::HitTest(float x, float y) const { return mWidgetBounds.Contains(x, y); }

void IVButtonControl::OnResize() { ApplyLayout(true); }

// Switch ------------------------------------------------------------------------------

IVSwitchControl::IVSwitchControl(const IRECT& bounds, int paramIdx, const char* label, const IVStyle& style,
                                 bool valueInButton)
    : ISwitchControlBase(bounds, paramIdx, SplashClickAction, 2),
      IVectorBase(WithValueInMiddle(style, valueInButton), false, valueInButton) {
  AttachIControl(this, label);
  SetText(mStyle.valueText);
}

IVSwitchControl::IVSwitchControl(const IRECT& bounds, ActionFunc actionFunc, const char* label, const IVStyle& style,
                                 int numStates, bool valueInButton)
    : ISwitchControlBase(bounds, kNoParameter, std::move(actionFunc), numStates),
      IVectorBase(WithValueInMiddle(style, valueInButton), false, valueInButton) {
  AttachIControl(this, label);
  SetText(mStyle.valueText);
}

void IVSwitchControl::Draw(IGraphics& g) {
  DrawBackground(g, GetRECT());
  DrawLabel(g);
  DrawWidget(g);
  DrawValue(g, false);
}

void IVSwitchControl::DrawWidget(IGraphics& g) {
  DrawPressableShape(g, mShape, mWidgetBounds, mMouseDown, GetMouseIsOver(), IsDisabled());
}

bool IVSwitchControl::HitTest(float x, float y) const { return mWidgetBounds.Contains(x, y); }

void IVSwitchControl::OnResize() { ApplyLayout(true); }

// After the base, which hands a changed value to the parameter. Its action
// may remove the control.
void IVSwitchControl::MarkDirty(bool triggerAction, int valIdx) {
  const IGraphics::ControlWatch watch(GetUI(), this);
  ISwitchControlBase::MarkDirty(triggerAction, valIdx);
  if (!watch.Kept()) return;
  if (const IParam* param = ParamOfValue(0)) param->GetDisplay(mValueStr);
}

void IVSwitchControl::OnInit() {
  ISwitchControlBase::OnInit();
  ShowParamValueAndName();
}

// Toggle ------------------------------------------------------------------------------

IVToggleControl::IVToggleControl(const IRECT& bounds, int paramIdx, const char* label, const IVStyle& style,
                                 const char* offText, const char* onText)
    : IVSwitchControl(bounds, paramIdx, label, style, true), mOffText(offText), mOnText(onText) {}

IVToggleControl::IVToggleControl(const IRECT& bounds, ActionFunc actionFunc, const char* label, const IVStyle& style,
                                 const char* offText, const char* onText, bool initialState)
    : IVSwitchControl(bounds, std::move(actionFunc), label, style, 2, true), mOffText(offText), mOnText(onText) {
  SetValueAt(initialState ? 1.0 : 0.0);
}

void IVToggleControl::DrawWidget(IGraphics& g) {
  DrawPressableShape(g, mShape, mWidgetBounds, ValueAt(0) > 0.5, GetMouseIsOver(), IsDisabled());
}

void IVToggleControl::DrawValue(IGraphics& g, bool mouseOver) {
  if (mouseOver) g.FillRect(GetColor(kHL), mValueBounds, OwnerBlend());
  const StrBuf& text = ValueAt(0) > 0.5 ? mOnText : mOffText;
  g.DrawTextIfNotEmpty(mStyle.valueText, text.Get(), mValueBounds, OwnerBlend());
}

// Slide switch ------------------------------------------------------------------------

void SlideSwitchClickAction(IControl* control) {
  if (auto* slideSwitch = dynamic_cast<IVSlideSwitchControl*>(control))
    slideSwitch->StartSlide();
  else
    SplashClickAction(control);
}

IVSlideSwitchControl::IVSlideSwitchControl(const IRECT& bounds, int paramIdx, const char* label, const IVStyle& style,
                                           bool valueInButton, EDirection direction)
    : IVSwitchControl(bounds, paramIdx, label, style, valueInButton), mDirection(direction) {
  SetActionFunction(SlideSwitchClickAction);
}

IVSlideSwitchControl::IVSlideSwitchControl(const IRECT& bounds, ActionFunc actionFunc, const char* label,
                                           const IVStyle& style, bool valueInButton, EDirection direction,
                                           int numStates, int initialState)
    : IVSwitchControl(bounds, std::move(actionFunc), label, style, numStates, valueInButton), mDirection(direction) {
  // The initial state is a state index.
  if (mNumStates > 1) SetValueAt(std::clamp(initialState, 0, mNumStates - 1) / static_cast<double>(mNumStates - 1));
}

void IVSlideSwitchControl::Draw(IGraphics& g) {
  DrawBackground(g, GetRECT());
  DrawWidget(g);
  DrawLabel(g);
  if (!GetAnimationFunction()) DrawValue(g, false);
}

void IVSlideSwitchControl::DrawWidget(IGraphics& g) {
  DrawTrack(g, mWidgetBounds);
  DrawHandle(g, mHandleBounds);
}

void IVSlideSwitchControl::DrawTrack(IGraphics& g, const IRECT& bounds) {
  const float radius = mStyle.roundness * std::min(mHandleBounds.W(), mHandleBounds.H()) / 2.f;
  g.FillRoundRect(GetColor(kSH), bounds, radius, OwnerBlend());
}

void IVSlideSwitchControl::DrawHandle(IGraphics& g, const IRECT& bounds) {
  DrawPressableShape(g, mShape, bounds, mMouseDown, GetMouseIsOver(), IsDisabled());
}

void IVSlideSwitchControl::OnResize() {
  ApplyLayout(true);
  PlaceHandle();
}

// After the base: a click's action has started the slide by then, which must
// run from the slot the handle left, or removed the control.
void IVSlideSwitchControl::MarkDirty(bool triggerAction, int valIdx) {
  const IGraphics::ControlWatch watch(GetUI(), this);
  IVSwitchControl::MarkDirty(triggerAction, valIdx);
  if (watch.Kept() && !GetAnimationFunction()) PlaceHandle();
}

void IVSlideSwitchControl::PlaceHandle() {
  const int n = std::max(1, mNumStates);
  const int state = StateIndex(ValueAt(0), n);
  mStartRect = SlotAlong(mWidgetBounds, mDirection, n, state);
  mEndRect = SlotAlong(mWidgetBounds, mDirection, n, (state + 1) % n);
  MoveHandleTo(mStartRect);
}

void IVSlideSwitchControl::MoveHandleTo(const IRECT& r) {
  mHandleBounds = r;
  if (mValueInWidget) mValueBounds = r;
}

void IVSlideSwitchControl::StartSlide() {
  SetAnimation(
      [](IControl* control) {
        auto* self = static_cast<IVSlideSwitchControl*>(control);
        const double progress = self->AnimationProgress();
        if (progress > 1.0) {
          self->OnEndAnimation();
          return;
        }
        self->MoveHandleTo(Interpolated(self->mStartRect, self->mEndRect, static_cast<float>(progress)));
      },
      kSlideAnimationMs);
}

}  // namespace plugkit::graphics
