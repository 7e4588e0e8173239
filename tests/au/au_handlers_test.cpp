// The selector handlers, called through the methods the instance block's
// lookup hands out.

#include <gtest/gtest.h>
#include <standin/testing/bundles.h>

#include <cmath>
#include <limits>
#include <vector>

#include "au_test_support.h"
#include "framework/au/au_component_entry.h"

namespace plugkit::testing {
namespace {

constexpr AudioUnitScope kGlobal = kAudioUnitScope_Global;
constexpr AudioUnitScope kInputScope = kAudioUnitScope_Input;

class AUHandlers : public ::testing::Test {
protected:
  orvane::host::AudioUnitInstance& Unit() { return mOpened.Unit(); }
  TestPlugin& Plugin() { return mOpened.Plugin(); }
  double Value(int paramIdx) { return Plugin().GetParam(paramIdx)->Value(); }

  std::vector<ParamChange> EditorParamQueue() {
    std::vector<ParamChange> changes;
    ParamChange change;
    while (Plugin().PopParamForEditor(change)) changes.push_back(change);
    return changes;
  }

  OpenedTestPlugin mOpened;
};

// Initialize -----------------------------------------------------------------------

TEST_F(AUHandlers, InitializeWithNoChannelCountsSetChecksTheUnsetPair) {
  EXPECT_EQ(Unit().Initialize(), noErr);
  EXPECT_TRUE(Plugin().IsActive());
  EXPECT_TRUE(Plugin().mActive.load());
  EXPECT_EQ(Plugin().mAllParamsResets.load(), 1);
  EXPECT_EQ(Plugin().mLastChangeSource.load(), kReset);
  // Again without Uninitialize: the check and the reset run again.
  EXPECT_EQ(Unit().Initialize(), noErr);
  EXPECT_EQ(Plugin().mAllParamsResets.load(), 2);
}

TEST_F(AUHandlers, InitializeSkipsTheCheckWhenBothSumsAreZero) {
  Plugin().Bus(kInput, 0)->hostChannels = 0;
  Plugin().Bus(kOutput, 0)->hostChannels = 0;
  ASSERT_FALSE(Plugin().LegalIO(0, 0));
  EXPECT_EQ(Unit().Initialize(), noErr);
}

TEST_F(AUHandlers, InitializeRefusesAnIllegalPairAndChangesNothing) {
  Plugin().Bus(kInput, 0)->hostChannels = 2;
  Plugin().Bus(kOutput, 0)->hostChannels = 2;
  EXPECT_EQ(Unit().Initialize(), badComponentSelector);
  EXPECT_FALSE(Plugin().IsActive());
  EXPECT_EQ(Plugin().mAllParamsResets.load(), 0);

  Plugin().Bus(kInput, 0)->hostChannels = 1;
  EXPECT_EQ(Unit().Initialize(), noErr);
}

TEST_F(AUHandlers, InitializeChecksOnlyTheSetDirection) {
  Plugin().Bus(kOutput, 0)->hostChannels = 2;
  EXPECT_EQ(Unit().Initialize(), noErr);  // (-1, 2)
  Plugin().Bus(kOutput, 0)->hostChannels = 3;
  EXPECT_EQ(Unit().Initialize(), badComponentSelector);
}

TEST_F(AUHandlers, UninitializeAndReset) {
  Unit().Initialize();
  EXPECT_EQ(Unit().Uninitialize(), noErr);
  EXPECT_FALSE(Plugin().IsActive());
  EXPECT_FALSE(Plugin().mActive.load());
  EXPECT_EQ(Unit().Reset(7, 9), noErr);
  EXPECT_EQ(Plugin().mResets.load(), 1);
}

TEST_F(AUHandlers, AnExceptionInAHandlerBecomesAStatus) {
  Plugin().mThrowOnReset = true;
  EXPECT_EQ(Unit().Reset(), kHandlerFailedStatus);
}

TEST(AUBuses, AConfigurationWithoutInputChannelsHasNoInputBus) {
  TestPlugin generator(InstanceInfo{}, {"0-2", true});
  EXPECT_EQ(generator.NBuses(kInput), 0);
  EXPECT_EQ(generator.NBuses(kOutput), 1);
  EXPECT_EQ(generator.GetBus(kOutput, 0)->plugChannels, 2);
  EXPECT_EQ(generator.Initialize(), noErr);
}

TEST(AUBuses, RecordsTakeTheLargestChannelCountAndTheirFirstChannel) {
  TestPlugin plugin(InstanceInfo{}, {"1.1-2 2.2-2", true});
  ASSERT_EQ(plugin.NBuses(kInput), 2);
  EXPECT_EQ(plugin.GetBus(kInput, 0)->plugChannels, 2);
  EXPECT_EQ(plugin.GetBus(kInput, 1)->plugChannels, 2);
  EXPECT_EQ(plugin.GetBus(kInput, 1)->firstChannel, 2);
  EXPECT_EQ(plugin.GetBus(kInput, 0)->hostChannels, -1);
  EXPECT_FALSE(plugin.GetBus(kInput, 0)->connected);
  EXPECT_EQ(plugin.GetInputConnection(1)->kind, kNotConnected);
  EXPECT_EQ(plugin.GetBlockSize(), IPluginAU::kDefaultBlockSize);
  EXPECT_STREQ(plugin.GetViewClassName(), "");
}

TEST(AUBuses, ConnectionKindNames) {
  EXPECT_STREQ(IPluginAU::ConnectionKindName(0), "NotConnected");
  EXPECT_STREQ(IPluginAU::ConnectionKindName(1), "DirectFastProc");
  EXPECT_STREQ(IPluginAU::ConnectionKindName(2), "DirectNoFastProc");
  EXPECT_STREQ(IPluginAU::ConnectionKindName(3), "RenderCallback");
  EXPECT_STREQ(IPluginAU::ConnectionKindName(4), "NotConnected");
  EXPECT_STREQ(IPluginAU::ConnectionKindName(-1), "NotConnected");
}

// Host identification ---------------------------------------------------------------

class AUHostIdentification : public AUHandlers {
protected:
  void TearDown() override { standin::testing::ClearMainBundle(); }
};

TEST_F(AUHostIdentification, PacksTheBundleVersion) {
  standin::testing::SetMainBundle("com.example.somehost", "12.3");
  Unit().Initialize();
  EXPECT_EQ(Plugin().HostVersionWord(), 0x000C0300);
  EXPECT_STREQ(Plugin().HostName(), "com.example.somehost");
  EXPECT_EQ(Plugin().GetHost(), kHostUnknown);
}

TEST_F(AUHostIdentification, IdentifiesOnlyOnce) {
  standin::testing::SetMainBundle("com.example.somehost", "1.2.3");
  Unit().Initialize();
  standin::testing::SetMainBundle("com.example.otherhost", "4.5.6");
  Unit().Initialize();
  EXPECT_EQ(Plugin().mHostIdentifications.load(), 1);
  EXPECT_EQ(Plugin().HostVersionWord(), 0x00010203);
}

TEST_F(AUHostIdentification, MasksEachPartAndStopsAfterThree) {
  standin::testing::SetMainBundle("com.example.somehost", "70000.258.3-9");
  Unit().Initialize();
  EXPECT_EQ(Plugin().HostVersionWord(), static_cast<int>(((70000u & 0xFFFF) << 16) | (2u << 8) | 3u));
}

TEST_F(AUHostIdentification, RunsWithAnEmptyNameWithoutAMainBundle) {
  standin::testing::ClearMainBundle();
  Unit().Initialize();
  EXPECT_EQ(Plugin().mHostIdentifications.load(), 1);
  EXPECT_STREQ(Plugin().HostName(), "");
  EXPECT_EQ(Plugin().HostVersionWord(), 0);
}

// Parameters ------------------------------------------------------------------------

TEST_F(AUHandlers, SetParameterSnapsSteppedValuesAndClampsToTheRange) {
  EXPECT_EQ(Unit().SetParameter(TestPlugin::kSteps, kGlobal, 0, 0.26f, 0), noErr);
  EXPECT_EQ(Value(TestPlugin::kSteps), 0.5);
  EXPECT_EQ(Unit().SetParameter(TestPlugin::kSteps, kGlobal, 0, 0.75f, 0), noErr);
  EXPECT_EQ(Value(TestPlugin::kSteps), 1.0) << "halves round away from zero";
  EXPECT_EQ(Unit().SetParameter(TestPlugin::kGain, kGlobal, 0, 7.0f, 0), noErr);
  EXPECT_EQ(Value(TestPlugin::kGain), TestPlugin::kGainMax);
  EXPECT_EQ(Unit().SetParameter(TestPlugin::kGain, kGlobal, 0, -1.0f, 0), noErr);
  EXPECT_EQ(Value(TestPlugin::kGain), 0.0);
}

TEST_F(AUHandlers, SetParameterQueuesTheHostsValueAndNotifiesFromTheHost) {
  Unit().SetParameter(TestPlugin::kSteps, kGlobal, 0, 0.26f, 33);
  const auto changes = EditorParamQueue();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].mIdx, TestPlugin::kSteps);
  EXPECT_EQ(changes[0].mValue, static_cast<double>(0.26f));
  EXPECT_EQ(Plugin().mParamChanges.load(), 1);
  EXPECT_EQ(Plugin().mLastChangeSource.load(), kHost);
  EXPECT_EQ(Plugin().mLastChangeOffset.load(), 33);
}

