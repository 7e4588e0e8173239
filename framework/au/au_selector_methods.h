#pragma once

// The methods that an instance block's lookup hands out: C functions that take
// the block first, find the object in it and call its handler.

#include <AudioUnit/AudioUnit.h>
#include <CoreServices/CoreServices.h>

#include "framework/au/plugin_au.h"

namespace plugkit {

// What every selector answers on a block whose plug-in failed to construct.
inline constexpr OSStatus kNoPluginObjectStatus = kAudioUnitErr_FailedInitialization;
// What a handler answers when it failed with an exception.
inline constexpr OSStatus kHandlerFailedStatus = kAudioUnitErr_CannotDoInCurrentContext;

// Calls `handler` on the object and answers its status; answers a status of
// its own when there is no object or the handler throws.
template <class Handler>
OSStatus CallHandler(IPluginAU* plugin, Handler&& handler) noexcept {
  if (!plugin) return kNoPluginObjectStatus;
  try {
    return handler(*plugin);
  } catch (...) {
    return kHandlerFailedStatus;
  }
}

// ObjectOf finds the object in a block (null when the block holds none).
template <IPluginAU* (*ObjectOf)(void*)>
struct AUSelectorMethods {
  static AudioComponentMethod Lookup(SInt16 selector) noexcept {
    switch (selector) {
      case kAudioUnitInitializeSelect: return Method(&Initialize);
      case kAudioUnitUninitializeSelect: return Method(&Uninitialize);
      case kAudioUnitGetPropertyInfoSelect: return Method(&GetPropertyInfo);
      case kAudioUnitGetPropertySelect: return Method(&GetProperty);
      case kAudioUnitSetPropertySelect: return Method(&SetProperty);
      case kAudioUnitGetParameterSelect: return Method(&GetParameter);
      case kAudioUnitSetParameterSelect: return Method(&SetParameter);
      case kAudioUnitResetSelect: return Method(&Reset);
      case kAudioUnitAddPropertyListenerSelect: return Method(&AddPropertyListener);
      case kAudioUnitRemovePropertyListenerSelect: return Method(&RemovePropertyListener);
      case kAudioUnitRenderSelect: return Method(&Render);
      case kAudioUnitAddRenderNotifySelect: return Method(&AddRenderNotify);
      case kAudioUnitRemoveRenderNotifySelect: return Method(&RemoveRenderNotify);
      case kAudioUnitScheduleParametersSelect: return Method(&ScheduleParameters);
      case kAudioUnitRemovePropertyListenerWithUserDataSelect: return Method(&RemovePropertyListenerWithUserData);
      case kMusicDeviceMIDIEventSelect: return Method(&MIDIEvent);
      case kMusicDeviceSysExSelect: return Method(&SysEx);
      default: return nullptr;
    }
  }

private:
  template <class Function>
  static AudioComponentMethod Method(Function function) {
    return reinterpret_cast<AudioComponentMethod>(function);
  }

  static OSStatus Initialize(void* self) {
    return CallHandler(ObjectOf(self), [](IPluginAU& p) { return p.Initialize(); });
  }
  static OSStatus Uninitialize(void* self) {
    return CallHandler(ObjectOf(self), [](IPluginAU& p) { return p.Uninitialize(); });
  }
  static OSStatus GetPropertyInfo(void* self, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                  UInt32* outDataSize, Boolean* outWritable) {
    return CallHandler(ObjectOf(self),
                       [&](IPluginAU& p) { return p.GetPropertyInfo(id, scope, element, outDataSize, outWritable); });
  }
  static OSStatus GetProperty(void* self, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                              void* outData, UInt32* ioDataSize) {
    return CallHandler(ObjectOf(self),
                       [&](IPluginAU& p) { return p.GetProperty(id, scope, element, outData, ioDataSize); });
  }
  // Passes the host's data size on, so the handler can check what it reads.
  static OSStatus SetProperty(void* self, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                              const void* inData, UInt32 inDataSize) {
    return CallHandler(ObjectOf(self),
                       [&](IPluginAU& p) { return p.SetProperty(id, scope, element, inData, inDataSize); });
  }
  static OSStatus GetParameter(void* self, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                               AudioUnitParameterValue* outValue) {
    return CallHandler(ObjectOf(self), [&](IPluginAU& p) { return p.GetParameter(id, scope, element, outValue); });
  }
  static OSStatus SetParameter(void* self, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                               AudioUnitParameterValue value, UInt32 bufferOffset) {
    return CallHandler(ObjectOf(self),
                       [&](IPluginAU& p) { return p.SetParameter(id, scope, element, value, bufferOffset); });
  }
  static OSStatus Reset(void* self, AudioUnitScope scope, AudioUnitElement element) {
    return CallHandler(ObjectOf(self), [&](IPluginAU& p) { return p.Reset(scope, element); });
  }
  static OSStatus AddPropertyListener(void* self, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                      void* userData) {
    return CallHandler(ObjectOf(self), [&](IPluginAU& p) { return p.AddPropertyListener(id, proc, userData); });
  }
  static OSStatus RemovePropertyListener(void* self, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc) {
    return CallHandler(ObjectOf(self), [&](IPluginAU& p) { return p.RemovePropertyListener(id, proc); });
  }
  static OSStatus RemovePropertyListenerWithUserData(void* self, AudioUnitPropertyID id,
                                                     AudioUnitPropertyListenerProc proc, void* userData) {
    return CallHandler(ObjectOf(self),
                       [&](IPluginAU& p) { return p.RemovePropertyListenerWithUserData(id, proc, userData); });
  }
  static OSStatus Render(void* self, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* inTimeStamp,
                         UInt32 inOutputBusNumber, UInt32 inNumberFrames, AudioBufferList* ioData) {
    return CallHandler(ObjectOf(self), [&](IPluginAU& p) {
      return p.Render(ioActionFlags, inTimeStamp, inOutputBusNumber, inNumberFrames, ioData);
    });
  }
  static OSStatus AddRenderNotify(void* self, AURenderCallback proc, void* refCon) {
    return CallHandler(ObjectOf(self), [&](IPluginAU& p) { return p.AddRenderNotify(proc, refCon); });
  }
  static OSStatus RemoveRenderNotify(void* self, AURenderCallback proc, void* refCon) {
    return CallHandler(ObjectOf(self), [&](IPluginAU& p) { return p.RemoveRenderNotify(proc, refCon); });
  }
  static OSStatus ScheduleParameters(void* self, const AudioUnitParameterEvent* events, UInt32 count) {
    return CallHandler(ObjectOf(self), [&](IPluginAU& p) { return p.ScheduleParameters(events, count); });
  }
  static OSStatus MIDIEvent(void* self, UInt32 status, UInt32 data1, UInt32 data2, UInt32 offsetSampleFrame) {
    return CallHandler(ObjectOf(self), [&](IPluginAU& p) { return p.MIDIEvent(status, data1, data2, offsetSampleFrame); });
  }
  static OSStatus SysEx(void* self, const UInt8* data, UInt32 length) {
    return CallHandler(ObjectOf(self), [&](IPluginAU& p) { return p.SysEx(data, length); });
  }
};

}  // namespace plugkit
