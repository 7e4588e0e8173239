#include "cf_object.h"

#include <CoreFoundation/CFData.h>

#include <cstdio>
#include <cstring>
#include <vector>

struct CFDataObject final : standin::cf::Object {
  static constexpr CFTypeID kTypeID = standin::cf::kDataTypeID;

  explicit CFDataObject(std::vector<UInt8> content) : bytes(std::move(content)) {}

  CFTypeID TypeID() const override { return kTypeID; }
  bool Equals(const Object& other) const override {
    return bytes == static_cast<const CFDataObject&>(other).bytes;
  }
  CFHashCode Hash() const override { return standin::cf::HashBytes(bytes.data(), bytes.size()); }
  std::string Describe() const override {
    char text[64];
    std::snprintf(text, sizeof text, "<CFData %p [%zu bytes]>", static_cast<const void*>(this),
                  bytes.size());
    return text;
  }

  const std::vector<UInt8> bytes;
};

using standin::cf::As;

extern "C" {

CFTypeID CFDataGetTypeID(void) { return standin::cf::kDataTypeID; }

CFDataRef CFDataCreate(CFAllocatorRef, const UInt8* bytes, CFIndex length) {
  if (length < 0 || (bytes == nullptr && length > 0)) return nullptr;
  return new CFDataObject(std::vector<UInt8>(bytes, bytes + length));
}

CFIndex CFDataGetLength(CFDataRef data) {
  const auto* object = As<CFDataObject>(data);
  return object == nullptr ? 0 : static_cast<CFIndex>(object->bytes.size());
}

const UInt8* CFDataGetBytePtr(CFDataRef data) {
  const auto* object = As<CFDataObject>(data);
  return object == nullptr ? nullptr : object->bytes.data();
}

void CFDataGetBytes(CFDataRef data, CFRange range, UInt8* buffer) {
  const auto* object = As<CFDataObject>(data);
  if (object == nullptr || buffer == nullptr) return;
  const auto size = static_cast<CFIndex>(object->bytes.size());
  if (range.location < 0 || range.length < 0 || range.location > size ||
      range.length > size - range.location) {
    return;
  }
  if (range.length > 0) {
    std::memcpy(buffer, object->bytes.data() + range.location, static_cast<std::size_t>(range.length));
  }
}

}  // extern "C"
