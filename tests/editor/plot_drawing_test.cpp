#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "drawing_log.h"
#include "editor/editor_colours.h"
#include "editor/orvane_editor.h"
#include "editor/plot_scales.h"
#include "editor_harness.h"

namespace orvane::testing {
namespace {

using Draw = std::function<void(OrvaneGUIControl&, IGraphics&)>;
using Strokes = std::vector<std::string>;

// The main panel's plot column at the default editor size: an area 449.44 wide.
const IRECT kPanel(0, 0, 494.44f, 300);
const IRECT kArea(35, 25, 484.44f, 283);
const IText kStyle(13.f, plugkit::graphics::kColorBlack, kEditorFontRegular);
constexpr float kGridWidth = 0.65f;

void DrawToneStack(OrvaneGUIControl& e, IGraphics& g) {
  std::array<const FrequencyCurve*, 4> curves{};
  for (int i = 0; i < 4; ++i) curves[i] = &e.mPlotData.ToneStackResponse(i);
  const std::array<IColor, 4> colours{PaletteColor(22), PaletteColor(22), PaletteColor(22), PaletteColor(17)};
  e.DrawToneStackPlot(g, kPanel, kStyle, curves, colours, "TONE STACK", 3);
}

void DrawPowerAmpLinear(OrvaneGUIControl& e, IGraphics& g) {
  const std::array<const FrequencyCurve*, 1> curves{&e.mPlotData.PowerResponse()};
  const std::array<IColor, 1> colours{PaletteColor(22)};
  e.DrawPowerAmpLinearPlot(g, kPanel, kStyle, curves, colours, "POWER AMP LIN", -1);
}

const Draw kPreampLinear = [](OrvaneGUIControl& e, IGraphics& g) { e.DrawPreampLinearPlot(g, kPanel, kStyle); };
const Draw kPreampNonLinear = [](OrvaneGUIControl& e, IGraphics& g) { e.DrawPreampNonLinearPlot(g, kPanel, kStyle); };
const Draw kPowerAmpNonLinear = [](OrvaneGUIControl& e, IGraphics& g) {
  e.DrawPowerAmpNonLinearPlot(g, kPanel, kStyle);
};

class PlotDrawing : public ::testing::Test {
protected:
  void SetUp() override {
    for (int tick = 0; tick < kPlotKindCount; ++tick) editor.UpdatePlots();
    for (auto& shown : editor.mPlotReferenceShown) shown = true;
    g.SetGeometryMode(true);
  }

  std::vector<DrawnItem> DrawnBy(const Draw& draw) {
    g.ClearCalls();
    draw(editor, g);
    return DrawnItems(g);
  }

  void SetReference(PlotKind plot, std::vector<double> x, std::vector<double> y) {
    editor.mPlotReferences[plot].x = std::move(x);
    editor.mPlotReferences[plot].y = std::move(y);
  }

