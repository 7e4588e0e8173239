#include "graphics/renderer/font_atlas.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "graphics/renderer/allocation.h"
#include "graphics/renderer/truetype.h"

namespace {

constexpr int kWhiteRectSide = 2;
constexpr unsigned char kOpaque = 0xFF;
constexpr int kGrowFromEmpty = 8;  // capacity of an array grown from none
constexpr float kSizeTenths = 10.0f;
constexpr int kMinGlyphSize = 2;  // tenths of a pixel
constexpr int kGlyphBorder = 2;   // padding around a glyph besides its blur

constexpr float kClearSize = 12.0f;
constexpr unsigned int kClearColor = 0xFFFFFFFF;
constexpr int kClearAlign = VC_ALIGN_LEFT | VC_ALIGN_BASELINE;

// Blur: a recursive filter in fixed point, run down and across twice.
constexpr float kBlurSigmaPerStep = 0.57735f;
constexpr float kBlurFalloff = 2.3f;
constexpr int kBlurAlphaOne = 1 << 16;
constexpr int kBlurAlphaShift = 16;
constexpr int kBlurPixelShift = 7;

// Colours of faDrawDebug, packed like FAstate::color.
constexpr unsigned int kDebugBackdrop = 0x80000000;
constexpr unsigned int kDebugAtlas = 0xFFFFFFFF;
constexpr unsigned int kDebugSkyline = 0xFF0000FF;

constexpr int kQuadVertices = 6;

// Converts to a 16-bit field, clamping what does not fit (NaN gives 0).
short ClampToShort(float value) {
  if (std::isnan(value)) return 0;
  if (value <= float(SHRT_MIN)) return SHRT_MIN;
  if (value >= float(SHRT_MAX)) return SHRT_MAX;
  return static_cast<short>(value);
}
short ClampToShort(int value) { return static_cast<short>(std::clamp(value, int(SHRT_MIN), int(SHRT_MAX))); }

bool ValidAtlasSize(int width, int height) {
  return width > 0 && height > 0 && width <= FA_MAX_ATLAS_SIDE && height <= FA_MAX_ATLAS_SIDE;
}

// UTF-8, one byte at a time: true when a code point completed. A malformed
// byte drops the sequence in hand; one that can start a sequence starts one.
// The state holds the bytes still expected and the range the next one must
// fall in (which rules out overlong forms, surrogates and values past U+10FFFF).
bool DecodeUtf8(unsigned int* state, unsigned int* codepoint, unsigned char byte) {
  const auto expect = [](unsigned int remaining, unsigned int low, unsigned int high) {
    return remaining | low << 8 | high << 16;
  };
  if (*state != 0) {
    const unsigned int remaining = *state & 0xFF, low = (*state >> 8) & 0xFF, high = *state >> 16;
    if (byte >= low && byte <= high) {
      *codepoint = *codepoint << 6 | (byte & 0x3Fu);
      *state = remaining == 1 ? 0 : expect(remaining - 1, 0x80, 0xBF);
      return *state == 0;
    }
    *state = 0;
  }
  if (byte < 0x80) {
    *codepoint = byte;
    return true;
  }
  if (byte >= 0xC2 && byte <= 0xDF) {
    *codepoint = byte & 0x1Fu;
    *state = expect(1, 0x80, 0xBF);
  } else if (byte >= 0xE0 && byte <= 0xEF) {
    *codepoint = byte & 0x0Fu;
    *state = expect(2, byte == 0xE0 ? 0xA0 : 0x80, byte == 0xED ? 0x9F : 0xBF);
  } else if (byte >= 0xF0 && byte <= 0xF4) {
    *codepoint = byte & 0x07u;
    *state = expect(3, byte == 0xF0 ? 0x90 : 0x80, byte == 0xF4 ? 0x8F : 0xBF);
  }
  return false;
}

// Grows an array of `count` items to hold one more: capacity kGrowFromEmpty
// from none, else doubled. False (array untouched) when that fails.
template <typename T>
bool GrowForOneMore(T** items, int count, int* capacity) {
  if (count + 1 <= *capacity) return true;
  const int grown = *capacity == 0 ? kGrowFromEmpty : *capacity * 2;
  void* larger = vc__realloc(*items, sizeof(T) * std::size_t(grown));
  if (!larger) return false;
  *items = static_cast<T*>(larger);
  *capacity = grown;
  return true;
}

// The skyline packer.

FAatlas* AtlasCreate(int width, int height, int capacity) {
  FAatlas* atlas = static_cast<FAatlas*>(vc__alloc(sizeof(FAatlas)));
  if (!atlas) return nullptr;
  std::memset(atlas, 0, sizeof(FAatlas));
  atlas->nodes = static_cast<FAatlasNode*>(vc__alloc(sizeof(FAatlasNode) * std::size_t(capacity)));
  if (!atlas->nodes) {
    vc__free(atlas);
    return nullptr;
  }
  atlas->width = width;
  atlas->height = height;
  atlas->cnodes = capacity;
  atlas->nodes[0] = {0, 0, static_cast<short>(width)};
  atlas->nnodes = 1;
  return atlas;
}

void AtlasDelete(FAatlas* atlas) {
  if (!atlas) return;
  vc__free(atlas->nodes);
  vc__free(atlas);
}

bool AtlasInsertNode(FAatlas* atlas, int index, int x, int y, int width) {
  if (!GrowForOneMore(&atlas->nodes, atlas->nnodes, &atlas->cnodes)) return false;
  std::memmove(&atlas->nodes[index + 1], &atlas->nodes[index], sizeof(FAatlasNode) * std::size_t(atlas->nnodes - index));
  atlas->nodes[index] = {static_cast<short>(x), static_cast<short>(y), static_cast<short>(width)};
  ++atlas->nnodes;
  return true;
}

void AtlasRemoveNode(FAatlas* atlas, int index) {
  std::memmove(&atlas->nodes[index], &atlas->nodes[index + 1], sizeof(FAatlasNode) * std::size_t(atlas->nnodes - index - 1));
  --atlas->nnodes;
}

void AtlasReset(FAatlas* atlas, int width, int height) {
  atlas->width = width;
  atlas->height = height;
  atlas->nodes[0] = {0, 0, static_cast<short>(width)};
  atlas->nnodes = 1;
}

void AtlasExpand(FAatlas* atlas, int width, int height) {
  // Without the new node the added width stays unused.
  if (width > atlas->width) AtlasInsertNode(atlas, atlas->nnodes, atlas->width, 0, width - atlas->width);
  atlas->width = width;
  atlas->height = height;
}

// The y at which a w x h rectangle sits on the skyline from node i, or -1.
int AtlasRectFits(const FAatlas* atlas, int i, int w, int h) {
  const int x = atlas->nodes[i].x;
  int y = atlas->nodes[i].y;
  if (x + w > atlas->width) return -1;
  for (int spaceLeft = w; spaceLeft > 0; ++i) {
    if (i == atlas->nnodes) return -1;
    y = std::max(y, int(atlas->nodes[i].y));
    if (y + h > atlas->height) return -1;
    spaceLeft -= atlas->nodes[i].width;
  }
  return y;
}

bool AtlasAddSkylineLevel(FAatlas* atlas, int index, int x, int y, int w, int h) {
  if (!AtlasInsertNode(atlas, index, x, y + h, w)) return false;
  // Shrink the nodes the new one covers.
  for (int i = index + 1; i < atlas->nnodes; ++i) {
    const FAatlasNode& previous = atlas->nodes[i - 1];
    FAatlasNode& node = atlas->nodes[i];
    if (node.x >= previous.x + previous.width) break;
    const int shrink = previous.x + previous.width - node.x;
    node.x = static_cast<short>(node.x + shrink);
    node.width = static_cast<short>(node.width - shrink);
    if (node.width > 0) break;
    AtlasRemoveNode(atlas, i);
    --i;
  }
  // Merge neighbours of one height.
  for (int i = 0; i < atlas->nnodes - 1; ++i) {
    if (atlas->nodes[i].y == atlas->nodes[i + 1].y) {
      atlas->nodes[i].width = static_cast<short>(atlas->nodes[i].width + atlas->nodes[i + 1].width);
      AtlasRemoveNode(atlas, i + 1);
      --i;
    }
  }
  return true;
}

// Fonts and glyphs.

void FreeFont(FAfont* font) {
  if (!font) return;
  vc__free(font->glyphs);
  if (font->freeData) vc__free(font->data);
  vc__free(font);
}

// Appends an empty font; its index, or -1.
int AllocFont(FAcontext* stash) {
  if (!GrowForOneMore(&stash->fonts, stash->nfonts, &stash->cfonts)) return -1;
  FAfont* font = static_cast<FAfont*>(vc__alloc(sizeof(FAfont)));
  if (!font) return -1;
  std::memset(font, 0, sizeof(FAfont));
  font->glyphs = static_cast<FAglyph*>(vc__alloc(sizeof(FAglyph) * FA_INIT_GLYPHS));
  if (!font->glyphs) {
    vc__free(font);
    return -1;
  }
  font->cglyphs = FA_INIT_GLYPHS;
  std::fill(std::begin(font->lut), std::end(font->lut), -1);
  stash->fonts[stash->nfonts++] = font;
  return stash->nfonts - 1;
}

FAglyph* AllocGlyph(FAfont* font) {
  if (!GrowForOneMore(&font->glyphs, font->nglyphs, &font->cglyphs)) return nullptr;
  return &font->glyphs[font->nglyphs++];
}

bool HasBitmap(const FAglyph& glyph) { return glyph.x0 >= 0 && glyph.y0 >= 0; }

void ClearGlyphs(FAfont* font) {
  font->nglyphs = 0;
  font->nmeasured = 0;
  std::fill(std::begin(font->lut), std::end(font->lut), -1);
}

// Keeps only the glyphs with a bitmap, in their order, and links them into
// their hash chains again.
void DropMeasuredGlyphs(FAfont* font) {
  const int count = font->nglyphs;
  ClearGlyphs(font);
  for (int i = 0; i < count; ++i) {
    if (!HasBitmap(font->glyphs[i])) continue;
    FAglyph& kept = font->glyphs[font->nglyphs] = font->glyphs[i];
    const int bucket = static_cast<int>(fa__hashint(kept.codepoint) & (FA_HASH_LUT_SIZE - 1));
    kept.next = font->lut[bucket];
    font->lut[bucket] = font->nglyphs++;
  }
}

FAstate* GetState(FAcontext* stash) { return &stash->states[stash->nstates - 1]; }

// The font of the top state, or null.
FAfont* StateFont(FAcontext* stash) {
  const FAstate* state = GetState(stash);
  if (state->font < 0 || state->font >= stash->nfonts) return nullptr;
  FAfont* font = stash->fonts[state->font];
  return font->data ? font : nullptr;
}

bool TopLeft(const FAcontext* stash) { return stash->params.flags & FA_ZERO_TOPLEFT; }

float VertAlign(const FAcontext* stash, const FAfont* font, int align, short isize) {
  const float size = isize / kSizeTenths;
  float offset = 0.0f;
  if (align & VC_ALIGN_TOP) {
    offset = font->ascender * size;
  } else if (align & VC_ALIGN_MIDDLE) {
    offset = (font->ascender + font->descender) / 2.0f * size;
  } else if (align & VC_ALIGN_BASELINE) {
    offset = 0.0f;
  } else if (align & VC_ALIGN_BOTTOM) {
    offset = font->descender * size;
  }
  return TopLeft(stash) ? offset : -offset;
}

// How far left of x a text of this advance starts, by horizontal alignment.
float HorizontalShift(int align, float advance) {
  if (align & VC_ALIGN_LEFT) return 0.0f;
  if (align & VC_ALIGN_RIGHT) return advance;
  if (align & VC_ALIGN_CENTER) return advance * 0.5f;
  return 0.0f;
}

void ResetDirtyRect(FAcontext* stash) {
  stash->dirtyRect[0] = stash->params.width;
  stash->dirtyRect[1] = stash->params.height;
  stash->dirtyRect[2] = 0;
  stash->dirtyRect[3] = 0;
}

void GrowDirtyRect(FAcontext* stash, int x0, int y0, int x1, int y1) {
  stash->dirtyRect[0] = std::min(stash->dirtyRect[0], x0);
  stash->dirtyRect[1] = std::min(stash->dirtyRect[1], y0);
  stash->dirtyRect[2] = std::max(stash->dirtyRect[2], x1);
  stash->dirtyRect[3] = std::max(stash->dirtyRect[3], y1);
}

void AddWhiteRect(FAcontext* stash) {
  int gx = 0;
  int gy = 0;
  if (!fa__atlasAddRect(stash->atlas, kWhiteRectSide, kWhiteRectSide, &gx, &gy)) return;
  for (int y = 0; y < kWhiteRectSide; ++y) {
    std::memset(&stash->texData[gx + (gy + y) * stash->params.width], kOpaque, kWhiteRectSide);
  }
  GrowDirtyRect(stash, gx, gy, gx + kWhiteRectSide, gy + kWhiteRectSide);
}

void SetAtlasSize(FAcontext* stash, int width, int height) {
  stash->params.width = width;
  stash->params.height = height;
  stash->itw = 1.0f / float(width);
  stash->ith = 1.0f / float(height);
}

// One pass of the blur along a line of `count` pixels `step` apart.
void BlurLine(unsigned char* line, int count, int step, int alpha) {
  int z = 0;
  for (int i = 1; i < count; ++i) {
    unsigned char& pixel = line[i * step];
    z += (alpha * ((pixel << kBlurPixelShift) - z)) >> kBlurAlphaShift;
    pixel = static_cast<unsigned char>(z >> kBlurPixelShift);
  }
  line[(count - 1) * step] = 0;
  z = 0;
  for (int i = count - 2; i >= 0; --i) {
    unsigned char& pixel = line[i * step];
    z += (alpha * ((pixel << kBlurPixelShift) - z)) >> kBlurAlphaShift;
    pixel = static_cast<unsigned char>(z >> kBlurPixelShift);
  }
  line[0] = 0;
}

void Blur(unsigned char* dst, int w, int h, int stride, int iblur) {
  const int alpha = fa__blurAlpha(iblur);
  for (int pass = 0; pass < 2; ++pass) {
    for (int x = 0; x < w; ++x) BlurLine(dst + x, h, stride, alpha);
    for (int y = 0; y < h; ++y) BlurLine(dst + y * stride, w, 1, alpha);
  }
}

// Clears the one-pixel border of a glyph's rectangle.
void ClearBorder(unsigned char* dst, int w, int h, int stride) {
  for (int y = 0; y < h; ++y) {
    dst[y * stride] = 0;
    dst[w - 1 + y * stride] = 0;
  }
  std::memset(dst, 0, std::size_t(w));
  std::memset(dst + (h - 1) * stride, 0, std::size_t(w));
}

// The font that draws a code point: the font itself, else the first fallback
// that has it; glyph index 0 of the font itself when none has.
FAfont* FindRenderFont(FAcontext* stash, FAfont* font, unsigned int codepoint, int* glyphIndex) {
  *glyphIndex = fa__ttGetGlyphIndex(&font->font, codepoint);
  if (*glyphIndex != 0) return font;
  for (int i = 0; i < font->nfallbacks; ++i) {
    FAfont* fallback = stash->fonts[font->fallbacks[i]];
    const int index = fa__ttGetGlyphIndex(&fallback->font, codepoint);
    if (index != 0) {
      *glyphIndex = index;
      return fallback;
    }
  }
  return font;
}

bool PlaceGlyph(FAcontext* stash, int w, int h, int* x, int* y) {
  if (fa__atlasAddRect(stash->atlas, w, h, x, y)) return true;
  if (!stash->handleError) return false;
  stash->handleError(stash->errorUptr, FA_ATLAS_FULL, 0);
  return fa__atlasAddRect(stash->atlas, w, h, x, y);
}

FAglyph* GetGlyph(FAcontext* stash, FAfont* font, unsigned int codepoint, short isize, short iblur, int bitmapOption) {
  if (isize < kMinGlyphSize) return nullptr;
  iblur = static_cast<short>(std::clamp(int(iblur), 0, FA_MAX_BLUR));
  const int pad = iblur + kGlyphBorder;
  stash->nscratch = 0;

  const int bucket = static_cast<int>(fa__hashint(codepoint) & (FA_HASH_LUT_SIZE - 1));
  FAglyph* glyph = nullptr;
  for (int i = font->lut[bucket]; i != -1; i = font->glyphs[i].next) {
    FAglyph& cached = font->glyphs[i];
    if (cached.codepoint == codepoint && cached.size == isize && cached.blur == iblur) {
      if (bitmapOption == FA_GLYPH_BITMAP_OPTIONAL || HasBitmap(cached)) return &cached;
      glyph = &cached;  // measured before: give it a bitmap
      break;
    }
  }

  int glyphIndex = 0;
  FAfont* renderFont = FindRenderFont(stash, font, codepoint, &glyphIndex);
  const float scale = fa__ttGetPixelHeightScale(&renderFont->font, isize / kSizeTenths);
  const int advance = fa__ttGetGlyphAdvance(&renderFont->font, glyphIndex);
  // A glyph that fails the check keeps its advance and draws nothing.
  const bool drawable = faCheckGlyph(renderFont->data, renderFont->tables, glyphIndex) == nullptr;
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  if (drawable) fa__ttGetGlyphBitmapBox(&renderFont->font, glyphIndex, scale, &x0, &y0, &x1, &y1);
  if (x1 < x0 || y1 < y0) x0 = y0 = x1 = y1 = 0;
  const int gw = x1 - x0 + pad * 2;
  const int gh = y1 - y0 + pad * 2;

  // A glyph too large for the largest atlas is only measured: asking for room
  // would grow the atlas on every frame and never place it.
  if (gw > stash->maxAtlasWidth || gh > stash->maxAtlasHeight) bitmapOption = FA_GLYPH_BITMAP_OPTIONAL;
  int gx = -1;
  int gy = -1;
  if (bitmapOption == FA_GLYPH_BITMAP_REQUIRED) {
    if (!PlaceGlyph(stash, gw, gh, &gx, &gy)) return nullptr;
    // The error callback may have reset the atlas and emptied the cache.
    if (glyph && glyph - font->glyphs >= font->nglyphs) glyph = nullptr;
  }
  const bool measuredOnly = bitmapOption == FA_GLYPH_BITMAP_OPTIONAL;
  if (!glyph) {
    if (measuredOnly && font->nmeasured >= FA_MAX_MEASURED_GLYPHS) DropMeasuredGlyphs(font);
    glyph = AllocGlyph(font);
    if (!glyph) return nullptr;
    glyph->codepoint = codepoint;
    glyph->size = isize;
    glyph->blur = iblur;
    glyph->next = font->lut[bucket];
    font->lut[bucket] = font->nglyphs - 1;
    if (measuredOnly) ++font->nmeasured;
  } else if (!measuredOnly) {
    --font->nmeasured;  // measured before, placed now
  }
  glyph->index = glyphIndex;
  glyph->x0 = ClampToShort(gx);
  glyph->y0 = ClampToShort(gy);
  glyph->x1 = ClampToShort(gx + gw);
  glyph->y1 = ClampToShort(gy + gh);
  glyph->xadv = ClampToShort(std::trunc(scale * float(advance) * kSizeTenths));
  glyph->xoff = ClampToShort(x0 - pad);
  glyph->yoff = ClampToShort(y0 - pad);
  if (bitmapOption == FA_GLYPH_BITMAP_OPTIONAL) return glyph;

  const int stride = stash->params.width;
  if (drawable) {
    unsigned char* bitmap = &stash->texData[(gx + pad) + (gy + pad) * stride];
    fa__ttRenderGlyphBitmap(stash, &renderFont->font, bitmap, gw - pad * 2, gh - pad * 2, stride, scale, glyphIndex);
  }
  unsigned char* rect = &stash->texData[gx + gy * stride];
  ClearBorder(rect, gw, gh, stride);
  if (iblur > 0) Blur(rect, gw, gh, stride, iblur);
  GrowDirtyRect(stash, gx, gy, gx + gw, gy + gh);
  return glyph;
}

FAquad EmptyQuadAt(float x, float y) { return {x, y, 0.0f, 0.0f, x, y, 0.0f, 0.0f}; }

void GetQuad(FAcontext* stash, FAfont* font, int prevGlyphIndex, const FAglyph* glyph, float scale, float spacing,
             float* x, float* y, FAquad* q) {
  if (prevGlyphIndex != -1) {
    const float kern = float(fa__ttGetGlyphKernAdvance(&font->font, prevGlyphIndex, glyph->index)) * scale;
    *x += std::trunc(kern + spacing + 0.5f);
  }
  // The bitmap without its one-pixel border.
  const float xoff = float(glyph->xoff + 1);
  const float yoff = float(glyph->yoff + 1);
  const float x0 = float(glyph->x0 + 1);
  const float y0 = float(glyph->y0 + 1);
  const float x1 = float(glyph->x1 - 1);
  const float y1 = float(glyph->y1 - 1);
  const float rx = std::trunc(*x + xoff);
  if (TopLeft(stash)) {
    const float ry = std::trunc(*y + yoff);
    *q = {rx, ry, x0 * stash->itw, y0 * stash->ith, rx + x1 - x0, ry + y1 - y0, x1 * stash->itw, y1 * stash->ith};
  } else {
    const float ry = std::trunc(*y - yoff);
    *q = {rx, ry, x0 * stash->itw, y0 * stash->ith, rx + x1 - x0, ry - (y1 - y0), x1 * stash->itw, y1 * stash->ith};
  }
  *x += std::trunc(glyph->xadv / kSizeTenths + 0.5f);
}

// Hands the atlas's dirty region and the gathered vertices to the callbacks.
void Flush(FAcontext* stash) {
  int dirty[4];
  if (stash->params.renderUpdate && faValidateTexture(stash, dirty)) {
    stash->params.renderUpdate(stash->params.userPtr, dirty, stash->texData);
  }
  if (stash->nverts > 0) {
    if (stash->params.renderDraw) {
      stash->params.renderDraw(stash->params.userPtr, stash->verts, stash->tcoords, stash->colors, stash->nverts);
    }
    stash->nverts = 0;
  }
}

void PushVertex(FAcontext* stash, float x, float y, float s, float t, unsigned int color) {
  const int i = stash->nverts++;
  stash->verts[i * 2] = x;
  stash->verts[i * 2 + 1] = y;
  stash->tcoords[i * 2] = s;
  stash->tcoords[i * 2 + 1] = t;
  stash->colors[i] = color;
}

// Two triangles, (c0, c2, c1) and (c0, c3, c2), of the quad's corners
// c0 = (x0, y0), c1 = (x1, y0), c2 = (x1, y1), c3 = (x0, y1).
void PushQuad(FAcontext* stash, const FAquad& q, unsigned int color) {
  if (stash->nverts + kQuadVertices > FA_VERTEX_COUNT) Flush(stash);
  PushVertex(stash, q.x0, q.y0, q.s0, q.t0, color);
  PushVertex(stash, q.x1, q.y1, q.s1, q.t1, color);
  PushVertex(stash, q.x1, q.y0, q.s1, q.t0, color);
  PushVertex(stash, q.x0, q.y0, q.s0, q.t0, color);
  PushVertex(stash, q.x0, q.y1, q.s0, q.t1, color);
  PushVertex(stash, q.x1, q.y1, q.s1, q.t1, color);
}

const char* TextEnd(const char* str, const char* end) { return end ? end : str + std::strlen(str); }

}  // namespace

