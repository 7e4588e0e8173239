#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "design/design.h"
#include "engine/render/amp_renderer.h"
#include "render_test_support.h"

namespace orvane {
namespace {

using testing::BlockRunner;
using testing::kTestBlock;
using testing::kTestRate;
using testing::MakeRenderer;
using testing::TestCommitter;
using testing::TestSine;

// Settle at 48 kHz in 64-frame blocks: 50 ms delay ends in block 37, the first
// 5 ms window (blocks 38-41) is flat, so the fade-in starts at sample 2688.
constexpr long kFirstSoundSample = 2688;
constexpr long kFadeInSamples = 240;
// Never flat: windows are judged every 4 blocks until 1 s of probing is spent.
constexpr long kTimeoutFirstSoundSample = 50560;

TEST(StartUpSettle, FirstBlockIsSilentAndSoundStartsAfterTheFirstFlatWindow) {
  auto renderer = MakeRenderer(MakeDefaultDesign());
  BlockRunner runner(*renderer);
  runner.SetSignal(TestSine);
  runner.RunBlock();
  for (double x : runner.Output(0)) ASSERT_EQ(x, 0.0);
  runner.Run(59);
  EXPECT_EQ(runner.FirstNonZero(0), kFirstSoundSample);
  EXPECT_EQ(renderer->SettleState(), SettleMonitor::State::kDone);
}

// A restored state may ask for another factor than the engines were built
// with; its first snapshot must not keep the settle waiting for a flat output.
TEST(StartUpSettle, FirstSnapshotAtAnotherFactorReleasesAsSoonAsAnEqualOne) {
  for (int factor : {2, 8}) {
    auto renderer = MakeRenderer(MakeDefaultDesign());
    TestCommitter(*renderer).Commit(MakeDefaultDesign(), factor);
    BlockRunner runner(*renderer);
    runner.SetSignal(TestSine);
    runner.Run(60);
    EXPECT_EQ(renderer->Engine(0)->OversamplingFactor(), factor);
    EXPECT_EQ(runner.FirstNonZero(0), kFirstSoundSample) << "factor " << factor;
  }
}

TEST(StartUpSettle, FadeInReachesFullGainAfterFiveMilliseconds) {
  AmpRenderer renderer;  // no engines: the output is the input times the envelope
  BlockRunner runner(renderer);
  runner.SetSignal([](long) { return 0.5; });
  runner.Run(60);
  const auto& out = runner.Output(0);
  EXPECT_EQ(runner.FirstNonZero(0), kFirstSoundSample);
  EXPECT_DOUBLE_EQ(out[kFirstSoundSample], 0.5 / kFadeInSamples);
  const long fullGain = kFirstSoundSample + kFadeInSamples - 1;
  EXPECT_EQ(fullGain, 2927);
  EXPECT_LT(out[fullGain - 1], 0.5);
  EXPECT_EQ(out[fullGain], 0.5);
  EXPECT_EQ(runner.Output(1)[fullGain], 0.5);
}

TEST(StartUpSettle, OutputThatNeverSettlesIsReleasedAfterOneSecond) {
  Design design = MakeDefaultDesign();
  auto renderer = MakeRenderer(design);
  TestCommitter committer(*renderer);
  BlockRunner runner(*renderer);
  runner.SetSignal([](long) { return 0.5; });
  // A bias byte that keeps changing keeps the engine output moving.
  const std::uint8_t biasByte = design.amplifier.dna[kPreampTubeBias];
  for (int block = 0; runner.Position() < kTimeoutFirstSoundSample + 400; ++block) {
    design.amplifier.dna[kPreampTubeBias] = static_cast<std::uint8_t>(biasByte + (block % 2 == 0 ? 40 : -40));
    committer.Commit(design);
    runner.RunBlock();
    if (runner.Position() <= kTimeoutFirstSoundSample) {
      ASSERT_NE(renderer->SettleState(), SettleMonitor::State::kDone);
    }
  }
  EXPECT_EQ(runner.FirstNonZero(0), kTimeoutFirstSoundSample);
}

TEST(StartUpSettle, MuteRequestPostedDuringTheSettleTakesEffectAfterIt) {
  AmpRenderer renderer;
  renderer.PostMuteRequest(0, 50, 50);
  BlockRunner runner(renderer);
  runner.SetSignal([](long) { return 0.5; });
  runner.Run(120);
  const long rise = kFirstSoundSample + 2400;
  EXPECT_EQ(runner.FirstNonZero(0), rise);
  EXPECT_DOUBLE_EQ(runner.Output(0)[rise], 0.5 / 2400);
}

TEST(StartUpSettle, RateThatIsNotUsableCountsAs48kHzAndAbsurdRatesSaturate) {
  AmpRenderer renderer;
  std::vector<double> buffer(kTestBlock, 0.5);
  double* channels[1] = {buffer.data()};
  renderer.ProcessBlock(channels, channels, kTestBlock, {1, 1, 1e300});
  EXPECT_EQ(buffer[0], 0.0);
  EXPECT_EQ(renderer.SettleState(), SettleMonitor::State::kDelay);

  AmpRenderer nanRate;
  for (int b = 0; b < 60; ++b) {
    std::vector<double> in(kTestBlock, 0.5), out(kTestBlock);
    const double* inputs[1] = {in.data()};
    double* outputs[1] = {out.data()};
    nanRate.ProcessBlock(inputs, outputs, kTestBlock, {1, 1, std::numeric_limits<double>::quiet_NaN()});
    if (b == 41) {
      EXPECT_EQ(out[kTestBlock - 1], 0.0);
    } else if (b == 42) {
      EXPECT_DOUBLE_EQ(out[0], 0.5 / kFadeInSamples);
    }
  }
}

TEST(StartUpSettle, EmptyBlocksAdvanceNeitherTheSettleNorTheMeters) {
  AmpRenderer renderer;
  BlockRunner runner(renderer);
  runner.SetSignal([](long) { return 0.5; });
  runner.Run(60);
  const auto levels = renderer.MeterLevels();
  double* none[2] = {nullptr, nullptr};
  for (int frames : {0, -64, std::numeric_limits<int>::min()}) {
    renderer.ProcessBlock(none, none, frames, {1, 2, kTestRate});
  }
  EXPECT_EQ(renderer.MeterLevels(), levels);

  AmpRenderer fresh;
  for (int i = 0; i < 100; ++i) fresh.ProcessBlock(none, none, -1, {1, 2, kTestRate});
  BlockRunner freshRunner(fresh);
  freshRunner.SetSignal([](long) { return 0.5; });
  freshRunner.Run(60);
  EXPECT_EQ(freshRunner.FirstNonZero(0), kFirstSoundSample);
}

TEST(AmpOff, PassesTheInputThroughTheMuteEnvelopeOnly) {
  auto renderer = MakeRenderer(MakeDefaultDesign());
  TestCommitter committer(*renderer);
  committer.Commit(MakeDefaultDesign());
  renderer->SetAmpEnabled(false);
  renderer->SetInputGain(2.0);
  renderer->SetOutputGain(3.0);
  renderer->PostMuteRequest(0, 50, 50);
  BlockRunner runner(*renderer);
  runner.SetSignal(TestSine);
  runner.Run(100);
  for (int c = 0; c < 2; ++c) {
    const auto& out = runner.Output(c);
    for (long i = 0; i < 2400; ++i) ASSERT_EQ(out[i], 0.0) << i;
    for (long i = 2400; i < 4800; ++i) ASSERT_DOUBLE_EQ(out[i], TestSine(i) * (i - 2399) / 2400.0) << i;
    for (long i = 4800; i < runner.Position(); ++i) ASSERT_EQ(out[i], TestSine(i)) << i;
  }
  // Nothing of the amplifier runs while it is off.
  EXPECT_EQ(renderer->CurrentSnapshot(), nullptr);
  EXPECT_EQ(renderer->SettleState(), SettleMonitor::State::kDelay);
}

// Runs past the settle with the design's engines and then starts a trim glide
// on both engines, to see which of them process.
class Routing : public ::testing::Test {
protected:
  void SetUp() override {
    renderer = MakeRenderer(design);
    committer = std::make_unique<TestCommitter>(*renderer);
  }
  void StartTrimGlides() {
    design.amplifier.bypassGainDb[kSectionPreamp1] = -6.0;
    committer->Commit(design);
  }
  bool EngineRan(int channel) {
    const ParamGlide& trim = renderer->Engine(channel)->TrimGlide(kSectionPreamp1);
    EXPECT_TRUE(trim.Gliding());
    return trim.Remaining() < renderer->Engine(channel)->GlideLength() + 1;
  }

