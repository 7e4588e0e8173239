#pragma once

// Applying the player's control values through the script's mappings, and
// turning MIDI controller values into player values.

#include <cstdint>
#include <span>
#include <string>

#include "design/controls_script.h"
#include "engine/engine_settings.h"

namespace orvane {

// Player-control value range: a slider runs from 0 to 100, a switch holds a
// position from 0.
inline constexpr double kSliderMinValue = 0.0;
inline constexpr double kSliderMaxValue = 100.0;

// Evaluates every mapping of every control at its value and writes the results
// over the design's DNA, knobs and sections in `out` (other fields untouched).
// Runs on the render thread too: it never allocates unless `error` is given
// and a failure has to be described. On failure `out` is not to be used.
bool ApplyPlayerControlValues(const ParsedControlsScript& script, std::span<const double> values,
                              const DnaBytes& dna, const AmpKnobs& knobs, const AmpSections& sections,
                              EngineSettings& out, std::string* error = nullptr);

// The value of switch position `position` (from 0) of a comma-separated list
// of constant formulas; "Missing switch value" when there is none.
bool SwitchValueAt(const std::string& valueList, int position, double& result, std::string& error);

// A MIDI controller value (0..127) as the player value of `control`: a slider
// takes round(v * 100 / 127), a switch with P positions min(P * v / 128, P - 1).
double PlayerValueFromMidi(const ScriptControl& control, int midiValue);

}  // namespace orvane
