#pragma once

// The numbers behind the editor's plots, apart from any drawing: the plot
// area inside a panel, the value ranges, the grid lines with their labels,
// the mapping of values to pixels, and the pixel polylines of curves and
// reference series. Two families share them: frequency plots (logarithmic
// frequency axis, magnitudes in dB) and transfer plots (linear volts).
//
// Every grid is bounded: a line k lies at start + k * step for a counted k,
// the steps are chosen so that a bounded number of lines covers the range,
// and a grid ends at the first line that does not lie above the one before
// (a step below the resolution of huge values). A range whose span is not
// finite and positive has no rows, curves or reference at all.

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "editor/plot_model.h"
#include "graphics/graphics_types.h"

namespace orvane {

using plugkit::graphics::IRECT;

// The panel less its margins: the top strip holds the axis title and the
// plot's name, the bottom strip the x labels and title, the left margin the
// value labels.
inline constexpr float kPlotInsetLeft = 35.f;
inline constexpr float kPlotInsetTop = 25.f;
inline constexpr float kPlotInsetRight = 10.f;
inline constexpr float kPlotInsetBottom = 17.f;
IRECT PlotArea(const IRECT& panel);

// The frequency axis runs logarithmically from 20 Hz to min(rate / 2,
// 20000 Hz); there is none unless that end lies above 20 Hz.
inline constexpr double kPlotLowestFrequency = 20.0;
double FrequencyAxisMax(double sampleRate);

// A linear magnitude in dB, floored at 1e-12 (-240 dB).
double MagnitudeDb(double magnitude);

// How a curve's y values are shown.
enum class CurveScale { kLinear, kDecibels };

// The finite values seen so far.
class ValueSpan {
public:
  void Add(double value);
  // The y values (in `scale`) of the points whose x lies within xmin..xmax.
  void AddCurve(std::span<const double> x, std::span<const double> y, CurveScale scale, double xmin, double xmax);
  // A reference's y values as loaded, for its points within xmin..xmax.
  void AddReference(const PlotSeries& series, double xmin, double xmax);
  bool Empty() const { return !mAny; }
  double Min() const { return mMin; }
  double Max() const { return mMax; }

private:
  bool mAny = false;
  double mMin = 0.0;
  double mMax = 0.0;
};

struct ValueRange {
  double min = 0.0;
  double max = 0.0;
  // Whether values can be placed in it: a finite span above 0.
  bool Drawable() const;
};

// Rounded out to tens of dB; -10..10 without values; a span below 20 dB
// widened by 10 dB on each side.
ValueRange DecibelRange(const ValueSpan& values);
// The values as they are; -1..1 without values; a span below 1e-9 widened
// by 1 on each side.
ValueRange TransferRange(const ValueSpan& values);

struct GridLine {
  double value = 0.0;
  std::string label;
};

// 20, 50, 100, ... 20000 Hz while below the axis end; "%.0fk" in kHz from
// 1000 Hz on.
std::vector<GridLine> FrequencyGridLines(double frequencyMax);
// Rows every 10 dB from the first multiple of ten in the range, or every 20,
// 50, 100, 200, ... dB, the first of these that needs at most kMaxDecibelRows
// and leaves consecutive rows at least labelHeight apart on an area
// areaHeight high, so that their labels do not overlap.
// Here and on the transfer plots' value axis, values from a million on are
// labelled in exponent form ("%.3g").
inline constexpr int kMaxDecibelRows = 40;
std::vector<GridLine> DecibelRows(const ValueRange& range, float areaHeight, float labelHeight);
// The 1-2-5 step of a raw step: 1, 2 or 5 times its power of ten.
double NiceStep(double raw);
// The transfer plots' ticks: one per 45 points of width (at least 3), steps
// of at least 1 V, "%.0f".
std::vector<GridLine> TransferXTicks(double xmin, double xmax, float areaWidth);
// One per 18 points of height (2 to 7), steps of at least 0.01 V, labels with
// the decimals the step needs.
std::vector<GridLine> TransferYTicks(const ValueRange& range, float areaHeight);

// The pixel x of a value on the plot area's axis from xmin to xmax.
float MapPlotX(double value, bool logarithmic, double xmin, double xmax, const IRECT& area);

// The axes of one plot: values to pixels. y is not clamped to the area.
struct PlotMapping {
  IRECT area;
  bool logarithmic = false;
  double xmin = 0.0;
  double xmax = 0.0;
  double ymin = 0.0;
  double ymax = 0.0;

  float X(double value) const { return MapPlotX(value, logarithmic, xmin, xmax, area); }
  float Y(double value) const;
};

struct PlotPoint {
  float x = 0.f;
  float y = 0.f;
};

// A curve's pixels: points outside xmin..xmax, and points whose value or
// pixel is not finite, are left out; a point is kept only when the floor of
// its pixel x differs from that of the last point kept, so at most one point
// per pixel column remains.
std::vector<PlotPoint> CurvePixels(std::span<const double> x, std::span<const double> y, CurveScale scale,
                                   const PlotMapping& mapping);

// A reference series' polyline: a segment is left out when its x does not
// rise, when an end is not finite (or, on a logarithmic axis, at or below 0 Hz),
// when it lies wholly outside xmin..xmax, or when its clipped ends are not
// finite pixels. Kept segments are clipped to xmin..xmax along their line;
// the first contributes its start, each its end, so gaps are bridged.
// Nothing for fewer than two points, an empty area or an empty range.
std::vector<PlotPoint> ReferencePixels(const PlotSeries& series, const PlotMapping& mapping);

}  // namespace orvane
