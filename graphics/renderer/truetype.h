#pragma once

// The atlas's window onto the TrueType reader, whose implementation is
// compiled once, in truetype.cpp, with its allocations bound to the atlas's
// scratch arena. Fonts reach these only after faCheckFont, and glyphs only
// after faCheckGlyph.

#include "graphics/renderer/font_atlas.h"

// Initialises `font` at face `fontIndex` of checked data; 1 on success.
int fa__ttLoadFont(FAcontext* stash, stbtt_fontinfo* font, unsigned char* data, int fontIndex);
void fa__ttGetFontVMetrics(const stbtt_fontinfo* font, int* ascent, int* descent, int* lineGap);
// Pixels per font unit at a size given in pixels.
float fa__ttGetPixelHeightScale(const stbtt_fontinfo* font, float size);
// The glyph for a code point; 0 when the font has none.
int fa__ttGetGlyphIndex(const stbtt_fontinfo* font, unsigned int codepoint);
// Advance in font units.
int fa__ttGetGlyphAdvance(const stbtt_fontinfo* font, int glyph);
// The glyph's bitmap box at `scale`, in pixels with y down; all 0 for an empty glyph.
void fa__ttGetGlyphBitmapBox(const stbtt_fontinfo* font, int glyph, float scale, int* x0, int* y0, int* x1,
                             int* y1);
// Rasterises into `output` (outWidth x outHeight, rows outStride apart). A
// glyph the arena cannot hold is left blank or partly drawn.
void fa__ttRenderGlyphBitmap(FAcontext* stash, const stbtt_fontinfo* font, unsigned char* output, int outWidth,
                             int outHeight, int outStride, float scale, int glyph);
// Kerning from the legacy 'kern' table, in font units.
int fa__ttGetGlyphKernAdvance(const stbtt_fontinfo* font, int glyph1, int glyph2);
