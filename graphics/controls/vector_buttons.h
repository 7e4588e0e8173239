#pragma once

#include "common/str_buf.h"
#include "graphics/controls/base_controls.h"
#include "graphics/controls/text_controls.h"
#include "graphics/vector_base.h"

namespace plugkit::graphics {

// The vector-drawn label, buttons, switches and toggles. Each lays itself out
// with the vector layout rule (IVectorBase::MakeRects) and takes its text
// style from the style's value text. Main thread only.

// A text in the style's value text over the style's background, with a
// shadow copy when shadowed and enabled and a frame when framed.
class IVLabelControl : public ITextControl, public IVectorBase {
public:
  explicit IVLabelControl(const IRECT& bounds, const char* str = "", const IVStyle& style = kDefaultStyle);

  void Draw(IGraphics& g) override;
};

// A momentary button: pressed while its value is 1, which its click action's
// animation (a splash by default) ends. Only its widget is hit.
class IVButtonControl : public IButtonControlBase, public IVectorBase {
public:
  explicit IVButtonControl(const IRECT& bounds, ActionFunc actionFunc = SplashClickAction, const char* label = "",
                           const IVStyle& style = kDefaultStyle, bool labelInButton = true, bool valueInButton = true,
                           EVShape shape = EVShape::Rectangle);

  void Draw(IGraphics& g) override;
  void DrawWidget(IGraphics& g) override;
  bool HitTest(float x, float y) const override;
  void OnResize() override;
};

// A switch of N states drawn as one button, pressed while the mouse is down,
// showing the state's display text. Only its widget is hit.
class IVSwitchControl : public ISwitchControlBase, public IVectorBase {
public:
  // Two states, linked to the parameter, splashing when clicked.
  explicit IVSwitchControl(const IRECT& bounds, int paramIdx = kNoParameter, const char* label = "",
                           const IVStyle& style = kDefaultStyle, bool valueInButton = false);
  IVSwitchControl(const IRECT& bounds, ActionFunc actionFunc, const char* label = "",
                  const IVStyle& style = kDefaultStyle, int numStates = 2, bool valueInButton = false);

  void Draw(IGraphics& g) override;
  void DrawWidget(IGraphics& g) override;
  bool HitTest(float x, float y) const override;
  void OnResize() override;
  // The value string follows the linked parameter's display text.
  void MarkDirty(bool triggerAction = true, int valIdx = kAllValues) override;
  // The parameter's display text and unit as the value, its name for an empty label.
  void OnInit() override;
};

// A two-state switch pressed above 0.5, showing its on or off text in the button.
class IVToggleControl : public IVSwitchControl {
public:
  static constexpr const char* kDefaultOffText = "OFF";
  static constexpr const char* kDefaultOnText = "ON";

  explicit IVToggleControl(const IRECT& bounds, int paramIdx = kNoParameter, const char* label = "",
                           const IVStyle& style = kDefaultStyle, const char* offText = kDefaultOffText,
                           const char* onText = kDefaultOnText);
  IVToggleControl(const IRECT& bounds, ActionFunc actionFunc, const char* label = "",
                  const IVStyle& style = kDefaultStyle, const char* offText = kDefaultOffText,
                  const char* onText = kDefaultOnText, bool initialState = false);

  void DrawWidget(IGraphics& g) override;
  // Under the mouse the value rectangle is highlighted; then the on or off text.
  void DrawValue(IGraphics& g, bool mouseOver) override;

protected:
  StrBuf mOffText;
  StrBuf mOnText;
};

// A handle sliding along a track between N equal slots, one per state. A
// click slides it from its state's slot to the next one's in 100 ms.
class IVSlideSwitchControl : public IVSwitchControl {
public:
  static constexpr int kSlideAnimationMs = 100;

  explicit IVSlideSwitchControl(const IRECT& bounds, int paramIdx = kNoParameter, const char* label = "",
                                const IVStyle& style = kDefaultStyle, bool valueInButton = false,
                                EDirection direction = EDirection::Horizontal);
  IVSlideSwitchControl(const IRECT& bounds, ActionFunc actionFunc, const char* label = "",
                       const IVStyle& style = kDefaultStyle, bool valueInButton = false,
                       EDirection direction = EDirection::Horizontal, int numStates = 2, int initialState = 0);

  // The value is hidden while the handle slides.
  void Draw(IGraphics& g) override;
  // The track over the widget, then the handle.
  void DrawWidget(IGraphics& g) override;
  virtual void DrawHandle(IGraphics& g, const IRECT& bounds);
  virtual void DrawTrack(IGraphics& g, const IRECT& bounds);
  void OnResize() override;
  // Also places the handle on its state's slot unless it is sliding.
  void MarkDirty(bool triggerAction = true, int valIdx = kAllValues) override;

  // Starts the handle's slide from the current slot to the next; the click
  // action of slide switches linked to a parameter.
  void StartSlide();
  const IRECT& GetHandleBounds() const { return mHandleBounds; }
  const IRECT& GetStartRect() const { return mStartRect; }
  const IRECT& GetEndRect() const { return mEndRect; }

protected:
  // Start := the current state's slot, end := the next state's (wrapping), handle := start.
  void PlaceHandle();
  void MoveHandleTo(const IRECT& r);

  IRECT mStartRect;
  IRECT mEndRect;
  IRECT mHandleBounds;
  EDirection mDirection;
};

// The click action that slides a slide switch's handle; any other control
// gets the splash.
void SlideSwitchClickAction(IControl* control);

}  // namespace plugkit::graphics
