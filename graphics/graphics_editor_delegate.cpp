#include "graphics/graphics_editor_delegate.h"

#include <cmath>

#include "graphics/graphics_context.h"

namespace plugkit::graphics {

IGEditorDelegate::IGEditorDelegate(int nParams) : IEditorDelegate(nParams) {}

// A host may still show the view: it is detached before its context goes. No
// close notification reaches the half-destroyed plug-in meanwhile.
IGEditorDelegate::~IGEditorDelegate() {
  mClosing = true;
  if (mGraphics) mGraphics->DetachEditorView();
  mGraphics.reset();
}

void* IGEditorDelegate::OpenEditor(void* parent) {
  if (!mGraphics) {
    mGraphics.reset(CreateEditorGraphics());
    if (!mGraphics) return nullptr;
    if (mLastWidth != 0 && mLastHeight != 0 && mLastScale != 0.f)
      mGraphics->Resize(mLastWidth, mLastHeight, mLastScale, true);
  }
  return mGraphics->AttachEditorView(parent);
}

void IGEditorDelegate::CloseEditor() {
  if (mClosing) return;
  mClosing = true;
  OnEditorClosed();
  if (mGraphics) {
    mLastWidth = mGraphics->Width();
    mLastHeight = mGraphics->Height();
    mLastScale = mGraphics->GetDrawScale();
    mGraphics->DetachEditorView();
    // Cleared before the delete so nothing reached from the destructor sees a dying context.
    std::unique_ptr<IGraphics> closing = std::move(mGraphics);
    closing.reset();
  }
  mClosing = false;
}

void IGEditorDelegate::OnEditorResizedByHost(int width, int height) {
  if (!mGraphics) return;
  const float windowScale = mGraphics->PlatformWindowScale();
  mGraphics->Resize(static_cast<int>(width / windowScale), static_cast<int>(height / windowScale), 1.f, false);
}

void IGEditorDelegate::ApplyScreenScale(float scale) {
  if (mGraphics) mGraphics->SetScreenScale(scale);
}

void IGEditorDelegate::PushControlValue(int ctrlTag, double normalizedValue) {
  if (!mGraphics) return;
  if (IControl* control = mGraphics->GetControlWithTag(ctrlTag)) control->SetValueFromHost(normalizedValue, 0);
}

void IGEditorDelegate::PushControlMessage(int ctrlTag, int msgTag, int dataSize, const void* data) {
  if (!mGraphics) return;
  if (IControl* control = mGraphics->GetControlWithTag(ctrlTag))
    control->OnMessageFromDelegate(msgTag, dataSize, data);
}

void IGEditorDelegate::PushParamValueToEditor(int paramIdx, double value, bool normalized) {
  if (mGraphics) {
    if (!normalized) {
      if (const IParam* param = GetParam(paramIdx)) value = param->ToNormalized(param->Constrain(value));
    }
    mGraphics->ForAllControlsFunc([paramIdx, value](IControl* control) {
      for (int i = 0; i < control->NVals(); ++i)
        if (control->ParamIndexOfValue(i) == paramIdx) control->SetValueFromHost(value, i);
    });
  }
  OnParamValueShownInEditor(paramIdx, kDelegate);
}

void IGEditorDelegate::PushMidiToEditor(const IMidiMsg& msg) {
  if (mGraphics) {
    mGraphics->ForAllControlsFunc([&msg](IControl* control) {
      if (control->GetWantsMidi()) control->OnMidi(msg);
    });
  }
  OnMidiShownInEditor(msg);
}

bool IGEditorDelegate::HostKey(const IKeyPress& key, bool isUp) {
  if (!mGraphics) return false;
  float x = 0.f;
  float y = 0.f;
  mGraphics->MousePosition(x, y);
  return isUp ? mGraphics->OnKeyUp(x, y, key) : mGraphics->OnKeyDown(x, y, key);
}

bool IGEditorDelegate::OnHostKeyDown(const IKeyPress& key) { return HostKey(key, false); }

bool IGEditorDelegate::OnHostKeyUp(const IKeyPress& key) { return HostKey(key, true); }

bool IGEditorDelegate::WriteEditorSize(IStateChunk& chunk) const {
  const int32_t width = mGraphics ? mGraphics->Width() : mLastWidth;
  const int32_t height = mGraphics ? mGraphics->Height() : mLastHeight;
  const float scale = mGraphics ? mGraphics->GetDrawScale() : mLastScale;
  const bool wroteWidth = chunk.Put(width);
  const bool wroteHeight = chunk.Put(height);
  const bool wroteScale = chunk.Put(scale);
  return wroteWidth && wroteHeight && wroteScale;
}

int IGEditorDelegate::ReadEditorSize(const IStateChunk& chunk, int startPos) {
  int32_t width = 0;
  int32_t height = 0;
  float scale = 0.f;
  int pos = chunk.Get(&width, startPos);
  if (pos >= 0) pos = chunk.Get(&height, pos);
  if (pos >= 0) pos = chunk.Get(&scale, pos);
  // A scale that is not a finite number is as good as missing.
  if (!std::isfinite(scale)) scale = 0.f;

  if (!mGraphics) {
    mLastWidth = width;
    mLastHeight = height;
    mLastScale = scale;
  } else if (width != 0 && height != 0 && scale != 0.f) {
    mGraphics->Resize(width, height, scale, true);
  }
  return pos;
}

int IGEditorDelegate::EvaluateHostViewSize(int, int) { return kKeepSize; }

IGraphics* IGEditorDelegate::CreateEditorGraphics() { return mMakeGraphicsFunc ? mMakeGraphicsFunc() : nullptr; }

void IGEditorDelegate::RunEditorLayout(IGraphics* graphics) {
  if (mLayoutFunc) mLayoutFunc(graphics);
}

}  // namespace plugkit::graphics
