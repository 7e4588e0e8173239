// Every property's size, writable flag and scope and element rules as the
// info call reports them, and the values that plain reads answer.

#include <gtest/gtest.h>
#include <standin/testing/bundles.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "au_properties_support.h"
#include "framework/au/view_factory.h"
#include "support/test_paths.h"

namespace plugkit::testing {
namespace {

struct InfoRow {
  AudioUnitPropertyID id;
  AudioUnitScope scope;
  AudioUnitElement element;
  OSStatus status;
  UInt32 size;
  bool writable;
};

class PropertyTable : public ::testing::Test {
protected:
  void SetUp() override { standin::testing::RegisterBundle(AU_TEST_PLUGIN_BUNDLE); }

  orvane::host::AudioUnitInstance& Unit() { return mOpened.Unit(); }
  TestPlugin& Plugin() { return mOpened.Plugin(); }

  void ExpectInfo(const InfoRow& row) {
    UInt32 size = 0xDEAD;
    Boolean writable = true;
    EXPECT_EQ(Unit().GetPropertyInfo(row.id, row.scope, row.element, &size, &writable), row.status)
        << "property " << row.id << " scope " << row.scope << " element " << row.element;
    if (row.status == noErr) {
      EXPECT_EQ(size, row.size) << "property " << row.id << " scope " << row.scope;
      EXPECT_EQ(writable != 0, row.writable) << "property " << row.id << " scope " << row.scope;
    }
  }

  template <class T>
  T Read(AudioUnitPropertyID id, AudioUnitScope scope = kGlobal, AudioUnitElement element = 0) {
    T value{};
    UInt32 size = sizeof value;
    EXPECT_EQ(Unit().GetProperty(id, scope, element, &value, &size), noErr) << "property " << id;
    EXPECT_EQ(size, sizeof value) << "property " << id;
    return value;
  }

