#include "graphics/control.h"

#include <algorithm>
#include <cmath>

#include "common/popup_menu.h"
#include "framework/core/param.h"
#include "graphics/clock.h"
#include "graphics/graphics_context.h"
#include "graphics/graphics_editor_delegate.h"

namespace plugkit::graphics {

namespace {
// The text-entry prompt's box, centred on the control.
constexpr float kPromptBoxHalfWidth = 20.f;
constexpr float kPromptBoxHalfHeight = 8.f;
}  // namespace

IControl::IControl(const IRECT& bounds, int paramIdx, ActionFunc actionFunc)
    : mRECT(bounds), mTargetRECT(bounds), mActionFunc(std::move(actionFunc)), mValues{{paramIdx, 0.0}} {}

IControl::IControl(const IRECT& bounds, std::initializer_list<int> paramIndices, ActionFunc actionFunc)
    : mRECT(bounds), mTargetRECT(bounds), mActionFunc(std::move(actionFunc)) {
  for (int paramIdx : paramIndices) mValues.push_back({paramIdx, 0.0});
}

IControl::IControl(const IRECT& bounds, const std::vector<int>& paramIndices, ActionFunc actionFunc)
    : mRECT(bounds), mTargetRECT(bounds), mActionFunc(std::move(actionFunc)) {
  for (int paramIdx : paramIndices) mValues.push_back({paramIdx, 0.0});
  if (mValues.empty()) mValues.push_back({kNoParameter, 0.0});
}

IControl::IControl(const IRECT& bounds, ActionFunc actionFunc)
    : IControl(bounds, kNoParameter, std::move(actionFunc)) {}

void IControl::Run(const std::function<void(IControl*)>& func, IControl* control) {
  if (!func) return;
  const std::function<void(IControl*)> running = func;
  running(control);
}

// Input ---------------------------------------------------------------------------

void IControl::OnMouseDown(float x, float y, const IMouseMod& mod) {
  if (mod.R) PromptUserInput(GetValueIndexForPosition(x, y));
}

void IControl::OnMouseDoubleClick(float x, float y, const IMouseMod&) {
  ResetValueToDefault(GetValueIndexForPosition(x, y));
}

void IControl::OnMouseHover(float, float, const IMouseMod&) {
  const bool wasOver = std::exchange(mMouseIsOver, true);
  if (!wasOver) MarkDirty(false);
}

void IControl::OnMouseLeave() {
  const bool wasOver = std::exchange(mMouseIsOver, false);
  if (wasOver) MarkDirty(false);
}

void IControl::OnDropMultiple(const std::vector<const char*>& paths) {
  if (!paths.empty()) OnDrop(paths.front());
}

IParam* IControl::PromptableParam(int valIdx) const {
  if (valIdx < 0 || mPromptDisabled) return nullptr;
  return ParamOfValue(valIdx);
}

// The answer may come at once, and its action remove this control.
void IControl::PromptUserInput(int valIdx) {
  const IParam* param = PromptableParam(valIdx);
  if (!param) return;
  IRECT bounds = mRECT;
  if (param->DisplayTextCount() == 0) {
    const float cx = (mRECT.L + mRECT.R) / 2.f;
    const float cy = (mRECT.T + mRECT.B) / 2.f;
    bounds = IRECT(cx - kPromptBoxHalfWidth, cy - kPromptBoxHalfHeight, cx + kPromptBoxHalfWidth,
                   cy + kPromptBoxHalfHeight);
  }
  const IGraphics::ControlWatch watch(mGraphics, this);
  PromptUserInput(bounds, valIdx);
  if (watch.Kept()) MarkDirty(false);
}

void IControl::OnPopupMenuSelection(IPopupMenu* menu, int valIdx) {
  const IParam* param = PromptableParam(valIdx);
  if (!menu || !param || menu->GetChosenItemIdx() < 0) return;
  const double normalized = param->ToNormalized(param->Constrain(menu->GetChosenItemIdx()));
  // A shape may map a value to no number, which must reach neither delegate nor host.
  if (std::isfinite(normalized)) SetValueFromUser(normalized, valIdx);
}

// Values --------------------------------------------------------------------------

void IControl::LinkValueToParam(int paramIdx, int valIdx) {
  if (!ValidValueIndex(valIdx)) return;
  mValues[static_cast<size_t>(valIdx)].mParamIdx = paramIdx;
  MarkDirty(false);
}

int IControl::GetValueIndexForPosition(float, float) const { return NVals() == 1 ? 0 : kAllValues; }

void IControl::SetValueFromHost(double value, int valIdx) {
  if (!ValidValueIndex(valIdx)) return;
  if (mGraphics && mGraphics->ControlIsCaptured(this)) return;
  if (ValueAt(valIdx) == value) return;
  SetValueAt(value, valIdx);
  MarkDirty(false);
}

// A value that is not a number would reach the delegate and the host.
void IControl::SetValueFromUser(double value, int valIdx) {
  if (!ValidValueIndex(valIdx) || !std::isfinite(value)) return;
  if (ValueAt(valIdx) == value) return;
  SetValueAt(value, valIdx);
  MarkDirty(true, valIdx);
}

void IControl::ResetValueToDefault(int valIdx) {
  if (valIdx >= NVals()) return;
  const int first = valIdx < 0 ? 0 : valIdx;
  const int last = valIdx < 0 ? NVals() - 1 : valIdx;
  for (int i = first; i <= last; ++i) {
    const IParam* param = ParamOfValue(i);
    if (!param) continue;
    const double normalized = param->ToNormalized(param->Constrain(param->GetDefault()));
    // An empty range normalises to a value that is not a number.
    if (std::isfinite(normalized)) SetValueAt(normalized, i);
  }
  MarkDirty(true, valIdx);
}

void IControl::SetValueAt(double value, int valIdx) {
  if (ValidValueIndex(valIdx)) mValues[static_cast<size_t>(valIdx)].mValue = value;
}

void IControl::Hide(bool hide) {
  mHide = hide;
  MarkDirty(false);
}

void IControl::SetDisabled(bool disable) {
  mBlend.mWeight = disable ? kDisabledBlendWeight : 1.f;
  mDisabled = disable;
  MarkDirty(false);
}

void IControl::MarkDirty(bool triggerAction, int valIdx) {
  if (NVals() == 1) valIdx = 0;
  // A slot that does not exist affects no value but still redraws.
  const int first = valIdx < 0 ? 0 : valIdx;
  const int last = valIdx < 0 ? NVals() - 1 : std::min(valIdx, NVals() - 1);
  for (int i = first; i <= last; ++i) SetValueAt(std::clamp(ValueAt(i), 0.0, 1.0), i);
  mDirty = true;
  if (!triggerAction) return;
  for (int i = first; i <= last; ++i) {
    const int paramIdx = ParamIndexOfValue(i);
    if (paramIdx == kNoParameter) continue;
    if (mDelegate) mDelegate->SetParamFromEditor(paramIdx, ValueAt(i));
    if (mGraphics) mGraphics->UpdatePeers(this, i);
  }
  Run(mActionFunc, this);
}

double IControl::ValueAt(int valIdx) const {
  return ValidValueIndex(valIdx) ? mValues[static_cast<size_t>(valIdx)].mValue : 0.0;
}

int IControl::ParamIndexOfValue(int valIdx) const {
  return ValidValueIndex(valIdx) ? mValues[static_cast<size_t>(valIdx)].mParamIdx : kNoParameter;
}

int IControl::ValueIndexOfParam(int paramIdx) const {
  if (paramIdx < 0) return -1;
  for (int i = 0; i < NVals(); ++i)
    if (mValues[static_cast<size_t>(i)].mParamIdx == paramIdx) return i;
  return -1;
}

IParam* IControl::ParamOfValue(int valIdx) const {
  const int paramIdx = ParamIndexOfValue(valIdx);
  if (paramIdx == kNoParameter || !mDelegate) return nullptr;
  return mDelegate->GetParam(paramIdx);
}

void IControl::ParamDisplayTextWithLabel(int valIdx, StrBuf& str) const {
  str.Set("");
  const IParam* param = ParamOfValue(valIdx);
  if (!param) return;
  param->GetDisplay(str);
  const char* label = param->Label();
  if (label[0] == '\0') return;
  str.Append(" ");
  str.Append(label);
}

int IControl::GetTag() const { return mGraphics ? mGraphics->GetControlTag(this) : -1; }

void IControl::ForEventKinds(const std::function<void(int32_t)>& func) const {
  for (const auto& [kind, handler] : mEventHandlers) func(kind);
}

// Animation -----------------------------------------------------------------------

void IControl::SetAnimation(AnimationFunc func, int durationMs) {
  mAnimationFunc = std::move(func);
  StartAnimation(durationMs);
}

void IControl::Animate() { Run(mAnimationFunc, this); }

double IControl::AnimationProgress() const {
  if (!mAnimationFunc) return 0.0;
  return (GraphicsClock::NowMs() - mAnimationStartTime) / mAnimationDuration;
}

void DefaultAnimationStep(IControl* control) {
  if (control->GetAnimationFunction() && control->AnimationProgress() > 1.0) control->OnEndAnimation();
}

void DefaultClickAction(IControl* control) { control->SetAnimation(DefaultAnimationStep, kClickAnimationMs); }

namespace {

void ShowValueBubble(IControl* control, EDirection direction) {
  IGraphics* graphics = control->GetUI();
  if (!graphics || !control->ParamOfValue(0)) return;
  StrBuf text;
  control->ParamDisplayTextWithLabel(0, text);
  const IRECT& r = control->GetRECT();
  if (direction == EDirection::Vertical)
    graphics->ShowBubbleControl(control, (r.L + r.R) / 2.f, r.T, text.Get(), direction);
  else
    graphics->ShowBubbleControl(control, r.R, (r.T + r.B) / 2.f, text.Get(), direction);
}

}  // namespace

void ShowBubbleVerticalAction(IControl* control) { ShowValueBubble(control, EDirection::Vertical); }

void ShowBubbleHorizontalAction(IControl* control) { ShowValueBubble(control, EDirection::Horizontal); }

}  // namespace plugkit::graphics