  Design design = MakeDefaultDesign();
  std::unique_ptr<AmpRenderer> renderer;
  std::unique_ptr<TestCommitter> committer;
};

TEST_F(Routing, OneInputTwoOutputsRunsEngineZeroAndCopiesItsOutput) {
  BlockRunner runner(*renderer, 1, 2);
  runner.SetSignal(TestSine);
  runner.Run(60);
  StartTrimGlides();
  runner.Run(10);
  EXPECT_TRUE(EngineRan(0));
  EXPECT_FALSE(EngineRan(1));
  EXPECT_EQ(runner.Output(0), runner.Output(1));
  EXPECT_GT(runner.FirstNonZero(1), 0);
}

TEST_F(Routing, TwoInputsTwoOutputsRunBothEngines) {
  BlockRunner runner(*renderer, 2, 2);
  runner.SetSignal(TestSine);
  runner.Run(60);
  StartTrimGlides();
  runner.Run(10);
  EXPECT_TRUE(EngineRan(0));
  EXPECT_TRUE(EngineRan(1));
}

TEST_F(Routing, TwoInputsOneOutputProcessOneChannel) {
  BlockRunner runner(*renderer, 2, 1);
  runner.SetSignal(TestSine);
  runner.Run(60);
  StartTrimGlides();
  runner.Run(10);
  EXPECT_TRUE(EngineRan(0));
  EXPECT_FALSE(EngineRan(1));
  EXPECT_GT(runner.FirstNonZero(0), 0);
}

TEST_F(Routing, NullOutputIsSkippedAndItsEngineDoesNotRun) {
  BlockRunner warmUp(*renderer, 1, 2);
  warmUp.Run(60);
  StartTrimGlides();
  std::vector<double> in(kTestBlock, 0.25), right(kTestBlock, 7.0);
  const double* inputs[1] = {in.data()};
  double* outputs[2] = {nullptr, right.data()};
  for (int b = 0; b < 10; ++b) renderer->ProcessBlock(inputs, outputs, kTestBlock, {1, 2, kTestRate});
  EXPECT_FALSE(EngineRan(0));
  EXPECT_FALSE(EngineRan(1));
  // No copy from the missing channel: output 1 keeps its own (unprocessed) feed.
  EXPECT_EQ(right[0], 0.25);
}

TEST(OutputGuard, OverloadIsClampedAndInvalidNumbersBecomeSilence) {
  AmpRenderer renderer;
  BlockRunner runner(renderer, 1, 1);
  runner.SetSignal([](long i) { return i % 2 == 0 ? 0.5 : -0.5; });
  runner.Run(60);
  std::vector<double> in = {0.5, -0.5, 0.0, 0.5};
  std::vector<double> out(in.size());
  const double* inputs[1] = {in.data()};
  double* outputs[1] = {out.data()};

  renderer.SetOutputGain(1e300);
  renderer.ProcessBlock(inputs, outputs, 4, {1, 1, kTestRate});
  EXPECT_EQ(out, (std::vector<double>{1.0, -1.0, 0.0, 1.0}));

  renderer.SetOutputGain(std::numeric_limits<double>::infinity());  // inf and 0 x inf = NaN
  renderer.ProcessBlock(inputs, outputs, 4, {1, 1, kTestRate});
  EXPECT_EQ(out, (std::vector<double>{0.0, 0.0, 0.0, 0.0}));
}

TEST(InputGuard, NonFiniteInputAfterTheInputGainBecomesSilence) {
  AmpRenderer renderer;
  BlockRunner runner(renderer, 1, 1);
  runner.SetSignal([](long) { return 0.5; });
  runner.Run(60);
  std::vector<double> in = {0.5, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                            1e300};
  std::vector<double> out(in.size());
  const double* inputs[1] = {in.data()};
  double* outputs[1] = {out.data()};
  renderer.SetInputGain(1e10);  // 1e300 x 1e10 overflows
  renderer.ProcessBlock(inputs, outputs, 4, {1, 1, kTestRate});
  EXPECT_EQ(out, (std::vector<double>{1.0, 0.0, 0.0, 0.0}));
  EXPECT_TRUE(std::isfinite(renderer.MeterLevels()[0]));
}

TEST(InputGuard, NonFiniteInputReachesTheEngineAsSilence) {
  const auto run = [](double poison) {
    auto renderer = MakeRenderer(MakeDefaultDesign());
    BlockRunner runner(*renderer, 1, 1);
    runner.SetSignal([poison](long i) { return i == 3000 ? poison : TestSine(i); });
    runner.Run(80);
    return runner.Output(0);
  };
  const std::vector<double> reference = run(0.0);
  EXPECT_EQ(run(std::numeric_limits<double>::quiet_NaN()), reference);
  EXPECT_EQ(run(-std::numeric_limits<double>::infinity()), reference);
}

TEST(Meters, PeakOfFullScaleFallsThirtyDecibelsInOneSecond) {
  AmpRenderer renderer;
  renderer.SetAmpEnabled(false);
  EXPECT_EQ(renderer.MeterLevels(), (std::array<float, 2>{kMeterFloorDb, kMeterFloorDb}));
  BlockRunner runner(renderer, 1, 2);
  runner.SetSignal([](long i) { return i == 10 ? -1.0 : 0.0; });
  runner.RunBlock();
  EXPECT_FLOAT_EQ(renderer.MeterLevels()[0], 0.0f);
  EXPECT_FLOAT_EQ(renderer.MeterLevels()[1], 0.0f);
  runner.Run(static_cast<int>(kTestRate) / kTestBlock);
  EXPECT_NEAR(renderer.MeterLevels()[0], -30.0f, 0.01f);
  EXPECT_NEAR(renderer.MeterLevels()[1], -30.0f, 0.01f);
  runner.Run(static_cast<int>(kTestRate) * 4 / kTestBlock);
  EXPECT_EQ(renderer.MeterLevels()[1], kMeterFloorDb);
}

// Amplifier off with a 50 ms hold: the envelope must step through blocks that
// write nothing, so a real block afterwards passes at full gain.
class EnvelopeWithoutOutputs : public ::testing::Test {
protected:
  void SetUp() override {
    renderer.SetAmpEnabled(false);
    renderer.ProcessBlock(inputs, single, kTestBlock, {1, 1, kTestRate});  // meters at 0 dB
    renderer.PostMuteRequest(0, 50, 0);
  }
  static constexpr int kHoldBlocks = 2400 / kTestBlock + 1;