  OpenedPlugin mOpened;
};

TEST_F(PropertyTable, InfoReportsSizesFlagsAndScopeRules) {
  const UInt32 nParams = kNumRichParams;
  const InfoRow rows[] = {
      {kAudioUnitProperty_ClassInfo, kGlobal, 0, noErr, 8, false},
      {kAudioUnitProperty_ClassInfo, kGroupScope, 3, noErr, 8, false},
      {kAudioUnitProperty_MakeConnection, kGlobal, 0, noErr, 16, true},
      {kAudioUnitProperty_MakeConnection, kInputScope, 0, noErr, 16, true},
      {kAudioUnitProperty_MakeConnection, kOutputScope, 0, kAudioUnitErr_InvalidProperty, 0, false},
      {kAudioUnitProperty_SampleRate, kOutputScope, 0, noErr, 8, true},
      {kAudioUnitProperty_ParameterList, kGlobal, 0, noErr, 4 * nParams, false},
      {kAudioUnitProperty_ParameterList, kInputScope, 0, noErr, 0, false},
      {kAudioUnitProperty_ParameterInfo, kGlobal, nParams - 1, noErr, 104, false},
      {kAudioUnitProperty_ParameterInfo, kGlobal, nParams, kAudioUnitErr_InvalidElement, 0, false},
      {kAudioUnitProperty_ParameterInfo, kInputScope, 0, kAudioUnitErr_InvalidProperty, 0, false},
      {kAudioUnitProperty_FastDispatch, kGlobal, kAudioUnitRenderSelect, kAudioUnitErr_InvalidElement, 0, false},
      {kAudioUnitProperty_StreamFormat, kGlobal, 0, noErr, 40, true},
      {kAudioUnitProperty_StreamFormat, kInputScope, 0, noErr, 40, true},
      {kAudioUnitProperty_StreamFormat, kOutputScope, 0, noErr, 40, true},
      {kAudioUnitProperty_StreamFormat, kInputScope, 1, kAudioUnitErr_InvalidElement, 0, false},
      {kAudioUnitProperty_StreamFormat, kGlobal, 1, kAudioUnitErr_InvalidElement, 0, false},
      {kAudioUnitProperty_StreamFormat, kGroupScope, 0, kAudioUnitErr_InvalidProperty, 0, false},
      {kAudioUnitProperty_ElementCount, kGroupScope, 0, noErr, 4, false},
      {kAudioUnitProperty_Latency, kGlobal, 0, noErr, 8, false},
      {kAudioUnitProperty_Latency, kInputScope, 0, kAudioUnitErr_InvalidProperty, 0, false},
      {kAudioUnitProperty_SupportedNumChannels, kGlobal, 0, noErr, 8, false},
      {kAudioUnitProperty_SupportedNumChannels, kOutputScope, 0, kAudioUnitErr_InvalidProperty, 0, false},
      {kAudioUnitProperty_MaximumFramesPerSlice, kGlobal, 0, noErr, 4, true},
      {kAudioUnitProperty_MaximumFramesPerSlice, kOutputScope, 0, kAudioUnitErr_InvalidProperty, 0, false},
      {kAudioUnitProperty_ParameterValueStrings, kGlobal, kMode, noErr, 8, false},
      {kAudioUnitProperty_ParameterValueStrings, kGlobal, TestPlugin::kGain, kAudioUnitErr_InvalidProperty, 0, false},
      {kAudioUnitProperty_ParameterValueStrings, kGlobal, nParams, kAudioUnitErr_InvalidElement, 0, false},
      {kAudioUnitProperty_ParameterValueStrings, kInputScope, kMode, kAudioUnitErr_InvalidProperty, 0, false},
      {kAudioUnitProperty_AudioChannelLayout, kOutputScope, 0, kAudioUnitErr_InvalidPropertyValue, 0, false},
      {kAudioUnitProperty_TailTime, kGlobal, 0, noErr, 8, false},
      {kAudioUnitProperty_TailTime, kOutputScope, 0, kAudioUnitErr_InvalidProperty, 0, false},
      {kAudioUnitProperty_BypassEffect, kGlobal, 0, noErr, 4, true},
      {kAudioUnitProperty_BypassEffect, kInputScope, 0, kAudioUnitErr_InvalidProperty, 0, false},
      {kAudioUnitProperty_LastRenderError, kGlobal, 0, noErr, 4, false},
      {kAudioUnitProperty_LastRenderError, kOutputScope, 0, kAudioUnitErr_InvalidProperty, 0, false},
      {kAudioUnitProperty_SetRenderCallback, kGlobal, 0, noErr, 16, true},
      {kAudioUnitProperty_SetRenderCallback, kInputScope, 0, noErr, 16, true},
      {kAudioUnitProperty_SetRenderCallback, kInputScope, 1, kAudioUnitErr_InvalidElement, 0, false},
      {kAudioUnitProperty_SetRenderCallback, kOutputScope, 0, kAudioUnitErr_InvalidProperty, 0, false},
      {kAudioUnitProperty_FactoryPresets, kGroupScope, 0, noErr, 8, false},
      {kAudioUnitProperty_ContextName, kGlobal, 0, kAudioUnitErr_InvalidProperty, 0, false},
      {kAudioUnitProperty_HostCallbacks, kGlobal, 0, noErr, 40, true},
      {kAudioUnitProperty_HostCallbacks, kInputScope, 0, kAudioUnitErr_InvalidProperty, 0, false},
      {kAudioUnitProperty_CurrentPreset, kOutputScope, 0, noErr, 16, true},
      {kAudioUnitProperty_PresentPreset, kGlobal, 0, noErr, 16, true},
      {kAudioUnitProperty_ElementName, kInputScope, 0, kAudioUnitErr_InvalidProperty, 0, false},
      {kAudioUnitProperty_ElementName, kGlobal, 0, kAudioUnitErr_InvalidScope, 0, false},
      {kAudioUnitProperty_ElementName, kOutputScope, 1, kAudioUnitErr_InvalidElement, 0, false},
      {kAudioUnitProperty_CocoaUI, kGlobal, 0, noErr, 16, false},
      {kAudioUnitProperty_SupportedChannelLayoutTags, kOutputScope, 0, noErr, 8, true},
      {kAudioUnitProperty_SupportedChannelLayoutTags, kInputScope, 0, noErr, 4, true},
      {kAudioUnitProperty_SupportedChannelLayoutTags, kOutputScope, 1, noErr, 0, false},
      {kAudioUnitProperty_SupportedChannelLayoutTags, kGlobal, 0, noErr, 0, false},
      {kAudioUnitProperty_ParameterStringFromValue, kGlobal, 0, noErr, 24, false},
      {kAudioUnitProperty_ParameterStringFromValue, kInputScope, 0, noErr, 24, false},
      {kAudioUnitProperty_ParameterIDName, kGlobal, 0, noErr, 16, false},
      {kAudioUnitProperty_ParameterClumpName, kGlobal, 0, noErr, 16, false},
      {kAudioUnitProperty_OfflineRender, kGlobal, 0, kAudioUnitErr_InvalidProperty, 0, false},
      {kAudioUnitProperty_ParameterValueFromString, kOutputScope, 0, noErr, 24, false},
      {kAudioUnitProperty_AUHostIdentifier, kGlobal, 0, kAudioUnitErr_InvalidProperty, 0, false},
      {kAudioUnitProperty_MIDIOutputCallbackInfo, kOutputScope, 0, noErr, 8, false},
      {kAudioUnitProperty_MIDIOutputCallback, kGlobal, 0, noErr, 16, true},
      {kAudioUnitProperty_SupportsMPE, kInputScope, 0, noErr, 4, false},
      {kMusicDeviceProperty_InstrumentCount, kGlobal, 0, kAudioUnitErr_InvalidProperty, 0, false},
      {kAUPluginObjectProperty, kGroupScope, 0, noErr, 8, false},
      {9999, kGlobal, 0, kAudioUnitErr_InvalidProperty, 0, false},
  };
  for (const InfoRow& row : rows) ExpectInfo(row);
}

TEST_F(PropertyTable, InfoAcceptsNullPointers) {
  EXPECT_EQ(Unit().GetPropertyInfo(kAudioUnitProperty_SampleRate, kGlobal, 0, nullptr, nullptr), noErr);
  UInt32 size = 0;
  EXPECT_EQ(Unit().GetPropertyInfo(kAudioUnitProperty_StreamFormat, kGlobal, 0, &size, nullptr), noErr);
  EXPECT_EQ(size, 40u);
  Boolean writable = false;
  EXPECT_EQ(Unit().GetPropertyInfo(kAudioUnitProperty_StreamFormat, kGlobal, 0, nullptr, &writable), noErr);
  EXPECT_TRUE(writable);
}

TEST_F(PropertyTable, ClassInfoIsWritableOnlyForAReadWithData) {
  CFOwned<CFPropertyListRef> info;
  UInt32 size = sizeof(CFPropertyListRef);
  ASSERT_EQ(Unit().GetProperty(kAudioUnitProperty_ClassInfo, kGlobal, 0, info.Out(), &size), noErr);
  EXPECT_NE(info.Get(), nullptr);
  EXPECT_EQ(size, 8u);
  // The info call has no data pointer, so the flag stays clear.
  ExpectInfo({kAudioUnitProperty_ClassInfo, kGlobal, 0, noErr, 8, false});
}

TEST_F(PropertyTable, PlainReadsAnswerTheProcessorsSettings) {
  EXPECT_EQ(Read<Float64>(kAudioUnitProperty_SampleRate), 48000.0);
  EXPECT_EQ(Read<UInt32>(kAudioUnitProperty_MaximumFramesPerSlice), 512u);
  EXPECT_EQ(Read<UInt32>(kAudioUnitProperty_BypassEffect), 0u);
  EXPECT_EQ(Read<OSStatus>(kAudioUnitProperty_LastRenderError), noErr);
  EXPECT_EQ(Read<UInt32>(kAudioUnitProperty_SupportsMPE, kInputScope), 0u);
  EXPECT_EQ(Read<void*>(kAUPluginObjectProperty), static_cast<void*>(static_cast<IPluginAU*>(&Plugin())));

  EXPECT_EQ(Read<UInt32>(kAudioUnitProperty_ElementCount, kGlobal), 1u);
  EXPECT_EQ(Read<UInt32>(kAudioUnitProperty_ElementCount, kInputScope), 1u);
  EXPECT_EQ(Read<UInt32>(kAudioUnitProperty_ElementCount, kOutputScope), 1u);
  EXPECT_EQ(Read<UInt32>(kAudioUnitProperty_ElementCount, kGroupScope), 0u);

  Plugin().SetLatency(480);
  EXPECT_DOUBLE_EQ(Read<Float64>(kAudioUnitProperty_Latency), 0.01);
  Plugin().SetTailLength(4800);
  EXPECT_DOUBLE_EQ(Read<Float64>(kAudioUnitProperty_TailTime), 0.1);
  Plugin().SetTailLength(IPluginProcessor::kInfiniteTail);
  EXPECT_EQ(Read<Float64>(kAudioUnitProperty_TailTime), std::numeric_limits<double>::infinity());
}

TEST_F(PropertyTable, ParameterListNamesEveryIndexInTheGlobalScope) {
  AudioUnitParameterID ids[kNumRichParams] = {};
  UInt32 size = sizeof ids;
  ASSERT_EQ(Unit().GetProperty(kAudioUnitProperty_ParameterList, kGlobal, 0, ids, &size), noErr);
  EXPECT_EQ(size, sizeof ids);
  for (UInt32 idx = 0; idx < kNumRichParams; ++idx) EXPECT_EQ(ids[idx], idx);
  size = sizeof ids;
  EXPECT_EQ(Unit().GetProperty(kAudioUnitProperty_ParameterList, kInputScope, 0, ids, &size), noErr);
  EXPECT_EQ(size, 0u);
}

TEST_F(PropertyTable, SupportedChannelsOnePairPerConfiguration) {
  AUChannelInfo pairs[2] = {};
  UInt32 size = sizeof pairs;
  ASSERT_EQ(Unit().GetProperty(kAudioUnitProperty_SupportedNumChannels, kGlobal, 0, pairs, &size), noErr);
  EXPECT_EQ(pairs[0].inChannels, 1);
  EXPECT_EQ(pairs[0].outChannels, 1);
  EXPECT_EQ(pairs[1].inChannels, 1);
  EXPECT_EQ(pairs[1].outChannels, 2);
}

TEST_F(PropertyTable, LayoutTagsFollowTheBusesOfEachConfiguration) {
  AudioChannelLayoutTag tags[2] = {};
  UInt32 size = sizeof tags;
  ASSERT_EQ(Unit().GetProperty(kAudioUnitProperty_SupportedChannelLayoutTags, kOutputScope, 0, tags, &size), noErr);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(tags[0], kAudioChannelLayoutTag_Mono);
  EXPECT_EQ(tags[1], kAudioChannelLayoutTag_Stereo);
  size = sizeof tags;
  EXPECT_EQ(Unit().GetProperty(kAudioUnitProperty_SupportedChannelLayoutTags, kGlobal, 0, tags, &size),
            kAudioUnitErr_InvalidProperty);
}

TEST_F(PropertyTable, ProductConfigurationListsStereoThenMonoForTheOutput) {
  TestPluginOptions options = RichOptions();
  options.channelIO = "1-2 1-1";
  OpenedPlugin product(options);
  AudioChannelLayoutTag tags[2] = {};
  UInt32 size = sizeof tags;
  ASSERT_EQ(product.Unit().GetProperty(kAudioUnitProperty_SupportedChannelLayoutTags, kOutputScope, 0, tags, &size),
            noErr);
  EXPECT_EQ(tags[0], kAudioChannelLayoutTag_Stereo);
  EXPECT_EQ(tags[1], kAudioChannelLayoutTag_Mono);
}

TEST_F(PropertyTable, ElementNamesComeFromTheBusNames) {
  CFOwned<CFStringRef> name;
  UInt32 size = sizeof(CFStringRef);
  ASSERT_EQ(Unit().GetProperty(kAudioUnitProperty_ElementName, kInputScope, 0, name.Out(), &size), noErr);
  EXPECT_EQ(TextOf(name.Get()), "Input");
  ASSERT_EQ(Unit().GetProperty(kAudioUnitProperty_ElementName, kOutputScope, 0, name.Out(), &size), noErr);
  EXPECT_EQ(TextOf(name.Get()), "Output");
}

TEST_F(PropertyTable, MidiOutputInfoNamesOneOutputAndItsCallbackIsWriteOnly) {
  CFOwned<CFArrayRef> names;
  UInt32 size = sizeof(CFArrayRef);
  ASSERT_EQ(Unit().GetProperty(kAudioUnitProperty_MIDIOutputCallbackInfo, kGlobal, 0, names.Out(), &size), noErr);
  ASSERT_EQ(CFArrayGetCount(names.Get()), 1);
  EXPECT_EQ(TextOf(static_cast<CFStringRef>(CFArrayGetValueAtIndex(names.Get(), 0))), "midiOut");
  AUMIDIOutputCallbackStruct callback{};
  size = sizeof callback;
  EXPECT_EQ(Unit().GetProperty(kAudioUnitProperty_MIDIOutputCallback, kGlobal, 0, &callback, &size),
            kAudioUnitErr_InvalidProperty);
}

TEST_F(PropertyTable, CurrentPresetReportsIndexAndName) {
  AUPreset preset{};
  UInt32 size = sizeof preset;
  ASSERT_EQ(Unit().GetProperty(kAudioUnitProperty_PresentPreset, kGlobal, 0, &preset, &size), noErr);
  EXPECT_EQ(preset.presetNumber, 0);
  EXPECT_EQ(TextOf(preset.presetName), "Clean");
  CFRelease(preset.presetName);

  AUPreset recall{2, nullptr};
  EXPECT_EQ(Unit().SetProperty(kAudioUnitProperty_CurrentPreset, kGlobal, 0, &recall, sizeof recall), noErr);
  EXPECT_EQ(Plugin().GetParam(TestPlugin::kGain)->Value(), PresetGain(2));
  ASSERT_EQ(Unit().GetProperty(kAudioUnitProperty_CurrentPreset, kGlobal, 0, &preset, &size), noErr);
  EXPECT_EQ(preset.presetNumber, 2);
  EXPECT_EQ(TextOf(preset.presetName), "Lead");
  CFRelease(preset.presetName);
}

TEST_F(PropertyTable, FactoryPresetsListTheFilledSlots) {
  CFOwned<CFArrayRef> presets;
  UInt32 size = sizeof(CFArrayRef);
  ASSERT_EQ(Unit().GetProperty(kAudioUnitProperty_FactoryPresets, kGlobal, 0, presets.Out(), &size), noErr);
  ASSERT_EQ(CFArrayGetCount(presets.Get()), static_cast<CFIndex>(kPresetNames.size()));
  for (CFIndex idx = 0; idx < CFArrayGetCount(presets.Get()); ++idx) {
    const auto* preset = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets.Get(), idx));
    EXPECT_EQ(preset->presetNumber, idx);
    EXPECT_EQ(TextOf(preset->presetName), kPresetNames[static_cast<size_t>(idx)]);
  }
}

