// The host library's render loop against the render test plug-in: inputs fed
// by property-set callbacks and connections, host timing, MIDI output capture.

#include <gtest/gtest.h>

#include "fake_upstream_unit.h"
#include "host/render_loop.h"
#include "render_test_support.h"

namespace plugkit::testing {
namespace {

using orvane::host::HostTiming;
using orvane::host::OutputBuffers;
using orvane::host::RenderLoop;

constexpr UInt32 kLoopFrames = 64;

TEST(RenderLoopConnections, AnUpstreamUnitWithAFastRenderFunctionIsPulledThroughIt) {
  FakeUpstreamUnit upstream;
  OpenedRenderPlugin opened;
  RenderLoop loop(opened.Unit(), kLoopFrames, {2});
  ASSERT_EQ(loop.ConnectUpstream(0, upstream.Unit(), 0), noErr);
  const AUInputConnection& connection = *opened.Plugin().GetInputConnection(0);
  EXPECT_EQ(connection.kind, kDirectFastProc);
  EXPECT_EQ(connection.upstreamObject, upstream.Storage());

  ASSERT_EQ(loop.RenderBlock(kLoopFrames), noErr);
  EXPECT_EQ(upstream.FastRenders(), 1);
  EXPECT_EQ(upstream.HostRenders(), 0);
  EXPECT_TRUE(AllEqual(loop.Output(0, 0), FakeUpstreamUnit::kLevel));
}

TEST(RenderLoopConnections, OurOwnUnitOffersNoFastRenderAndIsRenderedThroughTheHostCall) {
  OpenedRenderPlugin source({.channelIO = "1-1"});
  InputSignal signal;
  ASSERT_EQ(RenderLoop(source.Unit(), kLoopFrames, {1}).SetInputCallback(0, &InputSignal::Pull, &signal), noErr);
  AudioUnitRenderProc proc = nullptr;
  UInt32 size = sizeof(proc);
  EXPECT_EQ(AudioUnitGetProperty(source.Unit(), kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                                 kAudioUnitRenderSelect, &proc, &size),
            kAudioUnitErr_InvalidElement);

  OpenedRenderPlugin opened;
  RenderLoop loop(opened.Unit(), kLoopFrames, {2});
  ASSERT_EQ(loop.ConnectUpstream(0, source.Unit(), 0), noErr);
  EXPECT_EQ(opened.Plugin().GetInputConnection(0)->kind, kDirectNoFastProc);
  ASSERT_EQ(loop.RenderBlock(kLoopFrames), noErr);
  EXPECT_EQ(source.Plugin().mBlocks.load(), 1);
  EXPECT_TRUE(AllEqual(loop.Output(0, 0), InputSignal::Level(0)));

  // A connection without a source unplugs the bus.
  ASSERT_EQ(loop.ConnectUpstream(0, nullptr, 0), noErr);
  EXPECT_EQ(opened.Plugin().GetInputConnection(0)->kind, kNotConnected);
  ASSERT_EQ(loop.RenderBlock(kLoopFrames), noErr);
  EXPECT_EQ(source.Plugin().mBlocks.load(), 1);
}

TEST(RenderLoopConnections, AnInputCallbackSetThroughThePropertyFeedsTheBus) {
  OpenedRenderPlugin opened;
  InputSignal signal;
  RenderLoop loop(opened.Unit(), kLoopFrames, {2});
  ASSERT_EQ(loop.SetInputCallback(0, &InputSignal::Pull, &signal), noErr);
  EXPECT_EQ(opened.Plugin().GetInputConnection(0)->kind, kRenderCallback);
  for (int block = 0; block < 3; ++block) ASSERT_EQ(loop.RenderBlock(kLoopFrames), noErr);
  EXPECT_EQ(signal.pulls, 3);
  EXPECT_EQ(loop.SampleTime(), 3.0 * kLoopFrames);
  EXPECT_EQ(opened.Plugin().LastRenderSampleTime(), 2.0 * kLoopFrames);
}

TEST(RenderLoopTiming, TheInstalledCallbacksReachTheBlock) {
  OpenedRenderPlugin opened;
  RenderLoop loop(opened.Unit(), kLoopFrames, {2});
  HostTiming timing;
  timing.offersBeatAndTempo = timing.offersMusicalTime = true;
  timing.tempo = 133.0;
  timing.currentBeat = 4.5;
  timing.numerator = 3.0f;
  timing.denominator = 4;
  ASSERT_EQ(loop.InstallHostTiming(timing), noErr);
  ASSERT_EQ(loop.RenderBlock(kLoopFrames), noErr);
  EXPECT_EQ(opened.Plugin().mLastBlockTiming.mTempo, 133.0);
  EXPECT_EQ(opened.Plugin().mLastBlockTiming.mPPQPos, 4.5);
  EXPECT_EQ(opened.Plugin().mLastBlockTiming.mNumerator, 3);

  // Changed between renders through the loop's own record.
  timing.tempo = 90.0;
  loop.Timing().Set(timing);
  ASSERT_EQ(loop.RenderBlock(kLoopFrames), noErr);
  EXPECT_EQ(opened.Plugin().mLastBlockTiming.mTempo, 90.0);
}

TEST(RenderLoopMidi, CapturesWhatTheUnitSendsWhileRendering) {
  OpenedRenderPlugin opened;
  RenderLoop loop(opened.Unit(), kLoopFrames, {2});
  ASSERT_EQ(loop.CaptureMidiOutput(), noErr);
  const uint8_t sysex[] = {0xF0, 0x7D, 0x10, 0xF7};
  opened.Plugin().QueueSysExFromEditor(ISysExMsg(2, sysex, sizeof(sysex)));
  loop.SetSampleTime(512);
  ASSERT_EQ(loop.RenderBlock(kLoopFrames), noErr);
  ASSERT_EQ(loop.Midi().PacketCount(), 1u);
  EXPECT_EQ(loop.Midi().GetPacket(0).renderSampleTime, 512.0);
  EXPECT_EQ(loop.Midi().PacketBytes(0).size(), sizeof(sysex));
  loop.Midi().Clear();
  EXPECT_EQ(loop.Midi().PacketCount(), 0u);
}

TEST(RenderLoopBlocks, FollowTheMaximumFramesAndTheOutputFormat) {
  OpenedRenderPlugin opened({.channelIO = "1-1 1-2"});
  constexpr UInt32 kLargeBlock = 1024;
  RenderLoop loop(opened.Unit(), kLargeBlock + 1, {1});
  InputSignal signal;
  ASSERT_EQ(loop.SetInputCallback(0, &InputSignal::Pull, &signal), noErr);
  EXPECT_EQ(loop.RenderBlock(kLargeBlock), kAudioUnitErr_InvalidPropertyValue);
  const UInt32 maxFrames = kLargeBlock;
  ASSERT_EQ(AudioUnitSetProperty(opened.Unit(), kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0,
                                 &maxFrames, sizeof(maxFrames)),
            noErr);
  ASSERT_EQ(loop.RenderBlock(kLargeBlock, OutputBuffers::kNull), noErr);
  EXPECT_EQ(opened.Plugin().mLastBlockFrames.load(), static_cast<int>(kLargeBlock));
  EXPECT_TRUE(AllEqual(loop.Output(0, 0), InputSignal::Level(0)));
  EXPECT_EQ(loop.RenderBlock(kLargeBlock + 1), kAudioUnitErr_InvalidPropertyValue);
}

TEST(RenderLoopBlocks, RequestsBeyondItsBuffersAreRefusedWithoutRendering) {
  OpenedRenderPlugin opened;
  RenderLoop loop(opened.Unit(), kLoopFrames, {2});
  EXPECT_EQ(loop.RenderBus(1, kLoopFrames), orvane::host::kRenderLoopBadRequest);
  EXPECT_EQ(loop.RenderBus(0, kLoopFrames + 1), orvane::host::kRenderLoopBadRequest);
  EXPECT_EQ(opened.Plugin().mBlocks.load(), 0);
  EXPECT_TRUE(loop.Output(3, 0).empty());
  EXPECT_TRUE(loop.Output(0, 5).empty());
}

}  // namespace
}  // namespace plugkit::testing