unsigned int fa__hashint(unsigned int a) {
  a += ~(a << 15);
  a ^= (a >> 10);
  a += (a << 3);
  a ^= (a >> 6);
  a += ~(a << 11);
  a ^= (a >> 16);
  return a;
}

int fa__blurAlpha(int iblur) {
  const float sigma = float(iblur) * kBlurSigmaPerStep;
  return static_cast<int>(float(kBlurAlphaOne) * (1.0f - std::exp(-kBlurFalloff / (sigma + 1.0f))));
}

int fa__atlasAddRect(FAatlas* atlas, int rw, int rh, int* rx, int* ry) {
  if (rw <= 0 || rh <= 0) return 0;
  int bestHeight = atlas->height;
  int bestWidth = atlas->width;
  int bestIndex = -1;
  int bestX = -1;
  int bestY = -1;
  for (int i = 0; i < atlas->nnodes; ++i) {
    const int y = AtlasRectFits(atlas, i, rw, rh);
    if (y == -1) continue;
    const int width = atlas->nodes[i].width;
    if (y + rh < bestHeight || (y + rh == bestHeight && width < bestWidth)) {
      bestIndex = i;
      bestWidth = width;
      bestHeight = y + rh;
      bestX = atlas->nodes[i].x;
      bestY = y;
    }
  }
  if (bestIndex == -1) return 0;
  if (!AtlasAddSkylineLevel(atlas, bestIndex, bestX, bestY, rw, rh)) return 0;
  *rx = bestX;
  *ry = bestY;
  return 1;
}

