#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "design/design.h"
#include "engine/render/amp_renderer.h"
#include "render_test_support.h"

namespace orvane {
namespace {

using testing::BlockRunner;
using testing::kControlChange;
using testing::MakeRenderer;
using testing::TestCommitter;

constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint64_t kCounterStep = 0x100;

TEST(ControllerSlots, EveryMessageRaisesTheCounterAndKeepsTheLatestValue) {
  AmpRenderer renderer;
  renderer.HandleMidiInput(kControlChange, 7, 64);
  renderer.HandleMidiInput(kControlChange | 0x0F, 7, 64);  // any channel
  EXPECT_EQ(renderer.ReadMidiCCSlot(7), 2 * kCounterStep + 64);
  renderer.HandleMidiInput(kControlChange, 7, 0xFF);  // only 7 bits of value
  EXPECT_EQ(renderer.ReadMidiCCSlot(7), 3 * kCounterStep + 127);
  renderer.HandleMidiInput(kControlChange, 7, 0);
  EXPECT_EQ(renderer.ReadMidiCCSlot(7), 4 * kCounterStep);
  EXPECT_EQ(renderer.ReadMidiCCSlot(8), 0u);
}

TEST(ControllerSlots, OtherMessagesAndControllerBytesAbove127AreIgnored) {
  AmpRenderer renderer;
  renderer.HandleMidiInput(kNoteOn, 7, 100);
  renderer.HandleMidiInput(kControlChange, 128, 100);
  renderer.HandleMidiInput(kControlChange, 255, 100);
  for (int cc = 0; cc < kMidiControllerCount; ++cc) ASSERT_EQ(renderer.ReadMidiCCSlot(cc), 0u) << cc;
}

TEST(ControllerSlots, NumbersOutsideTheControllerRangeReadAsZero) {
  AmpRenderer renderer;
  renderer.HandleMidiInput(kControlChange, 0, 5);
  renderer.HandleMidiInput(kControlChange, 127, 5);
  for (int cc : {-1, 128, INT_MIN, INT_MAX}) {
    EXPECT_EQ(renderer.ReadMidiCCSlot(cc), 0u) << cc;
    EXPECT_FALSE(renderer.MidiCCSeen(cc)) << cc;
    renderer.ClearMidiCCSeenFlag(cc);
  }
}

// A design whose script binds a slider on controller 7 to the gain knob and a
// three-way switch on controller 20 to preamp 2, running past the settle.
class ControllerMapping : public ::testing::Test {
protected:
  static constexpr int kSliderCC = 7;
  static constexpr int kSwitchCC = 20;

  void SetUp() override {
    design.script =
        "slider: \"Drive\"\n[cc7]\ngain = x\n"
        "switch,3: \"Channel\", \"Clean\", \"Crunch\", \"Lead\"\n[cc20]\npreamp2 = 0, 1, 1\n";
    design.playerControlValues = {10.0, 1.0};
    renderer = MakeRenderer(design);
    committer = std::make_unique<TestCommitter>(*renderer);
    runner = std::make_unique<BlockRunner>(*renderer);
    Commit();
  }

  void Commit() {
    committer->Commit(design);
    runner->RunBlock();
  }

  double MoveController(int cc, int value) {
    renderer->HandleMidiInput(kControlChange, static_cast<std::uint8_t>(cc), static_cast<std::uint8_t>(value));
    runner->RunBlock();
    const int control = cc == kSliderCC ? 0 : 1;
    return renderer->CurrentSnapshot()->playerControlValues[static_cast<std::size_t>(control)];
  }

