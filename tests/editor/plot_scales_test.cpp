#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "editor/plot_scales.h"

namespace orvane {
namespace {

using Labels = std::vector<std::string>;
using Values = std::vector<double>;

Labels LabelsOf(const std::vector<GridLine>& lines) {
  Labels labels;
  for (const GridLine& line : lines) labels.push_back(line.label);
  return labels;
}

ValueSpan SpanOf(const Values& values) {
  ValueSpan span;
  for (double v : values) span.Add(v);
  return span;
}

// An area tall enough for 10 dB rows over each case's range.
constexpr float kRoomyAreaHeight = 200.f;
constexpr float kPlotLabelHeight = 8.5f;

TEST(PlotScales, FrequencyAxisAndDecibelRows) {
  EXPECT_EQ(FrequencyAxisMax(32000), 16000);
  EXPECT_EQ(FrequencyGridLines(FrequencyAxisMax(32000)).back().value, 10000);
  EXPECT_EQ(LabelsOf(FrequencyGridLines(FrequencyAxisMax(48000))),
            (Labels{"20", "50", "100", "200", "500", "1k", "2k", "5k", "10k"}));
  EXPECT_TRUE(FrequencyGridLines(FrequencyAxisMax(40)).empty());

  const struct {
    Values db;
    double min, max;
    Labels rows;
  } cases[] = {
      {{0, 0}, -10, 10, {"-10", "0", "10"}},
      {{-3, 12, 27}, -10, 30, {"-10", "0", "10", "20", "30"}},
      {{}, -10, 10, {"-10", "0", "10"}},
      {{-25, -21}, -40, -10, {"-40", "-30", "-20", "-10"}},
  };
  for (const auto& c : cases) {
    const ValueRange range = DecibelRange(SpanOf(c.db));
    EXPECT_EQ(range.min, c.min);
    EXPECT_EQ(range.max, c.max);
    EXPECT_EQ(LabelsOf(DecibelRows(range, kRoomyAreaHeight, kPlotLabelHeight)), c.rows);
  }
}

TEST(PlotScales, TransferRangesAndTicks) {
  // The preamp transfer plot in its default-size panel: 9 ticks wanted, raw
  // step 4.44, step 2.
  const std::vector<GridLine> x = TransferXTicks(-20, 20, 449.44f);
  ASSERT_EQ(x.size(), 21u);
  EXPECT_EQ(x.front().value, -20);
  EXPECT_EQ(x[1].value, -18);
  EXPECT_EQ(x[10].label, "0");
  EXPECT_EQ(x.back().value, 20);
  EXPECT_EQ(TransferXTicks(-0.5, 0.5, 449.44f).size(), 1u) << "steps of at least 1 V";

  const ValueRange constant = TransferRange(SpanOf({3, 3}));
  EXPECT_EQ(constant.min, 2);
  EXPECT_EQ(constant.max, 4);
  const ValueRange none = TransferRange(SpanOf({}));
  EXPECT_EQ(none.min, -1);
  EXPECT_EQ(none.max, 1);

  // 108 points of height want 6 ticks.
  const struct {
    double max;
    Labels labels;
  } cases[] = {
      {0.36, {"0.00", "0.05", "0.10", "0.15", "0.20", "0.25", "0.30", "0.35"}},
      {3.6, {"0.0", "0.5", "1.0", "1.5", "2.0", "2.5", "3.0", "3.5"}},
      {36, {"0", "5", "10", "15", "20", "25", "30", "35"}},
  };
  for (const auto& c : cases) EXPECT_EQ(LabelsOf(TransferYTicks({0, c.max}, 108)), c.labels) << c.max;
  EXPECT_EQ(LabelsOf(TransferYTicks({-0.5, 2}, 36)), (Labels{"0", "1", "2"})) << "no -0 label";
}

const IRECT kArea(0, 0, 400, 200);

TEST(PlotScales, CurvesKeepOnePointPerPixelColumn) {
  Values f(8193), m(8193, 1.0);
  for (std::size_t i = 0; i < f.size(); ++i) f[i] = 24000.0 * static_cast<double>(i) / 8192.0;
  const PlotMapping mapping{kArea, true, 20, 20000, -10, 10};
  const std::vector<PlotPoint> points = CurvePixels(f, m, CurveScale::kDecibels, mapping);
  EXPECT_LE(points.size(), static_cast<std::size_t>(kArea.W()) + 1);
  std::set<double> columns;
  for (const PlotPoint& p : points) {
    EXPECT_TRUE(columns.insert(std::floor(p.x)).second) << p.x;
    EXPECT_GE(p.x, kArea.L);
    EXPECT_LE(p.x, kArea.R);
    EXPECT_FLOAT_EQ(p.y, 100.f);
  }
  EXPECT_GT(points.size(), 300u);
  EXPECT_FLOAT_EQ(MapPlotX(2000, true, 20, 20000, kArea), 400.f * 2.f / 3.f);
  EXPECT_FLOAT_EQ(MapPlotX(0, false, -20, 20, kArea), 200.f);
}

TEST(PlotScales, ReferencePolylines) {
  constexpr double kHuge = 1.7e308;
  const PlotMapping linear{kArea, false, 0, 100, 0, 100};
  const PlotMapping logarithmic{kArea, true, 20, 20000, 0, 100};
  const struct {
    const char* what;
    PlotMapping mapping;
    Values x, y;
    std::vector<std::pair<float, float>> points;
  } cases[] = {
      {"descending and duplicate x leave out those segments", linear, {10, 20, 15, 15, 30, 40},
       {0, 50, 0, 0, 50, 100}, {{40, 200}, {80, 100}, {120, 100}, {160, 0}}},
      {"a point at 0 Hz breaks the segments touching it", logarithmic, {20, 200, 0, 2000, 20000},
       {10, 20, 30, 40, 50}, {{0, 180}, {400.f / 3.f, 160}, {400, 100}}},
      {"a segment crossing xmin starts at xmin on its line", linear, {-10, 10}, {0, 100}, {{0, 100}, {40, 0}}},
      {"fewer than two points", linear, {10}, {10}, {}},
      {"a segment wholly outside", linear, {110, 120}, {10, 20}, {}},
      {"ends or pixels beyond a double", linear, {-10, 50, 60, 70}, {-kHuge, kHuge, 50, 50}, {{240, 100}, {280, 100}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PlotSeries series;
    series.x = c.x;
    series.y = c.y;
    const std::vector<PlotPoint> points = ReferencePixels(series, c.mapping);
    ASSERT_EQ(points.size(), c.points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
      EXPECT_NEAR(points[i].x, c.points[i].first, 1e-3) << i;
      EXPECT_NEAR(points[i].y, c.points[i].second, 1e-3) << i;
    }
  }
}

}  // namespace
}  // namespace orvane
