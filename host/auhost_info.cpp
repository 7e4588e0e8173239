#include "host/auhost_info.h"

#include <CoreFoundation/CoreFoundation.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/auhost_level_summary.h"
#include "host/auhost_render.h"
#include "host/cf_text.h"
#include "host/component_identity.h"

namespace orvane::auhost {
namespace {

struct PropertyName {
  AudioUnitPropertyID id;
  const char* name;
};
constexpr PropertyName kProperties[] = {
    {kAudioUnitProperty_ClassInfo, "ClassInfo"},
    {kAudioUnitProperty_MakeConnection, "MakeConnection"},
    {kAudioUnitProperty_SampleRate, "SampleRate"},
    {kAudioUnitProperty_ParameterList, "ParameterList"},
    {kAudioUnitProperty_StreamFormat, "StreamFormat"},
    {kAudioUnitProperty_ElementCount, "ElementCount"},
    {kAudioUnitProperty_Latency, "Latency"},
    {kAudioUnitProperty_SupportedNumChannels, "SupportedNumChannels"},
    {kAudioUnitProperty_MaximumFramesPerSlice, "MaximumFramesPerSlice"},
    {kAudioUnitProperty_TailTime, "TailTime"},
    {kAudioUnitProperty_BypassEffect, "BypassEffect"},
    {kAudioUnitProperty_LastRenderError, "LastRenderError"},
    {kAudioUnitProperty_SetRenderCallback, "SetRenderCallback"},
    {kAudioUnitProperty_FactoryPresets, "FactoryPresets"},
    {kAudioUnitProperty_HostCallbacks, "HostCallbacks"},
    {kAudioUnitProperty_CurrentPreset, "CurrentPreset"},
    {kAudioUnitProperty_CocoaUI, "CocoaUI"},
    {kAudioUnitProperty_PresentPreset, "PresentPreset"},
    {kAudioUnitProperty_MIDIOutputCallbackInfo, "MIDIOutputCallbackInfo"},
    {kAudioUnitProperty_MIDIOutputCallback, "MIDIOutputCallback"},
    {kAudioUnitProperty_SupportsMPE, "SupportsMPE"},
};

std::string ChannelCount(SInt16 count) {
  return count < 0 ? "any" : std::to_string(count);
}

template <typename Value>
bool ReadGlobal(AudioUnit unit, AudioUnitPropertyID id, Value& value, AudioUnitScope scope = kAudioUnitScope_Global,
                AudioUnitElement element = 0) {
  UInt32 size = sizeof value;
  return AudioUnitGetProperty(unit, id, scope, element, &value, &size) == noErr;
}

std::string CFText(CFStringRef string) { return host::CFStringText(string).value_or(""); }

void PrintDescription(const host::ComponentInfo& info, std::ostream& out) {
  out << info.name << " (" << info.bundleIdentifier << ", version " << info.bundleVersion << ")\n";
  out << "  " << host::DescribeComponent(info.description) << "\n";
  char version[16];
  std::snprintf(version, sizeof version, "0x%08X", static_cast<unsigned>(info.version));
  out << "  component version " << version << ", factory " << info.factoryFunction << "\n";
}

void PrintChannels(AudioUnit unit, std::ostream& out) {
  out << "channel configurations:";
  const auto configurations = ReadChannelConfigurations(unit);
  if (configurations.empty()) out << " none reported";
  for (const AUChannelInfo& configuration : configurations)
    out << " " << ChannelCount(configuration.inChannels) << "-" << ChannelCount(configuration.outChannels);
  out << "\n";

  UInt32 inputs = 0;
  UInt32 outputs = 0;
  ReadGlobal(unit, kAudioUnitProperty_ElementCount, inputs, kAudioUnitScope_Input);
  ReadGlobal(unit, kAudioUnitProperty_ElementCount, outputs, kAudioUnitScope_Output);
  out << "buses: " << inputs << " input, " << outputs << " output\n";
  const auto printFormat = [&](const char* label, AudioUnitScope scope, UInt32 count) {
    for (UInt32 bus = 0; bus < count; ++bus) {
      AudioStreamBasicDescription format{};
      if (!ReadGlobal(unit, kAudioUnitProperty_StreamFormat, format, scope, bus)) continue;
      char text[160];
      std::snprintf(text, sizeof text, "%s format %u: %g Hz, %u channel(s), %s, flags 0x%X, %u bits\n", label,
                    static_cast<unsigned>(bus), format.mSampleRate, static_cast<unsigned>(format.mChannelsPerFrame),
                    host::FourCharText(format.mFormatID).c_str(), static_cast<unsigned>(format.mFormatFlags),
                    static_cast<unsigned>(format.mBitsPerChannel));
      out << text;
    }
  };
  printFormat("input", kAudioUnitScope_Input, inputs);
  printFormat("output", kAudioUnitScope_Output, outputs);
}

void PrintTiming(AudioUnit unit, std::ostream& out) {
  Float64 latency = 0.0;
  Float64 tail = 0.0;
  UInt32 maxFrames = 0;
  if (ReadGlobal(unit, kAudioUnitProperty_Latency, latency)) out << "latency: " << FormatSeconds(latency) << "\n";
  if (ReadGlobal(unit, kAudioUnitProperty_TailTime, tail)) out << "tail: " << FormatSeconds(tail) << "\n";
  if (ReadGlobal(unit, kAudioUnitProperty_MaximumFramesPerSlice, maxFrames))
    out << "maximum frames per slice: " << maxFrames << "\n";
}

void PrintParameters(AudioUnit unit, std::ostream& out) {
  UInt32 size = 0;
  Boolean writable = false;
  if (AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, &size,
                               &writable) != noErr)
    return;
  std::vector<AudioUnitParameterID> ids(size / sizeof(AudioUnitParameterID));
  if (!ids.empty() && AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0,
                                           ids.data(), &size) != noErr)
    ids.clear();
  out << "parameters: " << ids.size() << "\n";
  for (const AudioUnitParameterID id : ids) {
    AudioUnitParameterInfo parameter{};
    if (!ReadGlobal(unit, kAudioUnitProperty_ParameterInfo, parameter, kAudioUnitScope_Global, id)) continue;
    out << "  " << id << " " << parameter.name << " [" << parameter.minValue << " .. " << parameter.maxValue
        << "], default " << parameter.defaultValue << "\n";
    if (parameter.cfNameString) CFRelease(parameter.cfNameString);
    if (parameter.unitName) CFRelease(parameter.unitName);
  }
}

