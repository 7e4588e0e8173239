// The script editor's text model: insertion within the size limit, commits,
// wrapping into rows, keeping the caret in view, and the "Script" menu's
// actions.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>
#include <utility>

#include "common/str_buf.h"
#include "common/utf8_text.h"
#include "editor/orvane_gui_control.h"
#include "graphics/graphics_context.h"

namespace orvane {

namespace {

constexpr double kMinCharWidth = 1.0;
// Fewer visible rows than this count as one.
constexpr double kMinVisibleRows = 2.0;

// How many whole units of `unit` fit into `span`, from 1 up to `most`; 1 for
// metrics that give no sensible number.
std::size_t WholeCount(double span, double unit, double least, std::size_t most) {
  const double count = std::floor(span / unit);
  if (!(count >= least)) return 1;
  return count >= static_cast<double>(most) ? most : static_cast<std::size_t>(count);
}

// Bytes of the row that starts at `start` in the line ending at `lineEnd`:
// up to `columns`, broken after the last blank that fits, else cut hard, but
// never inside a character.
std::size_t RowLength(std::string_view text, std::size_t start, std::size_t lineEnd, std::size_t columns) {
  const std::size_t length = std::min(lineEnd - start, columns);
  const std::size_t end = start + length;
  if (end == lineEnd) return length;
  for (std::size_t blank = end; blank > start; --blank) {
    if (text[blank] == ' ') return blank - start + 1;
  }
  const std::size_t cut = plugkit::Utf8CharacterStart(text, end);
  return cut > start ? cut - start : plugkit::Utf8NextBoundary(text, start) - start;
}

}  // namespace

std::size_t OrvaneGUIControl::NextCharacterBoundary(const std::string& text, std::size_t position) {
  return plugkit::Utf8NextBoundary(text, position);
}

void OrvaneGUIControl::InsertScriptText(const char* text) {
  std::string inserted = plugkit::Utf8ReplaceInvalid(text ? text : "");
  const std::size_t base = mScriptSelectAll ? 0 : mScriptText.size();
  if (base + inserted.size() > kScriptMaxBytes) {
    const std::size_t room = base < kScriptMaxBytes ? kScriptMaxBytes - base : 0;
    inserted.resize(static_cast<std::size_t>(plugkit::Utf8CutLength(inserted.c_str(), static_cast<int>(room))));
  }
  if (mScriptSelectAll) {
    mScriptText = std::move(inserted);
    mScriptCaret = mScriptText.size();
    mScriptSelectAll = false;
  } else {
    const std::size_t caret = plugkit::Utf8CharacterStart(mScriptText, mScriptCaret);
    mScriptText.insert(caret, inserted);
    mScriptCaret = caret + inserted.size();
  }
  CommitScript();
}

void OrvaneGUIControl::CommitScript() {
  if (onScriptChanged) onScriptChanged(mScriptText);
  WrapScriptLines();
  ScrollScriptToCaret();
  MarkDirty(false);
}

void OrvaneGUIControl::WrapScriptLines() {
  const std::string_view text = mScriptText;
  const double codeWidth = static_cast<double>(mScriptRect.R) - mScriptTextLeft;
  const std::size_t columns = WholeCount(codeWidth, std::max<double>(mScriptCharWidth, kMinCharWidth), 1.0,
                                         std::max<std::size_t>(text.size(), 1));
  mScriptRows.clear();
  std::size_t lineStart = 0;
  for (std::size_t lineNumber = 1;; ++lineNumber) {
    const std::size_t newline = text.find('\n', lineStart);
    const std::size_t lineEnd = newline == std::string_view::npos ? text.size() : newline;
    if (lineEnd == lineStart) mScriptRows.push_back({lineStart, 0, lineNumber});
    for (std::size_t start = lineStart; start < lineEnd;) {
      const std::size_t length = RowLength(text, start, lineEnd, columns);
      mScriptRows.push_back({start, length, lineNumber});
      start += length;
    }
    if (lineEnd == text.size()) break;
    lineStart = lineEnd + 1;
  }
}

std::size_t OrvaneGUIControl::ScriptCaretRow() const {
  const std::uint64_t caret = mScriptCaret;
  for (std::size_t row = 1; row < mScriptRows.size(); ++row) {
    if (mScriptRows[row].start == caret) return row;
  }
  std::size_t endedBefore = 0;
  for (std::size_t row = 0; row < mScriptRows.size(); ++row) {
    const ScriptRow& r = mScriptRows[row];
    if (r.start <= caret && caret <= r.start + r.length) return row;
    if (r.start + r.length < caret) endedBefore = row;
  }
  return endedBefore;
}

std::int64_t OrvaneGUIControl::VisibleScriptRows() const {
  const double areaHeight = static_cast<double>(mScriptRect.B) - mScriptRect.T;
  return static_cast<std::int64_t>(
      WholeCount(areaHeight, mScriptLineHeight, kMinVisibleRows, std::numeric_limits<std::int32_t>::max()));
}

void OrvaneGUIControl::ScrollScriptToCaret() {
  if (mScriptRows.empty()) WrapScriptLines();
  const std::int64_t visible = VisibleScriptRows();
  const auto caretRow = static_cast<std::int64_t>(ScriptCaretRow());
  std::int64_t first = mScriptFirstLine;
  if (caretRow > first + visible - 1) {
    first = caretRow - visible + 1;
  } else if (caretRow < first) {
    first = caretRow;
  }
  mScriptFirstLine = static_cast<std::int32_t>(std::clamp<std::int64_t>(first, 0, LastScriptFirstLine()));
}

std::int64_t OrvaneGUIControl::LastScriptFirstLine() const {
  return std::max<std::int64_t>(static_cast<std::int64_t>(mScriptRows.size()) - VisibleScriptRows(), 0);
}

bool OrvaneGUIControl::ScrollScriptRows(std::int64_t rows) {
  const std::int64_t lastFirst = LastScriptFirstLine();
  // Rows beyond the whole table would only be clamped away, and could overflow.
  const std::int64_t step = std::clamp<std::int64_t>(rows, -lastFirst - 1, lastFirst + 1);
  const auto first = static_cast<std::int32_t>(std::clamp<std::int64_t>(mScriptFirstLine + step, 0, lastFirst));
  return std::exchange(mScriptFirstLine, first) != first;
}

void OrvaneGUIControl::NewBlankScript() {
  mScriptText.clear();
  mScriptFocused = true;
  mScriptSelectAll = false;
  mScriptFirstLine = 0;
  mScriptCaret = 0;
  CommitScript();
}

bool OrvaneGUIControl::CopyScriptToClipboard() {
  IGraphics* graphics = GetUI();
  return graphics != nullptr && graphics->SetClipboardText(mScriptText.c_str());
}

void OrvaneGUIControl::PasteScriptFromClipboard() {
  IGraphics* graphics = GetUI();
  plugkit::StrBuf text;
  if (graphics != nullptr && graphics->ClipboardText(text)) InsertScriptText(text.Get());
}

}  // namespace orvane
