#include "graphics/controls/vector_plot.h"

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "vector_controls_fixture.h"

namespace plugkit::graphics {
namespace {

using testing::FormatNumber;
using VectorPlotTest = VectorControlsTest;

const IRECT kPlot(0, 0, 200, 120);
constexpr IColor kCurve = kColorBlue;

// The sub-paths that each stroke of the last drawing drew, as "x,y x,y ...".
std::vector<Lines> StrokedPaths(const testing::RecordingGraphics& g) {
  std::vector<Lines> strokes;
  Lines subpaths;
  for (const auto& call : g.Calls()) {
    if (call.kind == "PathClear") subpaths.clear();
    for (const auto& p : call.points) {
      if (p.moveTo || subpaths.empty()) subpaths.emplace_back();
      subpaths.back() += (subpaths.back().empty() ? "" : " ") + FormatNumber(p.x) + "," + FormatNumber(p.y);
    }
    if (call.kind == "StrokePath") strokes.push_back(subpaths);
  }
  return strokes;
}

TEST_F(VectorPlotTest, TheGridSplitsTheWidgetAndACurveSpansThePlotArea) {
  auto* plot = Attach(new IVPlotControl(kPlot, {{kCurve, [](double x) { return x * x; }}}, 11, "", FlatStyle(), 0, 1));
  EXPECT_EQ(plot->PlotBounds(), IRECT(0, 10, 200, 110)) << "a grid row of 120 / 12 off the top and the bottom";
  const Lines drawn = Drawn(*plot);
  EXPECT_EQ(drawn, (Lines{"fill (0,0,0,0) (0,0,200,120)", "stroke (60,0,0,0) (0,0,200,120)",
                          "stroke (255,0,0,255) (0,10,200,110) w=2"}));
  const std::vector<Lines> strokes = StrokedPaths(g);
  ASSERT_EQ(strokes.size(), 2u);
  Lines grid;
  for (int x = 20; x < 200; x += 20) grid.push_back(std::to_string(x) + ",0 " + std::to_string(x) + ",120");
  for (int y = 10; y < 120; y += 10) grid.push_back("0," + std::to_string(y) + " 200," + std::to_string(y));
  EXPECT_EQ(strokes[0], grid);
  EXPECT_EQ(strokes[1], (Lines{"0,110 20,109 40,106 60,101 80,94 100,85 120,74 140,61 160,46 180,29 200,10"}));
}

TEST_F(VectorPlotTest, SamplesCoverZeroToOneAndThoseThatCannotBeDrawnSitAtTheBottom) {
  struct Case {
    const char* name;
    int points;
    float min, max;
    std::function<double(double)> func;
    std::vector<double> sampledAt;
    std::string curve;
  };
  const auto line = [](double x) { return x; };
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<Case> cases = {
      {"two points", 2, 0, 1, line, {0, 1}, "0,110 200,10"},
      {"five points", 5, 0, 1, line, {0, 0.25, 0.5, 0.75, 1}, "0,110 50,85 100,60 150,35 200,10"},
      {"one point counts as two", 1, 0, 1, line, {0, 1}, "0,110 200,10"},
      {"no points count as two", 0, 0, 1, line, {0, 1}, "0,110 200,10"},
      {"an empty range", 2, 0.5f, 0.5f, line, {0, 1}, "0,110 200,110"},
      {"not a number", 2, 0, 1, [](double) { return std::nan(""); }, {0, 1}, "0,110 200,110"},
      {"infinite", 2, 0, 1, [inf](double x) { return x > 0 ? inf : -inf; }, {0, 1}, "0,110 200,110"},
      {"beyond a float", 2, 0, 1, [](double x) { return x > 0 ? 1e300 : 0.5; }, {0, 1}, "0,60 200,110"},
  };
  for (const Case& c : cases) {
    std::vector<double> sampledAt;
    const auto record = [&](double x) {
      sampledAt.push_back(x);
      return c.func(x);
    };
    auto* plot = Attach(new IVPlotControl(kPlot, {{kCurve, record}}, c.points, "", FlatStyle(), c.min, c.max));
    Drawn(*plot);
    EXPECT_EQ(sampledAt, c.sampledAt) << c.name;
    const std::vector<Lines> strokes = StrokedPaths(g);
    ASSERT_EQ(strokes.size(), 2u) << c.name;
    EXPECT_EQ(strokes[1], Lines{c.curve}) << c.name;
    g.RemoveControl(plot);
  }
}

TEST_F(VectorPlotTest, ALayeredPlotSamplesItsFunctionsOnlyWhenItsLayerGoesStale) {
  struct Step {
    const char* name;
    std::function<void(IVPlotControl&)> change;
    int drawnWithLayer;
    int drawnWithout;
  };
  int firstRuns = 0;
  const auto first = [&firstRuns](double x) {
    ++firstRuns;
    return x;
  };
  const auto none = [](IVPlotControl&) {};
  const std::vector<Step> steps = {
      {"first frame", none, 1, 1},
      {"second frame", none, 1, 2},
      {"third frame", none, 1, 3},
      {"a function added", [](IVPlotControl& p) { p.AddPlotFunc(kColorRed, [](double x) { return -x; }); }, 2, 4},
      {"a frame after", none, 2, 5},
      {"moved", [this](IVPlotControl& p) { g.SetControlPosition(&p, 10, 10); }, 3, 6},
      {"the screen scale changed", [this](IVPlotControl&) { g.SetScreenScale(2.f); }, 4, 7},
      {"a frame after", none, 4, 8},
  };
  for (const bool useLayer : {true, false}) {
    g.SetScreenScale(1.f);
    firstRuns = 0;
    auto* plot = Attach(new IVPlotControl(kPlot, {{kCurve, first}}, 2, "", FlatStyle(), 0, 1, useLayer));
    for (const Step& step : steps) {
      step.change(*plot);
      Drawn(*plot);
      EXPECT_EQ(firstRuns, 2 * (useLayer ? step.drawnWithLayer : step.drawnWithout))
          << step.name << (useLayer ? " with" : " without") << " a layer";
      EXPECT_EQ(g.CountCalls("DrawBitmap"), useLayer ? 1 : 0) << step.name;
    }
    g.RemoveControl(plot);
  }
}

}  // namespace
}  // namespace plugkit::graphics
