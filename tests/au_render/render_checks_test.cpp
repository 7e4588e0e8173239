// The checks a render call makes before it touches anything, and the
// render notifications around a block.

#include <gtest/gtest.h>

#include "host/render_loop.h"
#include "render_test_support.h"

namespace plugkit::testing {
namespace {

using orvane::host::OutputBuffers;
using orvane::host::RenderLoop;

constexpr UInt32 kCheckedFrames = 64;

struct RenderChecks : ::testing::Test {
  OpenedRenderPlugin opened;
  RenderTestPlugin& plugin = opened.Plugin();
  RenderLoop loop{opened.Unit(), IPluginAU::kDefaultBlockSize + 1, {2}};
  NotifyRecorder notifications;
  InputSignal signal;

  void SetUp() override {
    ASSERT_EQ(AudioUnitAddRenderNotify(opened.Unit(), &NotifyRecorder::Notify<0>, &notifications), noErr);
    plugin.SetInputCallback(0, &InputSignal::Pull, &signal);
  }

  OSStatus RenderWith(const AudioTimeStamp* timeStamp, UInt32 bus, UInt32 frames, bool withBuffers = true) {
    AudioUnitRenderActionFlags flags = 0;
    AudioBufferList* list = withBuffers ? const_cast<AudioBufferList*>(&loop.OutputList(0)) : nullptr;
    return AudioUnitRender(opened.Unit(), &flags, timeStamp, bus, frames, list);
  }

  // Nothing was pulled, processed or announced.
  void ExpectUntouched() {
    EXPECT_TRUE(notifications.calls.empty());
    EXPECT_EQ(signal.pulls, 0);
    EXPECT_EQ(plugin.mBlocks.load(), 0);
  }
};

TEST_F(RenderChecks, ATimeStampWithoutSampleTimeIsRefusedBeforeAnyNotification) {
  AudioTimeStamp hostTimeOnly{};
  hostTimeOnly.mHostTime = 1234;
  hostTimeOnly.mFlags = kAudioTimeStampHostTimeValid;
  EXPECT_EQ(RenderWith(&hostTimeOnly, 0, kCheckedFrames), kAudioUnitErr_InvalidPropertyValue);
  ExpectUntouched();
  // The stamp is still kept as the latest one.
  EXPECT_EQ(plugin.LastTimeStamp().mHostTime, 1234u);
}

TEST_F(RenderChecks, MoreFramesThanTheBlockSizeAreRefusedBeforeAnyNotification) {
  const AudioTimeStamp timeStamp = SampleTimeStamp(0);
  EXPECT_EQ(RenderWith(&timeStamp, 0, IPluginAU::kDefaultBlockSize + 1), kAudioUnitErr_InvalidPropertyValue);
  ExpectUntouched();
  EXPECT_EQ(RenderWith(&timeStamp, 0, IPluginAU::kDefaultBlockSize), noErr);
  EXPECT_EQ(plugin.mLastBlockFrames.load(), IPluginAU::kDefaultBlockSize);
}

TEST_F(RenderChecks, AMissingTimeStampOrBufferListIsRefusedBeforeAnyNotification) {
  const AudioTimeStamp timeStamp = SampleTimeStamp(0);
  EXPECT_EQ(RenderWith(nullptr, 0, kCheckedFrames), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(RenderWith(&timeStamp, 0, kCheckedFrames, false), kAudioUnitErr_InvalidPropertyValue);
  ExpectUntouched();
}

TEST_F(RenderChecks, AnOutputBusBeyondTheBusesIsRefusedBeforeAnyNotification) {
  const AudioTimeStamp timeStamp = SampleTimeStamp(0);
  EXPECT_EQ(RenderWith(&timeStamp, 1, kCheckedFrames), kAudioUnitErr_InvalidElement);
  EXPECT_EQ(RenderWith(&timeStamp, 0xFFFFFFFFu, kCheckedFrames), kAudioUnitErr_InvalidElement);
  ExpectUntouched();
}

TEST_F(RenderChecks, NotifiesBeforeAndAfterTheBlockInRegistrationOrder) {
  NotifyRecorder second;
  ASSERT_EQ(AudioUnitAddRenderNotify(opened.Unit(), &NotifyRecorder::Notify<1>, &second), noErr);
  loop.SetSampleTime(256);
  ASSERT_EQ(loop.RenderBus(0, kCheckedFrames), noErr);

  ASSERT_EQ(notifications.calls.size(), 2u);
  ASSERT_EQ(second.calls.size(), 2u);
  const auto& pre = notifications.calls[0];
  EXPECT_EQ(pre.flags, kAudioUnitRenderAction_PreRender);
  EXPECT_EQ(pre.sampleTime, 256.0);
  EXPECT_EQ(pre.bus, 0u);
  EXPECT_EQ(pre.frames, kCheckedFrames);
  EXPECT_EQ(pre.buffers, &loop.OutputList(0));
  EXPECT_EQ(notifications.calls[1].flags, kAudioUnitRenderAction_PostRender);
  EXPECT_EQ(second.calls[0].flags, kAudioUnitRenderAction_PreRender);
  EXPECT_EQ(second.calls[1].flags, kAudioUnitRenderAction_PostRender);
  EXPECT_EQ(plugin.mBlocks.load(), 1);
}

TEST_F(RenderChecks, AFailingPullReturnsItsStatusWithoutProcessingOrPostNotification) {
  constexpr OSStatus kUpstreamFailure = -12345;
  signal.status = kUpstreamFailure;
  const uint8_t sysex[] = {0xF0, 0x01, 0xF7};
  plugin.QueueSysExFromEditor(ISysExMsg(0, sysex, sizeof(sysex)));
  int sent = 0;
  plugin.SetMidiOutput({[](void* count, const AudioTimeStamp*, UInt32, const MIDIPacketList*) -> OSStatus {
                          ++*static_cast<int*>(count);
                          return noErr;
                        },
                        &sent});

  EXPECT_EQ(loop.RenderBus(0, kCheckedFrames), kUpstreamFailure);
  ASSERT_EQ(notifications.calls.size(), 1u);
  EXPECT_EQ(notifications.calls[0].flags, kAudioUnitRenderAction_PreRender);
  EXPECT_EQ(plugin.mBlocks.load(), 0);
  EXPECT_EQ(sent, 0);
  // The failed pull did not count: the same sample time pulls again.
  signal.status = noErr;
  EXPECT_EQ(loop.RenderBus(0, kCheckedFrames), noErr);
  EXPECT_EQ(signal.pulls, 2);
  EXPECT_EQ(sent, 1);
}

}  // namespace
}  // namespace plugkit::testing
