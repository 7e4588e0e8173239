// The audio side of the AudioUnit wrapper: the render call, the host-timing
// snapshot, and what the plug-in sends back to the host (parameter and
// property notifications, MIDI and system-exclusive output).

#include <AudioToolbox/AudioUnitUtilities.h>

#include <algorithm>
#include <cstddef>

#include "framework/au/host_timing.h"
#include "framework/au/plugin_au.h"

namespace plugkit {

namespace {

// A bus takes at most this many host channels per pull.
constexpr UInt32 kMaxPullBuffers = 128;
constexpr UInt32 kBytesPerSample = sizeof(float);

// The list an input pull fills, laid out as an AudioBufferList with room for
// kMaxPullBuffers buffers, so a pull needs no memory beyond the stack.
struct PullBufferList {
  UInt32 mNumberBuffers = 0;
  AudioBuffer mBuffers[kMaxPullBuffers];

  AudioBufferList* AsList() { return reinterpret_cast<AudioBufferList*>(this); }
};
static_assert(offsetof(PullBufferList, mBuffers) == offsetof(AudioBufferList, mBuffers));

UInt32 ClampedCount(int32_t count, UInt32 limit) {
  return std::min(static_cast<UInt32>(std::max(count, 0)), limit);
}

}  // namespace

// Render --------------------------------------------------------------------------

OSStatus IPluginAU::Render(AudioUnitRenderActionFlags*, const AudioTimeStamp* timeStamp, UInt32 outputBus,
                           UInt32 nFrames, AudioBufferList* buffers) {
  if (!timeStamp || !buffers) return kAudioUnitErr_InvalidPropertyValue;
  if (outputBus >= static_cast<UInt32>(NBuses(kOutput))) return kAudioUnitErr_InvalidElement;
  mLastTimeStamp = *timeStamp;
  if (!(timeStamp->mFlags & kAudioTimeStampSampleTimeValid)) return kAudioUnitErr_InvalidPropertyValue;
  if (nFrames > static_cast<UInt32>(std::max(GetBlockSize(), 0))) return kAudioUnitErr_InvalidPropertyValue;

  CallRenderNotifies(kAudioUnitRenderAction_PreRender, timeStamp, outputBus, nFrames, buffers);

  const bool isMidiEffect = GetPlugType() == kMIDIEffect;
  if (!isMidiEffect) {
    // Several output buses rendered at one sample time share one pull.
    if (timeStamp->mSampleTime != mLastRenderSampleTime) {
      const OSStatus status = PullInputs(*timeStamp, nFrames);
      if (status != noErr) return status;
      mLastRenderSampleTime = timeStamp->mSampleTime;
    }
    AttachOutputs(outputBus, nFrames, *buffers);
  }

  if (isMidiEffect || static_cast<int>(outputBus) == LastConnectedOutputBus()) {
    DisconnectOutputsAfter(outputBus);
    if (GetBypassed()) {
      PassThroughBuffers(0.0f, static_cast<int>(nFrames));
    } else {
      DrainEditorMidi();
      PreProcess();
      ProcessBuffers(0.0f, static_cast<int>(nFrames));
    }
  }

  CallRenderNotifies(kAudioUnitRenderAction_PostRender, timeStamp, outputBus, nFrames, buffers);
  SendSysExFromQueue();
  return noErr;
}

void IPluginAU::CallRenderNotifies(AudioUnitRenderActionFlags action, const AudioTimeStamp* timeStamp,
                                   UInt32 outputBus, UInt32 nFrames, AudioBufferList* buffers) {
  for (int i = 0; i < mRenderNotify.GetSize(); ++i) {
    const AURenderNotify* notify = mRenderNotify.Get(i);
    if (!notify->renderNotify) continue;
    AudioUnitRenderActionFlags flags = action;
    notify->renderNotify(notify->userData, &flags, timeStamp, outputBus, nFrames, buffers);
  }
}

OSStatus IPluginAU::PullInputs(const AudioTimeStamp& timeStamp, UInt32 nFrames) {
  for (int busIdx = 0; busIdx < NBuses(kInput); ++busIdx) {
    const AUBusRecord& bus = *mInputBuses.Get(busIdx);
    if (!bus.connected) continue;
    const AUInputConnection& connection = *mInputConnections.Get(busIdx);

    PullBufferList pull;
    pull.mNumberBuffers = ClampedCount(bus.hostChannels, kMaxPullBuffers);
    for (UInt32 k = 0; k < pull.mNumberBuffers; ++k) pull.mBuffers[k] = {1, nFrames * kBytesPerSample, nullptr};
    // Buffers beyond the bus's own channels get no scratch and are not attached.
    const UInt32 nBusBuffers = std::min(pull.mNumberBuffers, ClampedCount(bus.plugChannels, kMaxPullBuffers));

    AudioUnitRenderActionFlags flags = 0;
    OSStatus status = noErr;
    switch (connection.kind) {
      case kDirectFastProc:
        status = connection.upstreamRenderProc(connection.upstreamObject, &flags, &timeStamp,
                                               connection.upstreamOutput, nFrames, pull.AsList());
        break;
      case kDirectNoFastProc:
        status = AudioUnitRender(connection.upstreamUnit, &flags, &timeStamp, connection.upstreamOutput, nFrames,
                                 pull.AsList());
        break;
      case kRenderCallback:
        for (UInt32 k = 0; k < nBusBuffers; ++k)
          pull.mBuffers[k].mData = ScratchChannel(mInputScratch, bus.firstChannel + static_cast<int>(k), nFrames);
        status = connection.renderCallback.inputProc(connection.renderCallback.inputProcRefCon, &flags, &timeStamp,
                                                     static_cast<UInt32>(busIdx), nFrames, pull.AsList());
        break;
      default:
        break;
    }
    if (status != noErr) return status;
    AttachInputs(bus, pull.mBuffers, nBusBuffers, nFrames);
  }
  return noErr;
}

void IPluginAU::AttachInputs(const AUBusRecord& bus, AudioBuffer* pulled, UInt32 count, UInt32 nFrames) {
  for (UInt32 k = 0; k < count; ++k) {
    const int channel = bus.firstChannel + static_cast<int>(k);
    auto* data = static_cast<float*>(pulled[k].mData);
    // Whoever fed the bus left this channel without samples: it reads as silence.
    if (!data) {
      data = ScratchChannel(mInputScratch, channel, nFrames);
      if (data) std::fill_n(data, nFrames, 0.0f);
    }
    AttachBuffers(kInput, channel, 1, &data, static_cast<int>(nFrames));
  }
}

void IPluginAU::AttachOutputs(UInt32 outputBus, UInt32 nFrames, AudioBufferList& buffers) {
  AUBusRecord& bus = *mOutputBuses.Get(static_cast<int>(outputBus));
  const int nHostBuffers = static_cast<int>(std::min<UInt32>(buffers.mNumberBuffers, kMaxPullBuffers));
  if (!bus.connected || bus.hostChannels != nHostBuffers) {
    // A bus's connection changes touch its own channels only.
    const int nConnected = std::min(std::max(bus.hostChannels, nHostBuffers), bus.plugChannels);
    SetChannelConnections(kOutput, bus.firstChannel, nConnected, true);
    SetChannelConnections(kOutput, bus.firstChannel + nConnected, std::max(0, bus.plugChannels - nConnected), false);
    bus.connected = true;
  }
  for (int k = 0; k < bus.plugChannels; ++k) {
    const int channel = bus.firstChannel + k;
    // A channel without a host buffer in this call must not write into one from an earlier call.
    float* data = nullptr;
    if (k < nHostBuffers) {
      AudioBuffer& buffer = buffers.mBuffers[k];
      if (!buffer.mData) buffer.mData = ScratchChannel(mOutputScratch, channel, nFrames);
      data = static_cast<float*>(buffer.mData);
    }
    AttachBuffers(kOutput, channel, 1, &data, static_cast<int>(nFrames));
  }
}

float* IPluginAU::ScratchChannel(TypedBuf<float>& scratch, int channel, UInt32 nFrames) {
  const std::size_t offset = static_cast<std::size_t>(channel) * nFrames;
  if (channel < 0 || offset + nFrames > static_cast<std::size_t>(scratch.GetSize())) return nullptr;
  return scratch.Get() + offset;
}

int IPluginAU::LastConnectedOutputBus() const {
  int last = -1;
  for (int i = 0; i < NBuses(kOutput) && GetBus(kOutput, i)->connected; ++i) last = i;
  return last;
}

void IPluginAU::DisconnectOutputsAfter(UInt32 outputBus) {
  const int nextBus = static_cast<int>(outputBus) + 1;
  if (nextBus >= NBuses(kOutput)) return;
  const int first = GetBus(kOutput, nextBus)->firstChannel;
  SetChannelConnections(kOutput, first, MaxNChannels(kOutput) - first, false);
}

void IPluginAU::DrainEditorMidi() {
  IMidiMsg msg;
  while (mMidiMsgsFromEditor.Pop(msg)) HandleMidiInput(msg);
}

void IPluginAU::PreProcess() { mTimeInfo = ReadHostTiming(mHostCallbacks); }

void IPluginAU::SendSysExFromQueue() {
  while (mSysExDataFromEditor.Pop(mSysExBuf))
    SendSysExToHost(ISysExMsg(mSysExBuf.mOffset, mSysExBuf.mData, mSysExBuf.mSize));
}

// Host notifications --------------------------------------------------------------

void IPluginAU::NotifyParamEvent(AudioUnitEventType type, AudioUnit unit, AudioUnitParameterID paramId) {
  AudioUnitEvent event{};
  event.mEventType = type;
  event.mArgument.mParameter = {unit, paramId, kAudioUnitScope_Global, 0};
  AUEventListenerNotify(nullptr, nullptr, &event);
}

void IPluginAU::NotifyHostGestureBegin(int paramIdx) {
  NotifyParamEvent(kAudioUnitEvent_BeginParameterChangeGesture, mComponentInstance,
                   static_cast<AudioUnitParameterID>(paramIdx));
}

void IPluginAU::NotifyHostGestureEnd(int paramIdx) {
  NotifyParamEvent(kAudioUnitEvent_EndParameterChangeGesture, mComponentInstance,
                   static_cast<AudioUnitParameterID>(paramIdx));
}

// Listeners read the value back themselves.
void IPluginAU::NotifyHostParamValue(int paramIdx, double) {
  NotifyParamEvent(kAudioUnitEvent_ParameterValueChange, mComponentInstance,
                   static_cast<AudioUnitParameterID>(paramIdx));
}

void IPluginAU::InformListeners(AudioUnitPropertyID id, AudioUnitScope scope) {
  for (int i = 0; i < mPropertyListeners.GetSize(); ++i) {
    const AUPropertyListener* listener = mPropertyListeners.Get(i);
    if (listener->propID == id && listener->listenerProc)
      listener->listenerProc(listener->procArgs, mComponentInstance, id, scope, 0);
  }
}

void IPluginAU::NotifyHostPresetChanged() {
  InformListeners(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global);
}

void IPluginAU::NotifyHostParamListChanged() {
  InformListeners(kAudioUnitProperty_ParameterList, kAudioUnitScope_Global);
  InformListeners(kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global);
}

void IPluginAU::SetLatency(int samples) {
  InformListeners(kAudioUnitProperty_Latency, kAudioUnitScope_Global);
  IPluginProcessor::SetLatency(samples);
}

// MIDI output ---------------------------------------------------------------------

bool IPluginAU::SendMidiToHost(const IMidiMsg& msg) {
  return mMidiOutputList.SendMidi(mMidiOutputCallback, mLastTimeStamp, msg);
}

bool IPluginAU::SendMidiListToHost(std::span<const IMidiMsg> msgs) {
  return mMidiOutputList.SendMidiList(mMidiOutputCallback, mLastTimeStamp, msgs);
}

bool IPluginAU::SendSysExToHost(const ISysExMsg& msg) {
  return mMidiOutputList.SendSysEx(mMidiOutputCallback, mLastTimeStamp, msg);
}

}  // namespace plugkit
