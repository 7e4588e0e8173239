#pragma once

#include <cstdint>

// Font bytes are untrusted (fonts the user installed, bytes handed to the
// memory loader) and the TrueType reader trusts every offset in them. These
// checks run first, bounds-checked, and refuse what the reader would read out
// of range or choke on. Only TrueType outlines are accepted.

// Where a checked face's outlines lie, as byte offsets from the start of the data.
struct FAfaceTables {
  std::uint32_t glyf;
  std::uint32_t glyfLength;
  std::uint32_t loca;
  int locFormat;  // 0: 16-bit halved offsets, 1: 32-bit offsets
  int numGlyphs;
};

// Components a composite glyph may reference, counted over its whole tree.
inline constexpr int kMaxGlyphComponents = 64;
// Levels of composite glyphs inside composite glyphs.
inline constexpr int kMaxGlyphNesting = 8;

// Null when face `fontIndex` of `data` may be handed to the TrueType reader
// (and `tables`, when not null, describes its outlines); otherwise the reason
// it is refused. Threads: any.
const char* faCheckFont(const unsigned char* data, int dataSize, int fontIndex, FAfaceTables* tables);

// Null when glyph `glyph` of a face that passed faCheckFont may be read and
// rasterised; otherwise the reason it is refused. Threads: any.
const char* faCheckGlyph(const unsigned char* data, const FAfaceTables& tables, int glyph);
