#include "framework/core/editor_delegate.h"

#include <algorithm>

namespace plugkit {

IEditorDelegate::IEditorDelegate(int nParams) {
  for (int i = 0; i < nParams; ++i) {
    auto* param = new IParam();
    if (!mParams.Add(param)) delete param;
  }
}

IEditorDelegate::~IEditorDelegate() { mParams.Empty(true); }

void* IEditorDelegate::OpenEditor(void*) {
  OnEditorOpened();
  return nullptr;
}

void IEditorDelegate::OnParamValueChanged(int paramIdx, EParamSource, int) { OnParamValue(paramIdx); }

void IEditorDelegate::OnAllParamsReset(EParamSource source) {
  for (int i = 0; i < NParams(); ++i) {
    OnParamValueChanged(i, source, -1);
    OnParamValueShownInEditor(i, source);
  }
}

void IEditorDelegate::PushParamValueToEditor(int paramIdx, double, bool) {
  OnParamValueShownInEditor(paramIdx, kDelegate);
}

void IEditorDelegate::SetParamFromEditor(int paramIdx, double normalizedValue) {
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  double value = param->FromNormalized(normalizedValue);
  // Snapping after the clamp can step past a bound that is not a multiple of the step.
  if (param->GetStepped()) value = param->Snap(param->Clamp(param->Snap(value)));
  param->Set(param->Clamp(value));
  OnParamValueShownInEditor(paramIdx, kUI);
}

bool IEditorDelegate::ConstrainEditorSize(int& width, int& height) const {
  const bool fits = width >= mMinWidth && width <= mMaxWidth && height >= mMinHeight && height <= mMaxHeight;
  if (!fits) {
    width = std::clamp(width, mMinWidth, mMaxWidth);
    height = std::clamp(height, mMinHeight, mMaxHeight);
  }
  return fits;
}

void IEditorDelegate::PushAllParamValuesToEditor() {
  for (int i = 0; i < NParams(); ++i) PushParamValueToEditor(i, GetParam(i)->GetNormalized(), true);
}

}  // namespace plugkit