  AmpRenderer renderer;
  std::vector<double> in = std::vector<double>(kTestBlock, 1.0);
  std::vector<double> out = std::vector<double>(kTestBlock);
  const double* inputs[1] = {in.data()};
  double* single[1] = {out.data()};
};

TEST_F(EnvelopeWithoutOutputs, NullOutputPointersAreSkippedButTheEnvelopeSteps) {
  double* none[2] = {nullptr, nullptr};
  for (int b = 0; b < kHoldBlocks; ++b) renderer.ProcessBlock(inputs, none, kTestBlock, {1, 2, kTestRate});
  renderer.ProcessBlock(inputs, single, kTestBlock, {1, 1, kTestRate});
  EXPECT_EQ(out[0], 1.0);
}

TEST_F(EnvelopeWithoutOutputs, NoOutputChannelStillStepsTheEnvelopeAndDecaysTheMeters) {
  for (int b = 0; b < kHoldBlocks; ++b) renderer.ProcessBlock(inputs, nullptr, kTestBlock, {1, 0, kTestRate});
  EXPECT_LT(renderer.MeterLevels()[1], -1.0f);
  renderer.ProcessBlock(inputs, single, kTestBlock, {1, 1, kTestRate});
  EXPECT_EQ(out[0], 1.0);
}

TEST(HostRate, EnginesFollowAPublishedRateAtTheNextBlock) {
  auto renderer = MakeRenderer(MakeDefaultDesign());
  BlockRunner runner(*renderer);
  runner.RunBlock();
  renderer->PublishHostSampleRate(96000.0);
  runner.RunBlock();
  EXPECT_EQ(renderer->AppliedSampleRate(), 96000.0);
  EXPECT_EQ(renderer->Engine(0)->BaseRate(), 96000.0);
  EXPECT_EQ(renderer->Engine(1)->BaseRate(), 96000.0);
  for (double bad : {0.0, -1.0, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
    renderer->PublishHostSampleRate(bad);
    runner.RunBlock();
    EXPECT_EQ(renderer->AppliedSampleRate(), 96000.0);
  }
}

}  // namespace
}  // namespace orvane
