#pragma once

#include <AudioUnit/AudioUnit.h>
#include <AudioUnit/AudioUnitProperties.h>
#include <AudioUnit/MusicDevice.h>

#include <cstdint>

#include "common/heap_buf.h"
#include "common/ptr_list.h"
#include "common/str_buf.h"
#include "framework/au/au_records.h"
#include "framework/au/instance_info.h"
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

  // Zeroes every input connection and forgets the host's channel counts.
  void ClearConnections();
  // Recomputes each input bus's connection kind and its channel connections.
  void AssessInputConnections();
  static const char* ConnectionKindName(int kind);

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

private:
  template <class EntryTraits>
  friend class AUComponent;

  void SetComponentInstance(AudioComponentInstance instance) { mComponentInstance = instance; }
  void CreateBuses(ERoute direction, int count);
  void ResizeScratchBuffers();
  void IdentifyHostFromMainBundle();
  // Applies a host's value to a parameter; false for an id without a parameter.
  bool ApplyParameterFromHost(AudioUnitParameterID id, AudioUnitParameterValue value, UInt32 bufferOffset);
};

}  // namespace plugkit
