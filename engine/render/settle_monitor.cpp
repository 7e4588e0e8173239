#include "engine/render/settle_monitor.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/render/sample_count.h"

namespace orvane {
namespace {

constexpr std::int32_t kMinWindowLength = 2;

std::int32_t AtLeastOne(std::int32_t samples) {
  return std::max<std::int32_t>(samples, 1);
}

// Counts down by n without going below 0; true when this block used up what
// was left.
bool CountDown(std::int32_t& left, int n) {
  const bool ends = left <= n;
  left = ends ? 0 : left - n;
  return ends;
}

}  // namespace

void SettleMonitor::Start(double rateHz, MuteEnvelope& envelope) {
  const double rate = UsableSampleRate(rateHz);
  mDelayLeft = AtLeastOne(SaturatingRound<std::int32_t>(rate * kSettleDelaySeconds));
  const std::int32_t window = SaturatingRound<std::int32_t>(rate * kSettleWindowSeconds);
  mWindowLength = window < kMinWindowLength ? 1 : window;
  mReleaseLength = mWindowLength;
  mTimeoutLeft = AtLeastOne(SaturatingRound<std::int32_t>(rate * kSettleTimeoutSeconds));
  envelope.MuteUntilReleased();
}

void SettleMonitor::StartWindow() {
  mWindowLeft = mWindowLength;
  mHasLast = false;
  for (ChannelProbe& probe : mProbe) {
    probe.minimum = std::numeric_limits<double>::infinity();
    probe.maximum = -std::numeric_limits<double>::infinity();
    probe.maxStep = 0.0;
  }
}

void SettleMonitor::Probe(const double* const* channels, int channelCount, int n) {
  const int count = std::min(channelCount, kMaxChannels);
  for (int c = 0; c < count; ++c) {
    const double* samples = channels[c];
    if (samples == nullptr) {
      continue;
    }
    ChannelProbe& probe = mProbe[static_cast<std::size_t>(c)];
    bool hasLast = mHasLast;
    for (int i = 0; i < n; ++i) {
      const double x = samples[i];
      probe.minimum = std::min(probe.minimum, x);
      probe.maximum = std::max(probe.maximum, x);
      if (hasLast) {
        probe.maxStep = std::max(probe.maxStep, std::fabs(x - probe.lastSample));
      }
      probe.lastSample = x;
      hasLast = true;
    }
  }
  mHasLast = count > 0;
}

bool SettleMonitor::AllChannelsFlat(int processedChannels) const {
  const int count = std::min(processedChannels, kMaxChannels);
  for (int c = 0; c < count; ++c) {
    const ChannelProbe& probe = mProbe[static_cast<std::size_t>(c)];
    const double level = std::max(std::fabs(probe.minimum), std::fabs(probe.maximum));
    const double threshold = std::max(level * kSettleRelativeThreshold, kSettleFloor);
    const bool flat = probe.maximum - probe.minimum <= threshold && probe.maxStep <= threshold;
    if (!flat) {
      return false;
    }
  }
  return true;
}

void SettleMonitor::ReleaseOutput(MuteEnvelope& envelope) {
  mState = State::kRelease;
  mReleaseLeft = mReleaseLength;
  envelope.Release(static_cast<std::uint64_t>(mReleaseLength));
}

void SettleMonitor::Advance(int n, int processedChannels, MuteEnvelope& envelope) {
  switch (mState) {
    case State::kDelay:
      if (CountDown(mDelayLeft, n)) {
        mState = State::kProbe;
        StartWindow();
      }
      break;
    case State::kProbe: {
      const bool timeLeft = static_cast<std::int64_t>(mTimeoutLeft) - n >= 1;
      CountDown(mTimeoutLeft, n);
      if (!CountDown(mWindowLeft, n)) {
        break;
      }
      if (processedChannels > 0 && !AllChannelsFlat(processedChannels) && timeLeft) {
        StartWindow();
      } else {
        ReleaseOutput(envelope);
      }
      break;
    }
    case State::kRelease:
      if (CountDown(mReleaseLeft, n)) {
        mState = State::kDone;
      }
      break;
    case State::kDone: break;
  }
}

}  // namespace orvane
