#pragma once

#include <AudioUnit/AudioUnit.h>
#include <AudioUnit/AudioUnitProperties.h>

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include "host/host_timing_callbacks.h"
#include "host/midi_output_capture.h"

namespace orvane::host {

// Whether a render call hands the unit buffers of ours or null data pointers
// (the unit then points them at memory of its own).
enum class OutputBuffers { kHostSupplied, kNull };

// What the loop answers itself for a bus it has no buffers for or more frames
// than it has room for (the classic parameter-error code).
inline constexpr OSStatus kRenderLoopBadRequest = -50;

// The format of the loop's buffers: 32-bit float, one buffer per channel.
AudioStreamBasicDescription FloatStreamFormat(double sampleRate, int channels);

// Renders a unit block by block as a host's render thread does: one time
// stamp per block (sample time valid), every output bus rendered at that
// time, then the time moves on. The inputs come from a pull callback or an
// upstream unit; host timing callbacks and MIDI output capture are ours.
//
// Buffers are allocated here, so rendering allocates nothing. Connection,
// timing and capture changes are property writes: make them between renders.
class RenderLoop {
public:
  // `outputBusChannels` holds the channel count of each output bus.
  RenderLoop(AudioUnit unit, UInt32 maxFrames, std::vector<UInt32> outputBusChannels);
  ~RenderLoop();
  RenderLoop(const RenderLoop&) = delete;
  RenderLoop& operator=(const RenderLoop&) = delete;

  AudioUnit Unit() const { return mUnit; }
  UInt32 MaxFrames() const { return mMaxFrames; }
  UInt32 NOutputBuses() const { return static_cast<UInt32>(mOutputs.size()); }

  // Feeding an input bus.
  OSStatus SetInputCallback(UInt32 bus, AURenderCallback proc, void* refCon);
  OSStatus ConnectUpstream(UInt32 bus, AudioUnit source, UInt32 sourceOutput);

  // Offers the timing callbacks (property 27) reading what Timing() holds.
  OSStatus InstallHostTiming(const HostTiming& timing);
  HostTimingCallbacks& Timing() { return mTiming; }
  // Sets the MIDI output callback (property 48) to the capture.
  OSStatus CaptureMidiOutput();
  MidiOutputCapture& Midi() { return mMidi; }

  // Where a bus's host-supplied buffers are from the next render on: one
  // pointer per channel of the bus, each with room for the frames rendered;
  // empty for the loop's own buffers again.
  void SetHostBuffers(UInt32 bus, std::span<float* const> channels);

  // Renders one output bus at the current sample time.
  OSStatus RenderBus(UInt32 bus, UInt32 frames, OutputBuffers buffers = OutputBuffers::kHostSupplied);
  // Renders every output bus in order at the current sample time, then moves
  // the time on by `frames` when all succeeded. The first failure is answered.
  OSStatus RenderBlock(UInt32 frames, OutputBuffers buffers = OutputBuffers::kHostSupplied);

  Float64 SampleTime() const { return mSampleTime; }
  void SetSampleTime(Float64 sampleTime) { mSampleTime = sampleTime; }

  // What the last render of a bus left in a channel, wherever the unit put
  // it; empty when the channel has no data pointer.
  std::span<const float> Output(UInt32 bus, UInt32 channel) const;
  // The buffer list of a bus's last render, with the pointers the unit left.
  const AudioBufferList& OutputList(UInt32 bus) const;
  // A channel's host-supplied buffer (what it received in the last render).
  std::span<const float> HostBuffer(UInt32 bus, UInt32 channel) const;

private:
  class OutputBus;

  AudioUnit mUnit;
  UInt32 mMaxFrames;
  Float64 mSampleTime = 0.0;
  std::vector<std::unique_ptr<OutputBus>> mOutputs;
  HostTimingCallbacks mTiming;
  MidiOutputCapture mMidi;
};

}  // namespace orvane::host
