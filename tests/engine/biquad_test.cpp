#include "engine/biquad.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/engine/filter_response.h"
#include "tests/engine/test_rate.h"

namespace orvane {
namespace {

using testing::DbToLinear;
using testing::kRate;
using testing::Magnitude;

constexpr double kNyquist = kRate / 2.0;
constexpr double kGainDb = 6.0;

Biquad Designed(BiquadType type, double freqHz = 1000.0, double q = 0.7, double gainDb = kGainDb) {
  Biquad filter;
  EXPECT_TRUE(DesignBiquad(filter, {freqHz, q, gainDb, 0.0, type}, BiquadRamp::Immediate));
  return filter;
}

struct EdgeGains {
  BiquadType type;
  double dc;
  double nyquist;
};

TEST(BiquadDesign, EveryTypeHasItsGainAtDcAndNyquist) {
  const double shelf = DbToLinear(kGainDb);
  const EdgeGains cases[] = {
      {BiquadType::HighPass, 0, 1},           {BiquadType::LowPass, 1, 0},
      {BiquadType::FirstOrderHighPass, 0, 1}, {BiquadType::FirstOrderLowPass, 1, 0},
      {BiquadType::BandPassPeakGainQ, 0, 0},  {BiquadType::BandPass, 0, 0},
      {BiquadType::Peaking, 1, 1},            {BiquadType::Notch, 1, 1},
      {BiquadType::AllPass, 1, 1},            {BiquadType::FirstOrderAllPass, 1, 1},
      {BiquadType::LowShelf, shelf, 1},       {BiquadType::FirstOrderLowShelf, shelf, 1},
      {BiquadType::HighShelf, 1, shelf},      {BiquadType::FirstOrderHighShelf, 1, shelf},
      {BiquadType::Flat, 1, 1},
  };
  for (const EdgeGains& expected : cases) {
    SCOPED_TRACE("type " + std::to_string(static_cast<int>(expected.type)));
    const Biquad filter = Designed(expected.type);
    EXPECT_NEAR(Magnitude(filter.Current(), 0.0, kRate), expected.dc, 1e-9);
    EXPECT_NEAR(Magnitude(filter.Current(), kNyquist, kRate), expected.nyquist, 1e-9);
  }
}

TEST(BiquadDesign, FirstOrderShelvesCutByTheGainToo) {
  const double cut = DbToLinear(-kGainDb);
  EXPECT_NEAR(Magnitude(Designed(BiquadType::FirstOrderLowShelf, 1000, 0.7, -kGainDb).Current(), 0, kRate), cut, 1e-9);
  EXPECT_NEAR(Magnitude(Designed(BiquadType::FirstOrderHighShelf, 1000, 0.7, -kGainDb).Current(), kNyquist, kRate), cut,
              1e-9);
}

TEST(BiquadDesign, PeakAndBandPassReachTheirGainAtTheCentre) {
  EXPECT_NEAR(Magnitude(Designed(BiquadType::Peaking).Current(), 1000, kRate), DbToLinear(kGainDb), 1e-9);
  EXPECT_NEAR(Magnitude(Designed(BiquadType::BandPass).Current(), 1000, kRate), 1.0, 1e-9);
  EXPECT_NEAR(Magnitude(Designed(BiquadType::BandPassPeakGainQ, 1000, 3.0).Current(), 1000, kRate), 3.0, 1e-9);
  EXPECT_NEAR(Magnitude(Designed(BiquadType::Notch).Current(), 1000, kRate), 0.0, 1e-9);
  EXPECT_NEAR(Magnitude(Designed(BiquadType::LowPass, 1000, std::sqrt(0.5)).Current(), 1000, kRate), std::sqrt(0.5),
              1e-9);
}

TEST(BiquadDesign, FirstAndSecondOrderFlagFollowsTheType) {
  EXPECT_TRUE(Designed(BiquadType::LowShelf).SecondOrder());
  EXPECT_FALSE(Designed(BiquadType::FirstOrderLowPass).SecondOrder());
  EXPECT_FALSE(Designed(BiquadType::Flat).SecondOrder());
  const Biquad firstOrder = Designed(BiquadType::FirstOrderHighShelf);
  EXPECT_EQ(firstOrder.Current().b2, 0.0);
  EXPECT_EQ(firstOrder.Current().a2, 0.0);
}

TEST(BiquadDesign, FlatPassesTheInputWithTheOutputGain) {
  Biquad filter;
  ASSERT_TRUE(DesignBiquad(filter, {1000, 1, 0, -6.0, BiquadType::Flat}, BiquadRamp::Immediate));
  EXPECT_DOUBLE_EQ(filter.Process(0.5), 0.5 * DbToLinear(-6.0));
  EXPECT_DOUBLE_EQ(filter.Process(-1.0), -DbToLinear(-6.0));
}

TEST(BiquadDesign, FrequenciesAboveNyquistDesignJustBelowIt) {
  const Biquad above = Designed(BiquadType::LowPass, 30000.0);
  const Biquad limit = Designed(BiquadType::LowPass, 0.99 * kNyquist);
  EXPECT_EQ(above.Current().b0, limit.Current().b0);
  EXPECT_EQ(above.Current().a1, limit.Current().a1);
  EXPECT_EQ(above.Params().freqHz, 30000.0);
}

TEST(BiquadDesign, GainAndQAreLimited) {
  const Biquad loud = Designed(BiquadType::Peaking, 1000, 0.7, 500.0);
  EXPECT_EQ(loud.Params().gainDb, 120.0);
  EXPECT_EQ(Designed(BiquadType::Peaking, 1000, 500.0).Params().q, 100.0);
}

TEST(BiquadDesign, RefusesInvalidParametersAndKeepsTheDesign) {
  Biquad filter = Designed(BiquadType::LowPass);
  const BiquadCoefficients before = filter.Current();
  const BiquadParams invalid[] = {
      {0.0, 1, 0, 0, BiquadType::LowPass},
      {-5.0, 1, 0, 0, BiquadType::LowPass},
      {1000, 0.0, 0, 0, BiquadType::LowPass},
      {1000, 1, 0, 0, static_cast<BiquadType>(15)},
      {std::nan(""), 1, 0, 0, BiquadType::LowPass},
      {1000, 1, std::nan(""), 0, BiquadType::Peaking},
  };
  for (const BiquadParams& params : invalid) {
    EXPECT_FALSE(DesignBiquad(filter, params, BiquadRamp::Immediate));
  }
  EXPECT_EQ(filter.Current().b0, before.b0);
  EXPECT_EQ(filter.Params().type, BiquadType::LowPass);
  EXPECT_EQ(filter.Params().freqHz, 1000.0);
}

TEST(BiquadDesign, RateChangeRedesignsFromTheStoredParameters) {
  Biquad filter = Designed(BiquadType::LowPass, 1000.0);
  filter.SetSampleRate(96000.0, BiquadRamp::Immediate);
  EXPECT_NEAR(Magnitude(filter.Current(), 0.0, 96000.0), 1.0, 1e-9);
  EXPECT_NEAR(Magnitude(filter.Current(), 1000.0, 96000.0), Magnitude(Designed(BiquadType::LowPass).Current(), 1000, kRate),
              1e-9);
  filter.SetSampleRate(0.0, BiquadRamp::Immediate);
  filter.SetSampleRate(-1.0, BiquadRamp::Immediate);
  EXPECT_EQ(filter.SampleRate(), 96000.0);
}

int StepsUntilRampEnds(Biquad& filter, int limit) {
  int steps = 0;
  while (filter.Ramping() && steps < limit) {
    filter.StepCoefficientRamp();
    ++steps;
  }
  return steps;
}

void ExpectCurrentAtTarget(const Biquad& filter) {
  EXPECT_EQ(filter.Current().b0, filter.Target().b0);
  EXPECT_EQ(filter.Current().b1, filter.Target().b1);
  EXPECT_EQ(filter.Current().b2, filter.Target().b2);
  EXPECT_EQ(filter.Current().a1, filter.Target().a1);
  EXPECT_EQ(filter.Current().a2, filter.Target().a2);
}

TEST(BiquadRamp, ARampedRedesignGlidesAndLandsExactlyOnTarget) {
  Biquad filter = Designed(BiquadType::LowPass, 1000.0);
  ASSERT_TRUE(DesignBiquad(filter, {5000.0, 0.7, 0, 0, BiquadType::LowPass}, BiquadRamp::Ramped));
  EXPECT_TRUE(filter.Ramping());
  const double start = filter.Current().b0;
  filter.StepCoefficientRamp();
  EXPECT_NEAR(filter.Current().b0, start + 0.1 * (filter.Target().b0 - start), 1e-15);
  EXPECT_LT(StepsUntilRampEnds(filter, 10000), 10000);
  ExpectCurrentAtTarget(filter);
}

TEST(BiquadRamp, ProcessingAdvancesTheRamp) {
  Biquad filter = Designed(BiquadType::LowPass, 1000.0);
  DesignBiquad(filter, {5000.0, 0.7, 0, 0, BiquadType::LowPass}, BiquadRamp::Ramped);
  for (int i = 0; i < 1000 && filter.Ramping(); ++i) {
    filter.Process(0.0);
  }
  EXPECT_FALSE(filter.Ramping());
  ExpectCurrentAtTarget(filter);
}

TEST(BiquadRamp, ARampTowardsZeroEndsInsteadOfStallingAtASubnormal) {
  Biquad filter = Designed(BiquadType::HighPass, 1000.0);
  // Flat targets zero for b1, b2, a1 and a2: their tolerances are 0.
  DesignBiquad(filter, {1000.0, 1, 0, 0, BiquadType::Flat}, BiquadRamp::Ramped);
  EXPECT_LT(StepsUntilRampEnds(filter, 100000), 100000);
  EXPECT_EQ(filter.Current().b1, 0.0);
  EXPECT_EQ(filter.Current().a1, 0.0);
}

TEST(BiquadRamp, ASecondToFirstOrderRedesignDropsTheSecondOrderTerms) {
  Biquad filter = Designed(BiquadType::LowPass, 1000.0);
  ASSERT_NE(filter.Current().a2, 0.0);
  DesignBiquad(filter, {1000.0, 1, 0, 0, BiquadType::FirstOrderLowPass}, BiquadRamp::Ramped);
  EXPECT_EQ(filter.Current().b2, 0.0);
  EXPECT_EQ(filter.Current().a2, 0.0);
  StepsUntilRampEnds(filter, 10000);
  EXPECT_NEAR(Magnitude(filter.Current(), 0.0, kRate), 1.0, 1e-12);
}

TEST(BiquadRamp, ANewSectionRampsFromFlat) {
  Biquad filter;
  EXPECT_EQ(filter.SampleRate(), 48000.0);
  EXPECT_EQ(filter.Current().b0, 1.0);
  EXPECT_EQ(filter.Current().a1, 0.0);
  EXPECT_TRUE(filter.Ramping());
  EXPECT_EQ(filter.Params().type, BiquadType::AllPass);
}

TEST(BiquadProcessing, PrimingSettlesTheSectionOnAConstantInput) {
  Biquad lowPass = Designed(BiquadType::LowPass, 500.0);
  lowPass.Prime(0.25);
  EXPECT_NEAR(lowPass.Process(0.25), 0.25, 1e-12);
  Biquad highPass;
  DesignBiquad(highPass, {20.0, 0.7, 0, 0, BiquadType::FirstOrderHighPass}, BiquadRamp::Ramped);
  highPass.Prime(3.0);
  EXPECT_FALSE(highPass.Ramping());
  EXPECT_NEAR(highPass.Process(3.0), 0.0, 1e-15);
}

TEST(BiquadProcessing, ADisabledSectionPassesItsInputButKeepsItsMemories) {
  Biquad filter = Designed(BiquadType::LowPass, 500.0);
  filter.SetEnabled(false);
  EXPECT_EQ(filter.Process(1.0), 1.0);
  EXPECT_EQ(filter.Process(1.0), 1.0);
  filter.SetEnabled(true);
  Biquad fresh = Designed(BiquadType::LowPass, 500.0);
  fresh.Process(1.0);
  fresh.Process(1.0);
  EXPECT_EQ(filter.Process(1.0), fresh.Process(1.0));
}

}  // namespace
}  // namespace orvane
