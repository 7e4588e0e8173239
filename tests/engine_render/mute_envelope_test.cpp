#include "engine/render/mute_envelope.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "render_test_support.h"

namespace orvane {
namespace {

using testing::kTestRate;

std::vector<double> Steps(MuteEnvelope& envelope, int n) {
  std::vector<double> gains;
  for (int i = 0; i < n; ++i) gains.push_back(envelope.Step());
  return gains;
}

void Take(MuteEnvelope& envelope, int fadeOutMs, int holdMs, int fadeInMs, double rate = kTestRate) {
  envelope.Post(MakeMuteRequestWord(fadeOutMs, holdMs, fadeInMs));
  envelope.TakeRequest(rate);
}

TEST(MuteRequestWord, PacksPendingBitAndClampedLengths) {
  EXPECT_EQ(MakeMuteRequestWord(kStandardMuteFadeOutMs, kStandardMuteHoldMs, kStandardMuteFadeInMs),
            0x8000c80006400000u);
  EXPECT_EQ(MakeMuteRequestWord(0, 0, 0), kMuteRequestPending);
  const std::uint64_t clamped = MakeMuteRequestWord(-5, 1 << 30, std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(clamped & kMuteFieldMask, 0u);
  EXPECT_EQ((clamped >> kMuteHoldShift) & kMuteFieldMask, 2097150u);
  EXPECT_EQ((clamped >> kMuteFadeInShift) & kMuteFieldMask, 2097150u);
  // A negative hold means "stay muted"; nothing spills into the pending bit.
  const std::uint64_t forever = MakeMuteRequestWord(2097150, -1, 2097150);
  EXPECT_EQ((forever >> kMuteHoldShift) & kMuteFieldMask, kMuteHoldForever);
  EXPECT_EQ(forever >> 63, 1u);
}

TEST(MuteLength, RoundsToSamplesWithAtLeastOneAndSaturates) {
  EXPECT_EQ(MuteLengthInSamples(0, kTestRate), 0u);
  EXPECT_EQ(MuteLengthInSamples(50, kTestRate), 2400u);
  EXPECT_EQ(MuteLengthInSamples(1, 500.0), 1u);
  EXPECT_EQ(MuteLengthInSamples(50, 0.0), 2400u);
  EXPECT_EQ(MuteLengthInSamples(50, std::numeric_limits<double>::quiet_NaN()), 2400u);
  EXPECT_EQ(MuteLengthInSamples(50, std::numeric_limits<double>::infinity()), 2400u);
  EXPECT_EQ(MuteLengthInSamples(2097150, 1e300), std::numeric_limits<std::uint64_t>::max());
}

TEST(MuteEnvelope, StandardRequestHoldsThenRisesLinearly) {
  MuteEnvelope envelope;
  Take(envelope, 0, 50, 50);
  const std::vector<double> gains = Steps(envelope, 4801);
  for (int i = 0; i < 2400; ++i) ASSERT_EQ(gains[i], 0.0) << i;
  for (int k = 1; k <= 2400; ++k) ASSERT_DOUBLE_EQ(gains[2399 + k], k / 2400.0) << k;
  EXPECT_EQ(gains[4800], 1.0);
  EXPECT_EQ(envelope.CurrentState(), MuteEnvelope::State::kIdle);
}

TEST(MuteEnvelope, FadeOutStartsFromTheCurrentGain) {
  MuteEnvelope envelope;
  Take(envelope, 0, 0, 10);  // 480-sample fade-in
  Steps(envelope, 240);
  ASSERT_DOUBLE_EQ(envelope.Gain(), 0.5);
  Take(envelope, 1, 1, 0);  // 48 samples out, 48 held
  const std::vector<double> gains = Steps(envelope, 97);
  EXPECT_DOUBLE_EQ(gains[0], 0.5 * (1.0 - 1.0 / 48.0));
  for (int i = 0; i < 47; ++i) EXPECT_LT(gains[i + 1], gains[i]) << i;
  EXPECT_EQ(gains[47], 0.0);
  for (int i = 47; i < 96; ++i) EXPECT_EQ(gains[i], 0.0) << i;
  EXPECT_EQ(gains[96], 1.0);
}

TEST(MuteEnvelope, ZeroLengthsAndZeroGainSkipStages) {
  MuteEnvelope envelope;
  Take(envelope, 0, 50, 0);
  Steps(envelope, 2400);
  EXPECT_EQ(envelope.Step(), 1.0);

  Take(envelope, 0, 0, 0);
  EXPECT_EQ(envelope.CurrentState(), MuteEnvelope::State::kIdle);
  EXPECT_EQ(envelope.Step(), 1.0);

  // Already silent: the fade-out is skipped and the hold starts at once.
  Take(envelope, 0, -1, 0);
  Take(envelope, 10, 1, 0);
  EXPECT_EQ(envelope.CurrentState(), MuteEnvelope::State::kHold);
}

TEST(MuteEnvelope, StayMutedUntilTheNextRequest) {
  MuteEnvelope envelope;
  Take(envelope, 0, -1, 50);
  for (double g : Steps(envelope, 100000)) ASSERT_EQ(g, 0.0);
  EXPECT_EQ(envelope.CurrentState(), MuteEnvelope::State::kMuted);
  Take(envelope, 0, 0, 0);
  EXPECT_EQ(envelope.Step(), 1.0);
}

TEST(MuteEnvelope, OnlyTheNewestUntakenRequestCounts) {
  MuteEnvelope envelope;
  envelope.Post(MakeMuteRequestWord(0, -1, 0));
  envelope.Post(MakeMuteRequestWord(0, 0, 0));
  envelope.TakeRequest(kTestRate);
  EXPECT_FALSE(envelope.RequestPending());
  EXPECT_EQ(envelope.Step(), 1.0);
  // A word without the pending bit is no request.
  envelope.Post(0);
  envelope.TakeRequest(kTestRate);
  EXPECT_EQ(envelope.Step(), 1.0);
}

TEST(MuteEnvelope, ApplyToBlockStepsOncePerFrameAndSkipsNullChannels) {
  MuteEnvelope envelope;
  Take(envelope, 0, 0, 1);  // 48-sample fade-in
  std::vector<double> left(4, 1.0);
  double* channels[2] = {left.data(), nullptr};
  envelope.ApplyToBlock(channels, 2, 4);
  EXPECT_DOUBLE_EQ(left[3], 4.0 / 48.0);
  envelope.ApplyToBlock(nullptr, 0, 44);
  EXPECT_EQ(envelope.CurrentState(), MuteEnvelope::State::kIdle);
}

}  // namespace
}  // namespace orvane
