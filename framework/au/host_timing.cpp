#include "framework/au/host_timing.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace plugkit {

namespace {

// Positions and tempo count only when above 0; anything else means "not known".
void TakeIfPositive(double reported, double& field) {
  if (reported > 0.0) field = reported;
}

// A time-signature numerator arrives as a float and is truncated; one that
// does not fit an int keeps the default.
void TakeNumerator(Float32 reported, int32_t& field) {
  const double value = std::trunc(static_cast<double>(reported));
  if (std::isfinite(value) && value >= std::numeric_limits<int32_t>::min() &&
      value <= std::numeric_limits<int32_t>::max())
    field = static_cast<int32_t>(value);
}

void ReadBeatAndTempo(const HostCallbackInfo& callbacks, ITimeInfo& info) {
  if (!callbacks.beatAndTempoProc) return;
  Float64 beat = 0.0;
  Float64 tempo = 0.0;
  if (callbacks.beatAndTempoProc(callbacks.hostUserData, &beat, &tempo) != noErr) return;
  TakeIfPositive(tempo, info.mTempo);
  info.mPPQPos = beat;
}

void ReadTransportState(const HostCallbackInfo& callbacks, ITimeInfo& info) {
  if (!callbacks.transportStateProc) return;
  Boolean playing = false;
  Boolean changed = false;
  Float64 sample = 0.0;
  Boolean cycling = false;
  Float64 cycleStart = 0.0;
  Float64 cycleEnd = 0.0;
  if (callbacks.transportStateProc(callbacks.hostUserData, &playing, &changed, &sample, &cycling, &cycleStart,
                                   &cycleEnd) != noErr)
    return;
  TakeIfPositive(sample, info.mSamplePos);
  TakeIfPositive(cycleStart, info.mCycleStart);
  TakeIfPositive(cycleEnd, info.mCycleEnd);
  info.mTransportIsRunning = playing;
  info.mTransportLoopEnabled = cycling;
}

void ReadMusicalTime(const HostCallbackInfo& callbacks, ITimeInfo& info) {
  if (!callbacks.musicalTimeLocationProc) return;
  UInt32 samplesToNextBeat = 0;
  Float32 numerator = 0.0f;
  UInt32 denominator = 0;
  Float64 downBeat = 0.0;
  if (callbacks.musicalTimeLocationProc(callbacks.hostUserData, &samplesToNextBeat, &numerator, &denominator,
                                        &downBeat) != noErr)
    return;
  TakeIfPositive(downBeat, info.mLastBar);
  TakeNumerator(numerator, info.mNumerator);
  info.mDenominator = static_cast<int32_t>(denominator);
}

}  // namespace

ITimeInfo ReadHostTiming(const HostCallbackInfo& callbacks) {
  ITimeInfo info;
  ReadBeatAndTempo(callbacks, info);
  ReadTransportState(callbacks, info);
  ReadMusicalTime(callbacks, info);
  return info;
}

}  // namespace plugkit
