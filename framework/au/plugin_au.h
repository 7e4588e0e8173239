#pragma once

#include <AudioToolbox/AudioUnitUtilities.h>
#include <AudioUnit/AudioUnit.h>
#include <AudioUnit/AudioUnitProperties.h>
#include <AudioUnit/MusicDevice.h>

#include <cstdint>
#include <span>

#include "common/heap_buf.h"
#include "common/ptr_list.h"
#include "common/str_buf.h"
#include "framework/au/au_records.h"
#include "framework/au/instance_info.h"
#include "framework/au/midi_output_packets.h"
#include "framework/plugin_api_base.h"
#include "framework/plugin_processor.h"

namespace plugkit {

template <class EntryTraits>
class AUComponent;

// The AudioUnit wrapper: the object a component's instance block holds. The
// selector handlers run on whatever thread the host calls them from and take
// no lock; parameter values travel only through their atomic words.
class IPluginAU : public IPluginAPIBase, public IPluginProcessor {
public:
  static constexpr int kDefaultBlockSize = 512;

  IPluginAU(const InstanceInfo& info, const PluginConfig& config);
  ~IPluginAU() override;

  // Selector handlers; each answers an AudioUnit status.
  OSStatus Initialize();
  OSStatus Uninitialize();
  OSStatus Reset(AudioUnitScope scope, AudioUnitElement element);
  OSStatus GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                           UInt32* outDataSize, Boolean* outWritable);
  OSStatus GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, void* outData,
                       UInt32* ioDataSize);
  OSStatus SetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, const void* inData,
                       UInt32 inDataSize);
  OSStatus GetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                        AudioUnitParameterValue* outValue);
  OSStatus SetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                        AudioUnitParameterValue value, UInt32 bufferOffset);
  OSStatus ScheduleParameters(const AudioUnitParameterEvent* events, UInt32 count);
  OSStatus AddPropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc, void* userData);
  OSStatus RemovePropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc);
  OSStatus RemovePropertyListenerWithUserData(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                              void* userData);
  OSStatus Render(AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* inTimeStamp,
                  UInt32 inOutputBusNumber, UInt32 inNumberFrames, AudioBufferList* ioData);
  OSStatus AddRenderNotify(AURenderCallback proc, void* refCon);
  OSStatus RemoveRenderNotify(AURenderCallback proc, void* refCon);
  OSStatus MIDIEvent(UInt32 status, UInt32 data1, UInt32 data2, UInt32 offsetSampleFrame);
  OSStatus SysEx(const UInt8* data, UInt32 length);

  // Whether nChans channels on that bus, with the host's counts of the other
  // buses (and of the other direction while active), make a legal configuration.
  bool CheckLegalIOForFormat(AudioUnitScope scope, AudioUnitElement element, int nChans) const;
  // The track name the host gave through the context-name property; empty until then.
  void GetHostContextName(StrBuf& out) override { out.Set(mContextName.Get()); }

  // Zeroes every input connection and forgets the host's channel counts.
  void ClearConnections();
  // Recomputes each input bus's connection kind and its channel connections.
  void AssessInputConnections();
  static const char* ConnectionKindName(int kind);

  // Render path: the host timing refreshed before each processed block, and
  // the editor's system-exclusive messages sent on to the host.
  void PreProcess();
  void SendSysExFromQueue();

  // Towards the host. Parameter events go to AUEventListenerNotify, the
  // others to the property listeners.
  void NotifyHostGestureBegin(int paramIdx) override;
  void NotifyHostGestureEnd(int paramIdx) override;
  void NotifyHostParamValue(int paramIdx, double normalizedValue) override;
  void NotifyHostPresetChanged() override;
  void NotifyHostParamListChanged() override;
  void SetLatency(int samples) override;
  // Calls every listener registered for the property, in registration order, with element 0.
  void InformListeners(AudioUnitPropertyID id, AudioUnitScope scope);
  static void NotifyParamEvent(AudioUnitEventType type, AudioUnit unit, AudioUnitParameterID paramId);

  // MIDI output through the host's callback; false without one or when the host refuses.
  virtual bool SendMidiToHost(const IMidiMsg& msg);
  virtual bool SendMidiListToHost(std::span<const IMidiMsg> msgs);
  virtual bool SendSysExToHost(const ISysExMsg& msg);
  // The class-info state dictionary (owned by the caller) and its restore; a
  // dictionary refused for its keys, value types or identity changes nothing.
  virtual OSStatus GetClassInfo(CFPropertyListRef* outInfo);
  virtual OSStatus SetClassInfo(CFPropertyListRef info);
  bool SendMidiToOutput(const IMidiMsg& msg) override { return SendMidiToHost(msg); }
  bool SendMidiListToOutput(std::span<const IMidiMsg> msgs) override { return SendMidiListToHost(msgs); }
  bool SendSysExToOutput(const ISysExMsg& msg) override { return SendSysExToHost(msg); }

  bool IsActive() const { return mIsActive; }
  AudioComponentInstance GetComponentInstance() const { return mComponentInstance; }
  const char* GetViewClassName() const { return mViewClassName.Get(); }
  int NBuses(ERoute direction) const { return Buses(direction).GetSize(); }
  const AUBusRecord* GetBus(ERoute direction, int busIdx) const { return Buses(direction).Get(busIdx); }
  const AUInputConnection* GetInputConnection(int busIdx) const { return mInputConnections.Get(busIdx); }
  int NPropertyListeners() const { return mPropertyListeners.GetSize(); }
  const AUPropertyListener* GetPropertyListener(int idx) const { return mPropertyListeners.Get(idx); }
  int NRenderNotifies() const { return mRenderNotify.GetSize(); }
  const AURenderNotify* GetRenderNotify(int idx) const { return mRenderNotify.Get(idx); }

