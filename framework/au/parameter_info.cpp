#include "framework/au/parameter_info.h"

#include <cstring>
#include <iterator>

#include "common/utf8_text.h"
#include "framework/au/cf_text.h"
#include "framework/plugin_base.h"

namespace plugkit {
namespace {

// Parameter flag bits that only the AudioUnit description reads.
constexpr int kParamFlagCannotAutomate = 1;
constexpr int kParamFlagMeta = 16;

constexpr AudioUnitParameterOptions kBaseFlags =
    kAudioUnitParameterFlag_IsWritable | kAudioUnitParameterFlag_IsReadable |
    kAudioUnitParameterFlag_HasCFNameString | kAudioUnitParameterFlag_IsHighResolution |
    kAudioUnitParameterFlag_CFNameRelease;

constexpr int kCustomUnitCode = 21;

// AudioUnit units by the parameter's unit code 0..21.
constexpr AudioUnitParameterUnit kUnitsByCode[] = {
    kAudioUnitParameterUnit_Percent,        kAudioUnitParameterUnit_Seconds,
    kAudioUnitParameterUnit_Milliseconds,   kAudioUnitParameterUnit_SampleFrames,
    kAudioUnitParameterUnit_Decibels,       kAudioUnitParameterUnit_LinearGain,
    kAudioUnitParameterUnit_Pan,            kAudioUnitParameterUnit_Phase,
    kAudioUnitParameterUnit_Degrees,        kAudioUnitParameterUnit_Meters,
    kAudioUnitParameterUnit_Rate,           kAudioUnitParameterUnit_Ratio,
    kAudioUnitParameterUnit_Hertz,          kAudioUnitParameterUnit_Octaves,
    kAudioUnitParameterUnit_Cents,          kAudioUnitParameterUnit_AbsoluteCents,
    kAudioUnitParameterUnit_RelativeSemiTones, kAudioUnitParameterUnit_MIDINoteNumber,
    kAudioUnitParameterUnit_MIDIController, kAudioUnitParameterUnit_BPM,
    kAudioUnitParameterUnit_Beats,          kAudioUnitParameterUnit_CustomUnit,
};
static_assert(std::size(kUnitsByCode) == kCustomUnitCode + 1);

// Display flags by the shape's display type 0..6 (0 linear adds nothing).
constexpr AudioUnitParameterOptions kDisplayFlagsByType[] = {
    0,
    kAudioUnitParameterFlag_DisplayLogarithmic,
    kAudioUnitParameterFlag_DisplayExponential,
    kAudioUnitParameterFlag_DisplaySquared,
    kAudioUnitParameterFlag_DisplaySquareRoot,
    kAudioUnitParameterFlag_DisplayCubed,
    kAudioUnitParameterFlag_DisplayCubeRoot,
};

AudioUnitParameterOptions DisplayFlag(int displayType) {
  if (displayType < 0 || displayType >= static_cast<int>(std::size(kDisplayFlagsByType))) return 0;
  return kDisplayFlagsByType[displayType];
}

}  // namespace

AudioUnitParameterUnit AUUnitOfParam(const IParam& param) {
  switch (param.Type()) {
    case IParam::kTypeBool:
      return kAudioUnitParameterUnit_Boolean;
    case IParam::kTypeInt:
    case IParam::kTypeEnum:
      return kAudioUnitParameterUnit_Indexed;
    default:
      break;
  }
  const int code = param.Unit();
  if (code < 0 || code > kCustomUnitCode) return kAudioUnitParameterUnit_Generic;
  if (code == kCustomUnitCode && *param.Label() == '\0') return kAudioUnitParameterUnit_Generic;
  return kUnitsByCode[code];
}

int ClumpIDOfGroup(IPluginBase& plugin, const char* group) {
  if (group == nullptr || *group == '\0') return 0;
  for (int idx = 0; idx < plugin.NParamGroups(); ++idx) {
    if (std::strcmp(plugin.GetParamGroupName(idx), group) == 0) return idx + 1;
  }
  return plugin.AddParamGroup(group);
}

void FillParameterInfo(IPluginBase& plugin, int paramIdx, AudioUnitParameterInfo& info) {
  const IParam& param = *plugin.GetParam(paramIdx);
  std::memset(&info, 0, sizeof info);

  CopyTextCut(info.name, static_cast<int>(sizeof info.name), param.Name());
  info.cfNameString = CreateCFString(param.Name());

  info.flags = kBaseFlags;
  if (param.GetFlags() & kParamFlagCannotAutomate) info.flags |= kAudioUnitParameterFlag_NonRealTime;
  if (param.GetFlags() & kParamFlagMeta) info.flags |= kAudioUnitParameterFlag_IsElementMeta;
  if (param.DisplayTextCount() > 0) info.flags |= kAudioUnitParameterFlag_ValuesHaveStrings;

  info.unit = AUUnitOfParam(param);
  if (info.unit == kAudioUnitParameterUnit_CustomUnit) info.unitName = CreateCFString(param.Label());

  info.flags |= DisplayFlag(param.GetShape().GetDisplayType());

  info.minValue = static_cast<AudioUnitParameterValue>(param.GetMin());
  info.maxValue = static_cast<AudioUnitParameterValue>(param.GetMax());
  info.defaultValue = static_cast<AudioUnitParameterValue>(param.GetDefault());

  info.clumpID = static_cast<UInt32>(ClumpIDOfGroup(plugin, param.Group()));
  if (info.clumpID != 0) info.flags |= kAudioUnitParameterFlag_HasClump;
}

}  // namespace plugkit
