#include "framework/channel_io_config.h"

#include <gtest/gtest.h>

#include <vector>

namespace plugkit {
namespace {

struct Parsed {
  std::vector<IOConfig> configs;
  int count = 0;
  int nIn = -1;
  int nOut = -1;
  int nInBuses = -1;
  int nOutBuses = -1;
};

Parsed Parse(const char* text) {
  Parsed p;
  p.count = ParseChannelIOStr(text, p.configs, p.nIn, p.nOut, p.nInBuses, p.nOutBuses);
  return p;
}

std::vector<int> Counts(const IOConfig& config, ERoute direction) {
  std::vector<int> counts;
  for (const IBusInfo& bus : config.Buses(direction)) {
    EXPECT_EQ(bus.mDirection, direction);
    counts.push_back(bus.mNChans);
  }
  return counts;
}

TEST(ParseChannelIOStr, ProductConfigurationGivesTwoConfigurations) {
  const Parsed p = Parse("1-2 1-1");
  ASSERT_EQ(p.count, 2);
  EXPECT_EQ(Counts(p.configs[0], kInput), std::vector<int>{1});
  EXPECT_EQ(Counts(p.configs[0], kOutput), std::vector<int>{2});
  EXPECT_EQ(Counts(p.configs[1], kInput), std::vector<int>{1});
  EXPECT_EQ(Counts(p.configs[1], kOutput), std::vector<int>{1});
  EXPECT_EQ(p.nIn, 1);
  EXPECT_EQ(p.nOut, 2);
  EXPECT_EQ(p.nInBuses, 1);
  EXPECT_EQ(p.nOutBuses, 1);
}

TEST(ParseChannelIOStr, WildcardSidesAreOneBusOfMinus64) {
  const Parsed p = Parse("*-*");
  ASSERT_EQ(p.count, 1);
  EXPECT_EQ(Counts(p.configs[0], kInput), std::vector<int>{IBusInfo::kWildcardChannels});
  EXPECT_EQ(Counts(p.configs[0], kOutput), std::vector<int>{IBusInfo::kWildcardChannels});
  EXPECT_TRUE(p.configs[0].ContainsWildcard(kInput));
  EXPECT_EQ(p.configs[0].NChansOnBusSum(kOutput), -64);
  // Totals never go below zero, so nothing is sized negatively from them.
  EXPECT_EQ(p.nIn, 0);
  EXPECT_EQ(p.nOut, 0);
  EXPECT_EQ(p.nInBuses, 1);
}

TEST(ParseChannelIOStr, ZeroCountsMakeNoBus) {
  const Parsed p = Parse("0-2");
  ASSERT_EQ(p.count, 1);
  EXPECT_EQ(p.configs[0].NBuses(kInput), 0);
  EXPECT_EQ(Counts(p.configs[0], kOutput), std::vector<int>{2});
  EXPECT_EQ(p.nIn, 0);
  EXPECT_EQ(p.nInBuses, 0);
}

TEST(ParseChannelIOStr, SeveralBusesAddUpPerSide) {
  const Parsed p = Parse("2.1-2 0-1.1.1");
  ASSERT_EQ(p.count, 2);
  EXPECT_EQ(Counts(p.configs[0], kInput), (std::vector<int>{2, 1}));
  EXPECT_EQ(Counts(p.configs[1], kOutput), (std::vector<int>{1, 1, 1}));
  EXPECT_EQ(p.nIn, 3);
  EXPECT_EQ(p.nOut, 3);
  EXPECT_EQ(p.nInBuses, 2);
  EXPECT_EQ(p.nOutBuses, 3);
}

TEST(ParseChannelIOStr, UnreadablePiecesReadAsZeroAndExtraSidesAreIgnored) {
  const Parsed p = Parse("x-2abc-7  2");
  ASSERT_EQ(p.count, 2);
  EXPECT_EQ(p.configs[0].NBuses(kInput), 0);
  EXPECT_EQ(Counts(p.configs[0], kOutput), std::vector<int>{2});
  // A configuration without "-" has only an input side.
  EXPECT_EQ(Counts(p.configs[1], kInput), std::vector<int>{2});
  EXPECT_EQ(p.configs[1].NBuses(kOutput), 0);
}

TEST(ParseChannelIOStr, EmptyOrNullTextGivesNoConfiguration) {
  EXPECT_EQ(Parse("").count, 0);
  EXPECT_EQ(Parse("   ").count, 0);
  EXPECT_EQ(Parse(nullptr).count, 0);
}

}  // namespace
}  // namespace plugkit