TEST_F(AUHandlers, ParameterCallsRefuseOtherScopes) {
  AudioUnitParameterValue value = 0;
  EXPECT_EQ(Unit().SetParameter(TestPlugin::kGain, kInputScope, 0, 0.5f, 0), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Unit().GetParameter(TestPlugin::kGain, kInputScope, 0, &value), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Value(TestPlugin::kGain), 1.0);
}

TEST_F(AUHandlers, ParameterIdsBeyondTheListAreRefused) {
  AudioUnitParameterValue value = 123.0f;
  for (AudioUnitParameterID id : {AudioUnitParameterID{TestPlugin::kNumParams}, AudioUnitParameterID{0x80000000u},
                                  std::numeric_limits<AudioUnitParameterID>::max()}) {
    EXPECT_EQ(Unit().GetParameter(id, kGlobal, 0, &value), kAudioUnitErr_InvalidProperty) << id;
    EXPECT_EQ(Unit().SetParameter(id, kGlobal, 0, 0.5f, 0), kAudioUnitErr_InvalidProperty) << id;
  }
  EXPECT_EQ(value, 123.0f);
  EXPECT_EQ(Plugin().mParamChanges.load(), 0);
  EXPECT_TRUE(EditorParamQueue().empty());
}

TEST_F(AUHandlers, NonFiniteValuesFromTheHostAreIgnored) {
  for (float value : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                      -std::numeric_limits<float>::infinity()}) {
    EXPECT_EQ(Unit().SetParameter(TestPlugin::kGain, kGlobal, 0, value, 0), noErr);
  }
  EXPECT_EQ(Value(TestPlugin::kGain), 1.0);
  EXPECT_EQ(Plugin().mParamChanges.load(), 0);
  EXPECT_TRUE(EditorParamQueue().empty());
}