FAcontext* faCreateInternal(const FAparams* params) {
  if (!params || !ValidAtlasSize(params->width, params->height)) return nullptr;
  FAcontext* stash = static_cast<FAcontext*>(vc__alloc(sizeof(FAcontext)));
  if (!stash) return nullptr;
  std::memset(stash, 0, sizeof(FAcontext));
  stash->params = *params;
  const int width = params->width;
  const int height = params->height;

  stash->scratch = static_cast<unsigned char*>(vc__alloc(FA_SCRATCH_BUF_SIZE));
  bool made = stash->scratch != nullptr;
  if (made && stash->params.renderCreate) made = stash->params.renderCreate(stash->params.userPtr, width, height) != 0;
  if (made) made = (stash->atlas = AtlasCreate(width, height, FA_INIT_ATLAS_NODES)) != nullptr;
  if (made) made = (stash->fonts = static_cast<FAfont**>(vc__alloc(sizeof(FAfont*) * FA_INIT_FONTS))) != nullptr;
  if (made) made = (stash->texData = static_cast<unsigned char*>(vc__alloc(std::size_t(width) * height))) != nullptr;
  if (!made) {
    faDeleteInternal(stash);
    return nullptr;
  }
  stash->cfonts = FA_INIT_FONTS;
  faSetAtlasSizeLimit(stash, FA_MAX_ATLAS_SIDE, FA_MAX_ATLAS_SIDE);
  SetAtlasSize(stash, width, height);
  std::memset(stash->texData, 0, std::size_t(width) * height);
  ResetDirtyRect(stash);
  AddWhiteRect(stash);
  faPushState(stash);
  faClearState(stash);
  return stash;
}

