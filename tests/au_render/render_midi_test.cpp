// MIDI around the block: the editor's queues, bypass, output to the host.

#include <gtest/gtest.h>

#include <vector>

#include "host/midi_output_capture.h"
#include "host/render_loop.h"
#include "render_test_support.h"

namespace plugkit::testing {
namespace {

using orvane::host::MidiOutputCapture;
using orvane::host::RenderLoop;

constexpr UInt32 kMidiBlockFrames = 16;

std::vector<uint8_t> Bytes(std::span<const uint8_t> bytes) { return {bytes.begin(), bytes.end()}; }

struct RenderMidi : ::testing::Test {
  OpenedRenderPlugin opened;
  RenderTestPlugin& plugin = opened.Plugin();
  InputSignal signal;
  RenderLoop loop{opened.Unit(), kMidiBlockFrames, {2}};
  MidiOutputCapture capture;

  void SetUp() override {
    plugin.SetInputCallback(0, &InputSignal::Pull, &signal);
    plugin.SetMidiOutput(capture.Record());
  }
};

TEST_F(RenderMidi, EditorMidiReachesTheHandlerBeforeTheBlock) {
  plugin.QueueMidiFromEditor(IMidiMsg(3, 0xB0, 7, 100));
  plugin.QueueMidiFromEditor(IMidiMsg(5, 0xB0, 7, 101));
  ASSERT_EQ(loop.RenderBlock(kMidiBlockFrames), noErr);
  EXPECT_EQ(plugin.mMidiCount.load(), 2);
  EXPECT_EQ(plugin.mMidiBeforeLastBlock.load(), 2);
  EXPECT_EQ(plugin.mLastMidiData2.load(), 101);
}

TEST_F(RenderMidi, BypassPassesAudioThroughAndKeepsEditorMidiQueued) {
  plugin.GetParam(RenderTestPlugin::kGain)->Set(3.0);
  plugin.QueueMidiFromEditor(IMidiMsg(0, 0x90, 60, 1));
  plugin.SetBypassed(true);
  ASSERT_EQ(loop.RenderBlock(kMidiBlockFrames), noErr);
  EXPECT_EQ(plugin.mMidiCount.load(), 0);
  EXPECT_EQ(plugin.mBlocks.load(), 0);
  EXPECT_EQ(loop.Output(0, 0)[0], InputSignal::Level(0));

  plugin.SetBypassed(false);
  ASSERT_EQ(loop.RenderBlock(kMidiBlockFrames), noErr);
  EXPECT_EQ(plugin.mMidiCount.load(), 1);
  EXPECT_EQ(loop.Output(0, 0)[0], 3.0f * InputSignal::Level(0));
}

TEST_F(RenderMidi, EditorSysExGoesToTheHostAfterThePostNotificationEvenWhenBypassed) {
  plugin.SetBypassed(true);
  const std::vector<uint8_t> sysex = {0xF0, 0x7D, 0x01, 0x02, 0xF7};
  plugin.QueueSysExFromEditor(ISysExMsg(9, sysex.data(), static_cast<int32_t>(sysex.size())));
  loop.SetSampleTime(480);
  ASSERT_EQ(loop.RenderBlock(kMidiBlockFrames), noErr);
  ASSERT_EQ(capture.PacketCount(), 1u);
  EXPECT_EQ(Bytes(capture.PacketBytes(0)), sysex);
  EXPECT_EQ(capture.GetPacket(0).timeStamp, 9u);
  EXPECT_EQ(capture.GetPacket(0).renderSampleTime, 480.0);
}

TEST_F(RenderMidi, ASysExOf600BytesLeavesAsPacketsOf256And256And88) {
  std::vector<uint8_t> sysex(600);
  for (size_t i = 0; i < sysex.size(); ++i) sysex[i] = static_cast<uint8_t>(i & 0x7F);
  sysex.front() = 0xF0;
  sysex.back() = 0xF7;
  EXPECT_TRUE(plugin.SendSysExToHost(ISysExMsg(4, sysex.data(), static_cast<int32_t>(sysex.size()))));
  ASSERT_EQ(capture.PacketCount(), 3u);
  EXPECT_EQ(capture.PacketBytes(0).size(), 256u);
  EXPECT_EQ(capture.PacketBytes(1).size(), 256u);
  EXPECT_EQ(capture.PacketBytes(2).size(), 88u);
  EXPECT_EQ(Bytes(capture.AllBytes()), sysex);
  for (size_t i = 0; i < capture.PacketCount(); ++i) EXPECT_EQ(capture.GetPacket(i).timeStamp, 4u);
}

TEST_F(RenderMidi, AMessageGoesOutAsOnePacketWithTheLatestTimeStamp) {
  loop.SetSampleTime(1024);
  ASSERT_EQ(loop.RenderBlock(kMidiBlockFrames), noErr);
  EXPECT_TRUE(plugin.SendMidiToHost(IMidiMsg(7, 0x90, 64, 100)));
  ASSERT_EQ(capture.ListCount(), 1u);
  ASSERT_EQ(capture.PacketCount(), 1u);
  EXPECT_EQ(Bytes(capture.PacketBytes(0)), (std::vector<uint8_t>{0x90, 64, 100}));
  EXPECT_EQ(capture.GetPacket(0).timeStamp, 7u);
  EXPECT_EQ(capture.GetPacket(0).renderSampleTime, 1024.0);
}

TEST_F(RenderMidi, AListSharesPacketsBetweenMessagesOfOneOffset) {
  const IMidiMsg msgs[] = {IMidiMsg(0, 0x90, 60, 1), IMidiMsg(0, 0x90, 64, 2), IMidiMsg(5, 0x80, 60, 0)};
  EXPECT_TRUE(plugin.SendMidiListToHost(msgs));
  ASSERT_EQ(capture.ListCount(), 1u);
  ASSERT_EQ(capture.PacketCount(), 2u);
  EXPECT_EQ(Bytes(capture.PacketBytes(0)), (std::vector<uint8_t>{0x90, 60, 1, 0x90, 64, 2}));
  EXPECT_EQ(Bytes(capture.PacketBytes(1)), (std::vector<uint8_t>{0x80, 60, 0}));
  EXPECT_EQ(capture.GetPacket(1).timeStamp, 5u);
}

TEST_F(RenderMidi, OutputWithoutACallbackOrRefusedByTheHostAnswersFalse) {
  capture.SetStatus(-1);
  EXPECT_FALSE(plugin.SendMidiToHost(IMidiMsg(0, 0x90, 60, 1)));
  EXPECT_EQ(capture.PacketCount(), 1u);
  plugin.SetMidiOutput({});
  const uint8_t sysex[] = {0xF0, 0xF7};
  EXPECT_FALSE(plugin.SendMidiToHost(IMidiMsg(0, 0x90, 60, 1)));
  EXPECT_FALSE(plugin.SendMidiListToHost(std::span<const IMidiMsg>()));
  EXPECT_FALSE(plugin.SendSysExToHost(ISysExMsg(0, sysex, sizeof(sysex))));
  EXPECT_EQ(capture.ListCount(), 1u);
}

TEST_F(RenderMidi, TheProcessorsOutputSlotsReachTheHost) {
  EXPECT_TRUE(plugin.SendMidiToOutput(IMidiMsg(1, 0xB0, 1, 2)));
  const IMidiMsg list[] = {IMidiMsg(2, 0xB0, 3, 4)};
  EXPECT_TRUE(plugin.SendMidiListToOutput(list));
  const uint8_t sysex[] = {0xF0, 0x00, 0xF7};
  EXPECT_TRUE(plugin.SendSysExToOutput(ISysExMsg(3, sysex, sizeof(sysex))));
  EXPECT_EQ(capture.ListCount(), 3u);
  EXPECT_EQ(capture.PacketCount(), 3u);
}

}  // namespace
}  // namespace plugkit::testing

namespace plugkit::testing {
namespace {

TEST(RenderMidiEffect, ProcessesEveryCallWithoutPullingOrAttachingAudio) {
  OpenedRenderPlugin opened({.channelIO = "1-1", .plugType = kMIDIEffect});
  RenderTestPlugin& plugin = opened.Plugin();
  InputSignal signal;
  plugin.SetInputCallback(0, &InputSignal::Pull, &signal);
  orvane::host::RenderLoop loop(opened.Unit(), kMidiBlockFrames, {1});
  plugin.QueueMidiFromEditor(IMidiMsg(0, 0x90, 60, 100));

  ASSERT_EQ(loop.RenderBlock(kMidiBlockFrames, orvane::host::OutputBuffers::kNull), noErr);
  EXPECT_EQ(signal.pulls, 0);
  EXPECT_EQ(plugin.mBlocks.load(), 1);
  EXPECT_EQ(plugin.mMidiCount.load(), 1);
  EXPECT_EQ(loop.OutputList(0).mBuffers[0].mData, nullptr);
}

}  // namespace
}  // namespace plugkit::testing
