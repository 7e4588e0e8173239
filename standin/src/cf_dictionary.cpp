#include "cf_object.h"
#include "cf_string.h"

#include <CoreFoundation/CFDictionary.h>

#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

const void* RetainType(CFAllocatorRef, const void* value) { return CFRetain(value); }
void ReleaseType(CFAllocatorRef, const void* value) { CFRelease(value); }

std::string PointerText(const void* value) {
  char text[32];
  std::snprintf(text, sizeof text, "<%p>", value);
  return text;
}

std::string DescribePart(CFDictionaryCopyDescriptionCallBack copyDescription, const void* value) {
  if (copyDescription == nullptr) return PointerText(value);
  CFStringRef description = copyDescription(value);
  std::string text = standin::cf::StringText(description);
  CFRelease(description);
  return text;
}

struct Entry {
  CFHashCode hash;
  const void* key;
  const void* value;
};

}  // namespace

// Entries in insertion order; small dictionaries are the rule, so a lookup
// scans the stored hashes before comparing keys.
struct CFDictionaryObject final : standin::cf::Object {
  static constexpr CFTypeID kTypeID = standin::cf::kDictionaryTypeID;

  CFDictionaryObject(CFAllocatorRef allocatorUsed, const CFDictionaryKeyCallBacks* keys,
                     const CFDictionaryValueCallBacks* values, bool canChange,
                     standin::cf::Lifetime lifetime = standin::cf::Lifetime::Counted)
      : Object(lifetime),
        allocator(allocatorUsed == nullptr ? CFAllocatorGetDefault() : allocatorUsed),
        keyCallBacks(keys == nullptr ? CFDictionaryKeyCallBacks{} : *keys),
        valueCallBacks(values == nullptr ? CFDictionaryValueCallBacks{} : *values),
        isMutable(canChange) {}

  ~CFDictionaryObject() override { ReleaseAll(); }

  CFTypeID TypeID() const override { return kTypeID; }
  std::string Describe() const override {
    std::string text = "{\n";
    for (const Entry& entry : entries) {
      text += "    " + DescribePart(keyCallBacks.copyDescription, entry.key) + " = " +
              DescribePart(valueCallBacks.copyDescription, entry.value) + ";\n";
    }
    return text + "}";
  }

  CFHashCode HashKey(const void* key) const {
    return keyCallBacks.hash == nullptr ? reinterpret_cast<std::uintptr_t>(key)
                                        : keyCallBacks.hash(key);
  }

  const Entry* Find(const void* key) const {
    const CFHashCode hash = HashKey(key);
    for (const Entry& entry : entries) {
      if (entry.hash != hash) continue;
      if (entry.key == key || (keyCallBacks.equal != nullptr && keyCallBacks.equal(entry.key, key))) {
        return &entry;
      }
    }
    return nullptr;
  }

  Entry* Find(const void* key) { return const_cast<Entry*>(std::as_const(*this).Find(key)); }

  void Add(const void* key, const void* value) {
    entries.push_back(Entry{HashKey(key), RetainKey(key), RetainValue(value)});
  }

  void ReplaceValue(Entry& entry, const void* value) {
    const void* previous = entry.value;
    entry.value = RetainValue(value);
    ReleaseValue(previous);
  }

  void Remove(const Entry& entry) {
    const Entry removed = entry;
    entries.erase(entries.begin() + (&entry - entries.data()));
    ReleaseKey(removed.key);
    ReleaseValue(removed.value);
  }

  void ReleaseAll() {
    std::vector<Entry> removed;
    removed.swap(entries);
    for (const Entry& entry : removed) {
      ReleaseKey(entry.key);
      ReleaseValue(entry.value);
    }
  }

  const void* RetainKey(const void* key) const {
    return keyCallBacks.retain == nullptr ? key : keyCallBacks.retain(allocator, key);
  }
  void ReleaseKey(const void* key) const {
    if (keyCallBacks.release != nullptr) keyCallBacks.release(allocator, key);
  }
  const void* RetainValue(const void* value) const {
    return valueCallBacks.retain == nullptr ? value : valueCallBacks.retain(allocator, value);
  }
  void ReleaseValue(const void* value) const {
    if (valueCallBacks.release != nullptr) valueCallBacks.release(allocator, value);
  }

  const CFAllocatorRef allocator;
  const CFDictionaryKeyCallBacks keyCallBacks;
  const CFDictionaryValueCallBacks valueCallBacks;
  const bool isMutable;
  std::vector<Entry> entries;
};