void faDeleteInternal(FAcontext* stash) {
  if (!stash) return;
  if (stash->params.renderDelete) stash->params.renderDelete(stash->params.userPtr);
  for (int i = 0; i < stash->nfonts; ++i) FreeFont(stash->fonts[i]);
  AtlasDelete(stash->atlas);
  vc__free(stash->fonts);
  vc__free(stash->texData);
  vc__free(stash->scratch);
  vc__free(stash);
}

int faAddFontMem(FAcontext* stash, const char* name, unsigned char* data, int dataSize, int fontIndex, int freeData) {
  const int index = stash ? AllocFont(stash) : -1;
  if (index == -1) {
    if (freeData) vc__free(data);
    return -1;
  }
  FAfont* font = stash->fonts[index];
  if (name) std::strncpy(font->name, name, FA_MAX_FONT_NAME - 1);
  font->data = data;
  font->dataSize = dataSize;
  font->freeData = freeData ? 1 : 0;
  stash->nscratch = 0;
  if (faCheckFont(data, dataSize, fontIndex, &font->tables) != nullptr ||
      !fa__ttLoadFont(stash, &font->font, data, fontIndex)) {
    FreeFont(font);
    --stash->nfonts;
    return -1;
  }
  int ascent = 0, descent = 0, lineGap = 0;
  fa__ttGetFontVMetrics(&font->font, &ascent, &descent, &lineGap);
  const float height = float(ascent - descent);  // above 0: the check refuses other fonts
  font->ascender = float(ascent) / height;
  font->descender = float(descent) / height;
  font->lineh = (height + float(lineGap)) / height;
  return index;
}

