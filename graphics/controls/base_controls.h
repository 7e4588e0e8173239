#pragma once

#include "common/heap_buf.h"
#include "graphics/control.h"

namespace plugkit::graphics {

// Fine adjustment is asked for with shift or control held, for drags and the
// wheel alike.
bool IsFineControl(const IMouseMod& mod, bool wheel = false);

// The interaction bases of the stock controls. Each turns the pointer into a
// normalised value in slot 0 and leaves the drawing to the controls derived
// from it. Main thread only.

// A momentary button: a press stores 1 and runs the action, which usually
// starts an animation; the animation's end releases the button to 0.
class IButtonControlBase : public IControl {
public:
  explicit IButtonControlBase(const IRECT& bounds, ActionFunc actionFunc = nullptr);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnEndAnimation() override;
};

// A switch of N states: each click moves to the next one and wraps after the
// last. Each state can be disabled on its own.
class ISwitchControlBase : public IControl {
public:
  // A linked parameter of a wider range gives no more states than this.
  static constexpr int kMaxNumStates = 4096;
  static constexpr int kStateFlagsGranularity = 4096;

  ISwitchControlBase(const IRECT& bounds, int paramIdx = kNoParameter, ActionFunc actionFunc = nullptr,
                     int numStates = 2);

  // A linked parameter sets the number of states from its range.
  void OnInit() override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;

  void SetAllStatesDisabled(bool disabled);
  // Ignored for a state the switch does not have.
  void SetStateDisabled(int stateIdx, bool disabled);
  // False for a state the switch does not have.
  bool GetStateDisabled(int stateIdx) const;
  int GetNumStates() const { return mNumStates; }

protected:
  // The count of states, from 0 to kMaxNumStates; the flags follow, new states enabled.
  void SetNumStates(double numStates);

  int mNumStates = 0;
  TypedBuf<bool> mDisabledStates{kStateFlagsGranularity};
  bool mMouseDown = false;
};

// A knob: a relative drag along one direction, where one drag-bounds height
// (or width) of travel changes the value by 1 / gearing. A value linked to a
// stepped parameter moves in its steps, while the drag keeps its own
// unsnapped position so that slow drags still pass every step.
class IKnobControlBase : public IControl {
public:
  static constexpr double kDefaultGearing = 4.0;

  explicit IKnobControlBase(const IRECT& bounds, int paramIdx = kNoParameter,
                            EDirection direction = EDirection::Vertical, double gearing = kDefaultGearing);
  IKnobControlBase(const IRECT& bounds, ActionFunc actionFunc, EDirection direction = EDirection::Vertical,
                   double gearing = kDefaultGearing);

  // Starts a drag; the right button prompts for the value under the point
  // once prompts are allowed (SetPromptDisabled(false)).
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  // One step of a stepped parameter per notch, else 0.01 (0.001 fine) times the delta.
  void OnMouseWheel(float x, float y, const IMouseMod& mod, float d) override;

  // The rectangle whose height (or width) a drag measures against; the target by default.
  virtual IRECT GetKnobDragBounds() { return GetTargetRECT(); }
  // The knob's face, which each derived knob draws in its own way.
  virtual void DrawWidget(IGraphics& g) = 0;

  void SetHideCursorOnDrag(bool hide) { mHideCursorOnDrag = hide; }

protected:
  bool mHideCursorOnDrag = true;
  EDirection mDirection;
  double mGearing;
  bool mMouseDown = false;
  double mDragValue = 0.0;
};

// A slider along a track: a press jumps to the point and a drag follows it;
// with the cursor hidden, or over a stepped parameter, the drag is relative
// as a knob's over the track. The track is the control's rectangle unless a
// derived control lays it out itself; it is empty until the first resize.
class ISliderControlBase : public IControl {
public:
  static constexpr double kDefaultGearing = IKnobControlBase::kDefaultGearing;

  explicit ISliderControlBase(const IRECT& bounds, int paramIdx = kNoParameter,
                              EDirection direction = EDirection::Vertical, double gearing = kDefaultGearing,
                              float handleSize = 0.f);
  ISliderControlBase(const IRECT& bounds, ActionFunc actionFunc, EDirection direction = EDirection::Vertical,
                     double gearing = kDefaultGearing, float handleSize = 0.f);

  void OnResize() override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseWheel(float x, float y, const IMouseMod& mod, float d) override;

  void SetHideCursorOnDrag(bool hide) { mHideCursorOnDrag = hide; }

protected:
  bool mHideCursorOnDrag = true;
  EDirection mDirection;
  IRECT mTrackBounds;
  float mHandleSize;
  double mGearing;
  bool mMouseDown = false;
  double mDragValue = 0.0;
};

}  // namespace plugkit::graphics
