#include "graphics/renderer/text.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/renderer/image.h"
#include "graphics/renderer/paint.h"
#include "graphics/renderer/tessellation.h"
#include "graphics/renderer/transform.h"
#include "graphics/renderer/vector_context.h"

namespace {

constexpr float kMaxFontScale = 4.0f;
constexpr float kFontScaleStep = 0.01f;
constexpr int kQuadVertices = 6;
constexpr long long kMinReservedGlyphs = 2;
constexpr int kHorizontalAlign = VC_ALIGN_LEFT | VC_ALIGN_CENTER | VC_ALIGN_RIGHT;
constexpr int kRowsPerBatch = 2;

const char* TextEnd(const char* string, const char* end) { return end ? end : string + std::strlen(string); }

void AtlasFull(void* uptr, int error, int) {
  if (error == FA_ATLAS_FULL) static_cast<VCcontext*>(uptr)->fontAtlasFull = 1;
}

// Hands the atlas's dirty rectangle to the current font image.
void UploadDirtyAtlas(VCcontext* ctx) {
  int dirty[4];
  if (!faValidateTexture(ctx->fs, dirty)) return;
  const int image = ctx->fontImages[ctx->fontImageIdx];
  if (image == 0) return;
  int width = 0;
  int height = 0;
  const unsigned char* data = faGetTextureData(ctx->fs, &width, &height);
  ctx->params.renderUpdateTexture(ctx->params.userPtr, image, dirty[0], dirty[1], dirty[2] - dirty[0],
                                  dirty[3] - dirty[1], data);
}

void RenderText(VCcontext* ctx, const VCvertex* verts, int nverts) {
  const VCstate* state = vc__getState(ctx);
  VCpaint paint = state->fill;
  paint.image = ctx->fontImages[ctx->fontImageIdx];
  vc__multiplyPaintAlpha(&paint, state->alpha);
  ctx->params.renderTriangles(ctx->params.userPtr, &paint, state->compositeOperation, &state->scissor, verts, nverts,
                              ctx->fringeWidth);
  ctx->drawCallCount += 1;
  ctx->textTriCount += nverts / 3;
}

// The size of the next font image: the one left in the next slot, else the
// current one doubled across its shorter side, squared off at the largest.
bool NextFontImage(VCcontext* ctx, int* width, int* height) {
  int& next = ctx->fontImages[ctx->fontImageIdx + 1];
  *width = 0;
  *height = 0;
  if (next != 0) {
    // Reused: a new texture over its id would leak the old one.
    vcImageSize(ctx, next, width, height);
    return *width > 0 && *height > 0;
  }
  vcImageSize(ctx, ctx->fontImages[ctx->fontImageIdx], width, height);
  if (*width <= 0 || *height <= 0) return false;
  if (*width > *height) {
    *height *= 2;
  } else {
    *width *= 2;
  }
  if (*width > VC_MAX_FONTIMAGE_SIZE || *height > VC_MAX_FONTIMAGE_SIZE) {
    *width = *height = VC_MAX_FONTIMAGE_SIZE;
  }
  next = ctx->params.renderCreateTexture(ctx->params.userPtr, VC_TEXTURE_ALPHA, *width, *height, 0, nullptr);
  return next != 0;
}

// Moves text to the next font image with an empty atlas of its size; false
// when four images are in use or it cannot be made.
bool AllocTextAtlas(VCcontext* ctx) {
  UploadDirtyAtlas(ctx);
  if (ctx->fontImageIdx >= VC_MAX_FONTIMAGES - 1) return false;
  int width = 0;
  int height = 0;
  if (!NextFontImage(ctx, &width, &height)) return false;
  ++ctx->fontImageIdx;
  // Uploads from an atlas of another size would read past its bitmap.
  if (!faResetAtlas(ctx->fs, width, height)) {
    --ctx->fontImageIdx;
    return false;
  }
  return true;
}

// Two triangles (c0, c2, c1) and (c0, c3, c2) of the quad's corners, in the
// caller's units under the state transform.
VCvertex* PutGlyph(VCvertex* out, const FAquad& q, float invscale, const float* xform) {
  float c[8];
  vcTransformPoint(&c[0], &c[1], xform, q.x0 * invscale, q.y0 * invscale);
  vcTransformPoint(&c[2], &c[3], xform, q.x1 * invscale, q.y0 * invscale);
  vcTransformPoint(&c[4], &c[5], xform, q.x1 * invscale, q.y1 * invscale);
  vcTransformPoint(&c[6], &c[7], xform, q.x0 * invscale, q.y1 * invscale);
  *out++ = {c[0], c[1], q.s0, q.t0};
  *out++ = {c[4], c[5], q.s1, q.t1};
  *out++ = {c[2], c[3], q.s1, q.t0};
  *out++ = {c[0], c[1], q.s0, q.t0};
  *out++ = {c[6], c[7], q.s0, q.t1};
  *out++ = {c[4], c[5], q.s1, q.t1};
  return out;
}

bool HasFont(VCcontext* ctx) { return vc__getState(ctx)->fontId != -1; }

// The horizontal offset of a row in a box by the state's alignment.
float RowOffset(int align, float breakRowWidth, float rowWidth) {
  if (align & VC_ALIGN_CENTER) return breakRowWidth * 0.5f - rowWidth * 0.5f;
  if (align & VC_ALIGN_RIGHT) return breakRowWidth - rowWidth;
  return 0.0f;
}

// Walks the rows of a text box two at a time, the state's alignment set to
// left plus its vertical part meanwhile; `row` gets each row, its x offset
// and y.
template <typename RowFn>
void ForEachBoxRow(VCcontext* ctx, float y, float breakRowWidth, const char* string, const char* end, RowFn row) {
  VCstate* state = vc__getState(ctx);
  const int oldAlign = state->textAlign;
  float lineh = 0.0f;
  vcTextMetrics(ctx, nullptr, nullptr, &lineh);
  state->textAlign = VC_ALIGN_LEFT | (oldAlign & ~kHorizontalAlign);
  end = TextEnd(string, end);
  VCtextRow rows[kRowsPerBatch];
  int nrows = 0;
  while ((nrows = vcTextBreakLines(ctx, string, end, breakRowWidth, rows, kRowsPerBatch)) > 0) {
    for (int i = 0; i < nrows; ++i) {
      row(rows[i], RowOffset(oldAlign, breakRowWidth, rows[i].width), y);
      y += lineh * state->lineHeight;
    }
    if (rows[nrows - 1].next <= string) break;  // no progress: nothing more to break
    string = rows[nrows - 1].next;
  }
  state->textAlign = oldAlign;
}

}  // namespace

