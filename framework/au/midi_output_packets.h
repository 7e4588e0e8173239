#pragma once

#include <AudioUnit/AudioUnitProperties.h>
#include <CoreMIDI/CoreMIDI.h>

#include <cstdint>
#include <span>
#include <vector>

#include "framework/core/midi_msg.h"
#include "framework/plugin_api_base.h"

namespace plugkit {

// Builds the MIDI packet lists that go to the host's MIDI output callback, in
// one buffer allocated up front, so sending from the render thread never
// allocates. Output larger than the buffer goes out as several lists.
class MidiOutputPacketList {
public:
  // System-exclusive bytes go out in packets of at most this many bytes.
  static constexpr ByteCount kSysExChunkSize = 256;
  // One queued system-exclusive record, with its packet headers and padding.
  static constexpr ByteCount kCapacity =
      kMIDIPacketListHeaderSize +
      ((SysExData::kMaxSize + kSysExChunkSize - 1) / kSysExChunkSize) * (kMIDIPacketHeaderSize + kSysExChunkSize + 3);

  MidiOutputPacketList();
  MidiOutputPacketList(const MidiOutputPacketList&) = delete;
  MidiOutputPacketList& operator=(const MidiOutputPacketList&) = delete;

  // Each answers false without a callback, and otherwise whether the callback
  // accepted every list it was given.
  bool SendMidi(const AUMIDIOutputCallbackStruct& output, const AudioTimeStamp& timeStamp, const IMidiMsg& msg);
  bool SendMidiList(const AUMIDIOutputCallbackStruct& output, const AudioTimeStamp& timeStamp,
                    std::span<const IMidiMsg> msgs);
  bool SendSysEx(const AUMIDIOutputCallbackStruct& output, const AudioTimeStamp& timeStamp, const ISysExMsg& msg);

private:
  // Appends bytes to the list, first handing a full list to the callback.
  class Writer;

  MIDIPacketList* List() { return reinterpret_cast<MIDIPacketList*>(mWords.data()); }

  // Whole words keep the list 4-byte aligned, as packet lists must be.
  std::vector<uint32_t> mWords;
};

}  // namespace plugkit
