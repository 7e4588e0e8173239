#include "editor/plot_scales.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "common/c_locale.h"

namespace orvane {

namespace {

constexpr double kPlotHighestFrequency = 20000.0;
constexpr double kMagnitudeFloor = 1e-12;
constexpr double kDecibelsPerDecade = 20.0;

constexpr double kDecibelRowStep = 10.0;
constexpr double kDecibelMinimumSpan = 20.0;
constexpr double kDecibelWidening = 10.0;
constexpr double kTransferMinimumSpan = 1e-9;
constexpr double kTransferWidening = 1.0;

// Grid steps are these times a power of ten.
constexpr std::array<double, 3> kNiceMantissas{1.0, 2.0, 5.0};
constexpr double kDecade = 10.0;

constexpr double kKilohertz = 1000.0;
constexpr std::array<double, 10> kFrequencyGrid{20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000};

constexpr float kPointsPerXTick = 45.f;
constexpr double kFewestXTicks = 3.0;
constexpr double kSmallestXStep = 1.0;
constexpr float kPointsPerYTick = 18.f;
constexpr double kFewestYTicks = 2.0;
constexpr double kMostYTicks = 7.0;
constexpr double kSmallestYStep = 0.01;
constexpr double kTwoDecimalsBelow = 0.1;
constexpr double kOneDecimalBelow = 1.0;
// A grid value this close to 0 relative to its step is 0, so that no label
// reads "-0".
constexpr double kZeroSnap = 1e-9;

constexpr std::size_t kLabelSize = 48;
// Values this far from 0 and beyond are labelled with an exponent and three
// significant digits: all their digits would not fit the plot's left margin.
constexpr double kCompactLabelFrom = 1e6;
constexpr char kCompactLabelFormat[] = "%.3g";

std::string Label(const char* format, double value) {
  char text[kLabelSize];
  plugkit::FormatCLocale(text, sizeof text, format, value);
  return text;
}

// A label of the value axis, which a reference can stretch to any size.
std::string ValueLabel(const char* format, double value) {
  return Label(std::fabs(value) >= kCompactLabelFrom ? kCompactLabelFormat : format, value);
}

// Lines at start + k * step up to `last`, ending early at a line that does
// not lie above the one before.
template <class LabelOf>
std::vector<GridLine> GridFrom(double start, double step, double last, LabelOf&& labelOf) {
  std::vector<GridLine> lines;
  if (!std::isfinite(start) || !std::isfinite(step) || !(step > 0.0)) return lines;
  for (std::size_t k = 0;; ++k) {
    double value = start + static_cast<double>(k) * step;
    if (!(value <= last)) break;
    if (!lines.empty() && !(value > lines.back().value)) break;
    if (std::fabs(value) < kZeroSnap * step) value = 0.0;
    lines.push_back({value, labelOf(value)});
  }
  return lines;
}

double DecadeOf(double value) { return std::pow(kDecade, std::floor(std::log10(value))); }

// The next step of the sequence 1, 2, 5, 10, 20, 50, ... times a power of ten.
double NextNiceStep(double step) {
  const double decade = DecadeOf(step);
  const double mantissa = std::round(step / decade);
  for (const double nice : kNiceMantissas)
    if (mantissa < nice) return nice * decade;
  return kDecade * decade;
}

// A pixel beyond the range of a float becomes an infinite one (a plain
// conversion would be undefined), which the polylines then leave out.
float NarrowPixel(double pixel) {
  if (std::isnan(pixel)) return std::numeric_limits<float>::quiet_NaN();
  constexpr float kInfinity = std::numeric_limits<float>::infinity();
  if (std::fabs(pixel) > std::numeric_limits<float>::max()) return pixel > 0.0 ? kInfinity : -kInfinity;
  return static_cast<float>(pixel);
}

// Counted in doubles: the count of a huge range does not fit an integer.
double LinesFrom(double start, double step, double last) { return std::floor((last - start) / step) + 1.0; }

}  // namespace

IRECT PlotArea(const IRECT& panel) {
  return {panel.L + kPlotInsetLeft, panel.T + kPlotInsetTop, panel.R - kPlotInsetRight, panel.B - kPlotInsetBottom};
}

double FrequencyAxisMax(double sampleRate) { return std::min(sampleRate / 2.0, kPlotHighestFrequency); }

double MagnitudeDb(double magnitude) {
  if (std::isnan(magnitude)) return magnitude;
  return kDecibelsPerDecade * std::log10(std::max(magnitude, kMagnitudeFloor));
}

void ValueSpan::Add(double value) {
  if (!std::isfinite(value)) return;
  mMin = mAny ? std::min(mMin, value) : value;
  mMax = mAny ? std::max(mMax, value) : value;
  mAny = true;
}

void ValueSpan::AddCurve(std::span<const double> x, std::span<const double> y, CurveScale scale, double xmin,
                         double xmax) {
  const std::size_t count = std::min(x.size(), y.size());
  for (std::size_t i = 0; i < count; ++i)
    if (x[i] >= xmin && x[i] <= xmax) Add(scale == CurveScale::kDecibels ? MagnitudeDb(y[i]) : y[i]);
}

void ValueSpan::AddReference(const PlotSeries& series, double xmin, double xmax) {
  AddCurve(series.x, series.y, CurveScale::kLinear, xmin, xmax);
}

bool ValueRange::Drawable() const {
  const double span = max - min;
  return std::isfinite(span) && span > 0.0;
}

ValueRange DecibelRange(const ValueSpan& values) {
  if (values.Empty()) return {-kDecibelWidening, kDecibelWidening};
  ValueRange range{std::floor(values.Min() / kDecibelRowStep) * kDecibelRowStep,
                   std::ceil(values.Max() / kDecibelRowStep) * kDecibelRowStep};
  if (range.max - range.min < kDecibelMinimumSpan) {
    range.min -= kDecibelWidening;
    range.max += kDecibelWidening;
  }
  return range;
}

ValueRange TransferRange(const ValueSpan& values) {
  if (values.Empty()) return {-kTransferWidening, kTransferWidening};
  ValueRange range{values.Min(), values.Max()};
  if (range.max - range.min < kTransferMinimumSpan) {
    range.min -= kTransferWidening;
    range.max += kTransferWidening;
  }
  return range;
}

std::vector<GridLine> FrequencyGridLines(double frequencyMax) {
  std::vector<GridLine> lines;
  for (const double f : kFrequencyGrid) {
    if (!(f < frequencyMax)) break;
    lines.push_back({f, f >= kKilohertz ? Label("%.0fk", f / kKilohertz) : Label("%.0f", f)});
  }
  return lines;
}

std::vector<GridLine> DecibelRows(const ValueRange& range, float areaHeight, float labelHeight) {
  if (!range.Drawable()) return {};
  const auto startFor = [&](double s) { return std::ceil(range.min / s) * s; };
  const double pointsPerDecibel = areaHeight / (range.max - range.min);
  const auto tooDense = [&](double s) {
    return LinesFrom(startFor(s), s, range.max) > kMaxDecibelRows || s * pointsPerDecibel < labelHeight;
  };
  double step = kDecibelRowStep;
  while (std::isfinite(step) && tooDense(step)) step = NextNiceStep(step);
  return GridFrom(startFor(step), step, range.max, [](double v) { return ValueLabel("%.0f", v); });
}

double NiceStep(double raw) {
  const double decade = DecadeOf(raw);
  const double mantissa = raw / decade;
  double nice = kNiceMantissas.front();
  for (const double m : kNiceMantissas)
    if (mantissa >= m) nice = m;
  return nice * decade;
}

std::vector<GridLine> TransferXTicks(double xmin, double xmax, float areaWidth) {
  const double count = std::max(std::floor(static_cast<double>(areaWidth / kPointsPerXTick)), kFewestXTicks);
  const double raw = std::max((xmax - xmin) / count, kSmallestXStep);
  const double step = std::max(NiceStep(raw), kSmallestXStep);
  return GridFrom(step * std::ceil(xmin / step), step, xmax, [](double v) { return Label("%.0f", v); });
}

std::vector<GridLine> TransferYTicks(const ValueRange& range, float areaHeight) {
  if (!range.Drawable()) return {};
  const double count =
      std::clamp(std::floor(static_cast<double>(areaHeight / kPointsPerYTick)), kFewestYTicks, kMostYTicks);
  const double raw = std::max((range.max - range.min) / count, kSmallestYStep);
  const double step = std::max(NiceStep(raw), kSmallestYStep);
  const char* format = step < kTwoDecimalsBelow ? "%.2f" : step < kOneDecimalBelow ? "%.1f" : "%.0f";
  return GridFrom(step * std::ceil(range.min / step), step, range.max,
                  [format](double v) { return ValueLabel(format, v); });
}

float MapPlotX(double value, bool logarithmic, double xmin, double xmax, const IRECT& area) {
  const double t =
      logarithmic ? std::log(value / xmin) / std::log(xmax / xmin) : (value - xmin) / (xmax - xmin);
  return NarrowPixel(area.L + t * (area.R - area.L));
}

float PlotMapping::Y(double value) const { return NarrowPixel(area.B - (value - ymin) / (ymax - ymin) * area.H()); }

std::vector<PlotPoint> CurvePixels(std::span<const double> x, std::span<const double> y, CurveScale scale,
                                   const PlotMapping& mapping) {
  std::vector<PlotPoint> points;
  const std::size_t count = std::min(x.size(), y.size());
  double lastColumn = 0.0;
  for (std::size_t i = 0; i < count; ++i) {
    if (!(x[i] >= mapping.xmin && x[i] <= mapping.xmax)) continue;
    const PlotPoint p{mapping.X(x[i]), mapping.Y(scale == CurveScale::kDecibels ? MagnitudeDb(y[i]) : y[i])};
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
    const double column = std::floor(p.x);
    if (!points.empty() && column == lastColumn) continue;
    points.push_back(p);
    lastColumn = column;
  }
  return points;
}

std::vector<PlotPoint> ReferencePixels(const PlotSeries& series, const PlotMapping& mapping) {
  std::vector<PlotPoint> points;
  const std::size_t count = std::min(series.x.size(), series.y.size());
  const IRECT& area = mapping.area;
  if (count < 2 || !(area.W() > 0.f) || !(area.H() > 0.f) || !(mapping.ymax > mapping.ymin) ||
      !(mapping.xmax > mapping.xmin))
    return points;
  for (std::size_t i = 1; i < count; ++i) {
    const double x0 = series.x[i - 1], y0 = series.y[i - 1];
    const double x1 = series.x[i], y1 = series.y[i];
    if (!(x1 > x0)) continue;
    if (mapping.logarithmic && (x0 <= 0.0 || x1 <= 0.0)) continue;
    if (!std::isfinite(y0) || !std::isfinite(y1)) continue;
    const double a = std::max(x0, mapping.xmin);
    const double b = std::min(x1, mapping.xmax);
    if (!(b > a)) continue;
    // Ends that are not clipped keep their own values exactly.
    const auto yAt = [&](double x) { return x == x0 ? y0 : x == x1 ? y1 : y0 + (y1 - y0) * ((x - x0) / (x1 - x0)); };
    const PlotPoint start{mapping.X(a), mapping.Y(yAt(a))};
    const PlotPoint end{mapping.X(b), mapping.Y(yAt(b))};
    if (!std::isfinite(start.x) || !std::isfinite(start.y) || !std::isfinite(end.x) || !std::isfinite(end.y))
      continue;
    if (points.empty()) points.push_back(start);
    points.push_back(end);
  }
  return points;
}

}  // namespace orvane
