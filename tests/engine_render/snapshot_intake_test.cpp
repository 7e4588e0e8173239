#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "design/design.h"
#include "engine/engine_units.h"
#include "engine/render/amp_renderer.h"
#include "render_test_support.h"

namespace orvane {
namespace {

using testing::BlockRunner;
using testing::MakeRenderer;
using testing::TestCommitter;

Design Named(int number) {
  Design design = MakeDefaultDesign();
  design.name = std::to_string(number);
  return design;
}

std::string CurrentName(const AmpRenderer& renderer) {
  return renderer.CurrentSnapshot() != nullptr ? renderer.CurrentSnapshot()->editedDesign.name : "none";
}

TEST(RetiredRing, FullRingLeavesTheNewestSnapshotPendingUntilAReclaim) {
  auto renderer = MakeRenderer(MakeDefaultDesign());
  BlockRunner runner(*renderer);
  EXPECT_EQ(renderer->CurrentSnapshot(), nullptr);
  for (int k = 1; k <= 33; ++k) {
    renderer->PublishSnapshot(TestCommitter(*renderer).Build(Named(k)));
    runner.RunBlock();
    ASSERT_EQ(CurrentName(*renderer), std::to_string(k));
  }
  EXPECT_TRUE(renderer->RetiredRingFull());
  renderer->PublishSnapshot(TestCommitter(*renderer).Build(Named(34)));
  runner.Run(3);
  EXPECT_EQ(CurrentName(*renderer), "33");

  EXPECT_EQ(renderer->ReclaimRetiredSnapshots(), 32u);
  EXPECT_FALSE(renderer->RetiredRingFull());
  runner.RunBlock();
  EXPECT_EQ(CurrentName(*renderer), "34");
  EXPECT_EQ(renderer->ReclaimRetiredSnapshots(), 1u);
  EXPECT_EQ(renderer->ReclaimRetiredSnapshots(), 0u);
}

TEST(RetiredRing, IndicesKeepWorkingAcrossManyLaps) {
  auto renderer = MakeRenderer(MakeDefaultDesign());
  TestCommitter committer(*renderer);
  BlockRunner runner(*renderer);
  for (int k = 1; k <= 200; ++k) {
    committer.Commit(Named(k));
    runner.RunBlock();
    ASSERT_EQ(CurrentName(*renderer), std::to_string(k));
  }
  committer.Reclaim();
  EXPECT_EQ(committer.Reclaimed(), 199u);
}

TEST(SnapshotIntake, OnlyTheNewestOfTwoCommitsReachesTheRenderThread) {
  auto renderer = MakeRenderer(MakeDefaultDesign());
  TestCommitter committer(*renderer);
  committer.Commit(Named(1));
  committer.Commit(Named(2));
  BlockRunner runner(*renderer);
  runner.RunBlock();
  EXPECT_EQ(CurrentName(*renderer), "2");
  EXPECT_EQ(renderer->ReclaimRetiredSnapshots(), 0u);  // the first was freed by the second commit
}

TEST(SnapshotIntake, NothingIsTakenWhileTheAmplifierIsOffOrWithoutEngines) {
  auto renderer = MakeRenderer(MakeDefaultDesign());
  TestCommitter committer(*renderer);
  committer.Commit(Named(1));
  renderer->SetAmpEnabled(false);
  BlockRunner runner(*renderer);
  runner.RunBlock();
  EXPECT_EQ(renderer->CurrentSnapshot(), nullptr);
  renderer->SetAmpEnabled(true);
  runner.RunBlock();
  EXPECT_EQ(CurrentName(*renderer), "1");

  AmpRenderer engineless;
  TestCommitter(engineless).Commit(Named(1));
  BlockRunner(engineless).RunBlock();
  EXPECT_EQ(engineless.CurrentSnapshot(), nullptr);
}

TEST(SnapshotIntake, EffectiveDesignAndOversamplingReachBothEngines) {
  auto renderer = MakeRenderer(MakeDefaultDesign());
  Design design = MakeDefaultDesign();
  design.amplifier.knobs[kKnobTreble] = 90.0;
  design.amplifier.toneStackPosition = 2;
  design.amplifier.sections[kSectionPreamp3] = false;
  TestCommitter(*renderer).Commit(design, 4);
  BlockRunner(*renderer).RunBlock();
  EXPECT_EQ(renderer->AppliedSettings(), orvane::EngineSettingsOf(design, 4));
  for (int c = 0; c < 2; ++c) {
    AmpEngine& engine = *renderer->Engine(c);
    EXPECT_EQ(engine.OversamplingFactor(), 4);
    EXPECT_TRUE(engine.OversamplingActive());
    EXPECT_EQ(engine.ToneStackPosition(), 2);
    EXPECT_FALSE(engine.SectionOn(kSectionPreamp3));
    EXPECT_EQ(engine.Knobs()[kKnobTreble], 90.0);
  }
}

// A change of factor re-rates every filter; the engines must come out of it at
// rest, or the resting stage voltages reach the output as a thump that
// outlasts the mute posted with the change.
TEST(SnapshotIntake, OversamplingChangesLeaveBothEnginesAtRestOnSilence) {
  constexpr double kRestBound = 1e-6;
  constexpr int kSettledBlocks = 60;
  constexpr int kBlocksAfterChange = 300;  // 400 ms, several times the slowest filter's time constant
  const Design design = MakeDefaultDesign();
  auto renderer = MakeRenderer(design);
  TestCommitter committer(*renderer);
  BlockRunner runner(*renderer, 2, 2);
  runner.Run(kSettledBlocks);
  ASSERT_EQ(renderer->SettleState(), SettleMonitor::State::kDone);
  for (int factor : {2, 8, 1}) {
    committer.Commit(design, factor);
    const auto from = static_cast<std::size_t>(runner.Position());
    runner.Run(kBlocksAfterChange);
    ASSERT_EQ(renderer->Engine(0)->OversamplingFactor(), factor);
    ASSERT_EQ(renderer->Engine(1)->OversamplingFactor(), factor);
    for (int c = 0; c < 2; ++c) {
      const auto& out = runner.Output(c);
      double peak = 0.0;
      for (std::size_t i = from; i < out.size(); ++i) peak = std::max(peak, std::fabs(out[i]));
      EXPECT_LT(peak, kRestBound) << "channel " << c << " after the change to " << factor;
    }
  }
}

// ApplyEngineSettings touches only what differs from the applied settings; an
// engine value set behind its back shows whether a setter ran again.
class ChangedOnlySettings : public ::testing::Test {
protected:
  void SetUp() override {
    renderer = MakeRenderer(design);
    engine = renderer->Engine(0);
  }

