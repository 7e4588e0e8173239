// The component's outer shell: factory and instance block, selector lookup,
// legacy dispatcher, and construction that fails.

#include <gtest/gtest.h>
#include <standin/testing/objects.h>
#include <standin/testing/run_loop.h>

#include "au_test_support.h"
#include "framework/au/au_component_entry.h"

namespace plugkit::testing {
namespace {

constexpr OSStatus kBadSelector = badComponentSelector;

// The eight words as the factory leaves them.
struct BlockWords {
  void* words[8];
};

TEST(AUFactory, FillsTheEightWordsAndPutsTheObjectAtByte64) {
  AudioComponentPlugInInterface* block = AUTestPlugin_Factory(nullptr);
  ASSERT_NE(block, nullptr);
  const auto& words = *reinterpret_cast<const BlockWords*>(block);
  EXPECT_NE(words.words[0], nullptr);
  EXPECT_NE(words.words[1], nullptr);
  EXPECT_NE(words.words[2], nullptr);
  EXPECT_EQ(words.words[3], nullptr);
  EXPECT_NE(words.words[4], nullptr);
  EXPECT_NE(words.words[5], nullptr);
  EXPECT_EQ(words.words[6], nullptr);
  EXPECT_EQ(words.words[7], nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 16, 0u);

  ASSERT_EQ(block->Open(block, nullptr), noErr);
  TestPlugin* plugin = TestPluginInBlock(block);
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(reinterpret_cast<char*>(plugin), reinterpret_cast<char*>(block) + 64);
  EXPECT_EQ(block->Close(block), noErr);
}

TEST(AUFactory, ClosingABlockThatWasNeverOpenedRunsNoDestructor) {
  const int live = TestPlugin::LiveInstances();
  AudioComponentPlugInInterface* block = AUTestPlugin_Factory(nullptr);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->Close(block), noErr);
  EXPECT_EQ(TestPlugin::LiveInstances(), live);
}

TEST(AULookup, AnswersNullForRetiredAndUnknownSelectors) {
  AudioComponentPlugInInterface* block = AUTestPlugin_Factory(nullptr);
  for (SInt16 selector : {8, 12, 13, 19, 0, -1, 256, 259, 260, 261, 262})
    EXPECT_EQ(block->Lookup(selector), nullptr) << selector;
  for (SInt16 selector : {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 14, 15, 16, 17, 18, 257, 258})
    EXPECT_NE(block->Lookup(selector), nullptr) << selector;
  block->Close(block);
}

TEST(AUOpen, StoresTheInstanceDropsUnfilledPresetsAndNamesTheView) {
  OpenedTestPlugin opened;
  TestPlugin& plugin = opened.Plugin();
  EXPECT_EQ(plugin.GetComponentInstance(), opened.Unit().Unit());
  EXPECT_EQ(plugin.NPresets(), 1);
  EXPECT_STREQ(plugin.GetViewClassName(), "AUTestPlugin_View");
  EXPECT_EQ(plugin.GetAPI(), kAPIAU);
}

TEST(AUOpen, ConstructorThatThrowsFailsOpenAndEverySelectorAnswersTheSameStatus) {
  const long objects = standin::testing::LiveObjectCount();
  AudioComponentPlugInInterface* block = AUThrowingPlugin_Factory(nullptr);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->Open(block, nullptr), kNoPluginObjectStatus);
  const auto initialize = reinterpret_cast<AudioUnitInitializeProc>(block->Lookup(kAudioUnitInitializeSelect));
  EXPECT_EQ(initialize(block), kNoPluginObjectStatus);
  const auto midi = reinterpret_cast<MusicDeviceMIDIEventProc>(block->Lookup(kMusicDeviceMIDIEventSelect));
  EXPECT_EQ(midi(block, 0x90, 60, 100, 0), kNoPluginObjectStatus);
  AudioUnitParameterValue value = 0;
  const auto get = reinterpret_cast<AudioUnitGetParameterProc>(block->Lookup(kAudioUnitGetParameterSelect));
  EXPECT_EQ(get(block, 0, kAudioUnitScope_Global, 0, &value), kNoPluginObjectStatus);
  // The host still owns the block and closes it; no destructor may run.
  EXPECT_EQ(block->Close(block), noErr);
  EXPECT_EQ(standin::testing::LiveObjectCount(), objects);
}

TEST(AUOpen, ThrowingConstructorThroughTheComponentCallsHandsOutNoInstance) {
  OSStatus status = noErr;
  auto instance = orvane::host::AudioUnitInstance::Open(ThrowingPluginComponent(), status);
  EXPECT_EQ(instance, nullptr);
  EXPECT_EQ(status, kNoPluginObjectStatus);
}

