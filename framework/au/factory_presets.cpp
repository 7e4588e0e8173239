#include "framework/au/factory_presets.h"

#include <new>

#include "framework/au/cf_text.h"
#include "framework/plugin_base.h"

namespace plugkit {
namespace {

RefCountedAUPreset* AsPreset(const void* value) {
  return static_cast<RefCountedAUPreset*>(const_cast<void*>(value));
}

const void* RetainPreset(CFAllocatorRef, const void* value) {
  RefCountedAUPreset* preset = AsPreset(value);
  CFRetain(preset->auPreset.presetName);
  preset->retainCount.fetch_add(1, std::memory_order_relaxed);
  return value;
}

void ReleasePreset(CFAllocatorRef, const void* value) {
  RefCountedAUPreset* preset = AsPreset(value);
  if (preset->retainCount.load(std::memory_order_acquire) < 1) return;
  CFRelease(preset->auPreset.presetName);
  if (preset->retainCount.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  const CFAllocatorRef allocator = preset->allocator;
  preset->~RefCountedAUPreset();
  CFAllocatorDeallocate(allocator, preset);
}

CFStringRef DescribePreset(const void* value) {
  const RefCountedAUPreset* preset = AsPreset(value);
  return CFStringCreateWithFormat(kCFAllocatorDefault, nullptr,
                                  CFSTR("AUPreset:\npreset number = %d\npreset name = %@"),
                                  static_cast<int>(preset->auPreset.presetNumber), preset->auPreset.presetName);
}

Boolean PresetsEqual(const void* a, const void* b) {
  const AUPreset& first = AsPreset(a)->auPreset;
  const AUPreset& second = AsPreset(b)->auPreset;
  return first.presetNumber == second.presetNumber &&
         CFStringCompare(first.presetName, second.presetName, 0) == kCFCompareEqualTo;
}

}  // namespace

const CFArrayCallBacks kRefCountedAUPresetArrayCallBacks = {0, RetainPreset, ReleasePreset, DescribePreset,
                                                            PresetsEqual};

RefCountedAUPreset* CreateRefCountedAUPreset(CFAllocatorRef allocator, int32_t number, CFStringRef name) {
  if (name == nullptr) return nullptr;
  CFStringRef nameCopy = CFStringCreateCopy(allocator, name);
  if (nameCopy == nullptr) return nullptr;
  void* storage = CFAllocatorAllocate(allocator, sizeof(RefCountedAUPreset), 0);
  if (storage == nullptr) {
    CFRelease(nameCopy);
    return nullptr;
  }
  return new (storage) RefCountedAUPreset{AUPreset{number, nameCopy}, allocator, 1};
}

CFArrayRef CreateFactoryPresetArray(const IPluginBase& plugin) {
  const int count = plugin.NPresets();
  CFMutableArrayRef array = CFArrayCreateMutable(kCFAllocatorDefault, count, &kRefCountedAUPresetArrayCallBacks);
  if (array == nullptr) return nullptr;
  for (int idx = 0; idx < count; ++idx) {
    CFStringRef name = CreateCFString(plugin.GetPresetName(idx));
    RefCountedAUPreset* preset = CreateRefCountedAUPreset(kCFAllocatorDefault, idx, name);
    if (name != nullptr) CFRelease(name);
    if (preset == nullptr) {
      CFRelease(array);
      return nullptr;
    }
    CFArrayAppendValue(array, preset);
    ReleasePreset(kCFAllocatorDefault, preset);  // the array holds the only reference now
  }
  return array;
}

}  // namespace plugkit
