#pragma once

// The start-up settle: at the first block an instance runs with the amplifier
// on, the engines run on silence with the output muted until their outputs
// are flat (50 ms, then 5 ms windows, at most 1 s); the output then fades in
// over 5 ms. Render thread only; it runs once per instance.

#include <array>
#include <cstdint>

#include "engine/render/mute_envelope.h"

namespace orvane {

inline constexpr double kSettleDelaySeconds = 0.05;
inline constexpr double kSettleWindowSeconds = 0.005;
inline constexpr double kSettleTimeoutSeconds = 1.0;
// A channel is flat when its spread and its largest step stay within this
// share of its level, and at least kSettleFloor.
inline constexpr double kSettleRelativeThreshold = 0.0001;
inline constexpr double kSettleFloor = 1e-7;

class SettleMonitor {
public:
  static constexpr int kMaxChannels = 2;

  enum class State : std::int32_t { kDelay = 0, kProbe = 1, kRelease = 2, kDone = 3 };

  bool Started() const { return mDelayLeft >= 0; }
  // Engine input and output stay silent until the release.
  bool InputGated() const { return mState == State::kDelay || mState == State::kProbe; }
  // Mute requests wait until the release.
  bool AcceptsMuteRequests() const { return !InputGated(); }
  bool Probing() const { return mState == State::kProbe; }
  State CurrentState() const { return mState; }

  // First processed block: computes the lengths for `rateHz` and mutes.
  void Start(double rateHz, MuteEnvelope& envelope);
  // Looks at the processed output of `channelCount` channels (null ones are
  // skipped) while probing.
  void Probe(const double* const* channels, int channelCount, int n);
  // After the block: moves on by `n` samples, releasing the envelope when the
  // outputs are flat or the time is up.
  void Advance(int n, int processedChannels, MuteEnvelope& envelope);

private:
  struct ChannelProbe {
    double lastSample = 0.0;
    double minimum = 0.0;
    double maximum = 0.0;
    double maxStep = 0.0;
  };

  void StartWindow();
  bool AllChannelsFlat(int processedChannels) const;
  void ReleaseOutput(MuteEnvelope& envelope);

  State mState = State::kDelay;
  std::int32_t mDelayLeft = -1;
  std::int32_t mWindowLeft = 0;
  std::int32_t mWindowLength = 0;
  std::int32_t mReleaseLeft = 0;
  std::int32_t mReleaseLength = 0;
  std::int32_t mTimeoutLeft = 0;
  std::array<ChannelProbe, kMaxChannels> mProbe{};
  bool mHasLast = false;
};

}  // namespace orvane
