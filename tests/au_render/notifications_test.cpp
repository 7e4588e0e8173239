// What the wrapper tells the host: parameter events and property changes.

#include <gtest/gtest.h>
#include <standin/testing/audio_unit_events.h>

#include <utility>
#include <vector>

#include "render_test_support.h"

namespace plugkit::testing {
namespace {

struct ListenerLog {
  struct Call {
    AudioUnit unit;
    AudioUnitPropertyID id;
    AudioUnitScope scope;
    AudioUnitElement element;
    int latencyThen;
  };
  RenderTestPlugin* plugin = nullptr;
  std::vector<Call> calls;

  static void Listen(void* self, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                     AudioUnitElement element) {
    auto& log = *static_cast<ListenerLog*>(self);
    log.calls.push_back({unit, id, scope, element, log.plugin->GetLatency()});
  }
};

struct Notifications : ::testing::Test {
  OpenedRenderPlugin opened;
  RenderTestPlugin& plugin = opened.Plugin();
  ListenerLog log{&plugin, {}};

  void SetUp() override { standin::testing::ClearRecordedAudioUnitEvents(); }
  void Listen(AudioUnitPropertyID id) { ASSERT_EQ(AudioUnitAddPropertyListener(opened.Unit(), id, &ListenerLog::Listen, &log), noErr); }
};

TEST_F(Notifications, GesturesAndValuesBecomeParameterEventsOfThisUnit) {
  plugin.NotifyHostGestureBegin(0);
  plugin.NotifyHostParamValue(0, 0.75);
  plugin.NotifyHostGestureEnd(0);

  const std::vector<AudioUnitEvent> events = standin::testing::RecordedAudioUnitEvents();
  ASSERT_EQ(events.size(), 3u);
  const AudioUnitEventType expected[] = {kAudioUnitEvent_BeginParameterChangeGesture,
                                         kAudioUnitEvent_ParameterValueChange,
                                         kAudioUnitEvent_EndParameterChangeGesture};
  for (size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i].mEventType, expected[i]);
    const AudioUnitParameter& parameter = events[i].mArgument.mParameter;
    EXPECT_EQ(parameter.mAudioUnit, opened.Unit());
    EXPECT_EQ(parameter.mParameterID, 0u);
    EXPECT_EQ(parameter.mScope, kAudioUnitScope_Global);
    EXPECT_EQ(parameter.mElement, 0u);
  }
}

TEST_F(Notifications, AnEditorEditNotifiesTheHostOfTheValue) {
  plugin.SetParameterValue(RenderTestPlugin::kGain, 0.5);
  const std::vector<AudioUnitEvent> events = standin::testing::RecordedAudioUnitEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].mEventType, kAudioUnitEvent_ParameterValueChange);
}

TEST_F(Notifications, PropertyChangesReachTheListenersOfThatPropertyOnly) {
  Listen(kAudioUnitProperty_PresentPreset);
  Listen(kAudioUnitProperty_ParameterList);
  Listen(kAudioUnitProperty_ParameterInfo);
  plugin.NotifyHostPresetChanged();
  plugin.NotifyHostParamListChanged();

  std::vector<AudioUnitPropertyID> ids;
  for (const auto& call : log.calls) {
    ids.push_back(call.id);
    EXPECT_EQ(call.unit, opened.Unit());
    EXPECT_EQ(call.scope, kAudioUnitScope_Global);
    EXPECT_EQ(call.element, 0u);
  }
  EXPECT_EQ(ids, (std::vector<AudioUnitPropertyID>{kAudioUnitProperty_PresentPreset, kAudioUnitProperty_ParameterList,
                                                   kAudioUnitProperty_ParameterInfo}));
}

TEST_F(Notifications, ALatencyChangeIsAnnouncedBeforeItIsStored) {
  Listen(kAudioUnitProperty_Latency);
  const int before = plugin.GetLatency();
  // Both the wrapper's and the processor's slot announce it.
  plugin.SetLatency(before + 32);
  static_cast<IPluginProcessor&>(plugin).SetLatency(before + 64);
  ASSERT_EQ(log.calls.size(), 2u);
  EXPECT_EQ(log.calls[0].id, kAudioUnitProperty_Latency);
  EXPECT_EQ(log.calls[0].latencyThen, before);
  EXPECT_EQ(log.calls[1].latencyThen, before + 32);
  EXPECT_EQ(plugin.GetLatency(), before + 64);
}

}  // namespace
}  // namespace plugkit::testing
