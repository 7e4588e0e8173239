#pragma once

// Where the product's editor shows what, for tests that drive it as a user
// does: points of its default 1392 x 783 layout (y down) and the preamp
// frequency plot's curves in a capture at scale 1.

#include <standin/testing/images.h>

#include <cstdint>
#include <string>

#include "editor/editor_colours.h"
#include "host/editor_script.h"

namespace orvane::testing {

inline constexpr host::ScriptPoint kEditViewSwitch{355, 49};  // the lower half of the view switch
inline constexpr host::ScriptPoint kOversamplingBox{318, 33};
inline constexpr host::ScriptPoint kNextPreset{456, 54};       // ">"
inline constexpr host::ScriptPoint kSaveDesignAs{523, 34};
inline constexpr host::ScriptPoint kGainKnobTrack{400, 676};   // EDIT view: the amp knobs' Gain bar
inline constexpr host::ScriptPoint kPreampDnaHeader{26, 87};   // EDIT view: opens the stage menu
inline constexpr int kPreampStages = 4;

// The point as a script writes it: "X Y".
inline std::string ScriptText(host::ScriptPoint point) {
  return std::to_string(static_cast<int>(point.x)) + " " + std::to_string(static_cast<int>(point.y));
}

// Pixels of the preamp stages' curve colours inside the preamp frequency plot
// (the EDIT view's upper right); none while the PLAY view shows.
inline long PreampCurvePixels(const standin::testing::Image& image) {
  constexpr int kLeft = 887, kTop = 98, kRight = 1380, kBottom = 230;
  long count = 0;
  const ThemeColours& palette = LightThemeColours();
  for (int y = kTop; y < kBottom && y < image.height; ++y) {
    for (int x = kLeft; x < kRight && x < image.width; ++x) {
      const std::uint8_t* pixel = image.pixel(x, y);
      for (int stage = 0; stage < kPreampStages; ++stage) {
        const ThemeColour& curve = palette[kPaletteFirstStageCurve + stage];
        if (pixel[0] == curve.red && pixel[1] == curve.green && pixel[2] == curve.blue) ++count;
      }
    }
  }
  return count;
}

}  // namespace orvane::testing
