#include "graphics/qwerty_midi_keys.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace plugkit::graphics {

namespace {

constexpr int kNotes = 128;
constexpr int kOctave = 12;
constexpr uint8_t kNoteOnStatus = 0x90;
constexpr uint8_t kNoteOffStatus = 0x80;
constexpr uint8_t kNoteOnVelocity = 127;
constexpr int kNoNote = -1;

constexpr int kLowestBase = 24;
constexpr int kHighestBase = 96;

struct NoteKey {
  char letter;
  int semitones;  // above the base note
};
constexpr std::array<NoteKey, 15> kNoteKeys = {{{'A', 0},
                                                {'W', 1},
                                                {'S', 2},
                                                {'E', 3},
                                                {'D', 4},
                                                {'F', 5},
                                                {'T', 6},
                                                {'G', 7},
                                                {'Y', 8},
                                                {'H', 9},
                                                {'U', 10},
                                                {'J', 11},
                                                {'K', 12},
                                                {'O', 13},
                                                {'L', 14}}};

int SemitonesOf(int virtualKey) {
  for (const NoteKey& key : kNoteKeys)
    if (key.letter == virtualKey) return key.semitones;
  return kNoNote;
}

// A base outside the range first comes to the octave's edge of it.
int OctaveUp(int base) { return std::min(std::max(base, kLowestBase - kOctave), kHighestBase - kOctave) + kOctave; }
int OctaveDown(int base) { return std::min(std::max(base, kLowestBase + kOctave) - kOctave, kHighestBase); }

int sBaseNote = QwertyMidiKeys::kInitialBaseNote;
std::array<bool, kNotes> sHeld{};

void Send(const QwertyMidiKeys::SendFunc& send, uint8_t status, int note, uint8_t velocity) {
  send(IMidiMsg(0, status, static_cast<uint8_t>(note), velocity));
}

void ReleaseAll(const QwertyMidiKeys::SendFunc& send) {
  for (int note = 0; note < kNotes; ++note) {
    if (!sHeld[note]) continue;
    sHeld[note] = false;
    Send(send, kNoteOffStatus, note, 0);
  }
}

}  // namespace

void QwertyMidiKeys::HandleKey(const IKeyPress& key, bool isUp, const SendFunc& send) {
  if (key.mVK < 'A' || key.mVK > 'Z') return;
  if (key.mVK == 'X' || key.mVK == 'Z') {
    if (isUp) return;
    sBaseNote = key.mVK == 'X' ? OctaveUp(sBaseNote) : OctaveDown(sBaseNote);
    ReleaseAll(send);
    return;
  }
  const int semitones = SemitonesOf(key.mVK);
  if (semitones == kNoNote) return;
  const int note = sBaseNote + semitones;
  if (sHeld[note] != isUp) return;
  sHeld[note] = !isUp;
  if (isUp)
    Send(send, kNoteOffStatus, note, 0);
  else
    Send(send, kNoteOnStatus, note, kNoteOnVelocity);
}

int QwertyMidiKeys::BaseNote() { return sBaseNote; }

void QwertyMidiKeys::ResetForTesting() {
  sBaseNote = kInitialBaseNote;
  sHeld.fill(false);
}

}  // namespace plugkit::graphics
