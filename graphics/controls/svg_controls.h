#pragma once

#include <array>
#include <vector>

#include "graphics/controls/base_controls.h"
#include "graphics/svg_image.h"

namespace plugkit::graphics {

// The stock controls drawn from SVG images. Interaction is the bases'; these
// only draw. Main thread only.

// How a button's or toggle's colour for its state replaces the image's own paints.
enum class ESVGColorReplacement : int { None = 0, Fill = 1, Stroke = 2 };

// A colour per state: off, on, off under the mouse, on under the mouse.
using SVGStateColors = std::array<IColor, 4>;
inline constexpr SVGStateColors kDefaultSVGStateColors{kColorBlack, kColorBlack, kColorBlack, kColorBlack};

// What a button or toggle draws: the on image above 0.5, else the off image,
// in the state's colour as the replacement asks, into the control's rectangle
// with its blend.
struct SVGStateImages {
  ISVG mOffImage;
  ISVG mOnImage;
  SVGStateColors mColors = kDefaultSVGStateColors;
  ESVGColorReplacement mReplacement = ESVGColorReplacement::None;

  void Draw(IGraphics& g, const IControl& control) const;
};

// A momentary button showing its on image while pressed.
class ISVGButtonControl : public IButtonControlBase {
public:
  ISVGButtonControl(const IRECT& bounds, ActionFunc actionFunc, const ISVG& offImage, const ISVG& onImage);
  // One image for both states, told apart by the colours.
  ISVGButtonControl(const IRECT& bounds, ActionFunc actionFunc, const ISVG& image, const SVGStateColors& colors,
                    ESVGColorReplacement replacement);

  void Draw(IGraphics& g) override;

protected:
  SVGStateImages mImages;
};

// A two-state switch showing its on image above 0.5.
class ISVGToggleControl : public ISwitchControlBase {
public:
  ISVGToggleControl(const IRECT& bounds, ActionFunc actionFunc, const ISVG& offImage, const ISVG& onImage);
  ISVGToggleControl(const IRECT& bounds, int paramIdx, const ISVG& offImage, const ISVG& onImage);
  ISVGToggleControl(const IRECT& bounds, ActionFunc actionFunc, const ISVG& image, const SVGStateColors& colors,
                    ESVGColorReplacement replacement);
  ISVGToggleControl(const IRECT& bounds, int paramIdx, const ISVG& image, const SVGStateColors& colors,
                    ESVGColorReplacement replacement);

  void Draw(IGraphics& g) override;

protected:
  SVGStateImages mImages;
};

// An image turned about the rectangle's centre from the start angle at 0 to
// the end angle at 1 (degrees, clockwise).
class ISVGKnobControl : public IKnobControlBase {
public:
  static constexpr float kDefaultStartAngle = -135.f;
  static constexpr float kDefaultEndAngle = 135.f;

  ISVGKnobControl(const IRECT& bounds, const ISVG& image, int paramIdx = kNoParameter);

  void Draw(IGraphics& g) override;
  // The knob draws its whole face in Draw.
  void DrawWidget(IGraphics&) override {}
  // Redraws with the new image; the value and its action stay untouched.
  void SetSVG(const ISVG& image);

protected:
  ISVG mImage;
  float mStartAngle = kDefaultStartAngle;
  float mEndAngle = kDefaultEndAngle;
};

// One image per state; the nearest state's image is drawn. A linked
// parameter may give more states than images: the last image then serves
// the states beyond it, and without images nothing is drawn.
class ISVGSwitchControl : public ISwitchControlBase {
public:
  ISVGSwitchControl(const IRECT& bounds, std::vector<ISVG> images, int paramIdx = kNoParameter,
                    ActionFunc actionFunc = nullptr);

  void Draw(IGraphics& g) override;

protected:
  std::vector<ISVG> mImages;
};

// A handle image over a track image. Both keep their aspect ratios: the
// track spans the control's width (or height) and the handle is as high (or
// as wide) relative to it as the images are. The handle travels from its
// maximum position, at the track's right end (or top), over the track less
// its own width (or height). Without both images of a positive size nothing
// is laid out and nothing is drawn.
class ISVGSliderControl : public ISliderControlBase {
public:
  ISVGSliderControl(const IRECT& bounds, const ISVG& handleImage, const ISVG& trackImage,
                    int paramIdx = kNoParameter, EDirection direction = EDirection::Vertical,
                    double gearing = kDefaultGearing);

  void OnResize() override;
  void Draw(IGraphics& g) override;

  // The handle's rectangle for a value; a negative value means the current one.
  IRECT GetHandleBounds(double value = -1.0) const;
  const IRECT& GetTrackSVGBounds() const { return mTrackSVGBounds; }

protected:
  IRECT mTrackSVGBounds;
  IRECT mHandleBoundsAtMax;
  ISVG mHandleImage;
  ISVG mTrackImage;
};

}  // namespace plugkit::graphics
