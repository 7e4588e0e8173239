#include "graphics/control.h"

#include <algorithm>

#include "graphics/graphics_context.h"
#include "graphics/graphics_editor_delegate.h"

namespace plugkit::graphics {

IControl::IControl(const IRECT& bounds, int paramIdx, ActionFunc actionFunc)
    : mRECT(bounds), mTargetRECT(bounds), mActionFunc(std::move(actionFunc)), mValues{{paramIdx, 0.0}} {}

IControl::IControl(const IRECT& bounds, std::initializer_list<int> paramIndices, ActionFunc actionFunc)
    : mRECT(bounds), mTargetRECT(bounds), mActionFunc(std::move(actionFunc)) {
  for (int paramIdx : paramIndices) mValues.push_back({paramIdx, 0.0});
}

IControl::IControl(const IRECT& bounds, ActionFunc actionFunc)
    : IControl(bounds, kNoParameter, std::move(actionFunc)) {}

void IControl::LinkValueToParam(int paramIdx, int valIdx) {
  if (!ValidValueIndex(valIdx)) return;
  mValues[static_cast<size_t>(valIdx)].mParamIdx = paramIdx;
  MarkDirty(false);
}

void IControl::SetValueFromHost(double value, int valIdx) {
  if (!ValidValueIndex(valIdx)) return;
  if (mGraphics && mGraphics->ControlIsCaptured(this)) return;
  if (ValueAt(valIdx) == value) return;
  SetValueAt(value, valIdx);
  MarkDirty(false);
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
  if (mActionFunc) mActionFunc(this);
}

double IControl::ValueAt(int valIdx) const {
  return ValidValueIndex(valIdx) ? mValues[static_cast<size_t>(valIdx)].mValue : 0.0;
}

int IControl::ParamIndexOfValue(int valIdx) const {
  return ValidValueIndex(valIdx) ? mValues[static_cast<size_t>(valIdx)].mParamIdx : kNoParameter;
}

int IControl::ValueIndexOfParam(int paramIdx) const {
  for (int i = 0; i < NVals(); ++i)
    if (mValues[static_cast<size_t>(i)].mParamIdx == paramIdx) return i;
  return -1;
}

IParam* IControl::ParamOfValue(int valIdx) const {
  const int paramIdx = ParamIndexOfValue(valIdx);
  if (paramIdx == kNoParameter || !mDelegate) return nullptr;
  return mDelegate->GetParam(paramIdx);
}

int IControl::GetTag() const { return mGraphics ? mGraphics->GetControlTag(this) : -1; }

}  // namespace plugkit::graphics
