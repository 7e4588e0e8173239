#include "editor/text_fitting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "accented_letter.h"
#include "common/utf8_text.h"
#include "editor/editor_colours.h"
#include "support/graphics/recording_delegate.h"
#include "support/graphics/recording_graphics.h"

namespace orvane::testing {
namespace {

using plugkit::testing::RecordingDelegate;
using plugkit::testing::RecordingGraphics;

// The recording graphics measures each code point 0.5 x size wide: 5 at size 10.
const IText kTen(10.f);

class TextFitting : public ::testing::Test {
protected:
  RecordingDelegate delegate;
  RecordingGraphics g{delegate, 400, 300};
};

TEST_F(TextFitting, FitTextShrinksBy088UntilTheTextFits) {
  struct Case {
    IRECT r;
    std::string text;
    float maxSize;
    float expectedMin, expectedMax;
  };
  const std::vector<Case> cases = {
      {IRECT(0, 0, 100, 20), "abcd", 12.f, 12.f, 12.f},         // fits at the largest size
      {IRECT(0, 0, 100, 10), "abcd", 30.f, 10.f, 10.f},         // no taller than the rectangle
      {IRECT(0, 0, 30, 20), "abcdefgh", 10.f, 6.81f, 6.82f},    // 10, 8.8, 7.744, 6.815
      {IRECT(0, 0, 10, 200), std::string(1000, 'x'), 100.f, 4.4f, 5.f},  // never fits: the last size stays
  };
  const FitText fit(g, kTen);
  for (const Case& c : cases) {
    const IText style = fit(c.r, c.text.c_str(), plugkit::graphics::kColorRed, c.maxSize);
    EXPECT_GE(style.mSize, c.expectedMin) << c.text;
    EXPECT_LE(style.mSize, c.expectedMax) << c.text;
    EXPECT_EQ(style.mFGColor, plugkit::graphics::kColorRed);
  }
  EXPECT_EQ(FitTextMainColour(g, kTen)(IRECT(0, 0, 100, 20), "abcd", 12.f).mFGColor, PaletteColor(kPaletteMainText));
}

// What the cut must equal: one character at a time from the end.
std::string CutOneAtATime(RecordingGraphics& g, const std::string& text, float width) {
  IRECT bounds;
  if (g.MeasureTextIfNotEmpty(kTen, text.c_str(), bounds) <= width) return text;
  for (std::size_t end = plugkit::Utf8PreviousBoundary(text, text.size());;
       end = plugkit::Utf8PreviousBoundary(text, end)) {
    const std::string cut = text.substr(0, end) + "...";
    if (g.MeasureTextIfNotEmpty(kTen, cut.c_str(), bounds) <= width) return cut;
    if (end == 0) return {};
  }
}

TEST_F(TextFitting, CutKeepsWholeCharactersAsCuttingOneAtATimeWould) {
  const std::string name = "Cr" + kE + "me br" + kE + "l" + kE + "e d'" + kE + "t" + kE;  // 17 code points
  for (float width = 0.f; width <= 90.f; width += 2.5f)
    EXPECT_EQ(CutTextToWidth(g, kTen, name, width), CutOneAtATime(g, name, width)) << width;
  EXPECT_EQ(CutTextToWidth(g, kTen, name, 40.f), "Cr" + kE + "me...");
  EXPECT_EQ(CutTextToWidth(g, kTen, name, 15.f), "...");
  EXPECT_EQ(CutTextToWidth(g, kTen, name, 14.9f), "");  // below the width of "..."
}

TEST_F(TextFitting, CutOfALongNameMeasuresAFewTexts) {
  const std::string name(16384, 'n');
  g.ClearCalls();
  EXPECT_EQ(CutTextToWidth(g, kTen, name, 100.f), std::string(17, 'n') + "...");
  EXPECT_LE(g.CountCalls("MeasureText"), 20);
}

TEST_F(TextFitting, SingleLineLayoutShowsThePartAroundTheCaret) {
  struct Case {
    const char* what;
    std::string text;
    std::size_t caret;
    float width;
    std::size_t start, end;
    float caretX;
  };
  std::string accents;
  for (int i = 0; i < 5; ++i) accents += kE;  // 10 bytes
  const std::vector<Case> cases = {
      {"fits", "abc", 1, 100.f, 0, 3, 5.f},
      {"caret at the end shows the end", "abcdefghij", 10, 22.f, 6, 10, 20.f},
      {"caret at 0 shows the start", "abcdefghij", 0, 22.f, 0, 4, 0.f},
      {"caret past the end is clamped", "abcdefghij", 99, 22.f, 6, 10, 20.f},
      {"caret in the middle", "abcdefghij", 5, 22.f, 1, 5, 20.f},
      {"whole characters at the end", accents, 10, 12.f, 6, 10, 10.f},
      {"whole characters at the start", accents, 0, 12.f, 0, 4, 0.f},
      {"a caret inside a character stands at its start", accents, 3, 100.f, 0, 10, 5.f},
      {"trailing blanks", "ab   ", 5, 100.f, 0, 5, 25.f},
  };
  for (const Case& c : cases) {
    const SingleLineLayout layout = LayoutSingleLineText(g, kTen, c.text, c.caret, c.width);
    EXPECT_EQ(layout.start, c.start) << c.what;
    EXPECT_EQ(layout.end, c.end) << c.what;
    EXPECT_FLOAT_EQ(layout.caretX, c.caretX) << c.what;
  }
}

}  // namespace
}  // namespace orvane::testing
