// MIDI packet lists.

#include <CoreMIDI/CoreMIDI.h>

#include <cstdint>
#include <cstring>
#include <limits>

namespace {

constexpr Byte kSysExStart = 0xF0;
constexpr ByteCount kMaxPacketLength = std::numeric_limits<UInt16>::max();

bool BeginsSysEx(const Byte* data, ByteCount size) {
  return size > 0 && data[0] == kSysExStart;
}

bool CanJoin(const MIDIPacket& current, MIDITimeStamp time, ByteCount nData, const Byte* data) {
  return current.timeStamp == time && !BeginsSysEx(current.data, current.length) &&
         !BeginsSysEx(data, nData) && current.length + nData <= kMIDIPacketDataCapacity;
}

// Whether `size` bytes starting at `at` lie inside the list's buffer.
bool FitsInList(const MIDIPacketList* list, ByteCount listSize, const void* at, ByteCount size) {
  const auto begin = reinterpret_cast<std::uintptr_t>(list);
  const auto position = reinterpret_cast<std::uintptr_t>(at);
  return position >= begin && position - begin <= listSize && size <= listSize - (position - begin);
}

}  // namespace

extern "C" {

MIDIPacket* MIDIPacketListInit(MIDIPacketList* pktlist) {
  pktlist->numPackets = 0;
  return &pktlist->packet[0];
}

MIDIPacket* MIDIPacketListAdd(MIDIPacketList* pktlist, ByteCount listSize, MIDIPacket* curPacket,
                              MIDITimeStamp time, ByteCount nData, const Byte* data) {
  if (!pktlist || !curPacket || (nData > 0 && !data))
    return nullptr;

  if (pktlist->numPackets > 0 && CanJoin(*curPacket, time, nData, data)) {
    Byte* end = curPacket->data + curPacket->length;
    if (!FitsInList(pktlist, listSize, end, nData))
      return nullptr;
    if (nData > 0)
      std::memcpy(end, data, nData);
    curPacket->length = static_cast<UInt16>(curPacket->length + nData);
    return curPacket;
  }

  MIDIPacket* packet = pktlist->numPackets == 0 ? &pktlist->packet[0] : MIDIPacketNext(curPacket);
  if (nData > kMaxPacketLength || !FitsInList(pktlist, listSize, packet, kMIDIPacketHeaderSize + nData))
    return nullptr;
  packet->timeStamp = time;
  packet->length = static_cast<UInt16>(nData);
  if (nData > 0)
    std::memcpy(packet->data, data, nData);
  ++pktlist->numPackets;
  return packet;
}

}  // extern "C"
