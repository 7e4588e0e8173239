#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/font_data.h"
#include "graphics/font_face_info.h"
#include "support/graphics/font_files.h"
#include "support/test_paths.h"

namespace plugkit::graphics {
namespace {

using Bytes = testing::FontBytes;
using testing::FontCollection;
using testing::NameRecord;
using testing::PutBigEndian;
using testing::ReadFontFile;

const std::string kDejaVuMono = testing::kDejaVuFolder + "/" + testing::kDejaVuMonoFile;
const std::string kDejaVuMonoBold = testing::kDejaVuFolder + "/" + testing::kDejaVuMonoBoldFile;
const std::string kIosevkaRegular = std::string(ORVANE_FONT_CACHE_DIR) + "/iosevka-latin-400-normal.ttf";
const std::string kIosevkaBold = std::string(ORVANE_FONT_CACHE_DIR) + "/iosevka-latin-700-normal.ttf";

FontFaceInfo Face(const Bytes& bytes, int faceIdx) {
  return FontFaceInfo(bytes.data(), static_cast<int>(bytes.size()), faceIdx);
}

void Put(Bytes& b, size_t at, uint32_t value, int width) { PutBigEndian(b, at, value, width); }
Bytes Collection(const std::vector<Bytes>& fonts, uint32_t fontCount) { return FontCollection(fonts, fontCount); }
std::string Utf16(const std::u16string& text) { return testing::Utf16BigEndian(text); }

// A font of head, hhea and name tables; its name table may claim more records
// than it holds, and every string may be placed at one forced offset.
Bytes SmallFont(const std::vector<NameRecord>& names, uint32_t claimedNames = 0, int forcedOffset = -1) {
  const Bytes name = testing::NameTable(names, claimedNames, forcedOffset);
  Bytes head(54), hhea(36);
  Put(head, 18, 1000, 2);

  Bytes file(12 + 3 * 16);
  Put(file, 0, 0x00010000, 4);
  Put(file, 4, 3, 2);
  const std::pair<uint32_t, const Bytes*> tables[] = {{0x68656164, &head}, {0x68686561, &hhea}, {0x6E616D65, &name}};
  for (size_t t = 0; t < 3; ++t) {
    Put(file, 12 + 16 * t, tables[t].first, 4);
    Put(file, 20 + 16 * t, static_cast<uint32_t>(file.size()), 4);
    file.insert(file.end(), tables[t].second->begin(), tables[t].second->end());
  }
  return file;
}

// The record in one line: validity, family/style, macStyle, unitsPerEm,
// ascender, descender, line gap and whether it has an fdsc table.
std::string Summary(const FontFaceInfo& info) {
  std::ostringstream out;
  out << (info.IsValid() ? "valid " : "invalid ") << info.GetFamily().Get() << "/" << info.GetStyle().Get() << " "
      << info.GetMacStyle() << " " << info.GetUnitsPerEM() << " " << info.GetAscender() << " " << info.GetDescender()
      << " " << info.GetLineGap() << (info.GetFdscLocation() ? " fdsc" : "");
  return out.str();
}

TEST(FontFaceInfo, ReadsFacesOfFontFilesAndCollections) {
  const Bytes mono = ReadFontFile(kDejaVuMono), monoBold = ReadFontFile(kDejaVuMonoBold);
  const Bytes iosevka = ReadFontFile(kIosevkaRegular), iosevkaBold = ReadFontFile(kIosevkaBold);
  const Bytes collection = Collection({mono, monoBold}, 2);
  const std::string book = "valid DejaVu Sans Mono/Book 0 2048 1901 -483 0";
  const std::string bold = "valid DejaVu Sans Mono/Bold 1 2048 1901 -483 0";
  const std::string invalid = "invalid / 0 0 0 0 0";
  const struct {
    const Bytes& bytes;
    int face;
    std::string expected;
  } cases[] = {
    {mono, 0, book},
    {monoBold, 0, bold},
    {mono, 1, invalid},
    {collection, 0, book},
    {collection, 1, bold},
    {collection, 2, invalid},
    {iosevka, 0, "valid Iosevka/Regular 0 1000 965 -215 70"},
    {iosevkaBold, 0, "valid Iosevka/Bold 1 1000 965 -215 70"},
  };
  for (const auto& c : cases) EXPECT_EQ(Summary(Face(c.bytes, c.face)), c.expected) << "face " << c.face;
}

TEST(FontFaceInfo, ReadsNamesFromWindowsUnicodeElseMacintoshRoman) {
  const uint16_t family = 1;
  const struct {
    const char* label;
    Bytes font;
    std::string family;
  } cases[] = {
    {"outside the basic plane", SmallFont({{3, 1, 0x409, family, Utf16(u"Amp\U0001F3B8")}}), "Amp\xF0\x9F\x8E\xB8"},
    {"odd length", SmallFont({{3, 1, 0x409, family, Utf16(u"Aé") + "x"}}), "A\xC3\xA9"},
    {"lone surrogate", SmallFont({{3, 1, 0x409, family, Utf16(u"A") + "\xD8\x3C"}}), "A\xEF\xBF\xBD"},
    {"Macintosh only", SmallFont({{1, 0, 0, family, std::string("Mono\0junk", 9)}}), "Mono"},
    {"empty Unicode name", SmallFont({{3, 1, 0x409, family, ""}, {1, 0, 0, family, "Roman"}}), "Roman"},
    {"other language", SmallFont({{3, 1, 0x407, family, Utf16(u"Schrift")}}), ""},
    {"record past the end", SmallFont({{3, 1, 0x409, 2, Utf16(u"Bold")}}, 40), ""},
    {"string past the end", SmallFont({{3, 1, 0x409, family, Utf16(u"Amp")}}, 0, 0xFFF0), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const FontFaceInfo info = Face(c.font, 0);
    EXPECT_TRUE(info.IsValid());
    EXPECT_EQ(std::string(info.GetFamily().Get()), c.family);
  }
  EXPECT_STREQ(Face(SmallFont({{3, 1, 0x409, 2, Utf16(u"Bold")}}, 40), 0).GetStyle().Get(), "Bold");
}

TEST(FontFaceInfo, FieldsOutsideTheBytesMakeTheRecordInvalid) {
  const Bytes mono = ReadFontFile(kDejaVuMono);
  const Bytes small = SmallFont({{3, 1, 0x409, 1, Utf16(u"Amp")}});
  const auto withTableAt = [&small](int table, uint32_t offset) {
    Bytes font = small;
    Put(font, 20 + 16 * table, offset, 4);
    return font;
  };
  const auto faceOffsetPastEnd = [&mono] {
    Bytes file = Collection({mono}, 1);
    Put(file, 12, static_cast<uint32_t>(file.size()) + 4, 4);
    return file;
  }();
  const struct {
    const char* label;
    Bytes bytes;
    int face;
  } cases[] = {
    {"empty", {}, 0},
    {"unknown kind", Bytes{'w', 'O', 'F', '2', 0, 0, 0, 0}, 0},
    {"face offset past the end", faceOffsetPastEnd, 0},
    {"table directory cut short", Bytes(mono.begin(), mono.begin() + 12 + 16 * 10), 0},
    {"head fields past the end", withTableAt(0, static_cast<uint32_t>(small.size()) - 20), 0},
    {"hhea fields past the end", withTableAt(1, static_cast<uint32_t>(small.size()) - 6), 0},
    {"huge collection, face past its offsets", Collection({mono}, 0xFFFFFFFF), 0x40000000},
    {"negative face", mono, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_FALSE(Face(c.bytes, c.face).IsValid());
  }
  EXPECT_TRUE(Face(Collection({mono}, 0xFFFFFFFF), 0).IsValid());
}

TEST(FontData, OwnsACopyOfTheBytes) {
  for (const std::string& path : {kDejaVuMono, kIosevkaRegular, kIosevkaBold}) {
    const Bytes expected = ReadFontFile(path);
    Bytes source = expected;
    const FontData data(source.data(), static_cast<int>(source.size()), 0);
    source.assign(source.size(), 0);
    EXPECT_TRUE(data.IsValid() && data.GetFaceIdx() == 0) << path;
    EXPECT_TRUE(Bytes(data.GetBytes(), data.GetBytes() + data.GetSize()) == expected) << path;
  }
  const Bytes mono = ReadFontFile(kDejaVuMono);
  const FontData unmatched(mono.data(), static_cast<int>(mono.size()), FontData::kNoFace);
  EXPECT_TRUE(unmatched.GetSize() == static_cast<int>(mono.size()) && !unmatched.IsValid());
  EXPECT_FALSE(FontData(nullptr, 100, 0).IsValid());
}

}  // namespace
}  // namespace plugkit::graphics