int faAddFont(FAcontext* stash, const char* name, const char* path, int fontIndex) {
  if (!stash || !path) return -1;
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return -1;
  long size = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
  unsigned char* data = nullptr;
  if (size > 0 && size <= INT_MAX && std::fseek(file, 0, SEEK_SET) == 0) {
    data = static_cast<unsigned char*>(vc__alloc(std::size_t(size)));
  }
  const bool read = data && std::fread(data, 1, std::size_t(size), file) == std::size_t(size);
  std::fclose(file);
  if (!read) {
    vc__free(data);
    return -1;
  }
  return faAddFontMem(stash, name, data, static_cast<int>(size), fontIndex, 1);
}

int faGetFontByName(FAcontext* stash, const char* name) {
  if (!stash || !name) return -1;
  for (int i = 0; i < stash->nfonts; ++i) {
    if (std::strcmp(stash->fonts[i]->name, name) == 0) return i;
  }
  return -1;
}

int faAddFallbackFont(FAcontext* stash, int base, int fallback) {
  if (!stash || base < 0 || base >= stash->nfonts || fallback < 0 || fallback >= stash->nfonts) return 0;
  FAfont* font = stash->fonts[base];
  if (font->nfallbacks >= FA_MAX_FALLBACKS) return 0;
  font->fallbacks[font->nfallbacks++] = fallback;
  return 1;
}