  Design design = MakeDefaultDesign();
  std::unique_ptr<AmpRenderer> renderer;
  std::unique_ptr<TestCommitter> committer;
  std::unique_ptr<BlockRunner> runner;
};

TEST_F(ControllerMapping, SliderAndSwitchValuesFromControllerValues) {
  EXPECT_EQ(MoveController(kSliderCC, 64), 50.0);
  EXPECT_EQ(MoveController(kSliderCC, 127), 100.0);
  EXPECT_EQ(MoveController(kSliderCC, 0), 0.0);
  EXPECT_EQ(MoveController(kSwitchCC, 42), 0.0);
  EXPECT_EQ(MoveController(kSwitchCC, 43), 1.0);
  EXPECT_EQ(MoveController(kSwitchCC, 127), 2.0);
}

TEST_F(ControllerMapping, MovedControllerReachesTheEnginesAtOnce) {
  MoveController(kSliderCC, 127);
  MoveController(kSwitchCC, 0);
  for (int c = 0; c < 2; ++c) {
    EXPECT_EQ(renderer->Engine(c)->Knobs()[kKnobGain], 100.0);
    EXPECT_FALSE(renderer->Engine(c)->SectionOn(kSectionPreamp2));
  }
  EXPECT_EQ(renderer->AppliedSettings().knobs[kKnobGain], 100.0);
  // The snapshot's effective design stays as committed.
  EXPECT_EQ(renderer->CurrentSnapshot()->effectiveDesign.amplifier.knobs[kKnobGain], 10.0);
}

TEST_F(ControllerMapping, SeenFlagMarksControllersThatDriveAControl) {
  EXPECT_FALSE(renderer->MidiCCSeen(kSliderCC));
  MoveController(kSliderCC, 13);  // player value 10: unchanged, still seen
  EXPECT_TRUE(renderer->MidiCCSeen(kSliderCC));
  EXPECT_EQ(renderer->AppliedSettings().knobs[kKnobGain], 10.0);
  renderer->HandleMidiInput(kControlChange, 9, 100);  // drives no control
  runner->RunBlock();
  EXPECT_FALSE(renderer->MidiCCSeen(9));

  MoveController(kSwitchCC, 127);
  renderer->ClearMidiCCSeenFlag(kSwitchCC);
  EXPECT_TRUE(renderer->MidiCCSeen(kSliderCC));
  EXPECT_FALSE(renderer->MidiCCSeen(kSwitchCC));
  renderer->ClearMidiCCSeenFlags();
  EXPECT_FALSE(renderer->MidiCCSeen(kSliderCC));
}

TEST_F(ControllerMapping, CommitSeedsValuesOfSeenControllers) {
  MoveController(kSliderCC, 127);
  Commit();
  EXPECT_EQ(renderer->CurrentSnapshot()->playerControlValues[0], 100.0);
  EXPECT_EQ(renderer->CurrentSnapshot()->effectiveDesign.amplifier.knobs[kKnobGain], 100.0);
}

TEST_F(ControllerMapping, ScriptErrorIgnoresMovesButRecordsThemAsLookedAt) {
  const std::string goodScript = design.script;
  design.script += "nonsense\n";
  Commit();
  ASSERT_FALSE(renderer->CurrentSnapshot()->script.error.empty());
  renderer->HandleMidiInput(kControlChange, kSliderCC, 127);
  runner->RunBlock();
  EXPECT_FALSE(renderer->MidiCCSeen(kSliderCC));
  EXPECT_EQ(renderer->AppliedSettings().knobs[kKnobGain], 50.0);  // the edited design's knob

  // With the script mended, the move already looked at is not replayed.
  design.script = goodScript;
  Commit();
  runner->RunBlock();
  EXPECT_EQ(renderer->CurrentSnapshot()->playerControlValues[0], 10.0);
  EXPECT_EQ(renderer->AppliedSettings().knobs[kKnobGain], 10.0);
}

TEST_F(ControllerMapping, MappingThatFailsAtTheNewValueAppliesNothing) {
  // The parser proves slider formulas at whole positions; a script record
  // built by other means may still fail, here by dividing by zero at 50.
  auto snapshot = committer->Build(design);
  ASSERT_EQ(CompiledFormula::Compile("100 / (x - 50)", true, snapshot->script.controls[0].mappings[0].compiled),
            FormulaError::kNone);
  renderer->PublishSnapshot(std::move(snapshot));
  runner->RunBlock();
  const EngineSettings before = renderer->AppliedSettings();
  EXPECT_EQ(MoveController(kSliderCC, 64), 50.0);
  EXPECT_EQ(renderer->AppliedSettings(), before);
  EXPECT_TRUE(renderer->MidiCCSeen(kSliderCC));
  EXPECT_EQ(MoveController(kSliderCC, 127), 100.0);
  EXPECT_EQ(renderer->AppliedSettings().knobs[kKnobGain], 2.0);
}

TEST_F(ControllerMapping, ValuesThatDoNotFitTheScriptApplyNothing) {
  design.playerControlValues = {10.0};  // the switch has no value
  Commit();
  const EngineSettings before = renderer->AppliedSettings();
  EXPECT_EQ(MoveController(kSliderCC, 127), 100.0);
  EXPECT_EQ(renderer->AppliedSettings(), before);
  renderer->HandleMidiInput(kControlChange, kSwitchCC, 127);
  runner->RunBlock();
  EXPECT_FALSE(renderer->MidiCCSeen(kSwitchCC));
}

TEST_F(ControllerMapping, NothingIsMappedWithoutASnapshot) {
  AmpRenderer bare;
  bare.HandleMidiInput(kControlChange, kSliderCC, 127);
  bare.MapMidiCCToControls();
  EXPECT_FALSE(bare.MidiCCSeen(kSliderCC));
}

}  // namespace
}  // namespace orvane
