#include "engine/dna_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace orvane {
namespace {

DnaBytes FilledDna(std::uint8_t byte) {
  DnaBytes dna{};
  dna.fill(byte);
  return dna;
}

TEST(DnaTable, EndBytesDecodeExactlyToTheRangeEnds) {
  const DecodedDna atZero = DecodeDna(FilledDna(0));
  const DecodedDna atFull = DecodeDna(FilledDna(255));
  for (std::size_t i = 0; i < kDnaSize; ++i) {
    EXPECT_EQ(atZero[i], DnaMin(i)) << "row " << i;
    EXPECT_EQ(atFull[i], DnaMax(i)) << "row " << i;
  }
}

TEST(DnaTable, MiddleByteFollowsTheTaper) {
  // Cubic row 0 (2..2500 Hz): the cube is t*t*t, exact to the last bit.
  EXPECT_EQ(DecodeDnaByte(0, 128), 317.9379542408274);
  const double t = 128 / 255.0;
  EXPECT_EQ(DecodeDnaByte(0, 128), 2 + 2498 * (t * t * t));
  // Linear row 3 (tube gain -12..52 dB).
  EXPECT_EQ(DecodeDnaByte(3, 128), -12 + 64 * t);
  EXPECT_DOUBLE_EQ(DecodeDnaByte(60, 51), 12.8);
}

TEST(DnaTable, NegativeRailGrowsMoreNegativeWithTheByte) {
  EXPECT_EQ(DecodeDnaByte(kDnaPowerRailNegative, 0), -4.5);
  EXPECT_EQ(DecodeDnaByte(kDnaPowerRailNegative, 255), -600.0);
  double previous = 0.0;
  for (int byte = 0; byte <= 255; ++byte) {
    const double value = DecodeDnaByte(kDnaPowerRailNegative, static_cast<std::uint8_t>(byte));
    EXPECT_LT(value, previous) << "byte " << byte;
    previous = value;
  }
}

TEST(DnaTable, PreampStagesRepeatTheFirstStageUnderTheirOwnNumber) {
  for (int stage = 1; stage < kPreampStageCount; ++stage) {
    const std::string from = "PREAMP 1";
    const std::string to = "PREAMP " + std::to_string(stage + 1);
    for (int row = 0; row < kPreampRowsPerStage; ++row) {
      const DnaParameter& first = DnaParameterAt(row);
      const DnaParameter& other = DnaParameterAt(stage * kPreampRowsPerStage + row);
      std::string expectedName(first.flatName);
      expectedName.replace(0, from.size(), to);
      EXPECT_EQ(other.flatName, expectedName);
      std::string expectedLabel(first.treeLabel);
      if (row == 0) expectedLabel.replace(1, from.size(), to);
      EXPECT_EQ(other.treeLabel, expectedLabel);
      EXPECT_EQ(other.unit, first.unit);
      EXPECT_EQ(other.min, first.min);
      EXPECT_EQ(other.max, first.max);
      EXPECT_EQ(other.taper, first.taper);
    }
  }
}

TEST(DnaTable, NamesKeepTheirAligningBlanks) {
  EXPECT_EQ(DnaFlatName(3), "PREAMP 1:  TUBE: GAIN");
  EXPECT_EQ(DnaFlatName(36), "PREAMP 4:  TUBE: GAIN");
  EXPECT_EQ(DnaFlatName(44), "TONESTACK:    HPF: f0 MIN");
  EXPECT_EQ(DnaFlatName(72), "POWERAMP:  PRESENCE: GAIN MAX");
  EXPECT_EQ(DnaTreeLabel(22), " PREAMP 3─┬─AC COUPLING");
  EXPECT_EQ(DnaTreeLabel(63), "         ├─CUT-OFF HARDNESS┬─POS");
  EXPECT_EQ(DnaUnit(52), ".");
  EXPECT_TRUE(DnaIsCubic(52));
  EXPECT_FALSE(DnaIsCubic(66));
  EXPECT_EQ(DnaMin(66), 1.0);
}

TEST(DnaTable, EngineDefaultDnaEndsAsGiven) {
  const DnaBytes& dna = EngineDefaultDna();
  EXPECT_EQ(dna[0], 96);
  EXPECT_EQ(dna[21], 255);
  EXPECT_EQ(dna[43], 0);
  EXPECT_EQ(dna[44], 96);
  EXPECT_EQ(dna[72], 160);
}

TEST(PreampDrives, FullGainIgnoresTheKnobEffect) {
  DecodedDna decoded = DecodeDna(EngineDefaultDna());
  for (int stage = 0; stage < kPreampStageCount; ++stage) {
    decoded[PreampDnaIndex(stage, kPreampGainKnobEffect)] = 100.0;
  }
  const PreampDrives drives = ComputePreampDrives(decoded, 100.0);
  for (int stage = 0; stage < kPreampStageCount; ++stage) {
    const double tubeGainDb = decoded[PreampDnaIndex(stage, kPreampTubeGain)];
    EXPECT_DOUBLE_EQ(drives[stage], -std::pow(10.0, tubeGainDb / 20.0));
  }
}

TEST(PreampDrives, KnobEffectCutsUpTo120DbAtZeroGain) {
  DecodedDna decoded{};
  decoded[PreampDnaIndex(0, kPreampTubeGain)] = 20.0;
  decoded[PreampDnaIndex(0, kPreampGainKnobEffect)] = 100.0;
  decoded[PreampDnaIndex(1, kPreampTubeGain)] = 20.0;
  decoded[PreampDnaIndex(1, kPreampGainKnobEffect)] = 50.0;
  decoded[PreampDnaIndex(2, kPreampTubeGain)] = 0.0;
  decoded[PreampDnaIndex(2, kPreampGainKnobEffect)] = 0.0;
  const PreampDrives atZero = ComputePreampDrives(decoded, 0.0);
  EXPECT_DOUBLE_EQ(atZero[0], -std::pow(10.0, -100.0 / 20.0));
  EXPECT_DOUBLE_EQ(atZero[1], -std::pow(10.0, -40.0 / 20.0));
  EXPECT_DOUBLE_EQ(atZero[2], -1.0);
  const PreampDrives atHalf = ComputePreampDrives(decoded, 50.0);
  EXPECT_DOUBLE_EQ(atHalf[0], -std::pow(10.0, -40.0 / 20.0));
}

}  // namespace
}  // namespace orvane