void PrintFactoryPresets(AudioUnit unit, std::ostream& out) {
  CFArrayRef presets = nullptr;
  if (!ReadGlobal(unit, kAudioUnitProperty_FactoryPresets, presets) || !presets) return;
  out << "factory presets: " << CFArrayGetCount(presets) << "\n";
  for (CFIndex i = 0; i < CFArrayGetCount(presets); ++i) {
    const auto* preset = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, i));
    if (preset) out << "  " << preset->presetNumber << " " << CFText(preset->presetName) << "\n";
  }
  CFRelease(presets);
}

void PrintProperties(AudioUnit unit, std::ostream& out) {
  out << "properties (global scope):\n";
  for (const PropertyName& property : kProperties) {
    UInt32 size = 0;
    Boolean writable = false;
    if (AudioUnitGetPropertyInfo(unit, property.id, kAudioUnitScope_Global, 0, &size, &writable) != noErr) continue;
    out << "  " << property.id << " " << property.name << ", " << size << " bytes" << (writable ? ", writable" : "")
        << "\n";
  }
}

}  // namespace

void PrintComponentInfo(const host::ComponentInfo& info, AudioUnit unit, std::ostream& out) {
  PrintDescription(info, out);
  PrintChannels(unit, out);
  PrintTiming(unit, out);
  PrintParameters(unit, out);
  PrintFactoryPresets(unit, out);
  PrintProperties(unit, out);
}

}  // namespace orvane::auhost
