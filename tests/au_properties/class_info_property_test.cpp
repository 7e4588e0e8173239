// The class-info state dictionary through the property and the wrapper's
// GetClassInfo and SetClassInfo: what it holds, the order a restore runs in,
// every refusal, a round trip between two instances and its CF bookkeeping.

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "au_properties_support.h"
#include "framework/au/class_info.h"

namespace plugkit::testing {
namespace {

// The test plug-in with its state calls logged and its state writing switchable.
class LoggingPlugin : public TestPlugin {
public:
  explicit LoggingPlugin(const TestPluginOptions& options = RichOptions()) : TestPlugin(InstanceInfo{}, options) {
    mLog.clear();
  }

  bool WriteState(IStateChunk& chunk) override { return mWriteStateFails ? false : TestPlugin::WriteState(chunk); }
  int ReadState(const IStateChunk& chunk, int startPos) override {
    const int pos = mReadStateAnswer ? *mReadStateAnswer : TestPlugin::ReadState(chunk, startPos);
    mLog.push_back("read state " + std::to_string(pos));
    return pos;
  }
  void OnPresetRecalled() override { mLog.push_back("preset recalled"); }
  void OnStateRestored() override {
    mLog.push_back("state restored");
    TestPlugin::OnStateRestored();
  }

  std::vector<double> Values() const {
    std::vector<double> values;
    for (int idx = 0; idx < NParams(); ++idx) values.push_back(GetParam(idx)->Value());
    return values;
  }

