#include "framework/au/class_info.h"
#include "framework/plugin_config.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "cf_owned.h"

namespace plugkit {
namespace {

using testing::CFLeakCheckedTest;
using testing::CFOwned;
using testing::NewCFDictionary;
using testing::SetOwned;

class ClassInfoDictTest : public CFLeakCheckedTest {};

IStateChunk ChunkOf(const std::string& bytes) {
  IStateChunk chunk;
  chunk.PutBytes(bytes.data(), static_cast<int>(bytes.size()));
  return chunk;
}

TEST_F(ClassInfoDictTest, CreatedDictionaryReadsBack) {
  const IStateChunk data = ChunkOf(std::string("st\0te", 5));
  CFOwned<CFMutableDictionaryRef> dict(CreateClassInfo({0x00010004, MakeFourCC("aumf"), MakeFourCC("Orvn"), MakeFourCC("Vltn")}, "Clean", &data));
  ASSERT_NE(dict.Get(), nullptr);
  EXPECT_EQ(CFDictionaryGetCount(dict.Get()), 6);

  ClassInfoContents contents;
  ASSERT_TRUE(ReadClassInfo(dict.Get(), contents));
  EXPECT_EQ(contents.identity.version, 0x00010004);
  EXPECT_EQ(contents.identity.type, MakeFourCC("aumf"));
  EXPECT_EQ(contents.identity.subtype, MakeFourCC("Orvn"));
  EXPECT_EQ(contents.identity.manufacturer, MakeFourCC("Vltn"));
  EXPECT_STREQ(contents.name, "Clean");
  ASSERT_EQ(contents.data.Size(), 5);
  EXPECT_EQ(std::memcmp(contents.data.GetData(), "st\0te", 5), 0);
}

TEST_F(ClassInfoDictTest, WithoutDataTheKeyIsLeftOut) {
  CFOwned<CFMutableDictionaryRef> dict(CreateClassInfo({}, "", nullptr));
  EXPECT_EQ(CFDictionaryGetCount(dict.Get()), 5);
  IStateChunk chunk = ChunkOf("kept");
  EXPECT_FALSE(GetDataFromDict(dict.Get(), kClassInfoDataKey, chunk));
  EXPECT_EQ(chunk.Size(), 4);
  ClassInfoContents contents;
  EXPECT_FALSE(ReadClassInfo(dict.Get(), contents));
}

TEST_F(ClassInfoDictTest, GettersRefuseMissingKeysAndOtherTypes) {
  CFOwned<CFMutableDictionaryRef> dict(NewCFDictionary());
  SetOwned(dict.Get(), "text", CFStringCreateWithCString(nullptr, "abc", kCFStringEncodingUTF8));
  const double fraction = 1.5;
  SetOwned(dict.Get(), "fraction", CFNumberCreate(nullptr, kCFNumberFloat64Type, &fraction));
  const SInt64 huge = 1ll << 40;
  SetOwned(dict.Get(), "huge", CFNumberCreate(nullptr, kCFNumberSInt64Type, &huge));

  char out[8] = "x";
  EXPECT_FALSE(GetStrFromDict(dict.Get(), "missing", out, sizeof out));
  EXPECT_STREQ(out, "");
  EXPECT_FALSE(GetStrFromDict(dict.Get(), "fraction", out, sizeof out));
  int32_t number = 7;
  EXPECT_FALSE(GetNumberFromDict(dict.Get(), "text", number));
  EXPECT_FALSE(GetNumberFromDict(dict.Get(), "fraction", number));
  EXPECT_FALSE(GetNumberFromDict(dict.Get(), "huge", number));
  EXPECT_EQ(number, 7);
  IStateChunk chunk;
  EXPECT_FALSE(GetDataFromDict(dict.Get(), "text", chunk));
  EXPECT_FALSE(GetStrFromDict(nullptr, "text", out, sizeof out));
}

TEST_F(ClassInfoDictTest, LongNamesAreCutAtACharacterBoundary) {
  CFOwned<CFMutableDictionaryRef> dict(NewCFDictionary());
  // 62 ASCII bytes, then a two-byte character that would end at byte 64.
  const std::string name = std::string(62, 'a') + "\xC3\xA9" + "tail";
  PutStrInDict(dict.Get(), kClassInfoNameKey, name.c_str());
  char out[kClassInfoNameSize];
  ASSERT_TRUE(GetStrFromDict(dict.Get(), kClassInfoNameKey, out, sizeof out));
  EXPECT_EQ(std::string(out), std::string(62, 'a'));

  PutStrInDict(dict.Get(), kClassInfoNameKey, "short \xE2\x82\xAC");
  ASSERT_TRUE(GetStrFromDict(dict.Get(), kClassInfoNameKey, out, sizeof out));
  EXPECT_STREQ(out, "short \xE2\x82\xAC");
}

TEST_F(ClassInfoDictTest, ReadingNeedsADictionaryWithAllSixKeysTyped) {
  ClassInfoContents contents;
  EXPECT_FALSE(ReadClassInfo(nullptr, contents));
  CFOwned<CFStringRef> notADict(CFStringCreateWithCString(nullptr, "dict", kCFStringEncodingUTF8));
  EXPECT_FALSE(ReadClassInfo(notADict.Get(), contents));

  const IStateChunk data = ChunkOf("x");
  const char* const keys[] = {kClassInfoVersionKey, kClassInfoTypeKey, kClassInfoSubtypeKey,
                              kClassInfoManufacturerKey, kClassInfoNameKey, kClassInfoDataKey};
  for (const char* key : keys) {
    CFOwned<CFMutableDictionaryRef> missing(CreateClassInfo({}, "n", &data));
    CFDictionaryRemoveValue(missing.Get(), CFStringMakeConstantString(key));
    EXPECT_FALSE(ReadClassInfo(missing.Get(), contents)) << key << " missing";

    CFOwned<CFMutableDictionaryRef> mistyped(CreateClassInfo({}, "n", &data));
    // A string where a number or data belongs, a number where the string belongs.
    const int32_t one = 1;
    CFTypeRef wrong = std::strcmp(key, kClassInfoNameKey) == 0
                          ? static_cast<CFTypeRef>(CFNumberCreate(nullptr, kCFNumberSInt32Type, &one))
                          : static_cast<CFTypeRef>(CFStringCreateWithCString(nullptr, "1", kCFStringEncodingUTF8));
    SetOwned(mistyped.Get(), key, wrong);
    EXPECT_FALSE(ReadClassInfo(mistyped.Get(), contents)) << key << " of another type";
  }
}

}  // namespace
}  // namespace plugkit
