#pragma once

#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

#include "common/str_buf.h"
#include "graphics/graphics_types.h"

namespace plugkit {
class IParam;
}

namespace plugkit::graphics {

class IGEditorDelegate;
class IGraphics;

// The base of every element of the editor's control tree: its rectangles,
// flags and value slots (each optionally linked to a parameter). The graphics
// context owns the controls and wires them to itself and the delegate.
class IControl {
public:
  using ActionFunc = std::function<void(IControl*)>;
  static constexpr int kNoParameter = -1;
  static constexpr int kAllValues = -1;
  static constexpr float kDisabledBlendWeight = 0.25f;

  explicit IControl(const IRECT& bounds, int paramIdx = kNoParameter, ActionFunc actionFunc = nullptr);
  IControl(const IRECT& bounds, std::initializer_list<int> paramIndices, ActionFunc actionFunc = nullptr);
  IControl(const IRECT& bounds, ActionFunc actionFunc);
  virtual ~IControl() = default;
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  virtual bool OnKeyDown(float, float, const IKeyPress&) { return false; }
  virtual bool OnKeyUp(float, float, const IKeyPress&) { return false; }
  virtual void OnRescale() {}
  virtual void OnResize() {}
  virtual void OnInit() {}
  virtual void OnAttached() {}
  virtual void OnMessageFromDelegate(int, int, const void*) {}
  virtual void OnMidi(const IMidiMsg&) {}
  virtual void Draw(IGraphics& g) = 0;

  // Stores the index in value slot valIdx (which must exist).
  virtual void LinkValueToParam(int paramIdx, int valIdx);
  // Ignored while this control is captured by the pointer (a drag is running).
  virtual void SetValueFromHost(double value, int valIdx = 0);
  virtual void SetValueAt(double value, int valIdx = 0);
  virtual void Hide(bool hide);
  virtual void SetDisabled(bool disable);
  virtual void SetIgnoreMouse(bool ignore) { mIgnoreMouse = ignore; }
  virtual bool HitTest(float x, float y) const { return mTargetRECT.Contains(x, y); }
  // Clamps the values to 0..1 and marks the control dirty; with triggerAction
  // also sends linked values to the delegate and to peer controls, then runs
  // the action function. A one-slot control always means slot 0.
  virtual void MarkDirty(bool triggerAction = true, int valIdx = kAllValues);
  virtual void ClearDirty() { mDirty = false; }
  virtual bool IsDirty() { return mDirty; }

  int NVals() const { return static_cast<int>(mValues.size()); }
  double ValueAt(int valIdx = 0) const;
  int ParamIndexOfValue(int valIdx = 0) const;
  int ValueIndexOfParam(int paramIdx) const;
  // The delegate's parameter for a linked slot; null when there is none.
  IParam* ParamOfValue(int valIdx = 0) const;

  const IRECT& GetRECT() const { return mRECT; }
  const IRECT& GetTargetRECT() const { return mTargetRECT; }
  void SetRECT(const IRECT& bounds) { mRECT = bounds; }
  void SetTargetRECT(const IRECT& bounds) { mTargetRECT = bounds; }
  // The tag the graphics context knows this control by; -1 when none.
  int GetTag() const;
  const char* GetGroup() const { return mGroup.Get(); }
  void SetGroup(const char* group) { mGroup.Set(group ? group : ""); }
  bool GetWantsMidi() const { return mWantsMidi; }
  void SetWantsMidi(bool wants) { mWantsMidi = wants; }
  bool IsHidden() const { return mHide; }
  bool IsDisabled() const { return mDisabled; }
  bool GetIgnoreMouse() const { return mIgnoreMouse; }
  bool GetMouseEventsWhenDisabled() const { return mMouseEventsWhenDisabled; }
  void SetMouseEventsWhenDisabled(bool allow) { mMouseEventsWhenDisabled = allow; }
  const IBlend& GetBlend() const { return mBlend; }
  void SetActionFunction(ActionFunc actionFunc) { mActionFunc = std::move(actionFunc); }

  IGEditorDelegate* GetDelegate() const { return mDelegate; }
  IGraphics* GetUI() const { return mGraphics; }
  // Called by the graphics context when it takes the control.
  void SetDelegate(IGEditorDelegate& delegate) { mDelegate = &delegate; }
  void SetGraphics(IGraphics* graphics) { mGraphics = graphics; }

private:
  struct ValueSlot {
    int mParamIdx = kNoParameter;
    double mValue = 0.0;
  };

  bool ValidValueIndex(int valIdx) const { return valIdx >= 0 && valIdx < NVals(); }

  IRECT mRECT;
  IRECT mTargetRECT;
  StrBuf mGroup;
  IBlend mBlend;
  bool mDirty = true;  // every control draws once
  bool mHide = false;
  bool mDisabled = false;
  bool mIgnoreMouse = false;
  bool mMouseEventsWhenDisabled = false;
  bool mWantsMidi = false;
  IGEditorDelegate* mDelegate = nullptr;
  IGraphics* mGraphics = nullptr;
  ActionFunc mActionFunc;
  std::vector<ValueSlot> mValues;
};

}  // namespace plugkit::graphics
