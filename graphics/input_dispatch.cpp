// The graphics context's input dispatch: which control receives each pointer,
// wheel, key, drop and registered event, pointer capture per touch,
// mouse-over tracking, the corner-resize drag, and the keyboard as a MIDI
// keyboard.
#include <algorithm>
#include <functional>
#include <utility>

#include "graphics/controls/popup_menu_control.h"
#include "graphics/controls/text_entry_control.h"
#include "graphics/corner_resizer_control.h"
#include "graphics/fps_display_control.h"
#include "graphics/graphics_context.h"
#include "graphics/graphics_editor_delegate.h"
#include "graphics/qwerty_midi_keys.h"

namespace plugkit::graphics {

namespace {

bool TakesEvents(const IControl& control, bool mouseOver) {
  if (control.IsHidden() || control.GetIgnoreMouse()) return false;
  if (!control.IsDisabled()) return true;
  return mouseOver ? control.GetMouseOverWhenDisabled() : control.GetMouseEventsWhenDisabled();
}

}  // namespace

std::vector<int> IGraphics::LinkedParams(const IControl& control) {
  std::vector<int> params;
  for (int i = 0; i < control.NVals(); ++i)
    if (const int paramIdx = control.ParamIndexOfValue(i); paramIdx != IControl::kNoParameter)
      params.push_back(paramIdx);
  return params;
}

void IGraphics::EndParamEdits(const std::vector<int>& params) {
  for (int paramIdx : params) mDelegate->EndParamEditFromEditor(paramIdx);
}

std::vector<int> IGraphics::TakePressEdits(uint64_t touchId) {
  const auto found = mPressEdits.find(touchId);
  if (found == mPressEdits.end()) return {};
  std::vector<int> params = std::move(found->second);
  mPressEdits.erase(found);
  return params;
}

// Hit testing ---------------------------------------------------------------------

int IGraphics::GetMouseControlIdx(float x, float y, bool mouseOver) const {
  if (mouseOver && !mEnableMouseOver) return -1;
  const int lowest = mouseOver ? 1 : 0;
  for (int i = NControls() - 1; i >= lowest; --i) {
    const IControl* control = GetControl(i);
    if (TakesEvents(*control, mouseOver) && control->HitTest(x, y)) return i;
  }
  return -1;
}

IControl* IGraphics::InWindowControlAt(float x, float y) const {
  if (mPopupMenuControl && mPopupMenuControl->IsOpen()) return mPopupMenuControl.get();
  if (mTextEntryControl && mTextEntryControl->EditInProgress()) return mTextEntryControl.get();
  if (mCornerResizer && mCornerResizer->GetRECT().Contains(x, y)) return mCornerResizer.get();
  if (mFPSDisplay && mFPSDisplay->GetRECT().Contains(x, y)) return mFPSDisplay.get();
  return nullptr;
}

IControl* IGraphics::GetMouseControl(float x, float y, bool capture, bool mouseOver, uint64_t touchId) {
  if (IControl* captured = GetCapturedControl(touchId)) return captured;
  int index = -1;
  IControl* control = InWindowControlAt(x, y);
  if (!control) {
    index = GetMouseControlIdx(x, y, mouseOver);
    control = index >= 0 ? GetControl(index) : nullptr;
  }
  if (capture && control) {
    if (mEnableMultiTouch && ControlIsCaptured(control) && !control->GetWantsMultiTouch()) return nullptr;
    mCapturedMap[touchId] = control;
  }
  if (mouseOver) mMouseOverIdx = index;
  return control;
}

// Pointer -------------------------------------------------------------------------

void IGraphics::OnMouseDown(const std::vector<IMouseInfo>& points) {
  if (points.size() == 1) {
    mMouseDownX = points.front().x;
    mMouseDownY = points.front().y;
  }
  for (const IMouseInfo& point : points) {
    IControl* control = GetMouseControl(point.x, point.y, true, false, point.ms.touchID);
    if (!control) continue;
    const int valIdx = control->GetValueIndexForPosition(point.x, point.y);
    if (point.ms.R && control->ParamIndexOfValue(std::max(valIdx, 0)) != IControl::kNoParameter) {
      ReleaseMouseCapture();
      PopupContextMenu(control, point.x, point.y);
      return;
    }
    // A press whose release never came ends its edits before the next begins.
    EndParamEdits(TakePressEdits(point.ms.touchID));
    std::vector<int> params = LinkedParams(*control);
    for (int paramIdx : params) mDelegate->BeginParamEditFromEditor(paramIdx);
    mPressEdits[point.ms.touchID] = std::move(params);
    control->OnMouseDown(point.x, point.y, point.ms);
  }
}

// The press's edits are taken before the control hears of the release: its
// handler may remove it, which ends the edits still open.
void IGraphics::OnMouseUp(const std::vector<IMouseInfo>& points) {
  for (const IMouseInfo& point : points) {
    if (mCapturedMap.empty()) break;
    IControl* control = GetCapturedControl(point.ms.touchID);
    if (!control) continue;
    const std::vector<int> editedParams = TakePressEdits(point.ms.touchID);
    control->OnMouseUp(point.x, point.y, point.ms);
    EndParamEdits(editedParams);
    mCapturedMap.erase(point.ms.touchID);
  }
  // Resize releases the capture, so a corner drag ends here also without one.
  if (mResizingInProcess) EndDragResize();
  if (points.size() == 1 && points.front().ms.touchID == kMouseTouchId) {
    const IMouseInfo& point = points.front();
    OnMouseOver(point.x, point.y, point.ms);
  }
}

void IGraphics::OnMouseDrag(const std::vector<IMouseInfo>& points) {
  if (mResizingInProcess && points.size() == 1) {
    OnDragResize(points.front().x, points.front().y);
    return;
  }
  if (mCapturedMap.empty()) return;
  // While text is typed in, the platform's field keeps the pointer, or only
  // the in-window field takes drags.
  const IControl* onlyReceiver = nullptr;
  if (mInTextEntry) {
    if (!mTextEntryControl) return;
    onlyReceiver = mTextEntryControl.get();
  }
  for (const IMouseInfo& point : points) {
    IControl* control = GetCapturedControl(point.ms.touchID);
    if (!control || (onlyReceiver && control != onlyReceiver)) continue;
    if (point.dX == 0.f && point.dY == 0.f) continue;
    control->OnMouseDrag(point.x, point.y, point.dX, point.dY, point.ms);
  }
}

void IGraphics::OnTouchCancelled(const std::vector<IMouseInfo>& points) {
  for (const IMouseInfo& point : points) {
    IControl* control = GetCapturedControl(point.ms.touchID);
    if (!control) continue;
    control->OnTouchCancelled(point.x, point.y, point.ms);
    mCapturedMap.erase(point.ms.touchID);
    // A cancelled touch ends no edit.
    mPressEdits.erase(point.ms.touchID);
  }
}

bool IGraphics::OnMouseDoubleClick(float x, float y, const IMouseMod& mod) {
  IControl* control = GetMouseControl(x, y, true, false, mod.touchID);
  if (!control) return false;
  if (control->GetMouseDblAsSingleClick()) {
    OnMouseDown({IMouseInfo{x, y, 0.f, 0.f, mod}});
  } else {
    control->OnMouseDoubleClick(x, y, mod);
    ReleaseMouseCapture();
  }
  return true;
}

bool IGraphics::OnMouseOver(float x, float y, const IMouseMod& mod) {
  IControl* control = GetMouseControl(x, y, false, true);
  if (control != mMouseOver) {
    // The leave handler may change the tree, the control found included.
    if (IControl* left = std::exchange(mMouseOver, nullptr)) {
      left->OnMouseLeave();
      control = GetMouseControl(x, y, false, true);
    }
    mMouseOver = control;
  }
  if (mMouseOver) mMouseOver->OnMouseHover(x, y, mod);
  return control != nullptr;
}

void IGraphics::OnMouseOut() {
  mCursorType = SetCursor(kArrowCursor);
  ForAllControls(&IControl::OnMouseLeave);
  SetMouseOverControl(nullptr, -1);
}

bool IGraphics::OnMouseWheel(float x, float y, const IMouseMod& mod, float delta) {
  IControl* control = GetMouseControl(x, y, false);
  if (control) control->OnMouseWheel(x, y, mod, delta);
  return control != nullptr;
}

// Keys ----------------------------------------------------------------------------

// A copy of the key handler runs, so that it may replace itself.
bool IGraphics::OnKey(float x, float y, const IKeyPress& key, bool isUp) {
  IControl* control = GetMouseControl(x, y, false);
  if (control && control != GetControl(0)) {
    if (isUp ? control->OnKeyUp(x, y, key) : control->OnKeyDown(x, y, key)) return true;
  }
  const KeyHandlerFunc handler = mKeyHandlerFunc;
  return handler ? handler(key, isUp) : false;
}

bool IGraphics::OnKeyDown(float x, float y, const IKeyPress& key) { return OnKey(x, y, key, false); }

bool IGraphics::OnKeyUp(float x, float y, const IKeyPress& key) { return OnKey(x, y, key, true); }

void IGraphics::SetQwertyMidiKeyHandlerFunc(std::function<void(const IMidiMsg&)> func) {
  SetKeyHandlerFunc([this, func = std::move(func)](const IKeyPress& key, bool isUp) {
    QwertyMidiKeys::HandleKey(key, isUp, [&](const IMidiMsg& msg) {
      mDelegate->SendMidiFromEditor(msg);
      if (func) func(msg);
    });
    return true;
  });
}

// Drops ---------------------------------------------------------------------------

void IGraphics::OnDrop(const char* path, float x, float y) {
  if (IControl* control = GetMouseControl(x, y, false)) control->OnDrop(path);
}

void IGraphics::OnDropMultiple(const std::vector<const char*>& paths, float x, float y) {
  if (IControl* control = GetMouseControl(x, y, false)) control->OnDropMultiple(paths);
}

// Corner resizing -----------------------------------------------------------------

// In scale mode the press must lie inside the window, away from its top and
// left edges, to scale against.
void IGraphics::OnDragResize(float x, float y) {
  if (mGUISizeMode == EUIResizerMode::Size) {
    Resize(static_cast<int>(x), static_cast<int>(y), mDrawScale, true);
    return;
  }
  if (!(mMouseDownX > 0.f && mMouseDownY > 0.f)) return;
  const float scale = std::min(x * mDrawScale / mMouseDownX, y * mDrawScale / mMouseDownY);
  Resize(mWidth, mHeight, scale, true);
}

void IGraphics::EndDragResize() {
  mResizingInProcess = false;
  if (mGUISizeMode == EUIResizerMode::Scale) {
    ForAllControls(&IControl::OnRescale);
    SetAllControlsDirty();
  } else if (mCornerResizer) {
    mCornerResizer->MarkDirty(false);
  }
}

// Registered events ---------------------------------------------------------------

void IGraphics::AttachEventRegion(const IRECT& bounds, int kind, IControl::EventHandlerFunc handler) {
  if (!mEventRegions.Add(bounds)) return;
  RegisterEventKind(kind);
  mEventRegionHandlers[mEventRegions.Size() - 1] = std::move(handler);
}

void IGraphics::ClearEventRegions() {
  mEventRegions.Clear();
  mEventRegionHandlers.clear();
}

int IGraphics::EventRegionAt(float x, float y) const {
  for (int i = 0; i < mEventRegions.Size(); ++i)
    if (mEventRegions.Get(i).Contains(x, y)) return i;
  return -1;
}

bool IGraphics::RespondsToRegisteredEvent(float x, float y) {
  const IControl* control = GetMouseControl(x, y, false);
  if (control && control->WantsRegisteredEvents()) return true;
  return EventRegionAt(x, y) >= 0;
}

// A copy of the region's handler runs, so that it may clear the regions.
void IGraphics::OnRegisteredEvent(const IEventInfo& info) {
  IControl* control = GetMouseControl(info.x, info.y, false);
  if (control && control->WantsRegisteredEvents()) {
    control->OnRegisteredEvent(info);
    return;
  }
  const auto found = mEventRegionHandlers.find(EventRegionAt(info.x, info.y));
  if (found == mEventRegionHandlers.end() || !found->second) return;
  const IControl::EventHandlerFunc handler = found->second;
  handler(nullptr, info);
}

// Parameter under the pointer -----------------------------------------------------

void IGraphics::NoteParamUnderPoint(float x, float y) {
  const IControl* control = GetMouseControl(x, y, false);
  mLastClickedParam = control ? control->ParamIndexOfValue(0) : IControl::kNoParameter;
}

}  // namespace plugkit::graphics
