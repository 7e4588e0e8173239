#pragma once

// The editor control on its own: built with a callback for each of its 29
// members that records the call with its arguments, answering the controller
// slots and the host rate from fields the test sets, and attached to a
// recording graphics context (which owns it).

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editor/orvane_gui_control.h"
#include "support/graphics/recording_delegate.h"
#include "support/graphics/recording_graphics.h"

namespace orvane::testing {

struct EditorSetup {
  std::string name = "Design";
  std::string description;
  DnaBytes dna = EngineDefaultDna();
  AmpKnobs knobs{50.0, 50.0, 50.0, 50.0, 50.0, 50.0, 50.0};
  int oversampling = 1;
  std::string script;
  std::vector<double> playerValues;
  bool playerView = false;
  double inputGainDb = 0.0;
  double outputGainDb = -60.0;
};

class EditorHarness {
  std::vector<std::string> mCalls;  // outlives the control, which records into it

public:
  explicit EditorHarness(const EditorSetup& setup = {});

  OrvaneGUIControl& Editor() { return *mEditor; }
  // The calls since the last time, as "onGainChanged(true, -24)"; byte arrays
  // read "[1 2 3]".
  std::vector<std::string> TakeCalls();
  // A controller message as the plug-in's slot holds it: the value in the low
  // seven bits and a message counter above them, counted per controller.
  void SendController(int cc, int value);

  // What getMidiCcState and getSampleRate answer.
  std::array<std::uint64_t, kMidiCCCount> midiStates{};
  double sampleRate = 48000.0;

  plugkit::testing::RecordingDelegate delegate;
  std::unique_ptr<plugkit::testing::RecordingGraphics> graphics;

private:
  OrvaneGUIControl* mEditor = nullptr;
};

}  // namespace orvane::testing
