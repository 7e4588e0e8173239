#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>
#include <standin/testing/objects.h>

#include <string>

#include "cf_strings.h"
#include "leak_checked_test.h"

namespace {

class CFStringTest : public LeakCheckedTest {};

TEST_F(CFStringTest, ConstantsAreInternedImmortalAndUncounted) {
  const long before = standin::testing::LiveObjectCount();
  CFStringRef first = CFSTR("interned-key");
  CFStringRef second = CFStringMakeConstantString("interned-key");
  EXPECT_EQ(first, second);
  CFRelease(first);
  CFRelease(first);
  EXPECT_EQ(Text(first), "interned-key");
  EXPECT_EQ(CFGetTypeID(first), CFStringGetTypeID());
  EXPECT_EQ(standin::testing::LiveObjectCount(), before);
}

TEST_F(CFStringTest, CreatesFromCStringsAndRejectsInvalidBytes) {
  Owned<CFStringRef> ascii(CFStringCreateWithCString(kCFAllocatorDefault, "Amp", kCFStringEncodingASCII));
  ASSERT_NE(ascii.get(), nullptr);
  EXPECT_EQ(Text(ascii), "Amp");
  EXPECT_EQ(CFStringCreateWithCString(nullptr, "caf\xC3\xA9", kCFStringEncodingASCII), nullptr);
  EXPECT_EQ(CFStringCreateWithCString(nullptr, "bad \xC3", kCFStringEncodingUTF8), nullptr);
  EXPECT_EQ(CFStringCreateWithCString(nullptr, "\xED\xA0\x80", kCFStringEncodingUTF8), nullptr);
  EXPECT_EQ(CFStringCreateWithCString(nullptr, nullptr, kCFStringEncodingUTF8), nullptr);
}

TEST_F(CFStringTest, CopyEqualsAndComparesByContent) {
  Owned<CFStringRef> made(CFStringCreateWithCString(nullptr, "Preset", kCFStringEncodingUTF8));
  Owned<CFStringRef> copy(CFStringCreateCopy(nullptr, made));
  EXPECT_TRUE(CFEqual(copy, CFSTR("Preset")));
  EXPECT_EQ(CFHash(copy), CFHash(CFSTR("Preset")));
  EXPECT_EQ(CFStringCompare(made, CFSTR("Preset"), 0), kCFCompareEqualTo);
  EXPECT_EQ(CFStringCompare(made, CFSTR("Presets"), 0), kCFCompareLessThan);
  EXPECT_EQ(CFStringCompare(made, CFSTR("PRESET"), 0), kCFCompareGreaterThan);
  EXPECT_EQ(CFStringCompare(made, CFSTR("PRESET"), kCFCompareCaseInsensitive), kCFCompareEqualTo);
  EXPECT_FALSE(CFEqual(made, CFSTR("preset")));
}

TEST_F(CFStringTest, LengthCountsUtf16UnitsAndSizesBoundTheUtf8Text) {
  // "é" is one unit, "𝄞" (outside the basic plane) two.
  Owned<CFStringRef> mixed(CFStringCreateWithCString(nullptr, "a\xC3\xA9\xF0\x9D\x84\x9E", kCFStringEncodingUTF8));
  EXPECT_EQ(CFStringGetLength(mixed), 4);
  const CFIndex maximum = CFStringGetMaximumSizeForEncoding(CFStringGetLength(mixed), kCFStringEncodingUTF8);
  EXPECT_GE(maximum, 7);
  EXPECT_EQ(CFStringGetMaximumSizeForEncoding(5, kCFStringEncodingASCII), 5);
  EXPECT_EQ(CFStringGetLength(CFSTR("")), 0);
}

TEST_F(CFStringTest, GetCStringFailsWhenTheBufferIsTooShort) {
  CFStringRef name = CFSTR("Orvane");
  char exact[7];
  EXPECT_TRUE(CFStringGetCString(name, exact, sizeof exact, kCFStringEncodingUTF8));
  EXPECT_STREQ(exact, "Orvane");

  char noRoomForTerminator[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
  EXPECT_FALSE(CFStringGetCString(name, noRoomForTerminator, sizeof noRoomForTerminator, kCFStringEncodingUTF8));
  EXPECT_STREQ(noRoomForTerminator, "");

  EXPECT_FALSE(CFStringGetCString(name, exact, 0, kCFStringEncodingUTF8));
  EXPECT_FALSE(CFStringGetCString(nullptr, exact, sizeof exact, kCFStringEncodingUTF8));
}

TEST_F(CFStringTest, GetCStringRefusesTextTheEncodingCannotHold) {
  Owned<CFStringRef> accented(CFStringCreateWithCString(nullptr, "caf\xC3\xA9", kCFStringEncodingUTF8));
  char buffer[16];
  EXPECT_FALSE(CFStringGetCString(accented, buffer, sizeof buffer, kCFStringEncodingASCII));
  EXPECT_TRUE(CFStringGetCString(accented, buffer, sizeof buffer, kCFStringEncodingUTF8));
  EXPECT_STREQ(buffer, "caf\xC3\xA9");
}

TEST_F(CFStringTest, FormatsEachSupportedConversion) {
  struct Case {
    Owned<CFStringRef> made;
    const char* expected;
  };
  Owned<CFStringRef> inner(CFStringCreateWithCString(nullptr, "Clean", kCFStringEncodingUTF8));
  int sixBits = 0x3F;
  Case cases[] = {
      {Owned<CFStringRef>(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("n=%d"), -42)), "n=-42"},
      {Owned<CFStringRef>(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%i|%03i"), 7, 5)), "7|005"},
      {Owned<CFStringRef>(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("[%s]"), "text")), "[text]"},
      {Owned<CFStringRef>(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%.5s"), "12:34:56")), "12:34"},
      {Owned<CFStringRef>(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%f"), 1.5)), "1.500000"},
      {Owned<CFStringRef>(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%.2f"), 2.0 / 3.0)), "0.67"},
      {Owned<CFStringRef>(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("name = %@"), inner.get())), "name = Clean"},
      {Owned<CFStringRef>(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%@"), nullptr)), "(null)"},
      {Owned<CFStringRef>(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%lld %x %%"), 1LL << 40, sixBits)), "1099511627776 3f %"},
      {Owned<CFStringRef>(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%*d|%-3d|"), 4, 9, 1)), "   9|1  |"},
  };
  for (const Case& c : cases) EXPECT_EQ(Text(c.made), c.expected);
}

TEST_F(CFStringTest, FormatDescribesNumbersAndCopiesUnknownConversions) {
  SInt32 value = 12;
  Owned<CFNumberRef> number(CFNumberCreate(nullptr, kCFNumberSInt32Type, &value));
  Owned<CFStringRef> made(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%@ %k %d"), number.get(), 3));
  EXPECT_EQ(Text(made), "12 %k 3");
  Owned<CFStringRef> trailing(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("50%")));
  EXPECT_EQ(Text(trailing), "50%");
}

TEST_F(CFStringTest, DescriptionOfAStringIsItsText) {
  Owned<CFStringRef> description(CFCopyDescription(CFSTR("Gain")));
  EXPECT_EQ(Text(description), "Gain");
}

}  // namespace
