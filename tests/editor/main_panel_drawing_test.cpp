// The editor's whole frame through the frame runner: the layout of the main
// panel, the script area, the plot column with its kept layers, the two
// views, and the hit rectangles a frame leaves for the pointer.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "drawing_log.h"
#include "editor/editor_colours.h"
#include "editor/plot_scales.h"
#include "editor_harness.h"
#include "plugin/theme_palette.h"
#include "support/graphics/frame_runner.h"

namespace orvane::testing {
namespace {

// Items of a kind that pass the test.
std::vector<DrawnItem> Find(const std::vector<DrawnItem>& items, const std::string& kind,
                            const std::function<bool(const DrawnItem&)>& match) {
  std::vector<DrawnItem> found;
  std::ranges::copy_if(items, std::back_inserter(found),
                       [&](const DrawnItem& item) { return item.kind == kind && match(item); });
  return found;
}
std::vector<DrawnItem> Texts(const std::vector<DrawnItem>& items, const std::string& text) {
  return Find(items, "text", [&](const DrawnItem& item) { return item.text == text; });
}
std::vector<DrawnItem> Fills(const std::vector<DrawnItem>& items, std::size_t entry) {
  return Find(items, "fill", [&](const DrawnItem& item) { return item.colour == PaletteColor(entry); });
}

float MiddleOfLabel(const DrawnItem& item) { return (item.box.T + item.box.B) / 2.f; }

// The value labels a frame drew in a plot's left margin, top to bottom.
std::vector<DrawnItem> PlotValueLabels(const std::vector<DrawnItem>& items, const IRECT& plot) {
  constexpr float kSlack = 1e-3f;
  const IRECT area = PlotArea(plot);
  std::vector<DrawnItem> labels = Find(items, "text", [&](const DrawnItem& item) {
    const float middle = MiddleOfLabel(item);
    return item.box.L >= plot.L && item.box.R <= area.L && middle >= area.T - kSlack && middle <= area.B + kSlack;
  });
  std::ranges::sort(labels, {}, MiddleOfLabel);
  return labels;
}

class EditorFrame : public ::testing::Test {
protected:
  void SetUp() override { g.SetGeometryMode(true); }
  void TearDown() override { ApplyColourTheme(false); }

  // Marks the editor dirty and runs one frame; what it drew.
  std::vector<DrawnItem> Frame() {
    g.ClearCalls();
    editor.MarkDirty(false);
    plugkit::testing::RunFrame(g);
    return DrawnItems(g);
  }
  void ComputeAllPlots() {
    for (int tick = 0; tick < kPlotKindCount; ++tick) editor.UpdatePlots();
    Frame();
  }
  // The plots whose layers the frame after the change made anew.
  std::vector<int> RedrawnBy(const std::function<void()>& change) {
    std::array<const void*, kPlotKindCount> before{};
    for (std::size_t k = 0; k < before.size(); ++k) before[k] = editor.mPlotLayers[k].get();
    change();
    Frame();
    std::vector<int> redrawn;
    for (std::size_t k = 0; k < before.size(); ++k)
      if (editor.mPlotLayers[k].get() != before[k]) redrawn.push_back(static_cast<int>(k));
    return redrawn;
  }

