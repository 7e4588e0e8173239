#pragma once

// The amplifier settings as both engines take them: DNA, knobs, section
// switches, bypass gains, oversampling factor and tone-stack position.

#include <array>
#include <cstdint>

#include "engine/dna_table.h"

namespace orvane {

inline constexpr std::size_t kAmpKnobCount = 7;
inline constexpr std::size_t kAmpSectionCount = 6;

enum AmpKnob : int {
  kKnobGain = 0,
  kKnobBass = 1,
  kKnobMid = 2,
  kKnobTreble = 3,
  kKnobMaster = 4,
  kKnobResonance = 5,
  kKnobPresence = 6,
};

enum AmpSection : int {
  kSectionPreamp1 = 0,
  kSectionPreamp2 = 1,
  kSectionPreamp3 = 2,
  kSectionPreamp4 = 3,
  kSectionToneStack = 4,
  kSectionPowerAmp = 5,
};

// Knobs run 0..100 in the order of AmpKnob.
using AmpKnobs = std::array<double, kAmpKnobCount>;
// Section switched on, in the order of AmpSection.
using AmpSections = std::array<bool, kAmpSectionCount>;
// Gain in dB that replaces a switched-off section, in the order of AmpSection.
using AmpBypassGains = std::array<double, kAmpSectionCount>;

struct EngineSettings {
  DnaBytes dna{};
  AmpKnobs knobs{};
  AmpSections sections{};
  AmpBypassGains bypassGainDb{};
  std::int32_t oversampling = 0;       // requested factor
  std::int32_t toneStackPosition = 0;  // after preamp stage 1..4

  bool operator==(const EngineSettings&) const = default;
};

}  // namespace orvane
