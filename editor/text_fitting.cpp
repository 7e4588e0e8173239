#include "editor/text_fitting.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "common/utf8_text.h"
#include "editor/editor_colours.h"

namespace orvane {

namespace {

constexpr float kSmallestFittedSize = 5.f;
constexpr float kFitShrink = 0.88f;
constexpr char kEllipsis[] = "...";
// A blank between two letters, measured as the difference of these.
constexpr char kLettersWithBlank[] = "M M";
constexpr char kLettersWithoutBlank[] = "MM";

float Measure(IGraphics& graphics, const IText& style, const std::string& text) {
  IRECT bounds;
  return graphics.MeasureTextIfNotEmpty(style, text.c_str(), bounds);
}

// Measures texts with their trailing blanks, the width of a blank measured
// once for all of them.
class BlankKeepingMeasure {
public:
  BlankKeepingMeasure(IGraphics& graphics, const IText& style) : mGraphics(graphics), mStyle(style) {}

  float operator()(std::string_view text) {
    const std::size_t kept = text.find_last_not_of(' ') + 1;  // npos + 1 is 0
    const std::size_t blanks = text.size() - kept;
    const float width = Measure(mGraphics, mStyle, std::string(text.substr(0, kept)));
    return blanks == 0 ? width : width + static_cast<float>(blanks) * BlankWidth();
  }

private:
  float BlankWidth() {
    if (!mBlankWidth)
      mBlankWidth = Measure(mGraphics, mStyle, kLettersWithBlank) - Measure(mGraphics, mStyle, kLettersWithoutBlank);
    return *mBlankWidth;
  }

  IGraphics& mGraphics;
  const IText& mStyle;
  std::optional<float> mBlankWidth;
};

enum class Direction { kBackward, kForward };

// Walks the character boundaries of the text from `origin` and answers the
// farthest one at which `fits` holds, given that it holds at the origin and
// that once it fails it fails at every boundary farther on. Steps double
// until one fails, then the gap is halved, so it asks about log2 of the
// characters that fit, each time about a text at most twice as long as the
// answer's.
template <class Fits>
std::size_t FarthestFittingBoundary(std::string_view text, std::size_t origin, Direction direction, Fits&& fits) {
  std::vector<std::size_t> boundaries{origin};
  // True when boundaries[index] exists; walks on to it as needed.
  const auto reach = [&](std::size_t index) {
    while (boundaries.size() <= index) {
      const std::size_t last = boundaries.back();
      const std::size_t next = direction == Direction::kForward ? plugkit::Utf8NextBoundary(text, last)
                                                                : plugkit::Utf8PreviousBoundary(text, last);
      if (next == last) return false;
      boundaries.push_back(next);
    }
    return true;
  };
  std::size_t good = 0;
  std::size_t bad = 0;  // 0 while no boundary has failed
  for (std::size_t probe = 1; bad == 0; probe *= 2) {
    if (!reach(probe)) probe = boundaries.size() - 1;
    if (probe == good) return boundaries[good];  // everything up to the text's end fits
    (fits(boundaries[probe]) ? good : bad) = probe;
  }
  while (bad - good > 1) {
    const std::size_t middle = good + (bad - good) / 2;
    (fits(boundaries[middle]) ? good : bad) = middle;
  }
  return boundaries[good];
}

}  // namespace

IText FitText::operator()(const IRECT& r, const char* text, const IColor& colour, float maxSize) const {
  IText style = mBase;
  style.mFGColor = colour;
  style.mSize = std::min(maxSize, r.H());
  while (style.mSize > kSmallestFittedSize) {
    IRECT bounds = r;
    if (mGraphics.MeasureTextIfNotEmpty(style, text, bounds) <= r.W()) break;
    style.mSize *= kFitShrink;
  }
  return style;
}

IText FitTextMainColour::operator()(const IRECT& r, const char* text, float maxSize) const {
  return mFit(r, text, PaletteColor(kPaletteMainText), maxSize);
}

std::string CutTextToWidth(IGraphics& graphics, const IText& style, std::string_view text, float width) {
  std::string whole(text);
  if (Measure(graphics, style, whole) <= width) return whole;
  const auto cut = [text](std::size_t end) { return std::string(text.substr(0, end)) + kEllipsis; };
  if (Measure(graphics, style, kEllipsis) > width) return {};
  const std::size_t end = FarthestFittingBoundary(
      text, 0, Direction::kForward, [&](std::size_t b) { return Measure(graphics, style, cut(b)) <= width; });
  return cut(end);
}

float MeasureTextKeepingSpaces(IGraphics& graphics, const IText& style, std::string_view text) {
  return BlankKeepingMeasure(graphics, style)(text);
}

SingleLineLayout LayoutSingleLineText(IGraphics& graphics, const IText& style, std::string_view text,
                                      std::size_t caret, float width) {
  caret = plugkit::Utf8CharacterStart(text, caret);
  BlankKeepingMeasure measure(graphics, style);
  SingleLineLayout layout;
  layout.start = FarthestFittingBoundary(text, caret, Direction::kBackward, [&](std::size_t b) {
    return measure(text.substr(b, caret - b)) <= width;
  });
  layout.end = FarthestFittingBoundary(text, caret, Direction::kForward, [&](std::size_t b) {
    return measure(text.substr(layout.start, b - layout.start)) <= width;
  });
  layout.caretX = measure(text.substr(layout.start, caret - layout.start));
  return layout;
}

}  // namespace orvane
