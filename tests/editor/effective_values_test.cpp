#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "editor_harness.h"

namespace orvane::testing {
namespace {

using Kinds = std::set<PlotKind>;

Kinds DirtyPlots(const OrvaneGUIControl& editor) {
  Kinds dirty;
  for (int kind = 0; kind < kPlotKindCount; ++kind)
    if (editor.IsPlotDirty(static_cast<PlotKind>(kind))) dirty.insert(static_cast<PlotKind>(kind));
  return dirty;
}

// The plug-in core's way: write the design copy, then refresh.
TEST(EditorEffectiveValues, ARefreshRaisesThePlotsOfWhatChanged) {
  struct Case {
    const char* what;
    std::function<void(OrvaneGUIControl&)> edit;
    Kinds raised;
  };
  const auto byte = [](int index) { return [index](OrvaneGUIControl& e) { e.mDesignDna[index] ^= 1; }; };
  const auto knob = [](AmpKnob k) { return [k](OrvaneGUIControl& e) { e.mDesignKnobs[k] = 7.0; }; };
  const std::vector<Case> cases = {
      {"stage 1 AC coupling", byte(0), {kPlotPreampLinear}},
      {"stage 3 tube gain", byte(25), {kPlotPreampLinear, kPlotPreampNonLinear}},
      {"stage 2 saturation limit", byte(16), {kPlotPreampNonLinear}},
      {"stage 2 bandwidth", byte(20), {kPlotPreampLinear}},
      {"stage 1 gain-knob effect", byte(10), {}},
      {"tone stack", byte(50), {kPlotToneStack}},
      {"power gain", byte(60), {kPlotPowerAmpLinear, kPlotPowerAmpNonLinear}},
      {"power cut-off hardness", byte(63), {kPlotPowerAmpNonLinear}},
      {"power crossover range", byte(66), {kPlotPowerAmpNonLinear}},
      {"power AC coupling", byte(67), {kPlotPowerAmpLinear}},
      {"power resonance gain", byte(70), {kPlotPowerAmpLinear}},
      {"bass", knob(kKnobBass), {kPlotToneStack}},
      {"presence", knob(kKnobPresence), {kPlotPowerAmpLinear}},
      {"gain", knob(kKnobGain), {}},
      {"master", knob(kKnobMaster), {}},
  };
  EditorHarness harness;
  OrvaneGUIControl& editor = harness.Editor();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    editor.mPlotDirty.fill(false);
    c.edit(editor);
    editor.RefreshEffectiveAmp();
    EXPECT_EQ(DirtyPlots(editor), c.raised);
  }
}

TEST(EditorEffectiveValues, MappingsApplyOnlyWhileTheScriptIsValid) {
  EditorSetup setup;
  setup.script = "slider: \"Drive\"\ndna3 = x * 2\nbass = 100 - x\n";
  setup.playerValues = {20.0};
  EditorHarness harness(setup);
  OrvaneGUIControl& editor = harness.Editor();
  EXPECT_EQ(editor.mEffectiveDna[3], 102);  // 40 % of the byte range
  EXPECT_EQ(editor.mEffectiveKnobs[kKnobBass], 80.0);
  EXPECT_TRUE(editor.mDnaMapped[3]);
  EXPECT_TRUE(editor.mKnobMapped[kKnobBass]);
  EXPECT_EQ(std::count(editor.mDnaMapped.begin(), editor.mDnaMapped.end(), true), 1);

  editor.mPlotDirty.fill(false);
  editor.SetScriptText("slider \"broken\"", editor.mPlayerValues);
  EXPECT_EQ(editor.mEffectiveDna, editor.mDesignDna);
  EXPECT_EQ(editor.mEffectiveKnobs, editor.mDesignKnobs);
  EXPECT_EQ(std::count(editor.mDnaMapped.begin(), editor.mDnaMapped.end(), true), 0);
  EXPECT_EQ(std::count(editor.mKnobMapped.begin(), editor.mKnobMapped.end(), true), 0);
  EXPECT_EQ(DirtyPlots(editor), (Kinds{kPlotPreampLinear, kPlotPreampNonLinear, kPlotToneStack}));
}

TEST(EditorEffectiveValues, ControllersMoveTheirBoundControls) {
  EditorSetup setup;
  setup.script = "slider: \"Drive\"\n[cc7]\ngain = x\nswitch,3: \"Ch\", \"A\", \"B\", \"C\"\n[cc9]\nbass = 0, 50, 100\n";
  struct Case {
    int cc;
    int value;
    std::vector<double> values;  // slider, switch
  };
  const Case cases[] = {
      {7, 127, {100, 0}}, {7, 64, {50, 0}}, {7, 1, {1, 0}},    {9, 42, {50, 0}},
      {9, 43, {50, 1}},   {9, 85, {50, 1}}, {9, 86, {50, 2}}, {9, 127, {50, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "cc" << c.cc << " = " << c.value);
    EditorHarness harness(setup);
    harness.SendController(c.cc, c.value);
    harness.Editor().ApplyMidiCCToPlayerControls();
    EXPECT_EQ(harness.Editor().mPlayerValues, c.values);
  }

  EditorHarness harness(setup);
  OrvaneGUIControl& editor = harness.Editor();
  harness.SendController(9, 127);
  editor.UpdatePlots();
  EXPECT_EQ(harness.TakeCalls(), std::vector<std::string>{"onPlayerControlsChanged(1: 2)"});
  EXPECT_EQ(editor.mEffectiveKnobs[kKnobBass], 100.0);

  harness.SendController(9, 127);  // a new message with the value the control has
  editor.UpdatePlots();
  harness.midiStates[9] -= 127;  // another value under the same counter: no new message
  editor.UpdatePlots();
  EXPECT_TRUE(harness.TakeCalls().empty());

  editor.SetScriptText("slider \"broken\"", editor.mPlayerValues);
  harness.SendController(7, 0);
  editor.UpdatePlots();
  EXPECT_TRUE(harness.TakeCalls().empty());
  EXPECT_EQ(editor.mPlayerValues, (std::vector<double>{50, 2}));
}

}  // namespace
}  // namespace orvane::testing