  EditorHarness harness;
  OrvaneGUIControl& editor = harness.Editor();
  plugkit::testing::RecordingGraphics& g = *harness.graphics;
};

// Curve strokes as "colour width", in stroke order (grid, frame and chips have
// widths of their own).
Strokes CurveStrokes(const std::vector<DrawnItem>& items) {
  Strokes strokes;
  for (const DrawnItem& item : items)
    if (item.kind == "stroke" && item.width >= 1.9f)
      strokes.push_back(Colour(item.colour) + " " + plugkit::testing::FormatNumber(item.width));
  return strokes;
}

// Grid lines: horizontal rows and vertical lines of width 0.65.
std::size_t GridLines(const std::vector<DrawnItem>& items, bool horizontal) {
  return static_cast<std::size_t>(std::ranges::count_if(items, [&](const DrawnItem& item) {
    const bool flat = horizontal ? item.box.T == item.box.B : item.box.L == item.box.R;
    return item.kind == "stroke" && item.width == kGridWidth && flat;
  }));
}

bool HasText(const std::vector<DrawnItem>& items, const std::string& text) {
  for (const DrawnItem& item : items)
    if (item.kind == "text" && item.text == text) return true;
  return false;
}

TEST_F(PlotDrawing, StrokesCurvesInOrderWithTheirWidths) {
  const struct {
    const char* what;
    int selectedStage;
    std::vector<std::pair<int, int>> hidden;  // legend, stage
    Draw draw;
    Strokes expected;
    std::size_t xLines;
    std::vector<std::string> texts;
  } cases[] = {
      {"preamp linear: the stages after the selected one, the selected last and wider", 1, {{0, 3}}, kPreampLinear,
       {Entry(19) + " 1.9", Entry(17) + " 1.9", Entry(18) + " 3.8"}, 9,
       {"PREAMP LIN", "MAGNITUDE [dB]", "FREQUENCY [Hz]", "20", "1k", "10k"}},
      {"preamp transfer curves, each legend its own", 3, {{0, 0}}, kPreampNonLinear,
       {Entry(17) + " 1.9", Entry(18) + " 1.9", Entry(19) + " 1.9", Entry(20) + " 3.8"}, 21,
       {"PREAMP NON-LIN", "OUTPUT [V]", "Input [V]", "-20", "20"}},
      {"tone stack: the highlighted fourth curve", 0, {}, DrawToneStack,
       {Entry(22) + " 2", Entry(22) + " 2", Entry(22) + " 2", Entry(17) + " 3.8"}, 9, {"TONE STACK"}},
      {"power amp response", 0, {}, DrawPowerAmpLinear, {Entry(22) + " 2"}, 9, {"POWER AMP LIN"}},
      {"power amp transfer curve", 0, {}, kPowerAmpNonLinear, {Entry(22) + " 2"}, 0, {"POWER AMP NON-LIN"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    editor.mSelectedStage = c.selectedStage;
    for (auto& legend : editor.mPreampCurveVisible) legend.fill(true);
    for (auto [legend, stage] : c.hidden) editor.mPreampCurveVisible[legend][stage] = false;
    const std::vector<DrawnItem> items = DrawnBy(c.draw);
    EXPECT_EQ(CurveStrokes(items), c.expected);
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items.front().line, "fill " + Entry(3) + " " + Box(kArea));
    if (c.xLines) {
      EXPECT_EQ(GridLines(items, false), c.xLines);
    }
    for (const std::string& text : c.texts) EXPECT_TRUE(HasText(items, text)) << text;
  }
}

TEST_F(PlotDrawing, DrawsNothingWithoutCurvesOrRoom) {
  editor.mPlotSampleRate = 40;
  EXPECT_TRUE(DrawnBy(kPreampLinear).empty()) << "no frequency axis above 20 Hz";
  EXPECT_TRUE(DrawnBy(DrawToneStack).empty());
  editor.mPlotSampleRate = 48000;
  EXPECT_TRUE(DrawnBy([](OrvaneGUIControl& e, IGraphics& g) {
                e.DrawPreampNonLinearPlot(g, IRECT(0, 0, 300, 19), kStyle);
              }).empty());

  EditorHarness uncomputed;
  for (const Draw& draw : {kPreampLinear, kPreampNonLinear, kPowerAmpNonLinear}) {
    uncomputed.graphics->ClearCalls();
    draw(uncomputed.Editor(), *uncomputed.graphics);
    EXPECT_TRUE(uncomputed.graphics->Calls().empty());
  }
}

TEST_F(PlotDrawing, StageChipsAreTheCurveToggles) {
  editor.mPreampCurveVisible[0][2] = false;
  editor.mPreampCurveVisible[1][0] = false;
  for (const auto& [legend, draw] : {std::pair{0, kPreampLinear}, std::pair{1, kPreampNonLinear}}) {
    SCOPED_TRACE(legend);
    const std::vector<DrawnItem> items = DrawnBy(draw);
    float right = 0.f;
    for (int stage = 0; stage < 4; ++stage) {
      const IRECT chip = editor.mPreampCurveToggleRects[legend][stage];
      EXPECT_GT(chip.L, right);
      EXPECT_GE(chip.T, kPanel.T);
      EXPECT_LE(chip.B, kArea.T);
      right = chip.R;
      const bool hidden = !editor.mPreampCurveVisible[legend][stage];
      const std::string outline = "stroke " + Entry(17 + stage) + (hidden ? " w=0.75 " : " w=1.75 ") + Box(chip);
      EXPECT_TRUE(std::ranges::any_of(items, [&](const DrawnItem& i) { return i.line == outline; })) << outline;
      EXPECT_TRUE(HasText(items, std::to_string(stage + 1)));
    }
    EXPECT_LE(right - editor.mPreampCurveToggleRects[legend][0].L, 96.f);
  }
  editor.mPlotSampleRate = 40;
  DrawnBy(kPreampLinear);
  EXPECT_TRUE(editor.mPreampCurveToggleRects[0][0].Empty()) << "no chips where nothing is drawn";
}

TEST_F(PlotDrawing, ReferenceOverlay) {
  SetReference(kPlotPowerAmpLinear, {100, 1000, 10000}, {-3, 0, -6});
  const std::vector<DrawnItem> items = DrawnBy(DrawPowerAmpLinear);
  ASSERT_FALSE(items.empty());
  EXPECT_TRUE(items.back().line.starts_with("stroke (255,188,103,18) w=4.5"));
  EXPECT_FLOAT_EQ(items.back().box.L, MapPlotX(100, true, 20, 20000, kArea));
  EXPECT_FLOAT_EQ(items.back().box.R, MapPlotX(10000, true, 20, 20000, kArea));
  editor.mPlotReferenceShown[kPlotPowerAmpLinear] = false;
  EXPECT_NE(DrawnBy(DrawPowerAmpLinear).back().width, 4.5f) << "a hidden reference is not drawn";
}

// References with absurd values: every drawer returns with bounded grids and
// finite coordinates.
TEST_F(PlotDrawing, HugeReferenceValuesStayBounded) {
  SetReference(kPlotPreampLinear, {100, 1000}, {0, 1e300});
  std::vector<DrawnItem> items = DrawnBy(kPreampLinear);
  EXPECT_LE(GridLines(items, true), 40u);
  EXPECT_GE(GridLines(items, true), 2u);

  SetReference(kPlotPreampLinear, {100, 1000}, {-1.7e308, 1.7e308});
  SetReference(kPlotPreampNonLinear, {-30, 0, 10}, {-1.7e308, 0, 1});
  for (const Draw& draw : {kPreampLinear, kPreampNonLinear}) {
    DrawnBy(draw);
    for (const auto& p : g.AllPoints()) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    EXPECT_GT(GridLines(DrawnItems(g), false), 0u);
  }

  // Hidden stages and a constant reference of 1e20: a span of 0 even after
  // widening by 1 V, so no value ticks, curves or reference.
  for (auto& stage : editor.mPreampCurveVisible[1]) stage = false;
  SetReference(kPlotPreampNonLinear, {-10, 10}, {1e20, 1e20});
  items = DrawnBy(kPreampNonLinear);
  EXPECT_EQ(GridLines(items, true), 0u);
  EXPECT_EQ(GridLines(items, false), 21u);
  EXPECT_TRUE(CurveStrokes(items).empty());
  EXPECT_TRUE(std::ranges::any_of(items, [](const DrawnItem& i) { return i.width == 0.7f; })) << "the frame";

  // Nothing to scale by: -1..1.
  editor.mPlotReferenceShown[kPlotPreampNonLinear] = false;
  items = DrawnBy(kPreampNonLinear);
  EXPECT_GT(GridLines(items, true), 0u);
  for (const char* text : {"-1.0", "0.0", "1.0", "OUTPUT [V]"}) EXPECT_TRUE(HasText(items, text)) << text;
}

// The value labels stay in the left margin whatever size a reference's
// values reach: far from 0 they take an exponent.
TEST_F(PlotDrawing, ValueLabelsFitTheLeftMarginAtAnyMagnitude) {
  const struct {
    const char* what;
    PlotKind plot;
    std::vector<double> x, y;
    Draw draw;
    const char* someLabel;
  } cases[] = {
      {"decibels", kPlotPreampLinear, {100, 1000}, {0, 3}, kPreampLinear, "-10"},
      {"decibels up to 1e300", kPlotPreampLinear, {100, 1000}, {0, 1e300}, kPreampLinear, "5e+298"},
      {"volts up to 1e300", kPlotPreampNonLinear, {-10, 10}, {-1e300, 1e300}, kPreampNonLinear, "-1e+300"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetReference(c.plot, c.x, c.y);
    std::vector<DrawnItem> labels;
    std::ranges::copy_if(DrawnBy(c.draw), std::back_inserter(labels),
                         [](const DrawnItem& i) { return i.kind == "text" && i.box.R <= kArea.L; });
    ASSERT_GE(labels.size(), 2u);
    for (const DrawnItem& label : labels) EXPECT_TRUE(FitsItsBox(g, label)) << label.line;
    EXPECT_TRUE(HasText(labels, c.someLabel)) << c.someLabel;
    SetReference(c.plot, {}, {});
  }
}

}  // namespace
}  // namespace orvane::testing