  EditorHarness harness;
  OrvaneGUIControl& editor = harness.Editor();
  plugkit::testing::RecordingGraphics& g = *harness.graphics;
};

// At the default size: top 74.65, 692.35 available, rows 13.837 high.
TEST_F(EditorFrame, MainPanelGeometryAtTheDefaultSize) {
  Frame();
  const struct {
    const char* what;
    IRECT got;
    std::string expected;
  } cases[] = {
      {"stage tab 1", editor.mStageSelectorRects[0][0], "(42.136,77.65,148.216,95.65)"},
      // The bar of the row (42.136, 98.65, 472.456, 112.487).
      {"preamp row 0's bar", editor.mDnaRowRects.at(0), "(283.115,100.15,440.456,110.987)"},
      {"script text area", editor.mScriptRect, "(493.581,113.65,870.301,483.754)"},
      {"first plot", editor.mPlotRects[kPlotPreampLinear], "(886.426,96.92,1380.864,230.936)"},
      {"last plot", editor.mPlotRects[kPlotPowerAmpNonLinear], "(886.426,632.984,1380.864,767)"},
  };
  for (const auto& c : cases) EXPECT_EQ(Box(c.got), c.expected) << c.what;
  EXPECT_NEAR(editor.mDnaRowRects.at(1).T - editor.mDnaRowRects.at(0).T, 13.837f, 0.001f);
  EXPECT_EQ(editor.mDnaRowRects.size(), 11u + 16u + 13u);
  EXPECT_EQ(editor.mKnobTrackRects.size(), kAmpKnobCount);
}

// Title, small and label sizes; below a scale of 0.1 the text keeps 0.1 of
// its design size while the header still takes its height from the window.
TEST_F(EditorFrame, TextSizesFollowTheFlooredScale) {
  const struct {
    float width, height;
    float title, small, label, header;
  } cases[] = {
      {1392, 783, 13, 12, 14, 68.525f},
      {464, 261, 13 / 3.f, 4, 14 / 3.f, 22.842f},
      {100, 50, 1.3f, 1.2f, 1.4f, 4.923f},
  };
  for (const auto& c : cases) {
    editor.SetRECT(IRECT(0, 0, c.width, c.height));
    const std::vector<DrawnItem> items = Frame();
    SCOPED_TRACE(c.width);
    EXPECT_NEAR(Texts(items, "STAGE 1").at(0).style.mSize, c.title, 0.001f);
    EXPECT_NEAR(Texts(items, "SCRIPT OK  /  0 CONTROLS").at(0).style.mSize, c.small, 0.001f);
    EXPECT_NEAR(Texts(items, "USER CONTROLS SCRIPT").at(0).style.mSize, c.label, 0.001f);
    const std::vector<DrawnItem> band = Fills(items, kPaletteHeaderBand);
    ASSERT_FALSE(band.empty());
    EXPECT_NEAR(band.front().box.B, c.header, 0.001f);
  }
}

// Each DNA row's label stays in its column, cut with "..." where the window
// leaves it too little room; a row without a value lends its label the value
// column, so such a label stays whole.
TEST_F(EditorFrame, DnaLabelsStayInsideTheirColumn) {
  struct Case {
    float width;
    float height;
    std::string wholeLabel;
  };
  for (const Case& c : {Case{1392.f, 783.f, "[dna63] CUT-OFF HARDNESS: POS"},
                        Case{700.f, 1200.f, "[dna10] GAIN KNOB EFFECT"}}) {
    SCOPED_TRACE(c.width);
    editor.SetRECT(IRECT(0, 0, c.width, c.height));
    const std::vector<DrawnItem> items = Frame();
    const std::vector<DrawnItem> labels =
        Find(items, "text", [](const DrawnItem& item) { return item.text.starts_with("[dna"); });
    EXPECT_EQ(labels.size(), 11u + 16u + 13u);
    for (const DrawnItem& label : labels) EXPECT_TRUE(FitsItsBox(g, label)) << label.line;
    EXPECT_TRUE(std::ranges::any_of(labels, [](const DrawnItem& label) { return label.text.ends_with("..."); }));
    EXPECT_EQ(Texts(items, c.wholeLabel).size(), 1u);
  }
}

TEST_F(EditorFrame, ScriptAreaGutterErrorRowsCaretAndStatus) {
  for (const auto& [lines, gutter] : {std::pair{9, 2.f}, {10, 3.f}}) {
    editor.SetScriptText(std::string(static_cast<std::size_t>(lines - 1), '\n'), {});
    Frame();
    EXPECT_NEAR(editor.mScriptTextLeft - editor.mScriptRect.L, gutter * editor.mScriptCharWidth, 1e-3f) << lines;
  }

  // A second line too long for one row, and wrong.
  editor.SetScriptText("slider: \"A\"\n" + std::string(150, 'x') + " = 1\ngain = x", {});
  std::vector<DrawnItem> items = Frame();
  EXPECT_EQ(Fills(items, 34).size(), 4u) << "the four rows of line 2";
  EXPECT_EQ(Texts(items, "2").size(), 1u) << "its number on its first row only";

  editor.SetScriptText("ab   ", {});
  editor.mScriptCaret = 5;
  items = Frame();
  const std::vector<DrawnItem> caret = Find(items, "stroke", [&](const DrawnItem& item) {
    return item.box.L == item.box.R && editor.mScriptRect.Contains(item.box.L, item.box.T);
  });
  ASSERT_EQ(caret.size(), 1u);
  IRECT bounds;
  const float ab = g.MeasureText(editor.mTextStyle, "ab", bounds);
  EXPECT_NEAR(caret[0].box.L, editor.mScriptTextLeft + ab + 3 * editor.mScriptCharWidth, 1e-3f);

  // 47 bytes, then a character of two that a plain 48-byte cut would split.
  editor.mParsedScript.error = std::string(47, 'x') + "\xC3\xA9" + "tail";
  editor.mParsedScript.errorLine = 2;
  EXPECT_EQ(Texts(Frame(), "ERROR LINE 2: " + std::string(47, 'x')).size(), 1u);
}

TEST_F(EditorFrame, AllPlotsHiddenLeaveTheTogglesAndAMessage) {
  ComputeAllPlots();
  editor.mPlotVisible.fill(false);
  const std::vector<DrawnItem> items = Frame();
  EXPECT_TRUE(std::ranges::all_of(editor.mPlotRects, &IRECT::Empty));
  EXPECT_EQ(Texts(items, "(All plots are hidden)").size(), 1u);
  for (const IRECT& toggle : editor.mPlotButtonRects)
    EXPECT_EQ(Find(items, "fill", [&](const DrawnItem& f) { return Box(f.box) == Box(toggle); }).at(0).colour,
              PaletteColor(14));
  EXPECT_EQ(g.CountCalls("DrawBitmap"), 0) << "no layer drawn";
}

TEST_F(EditorFrame, LayersAreRedrawnOnlyWhenTheirPlotChanged) {
  ComputeAllPlots();
  const std::string reference = ::testing::TempDir() + "editor_frame_reference.csv";
  const struct {
    const char* what;
    std::function<void()> change;
    std::vector<int> redrawn;
  } cases[] = {
      {"nothing changed", [] {}, {}},
      {"a plot hidden moves the others", [&] { editor.mPlotVisible[kPlotToneStack] = false; }, {0, 1, 3, 4}},
      {"shown again: its kept layer still holds", [&] { editor.mPlotVisible[kPlotToneStack] = true; },
       {0, 1, 3, 4}},
      {"new curves of one plot", [&] {
         editor.SetKnobValue(kKnobBass, 10.0);
         editor.UpdatePlots();
       }, {kPlotToneStack}},
      {"a reference loaded", [&] {
         std::FILE* file = std::fopen(reference.c_str(), "w");
         std::fputs("100,1\n1000,2\n", file);
         std::fclose(file);
         editor.LoadPlotReference(kPlotPowerAmpLinear, reference, "");
       }, {kPlotPowerAmpLinear}},
      {"the process switched to dark, not this editor", [] { ApplyColourTheme(true); }, {0, 1, 2, 3, 4}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RedrawnBy(c.change), c.redrawn) << c.what;
    EXPECT_FALSE(editor.IsDirty()) << c.what << ": drawing leaves the control clean";
  }
}

// References of any range over the frequency plots at their heights in the
// default, a shorter and the smallest window: each label stays clear of the
// next, and a range with room for them keeps its rows every 10 dB.
TEST_F(EditorFrame, DecibelLabelsNeverOverlap) {
  const struct {
    float width, height;
    double low, high;
    std::size_t preampRows;  // its stages hidden, the reference alone sets its range
  } cases[] = {
      {1392, 783, -150, 30, 9},         // every 20 dB
      {1392, 783, -240, 50, 6},         // every 50 dB
      {1392, 783, -1e300, 1e300, 11},   // every 2e299 dB
      {464, 261, -150, 30, 1},          // 0 dB alone in an area 1.3 high
      {464, 261, -240, 50, 1},
      {464, 261, -1e300, 1e300, 1},
      {1392, 600, -10, 60, 8},          // every 10 dB, 8.2 apart
  };
  constexpr std::array kFrequencyPlots{kPlotPreampLinear, kPlotToneStack, kPlotPowerAmpLinear};
  ComputeAllPlots();
  editor.mPreampCurveVisible[0].fill(false);
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height << ", " << c.low << " .. " << c.high);
    editor.SetRECT(IRECT(0, 0, c.width, c.height));
    for (const PlotKind kind : kFrequencyPlots) {
      editor.mPlotReferences[kind].x = {100, 1000};
      editor.mPlotReferences[kind].y = {c.low, c.high};
      editor.mPlotReferenceShown[kind] = true;
      editor.InvalidatePlotLayer(kind, false);
    }
    const std::vector<DrawnItem> items = Frame();
    for (const PlotKind kind : kFrequencyPlots) {
      const std::vector<DrawnItem> labels = PlotValueLabels(items, editor.mPlotRects[kind]);
      ASSERT_FALSE(labels.empty()) << kind;
      const auto overlap = std::ranges::adjacent_find(labels, [](const DrawnItem& upper, const DrawnItem& lower) {
        return MiddleOfLabel(lower) - MiddleOfLabel(upper) < (upper.style.mSize + lower.style.mSize) / 2.f;
      });
      EXPECT_TRUE(overlap == labels.end()) << kind << ": " << overlap->line << " / " << std::next(overlap)->line;
    }
    EXPECT_EQ(PlotValueLabels(items, editor.mPlotRects[kPlotPreampLinear]).size(), c.preampRows);
  }
}

