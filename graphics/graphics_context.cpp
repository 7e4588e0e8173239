#include "graphics/graphics_context.h"

#include <utility>

#include "graphics/graphics_editor_delegate.h"
#include "graphics/panel_control.h"

namespace plugkit::graphics {

IGraphics::IGraphics(IGEditorDelegate& delegate, int width, int height, int fps, float scale)
    : mWidth(width), mHeight(height), mFPS(fps), mDrawScale(scale), mDelegate(&delegate) {}

IGraphics::~IGraphics() { RemoveAllControls(); }

EMsgBoxResult IGraphics::ShowAlert(const char*, const char*, EMsgBoxType, IMsgBoxCompletionHandlerFunc completion) {
  if (completion) completion(kNoResult);
  return kNoResult;
}

void IGraphics::ChooseFile(StrBuf& fileName, StrBuf&, EFileAction, const char*, IFileDialogCompletionHandlerFunc) {
  fileName.Set("");
}

// Controls ----------------------------------------------------------------------

IControl* IGraphics::AttachControl(IControl* control, int tag, const char* group) {
  if (!control) return nullptr;
  if (tag >= 0 && !mTagMap.emplace(tag, control).second) return nullptr;
  control->SetDelegate(*mDelegate);
  control->SetGraphics(this);
  control->OnInit();
  control->OnResize();
  control->OnRescale();
  control->SetGroup(group);
  if (!mControls.Add(control)) {
    if (tag >= 0) mTagMap.erase(tag);
    return nullptr;
  }
  control->OnAttached();
  return control;
}

IControl* IGraphics::AttachPanelBackground(const IPaint& pattern) {
  auto* panel = new IPanelControl(IRECT(0.f, 0.f, static_cast<float>(mWidth), static_cast<float>(mHeight)), pattern);
  panel->SetDelegate(*mDelegate);
  panel->SetGraphics(this);
  panel->OnInit();
  panel->OnResize();
  panel->OnRescale();
  if (!mControls.Insert(0, panel)) {
    delete panel;
    return nullptr;
  }
  panel->OnAttached();
  return panel;
}

void IGraphics::RemoveAllControls() {
  ReleaseMouseCapture();
  mTagMap.clear();
  mControls.Empty(true);
}

IControl* IGraphics::GetControlWithTag(int tag) const {
  const auto found = mTagMap.find(tag);
  return found == mTagMap.end() ? nullptr : found->second;
}

int IGraphics::GetControlTag(const IControl* control) const {
  for (const auto& [tag, tagged] : mTagMap)
    if (tagged == control) return tag;
  return -1;
}

void IGraphics::ForAllControlsFunc(const ControlFunc& func) { ForStandardControls(func); }

void IGraphics::ForAllControls(void (IControl::*method)()) {
  ForAllControlsFunc([method](IControl* control) { (control->*method)(); });
}

void IGraphics::ForAllControls(void (IControl::*method)(bool, int), bool flag, int index) {
  ForAllControlsFunc([=](IControl* control) { (control->*method)(flag, index); });
}

void IGraphics::ForStandardControls(const ControlFunc& func) {
  for (int i = 0; i < NControls(); ++i) func(GetControl(i));
}

void IGraphics::ForMatchingControls(int paramIdx, const ControlFunc& func) {
  ForStandardControls([&](IControl* control) {
    if (control->ValueIndexOfParam(paramIdx) >= 0) func(control);
  });
}

void IGraphics::SetAllControlsDirty() { ForAllControls(&IControl::MarkDirty, false, IControl::kAllValues); }

void IGraphics::SetAllControlsClean() { ForAllControls(&IControl::ClearDirty); }

void IGraphics::UpdatePeers(IControl* caller, int valIdx) {
  const int paramIdx = caller->ParamIndexOfValue(valIdx);
  if (paramIdx == IControl::kNoParameter) return;
  const double value = caller->ValueAt(valIdx);
  ForStandardControls([&](IControl* control) {
    if (control == caller) return;
    for (int i = 0; i < control->NVals(); ++i)
      if (control->ParamIndexOfValue(i) == paramIdx) control->SetValueFromHost(value, i);
  });
}

bool IGraphics::ControlIsCaptured(const IControl* control) const {
  for (const auto& [touchId, captured] : mCapturedMap)
    if (captured == control) return true;
  return false;
}

// Keyboard ----------------------------------------------------------------------

int IGraphics::GetMouseControlIdx(float x, float y) const {
  for (int i = NControls() - 1; i >= 0; --i) {
    const IControl* control = GetControl(i);
    if (control->IsHidden() || control->GetIgnoreMouse()) continue;
    if (control->IsDisabled() && !control->GetMouseEventsWhenDisabled()) continue;
    if (control->HitTest(x, y)) return i;
  }
  return -1;
}

bool IGraphics::OnKey(float x, float y, const IKeyPress& key, bool isUp) {
  const int index = GetMouseControlIdx(x, y);
  if (index > 0) {
    IControl* control = GetControl(index);
    if (isUp ? control->OnKeyUp(x, y, key) : control->OnKeyDown(x, y, key)) return true;
  }
  return mKeyHandlerFunc ? mKeyHandlerFunc(key, isUp) : false;
}

bool IGraphics::OnKeyDown(float x, float y, const IKeyPress& key) { return OnKey(x, y, key, false); }

bool IGraphics::OnKeyUp(float x, float y, const IKeyPress& key) { return OnKey(x, y, key, true); }

// Size and scale -----------------------------------------------------------------

int IGraphics::WindowWidth() const {
  return static_cast<int>(static_cast<float>(static_cast<int>(mWidth * mDrawScale)) * PlatformWindowScale());
}

int IGraphics::WindowHeight() const {
  return static_cast<int>(static_cast<float>(static_cast<int>(mHeight * mDrawScale)) * PlatformWindowScale());
}

void IGraphics::ResizeWindowThroughDelegate(bool needsPlatformResize) {
  ResizePlatformWindow(mDelegate->RequestEditorResize(WindowWidth(), WindowHeight(), needsPlatformResize));
}

void IGraphics::SetScreenScale(float scale) {
  mScreenScale = scale;
  ResizeWindowThroughDelegate(true);
  ForAllControls(&IControl::OnRescale);
  SetAllControlsDirty();
  UpdateLayerFramebuffer();
}

void IGraphics::Resize(int width, int height, float scale, bool needsPlatformResize) {
  mDelegate->ConstrainEditorSize(width, height);
  // A scale that is not a number falls to the minimum rather than reaching the window size.
  if (!(scale >= kMinDrawScale)) scale = kMinDrawScale;
  if (scale > kMaxDrawScale) scale = kMaxDrawScale;
  if (width == mWidth && height == mHeight && scale == mDrawScale) return;

  ReleaseMouseCapture();
  mDrawScale = scale;
  mWidth = width;
  mHeight = height;
  ResizeWindowThroughDelegate(needsPlatformResize);
  ForAllControls(&IControl::OnResize);
  SetAllControlsDirty();
  UpdateLayerFramebuffer();
  if (mLayoutOnResize) mDelegate->RunEditorLayout(this);
}

}  // namespace plugkit::graphics
