#include "engine/plot_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/amp_engine.h"
#include "tests/engine/test_rate.h"

namespace orvane {
namespace {

using testing::kRate;

constexpr std::size_t kSpectrumPoints = 8193;

struct Flags {
  bool preampLinear, toneStack, powerLinear, preampNonLinear, powerNonLinear;
  bool operator==(const Flags&) const = default;
};

Flags FlagsOf(const PlotData& plots) {
  return {plots.PreampLinearValid(), plots.ToneStackValid(), plots.PowerLinearValid(), plots.PreampNonLinearValid(),
          plots.PowerNonLinearValid()};
}

void ComputeAll(PlotData& plots) {
  plots.ComputePreampLinear();
  plots.ComputeToneStack();
  plots.ComputePowerAmpLinear();
  plots.ComputePreampNonLinear();
  plots.ComputePowerAmpNonLinear();
}

PlotData ComputedPlots() {
  PlotData plots;
  plots.SetSampleRate(kRate);
  ComputeAll(plots);
  return plots;
}

TEST(PlotInvalidation, EachDnaByteClearsThePlotsThatDependOnIt) {
  const struct {
    int index;
    Flags after;
  } cases[] = {
      {0, {false, true, true, true, true}},    // coupling
      {3, {false, true, true, false, true}},   // tube gain: both preamp plots
      {5, {true, true, true, false, true}},    // saturation limit
      {8, {true, true, true, false, true}},    // saturation sharpness
      {9, {false, true, true, true, true}},    // bandwidth
      {10, {true, true, true, true, true}},    // gain-knob effect: no plot
      {25, {false, true, true, false, true}},  // stage 3 tube gain
      {44, {true, false, true, true, true}},
      {59, {true, false, true, true, true}},
      {60, {true, true, false, true, false}},  // power gain
      {61, {true, true, true, true, false}},
      {66, {true, true, true, true, false}},
      {67, {true, true, false, true, true}},
      {72, {true, true, false, true, true}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.index);
    PlotData plots = ComputedPlots();
    DnaBytes dna = plots.Dna();
    dna[static_cast<std::size_t>(c.index)] ^= 1;
    EXPECT_TRUE(plots.SetDna(dna));
    EXPECT_EQ(FlagsOf(plots), c.after);
  }
}

TEST(PlotInvalidation, AnUnchangedDnaChangesNothing) {
  PlotData plots = ComputedPlots();
  EXPECT_FALSE(plots.SetDna(plots.Dna()));
  EXPECT_EQ(FlagsOf(plots), (Flags{true, true, true, true, true}));
}

TEST(PlotInvalidation, KnobsClearOnlyTheToneStackAndPowerResponse) {
  PlotData plots = ComputedPlots();
  AmpKnobs knobs = plots.Knobs();
  knobs[kKnobGain] = 90.0;
  knobs[kKnobMaster] = 10.0;
  plots.SetKnobs(knobs);
  EXPECT_EQ(FlagsOf(plots), (Flags{true, true, true, true, true}));
  EXPECT_EQ(plots.Knobs()[kKnobGain], 90.0);
  knobs[kKnobMid] = 20.0;
  plots.SetKnobs(knobs);
  EXPECT_EQ(FlagsOf(plots), (Flags{true, false, true, true, true}));
  knobs[kKnobPresence] = 70.0;
  plots.SetKnobs(knobs);
  EXPECT_EQ(FlagsOf(plots), (Flags{true, false, false, true, true}));
}

TEST(PlotInvalidation, OnlyAValidNewRateClearsTheLinearPlots) {
  PlotData plots = ComputedPlots();
  for (double rate : {0.0, -44100.0, std::nan(""), std::numeric_limits<double>::infinity(), kRate}) {
    plots.SetSampleRate(rate);
  }
  EXPECT_EQ(plots.SampleRate(), kRate);
  EXPECT_EQ(FlagsOf(plots), (Flags{true, true, true, true, true}));
  plots.SetSampleRate(96000.0);
  EXPECT_EQ(FlagsOf(plots), (Flags{false, false, false, true, true}));
}

TEST(PlotCurves, BeforeAnyRateTheLinearCurvesAreEmpty) {
  PlotData plots;
  EXPECT_EQ(FlagsOf(plots), (Flags{false, false, false, false, false}));
  ComputeAll(plots);
  EXPECT_EQ(FlagsOf(plots), (Flags{true, true, true, true, true}));
  EXPECT_TRUE(plots.PreampResponse(0).frequencies.empty());
  EXPECT_TRUE(plots.ToneStackResponse(3).magnitudes.empty());
  EXPECT_TRUE(plots.PowerResponse().frequencies.empty());
}

TEST(PlotCurves, FrequencyResponsesRunFromZeroToNyquist) {
  const PlotData plots = ComputedPlots();
  const FrequencyCurve* curves[] = {&plots.PreampResponse(0), &plots.PreampResponse(3), &plots.ToneStackResponse(0),
                                    &plots.ToneStackResponse(3), &plots.PowerResponse()};
  for (const FrequencyCurve* curve : curves) {
    ASSERT_EQ(curve->frequencies.size(), kSpectrumPoints);
    ASSERT_EQ(curve->magnitudes.size(), kSpectrumPoints);
    EXPECT_EQ(curve->frequencies.front(), 0.0);
    EXPECT_EQ(curve->frequencies.back(), kRate / 2);
  }
}

TEST(PlotCurves, PreampResponseCarriesTheTubeGainAndBlocksDc) {
  const PlotData plots = ComputedPlots();
  const DecodedDna dna = DecodeDna(plots.Dna());
  const FrequencyCurve& stage1 = plots.PreampResponse(0);
  EXPECT_LT(stage1.magnitudes[0], 1e-3);
  double peak = 0.0;
  for (double m : stage1.magnitudes) {
    peak = std::max(peak, m);
  }
  const double tubeGain = std::pow(10.0, dna[kPreampTubeGain] / 20.0);
  EXPECT_GT(peak, 0.3 * tubeGain);
  EXPECT_LT(peak, 3.0 * tubeGain);
}

TEST(PlotCurves, ToneStackCurvesFollowTheirKnobSettings) {
  PlotData plots;
  plots.SetSampleRate(kRate);
  AmpKnobs knobs = plots.Knobs();
  knobs[kKnobBass] = knobs[kKnobMid] = knobs[kKnobTreble] = 100.0;
  plots.SetKnobs(knobs);
  plots.ComputeToneStack();
  EXPECT_EQ(plots.ToneStackResponse(3).magnitudes, plots.ToneStackResponse(1).magnitudes);
  EXPECT_NE(plots.ToneStackResponse(0).magnitudes, plots.ToneStackResponse(1).magnitudes);
  EXPECT_NE(plots.ToneStackResponse(2).magnitudes, plots.ToneStackResponse(1).magnitudes);
}

TEST(PlotCurves, PreampTransferCurvesSpanTwentyVoltsAroundTheRestPoint) {
  const PlotData plots = ComputedPlots();
  EXPECT_EQ(plots.PreampInput().front(), -20.0);
  EXPECT_EQ(plots.PreampInput()[512], 0.0);
  EXPECT_EQ(plots.PreampInput().back(), 20.0);
  DnaBytes dna = plots.Dna();
  AmpEngine engine(&dna);
  for (int s = 0; s < kPreampStageCount; ++s) {
    EXPECT_DOUBLE_EQ(plots.PreampOutput(s)[512], engine.PreampTube(s).Transfer(engine.BiasGlide(s).Current()));
    // The tube inverts: more input, less output.
    EXPECT_GE(plots.PreampOutput(s).front(), plots.PreampOutput(s).back());
  }
}

TEST(PlotCurves, PowerTransferCurveCoversItsRange) {
  const PlotData plots = ComputedPlots();
  const double range = PowerPlotRange(DecodeDna(plots.Dna()));
  EXPECT_EQ(plots.PowerInputMin(), -range);
  EXPECT_EQ(plots.PowerInputMax(), range);
  EXPECT_EQ(plots.PowerInput().front(), -range);
  EXPECT_NEAR(plots.PowerInput().back(), range, 1e-12 * range);
  EXPECT_LT(plots.PowerOutput().front(), plots.PowerOutput().back());
}

TEST(PlotCurves, PowerRangeFollowsRailsAndGainWithinItsLimits) {
  DecodedDna dna{};
  dna[kDnaPowerRailPositive] = 450.0;
  dna[kDnaPowerRailNegative] = -450.0;
  dna[kDnaPowerGain] = 0.0;
  EXPECT_DOUBLE_EQ(PowerPlotRange(dna), 675.0);
  dna[kDnaPowerGain] = 64.0;
  EXPECT_EQ(PowerPlotRange(dna), 1.0);
  dna[kDnaPowerGain] = -400.0;  // a gain below 1e-12
  EXPECT_EQ(PowerPlotRange(dna), 20.0);
  dna[kDnaPowerGain] = -200.0;
  EXPECT_EQ(PowerPlotRange(dna), 1000000.0);
}

}  // namespace
}  // namespace orvane
