#pragma once

// The colours the editor draws with: entries of the theme palette, always
// opaque, and the few fixed colours that look the same in both themes.

#include <cstddef>

#include "graphics/graphics_types.h"
#include "plugin/theme_palette.h"

namespace orvane {

// Theme palette entries by what the editor draws with them.
enum PaletteEntry : std::size_t {
  kPaletteBackground = 0,  // also the empty part of DNA and knob bars
  kPaletteHeaderBand = 1,
  kPalettePanel = 2,       // panels, tabs, boxes, two-state switches
  kPaletteHeaderField = 3,
  kPaletteMainText = 4,
  kPaletteHeaderTitle = 5,
  kPaletteSecondaryText = 6,
  kPaletteOutline = 7,
  kPaletteActiveText = 8,
  kPaletteBarFill = 9,
  kPaletteMeterBar = 10,
  kPaletteMeterBackground = 11,
  kPalettePlotArea = 3,
  kPalettePlotGrid = 16,
  kPaletteFirstStageCurve = 17,  // preamp stages 1 to 4 in 17 to 20
  kPalettePlotCurve = 22,        // the tone stack's fixed settings, the power amp
  kPaletteToneStackBand = 24,    // the sections' colours in the header's chain
  kPalettePowerAmpBand = 25,
  kPaletteFirstStageBand = 26,   // preamp stages 1 to 4 in 26 to 29
  kPaletteBoxField = 33,         // trim boxes of the EDIT view and the section trims
};

inline constexpr int kOpaqueAlpha = 255;

inline plugkit::graphics::IColor PaletteColor(std::size_t entry) {
  const ThemeColour colour = ThemePalette[entry];
  return {kOpaqueAlpha, colour.red, colour.green, colour.blue};
}

// A copy of a text style in a palette colour.
inline plugkit::graphics::IText Recoloured(plugkit::graphics::IText style, std::size_t entry) {
  style.mFGColor = PaletteColor(entry);
  return style;
}

// Active values, an active tab without a fill of its own, focus outlines.
inline constexpr plugkit::graphics::IColor kAccentColor{kOpaqueAlpha, 213, 188, 112};
// Switch thumbs, controller badges, the highlighted preset collection.
inline constexpr plugkit::graphics::IColor kThumbColor{kOpaqueAlpha, 123, 140, 156};
// Bars of DNA bytes and knobs that the user-controls script drives.
inline constexpr plugkit::graphics::IColor kScriptMappedColor{kOpaqueAlpha, 20, 141, 141};
// The output meter at or above 0 dB, and above the warning level.
inline constexpr plugkit::graphics::IColor kMeterClipColor{kOpaqueAlpha, 217, 62, 62};
inline constexpr plugkit::graphics::IColor kMeterWarningColor{kOpaqueAlpha, 226, 154, 55};
// Reference datasets drawn over the plots.
inline constexpr plugkit::graphics::IColor kReferenceCurveColor{kOpaqueAlpha, 188, 103, 18};
// The maker's banner under the header's title.
inline constexpr plugkit::graphics::IColor kBannerColor{kOpaqueAlpha, 232, 232, 232};

}  // namespace orvane
