#include "editor/dna_value_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/comma_locale.h"

namespace orvane::testing {
namespace {

constexpr std::size_t kTextSize = 32;

TEST(DnaValueFormat, PhysicalValuesChangeUnitPickDecimalsAndFormat) {
  struct Case {
    double value;
    const char* unit;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {2500.0, "Hz", "2.50 kHz"}, {999.6, "Hz", "999.6 Hz"},  {1000.0, "Hz", "1.00 kHz"},
      {9999.0, "Hz", "10.00 kHz"},  // decimals from the unrounded value
      {4.5, "V", "4.50 V"},       {-12.0, "dB", "-12.0 dB"}, {0.0, "dB", "+0.00 dB"},
      {0.7, ".", "0.70"},         {42.0, "%", "42.0"},       {3.14159, "", "3.14"},
  };
  for (const Case& c : cases) {
    char out[kTextSize];
    EXPECT_TRUE(FormatPhysicalValue(c.value, c.unit, out, sizeof out)) << c.expected;
    EXPECT_STREQ(out, c.expected);
  }
}

TEST(DnaValueFormat, BytesGoThroughTheTablesRangeAndTaper) {
  struct Case {
    int index;
    std::uint8_t byte;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {1, 0, "100.0 Hz"},     // cubic: byte 0 is exactly the minimum
      {1, 255, "10.0 kHz"},  // and 255 the maximum
      {62, 0, "-4.50 V"},     {62, 255, "-600.0 V"},  // the negative rail
      {0, 96, "135.3 Hz"},    {2, 160, "+8.16 dB"},  {4, 208, "327.7 V"}, {52, 85, "0.47"},
  };
  for (const Case& c : cases) {
    char out[kTextSize];
    EXPECT_TRUE(FormatDnaValue(c.index, c.byte, out, sizeof out)) << c.index;
    EXPECT_STREQ(out, c.expected) << c.index;
  }
}

TEST(DnaValueFormat, BadArgumentsAnswerFalse) {
  char untouched[kTextSize] = "keep";
  EXPECT_FALSE(FormatDnaValue(0, 96, nullptr, kTextSize));
  EXPECT_FALSE(FormatDnaValue(0, 96, untouched, 0));
  EXPECT_STREQ(untouched, "keep");
  for (const int index : {73, -1, 1000}) {
    char out[kTextSize] = "old";
    EXPECT_FALSE(FormatDnaValue(index, 96, out, sizeof out)) << index;
    EXPECT_STREQ(out, "") << index;
  }
}

TEST(DnaValueFormat, WritesAPointUnderACommaDecimalLocale) {
  ScopedCommaDecimalLocale comma;
  if (!comma.Active()) GTEST_SKIP() << "no comma-decimal locale on this machine";
  char out[kTextSize];
  ASSERT_TRUE(FormatDnaValue(4, 0, out, sizeof out));
  EXPECT_STREQ(out, "4.50 V");
}

}  // namespace
}  // namespace orvane::testing
