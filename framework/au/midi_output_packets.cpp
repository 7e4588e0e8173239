#include "framework/au/midi_output_packets.h"

#include <algorithm>

namespace plugkit {

namespace {

constexpr UInt32 kMidiOutputNumber = 0;

// A negative offset would wrap to a time stamp far in the future.
MIDITimeStamp TimeStampOf(int32_t sampleOffset) { return static_cast<MIDITimeStamp>(std::max(sampleOffset, 0)); }

}  // namespace

class MidiOutputPacketList::Writer {
public:
  Writer(MidiOutputPacketList& owner, const AUMIDIOutputCallbackStruct& output, const AudioTimeStamp& timeStamp)
      : mList(owner.List()), mOutput(output), mTimeStamp(timeStamp), mCurrent(MIDIPacketListInit(mList)) {}

  void Add(MIDITimeStamp time, const Byte* data, ByteCount size) {
    MIDIPacket* packet = MIDIPacketListAdd(mList, kCapacity, mCurrent, time, size, data);
    if (!packet) {
      Flush();
      packet = MIDIPacketListAdd(mList, kCapacity, mCurrent, time, size, data);
    }
    if (packet)
      mCurrent = packet;
    else
      mAllAccepted = false;
  }

  // Sends what is left; whether the host accepted every list.
  bool Finish() {
    Flush();
    return mAllAccepted;
  }

private:
  void Flush() {
    if (mList->numPackets == 0) return;
    if (mOutput.midiOutputCallback(mOutput.userData, &mTimeStamp, kMidiOutputNumber, mList) != noErr)
      mAllAccepted = false;
    mCurrent = MIDIPacketListInit(mList);
  }

  MIDIPacketList* mList;
  const AUMIDIOutputCallbackStruct& mOutput;
  const AudioTimeStamp& mTimeStamp;
  MIDIPacket* mCurrent;
  bool mAllAccepted = true;
};

MidiOutputPacketList::MidiOutputPacketList() : mWords((kCapacity + sizeof(uint32_t) - 1) / sizeof(uint32_t)) {}

bool MidiOutputPacketList::SendMidi(const AUMIDIOutputCallbackStruct& output, const AudioTimeStamp& timeStamp,
                                    const IMidiMsg& msg) {
  if (!output.midiOutputCallback) return false;
  const Byte bytes[] = {msg.mStatus, msg.mData1, msg.mData2};
  Writer writer(*this, output, timeStamp);
  writer.Add(TimeStampOf(msg.mOffset), bytes, sizeof(bytes));
  return writer.Finish();
}

bool MidiOutputPacketList::SendMidiList(const AUMIDIOutputCallbackStruct& output, const AudioTimeStamp& timeStamp,
                                        std::span<const IMidiMsg> msgs) {
  if (!output.midiOutputCallback) return false;
  Writer writer(*this, output, timeStamp);
  for (const IMidiMsg& msg : msgs) {
    const MIDITimeStamp time = TimeStampOf(msg.mOffset);
    // Byte by byte: bytes with one time stamp share a packet.
    for (const Byte byte : {msg.mStatus, msg.mData1, msg.mData2}) writer.Add(time, &byte, 1);
  }
  return writer.Finish();
}

bool MidiOutputPacketList::SendSysEx(const AUMIDIOutputCallbackStruct& output, const AudioTimeStamp& timeStamp,
                                     const ISysExMsg& msg) {
  if (!output.midiOutputCallback) return false;
  if (msg.mSize < 0 || (msg.mSize > 0 && !msg.mData)) return false;
  Writer writer(*this, output, timeStamp);
  const auto size = static_cast<ByteCount>(msg.mSize);
  for (ByteCount sent = 0; sent < size; sent += kSysExChunkSize)
    writer.Add(TimeStampOf(msg.mOffset), msg.mData + sent, std::min(kSysExChunkSize, size - sent));
  return writer.Finish();
}

}  // namespace plugkit
