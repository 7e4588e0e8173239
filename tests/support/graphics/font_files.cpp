#include "support/graphics/font_files.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace plugkit::testing {
namespace {

constexpr size_t kTableCountAt = 4;
constexpr size_t kTableRecordsAt = 12;
constexpr size_t kTableRecordSize = 16;
constexpr size_t kRecordOffsetAt = 8;
constexpr size_t kRecordLengthAt = 12;
constexpr uint32_t kCollectionTag = 0x74746366;  // "ttcf"
constexpr uint32_t kCollectionVersion = 0x00010000;
constexpr size_t kNameRecordsAt = 6;
constexpr size_t kNameRecordSize = 12;

uint32_t TagOf(const char* tag) {
  return static_cast<uint32_t>(static_cast<unsigned char>(tag[0])) << 24 |
         static_cast<uint32_t>(static_cast<unsigned char>(tag[1])) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(tag[2])) << 8 | static_cast<unsigned char>(tag[3]);
}

void AlignTo4(FontBytes& bytes) { bytes.resize((bytes.size() + 3) & ~size_t(3)); }

}  // namespace

FontBytes ReadFontFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(path + " is missing; scripts/setup.sh installs it");
  return FontBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t GetBigEndian(const FontBytes& bytes, size_t at, int width) {
  uint32_t value = 0;
  for (int i = 0; i < width; ++i) value = value << 8 | bytes.at(at + i);
  return value;
}

void PutBigEndian(FontBytes& bytes, size_t at, uint32_t value, int width) {
  for (int i = 0; i < width; ++i) bytes.at(at + i) = static_cast<unsigned char>(value >> 8 * (width - 1 - i));
}

FontBytes FontCollection(const std::vector<FontBytes>& fonts, uint32_t fontCount) {
  FontBytes file(kTableRecordsAt + 4 * fonts.size());
  PutBigEndian(file, 0, kCollectionTag, 4);
  PutBigEndian(file, 4, kCollectionVersion, 4);
  PutBigEndian(file, 8, fontCount, 4);
  for (size_t i = 0; i < fonts.size(); ++i) {
    AlignTo4(file);
    const auto base = static_cast<uint32_t>(file.size());
    PutBigEndian(file, kTableRecordsAt + 4 * i, base, 4);
    file.insert(file.end(), fonts[i].begin(), fonts[i].end());
    const uint32_t tables = GetBigEndian(fonts[i], kTableCountAt, 2);
    for (uint32_t t = 0; t < tables; ++t) {
      const size_t offsetAt = base + kTableRecordsAt + kTableRecordSize * t + kRecordOffsetAt;
      PutBigEndian(file, offsetAt, GetBigEndian(file, offsetAt, 4) + base, 4);
    }
  }
  return file;
}

FontBytes NameTable(const std::vector<NameRecord>& names, uint32_t claimedNames, int forcedOffset) {
  FontBytes table(kNameRecordsAt + kNameRecordSize * names.size());
  PutBigEndian(table, 2, claimedNames ? claimedNames : static_cast<uint32_t>(names.size()), 2);
  PutBigEndian(table, 4, static_cast<uint32_t>(table.size()), 2);
  std::string strings;
  for (size_t i = 0; i < names.size(); ++i) {
    const NameRecord& r = names[i];
    const uint32_t at = forcedOffset >= 0 ? forcedOffset : static_cast<uint32_t>(strings.size());
    const uint32_t fields[] = {r.platform, r.encoding, r.language, r.nameId, uint32_t(r.text.size()), at};
    for (int f = 0; f < 6; ++f) PutBigEndian(table, kNameRecordsAt + kNameRecordSize * i + 2 * f, fields[f], 2);
    strings += r.text;
  }
  table.insert(table.end(), strings.begin(), strings.end());
  return table;
}

std::string Utf16BigEndian(const std::u16string& text) {
  std::string bytes;
  for (const char16_t unit : text) bytes += {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
  return bytes;
}

FontBytes WithTable(const FontBytes& font, const char* tag, const FontBytes& table) {
  FontBytes copy = font;
  AlignTo4(copy);
  const auto offset = static_cast<uint32_t>(copy.size());
  copy.insert(copy.end(), table.begin(), table.end());
  const uint32_t tables = GetBigEndian(copy, kTableCountAt, 2);
  for (uint32_t t = 0; t < tables; ++t) {
    const size_t record = kTableRecordsAt + kTableRecordSize * t;
    if (GetBigEndian(copy, record, 4) != TagOf(tag)) continue;
    PutBigEndian(copy, record + kRecordOffsetAt, offset, 4);
    PutBigEndian(copy, record + kRecordLengthAt, static_cast<uint32_t>(table.size()), 4);
    return copy;
  }
  throw std::invalid_argument(std::string("the font has no table ") + tag);
}

}  // namespace plugkit::testing
