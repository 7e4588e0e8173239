#pragma once

// Text in the vector core: fonts of the context's atlas, the text state, and
// drawing, measuring and breaking UTF-8 text. Glyphs are rasterised at the
// device scale (the state transform's scale, at most 4, times the device pixel
// ratio), so text stays crisp under zoom; results are in the caller's units.
// Drawn text is two textured triangles per glyph, cut from the current font
// image; when the atlas fills, the font image grows (at most four images a
// frame, none larger than VC_MAX_FONTIMAGE_SIZE square).
//
// Threads: the thread that drives the context.

#include "graphics/renderer/font_atlas.h"

struct VCcontext;

// A row of broken text: its glyphs from `start` to `end` (trailing white space
// excluded), where the next row starts, its advance and its glyphs' extent.
struct VCtextRow {
  const char* start;
  const char* end;
  const char* next;
  float width;
  float minx, maxx;
};

struct VCglyphPosition {
  const char* str;  // the glyph's first byte
  float x;          // pen position
  float minx, maxx;
};

// Fonts: indices, or -1 on failure. With freeData the atlas owns `data`
// (from malloc) from the call on.
int vcCreateFont(VCcontext* ctx, const char* name, const char* filename);
int vcCreateFontAtIndex(VCcontext* ctx, const char* name, const char* filename, int fontIndex);
int vcCreateFontMem(VCcontext* ctx, const char* name, unsigned char* data, int ndata, int freeData);
int vcCreateFontMemAtIndex(VCcontext* ctx, const char* name, unsigned char* data, int ndata, int fontIndex,
                           int freeData);
int vcFindFont(VCcontext* ctx, const char* name);
// 1 when the fallback joined the base font's; 0 when either names no font or
// the base font has its FA_MAX_FALLBACKS.
int vcAddFallbackFontId(VCcontext* ctx, int baseFont, int fallbackFont);
int vcAddFallbackFont(VCcontext* ctx, const char* baseFont, const char* fallbackFont);

// Text state of the top state; each stores its argument.
void vcFontSize(VCcontext* ctx, float size);
void vcFontBlur(VCcontext* ctx, float blur);
void vcTextLetterSpacing(VCcontext* ctx, float spacing);
void vcTextLineHeight(VCcontext* ctx, float lineHeight);  // multiple of the font's line height
void vcTextAlign(VCcontext* ctx, int align);               // VCalign bits
void vcFontFaceId(VCcontext* ctx, int font);
// The font of that name, or -1 (no text).
void vcFontFace(VCcontext* ctx, const char* name);

// `end` null means up to the terminating zero. With no font (-1) nothing is
// drawn or measured.
// Draws a line; the pen x after it (x without a font).
float vcText(VCcontext* ctx, float x, float y, const char* string, const char* end);
// Draws text broken into rows of at most breakRowWidth.
void vcTextBox(VCcontext* ctx, float x, float y, float breakRowWidth, const char* string, const char* end);
// The advance, and when `bounds` is not null min x, min y, max x, max y: the
// glyphs horizontally, the line (ascender to descender) vertically.
float vcTextBounds(VCcontext* ctx, float x, float y, const char* string, const char* end, float* bounds);
// The bounds of what vcTextBox would draw; all 0 without a font.
void vcTextBoxBounds(VCcontext* ctx, float x, float y, float breakRowWidth, const char* string, const char* end,
                     float* bounds);
// Positions of at most maxPositions glyphs; their count.
int vcTextGlyphPositions(VCcontext* ctx, float x, float y, const char* string, const char* end,
                         VCglyphPosition* positions, int maxPositions);
// Each output optional.
void vcTextMetrics(VCcontext* ctx, float* ascender, float* descender, float* lineh);
// Breaks text into at most maxRows rows of at most breakRowWidth: at newlines
// (CR LF is one), after words, between CJK characters, and within a word
// longer than a row; leading white space is skipped. The rows written.
int vcTextBreakLines(VCcontext* ctx, const char* string, const char* end, float breakRowWidth, VCtextRow* rows,
                     int maxRows);

// Internal steps of the context.
// Connects a new context's atlas: its size limit and the report of a full atlas.
void vc__setUpFontAtlas(VCcontext* ctx);
// The device scale of text: the state transform's scale, quantised to
// hundredths and at most 4, times the device pixel ratio.
float vc__deviceFontScale(VCcontext* ctx);
// The atlas state from the top state at that device scale.
void vc__setFontAtlasState(VCcontext* ctx, float scale);
