#pragma once

// Drawing one plot into its panel: the area, the grid with its labels, the
// frame, the titles, the curves and the reference, from the scales of
// plot_scales.h. The editor control's plot drawers gather their curves and
// call DrawPlot. Main thread only.

#include <optional>
#include <span>
#include <vector>

#include "editor/plot_model.h"
#include "editor/plot_scales.h"
#include "graphics/graphics_context.h"
#include "graphics/graphics_types.h"

namespace orvane {

using plugkit::graphics::IColor;
using plugkit::graphics::IGraphics;
using plugkit::graphics::IText;

inline constexpr float kReferenceCurveWidth = 4.5f;

// A reference series over a plot area, stroked in the reference colour;
// nothing when no segment can be drawn (see ReferencePixels).
void DrawReferenceCurve(IGraphics& g, const IRECT& area, const PlotSeries& series, bool logarithmic, double xmin,
                        double xmax, double ymin, double ymax);

// Text in r, aligned and vertically centred, in the base style fitted to r
// from at most maxSize.
void DrawFittedText(IGraphics& g, const IText& base, const IRECT& r, const char* text, const IColor& colour,
                    float maxSize, plugkit::graphics::EAlign align);

// Strokes the points as one open path; nothing for fewer than two.
void StrokePlotPoints(IGraphics& g, const std::vector<PlotPoint>& points, const IColor& colour, float width);

// A title's box: a share of the plot area's width up to a limit, and its
// largest text size as a share of the base size.
struct PlotTitleBox {
  float widthShare = 0.f;
  float maxWidth = 0.f;
  float sizeShare = 0.f;
};

enum class PlotFamily {
  kFrequency,  // log Hz from 20 Hz, dB
  kTransfer,   // linear volts
};

struct PlotCurve {
  std::span<const double> x;
  std::span<const double> y;
  IColor colour;
  float width = 0.f;
};

struct PlotContent {
  PlotFamily family = PlotFamily::kFrequency;
  double xmin = 0.0;
  double xmax = 0.0;
  std::vector<PlotCurve> curves;     // in the order they are stroked
  const PlotSeries* reference = nullptr;  // a shown reference, or none
  const char* name = "";
  PlotTitleBox nameBox;
};

// Draws the plot; answers the part of the top strip between the axis title
// and the name (where the preamp plots put their stage chips), or nothing
// when nothing was drawn: a panel below 20 x 20 points, an empty area, or an
// x range that is empty (a frequency axis ending at or below 20 Hz). A value
// range that cannot be drawn (its span not finite and positive) leaves out
// the value rows, the curves and the reference.
std::optional<IRECT> DrawPlot(IGraphics& g, const IRECT& panel, const IText& style, const PlotContent& content);

}  // namespace orvane
