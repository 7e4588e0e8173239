// The property records that need no plug-in instance: factory-preset
// elements, layout tags, channel counts, stream formats and parameter info.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cf_owned.h"
#include "framework/au/cf_text.h"
#include "framework/au/channel_layout_tags.h"
#include "framework/au/factory_presets.h"
#include "framework/au/parameter_info.h"
#include "framework/au/stream_format.h"
#include "framework/plugin_base.h"
#include "framework/plugin_processor.h"

namespace plugkit {
namespace {

using testing::CFLeakCheckedTest;
using testing::CFOwned;

std::string TextOf(CFStringRef string) {
  std::string text;
  CopyCFStringText(string, text);
  return text;
}

// A plug-in base whose preset slots are filled by the test.
class PresetHolder : public IPluginBase {
public:
  explicit PresetHolder(std::vector<std::string> names) : IPluginBase(0, static_cast<int>(names.size())) {
    for (int idx = 0; idx < NPresets(); ++idx) mPresets.Get(idx)->SetName(names[static_cast<size_t>(idx)].c_str());
  }
};

class FactoryPresetTest : public CFLeakCheckedTest {};

TEST_F(FactoryPresetTest, ArrayHoldsOneNumberedRecordPerSlot) {
  PresetHolder plugin({"Clean", "Crunch", "Lead"});
  CFOwned<CFArrayRef> array(CreateFactoryPresetArray(plugin));
  ASSERT_NE(array.Get(), nullptr);
  ASSERT_EQ(CFArrayGetCount(array.Get()), 3);
  for (int idx = 0; idx < 3; ++idx) {
    const auto* preset = static_cast<const RefCountedAUPreset*>(CFArrayGetValueAtIndex(array.Get(), idx));
    EXPECT_EQ(preset->auPreset.presetNumber, idx);
    EXPECT_EQ(TextOf(preset->auPreset.presetName), plugin.GetPresetName(idx));
    EXPECT_EQ(preset->retainCount.load(), 1);
  }
}

TEST_F(FactoryPresetTest, RetainingAnElementKeepsItAndItsNameAfterTheArray) {
  PresetHolder plugin({"Clean"});
  CFArrayRef array = CreateFactoryPresetArray(plugin);
  auto* preset = const_cast<void*>(CFArrayGetValueAtIndex(array, 0));
  kRefCountedAUPresetArrayCallBacks.retain(nullptr, preset);
  CFRelease(array);
  const auto* record = static_cast<const RefCountedAUPreset*>(preset);
  EXPECT_EQ(record->retainCount.load(), 1);
  EXPECT_EQ(TextOf(record->auPreset.presetName), "Clean");
  kRefCountedAUPresetArrayCallBacks.release(nullptr, preset);
}

TEST_F(FactoryPresetTest, ElementsDescribeAndCompareByNumberAndName) {
  CFOwned<CFStringRef> clean(CreateCFString("Clean"));
  CFOwned<CFStringRef> lead(CreateCFString("Lead"));
  RefCountedAUPreset* first = CreateRefCountedAUPreset(nullptr, 2, clean.Get());
  RefCountedAUPreset* same = CreateRefCountedAUPreset(nullptr, 2, clean.Get());
  RefCountedAUPreset* otherName = CreateRefCountedAUPreset(nullptr, 2, lead.Get());
  RefCountedAUPreset* otherNumber = CreateRefCountedAUPreset(nullptr, 3, clean.Get());
  const CFArrayCallBacks& callbacks = kRefCountedAUPresetArrayCallBacks;
  EXPECT_EQ(callbacks.version, 0);
  EXPECT_TRUE(callbacks.equal(first, same));
  EXPECT_FALSE(callbacks.equal(first, otherName));
  EXPECT_FALSE(callbacks.equal(first, otherNumber));
  CFOwned<CFStringRef> description(callbacks.copyDescription(first));
  EXPECT_EQ(TextOf(description.Get()), "AUPreset:\npreset number = 2\npreset name = Clean");
  for (RefCountedAUPreset* preset : {first, same, otherName, otherNumber}) callbacks.release(nullptr, preset);
}

TEST(LayoutTagsTest, TagsByChannelCount) {
  using Tags = std::vector<AudioChannelLayoutTag>;
  EXPECT_EQ(LayoutTagsForChannelCount(0), Tags{kAudioChannelLayoutTag_UseChannelDescriptions});
  EXPECT_EQ(LayoutTagsForChannelCount(1), Tags{kAudioChannelLayoutTag_Mono});
  EXPECT_EQ(LayoutTagsForChannelCount(2), Tags{kAudioChannelLayoutTag_Stereo});
  EXPECT_EQ(LayoutTagsForChannelCount(3), Tags{kAudioChannelLayoutTag_MPEG_3_0_A});
  EXPECT_EQ(LayoutTagsForChannelCount(4),
            (Tags{kAudioChannelLayoutTag_Quadraphonic, kAudioChannelLayoutTag_Ambisonic_B_Format}));
  EXPECT_EQ(LayoutTagsForChannelCount(5), Tags{kAudioChannelLayoutTag_MPEG_5_0_A});
  EXPECT_EQ(LayoutTagsForChannelCount(6),
            (Tags{kAudioChannelLayoutTag_MPEG_5_1_A, kAudioChannelLayoutTag_AudioUnit_6_0}));
  EXPECT_EQ(LayoutTagsForChannelCount(7), (Tags{kAudioChannelLayoutTag_MPEG_6_1_A, kAudioChannelLayoutTag_AudioUnit_7_0,
                                                kAudioChannelLayoutTag_MPEG_7_1_A}));
  EXPECT_EQ(LayoutTagsForChannelCount(8),
            (Tags{kAudioChannelLayoutTag_MPEG_7_1_C, kAudioChannelLayoutTag_MPEG_7_1_A}));
  EXPECT_EQ(LayoutTagsForChannelCount(9), Tags{kAudioChannelLayoutTag_HOA_ACN_SN3D | 9});
  EXPECT_EQ(LayoutTagsForChannelCount(16), Tags{kAudioChannelLayoutTag_HOA_ACN_SN3D | 16});
  EXPECT_EQ(LayoutTagsForChannelCount(10), Tags{kAudioChannelLayoutTag_Atmos_5_1_4});
  EXPECT_EQ(LayoutTagsForChannelCount(12), Tags{kAudioChannelLayoutTag_Atmos_7_1_4});
  for (int n : {11, 13, 14, 15, 17, 128})
    EXPECT_EQ(LayoutTagsForChannelCount(n), Tags{kAudioChannelLayoutTag_DiscreteInOrder | static_cast<UInt32>(n)}) << n;
  // A wildcard bus names no count; the layout part of the tag stays intact.
  EXPECT_EQ(LayoutTagsForChannelCount(IBusInfo::kWildcardChannels), Tags{kAudioChannelLayoutTag_DiscreteInOrder});
}

PluginConfig ConfigWithChannels(const char* channelIO) {
  PluginConfig config;
  config.channelIOStr = channelIO;
  return config;
}

TEST(LayoutTagsTest, BusTagsCollectOverConfigurationsWithoutRepeats) {
  const IPluginProcessor product(ConfigWithChannels("1-2 1-1"), kAPIAU);
  EXPECT_EQ(SupportedLayoutTags(product, kOutput, 0),
            (std::vector<AudioChannelLayoutTag>{kAudioChannelLayoutTag_Stereo, kAudioChannelLayoutTag_Mono}));
  EXPECT_EQ(SupportedLayoutTags(product, kInput, 0), std::vector<AudioChannelLayoutTag>{kAudioChannelLayoutTag_Mono});
  EXPECT_TRUE(SupportedLayoutTags(product, kOutput, 1).empty());

  const IPluginProcessor wide(ConfigWithChannels("8-8 7-7.2"), kAPIAU);
  EXPECT_EQ(SupportedLayoutTags(wide, kOutput, 0),
            (std::vector<AudioChannelLayoutTag>{kAudioChannelLayoutTag_MPEG_7_1_C, kAudioChannelLayoutTag_MPEG_7_1_A,
                                                kAudioChannelLayoutTag_MPEG_6_1_A,
                                                kAudioChannelLayoutTag_AudioUnit_7_0}));
  EXPECT_EQ(SupportedLayoutTags(wide, kOutput, 1), std::vector<AudioChannelLayoutTag>{kAudioChannelLayoutTag_Stereo});
}

TEST(ChannelCountsTest, OnePairPerConfigurationWithWildcardsAsMinusOne) {
  const IPluginProcessor processor(ConfigWithChannels("1-2 1-1 2.2-* 0-2"), kAPIAU);
  const std::vector<AUChannelInfo> counts = SupportedChannelCounts(processor);
  ASSERT_EQ(counts.size(), 4u);
  const SInt16 expected[4][2] = {{1, 2}, {1, 1}, {4, -1}, {0, 2}};
  for (size_t idx = 0; idx < counts.size(); ++idx) {
    EXPECT_EQ(counts[idx].inChannels, expected[idx][0]) << idx;
    EXPECT_EQ(counts[idx].outChannels, expected[idx][1]) << idx;
  }
}

TEST(StreamFormatTest, CanonicalFormatIsNonInterleavedFloat) {
  const AudioStreamBasicDescription format = CanonicalStreamFormat(44100.0, 2);
  EXPECT_EQ(format.mSampleRate, 44100.0);
  EXPECT_EQ(format.mFormatID, kAudioFormatLinearPCM);
  EXPECT_EQ(format.mFormatFlags, 0x29u);
  EXPECT_EQ(format.mBytesPerPacket, 4u);
  EXPECT_EQ(format.mFramesPerPacket, 1u);
  EXPECT_EQ(format.mBytesPerFrame, 4u);
  EXPECT_EQ(format.mChannelsPerFrame, 2u);
  EXPECT_EQ(format.mBitsPerChannel, 32u);
  EXPECT_TRUE(IsRenderableStreamFormat(format));
}

TEST(StreamFormatTest, OnlyFormatsTheRenderPathReadsAreRenderable) {
  const auto with = [](AudioFormatFlags flags, UInt32 channels, UInt32 bits = 32) {
    AudioStreamBasicDescription format = CanonicalStreamFormat(48000.0, static_cast<int>(channels));
    format.mFormatFlags = flags;
    format.mBitsPerChannel = bits;
    return format;
  };
  EXPECT_TRUE(IsRenderableStreamFormat(with(kAudioFormatFlagIsFloat, 1)));  // one channel needs no flag
  EXPECT_TRUE(IsRenderableStreamFormat(with(kAudioFormatFlagIsFloat | kAudioFormatFlagIsNonInterleaved, 2)));
  EXPECT_FALSE(IsRenderableStreamFormat(with(12, 2)));  // interleaved packed signed integers
  EXPECT_FALSE(IsRenderableStreamFormat(with(kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsPacked |
                                                 kAudioFormatFlagIsNonInterleaved, 1)));
  EXPECT_FALSE(IsRenderableStreamFormat(with(kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked, 2)));
  EXPECT_FALSE(IsRenderableStreamFormat(with(0x29 | kAudioFormatFlagIsBigEndian, 1)));
  EXPECT_FALSE(IsRenderableStreamFormat(with(0x29, 1, 64)));
  EXPECT_FALSE(IsRenderableStreamFormat(with(0x29, 0)));
  AudioStreamBasicDescription notPcm = with(0x29, 1);
  notPcm.mFormatID = standin::FourCharCodeOf("aac ");
  EXPECT_FALSE(IsRenderableStreamFormat(notPcm));
}

TEST(StreamFormatTest, UsableRatesAreFiniteAndPositive) {
  EXPECT_TRUE(IsUsableSampleRate(44100.0));
  EXPECT_FALSE(IsUsableSampleRate(0.0));
  EXPECT_FALSE(IsUsableSampleRate(-48000.0));
  EXPECT_FALSE(IsUsableSampleRate(std::numeric_limits<double>::infinity()));
  EXPECT_FALSE(IsUsableSampleRate(std::numeric_limits<double>::quiet_NaN()));
}

// A plug-in base whose parameters the test initialises.
class ParamHolder : public IPluginBase {
public:
  explicit ParamHolder(int nParams) : IPluginBase(nParams, 0) {}
};

// The info record with its two owned strings read out and released.
struct InfoRead {
  AudioUnitParameterInfo info;
  std::string cfName;
  std::string unitName;
};

InfoRead ReadInfo(IPluginBase& plugin, int paramIdx) {
  InfoRead read;
  FillParameterInfo(plugin, paramIdx, read.info);
  read.cfName = TextOf(read.info.cfNameString);
  read.unitName = TextOf(read.info.unitName);
  CFRelease(read.info.cfNameString);
  if (read.info.unitName != nullptr) CFRelease(read.info.unitName);
  return read;
}

constexpr AudioUnitParameterOptions kBaseFlags = 0xC8800010;

class ParameterInfoTest : public CFLeakCheckedTest {};

TEST_F(ParameterInfoTest, DescribesNameRangeUnitAndGroup) {
  ParamHolder plugin(1);
  plugin.GetParam(0)->InitGain("Gain", -6.0, -70.0, 12.0, 0.1, 0, "Amp");
  const InfoRead read = ReadInfo(plugin, 0);
  EXPECT_STREQ(read.info.name, "Gain");
  EXPECT_EQ(read.cfName, "Gain");
  EXPECT_EQ(read.info.unit, kAudioUnitParameterUnit_Decibels);
  EXPECT_EQ(read.info.unitName, nullptr);
  EXPECT_FLOAT_EQ(read.info.minValue, -70.f);
  EXPECT_FLOAT_EQ(read.info.maxValue, 12.f);
  EXPECT_FLOAT_EQ(read.info.defaultValue, -6.f);
  EXPECT_EQ(read.info.flags, kBaseFlags | kAudioUnitParameterFlag_HasClump);
  EXPECT_EQ(read.info.clumpID, 1u);
}

TEST_F(ParameterInfoTest, FlagsFollowParameterFlagsTextsAndShape) {
  ParamHolder plugin(4);
  plugin.GetParam(0)->InitBool("Bypass", false, "", 1);
  plugin.GetParam(1)->InitEnum("Mode", 0, {"A", "B", "C"}, 16);
  plugin.GetParam(2)->InitFrequency("Cutoff", 1000.0, 20.0, 20000.0, 1.0);
  plugin.GetParam(3)->Init("Curve", "", 0, "", IParam::ShapePowCurve(2.0), IParam::kUnitPercentage, nullptr, 50.0,
                           0.0, 100.0, 1.0);

  const InfoRead bypass = ReadInfo(plugin, 0);
  EXPECT_EQ(bypass.info.unit, kAudioUnitParameterUnit_Boolean);
  EXPECT_EQ(bypass.info.flags,
            kBaseFlags | kAudioUnitParameterFlag_NonRealTime | kAudioUnitParameterFlag_ValuesHaveStrings);
  const InfoRead mode = ReadInfo(plugin, 1);
  EXPECT_EQ(mode.info.unit, kAudioUnitParameterUnit_Indexed);
  EXPECT_EQ(mode.info.flags,
            kBaseFlags | kAudioUnitParameterFlag_IsElementMeta | kAudioUnitParameterFlag_ValuesHaveStrings);
  const InfoRead cutoff = ReadInfo(plugin, 2);
  EXPECT_EQ(cutoff.info.unit, kAudioUnitParameterUnit_Hertz);
  EXPECT_EQ(cutoff.info.flags, kBaseFlags | kAudioUnitParameterFlag_DisplayLogarithmic);
  const InfoRead curve = ReadInfo(plugin, 3);
  EXPECT_EQ(curve.info.unit, kAudioUnitParameterUnit_Percent);
  EXPECT_EQ(curve.info.flags, kBaseFlags | kAudioUnitParameterFlag_DisplaySquareRoot);
  EXPECT_EQ(curve.info.clumpID, 0u);
}

TEST_F(ParameterInfoTest, UnitsByCode) {
  const AudioUnitParameterUnit expected[] = {3, 4, 24, 5, 13, 14, 18, 6, 15, 19, 7, 25, 8, 21, 9, 20, 10, 11, 12, 22, 23};
  ParamHolder plugin(1);
  IParam& param = *plugin.GetParam(0);
  for (int code = 0; code < static_cast<int>(std::size(expected)); ++code) {
    param.Init("P", "", 0, "", IParam::ShapeLinear(), static_cast<IParam::EParamUnit>(code), nullptr, 0.0, 0.0, 1.0,
               0.01);
    EXPECT_EQ(AUUnitOfParam(param), expected[code]) << code;
  }
  param.Init("P", "", 0, "", IParam::ShapeLinear(), static_cast<IParam::EParamUnit>(22), nullptr, 0.0, 0.0, 1.0, 0.01);
  EXPECT_EQ(AUUnitOfParam(param), kAudioUnitParameterUnit_Generic);
  param.Init("P", "", 0, "", IParam::ShapeLinear(), IParam::kUnitCustom, nullptr, 0.0, 0.0, 1.0, 0.01);
  EXPECT_EQ(AUUnitOfParam(param), kAudioUnitParameterUnit_Generic);

  param.Init("P", "fizz", 0, "", IParam::ShapeLinear(), IParam::kUnitCustom, nullptr, 0.0, 0.0, 1.0, 0.01);
  const InfoRead custom = ReadInfo(plugin, 0);
  EXPECT_EQ(custom.info.unit, kAudioUnitParameterUnit_CustomUnit);
  EXPECT_EQ(custom.unitName, "fizz");
}

TEST_F(ParameterInfoTest, GroupsJoinTheListOnceByContent) {
  ParamHolder plugin(3);
  plugin.GetParam(0)->InitGain("In", 0.0, -12.0, 12.0, 0.1, 0, "Trim");
  plugin.GetParam(1)->InitGain("Tone", 0.0, -12.0, 12.0, 0.1, 0, "EQ");
  plugin.GetParam(2)->InitGain("Out", 0.0, -12.0, 12.0, 0.1, 0, "Trim");
  EXPECT_EQ(ReadInfo(plugin, 1).info.clumpID, 1u);
  EXPECT_EQ(ReadInfo(plugin, 2).info.clumpID, 2u);
  EXPECT_EQ(ReadInfo(plugin, 0).info.clumpID, 2u);
  EXPECT_EQ(ReadInfo(plugin, 1).info.clumpID, 1u);
  ASSERT_EQ(plugin.NParamGroups(), 2);
  EXPECT_STREQ(plugin.GetParamGroupName(0), "EQ");
  EXPECT_STREQ(plugin.GetParamGroupName(1), "Trim");
}

TEST_F(ParameterInfoTest, LongNamesAreCutAtACharacterBoundary) {
  ParamHolder plugin(1);
  // The parameter keeps 31 bytes; the name field keeps them all.
  plugin.GetParam(0)->InitGain("\xC3\xA9\xC3\xA9\xC3\xA9 a long parameter name!!", 0.0, 0.0, 1.0, 0.1);
  const InfoRead read = ReadInfo(plugin, 0);
  EXPECT_STREQ(read.info.name, plugin.GetParam(0)->Name());
  EXPECT_EQ(read.cfName, plugin.GetParam(0)->Name());
}

}  // namespace
}  // namespace plugkit
