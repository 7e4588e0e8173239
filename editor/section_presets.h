#pragma once

// The DNA sections that the editor's menus copy, paste and set whole, and the
// bytes of the presets that "Set ... to" offers for each.

#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/dna_table.h"

namespace orvane {

// Whose callback a whole-section write reports to.
enum DnaSection : int {
  kDnaSectionPreampStage = 0,
  kDnaSectionToneStack = 1,
  kDnaSectionPowerAmp = 2,
};

inline constexpr int kToneStackDnaOffset = kDnaToneHpfFreqMin;
inline constexpr int kToneStackDnaCount = kDnaPowerGain - kDnaToneHpfFreqMin;
inline constexpr int kPowerAmpDnaOffset = kDnaPowerGain;
inline constexpr int kPowerAmpDnaCount = static_cast<int>(kDnaSize) - kDnaPowerGain;

using PreampStageDna = std::array<std::uint8_t, kPreampRowsPerStage>;
using ToneStackDna = std::array<std::uint8_t, kToneStackDnaCount>;
using PowerAmpDna = std::array<std::uint8_t, kPowerAmpDnaCount>;

template <typename Bytes>
struct SectionPreset {
  const char* name;  // the menu item
  Bytes bytes;       // in DNA order
};

// Designed as percentages; each byte is the percentage times 255 / 100, halves
// rounded away from zero.
inline constexpr std::array<SectionPreset<PreampStageDna>, 2> kPreampStagePresets{{
    {"Standard amplifier", {51, 128, 153, 148, 176, 38, 140, 0, 140, 209, 0}},
    {"Cold Cathode", {89, 128, 128, 148, 115, 38, 51, 102, 64, 204, 0}},
}};
inline constexpr std::array<SectionPreset<ToneStackDna>, 1> kToneStackPresets{{
    {"Default", {97, 64, 97, 122, 143, 143, 79, 112, 84, 64, 112, 97, 97, 125, 97, 135}},
}};
inline constexpr std::array<SectionPreset<PowerAmpDna>, 2> kPowerAmpPresets{{
    {"Default", {122, 230, 222, 204, 179, 0, 0, 54, 217, 135, 107, 153, 107}},
    {"Transparent without gain", {0, 255, 255, 255, 255, 0, 0, 102, 255, 135, 153, 153, 153}},
}};

}  // namespace orvane
