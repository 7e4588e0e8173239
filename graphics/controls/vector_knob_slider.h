#pragma once

#include <utility>

#include "graphics/controls/base_controls.h"
#include "graphics/vector_base.h"

namespace plugkit::graphics {

// The vector-drawn knob and slider. Main thread only.

// What the vector knob and slider share on their interaction base (Base):
// the value shows the linked parameter's display text and unit, and a label
// left empty takes the parameter's name. A click on the shown value prompts
// for a typed one when the value is editable, and the value is then lit under
// the mouse; the control is hit on its widget, and on its value when that is
// editable. A double click resets the value to its parameter's default.
template <class Base>
class IVValueControlBase : public Base, public IVectorBase {
public:
  // baseArgs go to Base.
  template <class... BaseArgs>
  IVValueControlBase(const char* label, const IVStyle& style, bool valueIsEditable, bool valueInWidget,
                     float trackSize, BaseArgs&&... baseArgs);

  void OnInit() override;
  void MarkDirty(bool triggerAction = true, int valIdx = IControl::kAllValues) override;
  bool HitTest(float x, float y) const override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  // Pushes the value once more.
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDoubleClick(float x, float y, const IMouseMod& mod) override;
  void OnMouseHover(float x, float y, const IMouseMod& mod) override;
  void OnMouseLeave() override;

protected:
  // Where a press prompts and the mouse lights the value.
  bool ValuePrompts(float x, float y) const;

  bool mValueMouseOver = false;
};

// A rotary knob: an ellipse handle with a pointer, and an arc from the anchor
// angle to the value's angle around it. Angles are degrees, 0 up, clockwise.
class IVKnobControl : public IVValueControlBase<IKnobControlBase> {
public:
  static constexpr float kDefaultStartAngle = -135.f;
  static constexpr float kDefaultEndAngle = 135.f;
  // Between the arc and the handle.
  static constexpr float kTrackToHandleDistance = 4.f;
  // Where the pointer starts and ends, as fractions of the handle's radius.
  static constexpr float kInnerPointerFrac = 0.1f;
  static constexpr float kOuterPointerFrac = 1.f;
  static constexpr float kPointerThickness = 2.5f;

  explicit IVKnobControl(const IRECT& bounds, int paramIdx = kNoParameter, const char* label = "",
                         const IVStyle& style = kDefaultStyle, bool valueIsEditable = false,
                         bool valueInWidget = false, float startAngle = kDefaultStartAngle,
                         float endAngle = kDefaultEndAngle, float anchorAngle = kDefaultStartAngle,
                         EDirection direction = EDirection::Vertical, double gearing = kDefaultGearing,
                         float trackSize = kDefaultTrackSize);
  IVKnobControl(const IRECT& bounds, ActionFunc actionFunc, const char* label = "",
                const IVStyle& style = kDefaultStyle, bool valueIsEditable = false, bool valueInWidget = false,
                float startAngle = kDefaultStartAngle, float endAngle = kDefaultEndAngle,
                float anchorAngle = kDefaultStartAngle, EDirection direction = EDirection::Vertical,
                double gearing = kDefaultGearing, float trackSize = kDefaultTrackSize);

  // A drag measures against a rectangle half as long as the widget's shorter
  // side across it, centred in the widget.
  IRECT GetKnobDragBounds() override;
  void Draw(IGraphics& g) override;
  void DrawWidget(IGraphics& g) override;
  virtual void DrawHandle(IGraphics& g, const IRECT& bounds);
  // Nothing without a track.
  virtual void DrawIndicatorTrack(IGraphics& g, float angle, float cx, float cy, float radius);
  virtual void DrawPointer(IGraphics& g, float angle, float cx, float cy, float radius);

  void OnResize() override;

protected:
  float mStartAngle;
  float mEndAngle;
  float mAnchorAngle;
};

// A linear slider: a track filled up to the value and a handle at its end.
// The track is a strip twice the track size across, inside the widget less
// the handle size all round; a handle inside the track extends the track
// past both ends by the handle size.
class IVSliderControl : public IVValueControlBase<ISliderControlBase> {
public:
  static constexpr float kDefaultHandleSize = 8.f;

  explicit IVSliderControl(const IRECT& bounds, int paramIdx = kNoParameter, const char* label = "",
                           const IVStyle& style = kDefaultStyle, bool valueIsEditable = false,
                           EDirection direction = EDirection::Vertical, bool handleInsideTrack = false,
                           double gearing = kDefaultGearing, float handleSize = kDefaultHandleSize,
                           float trackSize = kDefaultTrackSize, float handleXOffset = 0.f,
                           float handleYOffset = 0.f);
  IVSliderControl(const IRECT& bounds, ActionFunc actionFunc, const char* label = "",
                  const IVStyle& style = kDefaultStyle, bool valueIsEditable = false,
                  EDirection direction = EDirection::Vertical, bool handleInsideTrack = false,
                  double gearing = kDefaultGearing, float handleSize = kDefaultHandleSize,
                  float trackSize = kDefaultTrackSize, float handleXOffset = 0.f, float handleYOffset = 0.f);

  void Draw(IGraphics& g) override;
  void DrawWidget(IGraphics& g) override;
  // The whole track, then its filled part, then the frame.
  virtual void DrawTrack(IGraphics& g, const IRECT& filled);
  virtual void DrawHandle(IGraphics& g, const IRECT& bounds);

  void OnResize() override;

  const IRECT& GetTrackBounds() const { return mTrackBounds; }

protected:
  bool mHandleInsideTrack;
  float mHandleXOffset;
  float mHandleYOffset;
};

template <class Base>
template <class... BaseArgs>
IVValueControlBase<Base>::IVValueControlBase(const char* label, const IVStyle& style, bool valueIsEditable,
                                             bool valueInWidget, float trackSize, BaseArgs&&... baseArgs)
    : Base(std::forward<BaseArgs>(baseArgs)...), IVectorBase(style, false, valueInWidget) {
  AttachIControl(this, label);
  this->SetText(mStyle.valueText);
  mShape = EVShape::Ellipse;
  mTrackSize = trackSize;
  this->mHideCursorOnDrag = mStyle.hideCursor;
  this->SetPromptDisabled(!valueIsEditable);
}

extern template class IVValueControlBase<IKnobControlBase>;
extern template class IVValueControlBase<ISliderControlBase>;

}  // namespace plugkit::graphics
