#include "graphics/controls/vector_plot.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "graphics/graphics_context.h"

namespace plugkit::graphics {

namespace {

// The plot area leaves one grid row free above and below the curves.
constexpr int kMarginRows = 2;

// A finite number that fits a float, as the renderer takes points.
bool IsDrawable(double value) {
  return std::isfinite(value) && std::abs(value) <= std::numeric_limits<float>::max();
}

}  // namespace

IVPlotControl::IVPlotControl(const IRECT& bounds, const std::vector<Plot>& plots, int numPoints, const char* label,
                             const IVStyle& style, float min, float max, bool useLayer)
    : IControl(bounds),
      IVectorBase(style),
      mPlots(plots),
      mMin(min),
      mMax(max),
      mUseLayer(useLayer),
      mPoints(static_cast<size_t>(std::max(numPoints, kMinNumPoints))) {
  AttachIControl(this, label);
}

float IVPlotControl::GridStepX() const { return mWidgetBounds.W() / static_cast<float>(mHorizontalDivisions); }

float IVPlotControl::GridStepY() const {
  return mWidgetBounds.H() / static_cast<float>(mVerticalDivisions + kMarginRows);
}

IRECT IVPlotControl::PlotBounds() const {
  const float step = GridStepY();
  return IRECT(mWidgetBounds.L, mWidgetBounds.T + step, mWidgetBounds.R, mWidgetBounds.B - step);
}

void IVPlotControl::Draw(IGraphics& g) {
  DrawBackground(g, GetRECT());
  DrawLabel(g);
  if (!mUseLayer) {
    DrawContents(g, &GetBlend());
    return;
  }
  // The blend applies once, when the layer is drawn back.
  if (!g.CheckLayer(mLayer)) {
    g.StartLayer(this, GetRECT());
    DrawContents(g, nullptr);
    mLayer = g.EndLayer();
  }
  g.DrawLayer(mLayer, &GetBlend());
}

void IVPlotControl::DrawContents(IGraphics& g, const IBlend* blend) {
  g.DrawGrid(GetColor(kSH), mWidgetBounds, GridStepX(), GridStepY(), blend);
  const IRECT area = PlotBounds();
  for (const Plot& plot : mPlots) {
    Sample(plot.func);
    g.DrawXYPolyline(plot.color, area, mPoints.data(), static_cast<int>(mPoints.size()), nullptr, blend, mTrackSize);
  }
}

void IVPlotControl::Sample(const PlotFunc& func) {
  const size_t n = mPoints.size();
  const double range = static_cast<double>(mMax) - mMin;
  for (size_t j = 0; j < n; ++j) {
    const double x = static_cast<double>(j) / static_cast<double>(n - 1);
    const double y = func ? func(x) : 0.0;
    const double scaled = (y - mMin) / range;
    mPoints[j] = IsDrawable(scaled) ? static_cast<float>(scaled) : 0.f;
  }
}

void IVPlotControl::AddPlotFunc(const IColor& color, PlotFunc func) {
  mPlots.push_back({color, std::move(func)});
  if (mLayer) mLayer->SetInvalid(true);
  MarkDirty(false);
}

void IVPlotControl::OnResize() { ApplyLayout(false); }

}  // namespace plugkit::graphics
