#pragma once

#include <functional>

#include "framework/core/key_press.h"
#include "framework/core/midi_msg.h"

namespace plugkit::graphics {

// The computer keyboard as a MIDI keyboard: A, S, D, F, G, H, J, K, L and
// W, E, T, Y, U, O above them play the semitones from a base note; X and Z
// move the base an octave up or down, within 24..96, and release every note
// held. One base note and one set of held notes serve the whole process, so
// every open editor shares them. Main thread only.
class QwertyMidiKeys {
public:
  using SendFunc = std::function<void(const IMidiMsg&)>;

  static constexpr int kInitialBaseNote = 48;

  // A note key pressed sends a note-on unless its note is held; released, a
  // note-off when it is. Keys other than letters, and letters without a role,
  // do nothing.
  static void HandleKey(const IKeyPress& key, bool isUp, const SendFunc& send);
  static int BaseNote();

  // Tests only: the base note back at 48, no note held.
  static void ResetForTesting();
};

}  // namespace plugkit::graphics
