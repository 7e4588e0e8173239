#include "host/auhost_class_info.h"

#include <CoreFoundation/CoreFoundation.h>

#include <fstream>
#include <limits>
#include <sstream>

#include "host/auhost_base64.h"
#include "host/auhost_failure.h"
#include "host/auhost_json_text.h"
#include "host/auhost_output_file.h"
#include "host/auhost_path_problems.h"
#include "host/cf_text.h"

namespace orvane::auhost {
namespace {

constexpr char kVersionKey[] = "version";
constexpr char kTypeKey[] = "type";
constexpr char kSubtypeKey[] = "subtype";
constexpr char kManufacturerKey[] = "manufacturer";
constexpr char kNameKey[] = "name";
constexpr char kDataKey[] = "data";
constexpr int kJsonIndent = 2;

// Releases a CoreFoundation object we own.
class CFOwned {
public:
  explicit CFOwned(CFTypeRef object) : mObject(object) {}
  ~CFOwned() {
    if (mObject) CFRelease(mObject);
  }
  CFOwned(const CFOwned&) = delete;
  CFOwned& operator=(const CFOwned&) = delete;
  CFTypeRef Get() const { return mObject; }

private:
  CFTypeRef mObject;
};

CFStringRef MakeString(const std::string& text) {
  return CFStringCreateWithCString(kCFAllocatorDefault, text.c_str(), kCFStringEncodingUTF8);
}

[[noreturn]] void NotAStateDictionary(const std::string& reason) {
  throw Failure(ExitCode::kComponentError, "the component's class info is not a state dictionary: " + reason);
}

const void* ValueOf(CFDictionaryRef dictionary, const char* key) {
  const CFOwned name(MakeString(key));
  return CFDictionaryGetValue(dictionary, name.Get());
}

std::int32_t NumberOf(CFDictionaryRef dictionary, const char* key) {
  const void* value = ValueOf(dictionary, key);
  std::int32_t number = 0;
  if (!value || CFGetTypeID(value) != CFNumberGetTypeID() ||
      !CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberSInt32Type, &number))
    NotAStateDictionary(std::string("no number under \"") + key + "\"");
  return number;
}

std::string TextOf(CFDictionaryRef dictionary, const char* key) {
  const void* value = ValueOf(dictionary, key);
  if (!value || CFGetTypeID(value) != CFStringGetTypeID())
    NotAStateDictionary(std::string("no text under \"") + key + "\"");
  std::optional<std::string> text = host::CFStringText(static_cast<CFStringRef>(value));
  if (!text) NotAStateDictionary(std::string("unreadable text under \"") + key + "\"");
  return *text;
}

std::optional<std::vector<std::uint8_t>> DataOf(CFDictionaryRef dictionary, const char* key) {
  const void* value = ValueOf(dictionary, key);
  if (!value) return std::nullopt;
  if (CFGetTypeID(value) != CFDataGetTypeID()) NotAStateDictionary(std::string("no bytes under \"") + key + "\"");
  const auto data = static_cast<CFDataRef>(value);
  const UInt8* bytes = CFDataGetBytePtr(data);
  return std::vector<std::uint8_t>(bytes, bytes + CFDataGetLength(data));
}

void PutNumber(CFMutableDictionaryRef dictionary, const char* key, std::int32_t number) {
  const CFOwned name(MakeString(key));
  const CFOwned value(CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &number));
  CFDictionarySetValue(dictionary, name.Get(), value.Get());
}

[[noreturn]] void BadStateDocument(const std::string& reason) {
  throw Failure(ExitCode::kStateFile, reason);
}

std::int32_t JsonNumber(const nlohmann::json& document, const char* key) {
  const auto found = document.find(key);
  if (found == document.end()) BadStateDocument(std::string("\"") + key + "\" is missing");
  if (!found->is_number_integer() || found->get<std::int64_t>() < std::numeric_limits<std::int32_t>::min() ||
      found->get<std::int64_t>() > std::numeric_limits<std::int32_t>::max())
    BadStateDocument(std::string("\"") + key + "\" must be a 32-bit integer");
  return found->get<std::int32_t>();
}

std::string JsonText(const nlohmann::json& document, const char* key) {
  const auto found = document.find(key);
  if (found == document.end()) BadStateDocument(std::string("\"") + key + "\" is missing");
  if (!found->is_string()) BadStateDocument(std::string("\"") + key + "\" must be a string");
  return found->get<std::string>();
}

}  // namespace