void faPushState(FAcontext* stash) {
  if (stash->nstates >= FA_MAX_STATES) {
    if (stash->handleError) stash->handleError(stash->errorUptr, FA_STATES_OVERFLOW, 0);
    return;
  }
  if (stash->nstates > 0) stash->states[stash->nstates] = stash->states[stash->nstates - 1];
  ++stash->nstates;
}

void faPopState(FAcontext* stash) {
  if (stash->nstates <= 1) {
    if (stash->handleError) stash->handleError(stash->errorUptr, FA_STATES_UNDERFLOW, 0);
    return;
  }
  --stash->nstates;
}

void faClearState(FAcontext* stash) {
  FAstate* state = GetState(stash);
  state->size = kClearSize;
  state->color = kClearColor;
  state->font = 0;
  state->blur = 0.0f;
  state->spacing = 0.0f;
  state->align = kClearAlign;
}

void faSetSize(FAcontext* stash, float size) { GetState(stash)->size = size; }
void faSetColor(FAcontext* stash, unsigned int color) { GetState(stash)->color = color; }
void faSetSpacing(FAcontext* stash, float spacing) { GetState(stash)->spacing = spacing; }
void faSetBlur(FAcontext* stash, float blur) { GetState(stash)->blur = blur; }
void faSetAlign(FAcontext* stash, int align) { GetState(stash)->align = align; }
void faSetFont(FAcontext* stash, int font) { GetState(stash)->font = font; }

