#pragma once

// Where the product's editor puts what a story clicks, taken from the
// editor's own drawing: an instance in this process opens its editor on the
// recording graphics double at the default 1392 x 783, draws one frame, and
// the hit rectangles of that frame are the view's points (y down) at which
// the bundle's editor, opened by a host at the same size, draws the same.

#include <array>
#include <string>
#include <vector>

#include "editor/plot_model.h"
#include "graphics/graphics_types.h"

namespace orvane::testing {

using plugkit::graphics::IRECT;

struct DrawnEditorLayout {
  IRECT viewSwitch;
  IRECT themeSwitch;
  IRECT logo;
  // EDIT view only; empty in the PLAY view.
  IRECT scriptArea;
  IRECT gainKnobTrack;
  IRECT powerAmpMenuBox;
  std::array<IRECT, kPlotKindCount> plots;
  // The player controls' tracks, first row first.
  std::vector<IRECT> playerTracks;
};

// The editor of a design with `script` in the PLAY or the EDIT view. Needs
// HOME pointed at a folder of the caller's.
DrawnEditorLayout DrawEditorLayout(bool playerView, const std::string& script = {});

// Points in a rectangle, at fractions of its width and height.
struct ViewPoint {
  double x = 0.0;
  double y = 0.0;
};
ViewPoint At(const IRECT& r, double fx = 0.5, double fy = 0.5);

}  // namespace orvane::testing
