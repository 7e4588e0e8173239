// Instances of the test plug-in opened from its bundle: many in a row, two at
// once, both entries, failing construction, and the idle timer on the main loop.

#include <AudioUnit/MusicDevice.h>
#include <CoreServices/CoreServices.h>
#include <gtest/gtest.h>
#include <standin/testing/component_instances.h>
#include <standin/testing/objects.h>
#include <standin/testing/run_loop.h>

#include <vector>

#include "host_test_support.h"

namespace orvane::host::testing {
namespace {

constexpr AudioUnitParameterID kGain = 0;
constexpr CFTimeInterval kPumpSeconds = 0.2;

class InstanceLifecycle : public ::testing::Test {
protected:
  void SetUp() override {
    mProbe = std::make_unique<TestPluginProbe>(TestPluginBundle());
    ASSERT_NE(mProbe->liveInstances, nullptr);
    mObjectsAtStart = standin::testing::LiveObjectCount();
    mInstancesAtStart = mProbe->liveInstances();
  }
  void TearDown() override {
    EXPECT_EQ(standin::testing::LiveObjectCount(), mObjectsAtStart) << "CF objects leaked";
    EXPECT_EQ(mProbe->liveInstances(), mInstancesAtStart) << "plug-in objects left alive";
  }

  std::unique_ptr<TestPluginProbe> mProbe;
  long mObjectsAtStart = 0;
  int mInstancesAtStart = 0;
};

TEST_F(InstanceLifecycle, OpensAndClosesAHundredInstances) {
  for (int i = 0; i < 100; ++i) {
    auto instance = OpenTestPlugin();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(mProbe->liveInstances(), mInstancesAtStart + 1);
    EXPECT_EQ(instance->Initialize(), noErr);
  }
}

TEST_F(InstanceLifecycle, TwoInstancesAliveAtOnceKeepTheirOwnState) {
  auto first = OpenTestPlugin();
  auto second = OpenTestPlugin();
  ASSERT_TRUE(first && second);
  EXPECT_EQ(mProbe->liveInstances(), mInstancesAtStart + 2);
  EXPECT_EQ(first->SetParameter(kGain, kAudioUnitScope_Global, 0, 0.25f), noErr);
  EXPECT_EQ(second->SetParameter(kGain, kAudioUnitScope_Global, 0, 1.5f), noErr);
  EXPECT_EQ(first->MIDIEvent(0x90, 60, 100), noErr);
  AudioUnitParameterValue firstGain = 0;
  AudioUnitParameterValue secondGain = 0;
  first->GetParameter(kGain, kAudioUnitScope_Global, 0, &firstGain);
  second->GetParameter(kGain, kAudioUnitScope_Global, 0, &secondGain);
  EXPECT_EQ(firstGain, 0.25f);
  EXPECT_EQ(secondGain, 1.5f);
  EXPECT_EQ(mProbe->midiCount(first->Block()), 1);
  EXPECT_EQ(mProbe->midiCount(second->Block()), 0);
  first.reset();
  EXPECT_EQ(second->MIDIEvent(0x80, 60, 0), noErr);
  EXPECT_EQ(mProbe->midiCount(second->Block()), 1);
}

TEST_F(InstanceLifecycle, TheIdleTimerTicksWhileTheMainLoopIsPumped) {
  const standin::testing::ScopedManualClock clock;
  auto instance = OpenTestPlugin();
  ASSERT_NE(instance, nullptr);
  EXPECT_EQ(mProbe->idleTicks(instance->Block()), 0);
  standin::testing::RunFor(kPumpSeconds);
  const int ticks = mProbe->idleTicks(instance->Block());
  EXPECT_GT(ticks, 1);
  standin::testing::RunFor(kPumpSeconds);
  EXPECT_GT(mProbe->idleTicks(instance->Block()), ticks);
  instance.reset();
  standin::testing::RunFor(kPumpSeconds);  // a closed instance's timer never fires again
}

TEST_F(InstanceLifecycle, ThrowingConstructorFailsOpenAndLeavesNothing) {
  OSStatus status = noErr;
  auto instance = AudioUnitInstance::Open(ThrowingPluginBundle(), status);
  EXPECT_EQ(instance, nullptr);
  EXPECT_EQ(status, kAudioUnitErr_FailedInitialization);
  const standin::testing::ScopedManualClock clock;
  standin::testing::RunFor(kPumpSeconds);
}

// The legacy entry of the bundle's library, with its own instance record.
class LegacyInstance {
public:
  explicit LegacyInstance(const ComponentBundle& bundle, const char* entryName)
      : mEntry(reinterpret_cast<Entry>(bundle.Symbol(entryName))),
        mInstance(standin::testing::NewLegacyComponentInstance()) {}
  ~LegacyInstance() { standin::testing::DisposeLegacyComponentInstance(mInstance); }
  LegacyInstance(const LegacyInstance&) = delete;
  LegacyInstance& operator=(const LegacyInstance&) = delete;

  ComponentResult Call(SInt16 selector) {
    Params params{};
    params.what = selector;
    params.slots[0] = reinterpret_cast<long>(mInstance);
    // Open takes the new instance as its argument.
    if (selector == kComponentOpenSelect) params.slots[1] = reinterpret_cast<long>(mInstance);
    return mEntry(reinterpret_cast<ComponentParameters*>(&params), GetComponentInstanceStorage(mInstance));
  }
  bool Valid() const { return mEntry != nullptr; }
  bool HasStorage() const { return GetComponentInstanceStorage(mInstance) != nullptr; }

private:
  using Entry = ComponentResult (*)(ComponentParameters*, void*);
  struct Params {
    UInt8 flags;
    UInt8 paramSize;
    SInt16 what;
    UInt32 padding;
    long slots[2];
  };

  Entry mEntry;
  ComponentInstance mInstance;
};

TEST_F(InstanceLifecycle, LegacyEntryOpensAndClosesThroughTheBundle) {
  for (int i = 0; i < 100; ++i) {
    LegacyInstance legacy(TestPluginBundle(), "AUTestPlugin_Entry");
    ASSERT_TRUE(legacy.Valid());
    ASSERT_EQ(legacy.Call(kComponentOpenSelect), noErr);
    EXPECT_EQ(mProbe->liveInstances(), mInstancesAtStart + 1);
    EXPECT_EQ(legacy.Call(kComponentVersionSelect), 0x00010004);
    EXPECT_EQ(legacy.Call(kAudioUnitInitializeSelect), noErr);
    EXPECT_EQ(legacy.Call(kComponentCloseSelect), noErr);
  }
}

TEST_F(InstanceLifecycle, LegacyOpenOfTheThrowingPluginRegistersNothing) {
  LegacyInstance legacy(ThrowingPluginBundle(), "AUThrowingPlugin_Entry");
  ASSERT_TRUE(legacy.Valid());
  EXPECT_EQ(legacy.Call(kComponentOpenSelect), kAudioUnitErr_FailedInitialization);
  EXPECT_FALSE(legacy.HasStorage());
  EXPECT_EQ(legacy.Call(kAudioUnitInitializeSelect), badComponentSelector);
}

}  // namespace
}  // namespace orvane::host::testing