void vc__setUpFontAtlas(VCcontext* ctx) {
  faSetAtlasSizeLimit(ctx->fs, VC_MAX_FONTIMAGE_SIZE, VC_MAX_FONTIMAGE_SIZE);
  faSetErrorCallback(ctx->fs, AtlasFull, ctx);
}

float vc__deviceFontScale(VCcontext* ctx) {
  const float scale = vc__getAverageScale(vc__getState(ctx)->xform);
  const float quantised = scale >= kMaxFontScale ? kMaxFontScale : std::trunc(scale / kFontScaleStep + 0.5f) * kFontScaleStep;
  return std::min(quantised, kMaxFontScale) * ctx->devicePxRatio;
}

void vc__setFontAtlasState(VCcontext* ctx, float scale) {
  const VCstate* state = vc__getState(ctx);
  faSetSize(ctx->fs, state->fontSize * scale);
  faSetSpacing(ctx->fs, state->letterSpacing * scale);
  faSetBlur(ctx->fs, state->fontBlur * scale);
  faSetAlign(ctx->fs, state->textAlign);
  faSetFont(ctx->fs, state->fontId);
}

int vcCreateFont(VCcontext* ctx, const char* name, const char* filename) {
  return faAddFont(ctx->fs, name, filename, 0);
}

int vcCreateFontAtIndex(VCcontext* ctx, const char* name, const char* filename, int fontIndex) {
  return faAddFont(ctx->fs, name, filename, fontIndex);
}