// The legend flag set by the non-linear plot alone: the hidden linear plot's
// chips must not flip its stages.
TEST_F(EditorFrame, HiddenPreampPlotLeavesNoChips) {
  ComputeAllPlots();
  editor.mPlotVisible[kPlotPreampLinear] = false;
  Frame();
  EXPECT_TRUE(editor.mLegendShown);
  EXPECT_TRUE(std::ranges::all_of(editor.mPreampCurveToggleRects[0], &IRECT::Empty));
  EXPECT_TRUE(std::ranges::none_of(editor.mPreampCurveToggleRects[1], &IRECT::Empty));
}

// A PLAY frame leaves a scrollbar; the script loses its controls and an EDIT
// frame draws none.
TEST_F(EditorFrame, NoEarlierScrollbarSurvivesAFrameWithoutOne) {
  std::string many;
  for (int i = 0; i < 40; ++i) many += "slider: \"S" + std::to_string(i) + "\"\n";
  editor.SetScriptText(many, {});
  editor.mPlayerView = true;
  Frame();
  ASSERT_FALSE(editor.mPlayerScrollThumbRect.Empty());
  editor.SetScriptText("", {});
  editor.mPlayerView = false;
  Frame();
  EXPECT_TRUE(editor.mPlayerScrollTrackRect.Empty());
  EXPECT_TRUE(editor.mPlayerScrollThumbRect.Empty());
}

// The background first, the header band, the footer last; the middle part
// alone belongs to the view.
TEST_F(EditorFrame, ViewsShareTheHeaderAndTheFooter) {
  for (const bool playerView : {false, true}) {
    editor.mPlayerView = playerView;
    const std::vector<DrawnItem> items = Frame();
    ASSERT_GE(items.size(), 3u);
    EXPECT_EQ(items.front().line, "fill " + Colour(PaletteColor(0)) + " (0,0,1392,783)");
    EXPECT_EQ(items.at(1).line, "fill " + Colour(PaletteColor(1)) + " (0,0,1392,68.525)");
    EXPECT_EQ(items.back().text.rfind("v1.0.4.535 | RELEASE", 0), 0u) << items.back().line;
    EXPECT_EQ(Texts(items, "USER CONTROLS SCRIPT").size(), playerView ? 0u : 1u);
    EXPECT_EQ(Texts(items, "This amp does not have user controls").size(), 1u) << "in either middle part";
  }
}

}  // namespace
}  // namespace orvane::testing
