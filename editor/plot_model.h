#pragma once

// The editor's five plots: their one fixed order, the order the dirty flags
// are kept in, and a reference series drawn over a plot.

#include <utility>
#include <vector>

#include "engine/plot_data.h"

namespace orvane {

// The order of the plots in the menus, the toggles, the drawing, the datasets
// and the idle round robin.
enum PlotKind : int {
  kPlotPreampLinear = 0,
  kPlotPreampNonLinear = 1,
  kPlotToneStack = 2,
  kPlotPowerAmpLinear = 3,
  kPlotPowerAmpNonLinear = 4,
};
inline constexpr int kPlotKindCount = 5;

// The order of the editor's plot-dirty flags, which the invalidation rules are
// written in. Only EditorPlotOf turns one order into the other.
enum EditorPlot : int {
  kEditorPlotPreampLinear = 0,
  kEditorPlotToneStack = 1,
  kEditorPlotPowerAmpLinear = 2,
  kEditorPlotPreampNonLinear = 3,
  kEditorPlotPowerAmpNonLinear = 4,
};

constexpr EditorPlot EditorPlotOf(PlotKind kind) {
  switch (kind) {
    case kPlotPreampLinear: return kEditorPlotPreampLinear;
    case kPlotPreampNonLinear: return kEditorPlotPreampNonLinear;
    case kPlotToneStack: return kEditorPlotToneStack;
    case kPlotPowerAmpLinear: return kEditorPlotPowerAmpLinear;
    case kPlotPowerAmpNonLinear: break;
  }
  return kEditorPlotPowerAmpNonLinear;
}

constexpr bool IsPlotKind(int plot) { return plot >= 0 && plot < kPlotKindCount; }

// Whether the curves of one plot match the inputs last given to `data`.
bool PlotCurvesValid(const PlotData& data, PlotKind kind);

// Points of a curve drawn over a plot; x and y have equal lengths. A moved
// series leaves its source empty.
struct PlotSeries {
  std::vector<double> x;
  std::vector<double> y;

  PlotSeries() = default;
  PlotSeries(const PlotSeries&) = default;
  PlotSeries& operator=(const PlotSeries&) = default;
  PlotSeries(PlotSeries&& other) noexcept : x(std::exchange(other.x, {})), y(std::exchange(other.y, {})) {}
  PlotSeries& operator=(PlotSeries&& other) noexcept {
    x = std::exchange(other.x, {});
    y = std::exchange(other.y, {});
    return *this;
  }
  ~PlotSeries() = default;
};

}  // namespace orvane