namespace {

CFDictionaryObject* Changeable(CFMutableDictionaryRef dictionary) {
  auto* object = standin::cf::AsMutable<CFDictionaryObject>(dictionary);
  return object != nullptr && object->isMutable ? object : nullptr;
}

}  // namespace

using standin::cf::As;

CFMutableDictionaryRef standin::cf::CreateUncountedDictionary() {
  return new CFDictionaryObject(nullptr, &kCFTypeDictionaryKeyCallBacks,
                                &kCFTypeDictionaryValueCallBacks, true, Lifetime::Uncounted);
}

extern "C" {

const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {
    0, RetainType, ReleaseType, CFCopyDescription, CFEqual, CFHash};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {
    0, RetainType, ReleaseType, CFCopyDescription, CFEqual};

CFTypeID CFDictionaryGetTypeID(void) { return standin::cf::kDictionaryTypeID; }

CFDictionaryRef CFDictionaryCreate(CFAllocatorRef allocator, const void** keys,
                                   const void** values, CFIndex count,
                                   const CFDictionaryKeyCallBacks* keyCallBacks,
                                   const CFDictionaryValueCallBacks* valueCallBacks) {
  if (count < 0 || (count > 0 && (keys == nullptr || values == nullptr))) return nullptr;
  auto* dictionary = new CFDictionaryObject(allocator, keyCallBacks, valueCallBacks, false);
  for (CFIndex i = 0; i < count; ++i) {
    // A repeated key keeps its last value.
    if (Entry* existing = dictionary->Find(keys[i])) {
      dictionary->ReplaceValue(*existing, values[i]);
    } else {
      dictionary->Add(keys[i], values[i]);
    }
  }
  return dictionary;
}

CFMutableDictionaryRef CFDictionaryCreateMutable(
    CFAllocatorRef allocator, CFIndex capacity, const CFDictionaryKeyCallBacks* keyCallBacks,
    const CFDictionaryValueCallBacks* valueCallBacks) {
  auto* dictionary = new CFDictionaryObject(allocator, keyCallBacks, valueCallBacks, true);
  if (capacity > 0) dictionary->entries.reserve(static_cast<std::size_t>(capacity));
  return dictionary;
}

CFIndex CFDictionaryGetCount(CFDictionaryRef dictionary) {
  const auto* object = As<CFDictionaryObject>(dictionary);
  return object == nullptr ? 0 : static_cast<CFIndex>(object->entries.size());
}

Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef dictionary, const void* key,
                                      const void** value) {
  const auto* object = As<CFDictionaryObject>(dictionary);
  const Entry* entry = object == nullptr ? nullptr : object->Find(key);
  if (entry == nullptr) return false;
  if (value != nullptr) *value = entry->value;
  return true;
}

const void* CFDictionaryGetValue(CFDictionaryRef dictionary, const void* key) {
  const void* value = nullptr;
  CFDictionaryGetValueIfPresent(dictionary, key, &value);
  return value;
}

Boolean CFDictionaryContainsKey(CFDictionaryRef dictionary, const void* key) {
  return CFDictionaryGetValueIfPresent(dictionary, key, nullptr);
}

void CFDictionaryGetKeysAndValues(CFDictionaryRef dictionary, const void** keys,
                                  const void** values) {
  const auto* object = As<CFDictionaryObject>(dictionary);
  if (object == nullptr) return;
  for (std::size_t i = 0; i < object->entries.size(); ++i) {
    if (keys != nullptr) keys[i] = object->entries[i].key;
    if (values != nullptr) values[i] = object->entries[i].value;
  }
}

void CFDictionarySetValue(CFMutableDictionaryRef dictionary, const void* key, const void* value) {
  auto* object = Changeable(dictionary);
  if (object == nullptr) return;
  if (Entry* existing = object->Find(key)) {
    object->ReplaceValue(*existing, value);
  } else {
    object->Add(key, value);
  }
}

void CFDictionaryAddValue(CFMutableDictionaryRef dictionary, const void* key, const void* value) {
  auto* object = Changeable(dictionary);
  if (object != nullptr && object->Find(key) == nullptr) object->Add(key, value);
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef dictionary, const void* key) {
  auto* object = Changeable(dictionary);
  if (object == nullptr) return;
  if (const Entry* entry = object->Find(key)) object->Remove(*entry);
}

void CFDictionaryRemoveAllValues(CFMutableDictionaryRef dictionary) {
  if (auto* object = Changeable(dictionary)) object->ReleaseAll();
}

}  // extern "C"