TEST_F(AUHandlers, GetParameterReadsTheValueAndRefusesANullPointer) {
  Unit().SetParameter(TestPlugin::kGain, kGlobal, 0, 0.125f, 0);
  AudioUnitParameterValue value = 0;
  EXPECT_EQ(Unit().GetParameter(TestPlugin::kGain, kGlobal, 0, &value), noErr);
  EXPECT_EQ(value, 0.125f);
  EXPECT_EQ(Unit().GetParameter(TestPlugin::kGain, kGlobal, 0, nullptr), kAudioUnitErr_InvalidProperty);
}

AudioUnitParameterEvent ImmediateEvent(AudioUnitParameterID id, float value, AudioUnitScope scope = kGlobal,
                                       UInt32 offset = 0) {
  AudioUnitParameterEvent event{};
  event.scope = scope;
  event.parameter = id;
  event.eventType = kParameterEvent_Immediate;
  event.eventValues.immediate.bufferOffset = offset;
  event.eventValues.immediate.value = value;
  return event;
}

TEST_F(AUHandlers, ScheduleAppliesEventsUntilABadScopeEndsIt) {
  const AudioUnitParameterEvent events[] = {ImmediateEvent(TestPlugin::kGain, 0.5f),
                                            ImmediateEvent(TestPlugin::kSteps, 0.26f, kGlobal, 12),
                                            ImmediateEvent(TestPlugin::kGain, 1.5f, kInputScope),
                                            ImmediateEvent(TestPlugin::kGain, 1.75f)};
  EXPECT_EQ(Unit().ScheduleParameters(events), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Value(TestPlugin::kGain), 0.5);
  EXPECT_EQ(Value(TestPlugin::kSteps), 0.5);
  EXPECT_EQ(Plugin().mLastChangeOffset.load(), 12);
  EXPECT_EQ(EditorParamQueue().size(), 2u);
}

