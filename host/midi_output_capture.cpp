#include "host/midi_output_capture.h"

namespace orvane::host {

MidiOutputCapture::MidiOutputCapture(std::size_t packetCapacity, std::size_t byteCapacity) {
  mPackets.reserve(packetCapacity);
  mBytes.reserve(byteCapacity);
}

AUMIDIOutputCallbackStruct MidiOutputCapture::Record() { return {&Receive, this}; }

std::span<const uint8_t> MidiOutputCapture::PacketBytes(std::size_t idx) const {
  const Packet& packet = mPackets[idx];
  return std::span<const uint8_t>(mBytes).subspan(packet.firstByte, packet.length);
}

void MidiOutputCapture::Clear() {
  mPackets.clear();
  mBytes.clear();
  mListCount = 0;
  mDropped = 0;
}

OSStatus MidiOutputCapture::Receive(void* self, const AudioTimeStamp* timeStamp, UInt32, const MIDIPacketList* list) {
  auto& capture = *static_cast<MidiOutputCapture*>(self);
  if (list) capture.Keep(timeStamp, *list);
  return capture.mStatus;
}

void MidiOutputCapture::Keep(const AudioTimeStamp* timeStamp, const MIDIPacketList& list) {
  ++mListCount;
  const MIDIPacket* packet = &list.packet[0];
  for (UInt32 i = 0; i < list.numPackets; ++i, packet = MIDIPacketNext(packet)) {
    const bool fits = mPackets.size() < mPackets.capacity() && packet->length <= mBytes.capacity() - mBytes.size();
    if (!fits) {
      ++mDropped;
      continue;
    }
    mPackets.push_back({packet->timeStamp, timeStamp ? timeStamp->mSampleTime : 0.0, mBytes.size(), packet->length});
    mBytes.insert(mBytes.end(), packet->data, packet->data + packet->length);
  }
}

}  // namespace orvane::host
