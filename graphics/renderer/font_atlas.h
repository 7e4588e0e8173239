#pragma once

// The font atlas: loaded TrueType fonts, glyphs rasterised on demand into one
// 8-bit coverage bitmap packed with a skyline packer, cached by code point,
// size and blur, and text turned into positioned textured quads. The vector
// core owns one per context and uploads its dirty region to its font image.
//
// Threads: an atlas belongs to the thread that drives it (the main thread);
// nothing here locks. Nothing throws: failures are return values, and a failed
// allocation drops the operation in hand.

#include "graphics/renderer/font_check.h"
#include "graphics/renderer/text_align.h"

// The atlas compiles its own copy of the TrueType reader with internal
// linkage, so another copy elsewhere in the process cannot clash.
#ifndef STBTT_STATIC
#define STBTT_STATIC
#endif
#include <stb/stb_truetype.h>

// FAparams::flags.
enum FAflags : unsigned char {
  FA_ZERO_TOPLEFT = 1,  // y grows downwards
};

// Codes passed to the error callback.
enum FAerrorCode : int {
  FA_ATLAS_FULL = 1,
  FA_STATES_OVERFLOW = 3,
  FA_STATES_UNDERFLOW = 4,
};

// Whether a glyph lookup must place the glyph's bitmap in the atlas.
enum FAglyphBitmap : int {
  FA_GLYPH_BITMAP_OPTIONAL = 1,  // measuring only
  FA_GLYPH_BITMAP_REQUIRED = 2,
};

inline constexpr int FA_SCRATCH_BUF_SIZE = 96000;  // the TrueType reader's whole arena
inline constexpr int FA_HASH_LUT_SIZE = 256;
inline constexpr int FA_INIT_FONTS = 4;
inline constexpr int FA_INIT_GLYPHS = 256;
inline constexpr int FA_INIT_ATLAS_NODES = 256;
inline constexpr int FA_VERTEX_COUNT = 1024;
inline constexpr int FA_MAX_STATES = 20;
inline constexpr int FA_MAX_FALLBACKS = 20;
inline constexpr int FA_MAX_BLUR = 20;
inline constexpr int FA_MAX_FONT_NAME = 64;  // terminator included
inline constexpr int FA_MAX_ATLAS_SIDE = 32767;  // skyline nodes hold 16-bit positions
// Glyph records a font keeps for measuring alone (without a bitmap): a new one
// that would pass this drops them all, so lookups keep short hash chains
// however many sizes are measured. Glyphs with a bitmap are never dropped.
inline constexpr int FA_MAX_MEASURED_GLYPHS = 4096;

// Given at creation and copied. The callbacks are optional; the vector core
// passes none and uploads and draws through its own back end.
struct FAparams {
  int width;
  int height;
  unsigned char flags;
  void* userPtr;
  int (*renderCreate)(void* uptr, int width, int height);
  int (*renderResize)(void* uptr, int width, int height);
  void (*renderUpdate)(void* uptr, int* rect, const unsigned char* data);
  void (*renderDraw)(void* uptr, const float* verts, const float* tcoords, const unsigned int* colors,
                     int nverts);
  void (*renderDelete)(void* uptr);
};

// A glyph's screen rectangle and texture coordinates.
struct FAquad {
  float x0, y0, s0, t0;
  float x1, y1, s1, t1;
};

// A cached glyph. Sizes and advances are tenths of a pixel; the rectangle is
// -1 while the glyph has no bitmap in the atlas.
struct FAglyph {
  unsigned int codepoint;
  int index;  // glyph index in the font that rendered it
  int next;   // next glyph of its hash chain, -1 at the end
  short size;
  short blur;
  short x0, y0, x1, y1;
  short xadv;
  short xoff, yoff;
};

struct FAfont {
  stbtt_fontinfo font;
  char name[FA_MAX_FONT_NAME];
  unsigned char* data;
  int dataSize;
  unsigned char freeData;
  // In units of the font's height (ascent - descent).
  float ascender;
  float descender;
  float lineh;
  FAglyph* glyphs;
  int cglyphs;
  int nglyphs;
  int nmeasured;  // glyphs without a bitmap
  int lut[FA_HASH_LUT_SIZE];  // hash chain heads, -1 = empty
  int fallbacks[FA_MAX_FALLBACKS];
  int nfallbacks;
  FAfaceTables tables;  // where the checked outlines lie
};

struct FAatlasNode {
  short x, y, width;
};

// The skyline: nodes left to right, each the top of the packed area below it.
struct FAatlas {
  int width;
  int height;
  FAatlasNode* nodes;
  int nnodes;
  int cnodes;
};

struct FAstate {
  int font;
  int align;  // VCalign bits
  float size;
  unsigned int color;
  float blur;
  float spacing;
};

