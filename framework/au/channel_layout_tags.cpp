#include "framework/au/channel_layout_tags.h"

#include <algorithm>

#include "framework/plugin_processor.h"

namespace plugkit {
namespace {

// The channel count field of the tags that carry one.
constexpr int kMaxTaggedChannels = 0xFFFF;

AudioChannelLayoutTag WithChannelCount(AudioChannelLayoutTag tag, int nChans) {
  // A wildcard bus has no count of its own to name.
  const int count = std::clamp(nChans, 0, kMaxTaggedChannels);
  return tag | static_cast<AudioChannelLayoutTag>(count);
}

SInt16 ChannelSum(const IOConfig& config, ERoute direction) {
  if (config.ContainsWildcard(direction)) return -1;
  return static_cast<SInt16>(config.NChansOnBusSum(direction));
}

}  // namespace

std::vector<AudioChannelLayoutTag> LayoutTagsForChannelCount(int nChans) {
  switch (nChans) {
    case 0:
      return {kAudioChannelLayoutTag_UseChannelDescriptions};
    case 1:
      return {kAudioChannelLayoutTag_Mono};
    case 2:
      return {kAudioChannelLayoutTag_Stereo};
    case 3:
      return {kAudioChannelLayoutTag_MPEG_3_0_A};
    case 4:
      return {kAudioChannelLayoutTag_Quadraphonic, kAudioChannelLayoutTag_Ambisonic_B_Format};
    case 5:
      return {kAudioChannelLayoutTag_MPEG_5_0_A};
    case 6:
      return {kAudioChannelLayoutTag_MPEG_5_1_A, kAudioChannelLayoutTag_AudioUnit_6_0};
    case 7:
      return {kAudioChannelLayoutTag_MPEG_6_1_A, kAudioChannelLayoutTag_AudioUnit_7_0,
              kAudioChannelLayoutTag_MPEG_7_1_A};
    case 8:
      return {kAudioChannelLayoutTag_MPEG_7_1_C, kAudioChannelLayoutTag_MPEG_7_1_A};
    case 9:
    case 16:
      return {WithChannelCount(kAudioChannelLayoutTag_HOA_ACN_SN3D, nChans)};
    case 10:
      return {kAudioChannelLayoutTag_Atmos_5_1_4};
    case 12:
      return {kAudioChannelLayoutTag_Atmos_7_1_4};
    default:
      return {WithChannelCount(kAudioChannelLayoutTag_DiscreteInOrder, nChans)};
  }
}

std::vector<AudioChannelLayoutTag> SupportedLayoutTags(const IPluginProcessor& processor, ERoute direction,
                                                       int busIdx) {
  std::vector<AudioChannelLayoutTag> tags;
  for (int configIdx = 0; configIdx < processor.NIOConfigs(); ++configIdx) {
    const IBusInfo* bus = processor.GetIOConfig(configIdx)->GetBusInfo(direction, busIdx);
    if (bus == nullptr) continue;
    for (AudioChannelLayoutTag tag : LayoutTagsForChannelCount(bus->mNChans)) {
      if (std::find(tags.begin(), tags.end(), tag) == tags.end()) tags.push_back(tag);
    }
  }
  return tags;
}

std::vector<AUChannelInfo> SupportedChannelCounts(const IPluginProcessor& processor) {
  std::vector<AUChannelInfo> counts;
  for (int configIdx = 0; configIdx < processor.NIOConfigs(); ++configIdx) {
    const IOConfig& config = *processor.GetIOConfig(configIdx);
    counts.push_back(AUChannelInfo{ChannelSum(config, kInput), ChannelSum(config, kOutput)});
  }
  return counts;
}

}  // namespace plugkit