int faTextIterInit(FAcontext* stash, FAtextIter* iter, float x, float y, const char* str, const char* end,
                   int bitmapOption) {
  std::memset(iter, 0, sizeof(FAtextIter));
  FAfont* font = StateFont(stash);
  if (!font) return 0;
  if (!str) str = "";
  end = TextEnd(str, end);
  const FAstate* state = GetState(stash);
  iter->font = font;
  iter->isize = ClampToShort(state->size * kSizeTenths);
  iter->iblur = ClampToShort(state->blur);
  iter->scale = fa__ttGetPixelHeightScale(&font->font, iter->isize / kSizeTenths);
  // Right and centre alignment start left of x by the text's advance, or half of it.
  if (HorizontalShift(state->align, 1.0f) != 0.0f) {
    x -= HorizontalShift(state->align, faTextBounds(stash, x, y, str, end, nullptr));
  }
  y += VertAlign(stash, font, state->align, iter->isize);
  iter->x = iter->nextx = x;
  iter->y = iter->nexty = y;
  iter->spacing = state->spacing;
  iter->str = iter->next = str;
  iter->end = end;
  iter->codepoint = 0;
  iter->prevGlyphIndex = -1;
  iter->bitmapOption = bitmapOption;
  return 1;
}

int faTextIterNext(FAcontext* stash, FAtextIter* iter, FAquad* quad) {
  const char* str = iter->next;
  iter->str = str;
  for (; str != iter->end; ++str) {
    if (!DecodeUtf8(&iter->utf8state, &iter->codepoint, static_cast<unsigned char>(*str))) continue;
    iter->next = str + 1;
    iter->x = iter->nextx;
    iter->y = iter->nexty;
    const FAglyph* glyph = GetGlyph(stash, iter->font, iter->codepoint, iter->isize, iter->iblur, iter->bitmapOption);
    if (glyph) {
      GetQuad(stash, iter->font, iter->prevGlyphIndex, glyph, iter->scale, iter->spacing, &iter->nextx,
              &iter->nexty, quad);
      if (iter->bitmapOption == FA_GLYPH_BITMAP_REQUIRED && glyph->x0 < 0) *quad = EmptyQuadAt(quad->x0, quad->y0);
    } else {
      *quad = EmptyQuadAt(iter->x, iter->y);
    }
    iter->prevGlyphIndex = glyph ? glyph->index : -1;
    return 1;
  }
  iter->next = str;
  return 0;
}

float faTextBounds(FAcontext* stash, float x, float y, const char* str, const char* end, float* bounds) {
  FAfont* font = StateFont(stash);
  if (!font) return 0.0f;
  if (!str) str = "";
  end = TextEnd(str, end);
  const FAstate* state = GetState(stash);
  const short isize = ClampToShort(state->size * kSizeTenths);
  const short iblur = ClampToShort(state->blur);
  const float scale = fa__ttGetPixelHeightScale(&font->font, isize / kSizeTenths);

  y += VertAlign(stash, font, state->align, isize);
  float minx = x, maxx = x, miny = y, maxy = y;
  const float startx = x;
  unsigned int utf8state = 0;
  unsigned int codepoint = 0;
  int prevGlyphIndex = -1;
  for (; str != end; ++str) {
    if (!DecodeUtf8(&utf8state, &codepoint, static_cast<unsigned char>(*str))) continue;
    const FAglyph* glyph = GetGlyph(stash, font, codepoint, isize, iblur, FA_GLYPH_BITMAP_OPTIONAL);
    if (glyph) {
      FAquad q;
      GetQuad(stash, font, prevGlyphIndex, glyph, scale, state->spacing, &x, &y, &q);
      minx = std::min(minx, q.x0);
      maxx = std::max(maxx, q.x1);
      miny = std::min({miny, q.y0, q.y1});
      maxy = std::max({maxy, q.y0, q.y1});
    }
    prevGlyphIndex = glyph ? glyph->index : -1;
  }
  const float advance = x - startx;
  const float shift = HorizontalShift(state->align, advance);
  if (bounds) {
    bounds[0] = minx - shift;
    bounds[1] = miny;
    bounds[2] = maxx - shift;
    bounds[3] = maxy;
  }
  return advance;
}

void faVertMetrics(FAcontext* stash, float* ascender, float* descender, float* lineh) {
  const FAfont* font = StateFont(stash);
  if (!font) return;
  const float size = ClampToShort(GetState(stash)->size * kSizeTenths) / kSizeTenths;
  if (ascender) *ascender = font->ascender * size;
  if (descender) *descender = font->descender * size;
  if (lineh) *lineh = font->lineh * size;
}