// Walks a UTF-8 text glyph by glyph. A plain value: copying it saves the
// position, so a caller can step back one glyph.
struct FAtextIter {
  float x, y;
  float nextx, nexty;
  float scale;
  float spacing;
  unsigned int codepoint;
  short isize;
  short iblur;
  FAfont* font;
  int prevGlyphIndex;  // -1: none yet, or the last glyph was missing
  const char* str;
  const char* next;
  const char* end;
  unsigned int utf8state;
  int bitmapOption;  // FAglyphBitmap
};

struct FAcontext {
  FAparams params;
  float itw, ith;  // 1 / width, 1 / height
  unsigned char* texData;
  int dirtyRect[4];  // x0, y0, x1, y1; empty when x0 >= x1 or y0 >= y1
  FAfont** fonts;
  FAatlas* atlas;
  int cfonts;
  int nfonts;
  // Vertices of the callback drawing path.
  float verts[FA_VERTEX_COUNT * 2];
  float tcoords[FA_VERTEX_COUNT * 2];
  unsigned int colors[FA_VERTEX_COUNT];
  int nverts;
  unsigned char* scratch;  // the TrueType reader's allocation arena
  int nscratch;
  FAstate states[FA_MAX_STATES];
  int nstates;
  void (*handleError)(void* uptr, int error, int val);
  void* errorUptr;
  // A block set aside in the arena for the reader's allocation that comes
  // after `scratchReservedAfter` others (the scanline buffer of a wide glyph,
  // which the reader uses without checking that it got one).
  unsigned char* scratchReserved;
  int scratchReservedSize;
  int scratchReservedAfter;
  // The largest atlas its owner will ever make: a glyph whose bitmap cannot fit
  // it is never placed, and draws as an empty quad that keeps its advance.
  int maxAtlasWidth;
  int maxAtlasHeight;
};

// Creation and fonts.
FAcontext* faCreateInternal(const FAparams* params);
void faDeleteInternal(FAcontext* stash);
// The new font's index, or -1. With freeData the atlas owns `data` (from
// malloc) from this call on, also when it fails.
int faAddFontMem(FAcontext* stash, const char* name, unsigned char* data, int dataSize, int fontIndex, int freeData);
int faAddFont(FAcontext* stash, const char* name, const char* path, int fontIndex);
int faGetFontByName(FAcontext* stash, const char* name);
// 1 when `fallback` joined the base font's fallbacks; 0 when either index names
// no font or the base font has its 20.
int faAddFallbackFont(FAcontext* stash, int base, int fallback);

// State stack.
void faPushState(FAcontext* stash);
void faPopState(FAcontext* stash);
void faClearState(FAcontext* stash);
void faSetSize(FAcontext* stash, float size);
void faSetColor(FAcontext* stash, unsigned int color);
void faSetSpacing(FAcontext* stash, float spacing);
void faSetBlur(FAcontext* stash, float blur);
void faSetAlign(FAcontext* stash, int align);
void faSetFont(FAcontext* stash, int font);

// Measuring and iterating, with the top state. `end` null means up to the
// terminating zero.
int faTextIterInit(FAcontext* stash, FAtextIter* iter, float x, float y, const char* str, const char* end,
                   int bitmapOption);
// 0 at the end of the text. Otherwise 1, and `quad` holds the next glyph, or
// is empty at the pen when the glyph is missing (prevGlyphIndex is then -1) or,
// in a walk that requires bitmaps, too large for the largest atlas.
// Malformed UTF-8 is skipped; an incomplete sequence at the end of the text
// ends it.
int faTextIterNext(FAcontext* stash, FAtextIter* iter, FAquad* quad);
float faTextBounds(FAcontext* stash, float x, float y, const char* str, const char* end, float* bounds);
void faVertMetrics(FAcontext* stash, float* ascender, float* descender, float* lineh);
void faLineBounds(FAcontext* stash, float y, float* miny, float* maxy);

// The atlas bitmap.
int faValidateTexture(FAcontext* stash, int* dirty);
const unsigned char* faGetTextureData(FAcontext* stash, int* width, int* height);
void faGetAtlasSize(FAcontext* stash, int* width, int* height);
void faSetErrorCallback(FAcontext* stash, void (*callback)(void* uptr, int error, int val), void* uptr);
int faResetAtlas(FAcontext* stash, int width, int height);
// The largest atlas the owner will grow to (FA_MAX_ATLAS_SIDE square until set).
void faSetAtlasSizeLimit(FAcontext* stash, int width, int height);
int faExpandAtlas(FAcontext* stash, int width, int height);

// Drawing through the renderDraw callback.
float faDrawText(FAcontext* stash, float x, float y, const char* str, const char* end);
void faDrawDebug(FAcontext* stash, float x, float y);

// Internal steps, reachable for tests.
unsigned int fa__hashint(unsigned int a);
int fa__blurAlpha(int iblur);
int fa__atlasAddRect(FAatlas* atlas, int rw, int rh, int* rx, int* ry);
