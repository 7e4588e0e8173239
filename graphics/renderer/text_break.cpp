// Breaking text into rows.
#include <cstring>

#include "graphics/renderer/text.h"
#include "graphics/renderer/vector_context.h"

namespace {

enum CodepointType {
  kSpace,
  kNewline,
  kChar,
  kCjkChar,
};

struct CodepointRange {
  unsigned int first, last;
};
// Scripts written without spaces between words: a row may break between any
// two of their characters.
constexpr CodepointRange kCjkRanges[] = {
    {0x4E00, 0x9FFF},  // CJK unified ideographs
    {0x3000, 0x30FF},  // CJK punctuation, hiragana, katakana
    {0xFF00, 0xFFEF},  // half- and full-width forms
    {0x1100, 0x11FF},  // Hangul jamo
    {0x3130, 0x318F},  // Hangul compatibility jamo
    {0xAC00, 0xD7AF},  // Hangul syllables
};

constexpr unsigned int kTab = 9, kLineFeed = 10, kVerticalTab = 11, kFormFeed = 12, kCarriageReturn = 13;
constexpr unsigned int kBlank = 32, kNextLine = 0x85, kNoBreakSpace = 0xA0;

// The second of a CR LF or LF CR pair is white space, so the pair breaks once.
CodepointType Classify(unsigned int codepoint, unsigned int previous) {
  switch (codepoint) {
    case kTab:
    case kVerticalTab:
    case kFormFeed:
    case kBlank:
    case kNoBreakSpace:
      return kSpace;
    case kLineFeed:
      return previous == kCarriageReturn ? kSpace : kNewline;
    case kCarriageReturn:
      return previous == kLineFeed ? kSpace : kNewline;
    case kNextLine:
      return kNewline;
    default:
      for (const CodepointRange& range : kCjkRanges) {
        if (codepoint >= range.first && codepoint <= range.last) return kCjkChar;
      }
      return kChar;
  }
}

bool IsGlyph(CodepointType type) { return type == kChar || type == kCjkChar; }

// The row being filled, in device units from its first glyph's pen position.
// A row is empty (rowStart null) until its first glyph; the break point is
// where the row may end (after its last whole word, or before a CJK
// character), the word start where the next row then begins.
class RowBreaker {
public:
  RowBreaker(VCtextRow* rows, int maxRows, float breakRowWidth, float invscale)
      : mRows(rows), mMaxRows(maxRows), mBreakRowWidth(breakRowWidth), mInvscale(invscale) {}

  // False once maxRows rows are written.
  bool Step(const FAtextIter& iter, const FAquad& q, CodepointType type) {
    bool more = true;
    if (type == kNewline) {
      more = Emit(mRowStart ? mRowStart : iter.str, mRowEnd ? mRowEnd : iter.str, mRowWidth, mRowMinX, mRowMaxX,
                  iter.next);
      mRowStart = mRowEnd = nullptr;
      mRowWidth = mRowMinX = mRowMaxX = 0.0f;
    } else if (!mRowStart) {
      if (IsGlyph(type)) StartRow(iter, q);  // white space before a row is skipped
    } else {
      more = Extend(iter, q, type);
    }
    mPreviousType = type;
    return more;
  }

  int Finish(const char* end) {
    if (mRowStart) Emit(mRowStart, mRowEnd, mRowWidth, mRowMinX, mRowMaxX, end);
    return mCount;
  }

private:
  bool Emit(const char* start, const char* end, float width, float minx, float maxx, const char* next) {
    mRows[mCount++] = {start, end, next, width * mInvscale, minx * mInvscale, maxx * mInvscale};
    return mCount < mMaxRows;
  }

  void ResetBreakPoint() {
    mBreakEnd = mRowStart;
    mBreakWidth = 0.0f;
    mBreakMaxX = 0.0f;
  }