void faLineBounds(FAcontext* stash, float y, float* miny, float* maxy) {
  const FAfont* font = StateFont(stash);
  if (!font) return;
  const short isize = ClampToShort(GetState(stash)->size * kSizeTenths);
  const float size = isize / kSizeTenths;
  y += VertAlign(stash, font, GetState(stash)->align, isize);
  // The line runs from its ascender down (top-left) or up (bottom-left) by its height.
  const float top = TopLeft(stash) ? y - font->ascender * size : y + font->ascender * size;
  const float bottom = TopLeft(stash) ? top + font->lineh * size : top - font->lineh * size;
  if (miny) *miny = std::min(top, bottom);
  if (maxy) *maxy = std::max(top, bottom);
}

int faValidateTexture(FAcontext* stash, int* dirty) {
  if (stash->dirtyRect[0] >= stash->dirtyRect[2] || stash->dirtyRect[1] >= stash->dirtyRect[3]) return 0;
  std::copy(stash->dirtyRect, stash->dirtyRect + 4, dirty);
  ResetDirtyRect(stash);
  return 1;
}

const unsigned char* faGetTextureData(FAcontext* stash, int* width, int* height) {
  faGetAtlasSize(stash, width, height);
  return stash->texData;
}

void faGetAtlasSize(FAcontext* stash, int* width, int* height) {
  if (width) *width = stash->params.width;
  if (height) *height = stash->params.height;
}

void faSetErrorCallback(FAcontext* stash, void (*callback)(void* uptr, int error, int val), void* uptr) {
  stash->handleError = callback;
  stash->errorUptr = uptr;
}

int faResetAtlas(FAcontext* stash, int width, int height) {
  if (!stash || !ValidAtlasSize(width, height)) return 0;
  Flush(stash);
  if (stash->params.renderResize && !stash->params.renderResize(stash->params.userPtr, width, height)) return 0;
  // The bitmap first: should it fail, the skyline still matches the old one.
  unsigned char* data = static_cast<unsigned char*>(vc__realloc(stash->texData, std::size_t(width) * height));
  if (!data) return 0;
  stash->texData = data;
  std::memset(stash->texData, 0, std::size_t(width) * height);
  AtlasReset(stash->atlas, width, height);
  SetAtlasSize(stash, width, height);
  ResetDirtyRect(stash);
  for (int i = 0; i < stash->nfonts; ++i) ClearGlyphs(stash->fonts[i]);
  AddWhiteRect(stash);
  return 1;
}

void faSetAtlasSizeLimit(FAcontext* stash, int width, int height) {
  stash->maxAtlasWidth = width;
  stash->maxAtlasHeight = height;
}

int faExpandAtlas(FAcontext* stash, int width, int height) {
  if (!stash) return 0;
  const int oldWidth = stash->params.width;
  const int oldHeight = stash->params.height;
  width = std::max(width, oldWidth);
  height = std::max(height, oldHeight);
  if (width == oldWidth && height == oldHeight) return 1;
  if (!ValidAtlasSize(width, height)) return 0;
  Flush(stash);
  if (stash->params.renderResize && !stash->params.renderResize(stash->params.userPtr, width, height)) return 0;
  unsigned char* data = static_cast<unsigned char*>(vc__alloc(std::size_t(width) * height));
  if (!data) return 0;
  std::memset(data, 0, std::size_t(width) * height);
  for (int y = 0; y < oldHeight; ++y) {
    std::memcpy(&data[y * width], &stash->texData[y * oldWidth], std::size_t(oldWidth));
  }
  vc__free(stash->texData);
  stash->texData = data;
  AtlasExpand(stash->atlas, width, height);
  int top = 0;
  for (int i = 0; i < stash->atlas->nnodes; ++i) top = std::max(top, int(stash->atlas->nodes[i].y));
  stash->dirtyRect[0] = 0;
  stash->dirtyRect[1] = 0;
  stash->dirtyRect[2] = oldWidth;
  stash->dirtyRect[3] = top;
  SetAtlasSize(stash, width, height);
  return 1;
}

float faDrawText(FAcontext* stash, float x, float y, const char* str, const char* end) {
  FAtextIter iter;
  if (!faTextIterInit(stash, &iter, x, y, str, end, FA_GLYPH_BITMAP_REQUIRED)) return x;
  const unsigned int color = GetState(stash)->color;
  FAquad q;
  while (faTextIterNext(stash, &iter, &q)) {
    if (iter.prevGlyphIndex != -1) PushQuad(stash, q, color);
  }
  Flush(stash);
  return iter.nextx;
}

void faDrawDebug(FAcontext* stash, float x, float y) {
  const float w = float(stash->params.width);
  const float h = float(stash->params.height);
  // The centre of the white rectangle paints solid colours.
  const float whiteS = (kWhiteRectSide / 2) * stash->itw;
  const float whiteT = (kWhiteRectSide / 2) * stash->ith;
  PushQuad(stash, {x, y, whiteS, whiteT, x + w, y + h, whiteS, whiteT}, kDebugBackdrop);
  PushQuad(stash, {x, y, 0.0f, 0.0f, x + w, y + h, 1.0f, 1.0f}, kDebugAtlas);
  for (int i = 0; i < stash->atlas->nnodes; ++i) {
    const FAatlasNode& node = stash->atlas->nodes[i];
    const float nx = x + node.x;
    const float ny = y + node.y;
    PushQuad(stash, {nx, ny, whiteS, whiteT, nx + node.width, ny + 1.0f, whiteS, whiteT}, kDebugSkyline);
  }
  Flush(stash);
}
