#include "cf_object.h"
#include "cf_string.h"

#include <CoreFoundation/CFArray.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const void* RetainType(CFAllocatorRef, const void* value) { return CFRetain(value); }
void ReleaseType(CFAllocatorRef, const void* value) { CFRelease(value); }

}  // namespace

struct CFArrayObject final : standin::cf::Object {
  static constexpr CFTypeID kTypeID = standin::cf::kArrayTypeID;

  CFArrayObject(CFAllocatorRef allocatorUsed, const CFArrayCallBacks* given, bool canChange)
      : allocator(allocatorUsed == nullptr ? CFAllocatorGetDefault() : allocatorUsed),
        callBacks(given == nullptr ? CFArrayCallBacks{} : *given),
        isMutable(canChange) {}

  ~CFArrayObject() override {
    for (const void* value : values) ReleaseValue(value);
  }

  CFTypeID TypeID() const override { return kTypeID; }
  std::string Describe() const override;

  const void* RetainValue(const void* value) const {
    return callBacks.retain == nullptr ? value : callBacks.retain(allocator, value);
  }
  void ReleaseValue(const void* value) const {
    if (callBacks.release != nullptr) callBacks.release(allocator, value);
  }
  bool ValuesEqual(const void* a, const void* b) const {
    if (a == b) return true;
    return callBacks.equal != nullptr && callBacks.equal(a, b);
  }
  bool IsIndex(CFIndex index) const {
    return index >= 0 && index < static_cast<CFIndex>(values.size());
  }

  const CFAllocatorRef allocator;
  const CFArrayCallBacks callBacks;
  const bool isMutable;
  std::vector<const void*> values;
};

std::string CFArrayObject::Describe() const {
  std::string text = "(\n";
  for (std::size_t i = 0; i < values.size(); ++i) {
    std::string element;
    if (callBacks.copyDescription != nullptr) {
      CFStringRef description = callBacks.copyDescription(values[i]);
      element = standin::cf::StringText(description);
      CFRelease(description);
    } else {
      char pointer[32];
      std::snprintf(pointer, sizeof pointer, "<%p>", values[i]);
      element = pointer;
    }
    text += "    " + element + (i + 1 < values.size() ? ",\n" : "\n");
  }
  return text + ")";
}

namespace {

CFArrayObject* Changeable(CFMutableArrayRef array) {
  auto* object = standin::cf::AsMutable<CFArrayObject>(array);
  return object != nullptr && object->isMutable ? object : nullptr;
}

// The range clipped to the array's values.
bool ClipRange(const CFArrayObject& array, CFRange range, std::size_t& begin, std::size_t& end) {
  const auto size = static_cast<CFIndex>(array.values.size());
  if (range.location < 0 || range.length < 0 || range.location > size) return false;
  begin = static_cast<std::size_t>(range.location);
  end = static_cast<std::size_t>(range.location + std::min(range.length, size - range.location));
  return true;
}

}  // namespace

extern "C" {

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, RetainType, ReleaseType, CFCopyDescription,
                                                CFEqual};

CFTypeID CFArrayGetTypeID(void) { return standin::cf::kArrayTypeID; }

CFArrayRef CFArrayCreate(CFAllocatorRef allocator, const void** values, CFIndex count,
                         const CFArrayCallBacks* callBacks) {
  if (count < 0 || (values == nullptr && count > 0)) return nullptr;
  auto* array = new CFArrayObject(allocator, callBacks, false);
  array->values.reserve(static_cast<std::size_t>(count));
  for (CFIndex i = 0; i < count; ++i) array->values.push_back(array->RetainValue(values[i]));
  return array;
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef allocator, CFIndex capacity,
                                       const CFArrayCallBacks* callBacks) {
  auto* array = new CFArrayObject(allocator, callBacks, true);
  if (capacity > 0) array->values.reserve(static_cast<std::size_t>(capacity));
  return array;
}

CFIndex CFArrayGetCount(CFArrayRef array) {
  const auto* object = standin::cf::As<CFArrayObject>(array);
  return object == nullptr ? 0 : static_cast<CFIndex>(object->values.size());
}

const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index) {
  const auto* object = standin::cf::As<CFArrayObject>(array);
  if (object == nullptr || !object->IsIndex(index)) return nullptr;
  return object->values[static_cast<std::size_t>(index)];
}

CFIndex CFArrayGetFirstIndexOfValue(CFArrayRef array, CFRange range, const void* value) {
  const auto* object = standin::cf::As<CFArrayObject>(array);
  std::size_t begin = 0;
  std::size_t end = 0;
  if (object == nullptr || !ClipRange(*object, range, begin, end)) return kCFNotFound;
  for (std::size_t i = begin; i < end; ++i) {
    if (object->ValuesEqual(object->values[i], value)) return static_cast<CFIndex>(i);
  }
  return kCFNotFound;
}

Boolean CFArrayContainsValue(CFArrayRef array, CFRange range, const void* value) {
  return CFArrayGetFirstIndexOfValue(array, range, value) != kCFNotFound;
}

void CFArrayAppendValue(CFMutableArrayRef array, const void* value) {
  if (auto* object = Changeable(array)) object->values.push_back(object->RetainValue(value));
}

void CFArrayInsertValueAtIndex(CFMutableArrayRef array, CFIndex index, const void* value) {
  auto* object = Changeable(array);
  if (object == nullptr || index < 0 || index > static_cast<CFIndex>(object->values.size())) return;
  object->values.insert(object->values.begin() + index, object->RetainValue(value));
}

void CFArraySetValueAtIndex(CFMutableArrayRef array, CFIndex index, const void* value) {
  auto* object = Changeable(array);
  if (object == nullptr || !object->IsIndex(index)) return;
  const void* retained = object->RetainValue(value);
  const void* previous = object->values[static_cast<std::size_t>(index)];
  object->values[static_cast<std::size_t>(index)] = retained;
  object->ReleaseValue(previous);
}

void CFArrayRemoveValueAtIndex(CFMutableArrayRef array, CFIndex index) {
  auto* object = Changeable(array);
  if (object == nullptr || !object->IsIndex(index)) return;
  const void* removed = object->values[static_cast<std::size_t>(index)];
  object->values.erase(object->values.begin() + index);
  object->ReleaseValue(removed);
}

void CFArrayRemoveAllValues(CFMutableArrayRef array) {
  auto* object = Changeable(array);
  if (object == nullptr) return;
  std::vector<const void*> removed;
  removed.swap(object->values);
  for (const void* value : removed) object->ReleaseValue(value);
}

}  // extern "C"
