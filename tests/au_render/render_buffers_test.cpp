// Input pulls and the buffers a render call attaches.

#include <gtest/gtest.h>

#include <vector>

#include "host/render_loop.h"
#include "render_test_support.h"

namespace plugkit::testing {
namespace {

using orvane::host::OutputBuffers;
using orvane::host::RenderLoop;

constexpr UInt32 kPullFrames = 32;

TEST(RenderPull, AnInputBusWithACallbackAndNoHostChannelsPullsItsPlugChannels) {
  OpenedRenderPlugin opened({.channelIO = "2-2"});
  InputSignal signal;
  opened.Plugin().SetInputCallback(0, &InputSignal::Pull, &signal);
  EXPECT_EQ(opened.Plugin().GetBus(kInput, 0)->hostChannels, 2);

  RenderLoop loop(opened.Unit(), kPullFrames, {2});
  ASSERT_EQ(loop.RenderBlock(kPullFrames), noErr);
  EXPECT_EQ(signal.lastBufferCount, 2u);
  EXPECT_EQ(signal.lastBus, 0u);
  // The callback fills the plug-in's input scratch, one block per channel.
  ASSERT_EQ(signal.lastData.size(), 2u);
  EXPECT_EQ(signal.lastData[0], opened.Plugin().InputScratch());
  EXPECT_EQ(signal.lastData[1], opened.Plugin().InputScratch() + kPullFrames);
  EXPECT_TRUE(AllEqual(loop.Output(0, 0), InputSignal::Level(0)));
  EXPECT_TRUE(AllEqual(loop.Output(0, 1), InputSignal::Level(1)));
}

TEST(RenderPull, BusesRenderedAtOneSampleTimeShareOnePull) {
  OpenedRenderPlugin opened({.channelIO = "1-1.1"});
  InputSignal signal;
  opened.Plugin().SetInputCallback(0, &InputSignal::Pull, &signal);
  RenderLoop loop(opened.Unit(), kPullFrames, {1, 1});

  ASSERT_EQ(loop.RenderBus(0, kPullFrames), noErr);
  ASSERT_EQ(loop.RenderBus(1, kPullFrames), noErr);
  EXPECT_EQ(signal.pulls, 1);
  EXPECT_EQ(opened.Plugin().LastRenderSampleTime(), 0.0);
  loop.SetSampleTime(kPullFrames);
  ASSERT_EQ(loop.RenderBus(0, kPullFrames), noErr);
  EXPECT_EQ(signal.pulls, 2);
}

TEST(RenderPull, OnlyTheLastConnectedBusProcessesTheBlock) {
  OpenedRenderPlugin opened({.channelIO = "1-1.1"});
  InputSignal signal;
  opened.Plugin().SetInputCallback(0, &InputSignal::Pull, &signal);
  RenderLoop loop(opened.Unit(), kPullFrames, {1, 1});

  // Only bus 0 is connected yet, so it is the last one and processes.
  ASSERT_EQ(loop.RenderBus(0, kPullFrames), noErr);
  EXPECT_EQ(opened.Plugin().mBlocks.load(), 1);
  ASSERT_EQ(loop.RenderBus(1, kPullFrames), noErr);
  EXPECT_EQ(opened.Plugin().mBlocks.load(), 2);
  // From now on bus 1 is the last connected bus: bus 0 only attaches its buffers.
  loop.SetSampleTime(kPullFrames);
  ASSERT_EQ(loop.RenderBus(0, kPullFrames), noErr);
  EXPECT_EQ(opened.Plugin().mBlocks.load(), 2);
  ASSERT_EQ(loop.RenderBus(1, kPullFrames), noErr);
  EXPECT_EQ(opened.Plugin().mBlocks.load(), 3);
  EXPECT_TRUE(AllEqual(loop.Output(0, 0), InputSignal::Level(0)));
}

TEST(RenderPull, ProcessingBusZeroAloneDisconnectsTheChannelsOfLaterBuses) {
  OpenedRenderPlugin opened({.channelIO = "1-1.1"});
  InputSignal signal;
  opened.Plugin().SetInputCallback(0, &InputSignal::Pull, &signal);
  RenderLoop loop(opened.Unit(), kPullFrames, {1, 1});
  ASSERT_EQ(loop.RenderBlock(kPullFrames), noErr);
  EXPECT_TRUE(opened.Plugin().IsChannelConnected(kOutput, 1));

  opened.Plugin().SetHostChannels(kOutput, 1, 1);
  // A host that stops rendering bus 1: mark it unconnected the way a reset would.
  opened.Plugin().MutableBus(kOutput, 1).connected = false;
  ASSERT_EQ(loop.RenderBus(0, kPullFrames), noErr);
  EXPECT_TRUE(opened.Plugin().IsChannelConnected(kOutput, 0));
  EXPECT_FALSE(opened.Plugin().IsChannelConnected(kOutput, 1));
}

TEST(RenderBuffers, NullOutputBuffersAreReplacedByTheScratchAndWritten) {
  OpenedRenderPlugin opened({.channelIO = "1-2"});
  InputSignal signal;
  opened.Plugin().SetInputCallback(0, &InputSignal::Pull, &signal);
  RenderLoop loop(opened.Unit(), kPullFrames, {2});

  ASSERT_EQ(loop.RenderBlock(kPullFrames, OutputBuffers::kNull), noErr);
  const AudioBufferList& list = loop.OutputList(0);
  const float* scratch = opened.Plugin().OutputScratch();
  EXPECT_EQ(list.mBuffers[0].mData, scratch);
  EXPECT_EQ(list.mBuffers[1].mData, scratch + kPullFrames);
  EXPECT_TRUE(AllEqual(loop.Output(0, 0), InputSignal::Level(0)));
  // One input feeds channel 0 only; the default block clears channel 1.
  EXPECT_TRUE(AllEqual(loop.Output(0, 1), 0.0f));
}

TEST(RenderBuffers, HostBuffersBeyondTheBusChannelsAreLeftAlone) {
  OpenedRenderPlugin opened({.channelIO = "1-2"});
  InputSignal signal;
  opened.Plugin().SetInputCallback(0, &InputSignal::Pull, &signal);
  RenderLoop loop(opened.Unit(), kPullFrames, {3});

  ASSERT_EQ(loop.RenderBlock(kPullFrames, OutputBuffers::kNull), noErr);
  const AudioBufferList& list = loop.OutputList(0);
  EXPECT_NE(list.mBuffers[1].mData, nullptr);
  EXPECT_EQ(list.mBuffers[2].mData, nullptr);
  // With buffers of ours the third one is not written either.
  ASSERT_EQ(loop.RenderBlock(kPullFrames, OutputBuffers::kHostSupplied), noErr);
  EXPECT_TRUE(AllEqual(loop.HostBuffer(0, 0), InputSignal::Level(0)));
  EXPECT_TRUE(AllEqual(loop.HostBuffer(0, 2), 0.0f));
}

TEST(RenderBuffers, HostBuffersOfTheCallersReceiveTheRenderUntilTheLoopsOwnAreBack) {
  OpenedRenderPlugin opened({.channelIO = "2-2"});
  InputSignal signal;
  opened.Plugin().SetInputCallback(0, &InputSignal::Pull, &signal);
  RenderLoop loop(opened.Unit(), kPullFrames, {2});
  std::vector<float> left(kPullFrames, -1.0f);
  std::vector<float> right(kPullFrames, -1.0f);
  float* const callers[] = {left.data(), right.data()};

  loop.SetHostBuffers(0, callers);
  ASSERT_EQ(loop.RenderBlock(kPullFrames), noErr);
  EXPECT_TRUE(AllEqual(left, InputSignal::Level(0)));
  EXPECT_TRUE(AllEqual(right, InputSignal::Level(1)));
  EXPECT_EQ(loop.HostBuffer(0, 1).data(), right.data());

  loop.SetHostBuffers(0, {});
  opened.Plugin().GetParam(RenderTestPlugin::kGain)->Set(2.0);
  ASSERT_EQ(loop.RenderBlock(kPullFrames), noErr);
  EXPECT_TRUE(AllEqual(loop.HostBuffer(0, 0), 2.0f * InputSignal::Level(0)));
  EXPECT_NE(loop.HostBuffer(0, 0).data(), left.data());
  EXPECT_TRUE(AllEqual(left, InputSignal::Level(0)));
}

TEST(RenderBuffers, InputBuffersBeyondTheBusChannelsGetNoScratch) {
  OpenedRenderPlugin opened({.channelIO = "1-2"});
  InputSignal signal;
  opened.Plugin().SetHostChannels(kInput, 0, 3);
  opened.Plugin().SetInputCallback(0, &InputSignal::Pull, &signal);
  RenderLoop loop(opened.Unit(), kPullFrames, {2});

  ASSERT_EQ(loop.RenderBlock(kPullFrames), noErr);
  ASSERT_EQ(signal.lastData.size(), 3u);
  EXPECT_EQ(signal.lastData[0], opened.Plugin().InputScratch());
  EXPECT_EQ(signal.lastData[1], nullptr);
  EXPECT_EQ(signal.lastData[2], nullptr);
  EXPECT_TRUE(AllEqual(loop.Output(0, 0), InputSignal::Level(0)));
}

TEST(RenderBuffers, AnInputLeftWithoutDataAfterThePullReadsAsSilence) {
  OpenedRenderPlugin opened({.channelIO = "1-2"});
  InputSignal signal;
  opened.Plugin().SetInputCallback(0, &InputSignal::Pull, &signal);
  RenderLoop loop(opened.Unit(), kPullFrames, {2});
  ASSERT_EQ(loop.RenderBlock(kPullFrames), noErr);
  ASSERT_TRUE(AllEqual(loop.Output(0, 0), InputSignal::Level(0)));

  signal.leaveDataNull = true;
  ASSERT_EQ(loop.RenderBlock(kPullFrames), noErr);
  EXPECT_TRUE(AllEqual(loop.Output(0, 0), 0.0f));
}

TEST(RenderBuffers, AChannelWithoutAHostBufferNoLongerWritesIntoAnEarlierOne) {
  OpenedRenderPlugin opened({.channelIO = "2-2"});
  InputSignal signal;
  opened.Plugin().SetInputCallback(0, &InputSignal::Pull, &signal);
  RenderLoop twoChannels(opened.Unit(), kPullFrames, {2});
  ASSERT_EQ(twoChannels.RenderBlock(kPullFrames), noErr);
  ASSERT_TRUE(AllEqual(twoChannels.HostBuffer(0, 1), InputSignal::Level(1)));

  // The host's count stays 2 while it now hands over one buffer.
  opened.Plugin().SetHostChannels(kOutput, 0, 2);
  opened.Plugin().GetParam(RenderTestPlugin::kGain)->Set(2.0);
  RenderLoop oneChannel(opened.Unit(), kPullFrames, {1});
  ASSERT_EQ(oneChannel.RenderBlock(kPullFrames), noErr);
  EXPECT_TRUE(AllEqual(oneChannel.HostBuffer(0, 0), 2.0f * InputSignal::Level(0)));
  EXPECT_TRUE(AllEqual(twoChannels.HostBuffer(0, 1), InputSignal::Level(1)));
}

}  // namespace
}  // namespace plugkit::testing