TEST_F(PropertyTable, CocoaViewInfoNamesTheBundleAndTheFactoryClass) {
  AudioUnitCocoaViewInfo info{};
  UInt32 size = sizeof info;
  ASSERT_EQ(Unit().GetProperty(kAudioUnitProperty_CocoaUI, kGlobal, 0, &info, &size), noErr);
  ASSERT_NE(info.mCocoaAUViewBundleLocation, nullptr);
  EXPECT_EQ(TextOf(info.mCocoaAUViewClass[0]), TestPlugin::kViewClassName);
  CFOwned<CFURLRef> expected(CFBundleCopyBundleURL(CFBundleGetBundleWithIdentifier(CFStringMakeConstantString(TestPlugin::kBundleID))));
  EXPECT_TRUE(CFEqual(info.mCocoaAUViewBundleLocation, expected.Get()));
  CFRelease(info.mCocoaAUViewBundleLocation);
  CFRelease(info.mCocoaAUViewClass[0]);
}

TEST_F(PropertyTable, CocoaViewInfoNeedsAnEditorAndAFoundBundle) {
  TestPluginOptions noEditor = RichOptions();
  noEditor.editConfig = [](PluginConfig& config) { config.plugHasUI = false; };
  noEditor.setUp = nullptr;
  OpenedPlugin withoutEditor(noEditor);
  AudioUnitCocoaViewInfo info{};
  UInt32 size = sizeof info;
  EXPECT_EQ(withoutEditor.Unit().GetPropertyInfo(kAudioUnitProperty_CocoaUI, kGlobal, 0, &size, nullptr),
            kAudioUnitErr_InvalidProperty);

  OpenedPlugin withoutBundle(
      RichOptionsWith([](PluginConfig& config) { config.bundleID = "com.plugkit.tests.nowhere"; }));
  size = sizeof info;
  EXPECT_EQ(withoutBundle.Unit().GetProperty(kAudioUnitProperty_CocoaUI, kGlobal, 0, &info, &size),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(info.mCocoaAUViewBundleLocation, nullptr);
  EXPECT_EQ(info.mCocoaAUViewClass[0], nullptr);
}

TEST_F(PropertyTable, InstrumentsReportOneInstrument) {
  TestPluginOptions options = RichOptions();
  options.editConfig = [](PluginConfig& config) { config.plugType = kInstrument; };
  options.setUp = nullptr;
  OpenedPlugin instrument(options);
  UInt32 count = 0;
  UInt32 size = sizeof count;
  EXPECT_EQ(instrument.Unit().GetProperty(kMusicDeviceProperty_InstrumentCount, kGlobal, 0, &count, &size), noErr);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(instrument.Unit().GetProperty(kMusicDeviceProperty_InstrumentCount, kInputScope, 0, &count, &size),
            kAudioUnitErr_InvalidProperty);
}

// Decided: a buffer whose given size is too small gets nothing.
TEST_F(PropertyTable, AReadIntoTooSmallABufferAnswersInvalidValueAndWritesNothing) {
  unsigned char buffer[64];
  std::memset(buffer, 0xAB, sizeof buffer);
  UInt32 size = 7;
  EXPECT_EQ(Unit().GetProperty(kAudioUnitProperty_SampleRate, kGlobal, 0, buffer, &size),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(size, 7u);
  size = 39;
  EXPECT_EQ(Unit().GetProperty(kAudioUnitProperty_StreamFormat, kGlobal, 0, buffer, &size),
            kAudioUnitErr_InvalidPropertyValue);
  size = 7;
  EXPECT_EQ(Unit().GetProperty(kAudioUnitProperty_FactoryPresets, kGlobal, 0, buffer, &size),
            kAudioUnitErr_InvalidPropertyValue);
  size = 7;
  EXPECT_EQ(Unit().GetProperty(kAudioUnitProperty_ClassInfo, kGlobal, 0, buffer, &size),
            kAudioUnitErr_InvalidPropertyValue);
  for (unsigned char byte : buffer) ASSERT_EQ(byte, 0xAB);
  // Without a size the caller vouches for the buffer.
  EXPECT_EQ(Unit().GetProperty(kAudioUnitProperty_SampleRate, kGlobal, 0, buffer, nullptr), noErr);
  Float64 rate = 0;
  std::memcpy(&rate, buffer, sizeof rate);
  EXPECT_EQ(rate, 48000.0);
}

}  // namespace
}  // namespace plugkit::testing
