#include <gtest/gtest.h>

#include <cmath>

#include "engine/eq_stage.h"
#include "engine/power_amp_stage.h"
#include "engine/tone_stage.h"
#include "tests/engine/filter_response.h"
#include "tests/engine/test_rate.h"

namespace orvane {
namespace {

using testing::kRate;

void RunUntilRampsEnd(ToneStage& stage) {
  for (int i = 0; i < 2000; ++i) {
    stage.Process(0.0);
  }
}

TEST(ToneStage, BassKnobMovesTheHighPassBetweenItsPair) {
  ToneStage stage(kRate);
  stage.SetKnobs(0, 50, 50);
  stage.Update();
  EXPECT_EQ(stage.Hpf().Params().freqHz, 45.0);
  stage.SetKnobs(100, 50, 50);
  stage.Update();
  EXPECT_EQ(stage.Hpf().Params().freqHz, 16.0);
}

TEST(ToneStage, BassCornerFollowsASteepTaper) {
  ToneStackRanges ranges;
  ranges.bassMinHz = 100.0;
  ranges.bassMaxHz = 1000.0;
  ToneStage stage(kRate);
  stage.SetKnobs(1, 50, 50);
  stage.Update(ranges, 0.0);
  const double movedFraction = (stage.Bass().Params().freqHz - 100.0) / 900.0;
  EXPECT_NEAR(movedFraction, 0.631, 0.001);
  EXPECT_NEAR(stage.Bass().Params().gainDb, -15.0 + 0.01 * 12.5, 1e-12);
}

TEST(ToneStage, KnobsAreClampedAndTheOutputGainSitsOnTheTreble) {
  ToneStage stage(kRate);
  stage.SetKnobs(-5, 150, 50);
  EXPECT_EQ(stage.Knobs().bass, 0.0);
  EXPECT_EQ(stage.Knobs().mid, 100.0);
  stage.Update(ToneStackRanges{}, -6.0);
  EXPECT_NEAR(stage.Treble().OutputGain(), testing::DbToLinear(-6.0), 1e-15);
  EXPECT_EQ(stage.Mid().Params().q, 0.35);
}

TEST(ToneStage, ResetPrimesTheHighPassWithItsInput) {
  ToneStage stage(kRate);
  RunUntilRampsEnd(stage);
  stage.Reset(2.0);
  EXPECT_NEAR(stage.Process(2.0), 0.0, 1e-12);
}

TEST(ToneStage, RateChangeRedesignsEverySection) {
  ToneStage stage(kRate);
  stage.SetSampleRate(96000.0);
  EXPECT_EQ(stage.Hpf().SampleRate(), 96000.0);
  EXPECT_EQ(stage.Treble().SampleRate(), 96000.0);
  stage.SetSampleRate(0.0);
  EXPECT_EQ(stage.SampleRate(), 96000.0);
}

TEST(ToneStage, ADisabledStagePassesItsInput) {
  ToneStage stage(kRate);
  stage.SetEnabled(false);
  EXPECT_EQ(stage.Process(0.3), 0.3);
}

PowerAmpSettings Settings() {
  return PowerAmpSettings{};
}

TEST(PowerAmpStage, BandwidthAbove19kSwitchesTheFilterOff) {
  PowerAmpSettings s = Settings();
  s.bandwidthHz = 19000.0;
  PowerAmpStage stage(kRate, s);
  EXPECT_TRUE(stage.Bandwidth().Enabled());
  EXPECT_EQ(stage.Bandwidth().Params().freqHz, 19000.0);
  s.bandwidthHz = 19001.0;
  stage.Update(s);
  EXPECT_FALSE(stage.Bandwidth().Enabled());
}

TEST(PowerAmpStage, ValuesAreClampedToTheirRanges) {
  PowerAmpSettings s = Settings();
  s.acCouplingHz = 0.1;
  s.bandwidthHz = 50.0;
  s.railPos = 5000.0;
  s.crossoverAmountPercent = 130.0;
  PowerAmpStage stage(kRate, s);
  EXPECT_EQ(stage.AcCoupling().Params().freqHz, 0.2);
  EXPECT_EQ(stage.Bandwidth().Params().freqHz, 100.0);
  EXPECT_EQ(stage.Settings().railPos, 1000.0);
  EXPECT_EQ(stage.AmountSmoother().target, 1.0);
}

TEST(PowerAmpStage, CrossoverIsLinearWithoutAmountAndContinuousAtTheKnee) {
  for (double x : {-3.0, -0.01, 0.0, 0.2, 5.0}) {
    EXPECT_NEAR(Crossover(x, 0.0, 50.0, 10.0), 10.0 * x, 1e-12);
  }
  const double range = 2.0;
  const double drive = 1.0;
  const double kneeInput = range;  // u reaches the knee where x = range / drive
  const double inside = Crossover(kneeInput * (1 - 1e-9), 0.7, range, drive);
  const double outside = Crossover(kneeInput * (1 + 1e-9), 0.7, range, drive);
  EXPECT_NEAR(inside, outside, 1e-6);
  const double h = 1e-6;
  EXPECT_NEAR((Crossover(h, 0.7, range, drive) - Crossover(-h, 0.7, range, drive)) / (2 * h), 0.3, 1e-6);
}

TEST(PowerAmpStage, ACrossoverRangeOfZeroIsLinearInsteadOfDividingByZero) {
  EXPECT_EQ(Crossover(0.5, 0.6, 0.0, 10.0), 5.0);
  EXPECT_EQ(Crossover(-0.5, 1.0, 1e-13, 2.0), -1.0);
  PowerAmpSettings s = Settings();
  s.crossoverRange = 0.0;
  PowerAmpStage stage(kRate, s);
  stage.Reset(0.0);
  for (int i = 0; i < 100; ++i) {
    EXPECT_TRUE(std::isfinite(stage.Process(0.1 * std::sin(i * 0.1))));
  }
}

TEST(PowerAmpStage, SmoothersRampLinearlyAndLandOnTheirTarget) {
  PowerAmpStage stage(kRate, Settings());
  stage.SetGlideLength(10);
  PowerAmpSettings s = Settings();
  s.drive = 20.0;
  stage.Update(s);
  for (int i = 1; i <= 10; ++i) {
    stage.ProcessNonLinearity(0.0);
    EXPECT_DOUBLE_EQ(stage.DriveSmoother().current, i < 10 ? 10.0 + i : 20.0);
  }
  EXPECT_EQ(stage.DriveSmoother().count, 0);
}

// A rate change mid-ramp must keep the smoother heading for its target.
TEST(PowerAmpStage, ANewGlideLengthRetargetsRunningSmoothers) {
  PowerAmpStage stage(kRate, Settings());
  PowerAmpSettings s = Settings();
  s.drive = 30.0;
  stage.Update(s);
  for (int i = 0; i < 100; ++i) {
    stage.ProcessNonLinearity(0.0);
  }
  const double midway = stage.DriveSmoother().current;
  stage.SetGlideLength(480);
  EXPECT_EQ(stage.DriveSmoother().target, 30.0);
  EXPECT_EQ(stage.DriveSmoother().count, 480);
  stage.ProcessNonLinearity(0.0);
  EXPECT_GT(stage.DriveSmoother().current, midway);
  for (int i = 1; i < 480; ++i) {
    stage.ProcessNonLinearity(0.0);
  }
  EXPECT_EQ(stage.DriveSmoother().current, 30.0);
  EXPECT_EQ(stage.Rails().CrossfadeLength(), 480);
}

TEST(PowerAmpStage, ResetBringsTheStageToRest) {
  PowerAmpStage stage(kRate, Settings());
  ASSERT_TRUE(stage.Rails().Crossfading());  // construction reshaped the default curve
  PowerAmpSettings s = Settings();
  s.drive = 4.0;
  stage.Update(s);
  stage.Reset(0.5);
  EXPECT_FALSE(stage.Rails().Crossfading());
  EXPECT_EQ(stage.DriveSmoother().current, 4.0);
  // The rails' midpoint sits at (300 - 270) / 2 = 15 V, which is the stage's rest output.
  const double rest = stage.Process(0.5);
  EXPECT_NEAR(rest, stage.Rails().Transfer(0.0), 1e-9);
}

TEST(PowerAmpStage, AZeroGlideLengthJumpsAndEndsTheRailsCrossfade) {
  PowerAmpStage stage(kRate, Settings());
  stage.SetGlideLength(0);
  EXPECT_FALSE(stage.Rails().Crossfading());
  PowerAmpSettings s = Settings();
  s.crossoverRange = 80.0;
  stage.Update(s);
  EXPECT_EQ(stage.RangeSmoother().current, 80.0);
}

TEST(EqStage, KnobsScaleTheShelvesAndValuesAreClamped) {
  EqStage stage(kRate);
  stage.Update(150.0, 25.0, EqVoicing{0.5, 200.0, 2000.0, 4.8});
  EXPECT_EQ(stage.ResonanceKnob(), 100.0);
  EXPECT_EQ(stage.Voicing().resonanceHz, 1.0);
  EXPECT_EQ(stage.Voicing().resonanceGainMaxDb, 100.0);
  EXPECT_EQ(stage.Resonance().Params().gainDb, 100.0);
  EXPECT_NEAR(stage.Presence().Params().gainDb, 1.2, 1e-12);
  EXPECT_NEAR(stage.UpperPresence().Params().gainDb, 4.8 / 2.4 * 0.25, 1e-12);
  EXPECT_NEAR(stage.UpperPresence().Params().freqHz, 7400.0, 1e-9);
}

TEST(EqStage, ResetSettlesTheInputHighPassOnItsInput) {
  EqStage stage(kRate);
  for (int i = 0; i < 2000; ++i) {
    stage.Process(0.0);
  }
  stage.Reset(1.5);
  EXPECT_NEAR(stage.Process(1.5), 0.0, 1e-9);
}

TEST(EqStage, RateChangeReachesEverySection) {
  EqStage stage(kRate);
  stage.SetSampleRate(192000.0);
  EXPECT_EQ(stage.Resonance().SampleRate(), 192000.0);
  EXPECT_EQ(stage.UpperPresence().SampleRate(), 192000.0);
}

}  // namespace
}  // namespace orvane
