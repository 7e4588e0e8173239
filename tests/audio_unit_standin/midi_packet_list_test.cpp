#include <CoreMIDI/CoreMIDI.h>

#include <gtest/gtest.h>

#include "support/alloc_counter.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <vector>

namespace {

// A list buffer with 4-byte alignment, as the packets inside need. The list
// is told its size; the memory behind it is never smaller than the declared
// list, so the compiler sees no access past the end.
class PacketListBuffer {
public:
  explicit PacketListBuffer(std::size_t bytes)
      : mWords((std::max(bytes, sizeof(MIDIPacketList)) + 3) / 4), mBytes(bytes) {}
  MIDIPacketList* List() { return reinterpret_cast<MIDIPacketList*>(mWords.data()); }
  ByteCount Size() const { return mBytes; }

private:
  std::vector<std::uint32_t> mWords;
  std::size_t mBytes;
};

std::vector<std::vector<Byte>> PacketContents(const MIDIPacketList* list) {
  std::vector<std::vector<Byte>> contents;
  const MIDIPacket* packet = &list->packet[0];
  for (UInt32 i = 0; i < list->numPackets; ++i) {
    contents.emplace_back(packet->data, packet->data + packet->length);
    packet = MIDIPacketNext(packet);
  }
  return contents;
}

TEST(MIDIPacketList, LongSysExAddedInChunksGivesOnePacketPerChunk) {
  std::vector<Byte> sysex(600);
  std::iota(sysex.begin(), sysex.end(), Byte{0});
  sysex.front() = 0xF0;
  sysex.back() = 0xF7;

  PacketListBuffer buffer(1024);
  MIDIPacket* packet = MIDIPacketListInit(buffer.List());
  for (std::size_t at = 0; at < sysex.size(); at += 256) {
    const std::size_t chunk = std::min<std::size_t>(256, sysex.size() - at);
    packet = MIDIPacketListAdd(buffer.List(), buffer.Size(), packet, 7, chunk, &sysex[at]);
    ASSERT_NE(packet, nullptr);
  }

  const auto packets = PacketContents(buffer.List());
  ASSERT_EQ(packets.size(), 3u);
  EXPECT_EQ(packets[0].size(), 256u);
  EXPECT_EQ(packets[1].size(), 256u);
  EXPECT_EQ(packets[2].size(), 88u);
  std::vector<Byte> joined;
  for (const auto& p : packets)
    joined.insert(joined.end(), p.begin(), p.end());
  EXPECT_EQ(joined, sysex);
}

TEST(MIDIPacketList, SameTimeBytesShareAPacketAndANewTimeStartsOne) {
  PacketListBuffer buffer(256);
  MIDIPacket* packet = MIDIPacketListInit(buffer.List());
  const Byte message[] = {0xB0, 7, 64, 0x90, 60};
  for (int i = 0; i < 3; ++i)
    packet = MIDIPacketListAdd(buffer.List(), buffer.Size(), packet, 10, 1, &message[i]);
  for (int i = 3; i < 5; ++i)
    packet = MIDIPacketListAdd(buffer.List(), buffer.Size(), packet, 12, 1, &message[i]);
  ASSERT_NE(packet, nullptr);

  const auto packets = PacketContents(buffer.List());
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(packets[0], (std::vector<Byte>{0xB0, 7, 64}));
  EXPECT_EQ(packets[1], (std::vector<Byte>{0x90, 60}));
  // Packed members are read by value: the list aligns them to 4 bytes only.
  const MIDITimeStamp firstTime = buffer.List()->packet[0].timeStamp;
  const MIDITimeStamp secondTime = MIDIPacketNext(&buffer.List()->packet[0])->timeStamp;
  EXPECT_EQ(firstTime, 10u);
  EXPECT_EQ(secondTime, 12u);
}

TEST(MIDIPacketList, SysExNeverJoinsNorIsJoined) {
  PacketListBuffer buffer(256);
  MIDIPacket* packet = MIDIPacketListInit(buffer.List());
  const Byte note[] = {0x90, 60, 100};
  const Byte sysex[] = {0xF0, 1, 0xF7};
  packet = MIDIPacketListAdd(buffer.List(), buffer.Size(), packet, 0, 3, note);
  packet = MIDIPacketListAdd(buffer.List(), buffer.Size(), packet, 0, 3, sysex);
  packet = MIDIPacketListAdd(buffer.List(), buffer.Size(), packet, 0, 3, note);
  ASSERT_NE(packet, nullptr);
  EXPECT_EQ(buffer.List()->numPackets, 3u);
}

TEST(MIDIPacketList, JoinStopsAt256Bytes) {
  PacketListBuffer buffer(1024);
  MIDIPacket* packet = MIDIPacketListInit(buffer.List());
  const std::array<Byte, 200> data{};
  packet = MIDIPacketListAdd(buffer.List(), buffer.Size(), packet, 0, 200, data.data());
  packet = MIDIPacketListAdd(buffer.List(), buffer.Size(), packet, 0, 56, data.data());
  EXPECT_EQ(buffer.List()->numPackets, 1u);
  packet = MIDIPacketListAdd(buffer.List(), buffer.Size(), packet, 0, 1, data.data());
  EXPECT_EQ(buffer.List()->numPackets, 2u);
  EXPECT_EQ(PacketContents(buffer.List())[0].size(), 256u);
}

TEST(MIDIPacketList, FullListAnswersNullAndKeepsWhatItHolds) {
  // Room for the list header and one packet of three bytes, not a second.
  PacketListBuffer buffer(kMIDIPacketListHeaderSize + kMIDIPacketHeaderSize + 3);
  MIDIPacket* packet = MIDIPacketListInit(buffer.List());
  const Byte note[] = {0x90, 60, 100};
  packet = MIDIPacketListAdd(buffer.List(), buffer.Size(), packet, 0, 3, note);
  ASSERT_NE(packet, nullptr);
  EXPECT_EQ(MIDIPacketListAdd(buffer.List(), buffer.Size(), packet, 1, 3, note), nullptr);
  EXPECT_EQ(MIDIPacketListAdd(buffer.List(), buffer.Size(), packet, 0, 1, note), nullptr);
  EXPECT_EQ(buffer.List()->numPackets, 1u);
  EXPECT_EQ(PacketContents(buffer.List())[0], (std::vector<Byte>{0x90, 60, 100}));
}

TEST(MIDIPacketList, PacketsStartOnFourByteBoundaries) {
  PacketListBuffer buffer(256);
  MIDIPacket* packet = MIDIPacketListInit(buffer.List());
  const Byte data[] = {0xF0, 1, 2, 3, 4};
  for (MIDITimeStamp time = 0; time < 4; ++time) {
    packet = MIDIPacketListAdd(buffer.List(), buffer.Size(), packet, time, 1 + time, data);
    ASSERT_NE(packet, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(packet) % 4, 0u);
  }
}

// The render thread builds MIDI output in a buffer it owns in advance.
TEST(MIDIPacketList, BuildingAListAllocatesNothing) {
  PacketListBuffer buffer(1024);
  const Byte data[] = {0xB0, 7, 64};
  const orvane::testing::ScopedAllocationCount allocations;
  MIDIPacket* packet = MIDIPacketListInit(buffer.List());
  for (MIDITimeStamp time = 0; time < 8; ++time)
    packet = MIDIPacketListAdd(buffer.List(), buffer.Size(), packet, time / 2, 3, data);
  EXPECT_NE(packet, nullptr);
  EXPECT_EQ(allocations.Count(), 0u);
}

}  // namespace
