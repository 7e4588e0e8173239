#pragma once

#include <AudioUnit/AudioUnit.h>
#include <AudioUnit/MusicDevice.h>

#include <memory>
#include <span>

#include "host/component_bundle.h"

namespace orvane::host {

// One open instance of a component, driven through the methods its instance
// block's lookup hands out. Closing (the destructor) runs the block's Close.
class AudioUnitInstance {
public:
  // Null with Open's status in `status` when the component refuses to open.
  static std::unique_ptr<AudioUnitInstance> Open(const ComponentBundle& bundle, OSStatus& status);
  static std::unique_ptr<AudioUnitInstance> Open(AudioComponent component, OSStatus& status);

  ~AudioUnitInstance();
  AudioUnitInstance(const AudioUnitInstance&) = delete;
  AudioUnitInstance& operator=(const AudioUnitInstance&) = delete;

  AudioUnit Unit() const { return mUnit; }
  AudioComponentPlugInInterface* Block() const { return mBlock; }

  // The block's method for a selector, or null.
  AudioComponentMethod Lookup(SInt16 selector) const;
  template <typename Method>
  Method LookupAs(SInt16 selector) const {
    return reinterpret_cast<Method>(Lookup(selector));
  }

  OSStatus Initialize();
  OSStatus Uninitialize();
  OSStatus Reset(AudioUnitScope scope = kAudioUnitScope_Global, AudioUnitElement element = 0);
  OSStatus GetPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, UInt32* size,
                           Boolean* writable);
  OSStatus GetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, void* data,
                       UInt32* size);
  OSStatus SetProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, const void* data,
                       UInt32 size);
  OSStatus GetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                        AudioUnitParameterValue* value);
  OSStatus SetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                        AudioUnitParameterValue value, UInt32 bufferOffset = 0);
  OSStatus ScheduleParameters(std::span<const AudioUnitParameterEvent> events);
  OSStatus AddPropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc, void* userData);
  OSStatus RemovePropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc);
  OSStatus RemovePropertyListenerWithUserData(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                              void* userData);
  OSStatus AddRenderNotify(AURenderCallback proc, void* refCon);
  OSStatus RemoveRenderNotify(AURenderCallback proc, void* refCon);
  OSStatus Render(AudioUnitRenderActionFlags* flags, const AudioTimeStamp* timeStamp, UInt32 outputBus,
                  UInt32 frames, AudioBufferList* data);
  OSStatus MIDIEvent(UInt32 status, UInt32 data1, UInt32 data2, UInt32 offsetSampleFrame = 0);
  OSStatus SysEx(std::span<const UInt8> data);

private:
  AudioUnitInstance(AudioUnit unit, AudioComponentPlugInInterface* block) : mUnit(unit), mBlock(block) {}

  // Calls the selector's method with the block first; badComponentSelector without one.
  template <typename Method, typename... Args>
  OSStatus Call(SInt16 selector, Args... args) {
    const Method method = LookupAs<Method>(selector);
    return method ? method(mBlock, args...) : static_cast<OSStatus>(badComponentSelector);
  }

  AudioUnit mUnit;
  AudioComponentPlugInInterface* mBlock;
};

}  // namespace orvane::host