TEST_F(AUHandlers, ScheduleSkipsRampsAndEndsAtAnUnknownParameter) {
  AudioUnitParameterEvent ramp = ImmediateEvent(TestPlugin::kGain, 0.0f);
  ramp.eventType = kParameterEvent_Ramped;
  const AudioUnitParameterEvent events[] = {ramp, ImmediateEvent(TestPlugin::kSteps, 2.0f),
                                            ImmediateEvent(TestPlugin::kNumParams, 1.0f),
                                            ImmediateEvent(TestPlugin::kGain, 0.25f)};
  EXPECT_EQ(Unit().ScheduleParameters(events), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Value(TestPlugin::kGain), 1.0);
  EXPECT_EQ(Value(TestPlugin::kSteps), 2.0);
  EXPECT_EQ(Unit().ScheduleParameters({}), noErr);
}

// Listeners and render notifications ------------------------------------------------

void ListenerA(void*, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement) {}
void ListenerB(void*, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement) {}

TEST_F(AUHandlers, AddingTheSameListenerTwiceKeepsOneRecord) {
  int first = 0;
  int second = 0;
  EXPECT_EQ(Unit().AddPropertyListener(8, &ListenerA, &first), noErr);
  EXPECT_EQ(Unit().AddPropertyListener(8, &ListenerA, &second), noErr);
  EXPECT_EQ(Plugin().NPropertyListeners(), 1);
  EXPECT_EQ(Plugin().GetPropertyListener(0)->procArgs, &first);
  Unit().AddPropertyListener(8, &ListenerB, &first);
  Unit().AddPropertyListener(9, &ListenerA, &first);
  EXPECT_EQ(Plugin().NPropertyListeners(), 3);
}

TEST_F(AUHandlers, RemovingWithUserDataRemovesOnlyAnExactMatch) {
  int data = 0;
  int other = 0;
  Unit().AddPropertyListener(8, &ListenerA, &data);
  Unit().AddPropertyListener(9, &ListenerA, &data);
  EXPECT_EQ(Unit().RemovePropertyListenerWithUserData(8, &ListenerA, &other), noErr);
  EXPECT_EQ(Unit().RemovePropertyListenerWithUserData(8, &ListenerB, &data), noErr);
  EXPECT_EQ(Plugin().NPropertyListeners(), 2);
  EXPECT_EQ(Unit().RemovePropertyListenerWithUserData(8, &ListenerA, &data), noErr);
  ASSERT_EQ(Plugin().NPropertyListeners(), 1);
  EXPECT_EQ(Plugin().GetPropertyListener(0)->propID, 9u);
}