int vcCreateFontMem(VCcontext* ctx, const char* name, unsigned char* data, int ndata, int freeData) {
  return faAddFontMem(ctx->fs, name, data, ndata, 0, freeData);
}

int vcCreateFontMemAtIndex(VCcontext* ctx, const char* name, unsigned char* data, int ndata, int fontIndex,
                           int freeData) {
  return faAddFontMem(ctx->fs, name, data, ndata, fontIndex, freeData);
}

int vcFindFont(VCcontext* ctx, const char* name) { return name ? faGetFontByName(ctx->fs, name) : -1; }

int vcAddFallbackFontId(VCcontext* ctx, int baseFont, int fallbackFont) {
  // The atlas checks both ids against its fonts.
  return faAddFallbackFont(ctx->fs, baseFont, fallbackFont);
}

int vcAddFallbackFont(VCcontext* ctx, const char* baseFont, const char* fallbackFont) {
  return vcAddFallbackFontId(ctx, vcFindFont(ctx, baseFont), vcFindFont(ctx, fallbackFont));
}

void vcFontSize(VCcontext* ctx, float size) { vc__getState(ctx)->fontSize = size; }
void vcFontBlur(VCcontext* ctx, float blur) { vc__getState(ctx)->fontBlur = blur; }
void vcTextLetterSpacing(VCcontext* ctx, float spacing) { vc__getState(ctx)->letterSpacing = spacing; }
void vcTextLineHeight(VCcontext* ctx, float lineHeight) { vc__getState(ctx)->lineHeight = lineHeight; }
void vcTextAlign(VCcontext* ctx, int align) { vc__getState(ctx)->textAlign = align; }
void vcFontFaceId(VCcontext* ctx, int font) { vc__getState(ctx)->fontId = font; }
void vcFontFace(VCcontext* ctx, const char* name) { vc__getState(ctx)->fontId = vcFindFont(ctx, name); }

float vcText(VCcontext* ctx, float x, float y, const char* string, const char* end) {
  if (!HasFont(ctx) || !string) return x;
  end = TextEnd(string, end);
  const float scale = vc__deviceFontScale(ctx);
  const float invscale = 1.0f / scale;
  vc__setFontAtlasState(ctx, scale);
  const long long cverts = std::max(kMinReservedGlyphs, static_cast<long long>(end - string)) * kQuadVertices;
  VCvertex* verts = vc__allocTempVerts(ctx, cverts);
  if (!verts) return x;

  FAtextIter iter;
  if (!faTextIterInit(ctx->fs, &iter, x * scale, y * scale, string, end, FA_GLYPH_BITMAP_REQUIRED)) return x;
  FAtextIter before = iter;
  FAquad q;
  int nverts = 0;
  const float* xform = vc__getState(ctx)->xform;
  for (ctx->fontAtlasFull = 0; faTextIterNext(ctx->fs, &iter, &q); ctx->fontAtlasFull = 0) {
    if (iter.prevGlyphIndex == -1) {
      // A glyph missing for another reason than room (text too small to
      // rasterise) is skipped; growing would not bring it.
      if (!ctx->fontAtlasFull) {
        before = iter;
        continue;
      }
      // What was gathered draws from the old image, the rest from a new one.
      UploadDirtyAtlas(ctx);
      RenderText(ctx, verts, nverts);
      nverts = 0;
      if (!AllocTextAtlas(ctx)) break;
      iter = before;
      faTextIterNext(ctx->fs, &iter, &q);
      if (iter.prevGlyphIndex == -1) break;
    }
    before = iter;
    if (q.x0 == q.x1 || q.y0 == q.y1) continue;  // no bitmap: nothing to draw
    if (nverts + kQuadVertices > cverts) continue;
    PutGlyph(verts + nverts, q, invscale, xform);
    nverts += kQuadVertices;
  }
  UploadDirtyAtlas(ctx);
  RenderText(ctx, verts, nverts);
  return iter.nextx * invscale;
}

void vcTextBox(VCcontext* ctx, float x, float y, float breakRowWidth, const char* string, const char* end) {
  if (!HasFont(ctx) || !string) return;
  ForEachBoxRow(ctx, y, breakRowWidth, string, end, [&](const VCtextRow& row, float dx, float rowY) {
    vcText(ctx, x + dx, rowY, row.start, row.end);
  });
}

