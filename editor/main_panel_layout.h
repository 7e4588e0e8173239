#pragma once

// Where the EDIT view's main panel puts its three columns, in view points,
// from the editor's rectangle, the header's height, the footer's gap and the
// margin. The left column stacks the preamp, tone-stack, power-amp and knob
// editors with 11, 16, 13 and 7 rows of one height; the middle one the script
// above the player controls; the right one the plot toggles above the plots.

#include "graphics/graphics_types.h"

namespace orvane {

struct MainPanelLayout {
  MainPanelLayout(const plugkit::graphics::IRECT& editor, float headerHeight, float gap, float margin);

  plugkit::graphics::IRECT editor;
  float margin;
  float top, bottom, avail;
  float rowHeight;
  // Left column: the panel's sides, the rows' span and the panels' bounds
  // (preamp from top to y1, tone stack to y2, power amp to y3, knobs to y4).
  float x0, x1, xs, xe;
  float y1, y2, y3, y4;
  // Middle column: the script panel from top to sy1.
  float sx0, sx1, sy1;
  // Right column: the toggles' height, the plots from py0 to the bottom.
  float px0, pw, toggleHeight, py0;
};

}  // namespace orvane
