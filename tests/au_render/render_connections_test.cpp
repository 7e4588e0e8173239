// Inputs fed by an upstream unit, through its fast render function or
// through AudioUnitRender.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "host/render_loop.h"
#include "render_test_support.h"

namespace plugkit::testing {
namespace {

constexpr UInt32 kConnectionFrames = 24;

// An upstream unit's fast render function and the object it is called with.
struct FakeUpstream {
  static constexpr float kLevel = 0.5f;
  int renders = 0;
  UInt32 lastOutputBus = 99;
  UInt32 lastBufferCount = 0;
  float samples[2][kConnectionFrames] = {};

  static OSStatus Render(void* self, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32 outputBus,
                         UInt32 frames, AudioBufferList* list) {
    auto& upstream = *static_cast<FakeUpstream*>(self);
    ++upstream.renders;
    upstream.lastOutputBus = outputBus;
    upstream.lastBufferCount = list->mNumberBuffers;
    if (!flags || *flags != 0) return -1;
    for (UInt32 k = 0; k < list->mNumberBuffers && k < 2; ++k) {
      std::fill_n(upstream.samples[k], frames, kLevel * static_cast<float>(k + 1));
      list->mBuffers[k].mData = upstream.samples[k];
    }
    return noErr;
  }
};

TEST(RenderConnections, TheKindFollowsWhatTheConnectionHolds) {
  OpenedRenderPlugin opened;
  RenderTestPlugin& plugin = opened.Plugin();
  EXPECT_EQ(plugin.GetInputConnection(0)->kind, kNotConnected);
  EXPECT_FALSE(plugin.GetBus(kInput, 0)->connected);

  FakeUpstream upstream;
  AUInputConnection fast;
  fast.upstreamObject = &upstream;
  fast.upstreamRenderProc = &FakeUpstream::Render;
  plugin.SetInputConnection(0, fast);
  EXPECT_EQ(plugin.GetInputConnection(0)->kind, kDirectFastProc);
  EXPECT_TRUE(plugin.GetBus(kInput, 0)->connected);
  EXPECT_TRUE(plugin.IsChannelConnected(kInput, 0));

  // A fast function without its object is no fast connection.
  fast.upstreamObject = nullptr;
  fast.upstreamUnit = opened.Unit();
  plugin.SetInputConnection(0, fast);
  EXPECT_EQ(plugin.GetInputConnection(0)->kind, kDirectNoFastProc);

  plugin.SetInputConnection(0, AUInputConnection{});
  EXPECT_EQ(plugin.GetInputConnection(0)->kind, kNotConnected);
  EXPECT_FALSE(plugin.GetBus(kInput, 0)->connected);
  EXPECT_FALSE(plugin.IsChannelConnected(kInput, 0));
}

TEST(RenderConnections, AFastConnectionPullsThroughTheUpstreamRenderFunction) {
  OpenedRenderPlugin opened({.channelIO = "2-2"});
  FakeUpstream upstream;
  AUInputConnection fast;
  fast.upstreamObject = &upstream;
  fast.upstreamRenderProc = &FakeUpstream::Render;
  fast.upstreamOutput = 3;
  opened.Plugin().SetInputConnection(0, fast);

  orvane::host::RenderLoop loop(opened.Unit(), kConnectionFrames, {2});
  ASSERT_EQ(loop.RenderBlock(kConnectionFrames), noErr);
  EXPECT_EQ(upstream.renders, 1);
  EXPECT_EQ(upstream.lastOutputBus, 3u);
  EXPECT_EQ(upstream.lastBufferCount, 2u);
  EXPECT_EQ(loop.Output(0, 0)[0], FakeUpstream::kLevel);
  EXPECT_EQ(loop.Output(0, 1)[kConnectionFrames - 1], 2.0f * FakeUpstream::kLevel);
}

TEST(RenderConnections, AnUpstreamUnitIsRenderedThroughTheHostCall) {
  OpenedRenderPlugin source;
  InputSignal signal;
  source.Plugin().SetInputCallback(0, &InputSignal::Pull, &signal);
  source.Plugin().GetParam(RenderTestPlugin::kGain)->Set(2.0);

  OpenedRenderPlugin opened;
  AUInputConnection direct;
  direct.upstreamUnit = source.Unit();
  opened.Plugin().SetInputConnection(0, direct);
  opened.Plugin().GetParam(RenderTestPlugin::kGain)->Set(3.0);

  orvane::host::RenderLoop loop(opened.Unit(), kConnectionFrames, {2});
  loop.SetSampleTime(96);
  ASSERT_EQ(loop.RenderBlock(kConnectionFrames), noErr);
  EXPECT_EQ(signal.pulls, 1);
  EXPECT_EQ(source.Plugin().mBlocks.load(), 1);
  EXPECT_EQ(source.Plugin().LastRenderSampleTime(), 96.0);
  EXPECT_EQ(loop.Output(0, 0)[0], 6.0f * InputSignal::Level(0));
}

TEST(RenderConnections, AFailingUpstreamUnitStopsTheRender) {
  OpenedRenderPlugin source;
  InputSignal signal;
  signal.status = -77;
  source.Plugin().SetInputCallback(0, &InputSignal::Pull, &signal);
  OpenedRenderPlugin opened;
  AUInputConnection direct;
  direct.upstreamUnit = source.Unit();
  opened.Plugin().SetInputConnection(0, direct);

  orvane::host::RenderLoop loop(opened.Unit(), kConnectionFrames, {2});
  EXPECT_EQ(loop.RenderBlock(kConnectionFrames), -77);
  EXPECT_EQ(opened.Plugin().mBlocks.load(), 0);
  EXPECT_EQ(loop.SampleTime(), 0.0);
}

}  // namespace
}  // namespace plugkit::testing
