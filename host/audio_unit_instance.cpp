#include "host/audio_unit_instance.h"

#include <standin/testing/component_instances.h>

namespace orvane::host {

std::unique_ptr<AudioUnitInstance> AudioUnitInstance::Open(const ComponentBundle& bundle, OSStatus& status) {
  return Open(bundle.Component(), status);
}

std::unique_ptr<AudioUnitInstance> AudioUnitInstance::Open(AudioComponent component, OSStatus& status) {
  AudioComponentInstance unit = nullptr;
  status = AudioComponentInstanceNew(component, &unit);
  if (status != noErr) return nullptr;
  return std::unique_ptr<AudioUnitInstance>(new AudioUnitInstance(unit, standin::testing::PlugInInterfaceOf(unit)));
}

AudioUnitInstance::~AudioUnitInstance() { AudioComponentInstanceDispose(mUnit); }

AudioComponentMethod AudioUnitInstance::Lookup(SInt16 selector) const {
  return mBlock && mBlock->Lookup ? mBlock->Lookup(selector) : nullptr;
}

OSStatus AudioUnitInstance::Initialize() { return Call<AudioUnitInitializeProc>(kAudioUnitInitializeSelect); }

OSStatus AudioUnitInstance::Uninitialize() { return Call<AudioUnitUninitializeProc>(kAudioUnitUninitializeSelect); }

OSStatus AudioUnitInstance::Reset(AudioUnitScope scope, AudioUnitElement element) {
  return Call<AudioUnitResetProc>(kAudioUnitResetSelect, scope, element);
}

OSStatus AudioUnitInstance::GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                            UInt32* size, Boolean* writable) {
  return Call<AudioUnitGetPropertyInfoProc>(kAudioUnitGetPropertyInfoSelect, id, scope, element, size, writable);
}

OSStatus AudioUnitInstance::GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                        void* data, UInt32* size) {
  return Call<AudioUnitGetPropertyProc>(kAudioUnitGetPropertySelect, id, scope, element, data, size);
}

OSStatus AudioUnitInstance::SetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                        const void* data, UInt32 size) {
  return Call<AudioUnitSetPropertyProc>(kAudioUnitSetPropertySelect, id, scope, element, data, size);
}

OSStatus AudioUnitInstance::GetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                                         AudioUnitParameterValue* value) {
  return Call<AudioUnitGetParameterProc>(kAudioUnitGetParameterSelect, id, scope, element, value);
}

OSStatus AudioUnitInstance::SetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                                         AudioUnitParameterValue value, UInt32 bufferOffset) {
  return Call<AudioUnitSetParameterProc>(kAudioUnitSetParameterSelect, id, scope, element, value, bufferOffset);
}

OSStatus AudioUnitInstance::ScheduleParameters(std::span<const AudioUnitParameterEvent> events) {
  return Call<AudioUnitScheduleParametersProc>(kAudioUnitScheduleParametersSelect, events.data(),
                                               static_cast<UInt32>(events.size()));
}

OSStatus AudioUnitInstance::AddPropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                                void* userData) {
  return Call<AudioUnitAddPropertyListenerProc>(kAudioUnitAddPropertyListenerSelect, id, proc, userData);
}

OSStatus AudioUnitInstance::RemovePropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc) {
  return Call<AudioUnitRemovePropertyListenerProc>(kAudioUnitRemovePropertyListenerSelect, id, proc);
}

OSStatus AudioUnitInstance::RemovePropertyListenerWithUserData(AudioUnitPropertyID id,
                                                               AudioUnitPropertyListenerProc proc, void* userData) {
  return Call<AudioUnitRemovePropertyListenerWithUserDataProc>(kAudioUnitRemovePropertyListenerWithUserDataSelect, id,
                                                               proc, userData);
}

OSStatus AudioUnitInstance::AddRenderNotify(AURenderCallback proc, void* refCon) {
  return Call<AudioUnitAddRenderNotifyProc>(kAudioUnitAddRenderNotifySelect, proc, refCon);
}

OSStatus AudioUnitInstance::RemoveRenderNotify(AURenderCallback proc, void* refCon) {
  return Call<AudioUnitRemoveRenderNotifyProc>(kAudioUnitRemoveRenderNotifySelect, proc, refCon);
}

OSStatus AudioUnitInstance::Render(AudioUnitRenderActionFlags* flags, const AudioTimeStamp* timeStamp,
                                   UInt32 outputBus, UInt32 frames, AudioBufferList* data) {
  return Call<AudioUnitRenderProc>(kAudioUnitRenderSelect, flags, timeStamp, outputBus, frames, data);
}

OSStatus AudioUnitInstance::MIDIEvent(UInt32 status, UInt32 data1, UInt32 data2, UInt32 offsetSampleFrame) {
  return Call<MusicDeviceMIDIEventProc>(kMusicDeviceMIDIEventSelect, status, data1, data2, offsetSampleFrame);
}

OSStatus AudioUnitInstance::SysEx(std::span<const UInt8> data) {
  return Call<MusicDeviceSysExProc>(kMusicDeviceSysExSelect, data.data(), static_cast<UInt32>(data.size()));
}

}  // namespace orvane::host