float vcTextBounds(VCcontext* ctx, float x, float y, const char* string, const char* end, float* bounds) {
  if (bounds) std::fill(bounds, bounds + 4, 0.0f);
  if (!HasFont(ctx) || !string) return 0.0f;
  const float scale = vc__deviceFontScale(ctx);
  const float invscale = 1.0f / scale;
  vc__setFontAtlasState(ctx, scale);
  const float width = faTextBounds(ctx->fs, x * scale, y * scale, string, end, bounds);
  if (bounds) {
    // The line's vertical extent, not the glyphs'.
    faLineBounds(ctx->fs, y * scale, &bounds[1], &bounds[3]);
    for (int i = 0; i < 4; ++i) bounds[i] *= invscale;
  }
  return width * invscale;
}

void vcTextBoxBounds(VCcontext* ctx, float x, float y, float breakRowWidth, const char* string, const char* end,
                     float* bounds) {
  if (!HasFont(ctx) || !string) {
    if (bounds) std::fill(bounds, bounds + 4, 0.0f);
    return;
  }
  float minx = x, maxx = x, miny = y, maxy = y;
  VCstate* state = vc__getState(ctx);
  const int oldAlign = state->textAlign;
  // The line's extent at this vertical alignment, measured as the rows are.
  state->textAlign = VC_ALIGN_LEFT | (oldAlign & ~kHorizontalAlign);
  const float scale = vc__deviceFontScale(ctx);
  vc__setFontAtlasState(ctx, scale);
  float lineMin = 0.0f, lineMax = 0.0f;
  faLineBounds(ctx->fs, 0.0f, &lineMin, &lineMax);
  lineMin *= 1.0f / scale;
  lineMax *= 1.0f / scale;
  state->textAlign = oldAlign;
  ForEachBoxRow(ctx, y, breakRowWidth, string, end, [&](const VCtextRow& row, float dx, float rowY) {
    minx = std::min(minx, x + row.minx + dx);
    maxx = std::max(maxx, x + row.maxx + dx);
    miny = std::min(miny, rowY + lineMin);
    maxy = std::max(maxy, rowY + lineMax);
  });
  if (bounds) {
    bounds[0] = minx;
    bounds[1] = miny;
    bounds[2] = maxx;
    bounds[3] = maxy;
  }
}

int vcTextGlyphPositions(VCcontext* ctx, float x, float y, const char* string, const char* end,
                         VCglyphPosition* positions, int maxPositions) {
  if (!HasFont(ctx) || !string || maxPositions <= 0) return 0;
  end = TextEnd(string, end);
  if (string == end) return 0;
  const float scale = vc__deviceFontScale(ctx);
  const float invscale = 1.0f / scale;
  vc__setFontAtlasState(ctx, scale);
  // Measuring never places a glyph, so it never fills the atlas.
  FAtextIter iter;
  if (!faTextIterInit(ctx->fs, &iter, x * scale, y * scale, string, end, FA_GLYPH_BITMAP_OPTIONAL)) return 0;
  FAquad q;
  int npos = 0;
  while (npos < maxPositions && faTextIterNext(ctx->fs, &iter, &q)) {
    VCglyphPosition& position = positions[npos++];
    position.str = iter.str;
    position.x = iter.x * invscale;
    position.minx = std::min(iter.x, q.x0) * invscale;
    position.maxx = std::max(iter.nextx, q.x1) * invscale;
  }
  return npos;
}

void vcTextMetrics(VCcontext* ctx, float* ascender, float* descender, float* lineh) {
  if (!HasFont(ctx)) return;
  const float scale = vc__deviceFontScale(ctx);
  const float invscale = 1.0f / scale;
  vc__setFontAtlasState(ctx, scale);
  float a = 0.0f, d = 0.0f, h = 0.0f;
  faVertMetrics(ctx->fs, &a, &d, &h);
  if (ascender) *ascender = a * invscale;
  if (descender) *descender = d * invscale;
  if (lineh) *lineh = h * invscale;
}
