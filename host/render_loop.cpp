#include "host/render_loop.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace orvane::host {

namespace {

constexpr UInt32 kBytesPerSample = sizeof(float);
constexpr UInt32 kBitsPerByte = 8;
constexpr AudioFormatFlags kFloatNonInterleaved =
    kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;

AudioTimeStamp SampleTimeStamp(Float64 sampleTime) {
  AudioTimeStamp timeStamp{};
  timeStamp.mSampleTime = sampleTime;
  timeStamp.mFlags = kAudioTimeStampSampleTimeValid;
  return timeStamp;
}

}  // namespace

AudioStreamBasicDescription FloatStreamFormat(double sampleRate, int channels) {
  AudioStreamBasicDescription format{};
  format.mSampleRate = sampleRate;
  format.mFormatID = kAudioFormatLinearPCM;
  format.mFormatFlags = kFloatNonInterleaved;
  format.mBytesPerPacket = kBytesPerSample;
  format.mFramesPerPacket = 1;
  format.mBytesPerFrame = kBytesPerSample;
  format.mChannelsPerFrame = static_cast<UInt32>(channels);
  format.mBitsPerChannel = kBytesPerSample * kBitsPerByte;
  return format;
}

// One output bus: our samples for each channel and a buffer list with room
// for every channel.
class RenderLoop::OutputBus {
public:
  OutputBus(UInt32 channels, UInt32 maxFrames)
      : mChannels(channels),
        mMaxFrames(maxFrames),
        mSamples(static_cast<std::size_t>(channels) * maxFrames, 0.0f),
        mHostBuffers(channels),
        mListStorage(ListWords(channels)) {
    List().mNumberBuffers = channels;
    UseOwnBuffers();
  }

  void UseOwnBuffers() {
    for (UInt32 c = 0; c < mChannels; ++c) mHostBuffers[c] = mSamples.data() + static_cast<std::size_t>(c) * mMaxFrames;
  }
  void SetHostBuffers(std::span<float* const> channels) {
    if (channels.empty()) return UseOwnBuffers();
    std::copy_n(channels.begin(), std::min<std::size_t>(channels.size(), mChannels), mHostBuffers.begin());
  }

  // Points every buffer at our samples, or at nothing.
  AudioBufferList& Prepare(UInt32 frames, OutputBuffers buffers) {
    mFrames = frames;
    AudioBufferList& list = List();
    list.mNumberBuffers = mChannels;
    for (UInt32 c = 0; c < mChannels; ++c) {
      AudioBuffer& buffer = list.mBuffers[c];
      buffer.mNumberChannels = 1;
      buffer.mDataByteSize = frames * kBytesPerSample;
      buffer.mData = buffers == OutputBuffers::kHostSupplied ? mHostBuffers[c] : nullptr;
    }
    return list;
  }

  AudioBufferList& List() { return *reinterpret_cast<AudioBufferList*>(mListStorage.data()); }
  const AudioBufferList& List() const { return *reinterpret_cast<const AudioBufferList*>(mListStorage.data()); }
  UInt32 Channels() const { return mChannels; }

  std::span<const float> Output(UInt32 channel) const {
    if (channel >= mChannels) return {};
    const auto* data = static_cast<const float*>(List().mBuffers[channel].mData);
    return data ? std::span<const float>(data, mFrames) : std::span<const float>();
  }

  std::span<const float> HostBuffer(UInt32 channel) const {
    if (channel >= mChannels) return {};
    return std::span<const float>(mHostBuffers[channel], mFrames);
  }

private:
  // Whole max_align_t words keep the pointers inside aligned.
  static std::size_t ListWords(UInt32 channels) {
    const std::size_t bytes = offsetof(AudioBufferList, mBuffers) + sizeof(AudioBuffer) * (channels > 0 ? channels : 1);
    return (bytes + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t);
  }

  UInt32 mChannels;
  UInt32 mMaxFrames;
  UInt32 mFrames = 0;
  std::vector<float> mSamples;
  std::vector<float*> mHostBuffers;  // ours, or the caller's
  std::vector<std::max_align_t> mListStorage;
};

RenderLoop::RenderLoop(AudioUnit unit, UInt32 maxFrames, std::vector<UInt32> outputBusChannels)
    : mUnit(unit), mMaxFrames(maxFrames) {
  for (const UInt32 channels : outputBusChannels) mOutputs.push_back(std::make_unique<OutputBus>(channels, maxFrames));
}

RenderLoop::~RenderLoop() = default;

OSStatus RenderLoop::SetInputCallback(UInt32 bus, AURenderCallback proc, void* refCon) {
  const AURenderCallbackStruct callback{proc, refCon};
  return AudioUnitSetProperty(mUnit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, bus, &callback,
                              sizeof(callback));
}

OSStatus RenderLoop::ConnectUpstream(UInt32 bus, AudioUnit source, UInt32 sourceOutput) {
  const AudioUnitConnection connection{source, sourceOutput, bus};
  return AudioUnitSetProperty(mUnit, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, bus, &connection,
                              sizeof(connection));
}

OSStatus RenderLoop::InstallHostTiming(const HostTiming& timing) {
  mTiming.Set(timing);
  const HostCallbackInfo record = mTiming.Record();
  return AudioUnitSetProperty(mUnit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, &record,
                              sizeof(record));
}

OSStatus RenderLoop::CaptureMidiOutput() {
  const AUMIDIOutputCallbackStruct record = mMidi.Record();
  return AudioUnitSetProperty(mUnit, kAudioUnitProperty_MIDIOutputCallback, kAudioUnitScope_Global, 0, &record,
                              sizeof(record));
}

void RenderLoop::SetHostBuffers(UInt32 bus, std::span<float* const> channels) {
  if (bus < mOutputs.size()) mOutputs[bus]->SetHostBuffers(channels);
}

OSStatus RenderLoop::RenderBus(UInt32 bus, UInt32 frames, OutputBuffers buffers) {
  if (bus >= mOutputs.size() || frames > mMaxFrames) return kRenderLoopBadRequest;
  AudioBufferList& list = mOutputs[bus]->Prepare(frames, buffers);
  AudioUnitRenderActionFlags flags = 0;
  const AudioTimeStamp timeStamp = SampleTimeStamp(mSampleTime);
  return AudioUnitRender(mUnit, &flags, &timeStamp, bus, frames, &list);
}

OSStatus RenderLoop::RenderBlock(UInt32 frames, OutputBuffers buffers) {
  for (UInt32 bus = 0; bus < NOutputBuses(); ++bus) {
    const OSStatus status = RenderBus(bus, frames, buffers);
    if (status != noErr) return status;
  }
  mSampleTime += frames;
  return noErr;
}

std::span<const float> RenderLoop::Output(UInt32 bus, UInt32 channel) const {
  return bus < mOutputs.size() ? mOutputs[bus]->Output(channel) : std::span<const float>();
}

const AudioBufferList& RenderLoop::OutputList(UInt32 bus) const { return mOutputs.at(bus)->List(); }

std::span<const float> RenderLoop::HostBuffer(UInt32 bus, UInt32 channel) const {
  return bus < mOutputs.size() ? mOutputs[bus]->HostBuffer(channel) : std::span<const float>();
}

}  // namespace orvane::host
