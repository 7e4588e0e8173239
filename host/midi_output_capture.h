#pragma once

#include <AudioUnit/AudioUnitProperties.h>
#include <CoreMIDI/CoreMIDI.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace orvane::host {

// Keeps the MIDI a unit sends through its MIDI output callback (property 48).
// Room is reserved up front, so the callback never allocates on the render
// thread; what does not fit is counted as dropped. Read it between renders.
class MidiOutputCapture {
public:
  static constexpr std::size_t kDefaultPacketCapacity = 256;
  static constexpr std::size_t kDefaultByteCapacity = 16384;

  struct Packet {
    MIDITimeStamp timeStamp = 0;
    // Sample time of the render call that sent it.
    Float64 renderSampleTime = 0.0;
    std::size_t firstByte = 0;
    std::size_t length = 0;
  };

  explicit MidiOutputCapture(std::size_t packetCapacity = kDefaultPacketCapacity,
                             std::size_t byteCapacity = kDefaultByteCapacity);
  MidiOutputCapture(const MidiOutputCapture&) = delete;
  MidiOutputCapture& operator=(const MidiOutputCapture&) = delete;

  // The record to hand the unit; `status` is what the callback answers.
  AUMIDIOutputCallbackStruct Record();
  void SetStatus(OSStatus status) { mStatus = status; }

  std::size_t ListCount() const { return mListCount; }
  std::size_t PacketCount() const { return mPackets.size(); }
  const Packet& GetPacket(std::size_t idx) const { return mPackets[idx]; }
  std::span<const uint8_t> PacketBytes(std::size_t idx) const;
  // Every captured byte in order.
  std::span<const uint8_t> AllBytes() const { return mBytes; }
  std::size_t DroppedPackets() const { return mDropped; }
  void Clear();

private:
  static OSStatus Receive(void* self, const AudioTimeStamp* timeStamp, UInt32 outputNumber,
                          const MIDIPacketList* list);
  void Keep(const AudioTimeStamp* timeStamp, const MIDIPacketList& list);

  std::vector<Packet> mPackets;
  std::vector<uint8_t> mBytes;
  std::size_t mListCount = 0;
  std::size_t mDropped = 0;
  OSStatus mStatus = noErr;
};

}  // namespace orvane::host
