#include "graphics/font_face_info.h"

#include <optional>
#include <string>

namespace plugkit::graphics {

namespace {

constexpr uint32_t Tag(char a, char b, char c, char d) {
  return static_cast<uint32_t>(static_cast<unsigned char>(a)) << 24 |
         static_cast<uint32_t>(static_cast<unsigned char>(b)) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(c)) << 8 | static_cast<uint32_t>(static_cast<unsigned char>(d));
}

// The first four bytes of a file: single fonts, or a collection of them.
constexpr uint32_t kTrueTypeTag = Tag('1', 0, 0, 0);
constexpr uint32_t kTrueTypeVersion = 0x00010000;
constexpr uint32_t kOpenTypeTag = Tag('O', 'T', 'T', 'O');
constexpr uint32_t kType1Tag = Tag('t', 'y', 'p', '1');
constexpr uint32_t kCollectionTag = Tag('t', 't', 'c', 'f');
constexpr uint32_t kCollectionVersion1 = 0x00010000;
constexpr uint32_t kCollectionVersion2 = 0x00020000;
constexpr uint64_t kCollectionVersionAt = 4;
constexpr uint64_t kCollectionCountAt = 8;
constexpr uint64_t kCollectionOffsetsAt = 12;

constexpr uint64_t kTableCountAt = 4;
constexpr uint64_t kTableRecordsAt = 12;
constexpr uint64_t kTableRecordSize = 16;
constexpr uint64_t kTableRecordOffsetAt = 8;

constexpr uint64_t kUnitsPerEMAt = 18;  // in head
constexpr uint64_t kMacStyleAt = 44;    // in head
constexpr uint64_t kAscenderAt = 4;     // in hhea
constexpr uint64_t kDescenderAt = 6;    // in hhea
constexpr uint64_t kLineGapAt = 8;      // in hhea

constexpr uint64_t kNameCountAt = 2;
constexpr uint64_t kNameStorageAt = 4;
constexpr uint64_t kNameRecordsAt = 6;
constexpr uint64_t kNameRecordSize = 12;
constexpr uint16_t kFamilyNameId = 1;
constexpr uint16_t kStyleNameId = 2;

struct NameEncoding {
  uint16_t platform;
  uint16_t encoding;
  uint16_t language;
};
constexpr NameEncoding kWindowsUnicodeEnglish{3, 1, 0x409};
constexpr NameEncoding kMacintoshRomanEnglish{1, 0, 0};

constexpr char32_t kReplacementCharacter = 0xFFFD;

// Big-endian reads that answer nothing for bytes outside the buffer. Offsets
// are 64-bit so that offset arithmetic on 32-bit file fields cannot wrap.
class ByteReader {
public:
  ByteReader(const unsigned char* data, int size) : mData(data), mSize(data && size > 0 ? size : 0) {}

  bool Holds(uint64_t offset, uint64_t length) const { return offset <= mSize && length <= mSize - offset; }
  const unsigned char* At(uint64_t offset) const { return mData + offset; }

