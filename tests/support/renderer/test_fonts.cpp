#include "tests/support/renderer/test_fonts.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <fstream>
#include <iterator>

namespace orvane::testing {

namespace {

constexpr std::size_t kDirectoryHeader = 12;
constexpr std::size_t kDirectoryEntry = 16;
constexpr int kUnitsPerEm = 1000;
constexpr int kAscent = 800;
constexpr int kDescent = -200;
constexpr std::size_t kCmapSubtable = 12;  // the small font's one character map
constexpr std::uint32_t kOpenTypeWithCff = 0x4F54544F;  // 'OTTO'
constexpr const char* kCffReason = "font has no TrueType outlines (CFF fonts are not supported)";

void Append16(Bytes& bytes, int value) {
  bytes.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
  bytes.push_back(static_cast<unsigned char>(value & 0xFF));
}

void PadToFour(Bytes& bytes) {
  while (bytes.size() % 4 != 0) bytes.push_back(0);
}

unsigned GetU16(const Bytes& bytes, std::size_t at) { return unsigned(bytes[at]) << 8 | bytes[at + 1]; }

Bytes Zeroes(std::size_t count) { return Bytes(count, 0); }

Bytes HeadTable() {
  Bytes head = Zeroes(54);
  PutU32(head, 0, 0x00010000);
  PutU32(head, 12, 0x5F0F3CF5);
  PutU16(head, 18, kUnitsPerEm);
  PutU16(head, 50, 1);  // 32-bit glyph locations
  return head;
}

Bytes HheaTable() {
  Bytes hhea = Zeroes(36);
  PutU32(hhea, 0, 0x00010000);
  PutU16(hhea, 4, kAscent);
  PutU16(hhea, 6, static_cast<unsigned>(kDescent) & 0xFFFF);
  PutU16(hhea, 10, SmallFont::kAdvance);
  PutU16(hhea, 34, SmallFont::kGlyphCount);
  return hhea;
}

Bytes MaxpTable() {
  Bytes maxp = Zeroes(6);
  PutU32(maxp, 0, 0x00005000);
  PutU16(maxp, 4, SmallFont::kGlyphCount);
  return maxp;
}

Bytes HmtxTable() {
  Bytes hmtx;
  for (int i = 0; i < SmallFont::kGlyphCount; ++i) {
    Append16(hmtx, SmallFont::kAdvance);
    Append16(hmtx, 0);
  }
  return hmtx;
}

// Format 4: 'A'..'C' to glyphs 1..3, and the closing 0xFFFF segment.
Bytes CmapTable() {
  Bytes cmap;
  Append16(cmap, 0);  // version
  Append16(cmap, 1);  // one encoding record
  Append16(cmap, 3);  // Microsoft
  Append16(cmap, 1);  // Unicode BMP
  Append16(cmap, 0);
  Append16(cmap, 12);  // subtable offset
  const int segments = 2;
  Append16(cmap, 4);
  Append16(cmap, 14 + 8 * segments + 2);
  Append16(cmap, 0);  // language
  Append16(cmap, 2 * segments);
  Append16(cmap, 4);  // search range
  Append16(cmap, 1);  // entry selector
  Append16(cmap, 0);  // range shift
  Append16(cmap, 'C');
  Append16(cmap, 0xFFFF);
  Append16(cmap, 0);  // reserved
  Append16(cmap, 'A');
  Append16(cmap, 0xFFFF);
  Append16(cmap, SmallFont::kGlyphA - 'A');
  Append16(cmap, 1);
  Append16(cmap, 0);
  Append16(cmap, 0);
  return cmap;
}

Bytes KernTable() {
  Bytes kern;
  Append16(kern, 0);  // version
  Append16(kern, 1);  // one subtable
  Append16(kern, 0);  // subtable version
  Append16(kern, 14 + 6);
  Append16(kern, 1);  // horizontal, format 0
  Append16(kern, 1);  // one pair
  Append16(kern, 6);
  Append16(kern, 0);
  Append16(kern, 0);
  Append16(kern, SmallFont::kGlyphA);
  Append16(kern, SmallFont::kGlyphB);
  Append16(kern, -50);
  return kern;
}

Bytes Bent(const std::function<void(SmallFont&)>& bend, std::uint32_t version = 0x00010000) {
  SmallFont font;
  bend(font);
  return BuildFont(font.tables, version);
}

}  // namespace

std::vector<RefusedFont> RefusedFonts() {
  const Bytes wellFormed = SmallFont().Build();
  Bytes tablePastEnd = wellFormed;
  SetTableLength(tablePastEnd, "hmtx", 100000);
  const auto withCff = [](SmallFont& f) { f.tables.push_back({"CFF ", Bytes(16, 0)}); };
  return {
      {"a table past the end", tablePastEnd, "the 'hmtx' table lies outside the font data"},
      {"segment arrays past the character map",
       Bent([](SmallFont& f) { PutU16(f.Table("cmap"), kCmapSubtable + 6, 0x400); }),
       "the format-4 segment arrays run past the character map"},
      {"search fields past the segments", Bent([](SmallFont& f) { PutU16(f.Table("cmap"), kCmapSubtable + 12, 8); }),
       "the format-4 search fields lead outside the segments"},
      {"a location past glyf",
       Bent([](SmallFont& f) {
         Bytes& loca = f.Table("loca");
         PutU32(loca, loca.size() - 4, GetU32(loca, loca.size() - 4) + 100);
       }),
       "a glyph location points past the 'glyf' table"},
      {"no horizontal metrics", Bent([](SmallFont& f) { PutU16(f.Table("hhea"), 34, 0); }),
       "the 'hhea' table counts no horizontal metrics"},
      {"ascent equal to descent",
       Bent([](SmallFont& f) {
         PutU16(f.Table("hhea"), 4, 0);
         PutU16(f.Table("hhea"), 6, 0);
       }),
       "the font's ascent is not above its descent"},
      {"kern pairs past the table", Bent([](SmallFont& f) { PutU16(f.Table("kern"), 10, 100); }),
       "the 'kern' table holds fewer pairs than it counts"},
      {"an unsupported character map", Bent([](SmallFont& f) { PutU16(f.Table("cmap"), kCmapSubtable, 2); }),
       "the character map's format is not supported"},
      {"CFF outlines", Bent(withCff, kOpenTypeWithCff), kCffReason},
      {"a CFF table beside glyf", Bent(withCff), kCffReason},
      {"no glyf", Bent([](SmallFont& f) { f.tables.erase(f.tables.begin() + 1); }), kCffReason},
      {"a truncated directory", Bytes(wellFormed.begin(), wellFormed.begin() + 40),
       "the table directory lies outside the font data"},
      {"not a font", Bytes(64, 'x'), "not a TrueType font or collection"},
  };
}

std::vector<RefusedFont> FontsWithARefusedGlyph() {
  const Bytes square = SimpleGlyph({{100, 100}, {100, 500}, {500, 500}, {500, 100}});
  const Bytes shortFlags(square.begin(), square.begin() + 16);
  Bytes outsideBox = square;
  PutU16(outsideBox, 6, 400);
  Bytes pointMatched = CompositeGlyph({{SmallFont::kGlyphA, {0, 0}}});
  PutU16(pointMatched, 10, 1);  // 16-bit arguments, but not x-y offsets
  const std::vector<std::pair<int, std::pair<int, int>>> crowd(65, {SmallFont::kGlyphA, {0, 0}});
  // Two contours, the second a single point off the curve: the reader would look past the last point.
  Bytes offCurveLast;
  for (const int value : {2, 0, 0, 500, 500, 2, 3, 0}) Append16(offCurveLast, value);
  for (const int flags : {1, 1, 1, 0}) offCurveLast.push_back(static_cast<unsigned char>(flags));
  for (const int delta : {100, 0, 400, -200, 100, 400, 0, -200}) Append16(offCurveLast, delta);
  // Glyph A scaled by 1.99 and moved 32000 units: past 16-bit coordinates.
  Bytes farScaled = CompositeGlyph({{SmallFont::kGlyphA, {32000, 0}}});
  PutU16(farScaled, 10, 1 | 2 | 8);  // 16-bit x-y offsets and a scale
  farScaled.insert(farScaled.end(), {0x7F, 0x5C});  // 1.99 in 2.14 fixed point
  const std::vector<RefusedFont> glyphs = {
      {"a composite including itself", CompositeGlyph({{SmallFont::kGlyphB, {0, 0}}}),
       "the composite glyph includes itself"},
      {"flags past the data", shortFlags, "the glyph's flags run past its data"},
      {"points outside the box", outsideBox, "the glyph's points lie outside its box"},
      {"a point-matched component", pointMatched, "the composite glyph places a component by matching points"},
      {"a component past the glyphs", CompositeGlyph({{9, {0, 0}}}), "the glyph index lies outside the font"},
      {"too many components", CompositeGlyph(crowd), "the composite glyph has too many components"},
      {"a short header", Bytes(6, 0), "the glyph is shorter than its header"},
      {"a last contour off the curve", offCurveLast,
       "the glyph's last contour starts off the curve with no point after it"},
      {"a component scaled past the coordinates", farScaled,
       "the composite glyph's components reach past the coordinate range"},
  };
  std::vector<RefusedFont> fonts;
  for (const RefusedFont& glyph : glyphs) {
    SmallFont font;
    font.SetGlyph(SmallFont::kGlyphB, glyph.font);
    fonts.push_back({glyph.name, font.Build(), glyph.reason});
  }
  return fonts;
}

Bytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::vector<BitFlip> BitFlips(const Bytes& bytes, std::size_t count, std::uint32_t seed, std::size_t range) {
  std::vector<BitFlip> flips;
  range = std::min(range, bytes.size());
  std::uint32_t state = seed;
  for (std::size_t i = 0; i < count && range > 0; ++i) {
    state = state * 1103515245u + 12345u;  // a linear congruential step
    const std::size_t at = (state >> 8) % range;
    flips.push_back({at, bytes});
    flips.back().bytes[at] ^= static_cast<unsigned char>(1u << (state % 8));
  }
  return flips;
}

void PutU16(Bytes& bytes, std::size_t at, unsigned value) {
  bytes[at] = static_cast<unsigned char>((value >> 8) & 0xFF);
  bytes[at + 1] = static_cast<unsigned char>(value & 0xFF);
}

void PutU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  PutU16(bytes, at, value >> 16);
  PutU16(bytes, at + 2, value & 0xFFFF);
}

