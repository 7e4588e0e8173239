#pragma once

// The framing of the plug-in's part of a state chunk: the magic 0x4F535441
// ("OSTA" packed first letter high, so a little-endian chunk starts "ATSO"),
// version 1, the length N of the JSON text, then the N bytes of text.

#include <cstdint>
#include <string>

#include "framework/core/state_chunk.h"

namespace orvane {

inline constexpr std::uint32_t kStateChunkMagic = 0x4F535441;
inline constexpr std::uint32_t kStateChunkVersion = 1;
inline constexpr int kStateChunkHeaderBytes = 12;

// Appends the header and the text; false when the chunk could not grow (or
// the text is too long for the length field).
bool AppendStateChunkText(plugkit::IStateChunk& chunk, const std::string& text);

// Reads the header at pos and the text after it, cut at its first zero byte.
// On success `text` holds it and `end` the position after the N bytes. False
// for a negative position, a foreign magic or version, a length of 0 or one
// running beyond the chunk.
bool ReadStateChunkText(const plugkit::IStateChunk& chunk, int pos, std::string& text, int& end);

}  // namespace orvane