protected:
  // The sum of the host's channel counts over the buses that have one; -1 when none has.
  int HostChannelSum(ERoute direction) const;
  PtrList<AUBusRecord>& Buses(ERoute direction) { return direction == kInput ? mInputBuses : mOutputBuses; }
  const PtrList<AUBusRecord>& Buses(ERoute direction) const {
    return direction == kInput ? mInputBuses : mOutputBuses;
  }

  bool mIsActive = false;
  double mLastRenderSampleTime = -1.0;
  StrBuf mViewClassName;
  AudioComponentInstance mComponentInstance = nullptr;
  HostCallbackInfo mHostCallbacks{};
  PtrList<AUBusRecord> mInputBuses;
  PtrList<AUBusRecord> mOutputBuses;
  PtrList<AUInputConnection> mInputConnections;
  PtrList<AUPropertyListener> mPropertyListeners;
  TypedBuf<float> mInputScratch;
  TypedBuf<float> mOutputScratch;
  PtrList<AURenderNotify> mRenderNotify;
  AUMIDIOutputCallbackStruct mMidiOutputCallback{};
  AudioTimeStamp mLastTimeStamp{};
  StrBuf mContextName;
  // Built in place on the render thread, so it is allocated here once.
  MidiOutputPacketList mMidiOutputList;

private:
  // Render steps (plugin_au_render.cpp).
  void CallRenderNotifies(AudioUnitRenderActionFlags action, const AudioTimeStamp* timeStamp, UInt32 outputBus,
                          UInt32 nFrames, AudioBufferList* buffers);
  OSStatus PullInputs(const AudioTimeStamp& timeStamp, UInt32 nFrames);
  void AttachInputs(const AUBusRecord& bus, AudioBuffer* pulled, UInt32 count, UInt32 nFrames);
  void AttachOutputs(UInt32 outputBus, UInt32 nFrames, AudioBufferList& buffers);
  // A channel's block in a scratch buffer; null when the scratch is too small for it.
  static float* ScratchChannel(TypedBuf<float>& scratch, int channel, UInt32 nFrames);
  int LastConnectedOutputBus() const;
  void DisconnectOutputsAfter(UInt32 outputBus);
  void DrainEditorMidi();

  template <class EntryTraits>
  friend class AUComponent;
  friend struct AUPropertyHandlers;

  void SetComponentInstance(AudioComponentInstance instance) { mComponentInstance = instance; }
  void CreateBuses(ERoute direction, int count);
  void ResizeScratchBuffers();
  void IdentifyHostFromMainBundle();
  // Applies a host's value to a parameter; false for an id without a parameter.
  bool ApplyParameterFromHost(AudioUnitParameterID id, AudioUnitParameterValue value, UInt32 bufferOffset);
};

}  // namespace plugkit
