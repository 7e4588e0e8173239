// Packet lists built for the host's MIDI output in the preallocated buffer.

#include <gtest/gtest.h>

#include <vector>

#include "framework/au/midi_output_packets.h"
#include "host/midi_output_capture.h"

namespace plugkit {
namespace {

using orvane::host::MidiOutputCapture;

struct MidiOutputPackets : ::testing::Test {
  MidiOutputPacketList packets;
  MidiOutputCapture capture;
  AudioTimeStamp timeStamp{};
};

TEST_F(MidiOutputPackets, ARecordOf512BytesGoesOutInOneListOfTwoPackets) {
  std::vector<uint8_t> sysex(SysExData::kMaxSize, 0x11);
  EXPECT_TRUE(packets.SendSysEx(capture.Record(), timeStamp, ISysExMsg(0, sysex.data(), SysExData::kMaxSize)));
  EXPECT_EQ(capture.ListCount(), 1u);
  ASSERT_EQ(capture.PacketCount(), 2u);
  EXPECT_EQ(capture.PacketBytes(1).size(), MidiOutputPacketList::kSysExChunkSize);
}

TEST_F(MidiOutputPackets, OutputBeyondTheBufferGoesOutAsFurtherLists) {
  std::vector<uint8_t> sysex(3000);
  for (size_t i = 0; i < sysex.size(); ++i) sysex[i] = static_cast<uint8_t>(i % 0x80);
  EXPECT_TRUE(packets.SendSysEx(capture.Record(), timeStamp, ISysExMsg(0, sysex.data(), 3000)));
  EXPECT_GT(capture.ListCount(), 1u);
  EXPECT_EQ(capture.PacketCount(), 12u);
  EXPECT_EQ(std::vector<uint8_t>(capture.AllBytes().begin(), capture.AllBytes().end()), sysex);

  capture.Clear();
  std::vector<IMidiMsg> many;
  for (int i = 0; i < 200; ++i) many.emplace_back(i, 0x90, i % 128, 1);
  EXPECT_TRUE(packets.SendMidiList(capture.Record(), timeStamp, many));
  EXPECT_GT(capture.ListCount(), 1u);
  ASSERT_EQ(capture.PacketCount(), 200u);
  EXPECT_EQ(capture.GetPacket(199).timeStamp, 199u);
}

TEST_F(MidiOutputPackets, ANegativeOffsetIsSentAtTheBlockStart) {
  EXPECT_TRUE(packets.SendMidi(capture.Record(), timeStamp, IMidiMsg(-5, 0x90, 1, 2)));
  ASSERT_EQ(capture.PacketCount(), 1u);
  EXPECT_EQ(capture.GetPacket(0).timeStamp, 0u);
}

TEST_F(MidiOutputPackets, AMalformedSysExViewSendsNothing) {
  EXPECT_FALSE(packets.SendSysEx(capture.Record(), timeStamp, ISysExMsg(0, nullptr, 4)));
  const uint8_t byte = 0xF0;
  EXPECT_FALSE(packets.SendSysEx(capture.Record(), timeStamp, ISysExMsg(0, &byte, -1)));
  EXPECT_EQ(capture.ListCount(), 0u);
}

TEST_F(MidiOutputPackets, OneRefusedListOfSeveralMakesTheAnswerFalse) {
  std::vector<uint8_t> sysex(1000, 0x22);
  capture.SetStatus(-1);
  EXPECT_FALSE(packets.SendSysEx(capture.Record(), timeStamp, ISysExMsg(0, sysex.data(), 1000)));
  EXPECT_EQ(capture.PacketCount(), 4u);
}

}  // namespace
}  // namespace plugkit
