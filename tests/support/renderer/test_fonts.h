#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Fonts for tests and fuzz seeds: the DejaVu files of fonts-dejavu-core, and a
// small TrueType font built in memory whose tables tests bend into bad ones.
namespace orvane::testing {

using Bytes = std::vector<unsigned char>;

inline const std::string kDejaVuFolder = "/usr/share/fonts/truetype/dejavu/";
inline const std::string kDejaVuSansMono = kDejaVuFolder + "DejaVuSansMono.ttf";
inline const std::string kDejaVuSansMonoBold = kDejaVuFolder + "DejaVuSansMono-Bold.ttf";
inline const std::string kDejaVuSans = kDejaVuFolder + "DejaVuSans.ttf";
inline const std::string kDejaVuSerif = kDejaVuFolder + "DejaVuSerif.ttf";

// The whole file; empty when it cannot be read.
Bytes ReadFileBytes(const std::string& path);
// False when the file cannot be written.
bool WriteFileBytes(const std::filesystem::path& path, const Bytes& bytes);

// A corruption of one bit for fuzz seeds: where, and the corrupted copy.
struct BitFlip {
  std::size_t at;
  Bytes bytes;
};
// `count` single-bit corruptions of `bytes` within its first `range` bytes,
// the same for the same `seed`.
std::vector<BitFlip> BitFlips(const Bytes& bytes, std::size_t count, std::uint32_t seed, std::size_t range);

void PutU16(Bytes& bytes, std::size_t at, unsigned value);
void PutU32(Bytes& bytes, std::size_t at, std::uint32_t value);
std::uint32_t GetU32(const Bytes& bytes, std::size_t at);

struct FontTable {
  std::string tag;
  Bytes data;
};

// A font file of these tables, its directory in this order.
Bytes BuildFont(const std::vector<FontTable>& tables, std::uint32_t sfntVersion = 0x00010000);
// A collection of whole font files, each face keeping its tables.
Bytes BuildCollection(const std::vector<Bytes>& fonts);
// Rewrites the length of a table in a font file's directory.
void SetTableLength(Bytes& font, const std::string& tag, std::uint32_t length);

// A small TrueType font: units per em 1000, ascent 800, descent -200, every
// advance 600. Glyph 0 is empty; 'A' is glyph 1, a 100..500 square; 'B' is
// glyph 2, a composite of glyph 1 moved right by 50; 'C' is glyph 3, a
// triangle. Its 'kern' table kerns A then B by -50.
struct SmallFont {
  static constexpr int kGlyphA = 1;
  static constexpr int kGlyphB = 2;
  static constexpr int kGlyphC = 3;
  static constexpr int kGlyphCount = 4;
  static constexpr int kAdvance = 600;

  std::vector<FontTable> tables;

  SmallFont();
  Bytes& Table(const std::string& tag);
  // The glyph data, laid out again into 'glyf' and 'loca'.
  void SetGlyph(int glyph, const Bytes& data);
  Bytes Build() const { return BuildFont(tables); }

  std::vector<Bytes> glyphs;
};

// A font the checks refuse, and the reason they give.
struct RefusedFont {
  std::string name;
  Bytes font;
  std::string reason;
};
// Fonts refused as a whole.
std::vector<RefusedFont> RefusedFonts();
// Small fonts whose glyph 'B' is refused while the font is accepted.
std::vector<RefusedFont> FontsWithARefusedGlyph();

// Glyph data: a simple glyph of on-curve points in one contour, or a
// composite of glyphs placed at offsets.
Bytes SimpleGlyph(const std::vector<std::pair<int, int>>& points);
Bytes CompositeGlyph(const std::vector<std::pair<int, std::pair<int, int>>>& components);

}  // namespace orvane::testing
