#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plugkit::testing {

using FontBytes = std::vector<unsigned char>;

// Fonts from fonts-dejavu-core, which scripts/setup.sh installs. Inline, so
// that constants of other files made from them are initialised after them.
inline const std::string kDejaVuFolder = "/usr/share/fonts/truetype/dejavu";
inline const std::string kDejaVuMonoFile = "DejaVuSansMono.ttf";           // "DejaVu Sans Mono", style "Book"
inline const std::string kDejaVuMonoBoldFile = "DejaVuSansMono-Bold.ttf";  // style "Bold"

// The file's bytes; throws, naming the file, when it cannot be read.
FontBytes ReadFontFile(const std::string& path);

uint32_t GetBigEndian(const FontBytes& bytes, size_t at, int width);
void PutBigEndian(FontBytes& bytes, size_t at, uint32_t value, int width);

// Font files one after the other behind a collection header claiming
// fontCount faces; each font's table offsets move with it.
FontBytes FontCollection(const std::vector<FontBytes>& fonts, uint32_t fontCount);

struct NameRecord {
  uint32_t platform, encoding, language, nameId;
  std::string text;
};

// A name table of the records; it may claim more records than it holds, and
// every string may be placed at one forced offset.
FontBytes NameTable(const std::vector<NameRecord>& names, uint32_t claimedNames = 0, int forcedOffset = -1);

// UTF-16 big-endian bytes, as Windows name records hold them.
std::string Utf16BigEndian(const std::u16string& text);

// A copy of a single font whose table with the tag is `table`, appended at the end.
FontBytes WithTable(const FontBytes& font, const char* tag, const FontBytes& table);

}  // namespace plugkit::testing
