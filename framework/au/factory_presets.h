#pragma once

#include <AudioUnit/AudioUnitProperties.h>
#include <CoreFoundation/CoreFoundation.h>

#include <atomic>
#include <cstdint>

namespace plugkit {

class IPluginBase;

// One element of the factory-preset array: the preset record a host reads,
// the allocator that made it and a reference count that the array's
// callbacks keep, retaining and releasing the name along with it.
struct RefCountedAUPreset {
  AUPreset auPreset;
  CFAllocatorRef allocator;
  std::atomic<int64_t> retainCount;
};

// Array callbacks for RefCountedAUPreset elements.
extern const CFArrayCallBacks kRefCountedAUPresetArrayCallBacks;

// A new record holding one reference and a copy of the name; null when it
// cannot be allocated.
RefCountedAUPreset* CreateRefCountedAUPreset(CFAllocatorRef allocator, int32_t number, CFStringRef name);

// The array (owned by the caller) of one record per preset slot, numbered by
// index and named after the slot; null when it cannot be created.
CFArrayRef CreateFactoryPresetArray(const IPluginBase& plugin);

}  // namespace plugkit
