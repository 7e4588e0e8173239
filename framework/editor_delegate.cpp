#include "framework/editor_delegate.h"

namespace plugkit {

IEditorDelegate::IEditorDelegate(int nParams) {
  for (int i = 0; i < nParams; ++i) {
    auto* param = new IParam();
    if (!mParams.Add(param)) delete param;
  }
}

IEditorDelegate::~IEditorDelegate() { mParams.Empty(true); }

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

void IEditorDelegate::PushAllParamValuesToEditor() {
  for (int i = 0; i < NParams(); ++i) PushParamValueToEditor(i, GetParam(i)->GetNormalized(), true);
}

}  // namespace plugkit
