#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/plugin_base.h"
#include "recording_plugin.h"

namespace plugkit {
namespace {

using testing::RecordingPlugin;

class PresetsTest : public ::testing::Test {
protected:
  static void InitParams(IPluginBase& plugin) {
    for (int i = 0; i < plugin.NParams(); ++i) plugin.GetParam(i)->InitGain("G", 0.0, -10.0, 10.0, 0.1);
  }

  static void PutName(IStateChunk& chunk, int32_t length, const std::string& bytes) {
    chunk.Put(length);
    chunk.PutBytes(bytes.data(), static_cast<int>(bytes.size()));
  }
};

TEST_F(PresetsTest, RecallingAnUnfilledSlotSavesTheCurrentStateThenRestoresIt) {
  RecordingPlugin plugin(2, 2);
  InitParams(plugin);
  plugin.GetParam(0)->Set(1.5);

  ASSERT_TRUE(plugin.RecallPreset(1));
  EXPECT_STREQ(plugin.GetPresetName(1), "user preset 1");
  EXPECT_EQ(plugin.GetCurrentPresetIdx(), 1);
  EXPECT_EQ(plugin.mLog, (std::vector<std::string>{"preset recalled", "state restored", "shown 0 4", "shown 1 4"}));

  plugin.GetParam(0)->Set(-3.0);
  plugin.mLog.clear();
  ASSERT_TRUE(plugin.RecallPreset(1));
  EXPECT_EQ(plugin.GetParam(0)->Value(), 1.5);
  EXPECT_EQ(plugin.mLog.front(), "reset 2");
  EXPECT_STREQ(plugin.GetPresetName(1), "user preset 1");

  ASSERT_TRUE(plugin.RecallPreset(0));
  EXPECT_STREQ(plugin.GetPresetName(0), "user preset 2");
}

TEST_F(PresetsTest, RecallOutsideTheSlotsAndByNameFailsCleanly) {
  RecordingPlugin plugin(2, 2);
  InitParams(plugin);
  EXPECT_FALSE(plugin.RecallPreset(2));
  EXPECT_FALSE(plugin.RecallPreset(-1));
  EXPECT_FALSE(plugin.RecallPresetByName(nullptr));
  EXPECT_FALSE(plugin.RecallPresetByName(""));
  EXPECT_FALSE(plugin.RecallPresetByName("user preset 1"));

  plugin.RecallPreset(1);
  plugin.GetParam(1)->Set(2.0);
  EXPECT_TRUE(plugin.RecallPresetByName("user preset 1"));
  EXPECT_EQ(plugin.GetParam(1)->Value(), 0.0);
}

TEST_F(PresetsTest, DropUnusedPresetsKeepsFilledSlotsInOrder) {
  RecordingPlugin single(0, 1);
  single.DropUnusedPresets();
  EXPECT_EQ(single.NPresets(), 0);
  EXPECT_FALSE(single.RecallPreset(0));

  RecordingPlugin plugin(2, 4);
  InitParams(plugin);
  plugin.RecallPreset(1);
  plugin.RecallPreset(3);
  plugin.DropUnusedPresets();
  ASSERT_EQ(plugin.NPresets(), 2);
  EXPECT_STREQ(plugin.GetPresetName(0), "user preset 1");
  EXPECT_STREQ(plugin.GetPresetName(1), "user preset 2");
}

TEST_F(PresetsTest, ModifyCurrentPresetRewritesItsStateAndRenamesIt) {
  RecordingPlugin plugin(2, 1);
  InitParams(plugin);
  plugin.RecallPreset(0);
  plugin.GetParam(0)->Set(4.0);
  EXPECT_TRUE(plugin.ModifyCurrentPreset("mine"));
  EXPECT_STREQ(plugin.GetPresetName(0), "mine");
  plugin.GetParam(0)->Set(0.0);
  EXPECT_TRUE(plugin.ModifyCurrentPreset(""));
  EXPECT_STREQ(plugin.GetPresetName(0), "mine");
  plugin.GetParam(0)->Set(7.0);
  plugin.RecallPreset(0);
  EXPECT_EQ(plugin.GetParam(0)->Value(), 0.0);
}

TEST_F(PresetsTest, SerializedPresetsRoundTrip) {
  RecordingPlugin source(2, 3);
  InitParams(source);
  source.GetParam(0)->Set(1.0);
  source.RecallPreset(0);
  source.GetParam(0)->Set(2.0);
  source.RecallPreset(2);
  IStateChunk chunk;
  ASSERT_TRUE(source.SerializePresets(chunk));
  // name "user preset 1" (4 + 13), flag, 16 value bytes; "empty" (4 + 5), flag; "user preset 2", flag, 16
  EXPECT_EQ(chunk.Size(), (17 + 1 + 16) + (9 + 1) + (17 + 1 + 16));

  RecordingPlugin target(2, 3);
  InitParams(target);
  EXPECT_EQ(target.UnserializePresets(chunk, 0), chunk.Size());
  EXPECT_STREQ(target.GetPresetName(0), "user preset 1");
  EXPECT_STREQ(target.GetPresetName(1), "empty");
  EXPECT_STREQ(target.GetPresetName(2), "user preset 2");
  ASSERT_TRUE(target.RecallPreset(0));
  EXPECT_EQ(target.GetParam(0)->Value(), 1.0);
  ASSERT_TRUE(target.RecallPreset(2));
  EXPECT_EQ(target.GetParam(0)->Value(), 2.0);
}

// The unserialised list ends by recalling the current slot (0), which would
// name an unfilled slot as a user preset; these lists fill slot 0 so that the
// names under test stay as read. Without parameters a filled record has no state bytes.
TEST_F(PresetsTest, LongNamesAreCutTo255Bytes) {
  RecordingPlugin plugin(0, 2);
  IStateChunk chunk;
  PutName(chunk, 3, "cur");
  chunk.Put(uint8_t{1});
  PutName(chunk, 300, std::string(300, 'n'));
  chunk.Put(uint8_t{0});
  EXPECT_EQ(plugin.UnserializePresets(chunk, 0), chunk.Size());
  EXPECT_STREQ(plugin.GetPresetName(0), "cur");
  EXPECT_EQ(std::string(plugin.GetPresetName(1)), std::string(255, 'n'));
}

TEST_F(PresetsTest, NamesEndAtAZeroByte) {
  RecordingPlugin plugin(0, 3);
  IStateChunk chunk;
  PutName(chunk, 3, "cur");
  chunk.Put(uint8_t{1});
  PutName(chunk, 5, std::string("ab\0cd", 5));
  chunk.Put(uint8_t{0});
  PutName(chunk, 0, "");
  chunk.Put(uint8_t{0});
  EXPECT_EQ(plugin.UnserializePresets(chunk, 0), chunk.Size());
  EXPECT_STREQ(plugin.GetPresetName(1), "ab");
  EXPECT_STREQ(plugin.GetPresetName(2), "");
}

TEST_F(PresetsTest, AMissingFlagByteCountsAsUnset) {
  RecordingPlugin plugin(0, 2);
  IStateChunk chunk;
  PutName(chunk, 3, "cur");
  chunk.Put(uint8_t{1});
  PutName(chunk, 1, "a");
  EXPECT_EQ(plugin.UnserializePresets(chunk, 0), chunk.Size());
  EXPECT_STREQ(plugin.GetPresetName(1), "a");
  plugin.DropUnusedPresets();
  EXPECT_EQ(plugin.NPresets(), 1);
}

TEST_F(PresetsTest, NegativeOrOversizedNameLengthsStopWithMinusOne) {
  for (int32_t length : {-1, -2147483647 - 1, 1000}) {
    RecordingPlugin plugin(0, 2);
    plugin.RecallPreset(0);
    IStateChunk chunk;
    PutName(chunk, length, "abc");
    EXPECT_EQ(plugin.UnserializePresets(chunk, 0), -1) << length;
    EXPECT_STREQ(plugin.GetPresetName(0), "") << length;
    EXPECT_STREQ(plugin.GetPresetName(1), "empty") << length;
  }
}

TEST_F(PresetsTest, ATruncatedStateOrBadStartFails) {
  RecordingPlugin plugin(2, 1);
  InitParams(plugin);
  IStateChunk truncated;
  PutName(truncated, 1, "t");
  truncated.Put(uint8_t{1});
  truncated.Put(1.0);  // one of two values
  EXPECT_EQ(plugin.UnserializePresets(truncated, 0), -1);
  EXPECT_EQ(plugin.UnserializePresets(truncated, -1), -1);
  EXPECT_EQ(plugin.UnserializePresets(truncated, truncated.Size() + 1), -1);
}

}  // namespace
}  // namespace plugkit
