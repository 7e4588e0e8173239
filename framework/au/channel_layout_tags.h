#pragma once

#include <AudioUnit/AudioUnitProperties.h>

#include <vector>

#include "framework/channel_io_config.h"

namespace plugkit {

class IPluginProcessor;

// The layout tags offered for a bus of n channels, most specific first.
std::vector<AudioChannelLayoutTag> LayoutTagsForChannelCount(int nChans);

// The tags of bus busIdx of a direction over every channel configuration that
// has such a bus, in configuration order, each tag once.
std::vector<AudioChannelLayoutTag> SupportedLayoutTags(const IPluginProcessor& processor, ERoute direction,
                                                       int busIdx);

// One {in, out} pair per channel configuration: the channel sums of each
// direction, -1 when any bus of that direction is a wildcard.
std::vector<AUChannelInfo> SupportedChannelCounts(const IPluginProcessor& processor);

}  // namespace plugkit
