#pragma once

#include <cstdint>
#include <initializer_list>

#include "graphics/graphics_types.h"

// How vector-drawn controls look: their colours by role, flags, geometry and
// text styles. Every vector control starts from kDefaultStyle.
namespace plugkit::graphics {

// The colour roles of a vector control, in their order in IVColorSpec.
enum EVColor : int32_t {
  kBG = 0,  // background
  kFG,      // foreground: the face of a widget
  kPR,      // pressed
  kFR,      // frame
  kHL,      // highlight: mouse-over and the splash
  kSH,      // shadow
  kX1,      // extras, free for a control's own use
  kX2,
  kX3,
  kNumVColors
};

// Nine colours by role.
struct IVColorSpec {
  static constexpr IColor kDefaults[kNumVColors] = {kColorTransparent, kColorMidGrey, kColorLightGrey,
                                                    kColorDarkGrey,    kColorTranslucent, kColorShadow,
                                                    kColorBlack,       kColorGreen,       kColorBlue};

  IColor mColors[kNumVColors] = {kDefaults[0], kDefaults[1], kDefaults[2], kDefaults[3], kDefaults[4],
                                 kDefaults[5], kDefaults[6], kDefaults[7], kDefaults[8]};

  constexpr IVColorSpec() = default;
  // The colours in role order; the roles not given keep their defaults.
  constexpr IVColorSpec(std::initializer_list<IColor> colors) { ResetColors(colors); }

  // The given colours in role order (those beyond the ninth ignored), the
  // rest from the defaults.
  constexpr void ResetColors(std::initializer_list<IColor> colors) {
    int role = 0;
    for (const IColor& color : colors) {
      if (role == kNumVColors) break;
      mColors[role++] = color;
    }
    for (; role < kNumVColors; ++role) mColors[role] = kDefaults[role];
  }
  constexpr const IColor& GetColor(EVColor role) const { return mColors[role]; }
  constexpr void SetColor(EVColor role, const IColor& color) { mColors[role] = color; }
  bool operator==(const IVColorSpec&) const = default;
};

// Which side of a control something sits on.
enum class ESide : int32_t { Top = 0, Right = 1, Bottom = 2, Left = 3 };

// The style of a vector control.
struct IVStyle {
  bool hideCursor = true;  // while the control is dragged
  bool showLabel = true;
  bool showValue = true;
  bool drawFrame = true;
  bool drawShadows = true;
  bool emboss = false;
  float roundness = 0.f;  // 0..1 of half a widget's shorter side
  float frameThickness = 1.f;
  float shadowOffset = 3.f;
  float widgetFrac = 1.f;  // the widget's share of the room it is given
  float angle = 0.f;       // degrees, clockwise
  IVColorSpec colorSpec;
  IText labelText = IText(IText::kDefaultSize, kColorBlack, nullptr, EAlign::Center, EVAlign::Top);
  IText valueText = IText(IText::kDefaultSize, kColorBlack, nullptr, EAlign::Center, EVAlign::Bottom);
  ESide labelSide = ESide::Top;

  constexpr const IColor& GetColor(EVColor role) const { return colorSpec.GetColor(role); }
};

inline constexpr IVStyle kDefaultStyle{};

// The face of a pressable widget.
enum class EVShape : int32_t {
  Rectangle = 0,
  Ellipse = 1,
  Triangle = 2,
  EndsRounded = 3,  // a rectangle with only its top corners rounded
  AllRounded = 4,   // a rectangle, as Rectangle
};

}  // namespace plugkit::graphics