  std::vector<std::string> mLog;
  bool mWriteStateFails = false;
  std::optional<int> mReadStateAnswer;
};

// A new dictionary with what info holds.
CFMutableDictionaryRef CopyInfo(CFPropertyListRef info) {
  ClassInfoContents contents;
  EXPECT_TRUE(ReadClassInfo(info, contents));
  return CreateClassInfo(contents.identity, contents.name, &contents.data);
}

class ClassInfoProperty : public CFLeakCheckedTest {
protected:
  // A dictionary that the plug-in itself wrote, for the test to spoil.
  CFMutableDictionaryRef SavedInfo(LoggingPlugin& plugin) {
    CFPropertyListRef info = nullptr;
    EXPECT_EQ(plugin.GetClassInfo(&info), noErr);
    CFMutableDictionaryRef copy = CopyInfo(info);
    CFRelease(info);
    return copy;
  }
};

TEST_F(ClassInfoProperty, HoldsIdentityPresetNameAndState) {
  LoggingPlugin plugin;
  plugin.GetParam(TestPlugin::kGain)->Set(0.75);
  CFPropertyListRef info = nullptr;
  ASSERT_EQ(plugin.GetClassInfo(&info), noErr);
  CFOwned<CFPropertyListRef> owned(info);

  ClassInfoContents contents;
  ASSERT_TRUE(ReadClassInfo(info, contents));
  EXPECT_EQ(contents.identity.version, TestPlugin::kVersion);
  EXPECT_EQ(static_cast<OSType>(contents.identity.type), kAudioUnitType_MusicEffect);
  EXPECT_EQ(static_cast<OSType>(contents.identity.subtype), standin::FourCharCodeOf("Atst"));
  EXPECT_EQ(static_cast<OSType>(contents.identity.manufacturer), standin::FourCharCodeOf("Plkt"));
  EXPECT_STREQ(contents.name, "Clean");
  IStateChunk expected;
  ASSERT_TRUE(plugin.WriteState(expected));
  ASSERT_EQ(contents.data.Size(), expected.Size());
  EXPECT_EQ(std::memcmp(contents.data.GetData(), expected.GetData(), static_cast<size_t>(expected.Size())), 0);
}

TEST_F(ClassInfoProperty, AFailedStateWriteLeavesOutTheData) {
  LoggingPlugin plugin;
  plugin.mWriteStateFails = true;
  CFPropertyListRef info = nullptr;
  ASSERT_EQ(plugin.GetClassInfo(&info), noErr);
  CFOwned<CFPropertyListRef> owned(info);
  EXPECT_FALSE(CFDictionaryContainsKey(static_cast<CFDictionaryRef>(info), CFSTR("data")));
  EXPECT_EQ(CFDictionaryGetCount(static_cast<CFDictionaryRef>(info)), 5);
}

TEST_F(ClassInfoProperty, WithoutACurrentPresetTheNameIsEmpty) {
  TestPluginOptions options;
  options.editConfig = [](PluginConfig& config) { config.nPresets = 0; };
  LoggingPlugin plugin(options);
  CFPropertyListRef info = nullptr;
  ASSERT_EQ(plugin.GetClassInfo(&info), noErr);
  CFOwned<CFPropertyListRef> owned(info);
  ClassInfoContents contents;
  ASSERT_TRUE(ReadClassInfo(info, contents));
  EXPECT_STREQ(contents.name, "");
}

TEST_F(ClassInfoProperty, RestoreRecallsTheNamedPresetThenReadsTheState) {
  LoggingPlugin source;
  source.RecallPreset(2);
  source.GetParam(TestPlugin::kGain)->Set(0.125);
  CFOwned<CFMutableDictionaryRef> info(SavedInfo(source));

  LoggingPlugin target;
  EXPECT_EQ(target.SetClassInfo(info.Get()), noErr);
  const std::string stateRead = "read state " + std::to_string(kNumRichParams * sizeof(double));
  EXPECT_EQ(target.mLog,
            (std::vector<std::string>{stateRead, "preset recalled", "state restored", stateRead, "state restored"}));
  EXPECT_EQ(target.GetCurrentPresetIdx(), 2);
  EXPECT_EQ(target.Values(), source.Values());
}

TEST_F(ClassInfoProperty, TheVersionIsReadButNotCompared) {
  LoggingPlugin source;
  CFOwned<CFMutableDictionaryRef> info(SavedInfo(source));
  PutNumberInDict(info.Get(), kClassInfoVersionKey, 0x00090000);
  LoggingPlugin target;
  EXPECT_EQ(target.SetClassInfo(info.Get()), noErr);
}

// Decided: a dictionary with a missing or mistyped key, or another plug-in's,
// is refused before anything changes.
TEST_F(ClassInfoProperty, RefusedDictionariesChangeNothing) {
  LoggingPlugin source;
  source.RecallPreset(1);
  source.GetParam(TestPlugin::kGain)->Set(0.3);

  std::vector<CFMutableDictionaryRef> refused;
  const char* const keys[] = {kClassInfoVersionKey, kClassInfoTypeKey, kClassInfoSubtypeKey,
                              kClassInfoManufacturerKey, kClassInfoNameKey, kClassInfoDataKey};
  for (const char* key : keys) {
    refused.push_back(SavedInfo(source));
    CFDictionaryRemoveValue(refused.back(), CFStringMakeConstantString(key));
    refused.push_back(SavedInfo(source));
    if (std::strcmp(key, kClassInfoNameKey) == 0) {
      PutNumberInDict(refused.back(), key, 1);
    } else {
      PutStrInDict(refused.back(), key, "Crunch");
    }
  }
  for (const char* key : {kClassInfoTypeKey, kClassInfoSubtypeKey, kClassInfoManufacturerKey}) {
    refused.push_back(SavedInfo(source));
    PutNumberInDict(refused.back(), key, static_cast<int32_t>(standin::FourCharCodeOf("Othr")));
  }

  LoggingPlugin target;
  const std::vector<double> valuesBefore = target.Values();
  for (size_t idx = 0; idx < refused.size(); ++idx) {
    EXPECT_EQ(target.SetClassInfo(refused[idx]), kAudioUnitErr_InvalidPropertyValue) << "dictionary " << idx;
    CFRelease(refused[idx]);
  }
  EXPECT_EQ(target.SetClassInfo(nullptr), kAudioUnitErr_InvalidPropertyValue);
  CFOwned<CFStringRef> notADictionary(CreateCFString("state"));
  EXPECT_EQ(target.SetClassInfo(notADictionary.Get()), kAudioUnitErr_InvalidPropertyValue);

  EXPECT_TRUE(target.mLog.empty());
  EXPECT_EQ(target.GetCurrentPresetIdx(), 0);
  EXPECT_EQ(target.Values(), valuesBefore);
}

// Decided: a chunk the plug-in cannot read ends the restore as refused.
TEST_F(ClassInfoProperty, AnUnreadableChunkIsRefusedWithoutTheRestoredNotice) {
  LoggingPlugin source;
  CFOwned<CFMutableDictionaryRef> info(SavedInfo(source));
  PutStrInDict(info.Get(), kClassInfoNameKey, "no such preset");
  const double oneValue = 0.5;
  IStateChunk shortChunk;
  shortChunk.Put(oneValue);
  PutDataInDict(info.Get(), kClassInfoDataKey, shortChunk);

  LoggingPlugin target;
  EXPECT_EQ(target.SetClassInfo(info.Get()), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(target.mLog, std::vector<std::string>{"read state -1"});

  // Position 0 is no state read either.
  target.mLog.clear();
  target.mReadStateAnswer = 0;
  CFOwned<CFMutableDictionaryRef> whole(SavedInfo(source));
  EXPECT_EQ(target.SetClassInfo(whole.Get()), kAudioUnitErr_InvalidPropertyValue);
  // The named preset's own chunk reads as nothing as well, so it is not recalled.
  EXPECT_EQ(target.mLog, (std::vector<std::string>{"read state 0", "read state 0"}));
}

TEST_F(ClassInfoProperty, LongNamesAreCutBeforeThePresetLookup) {
  LoggingPlugin source;
  CFOwned<CFMutableDictionaryRef> info(SavedInfo(source));
  PutStrInDict(info.Get(), kClassInfoNameKey, (std::string(63, 'x') + "\xC3\xA9").c_str());
  LoggingPlugin target;
  EXPECT_EQ(target.SetClassInfo(info.Get()), noErr);
}

TEST_F(ClassInfoProperty, RoundTripBetweenTwoInstancesThroughTheProperty) {
  auto first = std::make_unique<OpenedPlugin>();
  auto second = std::make_unique<OpenedPlugin>();
  AUPreset lead{2, nullptr};
  ASSERT_EQ(first->Unit().SetProperty(kAudioUnitProperty_PresentPreset, kGlobal, 0, &lead, sizeof lead), noErr);
  AudioUnitParameterValue gain = 1.75f;
  ASSERT_EQ(first->Unit().SetParameter(TestPlugin::kGain, kGlobal, 0, gain), noErr);
  ASSERT_EQ(first->Unit().SetParameter(kMode, kGlobal, 0, 2.f), noErr);

  CFPropertyListRef info = nullptr;
  UInt32 size = sizeof info;
  ASSERT_EQ(first->Unit().GetProperty(kAudioUnitProperty_ClassInfo, kGlobal, 0, &info, &size), noErr);
  EXPECT_EQ(second->Unit().SetProperty(kAudioUnitProperty_ClassInfo, kGlobal, 0, &info, sizeof info), noErr);
  CFRelease(info);

  EXPECT_EQ(second->Plugin().GetCurrentPresetIdx(), 2);
  second->Unit().GetParameter(TestPlugin::kGain, kGlobal, 0, &gain);
  EXPECT_FLOAT_EQ(gain, 1.75f);
  AudioUnitParameterValue mode = 0;
  second->Unit().GetParameter(kMode, kGlobal, 0, &mode);
  EXPECT_EQ(mode, 2.f);
  second.reset();
  first.reset();
}

TEST_F(ClassInfoProperty, RepeatedReadsLeaveNoObjectsBehind) {
  auto opened = std::make_unique<OpenedPlugin>();
  const long objectsOpen = standin::testing::LiveObjectCount();
  for (int round = 0; round < 100; ++round) {
    CFPropertyListRef info = nullptr;
    UInt32 size = sizeof info;
    ASSERT_EQ(opened->Unit().GetProperty(kAudioUnitProperty_ClassInfo, kGlobal, 0, &info, &size), noErr);
    ASSERT_EQ(opened->Unit().SetProperty(kAudioUnitProperty_ClassInfo, kGlobal, 0, &info, sizeof info), noErr);
    CFRelease(info);
    CFArrayRef presets = nullptr;
    size = sizeof presets;
    ASSERT_EQ(opened->Unit().GetProperty(kAudioUnitProperty_FactoryPresets, kGlobal, 0, &presets, &size), noErr);
    CFRelease(presets);
  }
  EXPECT_EQ(standin::testing::LiveObjectCount(), objectsOpen);
  opened.reset();
}

}  // namespace
}  // namespace plugkit::testing
