#include "design/design.h"

#include <gtest/gtest.h>

#include <vector>

#include "design/design_json.h"

namespace orvane {
namespace {

TEST(DesignRecord, BlankRecordHoldsTheBlankValuesAndValidates) {
  const Design blank;
  EXPECT_EQ(blank.name, "Untitled");
  EXPECT_TRUE(blank.author.empty());
  EXPECT_TRUE(blank.description.empty());
  EXPECT_TRUE(blank.script.empty());
  EXPECT_TRUE(blank.playerControlValues.empty());
  for (const std::uint8_t byte : blank.amplifier.dna) EXPECT_EQ(byte, 0);
  for (const double knob : blank.amplifier.knobs) EXPECT_EQ(knob, 50.0);
  for (const bool on : blank.amplifier.sections) EXPECT_TRUE(on);
  for (const double gain : blank.amplifier.bypassGainDb) EXPECT_EQ(gain, 0.0);
  EXPECT_EQ(blank.amplifier.toneStackPosition, 4);
  EXPECT_EQ(blank.trims.inputGainDb, 0.0);
  EXPECT_EQ(blank.trims.outputGainDb, -60.0);

  std::string error = "stale";
  EXPECT_TRUE(ValidateDesign(blank, error));
  EXPECT_EQ(error, "");
}

TEST(DesignRecord, TimestampIsCurrentUtcInTheFixedForm) {
  const std::string stamp = FormatUtcTimestamp();
  EXPECT_TRUE(IsUtcTimestamp(stamp)) << stamp;
  EXPECT_GE(stamp.substr(0, 4), "2024");
}

TEST(DesignRecord, DefaultDesignChangesOnlyTheSharpnessBytesOfEachPreamp) {
  const Design design = MakeDefaultDesign();
  const DnaBytes& engineDna = EngineDefaultDna();
  std::vector<std::size_t> differing;
  for (std::size_t i = 0; i < kDnaSize; ++i) {
    if (design.amplifier.dna[i] != engineDna[i]) differing.push_back(i);
  }
  EXPECT_EQ(differing, (std::vector<std::size_t>{7, 8, 18, 19, 29, 30, 40, 41}));

  const DnaBytes expected = {96,  96,  160, 170, 208, 32,  112, 0,   191, 224, 0,   96,  96,  160, 170,
                             208, 32,  112, 0,   191, 160, 255, 96,  96,  160, 170, 208, 32,  112, 0,
                             191, 208, 0,   0,   128, 128, 48,  255, 0,   128, 0,   191, 255, 0,   96,
                             64,  96,  123, 144, 144, 80,  112, 85,  64,  112, 96,  96,  124, 96,  135,
                             176, 224, 216, 128, 128, 208, 16,  128, 208, 128, 144, 144, 160};
  EXPECT_EQ(design.amplifier.dna, expected);

  Design blank;
  blank.amplifier.dna = design.amplifier.dna;
  blank.createdAt = design.createdAt;
  EXPECT_EQ(design, blank);
}

}  // namespace
}  // namespace orvane
