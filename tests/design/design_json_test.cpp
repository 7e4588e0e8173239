#include "design/design_json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace orvane {
namespace {

using nlohmann::json;

constexpr char kStamp[] = "2024-03-05T17:04:09Z";

Design SampleDesign() {
  Design design = MakeDefaultDesign();
  design.name = "Brown Sound ✓";
  design.author = "Tester";
  design.createdAt = kStamp;
  design.description = "Two\nlines";
  design.script = "slider: \"Drive\"\ngain = x\n";
  design.playerControlValues = {42.5};
  design.amplifier.knobs = {1, 2, 3, 4, 5, 6, 7.25};
  design.amplifier.sections = {true, false, true, false, true, false};
  design.amplifier.bypassGainDb = {-60, 0, 1.5, 2, 3, 60};
  design.amplifier.toneStackPosition = 2;
  design.trims = {-24.0, -120.0};
  return design;
}

json SampleDocument() { return BuildDesignJson(SampleDesign()); }

struct MessageCase {
  const char* what;
  std::function<void(json&)> change;
  std::string expected;
  bool prefixOnly = false;
};

void PrintTo(const MessageCase& c, std::ostream* os) { *os << c.what; }

class ParseDesignMessages : public ::testing::TestWithParam<MessageCase> {};

TEST_P(ParseDesignMessages, ReportsTheFirstBrokenRuleAndKeepsTheOutput) {
  json document = SampleDocument();
  GetParam().change(document);
  Design out;
  out.name = "keep me";
  const Design before = out;
  std::string error;
  EXPECT_FALSE(ParseDesignJson(document, out, error));
  if (GetParam().prefixOnly) {
    EXPECT_EQ(error.substr(0, GetParam().expected.size()), GetParam().expected) << error;
  } else {
    EXPECT_EQ(error, GetParam().expected);
  }
  EXPECT_EQ(out, before);
}

const std::string kNotDesign = "Not a Orvane design file";
const std::string kVersion = "Unsupported Orvane design format version";
const std::string kInvalid = "Invalid Orvane design: ";
const std::string kDnaCount = "amplifier.dna must contain exactly 73 byte values";
const std::string kDnaRange = "amplifier.dna values must be integers from 0 to 255";
const std::string kTone = "amplifier.toneStackPosition must be from 1 to 4";
const std::string kTrims = "inputGainDb must be from -24 to +24 dB and outputGainDb from -120 to +24 dB";
const std::string kStampMessage = "createdAt must use UTC timestamp format YYYY-MM-DDTHH:MM:SSZ";

INSTANTIATE_TEST_SUITE_P(
    Document, ParseDesignMessages,
    ::testing::Values(
        MessageCase{"array document", [](json& d) { d = json::array({1, 2}); }, kNotDesign},
        MessageCase{"format in other case", [](json& d) { d["format"] = "COM.VELLUMTONE.ORVANE.DESIGN"; }, kNotDesign},
        MessageCase{"format as number", [](json& d) { d["format"] = 1; }, kNotDesign},
        MessageCase{"format missing", [](json& d) { d.erase("format"); }, kInvalid + "[json.exception.out_of_range.403]",
                    true},
        MessageCase{"version 1.0", [](json& d) { d["formatVersion"] = 1.0; }, kVersion},
        MessageCase{"version 2", [](json& d) { d["formatVersion"] = 2; }, kVersion},
        MessageCase{"version as text", [](json& d) { d["formatVersion"] = "1"; }, kVersion},
        MessageCase{"version missing", [](json& d) { d.erase("formatVersion"); },
                    kInvalid + "[json.exception.out_of_range.403]", true},
        MessageCase{"name not a string", [](json& d) { d["name"] = 3; }, kInvalid + "[json.exception.type_error.302]",
                    true},
        MessageCase{"script missing", [](json& d) { d.erase("script"); }, kInvalid + "[json.exception.out_of_range.403]",
                    true},
        MessageCase{"player values an object", [](json& d) { d["playerControlValues"] = json::object(); },
                    "playerControlValues must be an array"},
        MessageCase{"player value text", [](json& d) { d["playerControlValues"] = json::array({"1"}); },
                    kInvalid + "[json.exception.type_error.302]", true},
        MessageCase{"player value infinite", [](json& d) { d["playerControlValues"] = json::array({1e308 * 10}); },
                    "Player control values must be finite numbers"},
        MessageCase{"amplifier missing", [](json& d) { d.erase("amplifier"); },
                    kInvalid + "[json.exception.out_of_range.403]", true},
        MessageCase{"dna of 72", [](json& d) { d["amplifier"]["dna"].erase(0); }, kDnaCount},
        MessageCase{"dna of 74", [](json& d) { d["amplifier"]["dna"].push_back(0); }, kDnaCount},
        MessageCase{"dna an object", [](json& d) { d["amplifier"]["dna"] = json::object(); }, kDnaCount},
        MessageCase{"dna byte -1", [](json& d) { d["amplifier"]["dna"][5] = -1; }, kDnaRange},
        MessageCase{"dna byte 256", [](json& d) { d["amplifier"]["dna"][72] = 256; }, kDnaRange},
        MessageCase{"dna byte 3.0", [](json& d) { d["amplifier"]["dna"][0] = 3.0; }, kDnaRange},
        MessageCase{"knobs an array", [](json& d) { d["amplifier"]["knobs"] = json::array({1, 2}); },
                    kInvalid + "[json.exception.type_error.304]", true},
        MessageCase{"knob missing", [](json& d) { d["amplifier"]["knobs"].erase("presence"); },
                    kInvalid + "[json.exception.out_of_range.403]", true},
        MessageCase{"knob a boolean", [](json& d) { d["amplifier"]["knobs"]["mid"] = true; },
                    kInvalid + "[json.exception.type_error.302]", true},
        MessageCase{"section a number", [](json& d) { d["amplifier"]["sections"]["toneStack"] = 1; },
                    kInvalid + "[json.exception.type_error.302]", true},
        MessageCase{"bypass an array", [](json& d) { d["amplifier"]["bypassGainDb"] = json::array(); },
                    "amplifier.bypassGainDb must be an object"},
        MessageCase{"tone stack position as float", [](json& d) { d["amplifier"]["toneStackPosition"] = 2.0; },
                    "amplifier.toneStackPosition must be an integer from 1 to 4"},
        MessageCase{"tone stack position 5", [](json& d) { d["amplifier"]["toneStackPosition"] = 5; }, kTone},
        MessageCase{"tone stack position 0", [](json& d) { d["amplifier"]["toneStackPosition"] = 0; }, kTone},
        MessageCase{"tone stack position 2^32+1",
                    [](json& d) { d["amplifier"]["toneStackPosition"] = std::uint64_t{4294967297}; }, kTone},
        MessageCase{"tone stack position -(2^32)+1",
                    [](json& d) { d["amplifier"]["toneStackPosition"] = std::int64_t{-4294967295}; }, kTone},
        MessageCase{"trims missing", [](json& d) { d.erase("trims"); }, kInvalid + "[json.exception.out_of_range.403]",
                    true},
        MessageCase{"output trim -120.5", [](json& d) { d["trims"]["outputGainDb"] = -120.5; }, kTrims},
        MessageCase{"input trim 24.5", [](json& d) { d["trims"]["inputGainDb"] = 24.5; }, kTrims},
        MessageCase{"knob 100.0001", [](json& d) { d["amplifier"]["knobs"]["treble"] = 100.0001; },
                    "amplifier.knobs.treble must be a finite number from 0 to 100"},
        MessageCase{"knob below 0", [](json& d) { d["amplifier"]["knobs"]["gain"] = -0.5; },
                    "amplifier.knobs.gain must be a finite number from 0 to 100"},
        MessageCase{"bypass 60.5", [](json& d) { d["amplifier"]["bypassGainDb"]["powerAmp"] = 60.5; },
                    "amplifier.bypassGainDb.powerAmp must be from -60 to +60 dB"},
        MessageCase{"bad stamp", [](json& d) { d["createdAt"] = "2024-03-05 17:04:09Z"; }, kStampMessage},
        MessageCase{"bad stamp and bad knob",
                    [](json& d) {
                      d["createdAt"] = "yesterday";
                      d["amplifier"]["knobs"]["gain"] = 120.0;
                    },
                    kStampMessage},
        MessageCase{"bad stamp and 2^32+1 tone stack position",
                    [](json& d) {
                      d["createdAt"] = "2024-13-05T17:04:09Z";
                      d["amplifier"]["toneStackPosition"] = std::uint64_t{4294967297};
                    },
                    kStampMessage},
        MessageCase{"bad tone stack and bad trim",
                    [](json& d) {
                      d["amplifier"]["toneStackPosition"] = 9;
                      d["trims"]["inputGainDb"] = 99.0;
                    },
                    kTone}));

TEST(ParseDesignJson, RoundTripYieldsAnEqualRecord) {
  const Design design = SampleDesign();
  Design read;
  std::string error = "stale";
  ASSERT_TRUE(ParseDesignJson(BuildDesignJson(design), read, error)) << error;
  EXPECT_EQ(error, "");
  EXPECT_EQ(read, design);
}

TEST(ParseDesignJson, BoundaryValuesPass) {
  json document = SampleDocument();
  document["amplifier"]["knobs"]["gain"] = 100.0;
  document["amplifier"]["knobs"]["bass"] = 0;
  document["amplifier"]["bypassGainDb"]["preamp1"] = -60;
  document["trims"]["outputGainDb"] = -120;
  document["trims"]["inputGainDb"] = 24;
  document["formatVersion"] = std::uint64_t{1};
  document["amplifier"]["dna"][3] = 255;
  Design read;
  std::string error;
  ASSERT_TRUE(ParseDesignJson(document, read, error)) << error;
  EXPECT_EQ(read.amplifier.knobs[0], 100.0);
  EXPECT_EQ(read.amplifier.dna[3], 255);
}

TEST(ParseDesignJson, OptionalKeysDefaultAndExtraKeysAreIgnored) {
  json document = SampleDocument();
  document.erase("playerControlValues");
  document["amplifier"].erase("toneStackPosition");
  document["comment"] = "added by hand";
  Design read;
  std::string error;
  ASSERT_TRUE(ParseDesignJson(document, read, error)) << error;
  EXPECT_TRUE(read.playerControlValues.empty());
  EXPECT_EQ(read.amplifier.toneStackPosition, 4);
}

TEST(BuildDesignJson, WritesDoublesAsFloatsAndBytesAsUnsigned) {
  Design design;
  design.createdAt = kStamp;
  design.amplifier.dna[0] = 7;
  design.playerControlValues = {3.0};
  const json document = BuildDesignJson(design);
  EXPECT_TRUE(document["amplifier"]["knobs"]["gain"].is_number_float());
  EXPECT_TRUE(document["amplifier"]["bypassGainDb"]["toneStack"].is_number_float());
  EXPECT_TRUE(document["trims"]["inputGainDb"].is_number_float());
  EXPECT_TRUE(document["playerControlValues"][0].is_number_float());
  EXPECT_TRUE(document["amplifier"]["dna"][0].is_number_unsigned());
  EXPECT_TRUE(document["formatVersion"].is_number_integer());
  EXPECT_EQ(document["format"], "com.vellumtone.orvane.design");
  EXPECT_EQ(document["amplifier"].dump().substr(0, 56),
            R"({"bypassGainDb":{"powerAmp":0.0,"preamp1":0.0,"preamp2":)");
}

TEST(ValidateDesign, RejectsNonFiniteValues) {
  std::string error;
  Design design;
  design.trims.outputGainDb = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(ValidateDesign(design, error));
  EXPECT_EQ(error, kTrims);
  design = Design{};
  design.amplifier.knobs[6] = std::numeric_limits<double>::infinity();
  EXPECT_FALSE(ValidateDesign(design, error));
  EXPECT_EQ(error, "amplifier.knobs.presence must be a finite number from 0 to 100");
  design = Design{};
  design.amplifier.bypassGainDb[4] = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(ValidateDesign(design, error));
  EXPECT_EQ(error, "amplifier.bypassGainDb.toneStack must be from -60 to +60 dB");
}

TEST(IsUtcTimestamp, ChecksShapeAndFieldRanges) {
  EXPECT_TRUE(IsUtcTimestamp("2024-03-05T17:04:09Z"));
  EXPECT_TRUE(IsUtcTimestamp("2023-02-31T00:00:00Z"));  // day is not checked against the month
  EXPECT_TRUE(IsUtcTimestamp("0000-12-31T23:59:59Z"));
  EXPECT_FALSE(IsUtcTimestamp("2024-03-05T17:04:09"));
  EXPECT_FALSE(IsUtcTimestamp("2024-03-05T17:04:09Z "));
  EXPECT_FALSE(IsUtcTimestamp("2024-00-05T17:04:09Z"));
  EXPECT_FALSE(IsUtcTimestamp("2024-13-05T17:04:09Z"));
  EXPECT_FALSE(IsUtcTimestamp("2024-03-00T17:04:09Z"));
  EXPECT_FALSE(IsUtcTimestamp("2024-03-32T17:04:09Z"));
  EXPECT_FALSE(IsUtcTimestamp("2024-03-05T24:04:09Z"));
  EXPECT_FALSE(IsUtcTimestamp("2024-03-05T17:60:09Z"));
  EXPECT_FALSE(IsUtcTimestamp("2024-03-05T17:04:60Z"));
  EXPECT_FALSE(IsUtcTimestamp("2024/03/05T17:04:09Z"));
  EXPECT_FALSE(IsUtcTimestamp("2024-03-05t17:04:09Z"));
  EXPECT_FALSE(IsUtcTimestamp("2O24-03-05T17:04:09Z"));
}

}  // namespace
}  // namespace orvane