  void StartRow(const FAtextIter& iter, const FAquad& q) {
    mRowStartX = iter.x;
    mRowStart = iter.str;
    mRowEnd = iter.next;
    mRowWidth = iter.nextx - mRowStartX;
    mRowMinX = q.x0 - mRowStartX;
    mRowMaxX = q.x1 - mRowStartX;
    mWordStart = iter.str;
    mWordStartX = iter.x;
    mWordMinX = q.x0;
    ResetBreakPoint();
  }

  bool Extend(const FAtextIter& iter, const FAquad& q, CodepointType type) {
    const bool previousGlyph = IsGlyph(mPreviousType);
    // The break point and word start are taken before this glyph joins the
    // row, so a row ended there does not count it.
    if ((previousGlyph && type == kSpace) || type == kCjkChar) {
      mBreakEnd = iter.str;
      mBreakWidth = mRowWidth;
      mBreakMaxX = mRowMaxX;
    }
    if ((mPreviousType == kSpace && IsGlyph(type)) || type == kCjkChar) {
      mWordStart = iter.str;
      mWordStartX = iter.x;
      mWordMinX = q.x0;
    }
    if (!IsGlyph(type)) return true;
    if (iter.nextx - mRowStartX <= mBreakRowWidth) {
      mRowEnd = iter.next;
      mRowWidth = iter.nextx - mRowStartX;
      mRowMaxX = q.x1 - mRowStartX;
      return true;
    }
    if (mBreakEnd == mRowStart) {
      // A word longer than the row breaks before this glyph, which starts the next.
      if (!Emit(mRowStart, iter.str, mRowWidth, mRowMinX, mRowMaxX, iter.str)) return false;
      StartRow(iter, q);
      return true;
    }
    // The row ends after its last whole word; the next starts at this word.
    if (!Emit(mRowStart, mBreakEnd, mBreakWidth, mRowMinX, mBreakMaxX, mWordStart)) return false;
    mRowStartX = mWordStartX;
    mRowStart = mWordStart;
    mRowEnd = iter.next;
    mRowWidth = iter.nextx - mRowStartX;
    mRowMinX = mWordMinX - mRowStartX;
    mRowMaxX = q.x1 - mRowStartX;
    ResetBreakPoint();
    return true;
  }

  VCtextRow* mRows;
  int mMaxRows;
  float mBreakRowWidth;
  float mInvscale;
  int mCount = 0;
  CodepointType mPreviousType = kSpace;
  const char* mRowStart = nullptr;
  const char* mRowEnd = nullptr;
  float mRowStartX = 0.0f, mRowWidth = 0.0f, mRowMinX = 0.0f, mRowMaxX = 0.0f;
  const char* mBreakEnd = nullptr;
  float mBreakWidth = 0.0f, mBreakMaxX = 0.0f;
  const char* mWordStart = nullptr;
  float mWordStartX = 0.0f, mWordMinX = 0.0f;
};

}  // namespace

int vcTextBreakLines(VCcontext* ctx, const char* string, const char* end, float breakRowWidth, VCtextRow* rows,
                     int maxRows) {
  if (maxRows <= 0 || !rows || !string || vc__getState(ctx)->fontId == -1) return 0;
  if (!end) end = string + std::strlen(string);
  if (string == end) return 0;
  const float scale = vc__deviceFontScale(ctx);
  vc__setFontAtlasState(ctx, scale);
  // Measuring never places a glyph, so it never fills the atlas.
  FAtextIter iter;
  if (!faTextIterInit(ctx->fs, &iter, 0.0f, 0.0f, string, end, FA_GLYPH_BITMAP_OPTIONAL)) return 0;
  RowBreaker breaker(rows, maxRows, breakRowWidth * scale, 1.0f / scale);
  FAquad q;
  unsigned int previous = 0;
  while (faTextIterNext(ctx->fs, &iter, &q)) {
    if (!breaker.Step(iter, q, Classify(iter.codepoint, previous))) return maxRows;
    previous = iter.codepoint;
  }
  return breaker.Finish(end);
}