  Design design = MakeDefaultDesign();
  std::unique_ptr<AmpRenderer> renderer;
  AmpEngine* engine = nullptr;
};

TEST_F(ChangedOnlySettings, SectionFlagChangeLeavesTrimsAndKnobsAlone) {
  engine->SetSectionTrimDb(kSectionPreamp2, -20.0);
  AmpKnobs knobs = engine->Knobs();
  knobs[kKnobBass] = 3.0;
  engine->SetKnobs(knobs);
  design.amplifier.sections[kSectionPreamp2] = false;
  renderer->ApplySnapshotSettings(design, 1);
  EXPECT_FALSE(engine->SectionOn(kSectionPreamp2));
  EXPECT_DOUBLE_EQ(engine->TrimGlide(kSectionPreamp2).Target(), DbToGain(-20.0));
  EXPECT_EQ(engine->Knobs()[kKnobBass], 3.0);
}

TEST_F(ChangedOnlySettings, TrimChangeSetsFiniteTrimsAndKeepsTheOthers) {
  design.amplifier.bypassGainDb = {-6.0, 100.0, std::numeric_limits<double>::quiet_NaN(), 0.0, 0.0, 0.0};
  renderer->ApplySnapshotSettings(design, 1);
  EXPECT_DOUBLE_EQ(engine->TrimGlide(kSectionPreamp1).Target(), DbToGain(-6.0));
  EXPECT_DOUBLE_EQ(engine->TrimGlide(kSectionPreamp2).Target(), DbToGain(60.0));
  EXPECT_DOUBLE_EQ(engine->TrimGlide(kSectionPreamp3).Target(), 1.0);
}

TEST_F(ChangedOnlySettings, KnobChangeRunsOnlyTheKnobs) {
  DnaBytes foreign = engine->Dna();
  foreign[0] = static_cast<std::uint8_t>(foreign[0] + 1);
  engine->SetDna(foreign);
  engine->SetToneStackPosition(1);
  design.amplifier.knobs[kKnobMid] = 77.0;
  renderer->ApplySnapshotSettings(design, 1);
  EXPECT_EQ(engine->Knobs()[kKnobMid], 77.0);
  EXPECT_EQ(engine->Dna(), foreign);
  EXPECT_EQ(engine->ToneStackPosition(), 1);
  EXPECT_EQ(engine->OversamplingFactor(), 1);
}

TEST_F(ChangedOnlySettings, OutOfRangeValuesAreLimitedByTheEngine) {
  EngineSettings settings = renderer->AppliedSettings();
  settings.oversampling = 64;
  settings.toneStackPosition = 9;
  renderer->ApplyEngineSettings(settings);
  EXPECT_EQ(engine->OversamplingFactor(), 8);
  EXPECT_EQ(engine->ToneStackPosition(), 4);
  EXPECT_EQ(renderer->AppliedSettings(), settings);
}

}  // namespace
}  // namespace orvane
