// The parameter properties read through the unit: descriptions, value
// strings, formatting and parsing, names and group names.

#include <gtest/gtest.h>

#include <string>

#include "au_properties_support.h"

namespace plugkit::testing {
namespace {

class ParameterProperties : public CFLeakCheckedTest {
protected:
  orvane::host::AudioUnitInstance& Unit() { return mOpened->Unit(); }
  TestPlugin& Plugin() { return mOpened->Plugin(); }

  // The description of a parameter with its owned strings released.
  AudioUnitParameterInfo Info(AudioUnitParameterID id) {
    AudioUnitParameterInfo info{};
    UInt32 size = sizeof info;
    EXPECT_EQ(Unit().GetProperty(kAudioUnitProperty_ParameterInfo, kGlobal, id, &info, &size), noErr);
    CFRelease(info.cfNameString);
    if (info.unitName != nullptr) CFRelease(info.unitName);
    return info;
  }

  OSStatus Format(AudioUnitParameterID id, const AudioUnitParameterValue* value, std::string& text,
                  AudioUnitScope scope = kGlobal) {
    AudioUnitParameterStringFromValue request{id, value, nullptr};
    UInt32 size = sizeof request;
    const OSStatus status =
        Unit().GetProperty(kAudioUnitProperty_ParameterStringFromValue, scope, 0, &request, &size);
    text = TextOf(request.outString);
    if (request.outString != nullptr) CFRelease(request.outString);
    return status;
  }

  OSStatus Name(AudioUnitParameterID id, SInt32 desiredLength, std::string& name) {
    AudioUnitParameterIDName request{id, desiredLength, nullptr};
    UInt32 size = sizeof request;
    const OSStatus status = Unit().GetProperty(kAudioUnitProperty_ParameterIDName, kGlobal, 0, &request, &size);
    name = TextOf(request.outName);
    if (request.outName != nullptr) CFRelease(request.outName);
    return status;
  }

  OSStatus ClumpName(UInt32 clumpID, std::string& name) {
    AudioUnitParameterNameInfo request{clumpID, kAudioUnitParameterName_Full, nullptr};
    UInt32 size = sizeof request;
    const OSStatus status = Unit().GetProperty(kAudioUnitProperty_ParameterClumpName, kGlobal, 0, &request, &size);
    name = TextOf(request.outName);
    if (request.outName != nullptr) CFRelease(request.outName);
    return status;
  }

  OSStatus Parse(AudioUnitParameterID id, CFStringRef text, AudioUnitParameterValue& value) {
    AudioUnitParameterValueFromString request{id, text, -1.f};
    UInt32 size = sizeof request;
    const OSStatus status =
        Unit().GetProperty(kAudioUnitProperty_ParameterValueFromString, kGlobal, 0, &request, &size);
    value = request.outValue;
    return status;
  }

  // Opened inside the leak check, closed before it ends.
  void SetUp() override {
    CFLeakCheckedTest::SetUp();
    mOpened = std::make_unique<OpenedPlugin>();
  }
  void TearDown() override {
    mOpened.reset();
    CFLeakCheckedTest::TearDown();
  }

