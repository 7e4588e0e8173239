#include "common/str_buf.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>

#include "common/c_locale.h"
#include "common/utf8_text.h"
#include "support/comma_locale.h"

namespace plugkit {
namespace {

TEST(StrBufTest, NewStringReadsEmptyAndSettingEmptyGivesSizeOne) {
  StrBuf text;
  EXPECT_STREQ(text.Get(), "");
  EXPECT_EQ(text.GetSize(), 0);

  text.Set("");
  EXPECT_EQ(text.GetSize(), 1);
  EXPECT_STREQ(text.Get(), "");
}

TEST(StrBufTest, SetAppendAndInsert) {
  StrBuf text("world");
  EXPECT_EQ(text.GetSize(), 6);
  text.Insert(0, "hello ");
  text.Append("!");
  EXPECT_STREQ(text.Get(), "hello world!");
  text.Insert(5, ",");
  EXPECT_STREQ(text.Get(), "hello, world!");
  text.Set("hi");
  EXPECT_STREQ(text.Get(), "hi");
  EXPECT_EQ(text.GetSize(), 3);
}

TEST(StrBufTest, GeneralEditKeepsTrailingBytes) {
  StrBuf text("abcdef");
  ASSERT_TRUE(text.Set(2, "XY", 2, 4));
  EXPECT_STREQ(text.Get(), "abXYcdef");
  ASSERT_TRUE(text.Set(2, "Z", 1, 0));  // cuts after the written bytes
  EXPECT_STREQ(text.Get(), "abZ");
}

TEST(StrBufTest, EditsOutsideTheTextChangeNothing) {
  StrBuf text("abc");
  EXPECT_FALSE(text.Set(-1, "x", 1, 0));
  EXPECT_FALSE(text.Set(4, "x", 1, 0));
  EXPECT_FALSE(text.Set(1, "x", 1, 5));
  EXPECT_FALSE(text.Append(""));
  EXPECT_STREQ(text.Get(), "abc");
}

TEST(StrBufTest, SourceInsideTheStringIsCopiedSafely) {
  StrBuf text("abc");
  for (int i = 0; i < 8; ++i) text.Append(text.Get());  // forces the buffer to move
  EXPECT_EQ(text.GetLength(), 3 * 256);
  text.Set("0123456789");
  text.Insert(2, text.Get() + 5);
  EXPECT_STREQ(text.Get(), "015678923456789");
}

TEST(StrBufTest, FormattedTextIsCutToTheMaximumLength) {
  StrBuf text;
  text.SetFormatted(5, "%d", 1234567);
  EXPECT_STREQ(text.Get(), "12345");
  EXPECT_EQ(text.GetSize(), 6);

  text.SetFormatted(32, "%s-%d", "a", 7);
  EXPECT_STREQ(text.Get(), "a-7");
  text.AppendFormatted(3, "%s", "wxyz");
  EXPECT_STREQ(text.Get(), "a-7wxy");
  EXPECT_FALSE(text.SetFormatted(-1, "%d", 1));
  EXPECT_STREQ(text.Get(), "a-7wxy");
}

TEST(StrBufTest, FailedGrowthLeavesTheTextUnchanged) {
  StrBuf text("keep");
  EXPECT_FALSE(text.SetFormatted(INT_MAX - 1, "%d", 1));
  EXPECT_FALSE(text.AppendFormatted(INT_MAX - 2, "%d", 1));
  EXPECT_STREQ(text.Get(), "keep");
}

TEST(StrBufTest, NumbersAreWrittenAndReadInTheCLocaleWhateverTheProcessLocale) {
  orvane::testing::ScopedCommaDecimalLocale commaLocale;
  if (!commaLocale.Active()) GTEST_SKIP() << "no locale with a decimal comma can be built here";
  char native[16];
  std::snprintf(native, sizeof native, "%.1f", 1.5);
  ASSERT_STREQ(native, "1,5");  // the process locale really is in effect

  StrBuf text;
  text.SetFormatted(32, "%.2f", 1.5);
  EXPECT_STREQ(text.Get(), "1.50");
  text.AppendFormatted(32, " %g", 0.25);
  EXPECT_STREQ(text.Get(), "1.50 0.25");
  EXPECT_DOUBLE_EQ(ParseDoubleCLocale("2.25"), 2.25);
}

TEST(ParseDoubleCLocaleTest, ReadsTheLongestDecimalPrefix) {
  const char* end = nullptr;
  const char* text = " 12.5abc";
  EXPECT_DOUBLE_EQ(ParseDoubleCLocale(text, &end), 12.5);
  EXPECT_STREQ(end, "abc");
  EXPECT_EQ(ParseDoubleCLocale("abc", &end), 0.0);
  EXPECT_EQ(ParseDoubleCLocale(nullptr), 0.0);
}

TEST(Utf8TextTest, CutsFieldsAtCharacterBoundaries) {
  char field[6];
  CopyTextCut(field, sizeof field, "abc");
  EXPECT_STREQ(field, "abc");
  CopyTextCut(field, sizeof field, "abcdefgh");
  EXPECT_STREQ(field, "abcde");
  CopyTextCut(field, sizeof field, "abc\xC3\xA9z");  // é would need bytes 4 and 5
  EXPECT_STREQ(field, "abc\xC3\xA9");
  CopyTextCut(field, sizeof field, "abcd\xC3\xA9");
  EXPECT_STREQ(field, "abcd");
  CopyTextCut(field, sizeof field, "a\xE2\x82\xAC\xE2\x82\xAC");  // a€€: the second € does not fit
  EXPECT_STREQ(field, "a\xE2\x82\xAC");
  CopyTextCut(field, sizeof field, nullptr);
  EXPECT_STREQ(field, "");
}

}  // namespace
}  // namespace plugkit
