#pragma once

#include <functional>
#include <vector>

#include "graphics/control.h"
#include "graphics/layer.h"
#include "graphics/vector_base.h"

namespace plugkit::graphics {

// Curves of functions over [0, 1] drawn over a grid, each sampled at evenly
// spaced points and scaled from [min, max] to the plot's height. With a
// layer the curves are drawn once and drawn back until the layer goes stale.
// No parameter. Main thread only.
class IVPlotControl : public IControl, public IVectorBase {
public:
  using PlotFunc = std::function<double(double)>;
  struct Plot {
    IColor color;
    PlotFunc func;
  };

  static constexpr int kDefaultNumPoints = 256;
  static constexpr int kMinNumPoints = 2;  // both ends of the range
  static constexpr int kDefaultDivisions = 10;

  IVPlotControl(const IRECT& bounds, const std::vector<Plot>& plots = {}, int numPoints = kDefaultNumPoints,
                const char* label = "", const IVStyle& style = kDefaultStyle, float min = -1.f, float max = 1.f,
                bool useLayer = false);

  // Background, label, then the grid and the curves, through the layer when it is used.
  void Draw(IGraphics& g) override;
  void OnResize() override;

  // Appends a curve; a kept layer is redrawn.
  void AddPlotFunc(const IColor& color, PlotFunc func);

  // The widget with its top and bottom moved in by one grid row.
  IRECT PlotBounds() const;

protected:
  // The grid over the widget and every curve across the plot area.
  void DrawContents(IGraphics& g, const IBlend* blend);
  // Samples the function into mPoints, scaled to [0, 1] of the range; a
  // sample that is no finite number (an empty range gives none) or too large
  // to draw sits at the bottom.
  void Sample(const PlotFunc& func);
  float GridStepX() const;
  float GridStepY() const;

  ILayerPtr mLayer;
  std::vector<Plot> mPlots;
  float mMin;
  float mMax;
  bool mUseLayer;
  int mHorizontalDivisions = kDefaultDivisions;
  int mVerticalDivisions = kDefaultDivisions;
  std::vector<float> mPoints;
};

}  // namespace plugkit::graphics
