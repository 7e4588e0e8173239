#pragma once

#include "common/ptr_list.h"
#include "framework/param.h"

namespace plugkit {

// Where a parameter change came from.
enum EParamSource { kReset = 0, kHost = 1, kPresetRecall = 2, kUI = 3, kDelegate = 4 };

// The part of the plug-in object that the user interface talks to: the
// parameter list, the editor's size limits and the default behaviour of the
// editor-facing notifications.
class IEditorDelegate {
public:
  static constexpr int kDefaultMinSize = 10;
  static constexpr int kDefaultMaxSize = 100000;

  explicit IEditorDelegate(int nParams);
  virtual ~IEditorDelegate();
  IEditorDelegate(const IEditorDelegate&) = delete;
  IEditorDelegate& operator=(const IEditorDelegate&) = delete;

  int NParams() const { return mParams.GetSize(); }
  IParam* GetParam(int paramIdx) const { return mParams.Get(paramIdx); }

  // Pushes every parameter's normalised value to the editor.
  virtual void OnEditorOpened() { PushAllParamValuesToEditor(); }
  virtual void OnParamValueChanged(int paramIdx, EParamSource source, int sampleOffset = -1);
  virtual void OnParamValue(int) {}
  virtual void OnParamValueShownInEditor(int, EParamSource) {}
  virtual void OnAllParamsReset(EParamSource source);
  virtual void OnStateRestored() { PushAllParamValuesToEditor(); }
  virtual void PushParamValueToEditor(int paramIdx, double value, bool normalized);

protected:
  PtrList<IParam> mParams;
  int mEditorWidth = 0;
  int mEditorHeight = 0;
  int mMinWidth = kDefaultMinSize;
  int mMaxWidth = kDefaultMaxSize;
  int mMinHeight = kDefaultMinSize;
  int mMaxHeight = kDefaultMaxSize;

private:
  void PushAllParamValuesToEditor();
};

}  // namespace plugkit
