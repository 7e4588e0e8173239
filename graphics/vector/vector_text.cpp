// Text through the vector core: measuring, lines at an angle, and blocks
// broken into rows.
#include <cstring>

#include "graphics/renderer/paint.h"
#include "graphics/renderer/text.h"
#include "graphics/renderer/text_align.h"
#include "graphics/vector/graphics_vector.h"
#include "graphics/vector/vector_conversions.h"

namespace plugkit::graphics {

namespace {

constexpr int kRowsPerBreak = 3;
// Where a block's anchor lies in it: its top, middle or bottom.
constexpr float kBlockAnchor[] = {0.f, 0.5f, 1.f};

struct HorizontalAnchor {
  int bits;
  float x;
};

HorizontalAnchor AnchorX(EAlign align, const IRECT& r) {
  switch (align) {
    case EAlign::Center: return {VC_ALIGN_CENTER, (r.L + r.R) / 2.f};
    case EAlign::Far: return {VC_ALIGN_RIGHT, r.R};
    case EAlign::Near: break;
  }
  return {VC_ALIGN_LEFT, r.L};
}

struct VerticalAnchor {
  int bits;
  float y;
  float blockFactor;  // of the block's height above the anchor
};

VerticalAnchor AnchorY(EVAlign align, const IRECT& r) {
  switch (align) {
    case EVAlign::Middle: return {VC_ALIGN_MIDDLE, (r.T + r.B) / 2.f, kBlockAnchor[1]};
    case EVAlign::Bottom: return {VC_ALIGN_BOTTOM, r.B, kBlockAnchor[2]};
    case EVAlign::Top: break;
  }
  return {VC_ALIGN_TOP, r.T, kBlockAnchor[0]};
}

}  // namespace

void IGraphicsVector::SetTextFont(const IText& text) {
  vcFontBlur(mContext, 0.f);
  vcFontSize(mContext, text.mSize);
  vcFontFace(mContext, text.mFont);
}

void IGraphicsVector::PrepareText(const IText& text, const char* str, IRECT& rect, float& x, float& y) {
  SetTextFont(text);
  const HorizontalAnchor h = AnchorX(text.mAlign, rect);
  const VerticalAnchor v = AnchorY(text.mVAlign, rect);
  x = h.x;
  y = v.y;
  vcTextAlign(mContext, h.bits | v.bits);
  float bounds[4] = {x, y, x, y};
  vcTextBounds(mContext, x, y, str, nullptr, bounds);
  rect = IRECT(bounds[0], bounds[1], bounds[2], bounds[3]);
}

float IGraphicsVector::MeasureText(const IText& text, const char* str, IRECT& bounds) {
  if (!mContext || !str) return 0.f;
  const IRECT area = bounds;
  float x = 0.f;
  float y = 0.f;
  PrepareText(text, str, bounds, x, y);
  MeasureRotatedText(text, area, bounds);
  return bounds.W();
}

void IGraphicsVector::DrawText(const IText& text, const char* str, const IRECT& bounds, const IBlend* blend) {
  if (!mContext || !str) return;
  IRECT measured = bounds;
  float x = 0.f;
  float y = 0.f;
  PrepareText(text, str, measured, x, y);
  PathTransformSave();
  if (text.mAngle != 0.f) {
    double dx = 0.0;
    double dy = 0.0;
    ComputeRotatedTextOffset(text, bounds, measured, dx, dy);
    PathTransformTranslate(static_cast<float>(dx), static_cast<float>(dy));
    PathTransformRotate(text.mAngle);
  }
  vcFillColor(mContext, VectorColor(text.mFGColor, blend));
  BlendToComposite(mContext, blend);
  vcText(mContext, x, y, str, nullptr);
  vcGlobalCompositeOperation(mContext, VC_SOURCE_OVER);
  PathTransformRestore();
}

// Rows are drawn from the block's top, so the block as a whole (not each
// row) takes the vertical alignment.
void IGraphicsVector::DrawTextBlock(const IText& text, const char* str, const IRECT& bounds, const IBlend* blend) {
  if (!mContext || !str) return;
  const char* end = str + std::strlen(str);
  const float width = bounds.W();
  vcSave(mContext);
  SetTextFont(text);
  const HorizontalAnchor h = AnchorX(text.mAlign, bounds);
  const VerticalAnchor v = AnchorY(text.mVAlign, bounds);
  vcTextAlign(mContext, h.bits | VC_ALIGN_TOP);
  float lineHeight = 0.f;
  vcTextMetrics(mContext, nullptr, nullptr, &lineHeight);
  vcFillColor(mContext, VectorColor(text.mFGColor, blend));

  VCtextRow rows[kRowsPerBreak];
  int lines = 0;
  for (const char* start = str;;) {
    const int n = vcTextBreakLines(mContext, start, end, width, rows, kRowsPerBreak);
    if (n <= 0 || rows[n - 1].next <= start) break;
    lines += n;
    start = rows[n - 1].next;
  }
  float y = v.y - v.blockFactor * static_cast<float>(lines) * lineHeight;
  for (const char* start = str;;) {
    const int n = vcTextBreakLines(mContext, start, end, width, rows, kRowsPerBreak);
    if (n <= 0 || rows[n - 1].next <= start) break;
    for (int i = 0; i < n; ++i, y += lineHeight) vcText(mContext, h.x, y, rows[i].start, rows[i].end);
    start = rows[n - 1].next;
  }
  vcRestore(mContext);
}

}  // namespace plugkit::graphics
