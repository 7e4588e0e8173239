#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "leak_checked_test.h"

namespace {

class CFNumberTest : public LeakCheckedTest {};

template <typename T>
Owned<CFNumberRef> Number(CFNumberType type, T value) {
  return Owned<CFNumberRef>(CFNumberCreate(nullptr, type, &value));
}

TEST_F(CFNumberTest, KeepsEachSizedTypeAndItsValue) {
  auto int32 = Number<SInt32>(kCFNumberSInt32Type, -123456);
  auto int64 = Number<SInt64>(kCFNumberSInt64Type, std::int64_t{1} << 40);
  auto float32 = Number<Float32>(kCFNumberFloat32Type, 0.25f);
  auto float64 = Number<Float64>(kCFNumberFloat64Type, -2.5);
  EXPECT_EQ(CFNumberGetType(int32), kCFNumberSInt32Type);
  EXPECT_EQ(CFNumberGetType(float64), kCFNumberFloat64Type);
  EXPECT_FALSE(CFNumberIsFloatType(int64));
  EXPECT_TRUE(CFNumberIsFloatType(float32));

  SInt32 i32 = 0;
  SInt64 i64 = 0;
  Float32 f32 = 0;
  Float64 f64 = 0;
  EXPECT_TRUE(CFNumberGetValue(int32, kCFNumberSInt32Type, &i32));
  EXPECT_EQ(i32, -123456);
  EXPECT_TRUE(CFNumberGetValue(int64, kCFNumberSInt64Type, &i64));
  EXPECT_EQ(i64, std::int64_t{1} << 40);
  EXPECT_TRUE(CFNumberGetValue(float32, kCFNumberFloat32Type, &f32));
  EXPECT_EQ(f32, 0.25f);
  EXPECT_TRUE(CFNumberGetValue(float64, kCFNumberFloat64Type, &f64));
  EXPECT_EQ(f64, -2.5);
  EXPECT_EQ(CFGetTypeID(int32), CFNumberGetTypeID());
}

TEST_F(CFNumberTest, ConvertsBetweenTypesAndReportsLoss) {
  auto big = Number<SInt64>(kCFNumberSInt64Type, std::int64_t{5000000000});
  SInt32 narrow = 0;
  EXPECT_FALSE(CFNumberGetValue(big, kCFNumberSInt32Type, &narrow));
  EXPECT_EQ(narrow, std::numeric_limits<SInt32>::max());

  auto fraction = Number<Float64>(kCFNumberFloat64Type, -7.75);
  SInt32 truncated = 0;
  EXPECT_FALSE(CFNumberGetValue(fraction, kCFNumberSInt32Type, &truncated));
  EXPECT_EQ(truncated, -7);

  auto whole = Number<Float64>(kCFNumberDoubleType, 1024.0);
  SInt32 exact = 0;
  EXPECT_TRUE(CFNumberGetValue(whole, kCFNumberIntType, &exact));
  EXPECT_EQ(exact, 1024);

  auto tenth = Number<Float64>(kCFNumberFloat64Type, 0.1);
  Float32 single = 0;
  EXPECT_FALSE(CFNumberGetValue(tenth, kCFNumberFloat32Type, &single));
  EXPECT_EQ(single, 0.1f);

  auto notANumber = Number<Float64>(kCFNumberFloat64Type, std::nan(""));
  SInt64 fromNaN = 99;
  EXPECT_FALSE(CFNumberGetValue(notANumber, kCFNumberSInt64Type, &fromNaN));
  EXPECT_EQ(fromNaN, 0);
}

TEST_F(CFNumberTest, EqualValuesAreEqualAndHashAlikeAcrossTypes) {
  auto asInt = Number<SInt32>(kCFNumberSInt32Type, 3);
  auto asLong = Number<SInt64>(kCFNumberSInt64Type, 3);
  auto asDouble = Number<Float64>(kCFNumberFloat64Type, 3.0);
  auto other = Number<Float64>(kCFNumberFloat64Type, 3.5);
  EXPECT_TRUE(CFEqual(asInt, asLong));
  EXPECT_TRUE(CFEqual(asInt, asDouble));
  EXPECT_EQ(CFHash(asInt), CFHash(asDouble));
  EXPECT_FALSE(CFEqual(asInt, other));
  EXPECT_FALSE(CFEqual(asInt, CFSTR("3")));
}

TEST_F(CFNumberTest, RefusesUnknownTypesAndMissingValues) {
  SInt32 value = 1;
  EXPECT_EQ(CFNumberCreate(nullptr, 999, &value), nullptr);
  EXPECT_EQ(CFNumberCreate(nullptr, kCFNumberSInt32Type, nullptr), nullptr);
  auto number = Number<SInt32>(kCFNumberSInt32Type, 1);
  EXPECT_FALSE(CFNumberGetValue(number, 999, &value));
}

TEST_F(CFNumberTest, BooleansAreImmortalSingletons) {
  const long before = standin::testing::LiveObjectCount();
  EXPECT_TRUE(CFBooleanGetValue(kCFBooleanTrue));
  EXPECT_FALSE(CFBooleanGetValue(kCFBooleanFalse));
  EXPECT_EQ(CFGetTypeID(kCFBooleanTrue), CFBooleanGetTypeID());
  CFRelease(kCFBooleanTrue);
  EXPECT_TRUE(CFBooleanGetValue(kCFBooleanTrue));
  EXPECT_FALSE(CFEqual(kCFBooleanTrue, kCFBooleanFalse));
  EXPECT_EQ(standin::testing::LiveObjectCount(), before);
}

}  // namespace