std::uint32_t GetU32(const Bytes& bytes, std::size_t at) { return GetU16(bytes, at) << 16 | GetU16(bytes, at + 2); }

Bytes BuildFont(const std::vector<FontTable>& tables, std::uint32_t sfntVersion) {
  Bytes font = Zeroes(kDirectoryHeader + kDirectoryEntry * tables.size());
  PutU32(font, 0, sfntVersion);
  PutU16(font, 4, static_cast<unsigned>(tables.size()));
  for (std::size_t i = 0; i < tables.size(); ++i) {
    const std::size_t entry = kDirectoryHeader + kDirectoryEntry * i;
    std::memcpy(&font[entry], tables[i].tag.data(), 4);
    PutU32(font, entry + 8, static_cast<std::uint32_t>(font.size()));
    PutU32(font, entry + 12, static_cast<std::uint32_t>(tables[i].data.size()));
    font.insert(font.end(), tables[i].data.begin(), tables[i].data.end());
    PadToFour(font);
  }
  return font;
}

Bytes BuildCollection(const std::vector<Bytes>& fonts) {
  Bytes collection = Zeroes(kDirectoryHeader + 4 * fonts.size());
  std::memcpy(collection.data(), "ttcf", 4);
  PutU32(collection, 4, 0x00010000);
  PutU32(collection, 8, static_cast<std::uint32_t>(fonts.size()));
  std::vector<std::size_t> directories;
  for (std::size_t i = 0; i < fonts.size(); ++i) {
    const std::size_t directoryBytes = kDirectoryHeader + kDirectoryEntry * GetU16(fonts[i], 4);
    directories.push_back(collection.size());
    PutU32(collection, kDirectoryHeader + 4 * i, static_cast<std::uint32_t>(collection.size()));
    collection.insert(collection.end(), fonts[i].begin(), fonts[i].begin() + directoryBytes);
  }
  for (std::size_t i = 0; i < fonts.size(); ++i) {
    const Bytes& font = fonts[i];
    for (unsigned t = 0; t < GetU16(font, 4); ++t) {
      const std::size_t entry = kDirectoryHeader + kDirectoryEntry * t;
      const std::uint32_t offset = GetU32(font, entry + 8);
      const std::uint32_t length = GetU32(font, entry + 12);
      PutU32(collection, directories[i] + entry + 8, static_cast<std::uint32_t>(collection.size()));
      collection.insert(collection.end(), font.begin() + offset, font.begin() + offset + length);
      PadToFour(collection);
    }
  }
  return collection;
}

