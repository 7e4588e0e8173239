#pragma once

// Where the product's editor puts what a test clicks or reads, taken from the
// editor's own drawing: an instance in this process opens its editor on the
// recording graphics double at the default 1392 x 783, draws one frame, and
// the hit rectangles of that frame are the view's points (y down) at which
// the bundle's editor, opened by a host at the same size, draws the same.

#include <standin/testing/images.h>

#include <array>
#include <string>
#include <vector>

#include "editor/plot_model.h"
#include "graphics/graphics_types.h"
#include "host/editor_script.h"
#include "plugin/theme_palette.h"

namespace orvane::testing {

using plugkit::graphics::IRECT;

struct DrawnEditorLayout {
  // The header, in both views.
  IRECT viewSwitch;
  IRECT themeSwitch;
  IRECT logo;
  IRECT oversamplingBox;
  IRECT nextPreset;  // ">"
  IRECT newDesign;
  IRECT saveDesign;
  IRECT saveDesignAs;
  // EDIT view only; empty in the PLAY view.
  IRECT scriptArea;
  IRECT gainKnobTrack;
  IRECT preampMenuBox;  // "...": opens the stage menu
  IRECT powerAmpMenuBox;
  std::array<IRECT, kPlotKindCount> plots;
  // The player controls' tracks, first row first.
  std::vector<IRECT> playerTracks;
};

// The editor of a design with `script` in the PLAY or the EDIT view. Needs
// HOME pointed at a folder of the caller's.
DrawnEditorLayout DrawEditorLayout(bool playerView, const std::string& script = {});

// The EDIT view's layout of a new instance, drawn once per process.
const DrawnEditorLayout& EditLayout();

// A point in a rectangle, at fractions of its width and height.
host::ScriptPoint At(const IRECT& r, double fx = 0.5, double fy = 0.5);

// The view switch's halves.
host::ScriptPoint EditViewSwitch();
host::ScriptPoint PlayViewSwitch();

// On the EDIT view's Gain track, well off the default gain: a click there
// edits the design.
host::ScriptPoint GainEdit();

// The point as a script writes it: "X Y".
std::string ScriptText(host::ScriptPoint point);

// Pixels of exactly this colour inside the rectangle of a capture at scale 1.
long PixelsOfColour(const standin::testing::Image& image, const IRECT& area, ThemeColour colour);

// Pixels of the preamp stages' curve colours (light theme) inside the preamp
// frequency plot; none while the PLAY view shows.
long PreampCurvePixels(const standin::testing::Image& image);

}  // namespace orvane::testing
