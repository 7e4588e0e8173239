#pragma once

// The user-controls script: declares the player's sliders and switches, binds
// them to MIDI controllers and maps them onto DNA bytes, knobs and sections.
//
//   slider: "Drive"
//   [cc7]
//   gain = x
//   dna3 = 40 + x * 0.5
//   switch,3: "Channel", "Clean", "Crunch", "Lead"
//   preamp2 = 0, 1, 1

#include <cstdint>
#include <string>
#include <vector>

#include "design/formula.h"

namespace orvane {

enum ScriptControlKind : int { kScriptSlider = 0, kScriptSwitch = 1 };
enum ScriptTargetKind : int { kTargetDna = 0, kTargetKnob = 1, kTargetSection = 2 };

struct ScriptMapping {
  int targetKind = kTargetDna;
  int targetIndex = 0;  // DNA 0..72, knob 0..6 or section 0..5
  std::string formula;  // slider: formula in x; switch: comma-separated values
  std::uint64_t line = 0;
  // Filled by the parser so that applying the mapping reads no text: a
  // slider's compiled formula, a switch's value for each position.
  CompiledFormula compiled;
  std::vector<double> switchValues;
};

struct ScriptControl {
  int kind = kScriptSlider;
  std::string name;
  std::int32_t positionCount = 0;  // switches only
  std::vector<std::string> positionNames;
  int midiCC = 0;
  bool hasMidiCC = false;
  std::vector<ScriptMapping> mappings;
};

struct ParsedControlsScript {
  std::vector<ScriptControl> controls;  // empty after an error
  std::uint64_t errorLine = 0;          // 1-based; 0 when valid
  std::string error;                    // empty when valid
};

// Replaces `out` whole; true when the script is valid. The first error stops
// parsing.
bool ParseUserControlsScript(const std::string& text, ParsedControlsScript& out);

}  // namespace orvane