void SetTableLength(Bytes& font, const std::string& tag, std::uint32_t length) {
  for (unsigned t = 0; t < GetU16(font, 4); ++t) {
    const std::size_t entry = kDirectoryHeader + kDirectoryEntry * t;
    if (std::memcmp(&font[entry], tag.data(), 4) == 0) PutU32(font, entry + 12, length);
  }
}

Bytes SimpleGlyph(const std::vector<std::pair<int, int>>& points) {
  int xMin = points[0].first, xMax = xMin, yMin = points[0].second, yMax = yMin;
  for (const auto& [x, y] : points) {
    xMin = std::min(xMin, x);
    xMax = std::max(xMax, x);
    yMin = std::min(yMin, y);
    yMax = std::max(yMax, y);
  }
  Bytes glyph;
  for (const int value : {1, xMin, yMin, xMax, yMax, static_cast<int>(points.size()) - 1, 0}) Append16(glyph, value);
  for (std::size_t i = 0; i < points.size(); ++i) glyph.push_back(1);  // on the curve, 16-bit deltas
  for (int axis = 0, last = 0; axis < 2; ++axis, last = 0) {
    for (const auto& point : points) {
      const int value = axis == 0 ? point.first : point.second;
      Append16(glyph, value - last);
      last = value;
    }
  }
  return glyph;
}

