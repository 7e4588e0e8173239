#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/utf8_text.h"

namespace plugkit {
namespace {

const std::string kFffd = "\xEF\xBF\xBD";

TEST(Utf8Text, BoundariesStepOverWholeCharacters) {
  // "a", "é" (2 bytes), "€" (3 bytes), "b"
  const std::string text = "a\xC3\xA9\xE2\x82\xAC" "b";
  struct Case {
    std::size_t position, next, previous, start;
  };
  const std::vector<Case> cases = {
      {0, 1, 0, 0}, {1, 3, 0, 1}, {2, 3, 1, 1}, {3, 6, 1, 3}, {5, 6, 3, 3},
      {6, 7, 3, 6}, {7, 7, 6, 7}, {99, 7, 6, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    EXPECT_EQ(Utf8NextBoundary(text, c.position), c.next);
    EXPECT_EQ(Utf8PreviousBoundary(text, c.position), c.previous);
    EXPECT_EQ(Utf8CharacterStart(text, c.position), c.start);
  }
}

TEST(Utf8Text, IllFormedSequencesBecomeReplacementCharacters) {
  struct Case {
    const char* what;
    std::string text, replaced;
  };
  const std::vector<Case> cases = {
      {"valid", "a\xC3\xA9\xF0\x9F\x8E\xB8", "a\xC3\xA9\xF0\x9F\x8E\xB8"},
      {"stray byte", "a\xFF" "b", "a" + kFffd + "b"},
      {"lone continuation", "\x80", kFffd},
      {"cut three-byte sequence", "\xE2\x82" "b", kFffd + "b"},
      {"cut at the end", "a\xF0\x9F\x8E", "a" + kFffd},
      {"overlong", "\xC0\xAF\xE0\x80\xAF", kFffd + kFffd + kFffd + kFffd + kFffd},
      {"surrogate", "\xED\xA0\x80", kFffd + kFffd + kFffd},
      {"above U+10FFFF", "\xF4\x90\x80\x80", kFffd + kFffd + kFffd + kFffd},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Utf8ReplaceInvalid(c.text), c.replaced);
    EXPECT_EQ(Utf8IsValid(c.text), c.text == c.replaced);
    EXPECT_TRUE(Utf8IsValid(c.replaced));
  }
}

TEST(Utf8Text, Utf16UnitsRoundTripAndLoneSurrogatesBecomeReplacementCharacters) {
  struct Case {
    const char* what;
    std::string text;
    std::u16string units;
    std::string back;
  };
  const std::vector<Case> cases = {
      {"one to four bytes", "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", u"a\u00E9\u20AC\U0001F600",
       "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
      {"bad sequences", "a\xFF\xE2\x82", u"a\uFFFD\uFFFD", "a" + kFffd + kFffd},
      {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD", kFffd + kFffd + kFffd},
      {"lone high half", "", std::u16string(u"x") + char16_t(0xD83D), "x" + kFffd},
      {"lone low half", "", std::u16string(1, char16_t(0xDE00)) + u"y", kFffd + "y"},
      {"halves reversed", "", std::u16string{char16_t(0xDE00), char16_t(0xD83D)}, kFffd + kFffd},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (!c.text.empty()) {
      EXPECT_EQ(Utf8ToUtf16(c.text), c.units);
    }
    EXPECT_EQ(Utf16ToUtf8(c.units), c.back);
  }
}

}  // namespace
}  // namespace plugkit
