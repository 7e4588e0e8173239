#pragma once

#include <AudioUnit/AudioUnit.h>
#include <CoreServices/CoreServices.h>
#include <standin/testing/component_instances.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <span>

#include "host/audio_unit_instance.h"
#include "test_plugin.h"
#include "throwing_plugin.h"

namespace plugkit::testing {

// A Component Manager parameter block with room for the longest argument list.
struct LegacyParams {
  static constexpr int kMaxSlots = 6;

  UInt8 flags = 0;
  UInt8 paramSize = 0;
  SInt16 what = 0;
  UInt32 padding = 0;
  long slots[kMaxSlots] = {};

  // Slot 0 first; a 32-bit argument fills a slot's low half.
  LegacyParams(SInt16 selector, std::initializer_list<long> args) : what(selector) {
    int i = 0;
    for (long arg : args) slots[i++] = arg;
    paramSize = static_cast<UInt8>((i > 0 ? i - 1 : 0) * sizeof(long));
  }
  ComponentParameters* Get() { return reinterpret_cast<ComponentParameters*>(this); }
};
static_assert(offsetof(LegacyParams, slots) == offsetof(ComponentParameters, params));

inline long Slot(const void* pointer) { return reinterpret_cast<long>(pointer); }
inline long Slot(float value) {
  UInt32 bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return static_cast<long>(bits);
}

inline const AudioComponentDescription& TestPluginDescription() {
  static const AudioComponentDescription description{kAudioUnitType_MusicEffect, standin::FourCharCodeOf("Atst"),
                                                     standin::FourCharCodeOf("Plkt"), 0, 0};
  return description;
}

inline AudioComponent TestPluginComponent() {
  return AudioComponentRegister(&TestPluginDescription(), nullptr, TestPlugin::kVersion, &AUTestPlugin_Factory);
}

inline AudioComponent ThrowingPluginComponent() {
  static const AudioComponentDescription description{kAudioUnitType_MusicEffect, standin::FourCharCodeOf("Athr"),
                                                     standin::FourCharCodeOf("Plkt"), 0, 0};
  return AudioComponentRegister(&description, nullptr, 0, &AUThrowingPlugin_Factory);
}

// The test plug-in opened through its factory, as a host opens it.
class OpenedTestPlugin {
public:
  OpenedTestPlugin() {
    OSStatus status = noErr;
    mInstance = orvane::host::AudioUnitInstance::Open(TestPluginComponent(), status);
  }
  orvane::host::AudioUnitInstance& Unit() { return *mInstance; }
  TestPlugin& Plugin() { return *TestPluginInBlock(mInstance->Block()); }

private:
  std::unique_ptr<orvane::host::AudioUnitInstance> mInstance;
};

// The test plug-in opened through the legacy entry; closed again at the end.
class LegacyTestPlugin {
public:
  LegacyTestPlugin() : mInstance(standin::testing::NewLegacyComponentInstance()) {
    LegacyParams open(kComponentOpenSelect, {0, Slot(mInstance)});
    mOpenStatus = AUTestPlugin_Entry(open.Get(), nullptr);
  }
  ~LegacyTestPlugin() {
    if (Storage()) {
      LegacyParams close(kComponentCloseSelect, {Slot(mInstance)});
      AUTestPlugin_Entry(close.Get(), Storage());
    }
    standin::testing::DisposeLegacyComponentInstance(mInstance);
  }
  LegacyTestPlugin(const LegacyTestPlugin&) = delete;
  LegacyTestPlugin& operator=(const LegacyTestPlugin&) = delete;

  ComponentResult Call(SInt16 selector, std::initializer_list<long> args) {
    LegacyParams params(selector, {});
    params.slots[0] = Slot(mInstance);
    int i = 1;
    for (long arg : args) params.slots[i++] = arg;
    return AUTestPlugin_Entry(params.Get(), Storage());
  }

  OSStatus OpenStatus() const { return mOpenStatus; }
  ComponentInstance Instance() const { return mInstance; }
  void* Storage() const { return GetComponentInstanceStorage(mInstance); }
  TestPlugin& Plugin() const { return *static_cast<TestPlugin*>(Storage()); }

private:
  ComponentInstance mInstance;
  OSStatus mOpenStatus = noErr;
};

// The two ways in, behind one set of calls, so a suite runs through both.
class ModernEntry {
public:
  static constexpr const char* kName = "modern";

  TestPlugin& Plugin() { return mOpened.Plugin(); }
  orvane::host::AudioUnitInstance& Unit() { return mOpened.Unit(); }

