#include "engine/oversampler.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>

#include "support/alloc_counter.h"
#include "tests/engine/filter_response.h"
#include "tests/engine/test_rate.h"

namespace orvane {
namespace {

using testing::kRate;

double CascadeMagnitude(const Oversampler& o, double freqHz) {
  double magnitude = 1.0;
  for (int i = 0; i < o.SectionCount(); ++i) {
    magnitude *= testing::Magnitude(o.Section(i).Current(), freqHz, o.BaseRate() * o.Factor());
  }
  return magnitude;
}

TEST(Oversampler, Order22IsElevenButterworthPairsWithUnitDcGain) {
  Oversampler o;
  ASSERT_TRUE(o.Configure(2, 22, kRate, 16000.0));
  ASSERT_EQ(o.SectionCount(), 11);
  for (int k = 0; k < 11; ++k) {
    EXPECT_DOUBLE_EQ(o.SectionQ(k), 1.0 / (2.0 * std::cos((2 * k + 1) * std::numbers::pi / 44.0)));
    EXPECT_EQ(o.Kind(k), Oversampler::SectionKind::SecondOrder);
    EXPECT_EQ(o.Section(k).SampleRate(), 96000.0);
    EXPECT_FALSE(o.Section(k).Ramping());
  }
  EXPECT_NEAR(o.SectionQ(0), 0.5013, 1e-4);
  EXPECT_NEAR(o.SectionQ(10), 7.0, 0.01);
  EXPECT_NEAR(CascadeMagnitude(o, 0.0), 1.0, 1e-9);
  EXPECT_NEAR(CascadeMagnitude(o, 16000.0), std::sqrt(0.5), 1e-6);
  EXPECT_LT(CascadeMagnitude(o, 24000.0), 1e-4);
}

TEST(Oversampler, OddOrdersAddAFirstOrderSection) {
  Oversampler o;
  ASSERT_TRUE(o.Configure(4, 5, kRate, 10000.0));
  ASSERT_EQ(o.SectionCount(), 3);
  EXPECT_EQ(o.Kind(0), Oversampler::SectionKind::FirstOrder);
  EXPECT_FALSE(o.Section(0).SecondOrder());
  EXPECT_EQ(o.Kind(1), Oversampler::SectionKind::SecondOrder);
  EXPECT_NEAR(CascadeMagnitude(o, 0.0), 1.0, 1e-9);
  EXPECT_NEAR(CascadeMagnitude(o, 10000.0), std::sqrt(0.5), 1e-6);
  // Maximally flat: a fifth-order roll-off of 30 dB per octave beyond the corner.
  EXPECT_NEAR(CascadeMagnitude(o, 40000.0), 1.0 / std::sqrt(1.0 + std::pow(4.0, 10)), 1e-3);
}

TEST(Oversampler, RefusesInvalidConfigurationsAndKeepsThePreviousOne) {
  Oversampler o;
  ASSERT_TRUE(o.Configure(2, 22, kRate, 16000.0));
  EXPECT_FALSE(o.Configure(1, 22, kRate, 16000.0));
  EXPECT_FALSE(o.Configure(9, 22, kRate, 16000.0));
  EXPECT_FALSE(o.Configure(2, 1, kRate, 16000.0));
  EXPECT_FALSE(o.Configure(2, 41, kRate, 16000.0));
  EXPECT_FALSE(o.Configure(2, 22, 0.0, 16000.0));
  EXPECT_FALSE(o.Configure(2, 22, kRate, kRate * 2 / 2.1));
  EXPECT_FALSE(o.Configure(2, 22, kRate, 0.0));
  EXPECT_FALSE(o.Configure(2, 22, 16000.0, 16000.0));  // 16 kHz host at 2x
  EXPECT_EQ(o.Factor(), 2);
  EXPECT_EQ(o.SectionCount(), 11);
  EXPECT_EQ(o.BaseRate(), kRate);
  EXPECT_EQ(o.Cutoff(), 16000.0);
}

TEST(Oversampler, StartsUnconfigured) {
  Oversampler o;
  EXPECT_EQ(o.SectionCount(), 0);
  EXPECT_EQ(o.BaseRate(), 48000.0);
  EXPECT_EQ(o.Cutoff(), 16000.0);
}

TEST(Oversampler, WithoutSectionsTheUpsamplerHoldsItsInput) {
  Oversampler o;
  std::array<double, kMaxOversamplingFactor> out{};
  o.Upsample(0.75, out.data());
  EXPECT_EQ(out[0], 0.75);
}

TEST(Oversampler, ReservedSectionsMakeLaterConfigurationAllocationFree) {
  Oversampler o;
  o.Reserve(22);
  testing::ScopedAllocationCount allocations;
  ASSERT_TRUE(o.Configure(2, 22, kRate, 16000.0));
  ASSERT_TRUE(o.Configure(8, 22, 44100.0, 18000.0));
  ASSERT_TRUE(o.Configure(4, 12, 96000.0, 18000.0));
  EXPECT_EQ(allocations.Count(), 0u);
}

TEST(Oversampler, ARoundTripPassesAudioBandSignalsAndRejectsImages) {
  constexpr int kFactor = 4;
  Oversampler up;
  Oversampler down;
  ASSERT_TRUE(up.Configure(kFactor, 22, kRate, 16000.0));
  ASSERT_TRUE(down.Configure(kFactor, 22, kRate, 18000.0));
  std::array<double, kMaxOversamplingFactor> buffer{};
  double peak = 0.0;
  for (int n = 0; n < 4800; ++n) {
    up.Upsample(std::sin(2.0 * std::numbers::pi * 1000.0 * n / kRate), buffer.data());
    const double y = down.Downsample(buffer.data());
    if (n > 2400) {
      peak = std::max(peak, std::fabs(y));
    }
    EXPECT_EQ(y, down.LastSubSamples()[0]);
  }
  EXPECT_NEAR(peak, 1.0, 0.01);
}

}  // namespace
}  // namespace orvane
