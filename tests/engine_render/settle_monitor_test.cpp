#include "engine/render/settle_monitor.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "engine/render/mute_envelope.h"
#include "render_test_support.h"

namespace orvane {
namespace {

using testing::kTestRate;

constexpr int kBlock = 64;

// Drives the settle with one channel whose samples come from `sample` and
// returns the envelope gain of every sample.
template <typename Sample>
std::vector<double> SettleGains(int blocks, Sample sample) {
  SettleMonitor settle;
  MuteEnvelope envelope;
  settle.Start(kTestRate, envelope);
  std::vector<double> gains;
  std::array<double, kBlock> channel{};
  for (int b = 0; b < blocks; ++b) {
    for (int i = 0; i < kBlock; ++i) channel[static_cast<std::size_t>(i)] = sample(b * kBlock + i);
    const double* channels[1] = {channel.data()};
    if (settle.Probing()) settle.Probe(channels, 1, kBlock);
    for (int i = 0; i < kBlock; ++i) gains.push_back(envelope.Step());
    settle.Advance(kBlock, 1, envelope);
  }
  return gains;
}

long FirstNonZero(const std::vector<double>& gains) {
  for (std::size_t i = 0; i < gains.size(); ++i) {
    if (gains[i] != 0.0) return static_cast<long>(i);
  }
  return -1;
}

TEST(SettleMonitor, OutputThatNeverSettlesFadesInAfterTheOneSecondTimeout) {
  const std::vector<double> gains = SettleGains(800, [](int i) { return i % 2 == 0 ? 0.1 : -0.1; });
  EXPECT_EQ(FirstNonZero(gains), 50560);
  EXPECT_DOUBLE_EQ(gains[50560], 1.0 / 240.0);
  EXPECT_LT(gains[50798], 1.0);
  EXPECT_EQ(gains[50799], 1.0);
}

TEST(SettleMonitor, ConstantOutputSettlesAtTheFirstWindow) {
  const std::vector<double> gains = SettleGains(60, [](int) { return 0.25; });
  EXPECT_EQ(FirstNonZero(gains), 2688);
  EXPECT_EQ(gains[2927], 1.0);
}

TEST(SettleMonitor, SmallDriftWithinATenThousandthOfTheLevelCountsAsFlat) {
  // The drift stops after the first probe window (samples 2432-2687).
  const auto drifting = [](double drift) {
    return SettleGains(60, [drift](int i) { return 1.0 + (i < 2688 ? (i % 2) * drift : 0.0); });
  };
  EXPECT_EQ(FirstNonZero(drifting(0.00009)), 2688);
  EXPECT_EQ(FirstNonZero(drifting(0.0002)), 2688 + 256);  // one more window
}

TEST(SettleMonitor, NoProcessedChannelReleasesAtTheFirstWindow) {
  SettleMonitor settle;
  MuteEnvelope envelope;
  settle.Start(kTestRate, envelope);
  for (int b = 0; b < 42; ++b) settle.Advance(kBlock, 0, envelope);
  EXPECT_EQ(settle.CurrentState(), SettleMonitor::State::kRelease);
  EXPECT_EQ(envelope.CurrentState(), MuteEnvelope::State::kFadeIn);
}

TEST(SettleMonitor, TinyRatesStillGiveOneSampleLengths) {
  SettleMonitor settle;
  MuteEnvelope envelope;
  settle.Start(10.0, envelope);  // 0.5 samples of delay, 0.05 of window
  settle.Advance(1, 1, envelope);
  EXPECT_EQ(settle.CurrentState(), SettleMonitor::State::kProbe);
  settle.Advance(1, 0, envelope);
  EXPECT_EQ(settle.CurrentState(), SettleMonitor::State::kRelease);
  EXPECT_EQ(envelope.Step(), 1.0);  // a one-sample fade-in
}

}  // namespace
}  // namespace orvane
