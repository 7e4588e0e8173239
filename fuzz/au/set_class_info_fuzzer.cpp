// A host's class-info value for SetClassInfo, built from the input: either a
// dictionary (empty, or first the plug-in's own) whose keys the input sets to
// values of any CF type, or a value that is no dictionary at all.
//
// Input: a mode byte, then entries of {key byte, type byte, payload}. Checked:
// the answer is success or the invalid-value status; a dictionary that fails
// the key, type or identity check changes no parameter and no preset; every
// parameter stays finite and in range; no CF object outlives the call.

#include <standin/testing/objects.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "framework/au/class_info.h"
#include "framework/au/plugin_au.h"
#include "fuzz/framework/fuzz_plugin.h"

namespace {

using namespace plugkit;

PluginConfig FuzzConfig() {
  PluginConfig config;
  config.nParams = fuzzing::FuzzPlugin::kParams;
  config.nPresets = 2;
  config.channelIOStr = "1-2 1-1";
  config.vendorVersion = 0x00010004;
  config.uniqueID = MakeFourCC("Fuzz");
  config.mfrID = MakeFourCC("Plkt");
  config.plugDoesMidiIn = true;
  return config;
}

class ClassInfoFuzzPlugin : public IPluginAU {
public:
  ClassInfoFuzzPlugin() : IPluginAU(InstanceInfo{}, FuzzConfig()) {
    fuzzing::FuzzPlugin::InitParams(*this);
    RecallPreset(0);
    ModifyCurrentPreset("Clean");
    RecallPreset(1);
    ModifyCurrentPreset("Lead");
  }

  std::vector<double> Values() const {
    std::vector<double> values;
    for (int idx = 0; idx < NParams(); ++idx) values.push_back(GetParam(idx)->Value());
    return values;
  }
};

// Reads the input front to back; what is missing reads as zeros.
class InputReader {
public:
  InputReader(const uint8_t* data, size_t size) : mData(data), mSize(size) {}

  bool AtEnd() const { return mPos >= mSize; }
  uint8_t Byte() { return AtEnd() ? 0 : mData[mPos++]; }
  template <class T>
  T Value() {
    unsigned char bytes[sizeof(T)] = {};
    for (unsigned char& byte : bytes) byte = Byte();
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
  }
  // A length byte, then up to that many bytes.
  std::vector<uint8_t> Bytes() {
    std::vector<uint8_t> bytes(Byte());
    for (uint8_t& byte : bytes) byte = Byte();
    return bytes;
  }

private:
  const uint8_t* mData;
  size_t mSize;
  size_t mPos = 0;
};

enum EValueType : uint8_t { kSInt32, kSInt64, kFloat64, kString, kData, kBoolean, kArray, kDictionary, kNumTypes };

// A new CF value of the type the input picks; null for text that is not UTF-8.
CFTypeRef MakeValue(InputReader& input) {
  switch (input.Byte() % kNumTypes) {
    case kSInt32: {
      const auto value = input.Value<int32_t>();
      return CFNumberCreate(nullptr, kCFNumberSInt32Type, &value);
    }
    case kSInt64: {
      const auto value = input.Value<int64_t>();
      return CFNumberCreate(nullptr, kCFNumberSInt64Type, &value);
    }
    case kFloat64: {
      const auto value = input.Value<double>();
      return CFNumberCreate(nullptr, kCFNumberFloat64Type, &value);
    }
    case kString: {
      const std::vector<uint8_t> text = input.Bytes();
      return CFStringCreateWithBytes(nullptr, text.data(), static_cast<CFIndex>(text.size()), kCFStringEncodingUTF8,
                                     false);
    }
    case kData: {
      const std::vector<uint8_t> bytes = input.Bytes();
      return CFDataCreate(nullptr, bytes.data(), static_cast<CFIndex>(bytes.size()));
    }
    case kBoolean:
      return CFRetain(input.Byte() & 1 ? kCFBooleanTrue : kCFBooleanFalse);
    case kArray:
      return CFArrayCreate(nullptr, nullptr, 0, &kCFTypeArrayCallBacks);
    default:
      return CFDictionaryCreate(nullptr, nullptr, nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                &kCFTypeDictionaryValueCallBacks);
  }
}

constexpr const char* kKeys[] = {kClassInfoVersionKey,      kClassInfoTypeKey, kClassInfoSubtypeKey,
                                 kClassInfoManufacturerKey, kClassInfoNameKey, kClassInfoDataKey};
constexpr uint8_t kNumKeys = 6;
constexpr uint8_t kStartFromOwnState = 1;
constexpr uint8_t kNotADictionary = 2;
constexpr uint8_t kRemoveKey = 0x80;

// Sets, or with the remove bit removes, one of the six keys or a key of the input's own text.
void ApplyEntry(CFMutableDictionaryRef dict, InputReader& input) {
  const uint8_t keyByte = input.Byte();
  const uint8_t keyChoice = keyByte % (kNumKeys + 1);
  CFStringRef key = nullptr;
  if (keyChoice < kNumKeys) {
    key = CFStringCreateWithCString(nullptr, kKeys[keyChoice], kCFStringEncodingUTF8);
  } else {
    const std::vector<uint8_t> text = input.Bytes();
    key = CFStringCreateWithBytes(nullptr, text.data(), static_cast<CFIndex>(text.size()), kCFStringEncodingUTF8,
                                  false);
  }
  if (key == nullptr) return;
  if (keyByte & kRemoveKey) {
    CFDictionaryRemoveValue(dict, key);
  } else if (CFTypeRef value = MakeValue(input)) {
    CFDictionarySetValue(dict, key, value);
    CFRelease(value);
  }
  CFRelease(key);
}

bool MatchesPlugin(const ClassInfoIdentity& identity, const IPluginAU& plugin) {
  return identity.type == static_cast<int32_t>(plugin.GetAUPluginType()) && identity.subtype == plugin.GetUniqueID() &&
         identity.manufacturer == plugin.GetMfrID();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 16)) return 0;
  static ClassInfoFuzzPlugin* const plugin = new ClassInfoFuzzPlugin;
  const long objectsAtStart = standin::testing::LiveObjectCount();

  InputReader input(data, size);
  const uint8_t mode = input.Byte();
  CFPropertyListRef value = nullptr;
  if (mode & kNotADictionary) {
    value = MakeValue(input);
  } else {
    CFMutableDictionaryRef dict = nullptr;
    if (mode & kStartFromOwnState) {
      CFPropertyListRef own = nullptr;
      plugin->GetClassInfo(&own);
      dict = const_cast<CFMutableDictionaryRef>(static_cast<CFDictionaryRef>(own));
    } else {
      dict = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    }
    while (!input.AtEnd()) ApplyEntry(dict, input);
    value = dict;
  }

  ClassInfoContents contents;
  const bool passesChecks = ReadClassInfo(value, contents) && MatchesPlugin(contents.identity, *plugin);
  const std::vector<double> valuesBefore = plugin->Values();
  const int presetBefore = plugin->GetCurrentPresetIdx();

  const OSStatus status = plugin->SetClassInfo(value);
  if (status != noErr && status != kAudioUnitErr_InvalidPropertyValue) std::abort();
  if (!passesChecks && (status == noErr || plugin->Values() != valuesBefore ||
                        plugin->GetCurrentPresetIdx() != presetBefore))
    std::abort();
  fuzzing::CheckParams(*plugin);

  if (value != nullptr) CFRelease(value);
  contents.data.Clear();
  if (standin::testing::LiveObjectCount() != objectsAtStart) std::abort();
  return 0;
}