Bytes CompositeGlyph(const std::vector<std::pair<int, std::pair<int, int>>>& components) {
  constexpr int kWords = 1, kXYValues = 2, kMore = 32;
  Bytes glyph;
  for (const int value : {-1, 0, 0, 0, 0}) Append16(glyph, value);
  for (std::size_t i = 0; i < components.size(); ++i) {
    const bool more = i + 1 < components.size();
    Append16(glyph, kWords | kXYValues | (more ? kMore : 0));
    Append16(glyph, components[i].first);
    Append16(glyph, components[i].second.first);
    Append16(glyph, components[i].second.second);
  }
  return glyph;
}

SmallFont::SmallFont() {
  Bytes shiftedSquare = CompositeGlyph({{kGlyphA, {50, 0}}});
  for (const auto& [at, value] : {std::pair{2, 150}, {4, 100}, {6, 550}, {8, 500}}) PutU16(shiftedSquare, at, value);
  glyphs = {Bytes{}, SimpleGlyph({{100, 100}, {100, 500}, {500, 500}, {500, 100}}), shiftedSquare,
            SimpleGlyph({{100, 0}, {300, 600}, {500, 0}})};
  tables = {{"cmap", CmapTable()}, {"glyf", {}},         {"head", HeadTable()}, {"hhea", HheaTable()},
            {"hmtx", HmtxTable()}, {"kern", KernTable()}, {"loca", {}},          {"maxp", MaxpTable()}};
  SetGlyph(0, glyphs[0]);
}

Bytes& SmallFont::Table(const std::string& tag) {
  return std::find_if(tables.begin(), tables.end(), [&](const FontTable& t) { return t.tag == tag; })->data;
}

void SmallFont::SetGlyph(int glyph, const Bytes& data) {
  glyphs[glyph] = data;
  Bytes& glyf = Table("glyf");
  Bytes& loca = Table("loca");
  glyf.clear();
  loca.clear();
  for (const Bytes& g : glyphs) {
    loca.resize(loca.size() + 4);
    PutU32(loca, loca.size() - 4, static_cast<std::uint32_t>(glyf.size()));
    glyf.insert(glyf.end(), g.begin(), g.end());
    PadToFour(glyf);
  }
  loca.resize(loca.size() + 4);
  PutU32(loca, loca.size() - 4, static_cast<std::uint32_t>(glyf.size()));
}

}  // namespace orvane::testing
