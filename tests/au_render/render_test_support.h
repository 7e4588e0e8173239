#pragma once

#include <AudioUnit/AudioUnit.h>

#include <algorithm>
#include <span>
#include <vector>

#include "render_test_plugin.h"

namespace plugkit::testing {

// An input callback: buffer k of every pull holds the constant Level(k) (in
// the plug-in's scratch or in memory of ours when given none); it counts the
// pulls and can fail or leave buffers without data.
struct InputSignal {
  static constexpr float kLevelStep = 0.25f;
  static float Level(UInt32 buffer) { return kLevelStep * static_cast<float>(buffer + 1); }

  int pulls = 0;
  UInt32 lastBufferCount = 0;
  UInt32 lastBus = 0;
  std::vector<void*> lastData;  // each buffer's data pointer as the callback received it
  OSStatus status = noErr;
  bool leaveDataNull = false;
  std::vector<float> ownSamples = std::vector<float>(4096, 0.0f);

  static OSStatus Pull(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32 bus, UInt32 frames,
                       AudioBufferList* list) {
    auto& signal = *static_cast<InputSignal*>(refCon);
    ++signal.pulls;
    signal.lastBus = bus;
    signal.lastBufferCount = list->mNumberBuffers;
    // Record without allocating: the vector keeps its room between pulls.
    signal.lastData.resize(0);
    for (UInt32 k = 0; k < list->mNumberBuffers && signal.lastData.size() < signal.lastData.capacity(); ++k)
      signal.lastData.push_back(list->mBuffers[k].mData);
    if (signal.status != noErr) return signal.status;
    for (UInt32 k = 0; k < list->mNumberBuffers; ++k) {
      AudioBuffer& buffer = list->mBuffers[k];
      if (signal.leaveDataNull) {
        buffer.mData = nullptr;
        continue;
      }
      if (!buffer.mData) buffer.mData = signal.ownSamples.data() + k * frames;
      auto* samples = static_cast<float*>(buffer.mData);
      for (UInt32 i = 0; i < frames; ++i) samples[i] = Level(k);
    }
    return noErr;
  }

  InputSignal() { lastData.reserve(8); }
};

// Records the render notifications a unit sends.
struct NotifyRecorder {
  struct Call {
    AudioUnitRenderActionFlags flags;
    Float64 sampleTime;
    UInt32 bus;
    UInt32 frames;
    const AudioBufferList* buffers;
    int tag;
  };
  std::vector<Call> calls;

  NotifyRecorder() { calls.reserve(64); }

  template <int Tag>
  static OSStatus Notify(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* timeStamp, UInt32 bus,
                         UInt32 frames, AudioBufferList* buffers) {
    auto& recorder = *static_cast<NotifyRecorder*>(refCon);
    if (recorder.calls.size() < recorder.calls.capacity())
      recorder.calls.push_back({*flags, timeStamp->mSampleTime, bus, frames, buffers, Tag});
    return -1;  // ignored by the unit
  }
};

inline AudioTimeStamp SampleTimeStamp(Float64 sampleTime) {
  AudioTimeStamp timeStamp{};
  timeStamp.mSampleTime = sampleTime;
  timeStamp.mFlags = kAudioTimeStampSampleTimeValid;
  return timeStamp;
}

// Whether there are samples and every one of them is `value`.
inline bool AllEqual(std::span<const float> samples, float value) {
  return !samples.empty() && std::all_of(samples.begin(), samples.end(), [value](float s) { return s == value; });
}

}  // namespace plugkit::testing