namespace plugkit::testing {
namespace {

TEST(RenderBuffers, ChannelsNobodyFeedsReadTheirOwnMemoryAfterTheBlockSizeChanges) {
  OpenedRenderPlugin opened({.channelIO = "1-2"});
  constexpr UInt32 kLargeBlock = 4096;
  // An input that was fed once and then unplugged reads its work buffer.
  InputSignal signal;
  orvane::host::RenderLoop first(opened.Unit(), kPullFrames, {2});
  ASSERT_EQ(first.SetInputCallback(0, &InputSignal::Pull, &signal), noErr);
  ASSERT_EQ(first.RenderBlock(kPullFrames), noErr);
  ASSERT_EQ(first.SetInputCallback(0, nullptr, nullptr), noErr);
  const UInt32 maxFrames = kLargeBlock;
  ASSERT_EQ(AudioUnitSetProperty(opened.Unit(), kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0,
                                 &maxFrames, sizeof(maxFrames)),
            noErr);
  orvane::host::RenderLoop loop(opened.Unit(), kLargeBlock, {2});
  ASSERT_EQ(loop.RenderBlock(kLargeBlock), noErr);
  EXPECT_EQ(opened.Plugin().mBlocks.load(), 2);
  EXPECT_TRUE(AllEqual(loop.Output(0, 0), 0.0f));
}

}  // namespace
}  // namespace plugkit::testing
