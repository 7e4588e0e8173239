#pragma once

// Text measured against the space it must fit: styles shrunk until a text
// fits, texts cut by whole UTF-8 characters, and the visible part of a
// single-line field around its caret. Each search measures texts of about the
// width that fits, never the whole of a long text once per character.
// Main thread only, like the graphics context they measure with.

#include <cstddef>
#include <string>
#include <string_view>

#include "graphics/graphics_context.h"
#include "graphics/graphics_types.h"

namespace orvane {

using plugkit::graphics::IColor;
using plugkit::graphics::IGraphics;
using plugkit::graphics::IRECT;
using plugkit::graphics::IText;

// A copy of the base style in a colour, at min(maxSize, r's height), shrunk
// by 0.88 while above 5 points until the text is no wider than r. A text that
// never fits keeps the last size set (between 4.4 and 5 points from a large
// start).
class FitText {
public:
  FitText(IGraphics& graphics, const IText& base) : mGraphics(graphics), mBase(base) {}
  IText operator()(const IRECT& r, const char* text, const IColor& colour, float maxSize) const;

private:
  IGraphics& mGraphics;
  IText mBase;
};

// FitText in the main text colour of the theme.
class FitTextMainColour {
public:
  FitTextMainColour(IGraphics& graphics, const IText& base) : mFit(graphics, base) {}
  IText operator()(const IRECT& r, const char* text, float maxSize) const;

private:
  FitText mFit;
};

// The text when it fits the width; else its longest run of whole characters
// from the start that fits with "..." after it; else "..." when that fits;
// else nothing.
std::string CutTextToWidth(IGraphics& graphics, const IText& style, std::string_view text, float width);

// The width of the text with its trailing blanks, each counted as the width
// of a blank between two letters (width "M M" - width "MM"): a measured text
// may drop them.
float MeasureTextKeepingSpaces(IGraphics& graphics, const IText& style, std::string_view text);

// What a single-line field shows: the bytes [start, end) of its text, and the
// caret's x from the left of the shown part.
struct SingleLineLayout {
  std::size_t start = 0;
  std::size_t end = 0;
  float caretX = 0.f;
};

// The caret is clamped to the text (and to the start of its character). The
// shown part starts at the leftmost character boundary before the caret from
// which the text up to the caret fits the width, and ends at the farthest
// boundary after the caret up to which the text from that start still fits,
// so a long text shows its end while the caret stands at the end.
SingleLineLayout LayoutSingleLineText(IGraphics& graphics, const IText& style, std::string_view text,
                                      std::size_t caret, float width);

}  // namespace orvane
