// Host-side calls reach a component through its instance block's lookup.

#include <AudioToolbox/AudioToolbox.h>
#include <CoreServices/CoreServices.h>
#include <standin/testing/audio_unit_events.h>
#include <standin/testing/component_instances.h>

#include <gtest/gtest.h>

#include "support/alloc_counter.h"

#include <vector>

namespace {

constexpr AudioUnitPropertyID kUpstreamProperty = 0x4000;
constexpr float kSourceLevel = 0.25f;

// A unit whose Render either writes a constant or pulls from an upstream unit
// and doubles what it got.
struct FakeBlock {
  AudioComponentPlugInInterface iface;
  AudioComponentInstance instance = nullptr;
  AudioUnit upstream = nullptr;
  std::vector<AudioUnitPropertyID> propertiesRead;
};

int gCloseCount = 0;
OSStatus gOpenStatus = noErr;

FakeBlock* Self(void* self) {
  return static_cast<FakeBlock*>(self);
}

OSStatus FakeOpen(void* self, AudioComponentInstance instance) {
  Self(self)->instance = instance;
  return gOpenStatus;
}

OSStatus FakeClose(void* self) {
  ++gCloseCount;
  delete Self(self);
  return noErr;
}

OSStatus FakeGetProperty(void* self, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement, void* data,
                         UInt32* size) {
  Self(self)->propertiesRead.push_back(id);
  if (id != kUpstreamProperty || !data || !size || *size < sizeof(void*))
    return kAudioUnitErr_InvalidProperty;
  *static_cast<void**>(data) = self;
  *size = sizeof(void*);
  return noErr;
}

OSStatus FakeSetProperty(void* self, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement, const void* data,
                         UInt32 size) {
  if (id != kUpstreamProperty || size != sizeof(AudioUnit))
    return kAudioUnitErr_InvalidProperty;
  Self(self)->upstream = *static_cast<const AudioUnit*>(data);
  return noErr;
}

OSStatus FakeRender(void* self, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* time, UInt32 bus,
                    UInt32 frames, AudioBufferList* list) {
  auto* samples = static_cast<float*>(list->mBuffers[0].mData);
  if (!Self(self)->upstream) {
    for (UInt32 i = 0; i < frames; ++i)
      samples[i] = kSourceLevel;
    return noErr;
  }
  const OSStatus status = AudioUnitRender(Self(self)->upstream, flags, time, bus, frames, list);
  for (UInt32 i = 0; i < frames; ++i)
    samples[i] *= 2.0f;
  return status;
}

AudioComponentMethod FakeLookup(SInt16 selector) {
  switch (selector) {
    case kAudioUnitGetPropertySelect:
      return reinterpret_cast<AudioComponentMethod>(&FakeGetProperty);
    case kAudioUnitSetPropertySelect:
      return reinterpret_cast<AudioComponentMethod>(&FakeSetProperty);
    case kAudioUnitRenderSelect:
      return reinterpret_cast<AudioComponentMethod>(&FakeRender);
    default:
      return nullptr;
  }
}

AudioComponentPlugInInterface* FakeFactory(const AudioComponentDescription*) {
  auto* block = new FakeBlock;
  block->iface = {&FakeOpen, &FakeClose, &FakeLookup, nullptr};
  return &block->iface;
}

class AudioComponentTest : public ::testing::Test {
protected:
  void SetUp() override {
    gCloseCount = 0;
    gOpenStatus = noErr;
    const AudioComponentDescription description{kAudioUnitType_Effect, standin::FourCharCodeOf("Fake"),
                                                standin::FourCharCodeOf("Test"), 0, 0};
    mComponent = AudioComponentRegister(&description, nullptr, 1, &FakeFactory);
    ASSERT_NE(mComponent, nullptr);
  }

