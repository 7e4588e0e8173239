#include "framework/au/class_info.h"

#include <limits>
#include <string>

#include "common/utf8_text.h"
#include "framework/au/cf_text.h"

namespace plugkit {
namespace {

// Keys are interned constant strings, so building and reading a dictionary
// makes no key objects.
CFStringRef Key(const char* key) { return CFStringMakeConstantString(key); }

// The value of key when it has the given type, else null.
CFTypeRef ValueOfType(CFDictionaryRef dict, const char* key, CFTypeID type) {
  if (dict == nullptr) return nullptr;
  const void* value = nullptr;
  if (!CFDictionaryGetValueIfPresent(dict, Key(key), &value) || value == nullptr) return nullptr;
  return CFGetTypeID(value) == type ? value : nullptr;
}

void SetOwnedValue(CFMutableDictionaryRef dict, const char* key, CFTypeRef value) {
  if (value == nullptr) return;
  CFDictionarySetValue(dict, Key(key), value);
  CFRelease(value);
}

}  // namespace

void PutStrInDict(CFMutableDictionaryRef dict, const char* key, const char* text) {
  SetOwnedValue(dict, key, CreateCFString(text));
}

void PutNumberInDict(CFMutableDictionaryRef dict, const char* key, int32_t value) {
  SetOwnedValue(dict, key, CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &value));
}

void PutDataInDict(CFMutableDictionaryRef dict, const char* key, const IStateChunk& chunk) {
  SetOwnedValue(dict, key, CFDataCreate(kCFAllocatorDefault, chunk.GetData(), chunk.Size()));
}

bool GetStrFromDict(CFDictionaryRef dict, const char* key, char* out, int outSize) {
  if (out != nullptr && outSize > 0) out[0] = '\0';
  std::string text;
  if (!CopyCFStringText(ValueOfType(dict, key, CFStringGetTypeID()), text)) return false;
  if (out != nullptr && outSize > 0) CopyTextCut(out, outSize, text.c_str());
  return true;
}

bool GetNumberFromDict(CFDictionaryRef dict, const char* key, int32_t& out) {
  const auto number = static_cast<CFNumberRef>(ValueOfType(dict, key, CFNumberGetTypeID()));
  if (number == nullptr) return false;
  SInt32 value = 0;
  if (!CFNumberGetValue(number, kCFNumberSInt32Type, &value)) return false;
  out = value;
  return true;
}

bool GetDataFromDict(CFDictionaryRef dict, const char* key, IStateChunk& chunk) {
  const auto data = static_cast<CFDataRef>(ValueOfType(dict, key, CFDataGetTypeID()));
  if (data == nullptr) return false;
  const CFIndex length = CFDataGetLength(data);
  if (length < 0 || length > std::numeric_limits<int>::max()) return false;
  const int size = static_cast<int>(length);
  const int previousSize = chunk.Size();
  if (chunk.Resize(size) != size) {
    chunk.Resize(previousSize);
    return false;
  }
  if (size > 0) CFDataGetBytes(data, CFRangeMake(0, length), chunk.GetData());
  return true;
}

CFMutableDictionaryRef CreateClassInfo(const ClassInfoIdentity& identity, const char* name,
                                       const IStateChunk* data) {
  CFMutableDictionaryRef dict = CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks,
                                                          &kCFTypeDictionaryValueCallBacks);
  if (dict == nullptr) return nullptr;
  PutNumberInDict(dict, kClassInfoVersionKey, identity.version);
  PutNumberInDict(dict, kClassInfoTypeKey, identity.type);
  PutNumberInDict(dict, kClassInfoSubtypeKey, identity.subtype);
  PutNumberInDict(dict, kClassInfoManufacturerKey, identity.manufacturer);
  PutStrInDict(dict, kClassInfoNameKey, name);
  if (data != nullptr) PutDataInDict(dict, kClassInfoDataKey, *data);
  return dict;
}

bool ReadClassInfo(CFPropertyListRef value, ClassInfoContents& contents) {
  if (value == nullptr || CFGetTypeID(value) != CFDictionaryGetTypeID()) return false;
  const auto dict = static_cast<CFDictionaryRef>(value);
  ClassInfoIdentity& identity = contents.identity;
  return GetNumberFromDict(dict, kClassInfoVersionKey, identity.version) &&
         GetNumberFromDict(dict, kClassInfoTypeKey, identity.type) &&
         GetNumberFromDict(dict, kClassInfoSubtypeKey, identity.subtype) &&
         GetNumberFromDict(dict, kClassInfoManufacturerKey, identity.manufacturer) &&
         GetStrFromDict(dict, kClassInfoNameKey, contents.name, kClassInfoNameSize) &&
         GetDataFromDict(dict, kClassInfoDataKey, contents.data);
}

}  // namespace plugkit
