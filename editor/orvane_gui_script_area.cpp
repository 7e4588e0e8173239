// The script editor's panel in the main panel: its metrics written into the
// control for the keys and the pointer, the visible rows with line numbers
// and the error line, the caret, and the status line.

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "common/c_locale.h"
#include "common/utf8_text.h"
#include "editor/editor_colours.h"
#include "editor/main_panel_layout.h"
#include "editor/orvane_gui_control.h"
#include "graphics/graphics_context.h"

namespace orvane {

namespace {

using plugkit::graphics::EAlign;
using plugkit::graphics::EVAlign;

constexpr char kScriptPanelTitle[] = "USER CONTROLS SCRIPT";
constexpr float kTextAreaSide = 10.f;
constexpr float kTextAreaTop = 39.f;
constexpr float kTextAreaBottom = 34.f;
constexpr float kLineHeightPerSize = 1.3f;
constexpr float kLeastLineHeight = 1.f;

// Line numbers take two characters up to this many lines, else their digits
// and one more; they end this many characters before the code.
constexpr std::size_t kShortScriptLines = 9;
constexpr std::size_t kShortGutter = 2;
constexpr float kLineNumberGap = 0.8f;
constexpr int kLineNumberSize = 24;
constexpr std::size_t kPaletteErrorRow = 34;
constexpr char kEmptyScriptHint[] = "TYPE SCRIPT HERE";

constexpr float kCaretWidth = 1.f;
constexpr float kCaretRightGap = 2.f;

// The status line under the text area.
constexpr float kStatusSide = 8.f;
constexpr float kStatusTop = 24.f;
constexpr float kStatusBottom = 5.f;
constexpr int kStatusSize = 96;
constexpr int kErrorTextBytes = 48;

// Whole rows that fit the text area, at least one (and never more than a
// size can hold).
std::size_t VisibleRows(const IRECT& area, float lineHeight) {
  constexpr float kMostRows = 1e9f;
  const float rows = std::floor(area.H() / lineHeight);
  return rows >= 1.f ? static_cast<std::size_t>(std::min(rows, kMostRows)) : 1;
}

// The step from one character to the next: a measured text also holds the
// drawn box's padding, which two letters hold once, as one does.
float CharacterAdvance(IGraphics& g, const IText& style) {
  constexpr char kOneLetter[] = "M";
  constexpr char kTwoLetters[] = "MM";
  IRECT bounds;
  const float two = g.MeasureText(style, kTwoLetters, bounds);
  return two - g.MeasureText(style, kOneLetter, bounds);
}

std::size_t GutterCharacters(std::string_view script) {
  const std::size_t lines = 1 + static_cast<std::size_t>(std::ranges::count(script, '\n'));
  if (lines <= kShortScriptLines) return kShortGutter;
  std::size_t digits = 1;
  for (std::size_t rest = lines / 10; rest > 0; rest /= 10) ++digits;
  return digits + 1;
}

}  // namespace

void OrvaneGUIControl::DrawScriptPanel(IGraphics& g, const MainPanelLayout& layout, const IText& labelStyleA,
                                       const IText& labelStyleB, const IText& smallStyle) {
  DrawPanelFrame(g, IRECT(layout.sx0, layout.top, layout.sx1, layout.sy1), kScriptPanelTitle, labelStyleA);
  mScriptRect = IRECT(layout.sx0 + kTextAreaSide, layout.top + kTextAreaTop, layout.sx1 - kTextAreaSide,
                      layout.sy1 - kTextAreaBottom);
  mTextStyle = labelStyleB;
  mScriptCharWidth = CharacterAdvance(g, mTextStyle);
  mScriptLineHeight = std::max(kLineHeightPerSize * mTextStyle.mSize, kLeastLineHeight);
  mScriptTextLeft = mScriptRect.L + static_cast<float>(GutterCharacters(mScriptText)) * mScriptCharWidth;
  WrapScriptLines();
  // Kept within the rows, but not pulled back to the caret: every edit and
  // caret move brings the caret into view itself, and a wheel turn may have
  // scrolled it out on purpose.
  ScrollScriptRows(0);

  if (mScriptText.empty()) {
    IText hint = smallStyle;
    hint.mAlign = EAlign::Near;
    hint.mVAlign = EVAlign::Top;
    g.DrawTextIfNotEmpty(hint, kEmptyScriptHint, IRECT(mScriptTextLeft, mScriptRect.T, mScriptRect.R, mScriptRect.B));
  } else {
    DrawScriptRows(g);
  }
  if (mScriptFocused) DrawScriptCaret(g);

  char status[kStatusSize];
  if (mParsedScript.error.empty()) {
    plugkit::FormatCLocale(status, sizeof status, "SCRIPT OK  /  %zu CONTROLS", mParsedScript.controls.size());
  } else {
    const int bytes = plugkit::Utf8CutLength(mParsedScript.error.c_str(), kErrorTextBytes);
    plugkit::FormatCLocale(status, sizeof status, "ERROR LINE %zu: %.*s",
                           static_cast<std::size_t>(mParsedScript.errorLine), bytes, mParsedScript.error.c_str());
  }
  g.DrawTextIfNotEmpty(smallStyle, status,
                       IRECT(layout.sx0 + kStatusSide, layout.sy1 - kStatusTop, layout.sx1 - kStatusSide,
                             layout.sy1 - kStatusBottom));
}

// Rows from the first visible one down as far as whole rows fit (at least
// one); the rows of the error's line filled, each line's number on its
// first row.
void OrvaneGUIControl::DrawScriptRows(IGraphics& g) {
  const float lineHeight = mScriptLineHeight;
  const std::size_t visible = VisibleRows(mScriptRect, lineHeight);
  const bool hasError = !mParsedScript.error.empty();
  IText numberStyle = Recoloured(mTextStyle, kPaletteSecondaryText);
  numberStyle.mAlign = EAlign::Far;
  numberStyle.mVAlign = EVAlign::Top;
  const auto first = static_cast<std::size_t>(std::max(mScriptFirstLine, 0));
  for (std::size_t j = 0; j < visible && first + j < mScriptRows.size(); ++j) {
    const std::size_t index = first + j;
    const ScriptRow& row = mScriptRows[index];
    const float y = mScriptRect.T + static_cast<float>(j) * lineHeight;
    if (hasError && row.lineNumber == mParsedScript.errorLine)
      g.FillRect(PaletteColor(kPaletteErrorRow), IRECT(mScriptTextLeft, y, mScriptRect.R, y + lineHeight));
    if (index == 0 || mScriptRows[index - 1].lineNumber != row.lineNumber) {
      char number[kLineNumberSize];
      plugkit::FormatCLocale(number, sizeof number, "%zu", row.lineNumber);
      g.DrawTextIfNotEmpty(numberStyle, number,
                           IRECT(mScriptRect.L, y, mScriptTextLeft - kLineNumberGap * mScriptCharWidth,
                                 y + lineHeight));
    }
    const std::string text = mScriptText.substr(row.start, row.length);
    g.DrawTextIfNotEmpty(mTextStyle, text.c_str(), IRECT(mScriptTextLeft, y, mScriptRect.R, y + lineHeight));
  }
}

// Steady rather than blinking: a blinking caret would redraw the whole
// editor twice a second. Trailing blanks count one character width each,
// since a measured text may drop them.
void OrvaneGUIControl::DrawScriptCaret(IGraphics& g) {
  const std::size_t caretRow = ScriptCaretRow();
  const auto first = static_cast<std::size_t>(std::max(mScriptFirstLine, 0));
  const std::size_t visible = VisibleRows(mScriptRect, mScriptLineHeight);
  if (caretRow >= mScriptRows.size() || caretRow < first || caretRow >= first + visible) return;
  const ScriptRow& row = mScriptRows[caretRow];
  const std::size_t caret = std::clamp<std::size_t>(mScriptCaret, row.start, row.start + row.length);
  std::string before = mScriptText.substr(row.start, caret - row.start);
  const std::size_t kept = before.find_last_not_of(' ') + 1;  // 0 when all blanks
  const std::size_t blanks = before.size() - kept;
  before.resize(kept);
  IRECT bounds = mScriptRect;
  const float x = std::min(mScriptTextLeft + g.MeasureTextIfNotEmpty(mTextStyle, before.c_str(), bounds) +
                               static_cast<float>(blanks) * mScriptCharWidth,
                           mScriptRect.R - kCaretRightGap);
  const float y = std::min(mScriptRect.T + static_cast<float>(caretRow - first) * mScriptLineHeight,
                           mScriptRect.B - mScriptLineHeight);
  g.DrawLine(PaletteColor(kPaletteMainText), x, y, x, y + mScriptLineHeight, nullptr, kCaretWidth);
}

}  // namespace orvane
