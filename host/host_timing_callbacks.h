#pragma once

#include <AudioUnit/AudioUnitProperties.h>

namespace orvane::host {

// What the host reports through each timing callback, and which callbacks it
// offers at all. Every offered callback answers `status`.
struct HostTiming {
  bool offersBeatAndTempo = false;
  Float64 currentBeat = 0.0;
  Float64 tempo = 0.0;

  bool offersMusicalTime = false;
  UInt32 samplesToNextBeat = 0;
  Float32 numerator = 0.0f;
  UInt32 denominator = 0;
  Float64 measureDownBeat = 0.0;

  bool offersTransportState = false;
  bool playing = false;
  bool transportStateChanged = false;
  Float64 sampleInTimeline = 0.0;
  bool cycling = false;
  Float64 cycleStartBeat = 0.0;
  Float64 cycleEndBeat = 0.0;

  OSStatus status = noErr;
};

// The host-callback record a unit receives (property 27): callbacks that read
// a HostTiming owned by this object, which must outlive the unit's renders.
// Change the timing only between renders, as a host does.
class HostTimingCallbacks {
public:
  void Set(const HostTiming& timing) { mTiming = timing; }
  const HostTiming& Get() const { return mTiming; }
  // Null callbacks for what the timing does not offer.
  HostCallbackInfo Record();

private:
  static OSStatus BeatAndTempo(void* self, Float64* currentBeat, Float64* tempo);
  static OSStatus MusicalTime(void* self, UInt32* samplesToNextBeat, Float32* numerator, UInt32* denominator,
                              Float64* measureDownBeat);
  static OSStatus TransportState(void* self, Boolean* playing, Boolean* stateChanged, Float64* sampleInTimeline,
                                 Boolean* cycling, Float64* cycleStartBeat, Float64* cycleEndBeat);

  HostTiming mTiming;
};

}  // namespace orvane::host