  std::optional<uint16_t> U16(uint64_t offset) const {
    if (!Holds(offset, 2)) return std::nullopt;
    return static_cast<uint16_t>(mData[offset] << 8 | mData[offset + 1]);
  }
  std::optional<int16_t> S16(uint64_t offset) const {
    const auto value = U16(offset);
    if (!value) return std::nullopt;
    return static_cast<int16_t>(*value);
  }
  std::optional<uint32_t> U32(uint64_t offset) const {
    const auto high = U16(offset);
    const auto low = U16(offset + 2);
    if (!high || !low) return std::nullopt;
    return static_cast<uint32_t>(*high) << 16 | *low;
  }

private:
  const unsigned char* mData;
  uint64_t mSize;
};

std::optional<uint64_t> FaceOffset(const ByteReader& bytes, int faceIdx) {
  const auto tag = bytes.U32(0);
  if (!tag || faceIdx < 0) return std::nullopt;
  if (*tag == kTrueTypeTag || *tag == kTrueTypeVersion || *tag == kOpenTypeTag || *tag == kType1Tag) {
    if (faceIdx != 0) return std::nullopt;
    return 0;
  }
  if (*tag != kCollectionTag) return std::nullopt;
  const auto version = bytes.U32(kCollectionVersionAt);
  const auto count = bytes.U32(kCollectionCountAt);
  if (!version || (*version != kCollectionVersion1 && *version != kCollectionVersion2)) return std::nullopt;
  if (!count || static_cast<uint32_t>(faceIdx) >= *count) return std::nullopt;
  return bytes.U32(kCollectionOffsetsAt + 4 * static_cast<uint64_t>(faceIdx));
}

struct TableLocations {
  uint32_t head = 0;
  uint32_t name = 0;
  uint32_t hhea = 0;
  uint32_t fdsc = 0;
};

std::optional<TableLocations> FindTables(const ByteReader& bytes, uint64_t face) {
  const auto count = bytes.U16(face + kTableCountAt);
  const uint64_t records = face + kTableRecordsAt;
  if (!count || !bytes.Holds(records, *count * kTableRecordSize)) return std::nullopt;
  TableLocations found;
  for (uint64_t record = records; record < records + *count * kTableRecordSize; record += kTableRecordSize) {
    const uint32_t offset = *bytes.U32(record + kTableRecordOffsetAt);
    switch (*bytes.U32(record)) {
      case Tag('h', 'e', 'a', 'd'): found.head = offset; break;
      case Tag('n', 'a', 'm', 'e'): found.name = offset; break;
      case Tag('h', 'h', 'e', 'a'): found.hhea = offset; break;
      case Tag('f', 'd', 's', 'c'): found.fdsc = offset; break;
      default: break;
    }
  }
  return found;
}

void AppendUtf8(std::string& text, char32_t code) {
  if (code < 0x80) {
    text += static_cast<char>(code);
  } else if (code < 0x800) {
    text += static_cast<char>(0xC0 | code >> 6);
    text += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    text += static_cast<char>(0xE0 | code >> 12);
    text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    text += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | code >> 18);
    text += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    text += static_cast<char>(0x80 | (code & 0x3F));
  }
}

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// A surrogate without its partner has no character to stand for; it becomes
// the replacement character so the name stays well-formed UTF-8.
std::string Utf8FromUtf16BigEndian(const unsigned char* units, uint64_t length) {
  std::string text;
  const uint64_t count = length / 2;
  for (uint64_t i = 0; i < count; ++i) {
    char32_t code = static_cast<char32_t>(units[2 * i] << 8 | units[2 * i + 1]);
    if (IsHighSurrogate(code) && i + 1 < count) {
      const char32_t low = static_cast<char32_t>(units[2 * i + 2] << 8 | units[2 * i + 3]);
      if (IsLowSurrogate(low)) {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if (IsHighSurrogate(code) || IsLowSurrogate(code)) code = kReplacementCharacter;
    AppendUtf8(text, code);
  }
  return text;
}

std::string TextUpToZero(const unsigned char* bytes, uint64_t length) {
  uint64_t end = 0;
  while (end < length && bytes[end] != 0) ++end;
  return std::string(reinterpret_cast<const char*>(bytes), end);
}

struct NameString {
  const unsigned char* bytes;
  uint64_t length;
};

// The first string of the name id in the encoding; none when there is no such
// record or it, or its string, lies outside the bytes.
std::optional<NameString> FindNameString(const ByteReader& bytes, uint64_t table, uint16_t nameId,
                                         const NameEncoding& encoding) {
  const auto count = bytes.U16(table + kNameCountAt);
  const auto storage = bytes.U16(table + kNameStorageAt);
  if (!count || !storage) return std::nullopt;
  for (uint64_t i = 0; i < *count; ++i) {
    const uint64_t record = table + kNameRecordsAt + i * kNameRecordSize;
    if (!bytes.Holds(record, kNameRecordSize)) return std::nullopt;
    if (*bytes.U16(record) != encoding.platform || *bytes.U16(record + 2) != encoding.encoding ||
        *bytes.U16(record + 4) != encoding.language || *bytes.U16(record + 6) != nameId)
      continue;
    const uint64_t length = *bytes.U16(record + 8);
    const uint64_t start = table + *storage + *bytes.U16(record + 10);
    if (!bytes.Holds(start, length)) return std::nullopt;
    return NameString{bytes.At(start), length};
  }
  return std::nullopt;
}

std::string ReadName(const ByteReader& bytes, uint64_t table, uint16_t nameId) {
  std::string name;
  if (const auto unicode = FindNameString(bytes, table, nameId, kWindowsUnicodeEnglish))
    name = Utf8FromUtf16BigEndian(unicode->bytes, unicode->length);
  if (name.empty()) {
    if (const auto roman = FindNameString(bytes, table, nameId, kMacintoshRomanEnglish))
      name = TextUpToZero(roman->bytes, roman->length);
  }
  return name;
}

}  // namespace

FontFaceInfo::FontFaceInfo(const void* data, int size, int faceIdx) : mData(static_cast<const unsigned char*>(data)) {
  Read(size, faceIdx);
}

bool FontFaceInfo::IsCollection(const void* data, int size) {
  return ByteReader(static_cast<const unsigned char*>(data), size).U32(0) == kCollectionTag;
}

bool FontFaceInfo::IsValid() const { return mData && mHeadLocation && mNameLocation && mHheaLocation; }

void FontFaceInfo::Read(int size, int faceIdx) {
  const ByteReader bytes(mData, size);
  const auto face = FaceOffset(bytes, faceIdx);
  if (!face) return;
  const auto tables = FindTables(bytes, *face);
  if (!tables) return;

  if (tables->head && tables->name && tables->hhea) {
    const auto unitsPerEM = bytes.U16(tables->head + kUnitsPerEMAt);
    const auto macStyle = bytes.U16(tables->head + kMacStyleAt);
    const auto ascender = bytes.S16(tables->hhea + kAscenderAt);
    const auto descender = bytes.S16(tables->hhea + kDescenderAt);
    const auto lineGap = bytes.S16(tables->hhea + kLineGapAt);
    if (!unitsPerEM || !macStyle || !ascender || !descender || !lineGap) return;
    mUnitsPerEM = *unitsPerEM;
    mMacStyle = *macStyle;
    mAscender = *ascender;
    mDescender = *descender;
    mLineGap = *lineGap;
    mFamily.Set(ReadName(bytes, tables->name, kFamilyNameId).c_str());
    mStyle.Set(ReadName(bytes, tables->name, kStyleNameId).c_str());
  }
  mHeadLocation = tables->head;
  mNameLocation = tables->name;
  mHheaLocation = tables->hhea;
  mFdscLocation = tables->fdsc;
}

}  // namespace plugkit::graphics
