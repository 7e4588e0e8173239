#pragma once

// MIDI packet lists: the format in which an AudioUnit hands MIDI output to its
// host. Packets follow each other on 4-byte boundaries inside one buffer.

#include <MacTypes.h>

#include <cstddef>
#include <cstdint>

typedef UInt8 Byte;
typedef unsigned long ByteCount;

typedef UInt64 MIDITimeStamp;

// Largest data run that the fixed packet declaration spells out; a packet that
// a list allocates room for may hold more.
constexpr ByteCount kMIDIPacketDataCapacity = 256;

#pragma pack(push, 4)
struct MIDIPacket {
  MIDITimeStamp timeStamp;
  UInt16 length;
  Byte data[kMIDIPacketDataCapacity];
};

struct MIDIPacketList {
  UInt32 numPackets;
  MIDIPacket packet[1];
};
#pragma pack(pop)

// Bytes in front of a packet's data and in front of a list's first packet.
constexpr ByteCount kMIDIPacketHeaderSize = offsetof(MIDIPacket, data);
constexpr ByteCount kMIDIPacketListHeaderSize = offsetof(MIDIPacketList, packet);
static_assert(kMIDIPacketHeaderSize == 10);
static_assert(kMIDIPacketListHeaderSize == 4);

extern "C" {

// Empties the list and answers its first packet, ready for MIDIPacketListAdd.
MIDIPacket* MIDIPacketListInit(MIDIPacketList* pktlist);

// Adds nData bytes at time `time`. The bytes join curPacket when it has the
// same time stamp, neither it nor the new data starts a system-exclusive
// message (0xF0) and it stays within 256 bytes; otherwise they start a new
// packet after curPacket. Answers the packet that holds the bytes, or null
// when the list (listSize bytes in all) has no room for them.
MIDIPacket* MIDIPacketListAdd(MIDIPacketList* pktlist, ByteCount listSize, MIDIPacket* curPacket,
                              MIDITimeStamp time, ByteCount nData, const Byte* data);

}  // extern "C"

// The packet after pkt: right after its data, rounded up to 4 bytes.
inline MIDIPacket* MIDIPacketNext(const MIDIPacket* pkt) {
  constexpr std::uintptr_t kAlignMask = 3;
  const auto end = reinterpret_cast<std::uintptr_t>(&pkt->data[pkt->length]);
  return reinterpret_cast<MIDIPacket*>((end + kAlignMask) & ~kAlignMask);
}
