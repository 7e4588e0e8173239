// The control base's default placement, corner mark, registered events,
// point-to-value mapping, animation start and end and the value prompt over
// a rectangle, and the interaction bases built on them: button, switch, knob
// and slider.
#include "graphics/controls/base_controls.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "framework/core/param.h"
#include "graphics/clock.h"
#include "graphics/control.h"
#include "graphics/graphics_context.h"

namespace plugkit::graphics {

namespace {

constexpr float kCornerMarkRadius = 2.f;
constexpr float kCornerMarkInset = 5.f;
constexpr double kPointValueStep = 0.001;

constexpr double kWheelStep = 0.01;
constexpr double kFineWheelStep = 0.001;
constexpr double kFineGearingFactor = 10.0;
// A switch's sum that lands just above 1 through rounding still selects the last state.
constexpr double kSwitchWrapTolerance = std::numeric_limits<double>::epsilon();

bool IsStepped(const IParam* param) { return param && param->GetStepped(); }

bool SnapsToStep(const IParam* param) { return IsStepped(param) && param->GetStep() > 0.0; }

// The normalised value of a real value taken to the parameter's step and range.
double SnappedNormalized(const IParam& param, double real) {
  const double snapped = param.Clamp(SnapToStep(real, param.GetStep()));
  return std::clamp(param.ToNormalized(snapped), 0.0, 1.0);
}

void HideCursorForDrag(IControl& control, bool hide) {
  if (IGraphics* graphics = control.GetUI()) graphics->HideCursor(hide, true);
}

// The release that ends a knob's or a slider's drag.
void EndDrag(IControl& control, bool hideCursor, bool& mouseDown) {
  if (hideCursor) HideCursorForDrag(control, false);
  mouseDown = false;
  control.MarkDirty(false);
}

// The relative drag of knobs and sliders: the drag value moves by the
// pointer's travel over bounds along the direction, divided by the gearing.
// False, and nothing moved, when bounds have no extent along the direction.
bool MoveDragValue(double& dragValue, EDirection direction, const IRECT& bounds, double gearing, float dX, float dY,
                   const IMouseMod& mod) {
  const double g = IsFineControl(mod) ? gearing * kFineGearingFactor : gearing;
  const double step = direction == EDirection::Vertical
                          ? static_cast<double>(dY) / (static_cast<double>(bounds.T) - bounds.B) / g
                          : static_cast<double>(dX) / (static_cast<double>(bounds.R) - bounds.L) / g;
  if (!std::isfinite(step)) return false;
  dragValue = std::clamp(dragValue + step, 0.0, 1.0);
  return true;
}

// Stores the drag value, snapped for a stepped parameter, and pushes it.
void StoreDragValue(IControl& control, double dragValue) {
  double value = dragValue;
  if (const IParam* param = control.ParamOfValue(0); SnapsToStep(param)) {
    const double snapped = SnappedNormalized(*param, param->FromNormalized(dragValue));
    if (std::isfinite(snapped)) value = snapped;
  }
  control.SetValueAt(value, 0);
  control.MarkDirty(true);
}

// One step of a stepped parameter per notch, else the delta in wheel steps.
void StepByWheel(IControl& control, const IMouseMod& mod, float d) {
  const IParam* param = control.ParamOfValue(0);
  double value;
  if (SnapsToStep(param)) {
    if (d == 0.f) return;
    const double step = param->GetStep();
    const double current = param->Clamp(SnapToStep(param->FromNormalized(control.ValueAt(0)), step));
    value = SnappedNormalized(*param, current + (d > 0.f ? step : -step));
  } else {
    value = control.ValueAt(0) + d * (IsFineControl(mod, true) ? kFineWheelStep : kWheelStep);
  }
  if (!std::isfinite(value)) return;
  control.SetValueAt(value, 0);
  control.MarkDirty(true);
}

}  // namespace

bool IsFineControl(const IMouseMod& mod, [[maybe_unused]] bool wheel) { return mod.S || mod.C; }

void IControl::SetPosition(float x, float y) {
  x = std::max(0.f, x);
  y = std::max(0.f, y);
  const float targetOffsetX = mTargetRECT.L - mRECT.L;
  const float targetOffsetY = mTargetRECT.T - mRECT.T;
  const float targetW = mTargetRECT.W();
  const float targetH = mTargetRECT.H();
  mRECT = IRECT(x, y, x + mRECT.W(), y + mRECT.H());
  mMouseIsOver = false;
  OnResize();
  const float targetL = mRECT.L + targetOffsetX;
  const float targetT = mRECT.T + targetOffsetY;
  mTargetRECT = IRECT(targetL, targetT, targetL + targetW, targetT + targetH);
  mMouseIsOver = false;
}

void IControl::SetSize(float w, float h) {
  w = std::max(0.f, w);
  h = std::max(0.f, h);
  mRECT = IRECT(mRECT.L, mRECT.T, mRECT.L + w, mRECT.T + h);
  mTargetRECT = mRECT;
  mMouseIsOver = false;
  OnResize();
}

bool IControl::OnRegisteredEvent(const IEventInfo& info) {
  const auto found = mEventHandlers.find(info.kind);
  if (found == mEventHandlers.end()) return false;
  mLastEventKind = info.kind;
  // A copy: the handler may replace itself.
  const EventHandlerFunc handler = found->second;
  handler(this, info);
  return true;
}

void IControl::AttachEventHandler(int32_t kind, EventHandlerFunc handler) {
  mEventHandlers.insert_or_assign(kind, std::move(handler));
  if (mGraphics) mGraphics->RegisterEventKind(kind);
}

void IControl::DrawCornerMark(IGraphics& g) {
  if (!mCornerMarkShown) return;
  g.FillCircle(mCornerMarkColor, mTargetRECT.R - kCornerMarkInset, mTargetRECT.T + kCornerMarkInset,
               kCornerMarkRadius);
}

void IControl::SetCornerMark(bool show, int colorIndex) {
  switch (colorIndex) {
    case kCornerMarkRed: mCornerMarkColor = kColorRed; break;
    case kCornerMarkBlue: mCornerMarkColor = kColorBlue; break;
    case kCornerMarkGreen: mCornerMarkColor = kColorGreen; break;
    case kCornerMarkYellow: mCornerMarkColor = kColorYellow; break;
    default: break;
  }
  mCornerMarkShown = show;
  MarkDirty(false);
}

void IControl::SetValueFromPoint(float x, float y, EDirection direction, const IRECT& bounds, int valIdx,
                                 double minClip, double maxClip) {
  if (valIdx >= NVals()) return;
  x = std::min(std::max(x, bounds.L), bounds.R);
  y = std::min(std::max(y, bounds.T), bounds.B);
  double value = direction == EDirection::Vertical ? 1.0 - (y - bounds.T) / (bounds.B - bounds.T)
                                                   : (x - bounds.L) / (bounds.R - bounds.L);
  // A span of no length maps no point to a value.
  if (!std::isfinite(value)) return;
  value = std::min(std::max(SnapToStep(value, kPointValueStep), minClip), maxClip);
  if (valIdx >= 0) {
    SetValueAt(value, valIdx);
  } else {
    for (int i = 0; i < NVals(); ++i) SetValueAt(value, i);
  }
  MarkDirty(true, valIdx);
}

void IControl::OnEndAnimation() {
  mAnimationFunc = nullptr;
  MarkDirty(false);
  Run(mAnimationEndActionFunc, this);
}

void IControl::StartAnimation(int durationMs) {
  mAnimationStartTime = GraphicsClock::NowMs();
  mAnimationDuration = durationMs;
}

void IControl::PromptUserInput(const IRECT& bounds, int valIdx) {
  if (PromptableParam(valIdx) && mGraphics) mGraphics->PromptUserInput(*this, bounds, valIdx);
}

// Button ------------------------------------------------------------------------

IButtonControlBase::IButtonControlBase(const IRECT& bounds, ActionFunc actionFunc)
    : IControl(bounds, kNoParameter, std::move(actionFunc)) {
  SetMouseDblAsSingleClick(true);
}

void IButtonControlBase::OnMouseDown(float, float, const IMouseMod&) {
  SetValueAt(1.0, 0);
  MarkDirty(true);
}

void IButtonControlBase::OnEndAnimation() {
  SetValueAt(0.0, 0);
  IControl::OnEndAnimation();
}

// Switch ------------------------------------------------------------------------

ISwitchControlBase::ISwitchControlBase(const IRECT& bounds, int paramIdx, ActionFunc actionFunc, int numStates)
    : IControl(bounds, paramIdx, std::move(actionFunc)) {
  SetNumStates(numStates);
  SetAllStatesDisabled(false);
}

void ISwitchControlBase::SetNumStates(double numStates) {
  // In double: a parameter's range may be far wider than an int.
  const double count = std::isnan(numStates) ? 0.0 : std::clamp(std::trunc(numStates), 0.0, double{kMaxNumStates});
  mNumStates = static_cast<int>(count);
  const int known = mDisabledStates.GetSize();
  mDisabledStates.Resize(mNumStates);
  for (int i = known; i < mDisabledStates.GetSize(); ++i) mDisabledStates.Get()[i] = false;
}

void ISwitchControlBase::OnInit() {
  if (const IParam* param = ParamOfValue(0)) SetNumStates(std::trunc(param->GetMax() - param->GetMin()) + 1.0);
}

void ISwitchControlBase::OnMouseDown(float, float, const IMouseMod&) {
  double value = ValueAt(0);
  if (mNumStates == 2) {
    value = value == 0.0 ? 1.0 : 0.0;
  } else if (mNumStates < 2) {
    value = 0.0;
  } else {
    value += 1.0 / (mNumStates - 1);
    if (value > 1.0 + kSwitchWrapTolerance) value = 0.0;
  }
  SetValueAt(value, 0);
  mMouseDown = true;
  MarkDirty(true);
}

void ISwitchControlBase::OnMouseUp(float, float, const IMouseMod&) {
  mMouseDown = false;
  MarkDirty(false);
}

void ISwitchControlBase::SetAllStatesDisabled(bool disabled) {
  for (int i = 0; i < mNumStates; ++i) SetStateDisabled(i, disabled);
  MarkDirty(false);
}

void ISwitchControlBase::SetStateDisabled(int stateIdx, bool disabled) {
  if (stateIdx < 0 || stateIdx >= std::min(mNumStates, mDisabledStates.GetSize())) return;
  mDisabledStates.Get()[stateIdx] = disabled;
  MarkDirty(false);
}

bool ISwitchControlBase::GetStateDisabled(int stateIdx) const {
  if (stateIdx < 0 || stateIdx >= std::min(mNumStates, mDisabledStates.GetSize())) return false;
  return mDisabledStates.Get()[stateIdx];
}

// Knob --------------------------------------------------------------------------

IKnobControlBase::IKnobControlBase(const IRECT& bounds, int paramIdx, EDirection direction, double gearing)
    : IControl(bounds, paramIdx), mDirection(direction), mGearing(gearing) {}

IKnobControlBase::IKnobControlBase(const IRECT& bounds, ActionFunc actionFunc, EDirection direction, double gearing)
    : IControl(bounds, std::move(actionFunc)), mDirection(direction), mGearing(gearing) {}

void IKnobControlBase::OnMouseDown(float x, float y, const IMouseMod& mod) {
  mMouseDown = true;
  mDragValue = ValueAt(0);
  if (mHideCursorOnDrag) HideCursorForDrag(*this, true);
  IControl::OnMouseDown(x, y, mod);
}

void IKnobControlBase::OnMouseUp(float, float, const IMouseMod&) { EndDrag(*this, mHideCursorOnDrag, mMouseDown); }

void IKnobControlBase::OnMouseDrag(float, float, float dX, float dY, const IMouseMod& mod) {
  if (MoveDragValue(mDragValue, mDirection, GetKnobDragBounds(), mGearing, dX, dY, mod))
    StoreDragValue(*this, mDragValue);
}

void IKnobControlBase::OnMouseWheel(float, float, const IMouseMod& mod, float d) { StepByWheel(*this, mod, d); }

// Slider ------------------------------------------------------------------------

ISliderControlBase::ISliderControlBase(const IRECT& bounds, int paramIdx, EDirection direction, double gearing,
                                       float handleSize)
    : IControl(bounds, paramIdx), mDirection(direction), mHandleSize(handleSize), mGearing(gearing) {}

ISliderControlBase::ISliderControlBase(const IRECT& bounds, ActionFunc actionFunc, EDirection direction, double gearing,
                                       float handleSize)
    : IControl(bounds, std::move(actionFunc)), mDirection(direction), mHandleSize(handleSize), mGearing(gearing) {}

void ISliderControlBase::OnResize() {
  SetTargetRECT(GetRECT());
  mTrackBounds = GetRECT();
  SetMouseIsOver(false);
  MarkDirty(false);
}

void ISliderControlBase::OnMouseDown(float x, float y, const IMouseMod& mod) {
  mMouseDown = true;
  if (!IsStepped(ParamOfValue(0))) SetValueFromPoint(x, y, mDirection, mTrackBounds, kAllValues);
  mDragValue = ValueAt(0);
  if (mHideCursorOnDrag) HideCursorForDrag(*this, true);
  IControl::OnMouseDown(x, y, mod);
}

void ISliderControlBase::OnMouseUp(float, float, const IMouseMod&) { EndDrag(*this, mHideCursorOnDrag, mMouseDown); }

void ISliderControlBase::OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) {
  const bool followsPoint = mod.touchID != 0 || !mHideCursorOnDrag;
  if (followsPoint && !IsStepped(ParamOfValue(0))) {
    SetValueFromPoint(x, y, mDirection, mTrackBounds, kAllValues);
  } else if (MoveDragValue(mDragValue, mDirection, mTrackBounds, mGearing, dX, dY, mod)) {
    StoreDragValue(*this, mDragValue);
  }
}

void ISliderControlBase::OnMouseWheel(float, float, const IMouseMod& mod, float d) { StepByWheel(*this, mod, d); }

}  // namespace plugkit::graphics
