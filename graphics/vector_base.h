#pragma once

#include "common/str_buf.h"
#include "graphics/graphics_types.h"
#include "graphics/vector_style.h"

namespace plugkit::graphics {

class IControl;
class IGraphics;

// The mix-in of every vector-drawn control, beside IControl: its style, label
// and value strings, the rectangles they go into, and the drawing of the
// common parts (background, label, value and the pressable widget faces with
// their shadow and splash). The owning control attaches itself in its
// constructor. Main thread only.
class IVectorBase {
public:
  static constexpr float kDefaultMaxSplashRadius = 50.f;
  static constexpr float kDefaultTrackSize = 2.f;
  // A value's room as a share of its measured width, each side of its centre.
  static constexpr float kDefaultValueDisplayFrac = 0.66f;
  // Fills the value rectangle under the mouse.
  static constexpr IColor kValueMouseOverColor = kColorTranslucent;
  // How much darker a disabled widget's colours are, in every channel but alpha.
  static constexpr int kDisabledDarkening = 63;

  explicit IVectorBase(const IVStyle& style, bool labelInWidget = false, bool valueInWidget = false);
  virtual ~IVectorBase() = default;
  IVectorBase(const IVectorBase&) = delete;
  IVectorBase& operator=(const IVectorBase&) = delete;

  // The control this draws for, and its label.
  void AttachIControl(IControl* control, const char* label);

  // The layout rule of every vector control: parent is split into the label
  // rectangle (on the style's label side, measured), the value band (by the
  // value text's vertical alignment, measured) and the widget (scaled about
  // its centre by widgetFrac). A widget with a handle leaves room for the
  // frame and the shadow; a label or value drawn in the widget takes the
  // widget's rectangle. Answers the clickable area: parent less the label.
  IRECT MakeRects(const IRECT& parent, bool hasHandle = false);

  // After the style, the splash point or the splash radius changed.
  virtual void OnStyleChanged() {}
  // The whole style, then OnStyleChanged.
  virtual void SetStyle(const IVStyle& style);
  // Fills r with the background colour at the owner's blend.
  virtual void DrawBackground(IGraphics& g, const IRECT& r);
  // The control's own widget; nothing here.
  virtual void DrawWidget(IGraphics& /*g*/) {}
  // The label in the label rectangle, unless that has no height or the
  // style hides labels.
  virtual void DrawLabel(IGraphics& g);
  // Under the mouse the value rectangle is highlighted; then the value text,
  // unless the style hides values.
  virtual void DrawValue(IGraphics& g, bool mouseOver);
  // A face of the shape (a triangle turned by the style's angle); answers the handle it drew.
  virtual IRECT DrawPressableShape(IGraphics& g, EVShape shape, const IRECT& bounds, bool pressed, bool mouseOver,
                                   bool disabled);

  // The faces. Each insets bounds by half the frame when framed and leaves
  // room for the shadow when shadowed; the rest is the handle, which a press
  // moves onto its shadow. Mouse-over highlights it, a running splash
  // (the owner's animation) lights a circle clipped to it, and the frame is
  // stroked around it. Disabled faces use darkened colours. Only the flagged
  // corners of a rectangle are rounded. Each answers the handle.
  IRECT DrawPressableRectangle(IGraphics& g, const IRECT& bounds, bool pressed, bool mouseOver, bool disabled,
                               bool roundTopLeft = true, bool roundTopRight = true, bool roundBottomLeft = true,
                               bool roundBottomRight = true);
  IRECT DrawPressableEllipse(IGraphics& g, const IRECT& bounds, bool pressed, bool mouseOver, bool disabled);
  // Pointing up before it is turned by angle degrees about its centre.
  IRECT DrawPressableTriangle(IGraphics& g, const IRECT& bounds, bool pressed, bool mouseOver, bool disabled,
                              float angle);

  // The splash: a circle growing from where the control was clicked.
  void SetSplashPoint(float x, float y);
  void SetSplashRadius(float radius);
  float GetSplashRadius() const { return mSplashRadius; }
  float GetSplashX() const { return mSplashX; }
  float GetSplashY() const { return mSplashY; }
  float GetMaxSplashRadius() const { return mMaxSplashRadius; }

  const IVStyle& GetStyle() const { return mStyle; }
  const IColor& GetColor(EVColor role) const { return mStyle.GetColor(role); }
  IControl* GetIControl() const { return mControl; }
  const char* GetLabelStr() const { return mLabelStr.Get(); }
  const char* GetValueStr() const { return mValueStr.Get(); }
  void SetLabelStr(const char* str) { mLabelStr.Set(str ? str : ""); }
  void SetValueStr(const char* str) { mValueStr.Set(str ? str : ""); }
  const IRECT& GetWidgetBounds() const { return mWidgetBounds; }
  const IRECT& GetLabelBounds() const { return mLabelBounds; }
  const IRECT& GetValueBounds() const { return mValueBounds; }
  EVShape GetShape() const { return mShape; }
  void SetShape(EVShape shape) { mShape = shape; }

protected:
  // The colours a face is drawn in.
  struct FaceColors {
    IColor fg, pr, fr, hl, sh;
  };
  // Where a face's parts go.
  struct FaceLayout {
    IRECT handle, shadow, face;
  };

  // A vector control's resize: its target becomes the clickable area of its
  // rectangle, the mouse is no longer over it, and it redraws without its action.
  void ApplyLayout(bool hasHandle);
  // How far a handle's centre shifts towards its shadow: half the shadow
  // offset for a shadowed face that is not an ellipse.
  float HandleShadowShift() const;
  // The owner's first value as its parameter's display text and unit; nothing
  // for a value without a parameter.
  void ShowParamValue();
  // The same, and an empty label named after the parameter.
  void ShowParamValueAndName();

  FaceColors ColorsFor(bool disabled) const;
  FaceLayout LayoutFace(const IRECT& bounds, bool pressed) const;
  const IBlend* OwnerBlend() const;
  bool SplashIsRunning() const;
  // The steps every face takes; fill and stroke draw its shape in a rectangle.
  template <class FillShape, class StrokeShape>
  IRECT DrawFace(IGraphics& g, const IRECT& bounds, bool pressed, bool mouseOver, bool disabled, FillShape fill,
                 StrokeShape stroke);

  IControl* mControl = nullptr;
  IVStyle mStyle;
  bool mLabelInWidget = false;
  bool mValueInWidget = false;
  float mSplashRadius = 0.f;
  float mSplashX = 0.f;
  float mSplashY = 0.f;
  float mMaxSplashRadius = kDefaultMaxSplashRadius;
  float mTrackSize = kDefaultTrackSize;
  float mValueDisplayFrac = kDefaultValueDisplayFrac;
  IRECT mWidgetBounds;
  IRECT mLabelBounds;
  IRECT mValueBounds;
  StrBuf mLabelStr;
  StrBuf mValueStr;
  EVShape mShape = EVShape::Rectangle;
};

// Click and animation functions of vector controls.
// Starts a 100 ms splash at the pointer's last position; a control that is
// not a vector control gets the plain click animation.
void SplashClickAction(IControl* control);
// Grows the splash to the maximum radius over the animation, then ends it.
void SplashAnimationStep(IControl* control);

}  // namespace plugkit::graphics
