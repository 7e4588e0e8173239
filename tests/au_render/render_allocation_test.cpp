// The render thread allocates nothing: pulls, MIDI and SysEx drains with a
// MIDI output callback set, and bypass.

#include <gtest/gtest.h>

#include "host/host_timing_callbacks.h"
#include "host/render_loop.h"
#include "render_test_support.h"
#include "support/alloc_counter.h"

namespace plugkit::testing {
namespace {

constexpr UInt32 kFramesPerBlock = 128;
constexpr int kBlocks = 8;

TEST(RenderAllocations, NoneWhileRendering) {
  OpenedRenderPlugin opened({.channelIO = "1-2", .echoMidi = true});
  RenderTestPlugin& plugin = opened.Plugin();
  InputSignal signal;
  plugin.SetInputCallback(0, &InputSignal::Pull, &signal);
  orvane::host::HostTimingCallbacks timing;
  timing.Set({.offersBeatAndTempo = true, .currentBeat = 1.0, .tempo = 100.0});
  plugin.SetHostCallbacks(timing.Record());
  orvane::host::MidiOutputCapture capture;
  plugin.SetMidiOutput(capture.Record());
  NotifyRecorder notifications;
  ASSERT_EQ(AudioUnitAddRenderNotify(opened.Unit(), &NotifyRecorder::Notify<0>, &notifications), noErr);
  orvane::host::RenderLoop loop(opened.Unit(), kFramesPerBlock, {2});
  const uint8_t sysex[SysExData::kMaxSize] = {0xF0};

  for (int block = 0; block < kBlocks; ++block) {
    plugin.QueueMidiFromEditor(IMidiMsg(block, 0xB0, 1, 2));
    plugin.QueueSysExFromEditor(ISysExMsg(block, sysex, sizeof(sysex)));
    plugin.SetBypassed(block % 2 == 1);
    const auto buffers = block % 3 == 0 ? orvane::host::OutputBuffers::kNull : orvane::host::OutputBuffers::kHostSupplied;
    orvane::testing::ScopedAllocationCount allocations;
    ASSERT_EQ(loop.RenderBlock(kFramesPerBlock, buffers), noErr);
    EXPECT_EQ(allocations.Count(), 0u) << "block " << block;
  }
  EXPECT_EQ(signal.pulls, kBlocks);
  EXPECT_GT(plugin.mMidiCount.load(), 0);
  // Echoed MIDI and the SysEx records reached the host.
  EXPECT_GE(capture.PacketCount(), static_cast<size_t>(kBlocks));
  EXPECT_EQ(capture.DroppedPackets(), 0u);
}

}  // namespace
}  // namespace plugkit::testing
