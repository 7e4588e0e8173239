#include "engine/render/mute_envelope.h"

#include <algorithm>

#include "engine/render/sample_count.h"

namespace orvane {
namespace {

constexpr double kMsPerSecond = 1000.0;

std::uint64_t Field(std::uint64_t word, int shift) {
  return (word >> shift) & kMuteFieldMask;
}

std::uint64_t ClampedLength(std::int64_t ms) {
  return static_cast<std::uint64_t>(std::clamp<std::int64_t>(ms, 0, kMuteMaxLengthMs));
}

}  // namespace

std::uint64_t MakeMuteRequestWord(std::int64_t fadeOutMs, std::int64_t holdMs, std::int64_t fadeInMs) {
  const std::uint64_t hold = holdMs < 0 ? kMuteHoldForever : ClampedLength(holdMs);
  return kMuteRequestPending | ClampedLength(fadeOutMs) << kMuteFadeOutShift | hold << kMuteHoldShift |
         ClampedLength(fadeInMs) << kMuteFadeInShift;
}

std::uint64_t MuteLengthInSamples(std::uint64_t ms, double rateHz) {
  if (ms == 0) {
    return 0;
  }
  const double samples = UsableSampleRate(rateHz) * static_cast<double>(ms) / kMsPerSecond;
  return std::max<std::uint64_t>(SaturatingRound<std::uint64_t>(samples), 1);
}

void MuteEnvelope::TakeRequest(double rateHz) {
  const std::uint64_t word = mRequest.exchange(0, std::memory_order_acquire);
  if ((word & kMuteRequestPending) == 0) {
    return;
  }
  const std::uint64_t hold = Field(word, kMuteHoldShift);
  mStayMuted = hold == kMuteHoldForever;
  mHoldLength = mStayMuted ? 0 : MuteLengthInSamples(hold, rateHz);
  mFadeInLength = MuteLengthInSamples(Field(word, kMuteFadeInShift), rateHz);

  mFadeStartGain = mGain;
  const std::uint64_t fadeOut = Field(word, kMuteFadeOutShift);
  if (fadeOut != 0) {
    mRampLength = MuteLengthInSamples(fadeOut, rateHz);
    mRampPosition = 0;
    if (mGain > 0.0) {
      mState = State::kFadeOut;
      return;
    }
  }
  EnterAfterFadeOut();
}

void MuteEnvelope::EnterAfterFadeOut() {
  mGain = 0.0;
  mRampLength = 0;
  mRampPosition = 0;
  if (mStayMuted) {
    mState = State::kMuted;
    mHoldLeft = 0;
  } else if (mHoldLength > 0) {
    mState = State::kHold;
    mHoldLeft = mHoldLength;
  } else if (mFadeInLength > 0) {
    mState = State::kFadeIn;
    mRampLength = mFadeInLength;
  } else {
    mGain = 1.0;
    mState = State::kIdle;
  }
}

double MuteEnvelope::Step() {
  switch (mState) {
    case State::kIdle: return mGain;
    case State::kFadeOut: return StepFadeOut();
    case State::kHold: return StepHold();
    case State::kFadeIn: return StepFadeIn();
    case State::kMuted: return 0.0;
  }
  return 0.0;
}

double MuteEnvelope::StepFadeOut() {
  ++mRampPosition;
  const double done = std::min(static_cast<double>(mRampPosition) / static_cast<double>(mRampLength), 1.0);
  mGain = mFadeStartGain * (1.0 - done);
  if (mRampPosition < mRampLength) {
    return mGain;
  }
  EnterAfterFadeOut();
  return mGain;
}

double MuteEnvelope::StepHold() {
  if (mHoldLeft > 0) {
    const bool lastHeldSample = mHoldLeft == 1;
    --mHoldLeft;
    if (!lastHeldSample) {
      return 0.0;
    }
  }
  if (mFadeInLength == 0) {
    mGain = 1.0;  // from the next sample on
    mState = State::kIdle;
    return 0.0;
  }
  mState = State::kFadeIn;
  mRampLength = mFadeInLength;
  mRampPosition = 0;
  return 0.0;
}

double MuteEnvelope::StepFadeIn() {
  ++mRampPosition;
  mGain = std::min(static_cast<double>(mRampPosition) / static_cast<double>(mRampLength), 1.0);
  if (mRampPosition < mRampLength) {
    return mGain;
  }
  mGain = 1.0;
  mState = State::kIdle;
  return 1.0;
}

void MuteEnvelope::ApplyToBlock(double* const* channels, int channelCount, int n) {
  for (int i = 0; i < n; ++i) {
    const double gain = Step();
    for (int c = 0; c < channelCount; ++c) {
      if (channels[c] != nullptr) {
        channels[c][i] *= gain;
      }
    }
  }
}

void MuteEnvelope::MuteUntilReleased() {
  mState = State::kMuted;
  mGain = 0.0;
  mRampLength = 0;
  mRampPosition = 0;
  mStayMuted = true;
}

void MuteEnvelope::Release(std::uint64_t fadeInSamples) {
  mGain = 0.0;
  mStayMuted = false;
  mRampPosition = 0;
  mRampLength = fadeInSamples;
  if (fadeInSamples == 0) {
    mGain = 1.0;
    mState = State::kIdle;
  } else {
    mState = State::kFadeIn;
  }
}

}  // namespace orvane