TEST_F(AUHandlers, RemovingWithoutUserDataMatchesIdAndFunction) {
  Unit().AddPropertyListener(8, &ListenerA, nullptr);
  EXPECT_EQ(Unit().RemovePropertyListener(9, &ListenerA), noErr);
  EXPECT_EQ(Plugin().NPropertyListeners(), 1);
  EXPECT_EQ(Unit().RemovePropertyListener(8, &ListenerA), noErr);
  EXPECT_EQ(Plugin().NPropertyListeners(), 0);
  EXPECT_EQ(Unit().RemovePropertyListener(8, &ListenerA), noErr) << "no match is still success";
}

OSStatus NotifyA(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*) {
  return noErr;
}

TEST_F(AUHandlers, RenderNotifiesAppendAndRemoveByFunction) {
  int first = 0;
  int second = 0;
  Unit().AddRenderNotify(&NotifyA, &first);
  Unit().AddRenderNotify(&NotifyA, &second);
  EXPECT_EQ(Plugin().NRenderNotifies(), 2);
  EXPECT_EQ(Unit().RemoveRenderNotify(&NotifyA, nullptr), noErr);
  ASSERT_EQ(Plugin().NRenderNotifies(), 1);
  EXPECT_EQ(Plugin().GetRenderNotify(0)->userData, &second);
}

// MIDI and SysEx --------------------------------------------------------------------

TEST_F(AUHandlers, MIDIEventReachesTheHandlerAndTheEditorQueue) {
  EXPECT_EQ(Unit().MIDIEvent(0x1B0, 0x107, 0x63, 21), noErr);
  EXPECT_EQ(Plugin().mMidiCount.load(), 1);
  IMidiMsg msg;
  ASSERT_TRUE(Plugin().PopMidiForEditor(msg));
  EXPECT_EQ(msg.mStatus, 0xB0);
  EXPECT_EQ(msg.mData1, 0x07);
  EXPECT_EQ(msg.mData2, 0x63);
  EXPECT_EQ(msg.mOffset, 21);
}

TEST_F(AUHandlers, AFullEditorMidiQueueDropsSilently) {
  constexpr int kSent = IPluginAPIBase::kMidiQueueCapacity + 8;
  for (int i = 0; i < kSent; ++i) EXPECT_EQ(Unit().MIDIEvent(0x90, i, 100, 0), noErr);
  EXPECT_EQ(Plugin().mMidiCount.load(), kSent) << "the plug-in's own handler sees every message";
  int queued = 0;
  IMidiMsg msg;
  while (Plugin().PopMidiForEditor(msg)) EXPECT_EQ(msg.mData1, queued++);
  EXPECT_EQ(queued, IPluginAPIBase::kMidiQueueCapacity);
}

TEST_F(AUHandlers, SysExPassesItsBytesAndRefusesANullBuffer) {
  const UInt8 message[] = {0xF0, 0x7D, 0x10, 0x20, 0xF7};
  EXPECT_EQ(Unit().SysEx(message), noErr);
  EXPECT_EQ(Plugin().mLastSysExSize.load(), 5);
  EXPECT_EQ(Unit().SysEx({static_cast<const UInt8*>(nullptr), 0}), noErr);
  EXPECT_EQ(Plugin().mLastSysExSize.load(), 0);
  const auto sysex = Unit().LookupAs<MusicDeviceSysExProc>(kMusicDeviceSysExSelect);
  EXPECT_EQ(sysex(Unit().Block(), nullptr, 4), kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(Plugin().mSysExCount.load(), 2);
}

TEST(AUMidiInput, APlugInWithoutMidiInputRefusesMidiAndSysEx) {
  TestPlugin plugin(InstanceInfo{}, {"1-1", false});
  const UInt8 message[] = {0xF0, 0xF7};
  EXPECT_EQ(plugin.MIDIEvent(0x90, 60, 100, 0), badComponentSelector);
  EXPECT_EQ(plugin.SysEx(message, 2), badComponentSelector);
  EXPECT_EQ(plugin.mMidiCount.load(), 0);
  IMidiMsg msg;
  EXPECT_FALSE(plugin.PopMidiForEditor(msg));
}

}  // namespace
}  // namespace plugkit::testing
