// The selector handlers, called through the methods the instance block's
// lookup hands out.

#include <gtest/gtest.h>
#include <standin/testing/bundles.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "au_test_support.h"
#include "framework/au/au_component_entry.h"
#include "support/alloc_counter.h"

namespace plugkit::testing {
namespace {

constexpr AudioUnitScope kGlobal = kAudioUnitScope_Global;
constexpr AudioUnitScope kInputScope = kAudioUnitScope_Input;

template <class Entry>
class AUHandlers : public ::testing::Test {
protected:
  Entry& Unit() { return mEntry; }
  TestPlugin& Plugin() { return mEntry.Plugin(); }
  double Value(int paramIdx) { return Plugin().GetParam(paramIdx)->Value(); }

  std::vector<ParamChange> EditorParamQueue() {
    std::vector<ParamChange> changes;
    ParamChange change;
    while (Plugin().PopParamForEditor(change)) changes.push_back(change);
    return changes;
  }

  Entry mEntry;
};

struct EntryName {
  template <class Entry>
  static std::string GetName(int) {
    return Entry::kName;
  }
};

using BothEntries = ::testing::Types<ModernEntry, LegacyEntry>;
TYPED_TEST_SUITE(AUHandlers, BothEntries, EntryName);

// Initialize -----------------------------------------------------------------------

TYPED_TEST(AUHandlers, InitializeWithNoChannelCountsSetChecksTheUnsetPair) {
  EXPECT_EQ(this->Unit().Initialize(), noErr);
  EXPECT_TRUE(this->Plugin().IsActive());
  EXPECT_TRUE(this->Plugin().mActive.load());
  EXPECT_EQ(this->Plugin().mAllParamsResets.load(), 1);
  EXPECT_EQ(this->Plugin().mLastChangeSource.load(), kReset);
  // Again without Uninitialize: the check and the reset run again.
  EXPECT_EQ(this->Unit().Initialize(), noErr);
  EXPECT_EQ(this->Plugin().mAllParamsResets.load(), 2);
}

TYPED_TEST(AUHandlers, InitializeSkipsTheCheckWhenBothSumsAreZero) {
  this->Plugin().Bus(kInput, 0)->hostChannels = 0;
  this->Plugin().Bus(kOutput, 0)->hostChannels = 0;
  ASSERT_FALSE(this->Plugin().LegalIO(0, 0));
  EXPECT_EQ(this->Unit().Initialize(), noErr);
}

TYPED_TEST(AUHandlers, InitializeRefusesAnIllegalPairAndChangesNothing) {
  this->Plugin().Bus(kInput, 0)->hostChannels = 2;
  this->Plugin().Bus(kOutput, 0)->hostChannels = 2;
  EXPECT_EQ(this->Unit().Initialize(), badComponentSelector);
  EXPECT_FALSE(this->Plugin().IsActive());
  EXPECT_EQ(this->Plugin().mAllParamsResets.load(), 0);

  this->Plugin().Bus(kInput, 0)->hostChannels = 1;
  EXPECT_EQ(this->Unit().Initialize(), noErr);
}

TYPED_TEST(AUHandlers, InitializeChecksOnlyTheSetDirection) {
  this->Plugin().Bus(kOutput, 0)->hostChannels = 2;
  EXPECT_EQ(this->Unit().Initialize(), noErr);  // (-1, 2)
  this->Plugin().Bus(kOutput, 0)->hostChannels = 3;
  EXPECT_EQ(this->Unit().Initialize(), badComponentSelector);
}

TYPED_TEST(AUHandlers, UninitializeAndReset) {
  this->Unit().Initialize();
  EXPECT_EQ(this->Unit().Uninitialize(), noErr);
  EXPECT_FALSE(this->Plugin().IsActive());
  EXPECT_FALSE(this->Plugin().mActive.load());
  EXPECT_EQ(this->Unit().Reset(7, 9), noErr);
  EXPECT_EQ(this->Plugin().mResets.load(), 1);
}

TYPED_TEST(AUHandlers, AnExceptionInAHandlerBecomesAStatus) {
  this->Plugin().mThrowOnReset = true;
  EXPECT_EQ(this->Unit().Reset(), kHandlerFailedStatus);
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

class AUHostIdentification : public AUHandlers<ModernEntry> {
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

TYPED_TEST(AUHandlers, SetParameterSnapsSteppedValuesAndClampsToTheRange) {
  EXPECT_EQ(this->Unit().SetParameter(TestPlugin::kSteps, kGlobal, 0, 0.26f, 0), noErr);
  EXPECT_EQ(this->Value(TestPlugin::kSteps), 0.5);
  EXPECT_EQ(this->Unit().SetParameter(TestPlugin::kSteps, kGlobal, 0, 0.75f, 0), noErr);
  EXPECT_EQ(this->Value(TestPlugin::kSteps), 1.0) << "halves round away from zero";
  EXPECT_EQ(this->Unit().SetParameter(TestPlugin::kGain, kGlobal, 0, 7.0f, 0), noErr);
  EXPECT_EQ(this->Value(TestPlugin::kGain), TestPlugin::kGainMax);
  EXPECT_EQ(this->Unit().SetParameter(TestPlugin::kGain, kGlobal, 0, -1.0f, 0), noErr);
  EXPECT_EQ(this->Value(TestPlugin::kGain), 0.0);
}

TYPED_TEST(AUHandlers, SetParameterQueuesTheHostsValueAndNotifiesFromTheHost) {
  this->Unit().SetParameter(TestPlugin::kSteps, kGlobal, 0, 0.26f, 33);
  const auto changes = this->EditorParamQueue();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].mIdx, TestPlugin::kSteps);
  EXPECT_EQ(changes[0].mValue, static_cast<double>(0.26f));
  EXPECT_EQ(this->Plugin().mParamChanges.load(), 1);
  EXPECT_EQ(this->Plugin().mLastChangeSource.load(), kHost);
  EXPECT_EQ(this->Plugin().mLastChangeOffset.load(), 33);
}

TYPED_TEST(AUHandlers, ParameterCallsRefuseOtherScopes) {
  AudioUnitParameterValue value = 0;
  EXPECT_EQ(this->Unit().SetParameter(TestPlugin::kGain, kInputScope, 0, 0.5f, 0), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(this->Unit().GetParameter(TestPlugin::kGain, kInputScope, 0, &value), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(this->Value(TestPlugin::kGain), 1.0);
}

TYPED_TEST(AUHandlers, ParameterIdsBeyondTheListAreRefused) {
  AudioUnitParameterValue value = 123.0f;
  for (AudioUnitParameterID id : {AudioUnitParameterID{TestPlugin::kNumParams}, AudioUnitParameterID{0x80000000u},
                                  std::numeric_limits<AudioUnitParameterID>::max()}) {
    EXPECT_EQ(this->Unit().GetParameter(id, kGlobal, 0, &value), kAudioUnitErr_InvalidProperty) << id;
    EXPECT_EQ(this->Unit().SetParameter(id, kGlobal, 0, 0.5f, 0), kAudioUnitErr_InvalidProperty) << id;
  }
  EXPECT_EQ(value, 123.0f);
  EXPECT_EQ(this->Plugin().mParamChanges.load(), 0);
  EXPECT_TRUE(this->EditorParamQueue().empty());
}

TYPED_TEST(AUHandlers, NonFiniteValuesFromTheHostAreIgnored) {
  for (float value : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                      -std::numeric_limits<float>::infinity()}) {
    EXPECT_EQ(this->Unit().SetParameter(TestPlugin::kGain, kGlobal, 0, value, 0), noErr);
  }
  EXPECT_EQ(this->Value(TestPlugin::kGain), 1.0);
  EXPECT_EQ(this->Plugin().mParamChanges.load(), 0);
  EXPECT_TRUE(this->EditorParamQueue().empty());
}

TYPED_TEST(AUHandlers, GetParameterReadsTheValueAndRefusesANullPointer) {
  this->Unit().SetParameter(TestPlugin::kGain, kGlobal, 0, 0.125f, 0);
  AudioUnitParameterValue value = 0;
  EXPECT_EQ(this->Unit().GetParameter(TestPlugin::kGain, kGlobal, 0, &value), noErr);
  EXPECT_EQ(value, 0.125f);
  EXPECT_EQ(this->Unit().GetParameter(TestPlugin::kGain, kGlobal, 0, nullptr), kAudioUnitErr_InvalidProperty);
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

TYPED_TEST(AUHandlers, ScheduleAppliesEventsUntilABadScopeEndsIt) {
  const AudioUnitParameterEvent events[] = {ImmediateEvent(TestPlugin::kGain, 0.5f),
                                            ImmediateEvent(TestPlugin::kSteps, 0.26f, kGlobal, 12),
                                            ImmediateEvent(TestPlugin::kGain, 1.5f, kInputScope),
                                            ImmediateEvent(TestPlugin::kGain, 1.75f)};
  EXPECT_EQ(this->Unit().ScheduleParameters(events), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(this->Value(TestPlugin::kGain), 0.5);
  EXPECT_EQ(this->Value(TestPlugin::kSteps), 0.5);
  EXPECT_EQ(this->Plugin().mLastChangeOffset.load(), 12);
  EXPECT_EQ(this->EditorParamQueue().size(), 2u);
}

TYPED_TEST(AUHandlers, ScheduleSkipsRampsAndNonFiniteValuesAndEndsAtAnUnknownParameter) {
  AudioUnitParameterEvent ramp = ImmediateEvent(TestPlugin::kGain, 0.0f);
  ramp.eventType = kParameterEvent_Ramped;
  const AudioUnitParameterEvent events[] = {ramp, ImmediateEvent(TestPlugin::kGain, std::nanf("")),
                                            ImmediateEvent(TestPlugin::kSteps, 2.0f),
                                            ImmediateEvent(TestPlugin::kNumParams, 1.0f),
                                            ImmediateEvent(TestPlugin::kGain, 0.25f)};
  EXPECT_EQ(this->Unit().ScheduleParameters(events), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(this->Value(TestPlugin::kGain), 1.0);
  EXPECT_EQ(this->Value(TestPlugin::kSteps), 2.0);
  EXPECT_EQ(this->Unit().ScheduleParameters({}), noErr);
}

// Listeners and render notifications ------------------------------------------------

void ListenerA(void*, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement) {}
void ListenerB(void*, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement) {}

TYPED_TEST(AUHandlers, AddingTheSameListenerTwiceKeepsOneRecord) {
  int first = 0;
  int second = 0;
  EXPECT_EQ(this->Unit().AddPropertyListener(8, &ListenerA, &first), noErr);
  EXPECT_EQ(this->Unit().AddPropertyListener(8, &ListenerA, &second), noErr);
  EXPECT_EQ(this->Plugin().NPropertyListeners(), 1);
  EXPECT_EQ(this->Plugin().GetPropertyListener(0)->procArgs, &first);
  this->Unit().AddPropertyListener(8, &ListenerB, &first);
  this->Unit().AddPropertyListener(9, &ListenerA, &first);
  EXPECT_EQ(this->Plugin().NPropertyListeners(), 3);
}

TYPED_TEST(AUHandlers, RemovingWithUserDataRemovesOnlyAnExactMatch) {
  int data = 0;
  int other = 0;
  this->Unit().AddPropertyListener(8, &ListenerA, &data);
  this->Unit().AddPropertyListener(9, &ListenerA, &data);
  EXPECT_EQ(this->Unit().RemovePropertyListenerWithUserData(8, &ListenerA, &other), noErr);
  EXPECT_EQ(this->Unit().RemovePropertyListenerWithUserData(8, &ListenerB, &data), noErr);
  EXPECT_EQ(this->Plugin().NPropertyListeners(), 2);
  EXPECT_EQ(this->Unit().RemovePropertyListenerWithUserData(8, &ListenerA, &data), noErr);
  ASSERT_EQ(this->Plugin().NPropertyListeners(), 1);
  EXPECT_EQ(this->Plugin().GetPropertyListener(0)->propID, 9u);
}

TYPED_TEST(AUHandlers, RemovingWithoutUserDataMatchesIdAndFunction) {
  this->Unit().AddPropertyListener(8, &ListenerA, nullptr);
  EXPECT_EQ(this->Unit().RemovePropertyListener(9, &ListenerA), noErr);
  EXPECT_EQ(this->Plugin().NPropertyListeners(), 1);
  EXPECT_EQ(this->Unit().RemovePropertyListener(8, &ListenerA), noErr);
  EXPECT_EQ(this->Plugin().NPropertyListeners(), 0);
  EXPECT_EQ(this->Unit().RemovePropertyListener(8, &ListenerA), noErr) << "no match is still success";
}

OSStatus NotifyA(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*) {
  return noErr;
}

TYPED_TEST(AUHandlers, RenderNotifiesAppendAndRemoveByFunction) {
  int first = 0;
  int second = 0;
  this->Unit().AddRenderNotify(&NotifyA, &first);
  this->Unit().AddRenderNotify(&NotifyA, &second);
  EXPECT_EQ(this->Plugin().NRenderNotifies(), 2);
  EXPECT_EQ(this->Unit().RemoveRenderNotify(&NotifyA, nullptr), noErr);
  ASSERT_EQ(this->Plugin().NRenderNotifies(), 1);
  EXPECT_EQ(this->Plugin().GetRenderNotify(0)->userData, &second);
}

// MIDI and SysEx --------------------------------------------------------------------

TYPED_TEST(AUHandlers, MIDIEventReachesTheHandlerAndTheEditorQueue) {
  EXPECT_EQ(this->Unit().MIDIEvent(0x1B0, 0x107, 0x63, 21), noErr);
  EXPECT_EQ(this->Plugin().mMidiCount.load(), 1);
  IMidiMsg msg;
  ASSERT_TRUE(this->Plugin().PopMidiForEditor(msg));
  EXPECT_EQ(msg.mStatus, 0xB0);
  EXPECT_EQ(msg.mData1, 0x07);
  EXPECT_EQ(msg.mData2, 0x63);
  EXPECT_EQ(msg.mOffset, 21);
}

TYPED_TEST(AUHandlers, AFullEditorMidiQueueDropsSilently) {
  constexpr int kSent = IPluginAPIBase::kMidiQueueCapacity + 8;
  for (int i = 0; i < kSent; ++i) EXPECT_EQ(this->Unit().MIDIEvent(0x90, i, 100, 0), noErr);
  EXPECT_EQ(this->Plugin().mMidiCount.load(), kSent) << "the plug-in's own handler sees every message";
  int queued = 0;
  IMidiMsg msg;
  while (this->Plugin().PopMidiForEditor(msg)) EXPECT_EQ(msg.mData1, queued++);
  EXPECT_EQ(queued, IPluginAPIBase::kMidiQueueCapacity);
}

TYPED_TEST(AUHandlers, SysExPassesItsBytesAndRefusesANullBuffer) {
  const UInt8 message[] = {0xF0, 0x7D, 0x10, 0x20, 0xF7};
  EXPECT_EQ(this->Unit().SysEx(message, 5), noErr);
  EXPECT_EQ(this->Plugin().mLastSysExSize.load(), 5);
  EXPECT_EQ(this->Unit().SysEx(nullptr, 0), noErr);
  EXPECT_EQ(this->Plugin().mLastSysExSize.load(), 0);
  EXPECT_EQ(this->Unit().SysEx(nullptr, 4), kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(this->Plugin().mSysExCount.load(), 2);
}

// Hosts call these from their render and MIDI threads.
TYPED_TEST(AUHandlers, ParameterAndMidiCallsAllocateNothing) {
  const AudioUnitParameterEvent events[] = {ImmediateEvent(TestPlugin::kGain, 0.5f),
                                            ImmediateEvent(TestPlugin::kSteps, 1.0f)};
  const UInt8 message[] = {0xF0, 0x7D, 0x01, 0xF7};
  AudioUnitParameterValue value = 0;
  const orvane::testing::ScopedAllocationCount allocations;
  for (int i = 0; i < 2 * IPluginAPIBase::kMidiQueueCapacity; ++i) {
    this->Unit().SetParameter(TestPlugin::kGain, kGlobal, 0, 0.25f, 0);
    this->Unit().GetParameter(TestPlugin::kGain, kGlobal, 0, &value);
    this->Unit().ScheduleParameters(events);
    this->Unit().MIDIEvent(0x90, 60, 100, 0);
    this->Unit().SysEx(message, sizeof message);
  }
  EXPECT_EQ(allocations.Count(), 0u);
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