  OSStatus Initialize() { return Unit().Initialize(); }
  OSStatus Uninitialize() { return Unit().Uninitialize(); }
  OSStatus Reset(AudioUnitScope scope = 0, AudioUnitElement element = 0) { return Unit().Reset(scope, element); }
  OSStatus GetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                        AudioUnitParameterValue* value) {
    return Unit().GetParameter(id, scope, element, value);
  }
  OSStatus SetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                        AudioUnitParameterValue value, UInt32 offset) {
    return Unit().SetParameter(id, scope, element, value, offset);
  }
  OSStatus ScheduleParameters(std::span<const AudioUnitParameterEvent> events) {
    return Unit().ScheduleParameters(events);
  }
  OSStatus AddPropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc, void* userData) {
    return Unit().AddPropertyListener(id, proc, userData);
  }
  OSStatus RemovePropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc) {
    return Unit().RemovePropertyListener(id, proc);
  }
  OSStatus RemovePropertyListenerWithUserData(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                              void* userData) {
    return Unit().RemovePropertyListenerWithUserData(id, proc, userData);
  }
  OSStatus AddRenderNotify(AURenderCallback proc, void* refCon) { return Unit().AddRenderNotify(proc, refCon); }
  OSStatus RemoveRenderNotify(AURenderCallback proc, void* refCon) { return Unit().RemoveRenderNotify(proc, refCon); }
  OSStatus MIDIEvent(UInt32 status, UInt32 data1, UInt32 data2, UInt32 offset) {
    return Unit().MIDIEvent(status, data1, data2, offset);
  }
  OSStatus SysEx(const UInt8* data, UInt32 length) {
    const auto sysex = Unit().LookupAs<MusicDeviceSysExProc>(kMusicDeviceSysExSelect);
    return sysex(Unit().Block(), data, length);
  }

private:
  OpenedTestPlugin mOpened;
};

class LegacyEntry {
public:
  static constexpr const char* kName = "legacy";

  TestPlugin& Plugin() { return mLegacy.Plugin(); }

  OSStatus Initialize() { return Call(kAudioUnitInitializeSelect, {}); }
  OSStatus Uninitialize() { return Call(kAudioUnitUninitializeSelect, {}); }
  OSStatus Reset(AudioUnitScope scope = 0, AudioUnitElement element = 0) {
    return Call(kAudioUnitResetSelect, {long{scope}, long{element}});
  }
  OSStatus GetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                        AudioUnitParameterValue* value) {
    return Call(kAudioUnitGetParameterSelect, {long{id}, long{scope}, long{element}, Slot(value)});
  }
  OSStatus SetParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                        AudioUnitParameterValue value, UInt32 offset) {
    return Call(kAudioUnitSetParameterSelect, {long{id}, long{scope}, long{element}, Slot(value), long{offset}});
  }
  OSStatus ScheduleParameters(std::span<const AudioUnitParameterEvent> events) {
    return Call(kAudioUnitScheduleParametersSelect, {Slot(events.data()), static_cast<long>(events.size())});
  }
  OSStatus AddPropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc, void* userData) {
    return Call(kAudioUnitAddPropertyListenerSelect, {long{id}, Slot(reinterpret_cast<void*>(proc)), Slot(userData)});
  }
  OSStatus RemovePropertyListener(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc) {
    return Call(kAudioUnitRemovePropertyListenerSelect, {long{id}, Slot(reinterpret_cast<void*>(proc))});
  }
  OSStatus RemovePropertyListenerWithUserData(AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                              void* userData) {
    return Call(kAudioUnitRemovePropertyListenerWithUserDataSelect,
                {long{id}, Slot(reinterpret_cast<void*>(proc)), Slot(userData)});
  }
  OSStatus AddRenderNotify(AURenderCallback proc, void* refCon) {
    return Call(kAudioUnitAddRenderNotifySelect, {Slot(reinterpret_cast<void*>(proc)), Slot(refCon)});
  }
  OSStatus RemoveRenderNotify(AURenderCallback proc, void* refCon) {
    return Call(kAudioUnitRemoveRenderNotifySelect, {Slot(reinterpret_cast<void*>(proc)), Slot(refCon)});
  }
  OSStatus MIDIEvent(UInt32 status, UInt32 data1, UInt32 data2, UInt32 offset) {
    return Call(kMusicDeviceMIDIEventSelect, {long{status}, long{data1}, long{data2}, long{offset}});
  }
  OSStatus SysEx(const UInt8* data, UInt32 length) {
    return Call(kMusicDeviceSysExSelect, {Slot(data), long{length}});
  }

private:
  OSStatus Call(SInt16 selector, std::initializer_list<long> args) { return mLegacy.Call(selector, args); }

  LegacyTestPlugin mLegacy;
};

}  // namespace plugkit::testing
