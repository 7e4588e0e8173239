#include "host/host_timing_callbacks.h"

namespace orvane::host {

namespace {

const HostTiming& TimingOf(void* self) { return static_cast<HostTimingCallbacks*>(self)->Get(); }

// A unit may pass null for what it does not want.
template <class T, class V>
void Store(T* out, V value) {
  if (out) *out = static_cast<T>(value);
}

}  // namespace

HostCallbackInfo HostTimingCallbacks::Record() {
  HostCallbackInfo record{};
  record.hostUserData = this;
  if (mTiming.offersBeatAndTempo) record.beatAndTempoProc = &BeatAndTempo;
  if (mTiming.offersMusicalTime) record.musicalTimeLocationProc = &MusicalTime;
  if (mTiming.offersTransportState) record.transportStateProc = &TransportState;
  return record;
}

OSStatus HostTimingCallbacks::BeatAndTempo(void* self, Float64* currentBeat, Float64* tempo) {
  const HostTiming& timing = TimingOf(self);
  Store(currentBeat, timing.currentBeat);
  Store(tempo, timing.tempo);
  return timing.status;
}

OSStatus HostTimingCallbacks::MusicalTime(void* self, UInt32* samplesToNextBeat, Float32* numerator,
                                          UInt32* denominator, Float64* measureDownBeat) {
  const HostTiming& timing = TimingOf(self);
  Store(samplesToNextBeat, timing.samplesToNextBeat);
  Store(numerator, timing.numerator);
  Store(denominator, timing.denominator);
  Store(measureDownBeat, timing.measureDownBeat);
  return timing.status;
}

OSStatus HostTimingCallbacks::TransportState(void* self, Boolean* playing, Boolean* stateChanged,
                                             Float64* sampleInTimeline, Boolean* cycling, Float64* cycleStartBeat,
                                             Float64* cycleEndBeat) {
  const HostTiming& timing = TimingOf(self);
  Store(playing, timing.playing);
  Store(stateChanged, timing.transportStateChanged);
  Store(sampleInTimeline, timing.sampleInTimeline);
  Store(cycling, timing.cycling);
  Store(cycleStartBeat, timing.cycleStartBeat);
  Store(cycleEndBeat, timing.cycleEndBeat);
  return timing.status;
}

}  // namespace orvane::host
