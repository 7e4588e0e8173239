#include "framework/plugin_api_base.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/alloc_counter.h"
#include "test_plugin.h"

namespace plugkit {
namespace {

using testing::MakeTestConfig;
using testing::TestPlugin;

struct NullTimer : Timer {
  void Stop() override {}
};

void InitLinear(IParam& param, double defaultValue, double min, double max, double step, int flags = 0) {
  param.Init("P", "", flags, "", IParam::ShapeLinear(), IParam::kUnitCustom, nullptr, defaultValue, min, max, step);
}

void Tick(TestPlugin& plugin) {
  NullTimer timer;
  plugin.OnIdleTick(timer);
}

TEST(IPluginAPIBaseTest, ConstructionCopiesTheConfiguration) {
  TestPlugin plugin;
  EXPECT_STREQ(plugin.GetPluginName(), "Orvane");
  EXPECT_STREQ(plugin.GetMfrName(), "Vellumtone");
  EXPECT_EQ(plugin.GetPluginVersion(false), 0x00010004);
  EXPECT_EQ(plugin.GetUniqueID(), MakeFourCC("Orvn"));
  EXPECT_TRUE(plugin.HasUI());
  EXPECT_TRUE(plugin.DoesStateChunks());
  EXPECT_TRUE(plugin.GetHostResizeEnabled());
  EXPECT_EQ(plugin.GetEditorWidth(), 1392);
  EXPECT_EQ(plugin.GetEditorHeight(), 783);
  EXPECT_EQ(plugin.GetAPI(), kAPIAU);
  EXPECT_STREQ(plugin.GetBundleID(), "com.vellumtone.orvane");
  EXPECT_EQ(plugin.NPresets(), 1);
  EXPECT_EQ(plugin.GetHost(), kHostUninit);
  EXPECT_EQ(plugin.GetHostVersion(false), 0);
}

TEST(IPluginAPIBaseTest, NamesAreCutAt128CharactersWithoutSplittingACharacter) {
  const std::string longName(200, 'n');
  // 127 ASCII bytes then a two-byte character that would end past byte 128.
  const std::string accented = std::string(127, 'a') + "\xC3\xA9" + "tail";
  PluginConfig config = MakeTestConfig();
  config.pluginName = longName.c_str();
  config.productName = accented.c_str();
  config.mfrName = nullptr;
  TestPlugin plugin(config);
  EXPECT_EQ(std::string(plugin.GetPluginName()), std::string(128, 'n'));
  EXPECT_EQ(std::string(plugin.GetProductName()), std::string(127, 'a'));
  EXPECT_STREQ(plugin.GetMfrName(), "");
}

TEST(IPluginAPIBaseTest, SwappedEditorLimitsAreStoredInOrder) {
  PluginConfig config = MakeTestConfig();
  config.plugMinWidth = 4176;
  config.plugMaxWidth = 464;
  config.plugMinHeight = 2349;
  config.plugMaxHeight = 261;
  TestPlugin plugin(config);
  EXPECT_EQ(plugin.MinWidth(), 464);
  EXPECT_EQ(plugin.MaxWidth(), 4176);
  EXPECT_EQ(plugin.MinHeight(), 261);
  EXPECT_EQ(plugin.MaxHeight(), 2349);
}

TEST(IPluginAPIBaseTest, ParameterQueueHolds512ValuesAndOneTickEmptiesIt) {
  TestPlugin plugin;
  plugin.OpenIdleTickGate();
  for (int i = 0; i < 513; ++i) plugin.QueueParamValueForEditor(0, i, false);
  EXPECT_EQ(plugin.ParamQueueSize(), 512u);
  Tick(plugin);
  ASSERT_EQ(plugin.mParamValues.size(), 512u);
  EXPECT_DOUBLE_EQ(plugin.mParamValues.back(), 511.0);  // the 513th was dropped
  EXPECT_EQ(plugin.ParamQueueSize(), 0u);
  EXPECT_EQ(plugin.mLog.back(), "idle");
}

TEST(IPluginAPIBaseTest, TickDrainsParametersThenMidiThenSysExThenCallsOnIdle) {
  TestPlugin plugin;
  plugin.OpenIdleTickGate();
  const uint8_t sysex[] = {0xF0, 0x7D, 0xF7};
  plugin.PushSysExFromProcessor(ISysExMsg(0, sysex, 3));
  plugin.PushMidiFromProcessor(IMidiMsg(0, 0x90, 60, 100));
  plugin.QueueParamValueForEditor(2, 0.5, false);
  plugin.PushMidiFromProcessor(IMidiMsg(0, 0xB0, 7, 1));
  Tick(plugin);
  EXPECT_EQ(plugin.mLog, (std::vector<std::string>{"param 2 0.500000", "midi 144", "midi 176", "sysex 3", "idle"}));
  ASSERT_EQ(plugin.mSysEx.size(), 1u);
  EXPECT_EQ(plugin.mSysEx[0], (std::vector<uint8_t>{0xF0, 0x7D, 0xF7}));
}

TEST(IPluginAPIBaseTest, TickWithEmptyQueuesOnlyCallsOnIdle) {
  TestPlugin plugin;
  plugin.OpenIdleTickGate();
  Tick(plugin);
  EXPECT_EQ(plugin.mLog, std::vector<std::string>{"idle"});
}

TEST(IPluginAPIBaseTest, ClosedGateKeepsTicksAwayBeforeOpeningAndAfterStopping) {
  TestPlugin plugin;
  plugin.QueueParamValueForEditor(0, 1.0, false);
  Tick(plugin);
  EXPECT_TRUE(plugin.mLog.empty());
  EXPECT_EQ(plugin.ParamQueueSize(), 1u);  // left for the first real tick

  plugin.OpenIdleTickGate();
  Tick(plugin);
  EXPECT_EQ(plugin.mLog.size(), 2u);

  plugin.StopIdleTimer();
  plugin.StopIdleTimer();
  Tick(plugin);
  EXPECT_EQ(plugin.mLog.size(), 2u);
}

TEST(IPluginAPIBaseTest, NormalisedHostValuesAreQueuedAsConstrainedPlainValues) {
  TestPlugin plugin(MakeTestConfig(1));
  InitLinear(*plugin.GetParam(0), 0.0, -10.0, 10.0, 0.5, IParam::kFlagStepped);
  plugin.OpenIdleTickGate();
  plugin.QueueParamValueForEditor(0, 0.76, true);  // 5.2 snaps to 5.0
  plugin.QueueParamValueForEditor(0, 3.0, false);  // plain values pass as they are
  Tick(plugin);
  EXPECT_EQ(plugin.mParamValues, (std::vector<double>{5.0, 3.0}));
}

TEST(IPluginAPIBaseTest, SysExLongerThanARecordIsDroppedAndShortOnesKeepTheirSize) {
  TestPlugin plugin;
  std::vector<uint8_t> tooLong(600, 0x11);
  plugin.QueueSysExFromEditor(ISysExMsg(0, tooLong.data(), 600));
  EXPECT_EQ(plugin.SysExToRenderQueueSize(), 0u);

  std::vector<uint8_t> shortMsg(100);
  for (size_t i = 0; i < shortMsg.size(); ++i) shortMsg[i] = static_cast<uint8_t>(i);
  plugin.QueueSysExFromEditor(ISysExMsg(7, shortMsg.data(), 100));
  ASSERT_TRUE(plugin.PopSysExForRender());
  const SysExData& record = plugin.RenderSysExBuf();
  EXPECT_EQ(record.mOffset, 7);
  EXPECT_EQ(record.mSize, 100);
  EXPECT_EQ(std::memcmp(record.mData, shortMsg.data(), 100), 0);
  EXPECT_EQ(record.mData[100], 0);  // the rest of the record is zero

  plugin.QueueSysExFromEditor(ISysExMsg(0, nullptr, 4));  // no data: zeros of the stated size
  ASSERT_TRUE(plugin.PopSysExForRender());
  EXPECT_EQ(plugin.RenderSysExBuf().mSize, 4);
  EXPECT_EQ(plugin.RenderSysExBuf().mData[0], 0);
  plugin.QueueSysExFromEditor(ISysExMsg(0, shortMsg.data(), -1));
  EXPECT_FALSE(plugin.PopSysExForRender());
}

TEST(IPluginAPIBaseTest, SysExTowardsTheEditorArrivesWithItsOwnSize) {
  TestPlugin plugin;
  plugin.OpenIdleTickGate();
  std::vector<uint8_t> message(100, 0x42);
  std::vector<uint8_t> tooLong(600, 0x42);
  EXPECT_TRUE(plugin.PushSysExFromProcessor(ISysExMsg(0, message.data(), 100)));
  EXPECT_FALSE(plugin.PushSysExFromProcessor(ISysExMsg(0, tooLong.data(), 600)));
  Tick(plugin);
  ASSERT_EQ(plugin.mSysEx.size(), 1u);
  EXPECT_EQ(plugin.mSysEx[0], message);
}

TEST(IPluginAPIBaseTest, EditorMidiQueueHolds32AndDropsWhenFull) {
  TestPlugin plugin;
  for (int i = 0; i < 40; ++i) plugin.SendMidiFromEditor(IMidiMsg(i, 0x90, 60, 1));
  EXPECT_EQ(plugin.MidiToRenderQueueSize(), 32u);
  IMidiMsg msg;
  int popped = 0;
  while (plugin.PopMidiForRender(msg)) EXPECT_EQ(msg.mOffset, popped++);
  EXPECT_EQ(popped, 32);
}

TEST(IPluginAPIBaseTest, EditorSysExQueueHoldsFour) {
  TestPlugin plugin;
  const uint8_t data[] = {0xF0, 0xF7};
  for (int i = 0; i < 6; ++i) plugin.SendSysExFromEditor(ISysExMsg(i, data, 2));
  EXPECT_EQ(plugin.SysExToRenderQueueSize(), 4u);
}

TEST(IPluginAPIBaseTest, TheRenderAndMidiEndsOfTheQueuesNeverAllocate) {
  TestPlugin plugin;
  const uint8_t sysex[] = {0xF0, 0x7D, 0x01, 0xF7};
  plugin.QueueMidiFromEditor(IMidiMsg(0, 0x90, 60, 100));
  plugin.QueueSysExFromEditor(ISysExMsg(0, sysex, 4));
  IMidiMsg msg;
  orvane::testing::ScopedAllocationCount allocations;
  EXPECT_TRUE(plugin.PopMidiForRender(msg));
  EXPECT_TRUE(plugin.PopSysExForRender());
  EXPECT_TRUE(plugin.PushMidiFromProcessor(IMidiMsg(0, 0xB0, 1, 2)));
  EXPECT_TRUE(plugin.PushSysExFromProcessor(ISysExMsg(0, sysex, 4)));
  EXPECT_EQ(allocations.Count(), 0u);
}

TEST(IPluginAPIBaseTest, ParameterSetFromTheEditorReachesHostPluginAndEditor) {
  TestPlugin plugin(MakeTestConfig(1));
  InitLinear(*plugin.GetParam(0), 0.0, -10.0, 10.0, 0.5, IParam::kFlagStepped);
  plugin.BeginParamEditFromEditor(0);
  plugin.SetParamFromEditor(0, 0.76);
  plugin.EndParamEditFromEditor(0);
  EXPECT_DOUBLE_EQ(plugin.GetParam(0)->Value(), 5.0);
  EXPECT_EQ(plugin.mLog, (std::vector<std::string>{"begin 0", "host value 0 0.760000", "changed 0 3 -1", "shown 0 3",
                                                   "end 0"}));
  plugin.mLog.clear();
  plugin.SetParamFromEditor(5, 0.5);  // no such parameter
  EXPECT_TRUE(plugin.mLog.empty());
}

TEST(IPluginAPIBaseTest, AllValuesAreReportedNormalisedInIndexOrder) {
  TestPlugin plugin(MakeTestConfig(2));
  InitLinear(*plugin.GetParam(0), 5.0, 0.0, 10.0, 0.1);
  InitLinear(*plugin.GetParam(1), 0.0, 0.0, 10.0, 0.1);
  plugin.GetParam(1)->Set(20.0);
  plugin.ReportAllParamValuesToHost();
  EXPECT_EQ(plugin.mLog, (std::vector<std::string>{"host value 0 0.500000", "host value 1 1.000000"}));
}

TEST(IPluginAPIBaseTest, StateMatchesComparesInSinglePrecision) {
  TestPlugin plugin(MakeTestConfig(2));
  InitLinear(*plugin.GetParam(0), 1.0, 0.0, 10.0, 0.0);
  InitLinear(*plugin.GetParam(1), 2.0, 0.0, 10.0, 0.0);
  const double close[] = {9.0, 1.000001, 2.0};
  const double apart[] = {1.0, 2.001};
  EXPECT_TRUE(plugin.StateMatches(close, 1));
  EXPECT_FALSE(plugin.StateMatches(apart, 0));
  EXPECT_TRUE(TestPlugin().StateMatches(nullptr, 0));
}

TEST(IPluginAPIBaseTest, ParamIndicesAreListedOnlyForACountBelowTheParameterCount) {
  TestPlugin plugin(MakeTestConfig(3));
  std::vector<int> indices;
  plugin.ListParamIndices(2, indices);
  EXPECT_EQ(indices, (std::vector<int>{0, 1}));
  indices.clear();
  plugin.ListParamIndices(3, indices);
  plugin.ListParamIndices(0, indices);
  EXPECT_TRUE(indices.empty());
}

TEST(IPluginAPIBaseTest, EditorResizeGoesToTheHostOnlyWhenThePlatformMustResize) {
  TestPlugin plugin;
  EXPECT_TRUE(plugin.RequestEditorResize(800, 600, false));
  EXPECT_TRUE(plugin.mLog.empty());
  EXPECT_TRUE(plugin.RequestEditorResize(800, 600, true));
  EXPECT_EQ(plugin.mLog, std::vector<std::string>{"host resize 800x600"});
}

}  // namespace
}  // namespace plugkit
