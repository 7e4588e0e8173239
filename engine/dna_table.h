#pragma once

// The DNA table: what each of the 73 design bytes means (names, unit, physical
// range, taper), the engine's default DNA, the decoder from bytes to physical
// values, and the preamp drive gains derived from the DNA and the gain knob.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orvane {

inline constexpr std::size_t kDnaSize = 73;

using DnaBytes = std::array<std::uint8_t, kDnaSize>;
// Physical values in each row's unit, in DNA index order.
using DecodedDna = std::array<double, kDnaSize>;

enum class DnaTaper : std::uint8_t { kLinear, kCubic };

struct DnaParameter {
  std::string_view flatName;   // one-line read-outs and menus (inner blanks align them)
  std::string_view treeLabel;  // DNA editor tree view
  std::string_view unit;
  double min;  // value at byte 0
  double max;  // value at byte 255 (may be below min)
  DnaTaper taper;
};

// Layout of the DNA: four preamp stages of 11 rows each, then the tone stack
// and the power amp.
inline constexpr int kPreampStageCount = 4;
inline constexpr int kPreampRowsPerStage = 11;

// Row offsets inside one preamp stage.
enum PreampRow : int {
  kPreampAcCoupling = 0,
  kPreampColorFreq = 1,
  kPreampColorGain = 2,
  kPreampTubeGain = 3,
  kPreampTubeSupply = 4,
  kPreampTubeSatLimit = 5,
  kPreampTubeBias = 6,
  kPreampTubeCutoffSharpness = 7,
  kPreampTubeSatSharpness = 8,
  kPreampTubeBandwidth = 9,
  kPreampGainKnobEffect = 10,
};

constexpr int PreampDnaIndex(int stage, PreampRow row) { return stage * kPreampRowsPerStage + row; }

// Absolute indices of the tone-stack and power-amp rows.
enum DnaIndex : int {
  kDnaToneHpfFreqMin = 44,
  kDnaToneHpfFreqMax = 45,
  kDnaToneBassGainMin = 46,
  kDnaToneBassGainMax = 47,
  kDnaToneBassFreqMin = 48,
  kDnaToneBassFreqMax = 49,
  kDnaToneMidGainMin = 50,
  kDnaToneMidGainMax = 51,
  kDnaToneMidQMin = 52,
  kDnaToneMidQMax = 53,
  kDnaToneMidFreqMin = 54,
  kDnaToneMidFreqMax = 55,
  kDnaToneTrebleGainMin = 56,
  kDnaToneTrebleGainMax = 57,
  kDnaToneTrebleFreqMin = 58,
  kDnaToneTrebleFreqMax = 59,
  kDnaPowerGain = 60,
  kDnaPowerRailPositive = 61,
  kDnaPowerRailNegative = 62,
  kDnaPowerCutoffHardnessPos = 63,
  kDnaPowerCutoffHardnessNeg = 64,
  kDnaPowerCrossoverAmount = 65,
  kDnaPowerCrossoverRange = 66,
  kDnaPowerAcCoupling = 67,
  kDnaPowerBandwidth = 68,
  kDnaPowerResonanceFreq = 69,
  kDnaPowerResonanceGainMax = 70,
  kDnaPowerPresenceFreq = 71,
  kDnaPowerPresenceGainMax = 72,
};

// The whole table, in DNA index order.
const std::array<DnaParameter, kDnaSize>& DnaParameterTable();

// Accessors by index 0..72.
const DnaParameter& DnaParameterAt(std::size_t index);
std::string_view DnaFlatName(std::size_t index);
std::string_view DnaTreeLabel(std::size_t index);
std::string_view DnaUnit(std::size_t index);
double DnaMin(std::size_t index);
double DnaMax(std::size_t index);
bool DnaIsCubic(std::size_t index);

// The DNA an engine takes when it is built without one.
const DnaBytes& EngineDefaultDna();

// One byte of row `index` to its physical value.
double DecodeDnaByte(std::size_t index, std::uint8_t byte);
DecodedDna DecodeDna(const DnaBytes& dna);

// Linear drive gain of each preamp tube stage (negative: every stage inverts).
using PreampDrives = std::array<double, kPreampStageCount>;
// gainKnob is 0..100; at 100 no stage is cut by its knob-effect row.
PreampDrives ComputePreampDrives(const DecodedDna& decoded, double gainKnob);

}  // namespace orvane