  AudioComponent mComponent = nullptr;
};

TEST_F(AudioComponentTest, InstanceDispatchesThroughTheBlockLookup) {
  AudioComponentInstance unit = nullptr;
  ASSERT_EQ(AudioComponentInstanceNew(mComponent, &unit), noErr);
  ASSERT_NE(unit, nullptr);
  EXPECT_EQ(AudioComponentInstanceGetComponent(unit), mComponent);

  void* answer = nullptr;
  UInt32 size = sizeof(answer);
  ASSERT_EQ(AudioUnitGetProperty(unit, kUpstreamProperty, kAudioUnitScope_Global, 0, &answer, &size), noErr);
  auto* block = static_cast<FakeBlock*>(answer);
  EXPECT_EQ(block->instance, unit);
  EXPECT_EQ(block->propertiesRead, std::vector<AudioUnitPropertyID>{kUpstreamProperty});

  EXPECT_EQ(AudioUnitInitialize(unit), badComponentSelector);
  EXPECT_EQ(MusicDeviceMIDIEvent(unit, 0x90, 60, 100, 0), badComponentSelector);

  EXPECT_EQ(AudioComponentInstanceDispose(unit), noErr);
  EXPECT_EQ(gCloseCount, 1);
}

TEST_F(AudioComponentTest, OneUnitPullsFromAnotherThroughAudioUnitRender) {
  AudioComponentInstance source = nullptr;
  AudioComponentInstance effect = nullptr;
  ASSERT_EQ(AudioComponentInstanceNew(mComponent, &source), noErr);
  ASSERT_EQ(AudioComponentInstanceNew(mComponent, &effect), noErr);
  ASSERT_EQ(AudioUnitSetProperty(effect, kUpstreamProperty, kAudioUnitScope_Input, 0, &source, sizeof(source)),
            noErr);

  constexpr UInt32 kFrames = 8;
  std::vector<float> samples(kFrames, 0.0f);
  AudioBufferList list{1, {{1, kFrames * sizeof(float), samples.data()}}};
  AudioTimeStamp time{};
  time.mFlags = kAudioTimeStampSampleTimeValid;
  AudioUnitRenderActionFlags flags = 0;
  ASSERT_EQ(AudioUnitRender(effect, &flags, &time, 0, kFrames, &list), noErr);
  for (float sample : samples)
    EXPECT_EQ(sample, 2.0f * kSourceLevel);

  // Rendering through the host-side call is safe on a render thread.
  {
    const orvane::testing::ScopedAllocationCount allocations;
    AudioUnitRender(effect, &flags, &time, 0, kFrames, &list);
    EXPECT_EQ(allocations.Count(), 0u);
  }

  AudioComponentInstanceDispose(effect);
  AudioComponentInstanceDispose(source);
  EXPECT_EQ(gCloseCount, 2);
}

TEST_F(AudioComponentTest, FailedOpenClosesTheBlockAndHandsOutNoInstance) {
  gOpenStatus = -1234;
  AudioComponentInstance unit = reinterpret_cast<AudioComponentInstance>(&gOpenStatus);
  EXPECT_EQ(AudioComponentInstanceNew(mComponent, &unit), -1234);
  EXPECT_EQ(unit, nullptr);
  EXPECT_EQ(gCloseCount, 1);
}

TEST_F(AudioComponentTest, RegisteringTheSameFactoryTwiceGivesOneComponent) {
  AudioComponentDescription description{};
  ASSERT_EQ(AudioComponentGetDescription(mComponent, &description), noErr);
  EXPECT_EQ(AudioComponentRegister(&description, nullptr, 2, &FakeFactory), mComponent);
  EXPECT_EQ(description.componentSubType, standin::FourCharCodeOf("Fake"));
}

TEST(AudioUnitCalls, NullUnitAnswersBadSelector) {
  UInt32 size = 0;
  EXPECT_EQ(AudioUnitGetProperty(nullptr, 0, 0, 0, nullptr, &size), badComponentSelector);
  EXPECT_EQ(AudioUnitRender(nullptr, nullptr, nullptr, 0, 0, nullptr), badComponentSelector);
}

TEST(ComponentInstanceStorage, HoldsWhatOpenRegistered) {
  ComponentInstance instance = standin::testing::NewLegacyComponentInstance();
  EXPECT_EQ(GetComponentInstanceStorage(instance), nullptr);
  char object = 0;
  char* pointer = &object;
  SetComponentInstanceStorage(instance, &pointer);
  EXPECT_EQ(GetComponentInstanceStorage(instance), &pointer);
  EXPECT_EQ(GetComponentInstanceStorage(nullptr), nullptr);
  standin::testing::DisposeLegacyComponentInstance(instance);
}

TEST(AUEventListenerNotify, RecordsEventsInOrder) {
  standin::testing::ClearRecordedAudioUnitEvents();
  AudioUnitEvent event{};
  event.mEventType = kAudioUnitEvent_BeginParameterChangeGesture;
  event.mArgument.mParameter.mParameterID = 3;
  ASSERT_EQ(AUEventListenerNotify(nullptr, nullptr, &event), noErr);
  event.mEventType = kAudioUnitEvent_EndParameterChangeGesture;
  ASSERT_EQ(AUEventListenerNotify(nullptr, nullptr, &event), noErr);

  const auto events = standin::testing::RecordedAudioUnitEvents();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].mEventType, kAudioUnitEvent_BeginParameterChangeGesture);
  EXPECT_EQ(events[1].mEventType, kAudioUnitEvent_EndParameterChangeGesture);
  EXPECT_EQ(events[1].mArgument.mParameter.mParameterID, 3u);
  standin::testing::ClearRecordedAudioUnitEvents();
  EXPECT_TRUE(standin::testing::RecordedAudioUnitEvents().empty());
}

}  // namespace
