#include "engine/dna_table.h"

#include <cmath>
#include <iterator>

namespace orvane {
namespace {

constexpr DnaTaper kLin = DnaTaper::kLinear;
constexpr DnaTaper kCub = DnaTaper::kCubic;

// The eleven rows of one preamp stage; n is the stage number 1..4. The flat
// names keep their inner blanks, which line the names up in a monospaced list.
#define ORVANE_PREAMP_ROWS(n)                                                                     \
  DnaParameter{"PREAMP " #n ": AC COUPLING", " PREAMP " #n "─┬─AC COUPLING", "Hz", 2, 2500, kCub},    \
  DnaParameter{"PREAMP " #n ": COLOR: f0", "          ├─COLOR─┬─f0", "Hz", 100, 10000, kCub},         \
  DnaParameter{"PREAMP " #n ": COLOR: GAIN", "          │       └─GAIN", "dB", -32, 32, kLin},        \
  DnaParameter{"PREAMP " #n ":  TUBE: GAIN", "          ├─TUBE─┬─GAIN", "dB", -12, 52, kLin},         \
  DnaParameter{"PREAMP " #n ":  TUBE: B+ SUPPLY", "          │      ├─B+ SUPPLY", "V", 4.5, 600, kCub}, \
  DnaParameter{"PREAMP " #n ":  TUBE: SAT LIMIT", "          │      ├─SAT LIMIT", "%", 0, 100, kLin},   \
  DnaParameter{"PREAMP " #n ":  TUBE: BIAS", "          │      ├─BIAS", "%", 0, 100, kLin},             \
  DnaParameter{"PREAMP " #n ":  TUBE: CUT-OFF SHARP", "          │      ├─CUT-OFF SHARP", "%", 0, 100, kLin}, \
  DnaParameter{"PREAMP " #n ":  TUBE: SAT SHARP", "          │      ├─SAT SHARP", "%", 0, 100, kLin},   \
  DnaParameter{"PREAMP " #n ":  TUBE: BANDWIDTH", "          │      └─BANDWIDTH", "Hz", 200, 18000, kCub}, \
  DnaParameter{"PREAMP " #n ": GAIN KNOB EFFECT", "          └─GAIN KNOB EFFECT", "%", 0, 100, kLin}

constexpr DnaParameter kTableRows[] = {
    ORVANE_PREAMP_ROWS(1),
    ORVANE_PREAMP_ROWS(2),
    ORVANE_PREAMP_ROWS(3),
    ORVANE_PREAMP_ROWS(4),
    {"TONESTACK:    HPF: f0 MIN", " TONESTACK─┬HPF┬─f0 MIN", "Hz", 1, 1000, kCub},
    {"TONESTACK:    HPF: f0 MAX", "           │   └─f0 MAX", "Hz", 1, 1000, kCub},
    {"TONESTACK:   BASS: GAIN MIN", "           ├BASS┬─GAIN MIN", "dB", -64, 64, kLin},
    {"TONESTACK:   BASS: GAIN MAX", "           │    ├─GAIN MAX", "dB", -64, 64, kLin},
    {"TONESTACK:   BASS: f0 MIN", "           │    ├─f0 MIN", "Hz", 10, 1000, kCub},
    {"TONESTACK:   BASS: f0 MAX", "           │    └─f0 MAX", "Hz", 10, 1000, kCub},
    {"TONESTACK:    MID: GAIN MIN", "           ├MID┬─GAIN MIN", "dB", -64, 64, kLin},
    {"TONESTACK:    MID: GAIN MAX", "           │   ├─GAIN MAX", "dB", -64, 64, kLin},
    {"TONESTACK:    MID: Q MIN", "           │   ├─Q MIN", ".", 0.1, 10, kCub},
    {"TONESTACK:    MID: Q MAX", "           │   ├─Q MAX", ".", 0.1, 10, kCub},
    {"TONESTACK:    MID: f0 MIN", "           │   ├─f0 MIN", "Hz", 100, 10000, kCub},
    {"TONESTACK:    MID: f0 MAX", "           │   └─f0 MAX", "Hz", 100, 10000, kCub},
    {"TONESTACK: TREBLE: GAIN MIN", "           └TREBLE┬─GAIN MIN", "dB", -64, 64, kLin},
    {"TONESTACK: TREBLE: GAIN MAX", "                  ├─GAIN MAX", "dB", -64, 64, kLin},
    {"TONESTACK: TREBLE: f0 MIN", "                  ├─f0 MIN", "Hz", 500, 15000, kCub},
    {"TONESTACK: TREBLE: f0 MAX", "                  └─f0 MAX", "Hz", 500, 15000, kCub},
    {"POWERAMP: GAIN", " POWERAMP┬─GAIN", "dB", 0, 64, kLin},
    {"POWERAMP: RAIL: POSITIVE", "         ├─RAIL┬─POSITIVE", "V", 4.5, 600, kCub},
    {"POWERAMP: RAIL: NEGATIVE", "         │     └─NEGATIVE", "V", -4.5, -600, kCub},
    {"POWERAMP: CUT-OFF HARDNESS: POS", "         ├─CUT-OFF HARDNESS┬─POS", "%", 0, 100, kLin},
    {"POWERAMP: CUT-OFF HARDNESS: NEG", "         │                 └─NEG", "%", 0, 100, kLin},
    {"POWERAMP: CROSSOVER: AMOUNT", "         ├─CROSSOVER DIST┬─AMOUNT", "%", 0, 100, kLin},
    {"POWERAMP: CROSSOVER: RANGE", "         │               └─RANGE", "%", 1, 100, kLin},
    {"POWERAMP: AC COUPLING", "         ├─AC COUPLING", "Hz", 0.2, 200, kCub},
    {"POWERAMP: BANDWIDTH", "         ├─BANDWIDTH", "Hz", 200, 19000, kCub},
    {"POWERAMP: RESONANCE: f0", "         ├─RESONANCE┬─f0", "Hz", 30, 500, kCub},
    {"POWERAMP: RESONANCE: GAIN MAX", "         │          └─GAIN MAX", "dB", 0, 12, kLin},
    {"POWERAMP:  PRESENCE: f0", "         └─PRESENCE┬─f0", "Hz", 350, 5000, kCub},
    {"POWERAMP:  PRESENCE: GAIN MAX", "                   └─GAIN MAX", "dB", 0, 12, kLin},
};

#undef ORVANE_PREAMP_ROWS

static_assert(std::size(kTableRows) == kDnaSize, "one table row per DNA byte");

constexpr std::uint8_t kEngineDefaultDnaValues[] = {
    96,  96,  160, 170, 208, 32,  112, 240, 32,  224, 0,   96,  96,  160, 170, 208, 32,  112, 240,
    32,  160, 255, 96,  96,  160, 170, 208, 32,  112, 240, 32,  208, 0,   0,   128, 128, 48,  255,
    0,   128, 128, 128, 255, 0,   96,  64,  96,  123, 144, 144, 80,  112, 85,  64,  112, 96,  96,
    124, 96,  135, 176, 224, 216, 128, 128, 208, 16,  128, 208, 128, 144, 144, 160,
};

static_assert(std::size(kEngineDefaultDnaValues) == kDnaSize, "one default per DNA byte");

template <typename T, std::size_t N>
constexpr std::array<T, N> ToArray(const T (&values)[N]) {
  std::array<T, N> result{};
  for (std::size_t i = 0; i < N; ++i) result[i] = values[i];
  return result;
}

constexpr std::array<DnaParameter, kDnaSize> kTable = ToArray(kTableRows);
constexpr DnaBytes kEngineDefaultDna = ToArray(kEngineDefaultDnaValues);

constexpr double kMaxByte = 255.0;
// A stage with 100 % knob effect loses this much at gain knob 0.
constexpr double kMaxKnobCutDb = 120.0;
constexpr double kPercent = 100.0;

}  // namespace

const std::array<DnaParameter, kDnaSize>& DnaParameterTable() { return kTable; }

const DnaParameter& DnaParameterAt(std::size_t index) { return kTable[index]; }
std::string_view DnaFlatName(std::size_t index) { return kTable[index].flatName; }
std::string_view DnaTreeLabel(std::size_t index) { return kTable[index].treeLabel; }
std::string_view DnaUnit(std::size_t index) { return kTable[index].unit; }
double DnaMin(std::size_t index) { return kTable[index].min; }
double DnaMax(std::size_t index) { return kTable[index].max; }
bool DnaIsCubic(std::size_t index) { return kTable[index].taper == DnaTaper::kCubic; }

const DnaBytes& EngineDefaultDna() { return kEngineDefaultDna; }

double DecodeDnaByte(std::size_t index, std::uint8_t byte) {
  const DnaParameter& row = kTable[index];
  const double t = byte / kMaxByte;
  // t * t * t rather than pow: pow differs in the last bit for some bytes.
  const double shaped = row.taper == DnaTaper::kCubic ? t * t * t : t;
  return row.min + (row.max - row.min) * shaped;
}

DecodedDna DecodeDna(const DnaBytes& dna) {
  DecodedDna decoded{};
  for (std::size_t i = 0; i < kDnaSize; ++i) decoded[i] = DecodeDnaByte(i, dna[i]);
  return decoded;
}

PreampDrives ComputePreampDrives(const DecodedDna& decoded, double gainKnob) {
  PreampDrives drives{};
  for (int stage = 0; stage < kPreampStageCount; ++stage) {
    const double tubeGainDb = decoded[PreampDnaIndex(stage, kPreampTubeGain)];
    const double effect = decoded[PreampDnaIndex(stage, kPreampGainKnobEffect)];
    const double cutDb = kMaxKnobCutDb * (effect / kPercent) * ((kPercent - gainKnob) / kPercent);
    drives[stage] = -std::pow(10.0, (tubeGainDb - cutDb) / 20.0);
  }
  return drives;
}

}  // namespace orvane