ClassInfo GetClassInfo(AudioUnit unit) {
  CFPropertyListRef list = nullptr;
  UInt32 size = sizeof list;
  const OSStatus status =
      AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &list, &size);
  if (status != noErr)
    throw Failure(ExitCode::kComponentError,
                  "the component refused to give its state (status " + std::to_string(status) + ")");
  if (!list) NotAStateDictionary("none was given");
  const CFOwned owned(list);
  if (CFGetTypeID(list) != CFDictionaryGetTypeID()) NotAStateDictionary("it is not a dictionary");
  const auto dictionary = static_cast<CFDictionaryRef>(list);

  ClassInfo info;
  info.version = NumberOf(dictionary, kVersionKey);
  info.type = NumberOf(dictionary, kTypeKey);
  info.subtype = NumberOf(dictionary, kSubtypeKey);
  info.manufacturer = NumberOf(dictionary, kManufacturerKey);
  info.name = TextOf(dictionary, kNameKey);
  info.data = DataOf(dictionary, kDataKey);
  return info;
}

void SetClassInfo(AudioUnit unit, const ClassInfo& info) {
  const CFOwned owned(CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks,
                                                &kCFTypeDictionaryValueCallBacks));
  const auto dictionary = static_cast<CFMutableDictionaryRef>(const_cast<void*>(owned.Get()));
  PutNumber(dictionary, kVersionKey, info.version);
  PutNumber(dictionary, kTypeKey, info.type);
  PutNumber(dictionary, kSubtypeKey, info.subtype);
  PutNumber(dictionary, kManufacturerKey, info.manufacturer);
  {
    const CFOwned key(MakeString(kNameKey));
    const CFOwned name(MakeString(info.name));
    CFDictionarySetValue(dictionary, key.Get(), name.Get());
  }
  if (info.data) {
    const CFOwned key(MakeString(kDataKey));
    const CFOwned data(
        CFDataCreate(kCFAllocatorDefault, info.data->data(), static_cast<CFIndex>(info.data->size())));
    CFDictionarySetValue(dictionary, key.Get(), data.Get());
  }
  CFPropertyListRef list = dictionary;
  const OSStatus status =
      AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &list, sizeof list);
  if (status != noErr)
    throw Failure(ExitCode::kStateFile,
                  "the component refused the state (status " + std::to_string(status) + ")");
}

nlohmann::json ClassInfoToJson(const ClassInfo& info) {
  nlohmann::json document = {
      {kVersionKey, info.version},
      {kTypeKey, info.type},
      {kSubtypeKey, info.subtype},
      {kManufacturerKey, info.manufacturer},
      {kNameKey, info.name},
  };
  if (info.data) document[kDataKey] = EncodeBase64(*info.data);
  return document;
}

ClassInfo ClassInfoFromJson(const nlohmann::json& document) {
  if (!document.is_object()) BadStateDocument("it is not a JSON object");
  ClassInfo info;
  info.version = JsonNumber(document, kVersionKey);
  info.type = JsonNumber(document, kTypeKey);
  info.subtype = JsonNumber(document, kSubtypeKey);
  info.manufacturer = JsonNumber(document, kManufacturerKey);
  info.name = JsonText(document, kNameKey);
  if (document.contains(kDataKey)) {
    auto bytes = DecodeBase64(JsonText(document, kDataKey));
    if (!bytes) BadStateDocument("\"data\" is not base64");
    info.data = std::move(*bytes);
  }
  return info;
}

ClassInfo ReadStateFile(const std::string& path) {
  std::ifstream in = OpenForReading(path, ExitCode::kStateFile, "state file");
  std::ostringstream text;
  text << in.rdbuf();
  nlohmann::json document;
  if (const std::string problem = ReadJsonText(text.view(), JsonExtent::kWholeText, document); !problem.empty())
    throw Failure(ExitCode::kStateFile, "state file " + path + " " + problem);
  try {
    return ClassInfoFromJson(document);
  } catch (const Failure& failure) {
    throw Failure(ExitCode::kStateFile, "state file " + path + " is invalid: " + failure.what());
  }
}

void WriteStateFile(const std::string& path, const ClassInfo& info) {
  ReplaceOutputFile(path, ClassInfoToJson(info).dump(kJsonIndent) + '\n', ExitCode::kStateFile, "state file");
}

}  // namespace orvane::auhost
