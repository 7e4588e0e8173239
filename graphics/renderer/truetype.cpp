// The one translation unit that compiles the TrueType reader. Its allocations
// come from the atlas's scratch arena and never from the system allocator.
#include "graphics/renderer/truetype.h"

#include <cstddef>

namespace {

void* ScratchAlloc(std::size_t size, void* userdata);

}  // namespace

#define STBTT_malloc(size, userdata) ScratchAlloc(size, userdata)
#define STBTT_free(ptr, userdata) ((void)(ptr), (void)(userdata))
// The reader asserts that an allocation succeeded before it checks, and our
// builds keep assertions; a spent arena must leave a glyph blank instead.
#define STBTT_assert(condition) ((void)0)
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_truetype.h>

namespace {

// Rows up to this wide are rasterised in a buffer on the reader's stack.
constexpr int kStackScanlineWidth = 64;
// Curve flattening tolerance of the reader's glyph rasteriser.
constexpr float kFlatnessInPixels = 0.35f;

void* TakeFromArena(FAcontext* stash, std::size_t size) {
  constexpr std::size_t kAlignment = alignof(std::max_align_t);
  const std::size_t start = (std::size_t(stash->nscratch) + kAlignment - 1) / kAlignment * kAlignment;
  if (start > std::size_t(FA_SCRATCH_BUF_SIZE) || size > FA_SCRATCH_BUF_SIZE - start) return nullptr;
  stash->nscratch = static_cast<int>(start + size);
  return stash->scratch + start;
}

void* ScratchAlloc(std::size_t size, void* userdata) {
  FAcontext* stash = static_cast<FAcontext*>(userdata);
  if (stash->scratchReserved) {
    if (stash->scratchReservedAfter == 0 && size <= std::size_t(stash->scratchReservedSize)) {
      void* reserved = stash->scratchReserved;
      stash->scratchReserved = nullptr;
      return reserved;
    }
    --stash->scratchReservedAfter;
  }
  return TakeFromArena(stash, size);
}

// The rasteriser writes its scanline buffer (for rows wider than its stack
// buffer) without checking the allocation, right after allocating the edges:
// set it aside now, for the allocation after the edges.
bool ReserveScanline(FAcontext* stash, int width) {
  const std::size_t size = (2 * std::size_t(width) + 1) * sizeof(float);
  void* block = TakeFromArena(stash, size);
  if (!block) return false;
  stash->scratchReserved = static_cast<unsigned char*>(block);
  stash->scratchReservedSize = static_cast<int>(size);
  stash->scratchReservedAfter = 1;
  return true;
}

}  // namespace

int fa__ttLoadFont(FAcontext* stash, stbtt_fontinfo* font, unsigned char* data, int fontIndex) {
  font->userdata = stash;
  const int offset = stbtt_GetFontOffsetForIndex(data, fontIndex);
  return offset >= 0 && stbtt_InitFont(font, data, offset) ? 1 : 0;
}

void fa__ttGetFontVMetrics(const stbtt_fontinfo* font, int* ascent, int* descent, int* lineGap) {
  stbtt_GetFontVMetrics(font, ascent, descent, lineGap);
}

float fa__ttGetPixelHeightScale(const stbtt_fontinfo* font, float size) {
  return stbtt_ScaleForPixelHeight(font, size);
}

int fa__ttGetGlyphIndex(const stbtt_fontinfo* font, unsigned int codepoint) {
  const int glyph = stbtt_FindGlyphIndex(font, static_cast<int>(codepoint));
  return glyph >= 0 && glyph < font->numGlyphs ? glyph : 0;
}

int fa__ttGetGlyphAdvance(const stbtt_fontinfo* font, int glyph) {
  int advance = 0;
  int leftSideBearing = 0;
  stbtt_GetGlyphHMetrics(font, glyph, &advance, &leftSideBearing);
  return advance;
}

void fa__ttGetGlyphBitmapBox(const stbtt_fontinfo* font, int glyph, float scale, int* x0, int* y0, int* x1,
                             int* y1) {
  stbtt_GetGlyphBitmapBox(font, glyph, scale, scale, x0, y0, x1, y1);
}

void fa__ttRenderGlyphBitmap(FAcontext* stash, const stbtt_fontinfo* font, unsigned char* output, int outWidth,
                             int outHeight, int outStride, float scale, int glyph) {
  if (outWidth <= 0 || outHeight <= 0) return;
  stbtt_vertex* vertices = nullptr;
  const int vertexCount = stbtt_GetGlyphShape(font, glyph, &vertices);
  if (vertexCount <= 0) return;
  int x0 = 0;
  int y0 = 0;
  stbtt_GetGlyphBitmapBoxSubpixel(font, glyph, scale, scale, 0.0f, 0.0f, &x0, &y0, nullptr, nullptr);

  int* contourLengths = nullptr;
  int contourCount = 0;
  stbtt__point* points =
      stbtt_FlattenCurves(vertices, vertexCount, kFlatnessInPixels / scale, &contourLengths, &contourCount, stash);
  if (!points) return;
  if (outWidth > kStackScanlineWidth && !ReserveScanline(stash, outWidth)) return;
  stbtt__bitmap bitmap{outWidth, outHeight, outStride, output};
  stbtt__rasterize(&bitmap, points, contourLengths, contourCount, scale, scale, 0.0f, 0.0f, x0, y0, 1, stash);
  stash->scratchReserved = nullptr;
}

int fa__ttGetGlyphKernAdvance(const stbtt_fontinfo* font, int glyph1, int glyph2) {
  return stbtt__GetGlyphKernInfoAdvance(font, glyph1, glyph2);
}
