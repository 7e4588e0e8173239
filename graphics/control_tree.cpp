// The graphics context's control tree: attaching, removing and finding
// controls, the walks over them, pointer capture and mouse-over state.
#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>

#include "framework/core/param.h"
#include "graphics/bubble_control.h"
#include "graphics/container_base.h"
#include "graphics/controls/popup_menu_control.h"
#include "graphics/controls/text_entry_control.h"
#include "graphics/corner_resizer_control.h"
#include "graphics/fps_display_control.h"
#include "graphics/graphics_context.h"
#include "graphics/graphics_editor_delegate.h"
#include "graphics/panel_control.h"

namespace plugkit::graphics {

namespace {

bool LinkedTo(const IControl* control, int paramIdx) { return control->ValueIndexOfParam(paramIdx) >= 0; }

}  // namespace

// Attaching -----------------------------------------------------------------------

void IGraphics::WireControl(IControl* control) {
  control->SetDelegate(*mDelegate);
  control->SetGraphics(this);
  // Handlers attached before the control had a context still need their kinds known.
  control->ForEventKinds([this](int32_t kind) { RegisterEventKind(kind); });
  control->OnInit();
  control->OnResize();
  control->OnRescale();
}

IControl* IGraphics::AttachControl(IControl* control, int tag, const char* group) {
  if (!control) return nullptr;
  if (tag >= 0 && !mTagMap.emplace(tag, control).second) return nullptr;
  WireControl(control);
  control->SetGroup(group);
  if (!mControls.Add(control)) {
    if (tag >= 0) mTagMap.erase(tag);
    return nullptr;
  }
  control->OnAttached();
  return control;
}

IControl* IGraphics::InsertBackground(IControl* control) {
  WireControl(control);
  if (!mControls.Insert(0, control)) {
    delete control;
    return nullptr;
  }
  control->OnAttached();
  return control;
}

IControl* IGraphics::AttachPanelBackground(const IPaint& pattern) {
  return InsertBackground(
      new IPanelControl(IRECT(0.f, 0.f, static_cast<float>(mWidth), static_cast<float>(mHeight)), pattern));
}

// Removing ------------------------------------------------------------------------

void IGraphics::ForgetControl(IControl* control) {
  std::replace(mWatchedControls.begin(), mWatchedControls.end(), static_cast<const IControl*>(control),
               static_cast<const IControl*>(nullptr));
  if (ControlIsCaptured(control)) ReleaseMouseCapture();
  if (mMouseOver == control) SetMouseOverControl(nullptr, -1);
  if (mInTextEntry == control) ForgetTextEntryTarget();
  if (mInPopupMenu == control) ForgetPopupMenuRequest();
  // Its menu may go with it, while the in-window popup menu still reads it.
  if (mInWindowMenuOwner == control) {
    mInWindowMenuOwner = nullptr;
    if (mPopupMenuControl) mPopupMenuControl->DropMenu();
  }
  if (const int tag = GetControlTag(control); tag >= 0) mTagMap.erase(tag);
  // Drawing and dirty collection follow parent pointers; containers list their children.
  ForAllControlsFunc([control](IControl* other) {
    if (other->GetParent() == control) other->SetParent(nullptr);
    if (auto* container = dynamic_cast<IContainerBase*>(other)) container->ForgetChild(control);
    // A bubble held for the control would otherwise wait on a pointer a new control may reuse.
    if (auto* bubble = dynamic_cast<IBubbleControl*>(other)) bubble->ForgetCaller(control);
  });
}

void IGraphics::DeleteControlAt(int index) {
  IControl* control = mControls.Get(index);
  if (!control) return;
  mControls.Delete(index);
  ForgetControl(control);
  delete control;
}

void IGraphics::RemoveControl(IControl* control) {
  DeleteControlAt(mControls.Find(control));
  SetAllControlsDirty();
}

void IGraphics::RemoveControl(int index) {
  DeleteControlAt(index);
  SetAllControlsDirty();
}

void IGraphics::RemoveControls(int fromIndex) {
  for (int i = NControls() - 1; i >= fromIndex && i >= 0; --i) DeleteControlAt(i);
  SetAllControlsDirty();
}

void IGraphics::RemoveControlWithTag(int tag) {
  RemoveControl(GetControlWithTag(tag));
  mTagMap.erase(tag);
}

void IGraphics::RemoveAllControls() {
  ReleaseMouseCapture();
  SetMouseOverControl(nullptr, -1);
  RemovePopupMenuControl();
  RemoveTextEntryControl();
  RemoveCornerResizer();
  RemoveFPSDisplay();
  RemoveBubbleControls();
  mTagMap.clear();
  for (int i = NControls() - 1; i >= 0; --i) DeleteControlAt(i);
}

// Finding -------------------------------------------------------------------------

IControl* IGraphics::GetControlWithTag(int tag) const {
  const auto found = mTagMap.find(tag);
  return found == mTagMap.end() ? nullptr : found->second;
}

IControl* IGraphics::GetControlWithParamIdx(int paramIdx) const {
  for (int i = 0; i < NControls(); ++i)
    if (LinkedTo(GetControl(i), paramIdx)) return GetControl(i);
  return nullptr;
}

int IGraphics::GetControlTag(const IControl* control) const {
  for (const auto& [tag, tagged] : mTagMap)
    if (tagged == control) return tag;
  return -1;
}

void IGraphics::SetControlPosition(IControl* control, float x, float y) {
  control->SetPosition(x, y);
  if (!control->IsHidden()) SetAllControlsDirty();
}

void IGraphics::SetControlSize(IControl* control, float w, float h) {
  control->SetSize(w, h);
  if (!control->IsHidden()) SetAllControlsDirty();
}

void IGraphics::SetControlBounds(IControl* control, const IRECT& bounds) {
  control->SetRECT(bounds);
  control->SetTargetRECT(bounds);
  control->SetMouseIsOver(false);
  control->OnResize();
  if (!control->IsHidden()) SetAllControlsDirty();
}

// Walks ---------------------------------------------------------------------------

void IGraphics::ForAllControlsFunc(const ControlFunc& func) {
  if (!func) throw std::bad_function_call();
  ForStandardControls(func);
  ForSpecialControls(func);
}

// In order: the frame-time display, the corner resizer, the text-entry
// control, the popup menu control, then the bubbles.
void IGraphics::ForSpecialControls(const ControlFunc& func) {
  if (mFPSDisplay) func(mFPSDisplay.get());
  if (mCornerResizer) func(mCornerResizer.get());
  if (mTextEntryControl) func(mTextEntryControl.get());
  if (mPopupMenuControl) func(mPopupMenuControl.get());
  for (int i = 0; i < NBubbleControls(); ++i) func(GetBubbleControl(i));
}

void IGraphics::ForAllControls(void (IControl::*method)()) {
  ForAllControlsFunc([method](IControl* control) { (control->*method)(); });
}

void IGraphics::ForAllControls(void (IControl::*method)(bool, int), bool flag, int index) {
  ForAllControlsFunc([=](IControl* control) { (control->*method)(flag, index); });
}

// By index, re-reading the count: a walk may attach controls (a container's
// resize function adding children), which then take part.
void IGraphics::ForStandardControls(const ControlFunc& func) {
  for (int i = 0; i < NControls(); ++i) func(GetControl(i));
}

void IGraphics::ForMatchingControls(int paramIdx, const ControlFunc& func) {
  ForStandardControls([&](IControl* control) {
    if (LinkedTo(control, paramIdx)) func(control);
  });
}

void IGraphics::ForMatchingControls(const std::vector<int>& paramIndices, const ControlFunc& func) {
  ForStandardControls([&](IControl* control) {
    for (int paramIdx : paramIndices)
      if (LinkedTo(control, paramIdx)) func(control);
  });
}

void IGraphics::ForMatchingControls(void (IControl::*method)(bool), int paramIdx, bool flag) {
  ForMatchingControls(paramIdx, [=](IControl* control) { (control->*method)(flag); });
}

void IGraphics::ForMatchingControls(void (IControl::*method)(bool, int), int paramIdx, bool flag, int index) {
  ForMatchingControls(paramIdx, [=](IControl* control) { (control->*method)(flag, index); });
}

void IGraphics::ForControlInGroup(const char* group, const ControlFunc& func) {
  if (!group || group[0] == '\0') return;
  ForStandardControls([&](IControl* control) {
    if (std::strcmp(control->GetGroup(), group) == 0) func(control);
  });
}

void IGraphics::SetAllControlsDirty() { ForAllControls(&IControl::MarkDirty, false, IControl::kAllValues); }

void IGraphics::SetAllControlsClean() { ForAllControls(&IControl::ClearDirty); }

void IGraphics::HideControl(int paramIdx, bool hide) { ForMatchingControls(&IControl::Hide, paramIdx, hide); }

void IGraphics::DisableControl(int paramIdx, bool disable) {
  ForMatchingControls(&IControl::SetDisabled, paramIdx, disable);
}

void IGraphics::SetParamHighlight(int paramIdx, bool show, int colorIndex) {
  ForMatchingControls(&IControl::SetCornerMark, paramIdx, show, colorIndex);
}

void IGraphics::AssignParamNameToolTips() {
  ForStandardControls([](IControl* control) {
    if (const IParam* param = control->ParamOfValue(0)) control->SetTooltip(param->Name());
  });
}

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

// Pointer state -------------------------------------------------------------------

// Without a control the touch's release reaches nobody.
void IGraphics::SetCapturedControl(IControl* control, uint64_t touchId) {
  if (control) {
    mCapturedMap[touchId] = control;
    return;
  }
  mCapturedMap.erase(touchId);
  EndParamEdits(TakePressEdits(touchId));
}

IControl* IGraphics::GetCapturedControl(uint64_t touchId) const {
  const auto found = mCapturedMap.find(touchId);
  return found == mCapturedMap.end() ? nullptr : found->second;
}

bool IGraphics::ControlIsCaptured(const IControl* control) const {
  for (const auto& [touchId, captured] : mCapturedMap)
    if (captured == control) return true;
  return false;
}

// No release will reach the held controls now.
void IGraphics::ReleaseMouseCapture() {
  mCapturedMap.clear();
  const std::map<uint64_t, std::vector<int>> edits = std::exchange(mPressEdits, {});
  if (mCursorHidden) HideCursor(false, true);
  for (const auto& [touchId, params] : edits) EndParamEdits(params);
}

IGraphics::ControlWatch::ControlWatch(IGraphics* graphics, const IControl* control) : mGraphics(graphics) {
  if (!mGraphics) return;
  mSlot = mGraphics->mWatchedControls.size();
  mGraphics->mWatchedControls.push_back(control);
}

IGraphics::ControlWatch::~ControlWatch() {
  if (mGraphics) mGraphics->mWatchedControls.resize(mSlot);
}

bool IGraphics::ControlWatch::Kept() const { return !mGraphics || mGraphics->mWatchedControls[mSlot] != nullptr; }

void IGraphics::SetMouseOverControl(IControl* control, int index) {
  mMouseOver = control;
  mMouseOverIdx = control ? index : -1;
}

void IGraphics::EnableTooltips(bool enable) {
  mEnableTooltips = enable;
  if (enable) mEnableMouseOver = true;
}

void IGraphics::RegisterEventKind(int kind) {
  if (std::find(mRegisteredEventKinds.begin(), mRegisteredEventKinds.end(), kind) == mRegisteredEventKinds.end())
    mRegisteredEventKinds.push_back(kind);
}

}  // namespace plugkit::graphics