  std::unique_ptr<OpenedPlugin> mOpened;
};

TEST_F(ParameterProperties, InfoDescribesEachParameterAndNumbersItsGroup) {
  const AudioUnitParameterInfo gain = Info(TestPlugin::kGain);
  EXPECT_STREQ(gain.name, "Gain");
  EXPECT_EQ(gain.unit, kAudioUnitParameterUnit_Decibels);
  EXPECT_FLOAT_EQ(gain.maxValue, static_cast<float>(TestPlugin::kGainMax));
  const AudioUnitParameterInfo cutoff = Info(kCutoff);
  EXPECT_EQ(cutoff.clumpID, 1u);  // first group to be described
  EXPECT_TRUE(cutoff.flags & kAudioUnitParameterFlag_DisplayLogarithmic);
  const AudioUnitParameterInfo mode = Info(kMode);
  EXPECT_EQ(mode.clumpID, 2u);
  EXPECT_EQ(mode.unit, kAudioUnitParameterUnit_Indexed);
  EXPECT_TRUE(mode.flags & kAudioUnitParameterFlag_ValuesHaveStrings);
  EXPECT_EQ(Info(kDrive).clumpID, 2u);  // same group text, same clump
  EXPECT_EQ(Info(kDrive).unit, kAudioUnitParameterUnit_CustomUnit);
}

TEST_F(ParameterProperties, ValueStringsListTheDisplayTextsInValueOrder) {
  CFOwned<CFArrayRef> texts;
  UInt32 size = sizeof(CFArrayRef);
  ASSERT_EQ(Unit().GetProperty(kAudioUnitProperty_ParameterValueStrings, kGlobal, kMode, texts.Out(), &size), noErr);
  ASSERT_EQ(CFArrayGetCount(texts.Get()), 3);
  EXPECT_EQ(TextOf(static_cast<CFStringRef>(CFArrayGetValueAtIndex(texts.Get(), 0))), "Clean");
  EXPECT_EQ(TextOf(static_cast<CFStringRef>(CFArrayGetValueAtIndex(texts.Get(), 2))), "Fuzz");
  EXPECT_EQ(Unit().GetProperty(kAudioUnitProperty_ParameterValueStrings, kGlobal, kCutoff, texts.Out(), &size),
            kAudioUnitErr_InvalidProperty);
}

TEST_F(ParameterProperties, StringFromValueFormatsTheGivenOrTheCurrentValue) {
  std::string text;
  const AudioUnitParameterValue two = 2.f;
  EXPECT_EQ(Format(kMode, &two, text), noErr);
  EXPECT_EQ(text, "Fuzz");
  const AudioUnitParameterValue drive = 2.5f;
  EXPECT_EQ(Format(kDrive, &drive, text), noErr);
  EXPECT_EQ(text, "2.5");
  // Decided: without a value the current one is formatted.
  Plugin().GetParam(kMode)->Set(1.0);
  EXPECT_EQ(Format(kMode, nullptr, text), noErr);
  EXPECT_EQ(text, "Drive");
  // Other scopes answer without writing.
  EXPECT_EQ(Format(kMode, &two, text, kInputScope), noErr);
  EXPECT_EQ(text, "");
}

TEST_F(ParameterProperties, ValueFromStringParsesDisplayTextsAndNumbers) {
  CFOwned<CFStringRef> fuzz(CreateCFString("Fuzz"));
  AudioUnitParameterValue value = 0;
  EXPECT_EQ(Parse(kMode, fuzz.Get(), value), noErr);
  EXPECT_EQ(value, 2.f);
  CFOwned<CFStringRef> number(CreateCFString("7.25"));
  EXPECT_EQ(Parse(kDrive, number.Get(), value), noErr);
  EXPECT_FLOAT_EQ(value, 7.25f);
  // Decided: no string to parse is refused.
  EXPECT_EQ(Parse(kDrive, nullptr, value), kAudioUnitErr_InvalidProperty);
  const int32_t notText = 3;
  CFOwned<CFNumberRef> notAString(CFNumberCreate(nullptr, kCFNumberSInt32Type, &notText));
  EXPECT_EQ(Parse(kDrive, reinterpret_cast<CFStringRef>(const_cast<void*>(static_cast<const void*>(notAString.Get()))),
                  value),
            kAudioUnitErr_InvalidProperty);
}

TEST_F(ParameterProperties, IDNameIsCutToTheDesiredLength) {
  std::string name;
  EXPECT_EQ(Name(kCutoff, kAudioUnitParameterName_Full, name), noErr);
  EXPECT_EQ(name, "Cutoff");
  EXPECT_EQ(Name(kCutoff, 3, name), noErr);
  EXPECT_EQ(name, "Cut");
  EXPECT_EQ(Name(kCutoff, 100, name), noErr);  // at most 31, the whole name here
  EXPECT_EQ(name, "Cutoff");
  // Decided: lengths below -1 count as 0.
  EXPECT_EQ(Name(kCutoff, -5, name), noErr);
  EXPECT_EQ(name, "");
  EXPECT_EQ(Name(kCutoff, 0, name), noErr);
  EXPECT_EQ(name, "");
}

TEST_F(ParameterProperties, IDNameCutsWholeCharacters) {
  Plugin().GetParam(kDrive)->InitGain("\xC3\x9C" "ber \xE2\x82\xAC" "gain", 0.0, 0.0, 1.0, 0.1);
  std::string name;
  EXPECT_EQ(Name(kDrive, 1, name), noErr);
  EXPECT_EQ(name, "\xC3\x9C");
  EXPECT_EQ(Name(kDrive, 6, name), noErr);
  EXPECT_EQ(name, "\xC3\x9C" "ber \xE2\x82\xAC");
}

// Decided: ids inside the request structures are checked against the parameter count.
TEST_F(ParameterProperties, ParameterIDsBeyondTheListAreInvalidElements) {
  std::string text;
  const AudioUnitParameterValue value = 0.f;
  EXPECT_EQ(Format(kNumRichParams, &value, text), kAudioUnitErr_InvalidElement);
  EXPECT_EQ(Name(kNumRichParams, kAudioUnitParameterName_Full, text), kAudioUnitErr_InvalidElement);
  EXPECT_EQ(Name(0xFFFFFFFF, kAudioUnitParameterName_Full, text), kAudioUnitErr_InvalidElement);
  CFOwned<CFStringRef> one(CreateCFString("1"));
  AudioUnitParameterValue parsed = 0;
  EXPECT_EQ(Parse(kNumRichParams, one.Get(), parsed), kAudioUnitErr_InvalidElement);
}

// Decided: clump ids outside the group list are not in use.
TEST_F(ParameterProperties, ClumpNamesFollowTheGroupList) {
  std::string name;
  EXPECT_EQ(ClumpName(1, name), kAudioUnitErr_PropertyNotInUse);  // no group described yet
  Info(kMode);
  Info(kCutoff);
  EXPECT_EQ(ClumpName(1, name), noErr);
  EXPECT_EQ(name, "Amp");
  EXPECT_EQ(ClumpName(2, name), noErr);
  EXPECT_EQ(name, "Filter");
  EXPECT_EQ(ClumpName(0, name), kAudioUnitErr_PropertyNotInUse);
  EXPECT_EQ(ClumpName(3, name), kAudioUnitErr_PropertyNotInUse);
}

}  // namespace
}  // namespace plugkit::testing
