#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "editing_test_support.h"
#include "editor/orvane_gui_control.h"

namespace orvane::testing {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

class EditingOperations : public EditingTest {
protected:
  void SetUp() override {
    plugin->Settle();
    adopted = plugin->RenderBlock();
  }

  // Whether a block now adopts a snapshot published since the last call.
  bool Committed() {
    const RuntimeSnapshot* current = plugin->RenderBlock();
    const bool fresh = current != adopted;
    adopted = current;
    return fresh;
  }

  const RuntimeSnapshot* adopted = nullptr;
};

TEST_F(EditingOperations, OversamplingTakesOnlyTheFourFactorsAndCommitsAndMutesOncePerChange) {
  plugin->SetOversampling(3);
  plugin->SetOversampling(16);
  EXPECT_FALSE(Committed());
  EXPECT_EQ(plugin->LiveState().oversampling, 1);

  plugin->SetOversampling(2);
  EXPECT_EQ(plugin->MuteWord(), kStandardMuteWord);
  ASSERT_TRUE(Committed());
  EXPECT_EQ(adopted->oversampling, 2);
  EXPECT_EQ(plugin->MuteWord(), 0u);  // taken by that block

  plugin->SetOversampling(2);
  EXPECT_EQ(plugin->MuteWord(), 0u);
  EXPECT_FALSE(Committed());
}

TEST_F(EditingOperations, KnobsAreClampedAndNonFiniteValuesIgnored) {
  plugin->SetKnob(2, 150.0);
  EXPECT_EQ(plugin->LiveDesign().amplifier.knobs[2], 100.0);
  ASSERT_TRUE(Committed());
  EXPECT_EQ(adopted->effectiveDesign.amplifier.knobs[2], 100.0);

  plugin->SetKnob(2, kNaN);
  plugin->SetKnob(7, 10.0);
  plugin->SetKnob(-1, 10.0);
  EXPECT_EQ(plugin->LiveDesign().amplifier.knobs[2], 100.0);
  EXPECT_FALSE(Committed());
}

TEST_F(EditingOperations, DraggedKnobWinsOverTheScriptMapping) {
  plugin->SetScriptAndValues("slider: \"Drive\"\ngain = x\n");
  plugin->SetPlayerControlValue(0, 80.0);
  plugin->SetKnob(0, 10.0);
  ASSERT_TRUE(Committed());
  EXPECT_EQ(adopted->effectiveDesign.amplifier.knobs[0], 10.0);
}

TEST_F(EditingOperations, TrimsAreClampedAndReachTheRenderSideAsLinearGains) {
  plugin->SetTrimGainDb(false, -200.0);
  EXPECT_EQ(plugin->LiveDesign().trims.outputGainDb, -120.0);
  EXPECT_DOUBLE_EQ(plugin->mRenderer.OutputGain(), 1e-6);

  plugin->SetTrimGainDb(true, -200.0);
  EXPECT_EQ(plugin->LiveDesign().trims.inputGainDb, -24.0);
  EXPECT_DOUBLE_EQ(plugin->mRenderer.InputGain(), std::pow(10.0, -24.0 / 20.0));

  plugin->SetTrimGainDb(true, kNaN);
  EXPECT_EQ(plugin->LiveDesign().trims.inputGainDb, -24.0);
  EXPECT_FALSE(Committed());  // the render thread reads the gains directly
  EXPECT_EQ(plugin->MuteWord(), 0u);
}

TEST_F(EditingOperations, BypassGainsSectionsAndToneStackPositionAreCheckedAndClamped) {
  plugin->SetBypassGainDb(5, 75.0);
  plugin->SetBypassGainDb(6, 10.0);
  plugin->SetBypassGainDb(0, std::numeric_limits<double>::infinity());
  plugin->SetToneStackPosition(9);
  const Design design = plugin->LiveDesign();
  EXPECT_EQ(design.amplifier.bypassGainDb[5], 60.0);
  EXPECT_EQ(design.amplifier.bypassGainDb[0], 0.0);
  EXPECT_EQ(design.amplifier.toneStackPosition, 4);

  plugin->SetToneStackPosition(-3);
  EXPECT_EQ(plugin->LiveDesign().amplifier.toneStackPosition, 1);
  EXPECT_TRUE(Committed());

  plugin->SetSectionEnabled(6, false);
  EXPECT_FALSE(Committed());
  plugin->SetSectionEnabled(1, true);  // already on: commits, no mute
  EXPECT_EQ(plugin->MuteWord(), 0u);
  EXPECT_TRUE(Committed());
  plugin->SetSectionEnabled(1, false);
  EXPECT_EQ(plugin->MuteWord(), kStandardMuteWord);
  ASSERT_TRUE(Committed());
  EXPECT_FALSE(adopted->editedDesign.amplifier.sections[1]);
}

TEST_F(EditingOperations, DnaGroupEditsThatChangeNothingDoNothing) {
  const DnaBytes dna = plugin->LiveDesign().amplifier.dna;
  std::array<std::uint8_t, kDnaPreampStageSize> stage{};
  std::copy(dna.begin() + 11, dna.begin() + 22, stage.begin());
  plugin->Edit([](PluginStateDocument& document) { document.design.name = "Edited"; });  // modified, unseen yet
  plugin->SetPreampStageDna(1, stage);
  EXPECT_FALSE(Committed());
  EXPECT_EQ(plugin->MuteWord(), 0u);
  EXPECT_FALSE(plugin->mPresetModified);  // no re-check either

  stage[3] ^= 0xFF;
  plugin->SetPreampStageDna(1, stage);
  EXPECT_EQ(plugin->MuteWord(), kStandardMuteWord);
  ASSERT_TRUE(Committed());
  EXPECT_EQ(adopted->editedDesign.amplifier.dna[14], stage[3]);
  EXPECT_TRUE(plugin->mPresetModified);
}

TEST_F(EditingOperations, DnaGroupsLandAtTheirOffsets) {
  const DnaBytes original = plugin->LiveDesign().amplifier.dna;
  plugin->CopyPreampStageDna(3, 0);
  plugin->CopyPreampStageDna(2, 2);  // same stage: nothing
  plugin->CopyPreampStageDna(4, 0);
  std::array<std::uint8_t, kDnaToneStackSize> tone{};
  tone.fill(7);
  plugin->SetToneStackDna(tone);
  std::array<std::uint8_t, kDnaPowerAmpSize> power{};
  power.fill(9);
  plugin->SetPowerAmpDna(power);
  plugin->SetDnaByte(73, 1);
  plugin->SetDnaByte(0, 200);

  const DnaBytes dna = plugin->LiveDesign().amplifier.dna;
  EXPECT_TRUE(std::equal(dna.begin() + 33, dna.begin() + 44, original.begin()));
  EXPECT_TRUE(std::equal(dna.begin() + 22, dna.begin() + 33, original.begin() + 22));
  EXPECT_TRUE(std::all_of(dna.begin() + 44, dna.begin() + 60, [](std::uint8_t b) { return b == 7; }));
  EXPECT_TRUE(std::all_of(dna.begin() + 60, dna.end(), [](std::uint8_t b) { return b == 9; }));
  EXPECT_EQ(dna[0], 200);
}

TEST_F(EditingOperations, SwitchingTheAmplifierMutesOnlyOnAChange) {
  plugin->SetAmplifierEnabled(true);
  EXPECT_EQ(plugin->MuteWord(), 0u);
  EXPECT_FALSE(plugin->mPresetModified);

  plugin->SetAmplifierEnabled(false);
  EXPECT_EQ(plugin->MuteWord(), kStandardMuteWord);
  EXPECT_FALSE(plugin->mRenderer.AmpEnabled());
  EXPECT_FALSE(plugin->LiveState().amplifierEnabled);
  EXPECT_FALSE(plugin->mPresetModified);
  EXPECT_FALSE(Committed());
}

TEST_F(EditingOperations, AnEditRevertedLeavesThePresetUnmodified) {
  ASSERT_TRUE(plugin->mHasPresetBaseline);
  plugin->OpenHeadlessEditor();
  const double knob = plugin->LiveDesign().amplifier.knobs[4];
  plugin->SetKnob(4, knob + 10.0);
  EXPECT_TRUE(plugin->mPresetModified);
  EXPECT_TRUE(plugin->mEditorControl->mPresetModified);

  plugin->SetKnob(4, knob);
  EXPECT_FALSE(plugin->mPresetModified);
  EXPECT_FALSE(plugin->mEditorControl->mPresetModified);

  plugin->SetDesignName("Other");
  EXPECT_TRUE(plugin->mPresetModified);
  plugin->SetDesignName(plugin->mPresetBaseline.name);
  EXPECT_FALSE(plugin->mPresetModified);
}

TEST_F(EditingOperations, ANewScriptKeepsFittedValuesAndABrokenOneKeepsThemAsTheyWere) {
  plugin->OpenHeadlessEditor();
  plugin->SetScriptAndValues(kPlayerScript);
  EXPECT_EQ(plugin->LiveState().playerControlValues, (std::vector<double>{0.0, 50.0, 0.0}));

  plugin->SetPlayerControlValue(1, 250.0);
  plugin->SetPlayerControlValue(2, 1.6);
  plugin->SetScriptAndValues(kPlayerScript);  // fitting: slider at most 100, switch rounded
  EXPECT_EQ(plugin->LiveState().playerControlValues, (std::vector<double>{0.0, 100.0, 2.0}));
  EXPECT_EQ(plugin->LiveDesign().playerControlValues, plugin->LiveState().playerControlValues);
  EXPECT_EQ(plugin->mEditorControl->mScriptText, kPlayerScript);

  plugin->SetScriptAndValues("slider \"broken\"");
  EXPECT_EQ(plugin->LiveState().playerControlValues, (std::vector<double>{0.0, 100.0, 2.0}));
  ASSERT_TRUE(Committed());
  EXPECT_FALSE(adopted->script.error.empty());
}

TEST_F(EditingOperations, ANewScriptForgetsWhichControllersMoved) {
  plugin->SetScriptAndValues(kPlayerScript);
  plugin->SendControlChange(21, 127);
  plugin->RenderBlock();
  ASSERT_TRUE(plugin->mRenderer.MidiCCSeen(21));
  plugin->SetScriptAndValues(kPlayerScript);
  EXPECT_FALSE(plugin->mRenderer.MidiCCSeen(21));
}

TEST_F(EditingOperations, PlayerValuesMuteForSwitchesAndTakeOverFromTheirController) {
  plugin->SetScriptAndValues(kPlayerScript);
  Committed();
  plugin->SendControlChange(20, 127);
  plugin->SendControlChange(21, 127);
  plugin->RenderBlock();
  ASSERT_TRUE(plugin->mRenderer.MidiCCSeen(20));

  plugin->SetPlayerControlValue(1, 30.0);  // a slider: no mute
  EXPECT_EQ(plugin->MuteWord(), 0u);
  EXPECT_FALSE(plugin->mRenderer.MidiCCSeen(21));
  EXPECT_TRUE(plugin->mRenderer.MidiCCSeen(20));

  plugin->SetPlayerControlValue(0, 1.0);
  EXPECT_EQ(plugin->MuteWord(), kStandardMuteWord);
  EXPECT_FALSE(plugin->mRenderer.MidiCCSeen(20));
  ASSERT_TRUE(Committed());
  EXPECT_EQ(adopted->playerControlValues, (std::vector<double>{1.0, 30.0, 0.0}));
  EXPECT_EQ(plugin->LiveDesign().playerControlValues, adopted->playerControlValues);

  plugin->Settle();
  plugin->SetPlayerControlValue(0, 1.0);  // the switch stays where it was
  EXPECT_EQ(plugin->MuteWord(), 0u);
  plugin->SetPlayerControlValue(3, 1.0);
  plugin->SetPlayerControlValue(0, kNaN);
  EXPECT_EQ(plugin->LiveState().playerControlValues, (std::vector<double>{1.0, 30.0, 0.0}));
}

}  // namespace
}  // namespace orvane::testing
