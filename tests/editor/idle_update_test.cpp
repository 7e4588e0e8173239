#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>

#include "editor_harness.h"
#include "plugin/theme_palette.h"

namespace orvane::testing {
namespace {

using plugkit::graphics::ILayer;

constexpr PlotKind kAllKinds[] = {kPlotPreampLinear, kPlotPreampNonLinear, kPlotToneStack, kPlotPowerAmpLinear,
                                  kPlotPowerAmpNonLinear};

// The plot the tick recomputed (its dirty flag fell), or -1.
int Tick(OrvaneGUIControl& editor) {
  std::set<int> before;
  for (PlotKind kind : kAllKinds)
    if (editor.IsPlotDirty(kind)) before.insert(kind);
  editor.UpdatePlots();
  for (PlotKind kind : kAllKinds)
    if (before.count(kind) != 0 && !editor.IsPlotDirty(kind)) return kind;
  return -1;
}

void ShowAllPlots(OrvaneGUIControl& editor, bool shown) { editor.mPlotVisible.fill(shown); }

TEST(EditorIdleUpdate, OneVisibleDirtyPlotPerTickInPlotOrder) {
  const struct {
    std::set<PlotKind> hidden;
    std::vector<int> computed;
  } cases[] = {
      {{}, {0, 1, 2, 3, 4, -1}},
      {{kPlotToneStack}, {0, 1, 3, 4, -1}},
      {{kPlotPreampLinear, kPlotPowerAmpNonLinear}, {1, 2, 3, -1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.computed.size());
    EditorHarness harness;
    OrvaneGUIControl& editor = harness.Editor();
    for (PlotKind kind : c.hidden) editor.mPlotVisible[kind] = false;
    std::vector<int> computed;
    for (std::size_t tick = 0; tick < c.computed.size(); ++tick) {
      const int kind = Tick(editor);
      computed.push_back(kind);
      // Each plot's curves become valid with its own tick, not before.
      for (PlotKind other : kAllKinds) {
        const bool done = std::find(computed.begin(), computed.end(), other) != computed.end();
        EXPECT_EQ(PlotCurvesValid(editor.mPlotData, other), done) << "plot " << other << " after tick " << tick;
      }
    }
    EXPECT_EQ(computed, c.computed);

    // A hidden plot stays dirty until it is shown.
    for (PlotKind kind : c.hidden) {
      EXPECT_TRUE(editor.IsPlotDirty(kind));
      editor.mPlotVisible[kind] = true;
    }
    for (std::size_t tick = 0; tick < c.hidden.size(); ++tick) Tick(editor);
    for (PlotKind kind : kAllKinds) EXPECT_TRUE(PlotCurvesValid(editor.mPlotData, kind)) << "plot " << kind;
  }
}

TEST(EditorIdleUpdate, ThePlayViewComputesNothingWhileTheAnimationsMove) {
  EditorSetup setup;
  setup.playerView = true;
  EditorHarness harness(setup);
  OrvaneGUIControl& editor = harness.Editor();
  editor.mViewAnimation = 1.f;
  for (int tick = 0; tick < 3; ++tick) {
    editor.ClearDirty();
    EXPECT_EQ(Tick(editor), -1);
    EXPECT_TRUE(editor.IsDirty());
  }
  EXPECT_LT(editor.mViewAnimation, 0.6f);
  for (PlotKind kind : kAllKinds) EXPECT_FALSE(PlotCurvesValid(editor.mPlotData, kind));
}

TEST(EditorIdleUpdate, TheLinearPlotsFollowTheHostRate) {
  EditorHarness harness;
  OrvaneGUIControl& editor = harness.Editor();
  for (int tick = 0; tick < kPlotKindCount; ++tick) Tick(editor);
  ShowAllPlots(editor, false);

  for (double ignored : {0.0, -44100.0, std::nan(""), 48000.0}) {
    SCOPED_TRACE(ignored);
    harness.sampleRate = ignored;
    editor.UpdatePlots();
    EXPECT_EQ(editor.mPlotSampleRate, 48000.0);
    for (PlotKind kind : kAllKinds) EXPECT_FALSE(editor.IsPlotDirty(kind)) << "plot " << kind;
  }

  harness.sampleRate = 44100.0;
  editor.UpdatePlots();
  EXPECT_EQ(editor.mPlotSampleRate, 44100.0);
  for (PlotKind kind : kAllKinds) {
    const bool linear = kind == kPlotPreampLinear || kind == kPlotToneStack || kind == kPlotPowerAmpLinear;
    EXPECT_EQ(editor.IsPlotDirty(kind), linear) << "plot " << kind;
  }
  ShowAllPlots(editor, true);
  for (int tick = 0; tick < 3; ++tick) Tick(editor);
  for (PlotKind kind : kAllKinds) EXPECT_TRUE(PlotCurvesValid(editor.mPlotData, kind)) << "plot " << kind;
  EXPECT_EQ(editor.mPlotData.PowerResponse().frequencies.back(), 22050.0);
}

TEST(EditorIdleUpdate, AnimationsEaseTowardTheirTargetsInBoundedSteps) {
  const bool wasDark = ThemePalette.IsDark();
  struct Case {
    const char* what;
    float OrvaneGUIControl::*value;
    std::function<void(OrvaneGUIControl&)> aimAtOne;
  };
  const Case cases[] = {
      {"theme", &OrvaneGUIControl::mThemeAnimation, [](OrvaneGUIControl&) { ApplyColourTheme(true); }},
      {"view", &OrvaneGUIControl::mViewAnimation, [](OrvaneGUIControl& e) { e.mPlayerView = false; }},
      {"amplifier", &OrvaneGUIControl::mAmplifierAnimation, [](OrvaneGUIControl& e) { e.mAmplifierEnabled = true; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EditorHarness harness;
    OrvaneGUIControl& editor = harness.Editor();
    ShowAllPlots(editor, false);
    c.aimAtOne(editor);
    float& value = editor.*c.value;
    value = 0.5f;
    for (float expected : {0.64f, 0.78f, 0.92f, 1.f}) {
      editor.ClearDirty();
      editor.UpdatePlots();
      EXPECT_FLOAT_EQ(value, expected);
      EXPECT_TRUE(editor.IsDirty());
    }
    EXPECT_EQ(value, 1.f);
    editor.ClearDirty();
    editor.UpdatePlots();
    EXPECT_FALSE(editor.IsDirty());
    value = 0.999f;  // within the snap distance: set exactly, nothing redrawn
    editor.ClearDirty();
    editor.UpdatePlots();
    EXPECT_EQ(value, 1.f);
    EXPECT_FALSE(editor.IsDirty());
  }
  ApplyColourTheme(wasDark);
}

TEST(EditorIdleUpdate, AComputedPlotRedrawsItsLayerAndTheControl) {
  EditorHarness harness;
  OrvaneGUIControl& editor = harness.Editor();
  for (auto& layer : editor.mPlotLayers) layer = std::make_unique<ILayer>(nullptr, IRECT(), &editor, IRECT());
  editor.ClearDirty();
  EXPECT_EQ(Tick(editor), kPlotPreampLinear);
  for (PlotKind kind : kAllKinds) EXPECT_EQ(editor.mPlotLayers[kind]->IsInvalid(), kind == kPlotPreampLinear);
  EXPECT_TRUE(editor.IsDirty());

  // Nothing to compute and nothing moving: nothing to redraw.
  ShowAllPlots(editor, false);
  editor.ClearDirty();
  EXPECT_EQ(Tick(editor), -1);
  EXPECT_FALSE(editor.IsDirty());
}

}  // namespace
}  // namespace orvane::testing
