#include "host/component_identity.h"

#include <AudioUnit/AudioUnit.h>
#include <CoreFoundation/CoreFoundation.h>

#include <cstdio>

#include "host/audio_unit_instance.h"

namespace orvane::host {
namespace {

constexpr UInt32 kFirstPrintable = 0x20;
constexpr UInt32 kLastPrintable = 0x7E;

// The class-info keys of the three numbers, as every component writes them.
constexpr char kTypeKey[] = "type";
constexpr char kSubtypeKey[] = "subtype";
constexpr char kManufacturerKey[] = "manufacturer";

bool NumberOf(CFDictionaryRef dictionary, const char* key, OSType& number) {
  CFStringRef name = CFStringCreateWithCString(kCFAllocatorDefault, key, kCFStringEncodingUTF8);
  const void* value = CFDictionaryGetValue(dictionary, name);
  CFRelease(name);
  SInt32 signedNumber = 0;
  if (!value || CFGetTypeID(value) != CFNumberGetTypeID() ||
      !CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberSInt32Type, &signedNumber))
    return false;
  number = static_cast<OSType>(signedNumber);
  return true;
}

}  // namespace

std::string FourCharText(UInt32 code) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const UInt32 character = (code >> shift) & 0xFFu;
    if (character < kFirstPrintable || character > kLastPrintable) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
      return hex;
    }
    text += static_cast<char>(character);
  }
  return text;
}

std::string DescribeComponent(const AudioComponentDescription& description) {
  return "type " + FourCharText(description.componentType) + ", subtype " +
         FourCharText(description.componentSubType) + ", manufacturer " +
         FourCharText(description.componentManufacturer);
}

bool ReadReportedDescription(AudioComponent component, AudioComponentDescription& reported, std::string& error) {
  OSStatus status = noErr;
  const auto instance = AudioUnitInstance::Open(component, status);
  if (!instance) {
    error = "no instance opens (status " + std::to_string(status) + ")";
    return false;
  }
  CFPropertyListRef list = nullptr;
  UInt32 size = sizeof list;
  status = instance->GetProperty(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &list, &size);
  if (status != noErr || !list) {
    error = "its class info cannot be read (status " + std::to_string(status) + ")";
    return false;
  }
  AudioComponentDescription description{};
  const bool complete = CFGetTypeID(list) == CFDictionaryGetTypeID() &&
                        NumberOf(static_cast<CFDictionaryRef>(list), kTypeKey, description.componentType) &&
                        NumberOf(static_cast<CFDictionaryRef>(list), kSubtypeKey, description.componentSubType) &&
                        NumberOf(static_cast<CFDictionaryRef>(list), kManufacturerKey,
                                 description.componentManufacturer);
  CFRelease(list);
  if (!complete) {
    error = "its class info lacks the type, subtype or manufacturer";
    return false;
  }
  reported = description;
  return true;
}

bool SameCodes(const AudioComponentDescription& one, const AudioComponentDescription& other) {
  return one.componentType == other.componentType && one.componentSubType == other.componentSubType &&
         one.componentManufacturer == other.componentManufacturer;
}

std::string IdentityMismatch(const ComponentInfo& registered, const AudioComponentDescription& reported) {
  const AudioComponentDescription& expected = registered.description;
  if (SameCodes(expected, reported)) return {};
  return "the Info.plist registers " + DescribeComponent(expected) + ", but the component reports " +
         DescribeComponent(reported) + " in its class info";
}

bool CheckComponentIdentity(const ComponentInfo& registered, AudioComponent component, std::string& error) {
  AudioComponentDescription reported{};
  std::string reason;
  if (!ReadReportedDescription(component, reported, reason)) {
    error = "the component's own description is unknown: " + reason;
    return false;
  }
  error = IdentityMismatch(registered, reported);
  return error.empty();
}

}  // namespace orvane::host
