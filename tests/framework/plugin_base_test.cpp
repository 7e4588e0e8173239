#include "framework/plugin_base.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "recording_plugin.h"

namespace plugkit {
namespace {

using testing::RecordingPlugin;

IStateChunk ChunkOf(std::initializer_list<double> values) {
  IStateChunk chunk;
  for (double value : values) chunk.Put(value);
  return chunk;
}

void InitGains(IPluginBase& plugin) {
  for (int i = 0; i < plugin.NParams(); ++i) plugin.GetParam(i)->InitGain("G", 0.0, -10.0, 10.0, 0.1);
}

TEST(IPluginBaseTest, ConstructorCreatesParametersAndUnfilledPresetSlots) {
  RecordingPlugin plugin(2, 3);
  EXPECT_EQ(plugin.NParams(), 2);
  EXPECT_EQ(plugin.NPresets(), 3);
  EXPECT_EQ(plugin.GetCurrentPresetIdx(), 0);
  EXPECT_STREQ(plugin.GetPresetName(2), "empty");
  EXPECT_STREQ(plugin.GetPresetName(3), "");
  EXPECT_EQ(plugin.GetHost(), kHostUninit);
  EXPECT_STREQ(plugin.GetPluginName(), "");
}

TEST(IPluginBaseTest, ParamGroupNamesAreRegisteredInOrder) {
  RecordingPlugin plugin(0, 0);
  EXPECT_EQ(plugin.AddParamGroup("amp"), 1);
  EXPECT_EQ(plugin.AddParamGroup("cab"), 2);
  EXPECT_STREQ(plugin.GetParamGroupName(1), "cab");
  EXPECT_EQ(plugin.GetParamGroupName(2), nullptr);
}

TEST(ParamValuesChunkTest, WithoutParametersWritesNothingAndReadingStillNotifies) {
  RecordingPlugin plugin(0, 0);
  IStateChunk chunk;
  EXPECT_TRUE(plugin.WriteParamValues(chunk));
  EXPECT_EQ(chunk.Size(), 0);
  EXPECT_EQ(plugin.ReadParamValues(chunk, 5), 5);
  EXPECT_EQ(plugin.mLog, std::vector<std::string>{"reset 2"});
}

TEST(ParamValuesChunkTest, HoldsEightBytesPerParameterAndNothingElse) {
  RecordingPlugin plugin(3, 0);
  InitGains(plugin);
  for (int i = 0; i < 3; ++i) plugin.GetParam(i)->Set(i + 0.5);
  IStateChunk chunk;
  chunk.Put(int32_t{77});  // the values may start anywhere
  ASSERT_TRUE(plugin.WriteParamValues(chunk));
  ASSERT_EQ(chunk.Size(), 4 + 24);
  double second = 0.0;
  std::memcpy(&second, chunk.GetData() + 4 + 8, 8);
  EXPECT_EQ(second, 1.5);

  for (int i = 0; i < 3; ++i) plugin.GetParam(i)->Set(0.0);
  EXPECT_EQ(plugin.ReadParamValues(chunk, 4), 28);
  EXPECT_EQ(plugin.GetParam(2)->Value(), 2.5);
  EXPECT_EQ(plugin.mLog.front(), "reset 2");
  EXPECT_EQ(plugin.mLog.size(), 1u + 3 * 2);
}

TEST(ParamValuesChunkTest, AChunkOneByteShortAppliesAllButTheLastValue) {
  RecordingPlugin plugin(3, 0);
  InitGains(plugin);
  IStateChunk chunk = ChunkOf({1.0, 2.0, 3.0});
  chunk.Resize(chunk.Size() - 1);
  EXPECT_EQ(plugin.ReadParamValues(chunk, 0), -1);
  EXPECT_EQ(plugin.GetParam(0)->Value(), 1.0);
  EXPECT_EQ(plugin.GetParam(1)->Value(), 2.0);
  EXPECT_EQ(plugin.GetParam(2)->Value(), 0.0);
  EXPECT_EQ(plugin.mLog.front(), "reset 2");

  EXPECT_EQ(plugin.ReadParamValues(chunk, -1), -1);
  EXPECT_EQ(plugin.ReadParamValues(chunk, 100), -1);
}

TEST(ParamValuesChunkTest, ReadValuesAreSnappedAndClamped) {
  RecordingPlugin plugin(2, 0);
  plugin.GetParam(0)->Init("S", "", IParam::kFlagStepped, "", IParam::ShapeLinear(), IParam::kUnitCustom, nullptr,
                           0.0, 0.0, 10.0, 0.5);
  plugin.GetParam(1)->InitGain("G", 0.0, -10.0, 10.0, 0.1);
  EXPECT_EQ(plugin.ReadParamValues(ChunkOf({0.74, 25.0}), 0), 16);
  EXPECT_EQ(plugin.GetParam(0)->Value(), 0.5);
  EXPECT_EQ(plugin.GetParam(1)->Value(), 10.0);
}

TEST(ParamValuesChunkTest, NonFiniteValuesAreSkippedAndReadingContinues) {
  RecordingPlugin plugin(4, 0);
  InitGains(plugin);
  for (int i = 0; i < 4; ++i) plugin.GetParam(i)->Set(-1.0);
  const IStateChunk chunk = ChunkOf({std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                                     -std::numeric_limits<double>::infinity(), 4.0});
  EXPECT_EQ(plugin.ReadParamValues(chunk, 0), 32);
  EXPECT_EQ(plugin.GetParam(0)->Value(), -1.0);
  EXPECT_EQ(plugin.GetParam(1)->Value(), -1.0);
  EXPECT_EQ(plugin.GetParam(2)->Value(), -1.0);
  EXPECT_EQ(plugin.GetParam(3)->Value(), 4.0);
}

TEST(ParamRangeTest, DefaultsByAllRangeAndGroup) {
  RecordingPlugin plugin(4, 0);
  for (int i = 0; i < 4; ++i) {
    plugin.GetParam(i)->InitGain("G", i, -10.0, 10.0, 0.1, 0, i < 2 ? "a" : "b");
    plugin.GetParam(i)->Set(9.0);
  }
  plugin.DefaultParamValues(1, 1);
  EXPECT_EQ(plugin.GetParam(0)->Value(), 9.0);
  EXPECT_EQ(plugin.GetParam(1)->Value(), 1.0);
  plugin.DefaultParamValues("b");
  EXPECT_EQ(plugin.GetParam(3)->Value(), 3.0);
  EXPECT_EQ(plugin.GetParam(0)->Value(), 9.0);
  plugin.DefaultParamValues();
  EXPECT_EQ(plugin.GetParam(0)->Value(), 0.0);
}

TEST(ParamRangeTest, ForParamInRangeIsInclusiveAndSkipsMissingIndices) {
  RecordingPlugin plugin(3, 0);
  std::vector<int> visited;
  plugin.ForParamInRange(-2, 7, [&](int i, IParam&) { visited.push_back(i); });
  EXPECT_EQ(visited, (std::vector<int>{0, 1, 2}));
  visited.clear();
  plugin.ForParamInRange(1, 1, [&](int i, IParam&) { visited.push_back(i); });
  EXPECT_EQ(visited, std::vector<int>{1});
}

TEST(ParamRangeTest, ForParamInGroupComparesExactly) {
  RecordingPlugin plugin(3, 0);
  plugin.GetParam(0)->InitGain("A", 0, -1, 1, 0.1, 0, "Amp");
  plugin.GetParam(1)->InitGain("B", 0, -1, 1, 0.1, 0, "amp");
  plugin.GetParam(2)->InitGain("C", 0, -1, 1, 0.1, 0, "Amp");
  std::vector<int> visited;
  plugin.ForParamInGroup("Amp", [&](int i, IParam&) { visited.push_back(i); });
  EXPECT_EQ(visited, (std::vector<int>{0, 2}));
  plugin.ForParamInGroup(nullptr, [&](int i, IParam&) { visited.push_back(i); });
  EXPECT_EQ(visited.size(), 2u);
}

TEST(ParamRangeTest, RandomValuesStayInRangeAndOnTheStep) {
  RecordingPlugin plugin(3, 0);
  plugin.GetParam(0)->InitInt("I", 0, 3, 9);
  plugin.GetParam(1)->Init("S", "", IParam::kFlagStepped, "", IParam::ShapeLinear(), IParam::kUnitCustom, nullptr,
                           0.3, 0.3, 2.3, 1.0);  // bounds off the step grid
  plugin.GetParam(2)->InitFrequency("F", 100.0, 20.0, 20000.0, 1.0);
  std::srand(7);
  for (int round = 0; round < 200; ++round) {
    plugin.RandomiseParamValues();
    const double whole = plugin.GetParam(0)->Value();
    EXPECT_EQ(whole, std::round(whole));
    EXPECT_GE(whole, 3.0);
    EXPECT_LE(whole, 9.0);
    EXPECT_GE(plugin.GetParam(1)->Value(), 0.3);
    EXPECT_LE(plugin.GetParam(1)->Value(), 2.3);
    EXPECT_GE(plugin.GetParam(2)->Value(), 20.0);
    EXPECT_LE(plugin.GetParam(2)->Value(), 20000.0);
  }
  plugin.GetParam(0)->Set(-5.0);
  plugin.RandomiseParamValues(1, 2);
  EXPECT_EQ(plugin.GetParam(0)->Value(), -5.0);
}

TEST(ParamRangeTest, InitParamRangeNumbersTheNames) {
  RecordingPlugin plugin(4, 0);
  plugin.InitParamRange(1, 3, 1, "Band %d", 0.5, 0.0, 1.0, 0.01, "x", 0, "eq");
  EXPECT_STREQ(plugin.GetParam(1)->Name(), "Band 1");
  EXPECT_STREQ(plugin.GetParam(3)->Name(), "Band 3");
  EXPECT_STREQ(plugin.GetParam(3)->Group(), "eq");
  EXPECT_EQ(plugin.GetParam(2)->Value(), 0.5);
  EXPECT_EQ(plugin.GetParam(0)->Type(), IParam::kTypeNone);
}

TEST(ParamRangeTest, CopyParamValuesConstrainsToTheDestinationAndHandlesOverlap) {
  RecordingPlugin plugin(4, 0);
  InitGains(plugin);
  plugin.GetParam(3)->InitInt("I", 0, 0, 2);
  for (int i = 0; i < 4; ++i) plugin.GetParam(i)->Set(i + 1.4);
  plugin.CopyParamValues(0, 1, 3);  // overlapping ranges
  EXPECT_EQ(plugin.GetParam(1)->Value(), 1.4);
  EXPECT_EQ(plugin.GetParam(2)->Value(), 2.4);
  EXPECT_EQ(plugin.GetParam(3)->Value(), 2.0);  // 3.4 snapped to 3, clamped to 2
}

TEST(ParamRangeTest, CloneParamRangeCopiesDefinitionsAndValues) {
  RecordingPlugin plugin(4, 0);
  plugin.GetParam(0)->InitGain("Osc1 Gain", 0.0, -10.0, 10.0, 0.1, 0, "osc1");
  plugin.GetParam(1)->InitInt("Osc1 Wave", 0, 0, 3, "", 0, "osc1");
  plugin.GetParam(0)->Set(3.0);
  plugin.GetParam(1)->Set(2.0);
  plugin.CloneParamRange(0, 1, 2, "Osc1", "Osc2", "osc2");
  EXPECT_STREQ(plugin.GetParam(2)->Name(), "Osc2 Gain");
  EXPECT_STREQ(plugin.GetParam(3)->Group(), "osc2");
  EXPECT_EQ(plugin.GetParam(3)->Type(), IParam::kTypeInt);
  EXPECT_EQ(plugin.GetParam(2)->Value(), 3.0);
  EXPECT_EQ(plugin.GetParam(3)->Value(), 2.0);
}

TEST(ParamRangeTest, CopyBetweenGroupsCopiesWhatBothGroupsHave) {
  RecordingPlugin plugin(5, 0);
  const char* groups[] = {"a", "b", "a", "b", "a"};
  for (int i = 0; i < 5; ++i) {
    plugin.GetParam(i)->InitGain("G", 0.0, -10.0, 10.0, 0.1, 0, groups[i]);
    plugin.GetParam(i)->Set(i);
  }
  plugin.CopyParamValuesBetweenGroups("a", "b");  // group b is the smaller one
  EXPECT_EQ(plugin.GetParam(1)->Value(), 0.0);
  EXPECT_EQ(plugin.GetParam(3)->Value(), 2.0);
  EXPECT_EQ(plugin.GetParam(4)->Value(), 4.0);

  plugin.CopyParamValuesBetweenGroups("b", "a");
  EXPECT_EQ(plugin.GetParam(0)->Value(), 0.0);
  EXPECT_EQ(plugin.GetParam(2)->Value(), 2.0);
  EXPECT_EQ(plugin.GetParam(4)->Value(), 4.0);

  plugin.CopyParamValuesBetweenGroups("none", "a");
  EXPECT_EQ(plugin.GetParam(4)->Value(), 4.0);
}

}  // namespace
}  // namespace plugkit