TEST(AULegacyEntry, OpenRegistersTheObjectAndCloseDeletesIt) {
  const int live = TestPlugin::LiveInstances();
  {
    LegacyTestPlugin legacy;
    ASSERT_EQ(legacy.OpenStatus(), noErr);
    ASSERT_NE(legacy.Storage(), nullptr);
    EXPECT_EQ(TestPlugin::LiveInstances(), live + 1);
    EXPECT_EQ(legacy.Plugin().GetComponentInstance(), legacy.Instance());
    EXPECT_EQ(legacy.Plugin().NPresets(), 1);
    EXPECT_STREQ(legacy.Plugin().GetViewClassName(), "AUTestPlugin_View");
  }
  EXPECT_EQ(TestPlugin::LiveInstances(), live);
}

TEST(AULegacyEntry, ThrowingConstructorRegistersNothing) {
  ComponentInstance instance = standin::testing::NewLegacyComponentInstance();
  LegacyParams open(kComponentOpenSelect, {0, Slot(instance)});
  EXPECT_EQ(AUThrowingPlugin_Entry(open.Get(), nullptr), kNoPluginObjectStatus);
  EXPECT_EQ(GetComponentInstanceStorage(instance), nullptr);
  standin::testing::DisposeLegacyComponentInstance(instance);
}

TEST(AULegacyEntry, CanDoAnswersOneForServedSelectorsUpToSeventeen) {
  for (long selector = -5; selector <= 300; ++selector) {
    LegacyParams canDo(kComponentCanDoSelect, {selector});
    const bool served = selector >= 1 && selector <= 17 && selector != 8 && selector != 12 && selector != 13;
    EXPECT_EQ(AUTestPlugin_Entry(canDo.Get(), nullptr), served ? 1 : 0) << selector;
  }
}

TEST(AULegacyEntry, VersionIsThePackedVersionWord) {
  LegacyTestPlugin legacy;
  EXPECT_EQ(legacy.Call(kComponentVersionSelect, {}), 0x00010004);
}

TEST(AULegacyEntry, RetiredAndUnknownSelectorsAnswerBadSelector) {
  LegacyTestPlugin legacy;
  for (SInt16 selector : {8, 12, 13, 19, 256, 263, 1000})
    EXPECT_EQ(legacy.Call(selector, {}), kBadSelector) << selector;
}

TEST(AULegacyEntry, InstrumentSelectorsAnswerZeroAndStartNoteReturnsThePitch) {
  LegacyTestPlugin legacy;
  EXPECT_EQ(legacy.Call(kMusicDevicePrepareInstrumentSelect, {0}), noErr);
  EXPECT_EQ(legacy.Call(kMusicDeviceReleaseInstrumentSelect, {0}), noErr);
  EXPECT_EQ(legacy.Call(kMusicDeviceStopNoteSelect, {0, 7, 0}), noErr);

  NoteInstanceID noteId = 0;
  MusicDeviceNoteParams note{2, 64.75f, 100.0f, {}};
  EXPECT_EQ(legacy.Call(kMusicDeviceStartNoteSelect, {0, 0, Slot(&noteId), 0, Slot(&note)}), noErr);
  EXPECT_EQ(noteId, 64u);
  EXPECT_EQ(legacy.Plugin().mMidiCount.load(), 0) << "starting a note produces no MIDI message";
  EXPECT_EQ(legacy.Call(kMusicDeviceStartNoteSelect, {0, 0, 0, 0, Slot(&note)}), kAudioUnitErr_InvalidParameter);
}

TEST(AULegacyEntry, NullStorageAnswersBadSelectorForEverythingButOpenAndCanDo) {
  const SInt16 selectors[] = {kComponentCloseSelect, kComponentVersionSelect, 1, 6, 257};
  for (SInt16 selector : selectors) {
    LegacyParams params(selector, {0});
    EXPECT_EQ(AUTestPlugin_Entry(params.Get(), nullptr), kBadSelector) << selector;
  }
}

TEST(AUConnections, ClearingForgetsHostChannelsAndConnections) {
  LegacyTestPlugin legacy;
  TestPlugin& plugin = legacy.Plugin();
  plugin.Bus(kOutput, 0)->hostChannels = 2;
  plugin.Bus(kOutput, 0)->connected = true;
  plugin.ClearConnections();
  EXPECT_EQ(plugin.GetBus(kOutput, 0)->hostChannels, -1);
  EXPECT_FALSE(plugin.GetBus(kOutput, 0)->connected);
  EXPECT_EQ(plugin.GetInputConnection(0)->kind, kNotConnected);
}

TEST(AUIdleGate, TicksReachOnlyObjectsThatAnEntryFinishedConstructing) {
  const standin::testing::ScopedManualClock clock;
  TestPlugin direct(InstanceInfo{}, TestPluginOptions{});
  OpenedTestPlugin opened;
  LegacyTestPlugin legacy;
  standin::testing::RunFor(0.1);
  EXPECT_EQ(direct.mIdleTicks.load(), 0) << "the gate stays closed without an entry";
  EXPECT_GT(opened.Plugin().mIdleTicks.load(), 0);
  EXPECT_GT(legacy.Plugin().mIdleTicks.load(), 0);
}

}  // namespace
}  // namespace plugkit::testing
