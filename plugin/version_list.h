#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

// A dotted version such as 1.0.4 as its numbers, at most four of them.
using VersionList = std::vector<std::uint32_t>;

inline constexpr std::size_t kMaxVersionPieces = 4;

// Splits text at each "."; every piece must be one or more decimal digits with a
// value that fits in 32 bits. Fails (out empty) on an empty text, an empty
// piece, any other character, a value too large or a fifth piece.
bool ParseVersionString(const std::string& text, VersionList& out);

// Resizes to size pieces; new pieces are 0.
void PadVersion(VersionList& version, std::size_t size);

// Lexicographic order of two versions of equal length: true when a comes before b.
bool VersionLess(const VersionList& a, const VersionList& b);

}  // namespace orvane
