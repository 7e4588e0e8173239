#pragma once

// The output mute: any thread posts a request (fade-out, hold, fade-in) as one
// 64-bit word; the render thread takes it at the start of a block and turns it
// into a per-sample gain.

#include <atomic>
#include <cstdint>

namespace orvane {

// Bit layout of the request word: three 21-bit lengths in ms and a pending bit.
inline constexpr int kMuteFieldBits = 21;
inline constexpr std::uint64_t kMuteFieldMask = (std::uint64_t{1} << kMuteFieldBits) - 1;
inline constexpr int kMuteFadeOutShift = 0;
inline constexpr int kMuteHoldShift = kMuteFieldBits;
inline constexpr int kMuteFadeInShift = 2 * kMuteFieldBits;
inline constexpr std::uint64_t kMuteRequestPending = std::uint64_t{1} << 63;
// A hold with every bit set stays muted until the next request.
inline constexpr std::uint64_t kMuteHoldForever = kMuteFieldMask;
inline constexpr std::int64_t kMuteMaxLengthMs = static_cast<std::int64_t>(kMuteFieldMask) - 1;

// The pending request word for the lengths in ms: each clamped to
// 0..kMuteMaxLengthMs, a negative hold meaning "stay muted".
std::uint64_t MakeMuteRequestWord(std::int64_t fadeOutMs, std::int64_t holdMs, std::int64_t fadeInMs);

// What the user interface posts around every audible switch.
inline constexpr int kStandardMuteFadeOutMs = 0;
inline constexpr int kStandardMuteHoldMs = 50;
inline constexpr int kStandardMuteFadeInMs = 50;

// A length in ms as samples at `rateHz` (48 kHz when the rate is not a
// positive finite number): 0 stays 0, anything else lasts at least one
// sample; absurd rates saturate.
std::uint64_t MuteLengthInSamples(std::uint64_t ms, double rateHz);

class MuteEnvelope {
public:
  enum class State : std::int32_t { kIdle = 0, kFadeOut = 1, kHold = 2, kFadeIn = 3, kMuted = 4 };

  // Any thread: replaces a request the render thread has not taken yet.
  void Post(std::uint64_t word) { mRequest.store(word, std::memory_order_seq_cst); }

  // Render thread, at the start of a block: consumes a pending request.
  void TakeRequest(double rateHz);
  // Render thread: the gain of the next sample.
  double Step();
  // Render thread: multiplies every channel's frame by the next gain; null
  // channels are skipped but the envelope still steps `n` times.
  void ApplyToBlock(double* const* channels, int channelCount, int n);

  // The start-up settle drives the envelope directly: silent until released,
  // then a fade-in over `fadeInSamples`.
  void MuteUntilReleased();
  void Release(std::uint64_t fadeInSamples);

  State CurrentState() const { return mState; }
  double Gain() const { return mGain; }
  bool RequestPending() const { return (mRequest.load(std::memory_order_acquire) & kMuteRequestPending) != 0; }
  // The request word not taken yet (0 when none).
  std::uint64_t PendingRequest() const { return mRequest.load(std::memory_order_seq_cst); }

private:
  double StepFadeOut();
  double StepHold();
  double StepFadeIn();
  // After a fade-out or a skipped one: the first of muted, hold, fade-in or idle.
  void EnterAfterFadeOut();

  std::atomic<std::uint64_t> mRequest{0};
  State mState = State::kIdle;
  double mGain = 1.0;
  double mFadeStartGain = 1.0;
  std::uint64_t mRampLength = 0;
  std::uint64_t mRampPosition = 0;
  std::uint64_t mHoldLeft = 0;
  std::uint64_t mHoldLength = 0;
  std::uint64_t mFadeInLength = 0;
  bool mStayMuted = false;

  static_assert(std::atomic<std::uint64_t>::is_always_lock_free);
};

}  // namespace orvane
