#include "graphics/renderer/font_check.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr const char* kNoTrueTypeOutlines = "font has no TrueType outlines (CFF fonts are not supported)";
constexpr const char* kDirectoryOutside = "the table directory lies outside the font data";

// TrueType platform and encoding ids of the Unicode character maps the reader
// takes (it keeps the last one listed).
constexpr int kPlatformUnicode = 0;
constexpr int kPlatformMicrosoft = 3;
constexpr int kMicrosoftUnicodeBmp = 1;
constexpr int kMicrosoftUnicodeFull = 10;

// Composite glyph component flags.
constexpr int kArgsAreWords = 1 << 0;
constexpr int kArgsAreXYValues = 1 << 1;
constexpr int kHaveScale = 1 << 3;
constexpr int kMoreComponents = 1 << 5;
constexpr int kHaveXYScale = 1 << 6;
constexpr int kHaveTwoByTwo = 1 << 7;
constexpr float kF2Dot14One = 16384.0f;

// Simple glyph point flags.
constexpr int kOnCurve = 1 << 0;
constexpr int kXShort = 1 << 1;
constexpr int kYShort = 1 << 2;
constexpr int kRepeat = 1 << 3;
constexpr int kXSameOrPositive = 1 << 4;
constexpr int kYSameOrPositive = 1 << 5;

// Outline coordinates are stored as 16-bit values.
constexpr double kMaxCoordinate = 32767.0;

std::uint16_t U16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }
std::int16_t S16(const unsigned char* p) { return static_cast<std::int16_t>(U16(p)); }
std::uint32_t U32(const unsigned char* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}
std::int32_t S32(const unsigned char* p) { return static_cast<std::int32_t>(U32(p)); }
bool HasTag(const unsigned char* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

// The sfnt versions the reader accepts as a single font.
bool IsSingleFont(const unsigned char* p) {
  static const unsigned char kTrueType[4] = {'1', 0, 0, 0};
  static const unsigned char kOpenType[4] = {0, 1, 0, 0};
  return std::memcmp(p, kTrueType, 4) == 0 || std::memcmp(p, kOpenType, 4) == 0 || HasTag(p, "typ1") ||
         HasTag(p, "OTTO") || HasTag(p, "true");
}

// Finds where face `fontIndex` starts, as the reader would.
const char* LocateFace(const unsigned char* data, std::uint64_t size, int fontIndex, std::uint32_t* faceStart) {
  if (IsSingleFont(data)) {
    *faceStart = 0;
    return fontIndex == 0 ? nullptr : "the font file holds no face at this index";
  }
  if (!HasTag(data, "ttcf")) return "not a TrueType font or collection";
  if (size < 12) return "the collection header lies outside the font data";
  const std::uint32_t version = U32(data + 4);
  if (version != 0x00010000 && version != 0x00020000) return "unsupported font collection version";
  if (fontIndex < 0 || fontIndex >= S32(data + 8)) return "the font file holds no face at this index";
  const std::uint64_t entry = 12 + 4 * std::uint64_t(fontIndex);
  if (entry + 4 > size) return "the collection header lies outside the font data";
  *faceStart = U32(data + entry);
  return nullptr;
}

struct Table {
  std::uint32_t offset = 0;  // 0: absent, as the reader sees it
  std::uint32_t length = 0;
  bool Present() const { return offset != 0; }
};

// The table directory of one face; lookups take the first entry of a tag.
struct Directory {
  const unsigned char* data;
  std::uint32_t faceStart;
  int numTables;

  Table Find(const char* tag) const {
    for (int i = 0; i < numTables; ++i) {
      const unsigned char* entry = data + faceStart + 12 + 16 * i;
      if (HasTag(entry, tag)) return {U32(entry + 8), U32(entry + 12)};
    }
    return {};
  }
};

// A table the reader needs: the bytes it reads at fixed offsets.
struct TableRule {
  const char* tag;
  std::uint32_t minLength;
  const char* missing;
  const char* outside;
  const char* tooShort;
};

constexpr TableRule kCmap{"cmap", 4, "the font has no 'cmap' table", "the 'cmap' table lies outside the font data",
                          "the 'cmap' table is too short"};
constexpr TableRule kHead{"head", 52, "the font has no 'head' table", "the 'head' table lies outside the font data",
                          "the 'head' table is too short"};
constexpr TableRule kHhea{"hhea", 36, "the font has no 'hhea' table", "the 'hhea' table lies outside the font data",
                          "the 'hhea' table is too short"};
constexpr TableRule kHmtx{"hmtx", 0, "the font has no 'hmtx' table", "the 'hmtx' table lies outside the font data",
                          nullptr};
constexpr TableRule kMaxp{"maxp", 6, "the font has no 'maxp' table", "the 'maxp' table lies outside the font data",
                          "the 'maxp' table is too short"};
constexpr TableRule kLoca{"loca", 0, "the font has no 'loca' table", "the 'loca' table lies outside the font data",
                          nullptr};
constexpr TableRule kGlyf{"glyf", 0, kNoTrueTypeOutlines, "the 'glyf' table lies outside the font data", nullptr};
constexpr TableRule kKern{"kern", 4, nullptr, "the 'kern' table lies outside the font data",
                          "the 'kern' table is too short"};

const char* CheckTable(const Directory& dir, std::uint64_t size, const TableRule& rule, Table* table) {
  *table = dir.Find(rule.tag);
  if (!table->Present()) return rule.missing;
  if (std::uint64_t{table->offset} + table->length > size) return rule.outside;
  if (table->length < rule.minLength) return rule.tooShort;
  return nullptr;
}

// The largest entry count the format-4 binary search can step over besides
// its range shift.
int Format4SearchReach(int searchRange, int entrySelector) {
  int reach = 0;
  for (; entrySelector > 0 && searchRange > 0; --entrySelector) {
    searchRange >>= 1;
    reach += searchRange;
  }
  return reach;
}

const char* CheckFormat4(const unsigned char* sub, std::uint64_t room) {
  constexpr std::uint64_t kHeader = 14;
  if (room < kHeader) return "the character map lies outside the 'cmap' table";
  const int segments = U16(sub + 6) >> 1;
  const std::uint64_t arrays = kHeader + 8 * std::uint64_t(segments) + 2;
  if (arrays > room) return "the format-4 segment arrays run past the character map";
  const int rangeShift = U16(sub + 12) >> 1;
  if (segments == 0 || rangeShift + Format4SearchReach(U16(sub + 8) >> 1, U16(sub + 10)) > segments - 1) {
    return "the format-4 search fields lead outside the segments";
  }
  for (int i = 0; i < segments; ++i) {
    const int end = U16(sub + kHeader + 2 * i);
    const int start = U16(sub + kHeader + 2 * segments + 2 + 2 * i);
    const std::uint64_t rangeOffsetAt = kHeader + 6 * std::uint64_t(segments) + 2 + 2 * i;
    const int rangeOffset = U16(sub + rangeOffsetAt);
    if (rangeOffset == 0 || start > end) continue;
    if (rangeOffsetAt + rangeOffset + 2 * std::uint64_t(end - start) + 2 > room) {
      return "a format-4 segment reaches past its glyph array";
    }
  }
  return nullptr;
}

const char* CheckSubtable(const unsigned char* sub, std::uint64_t room) {
  constexpr const char* kOutside = "the character map lies outside the 'cmap' table";
  if (room < 2) return kOutside;
  switch (U16(sub)) {
    case 0:
      if (room < 6 || (U16(sub + 2) > 6 && U16(sub + 2) > room)) return kOutside;
      return nullptr;
    case 4:
      return CheckFormat4(sub, room);
    case 6:
      if (room < 10 || 10 + 2 * std::uint64_t(U16(sub + 8)) > room) return kOutside;
      return nullptr;
    case 12:
    case 13:
      if (room < 16 || 16 + 12 * std::uint64_t(U32(sub + 12)) > room) return kOutside;
      return nullptr;
    default:
      return "the character map's format is not supported";
  }
}

const char* CheckCharacterMap(const unsigned char* data, const Table& cmap) {
  const int records = U16(data + cmap.offset + 2);
  if (4 + 8 * std::uint64_t(records) > cmap.length) return "the 'cmap' encoding records lie outside the table";
  std::uint32_t indexMap = 0;
  for (int i = 0; i < records; ++i) {
    const unsigned char* record = data + cmap.offset + 4 + 8 * i;
    const int platform = U16(record);
    const int encoding = U16(record + 2);
    const bool unicode = platform == kPlatformUnicode ||
                         (platform == kPlatformMicrosoft &&
                          (encoding == kMicrosoftUnicodeBmp || encoding == kMicrosoftUnicodeFull));
    // Unsigned 32-bit arithmetic, wrapping as the reader's does.
    if (unicode) indexMap = cmap.offset + U32(record + 4);
  }
  if (indexMap == 0) return "the font has no Unicode character map";
  const std::uint64_t end = std::uint64_t{cmap.offset} + cmap.length;
  if (indexMap < cmap.offset || indexMap >= end) return "the character map lies outside the 'cmap' table";
  return CheckSubtable(data + indexMap, end - indexMap);
}

const char* CheckKerning(const unsigned char* data, const Table& kern) {
  constexpr const char* kTooShort = "the 'kern' table is too short";
  const unsigned char* k = data + kern.offset;
  if (U16(k + 2) < 1) return nullptr;
  if (kern.length < 10) return kTooShort;
  if (U16(k + 8) != 1) return nullptr;
  if (kern.length < 12) return kTooShort;
  const int pairs = U16(k + 10);
  if (pairs > 0 && 18 + 6 * std::uint64_t(pairs) > kern.length) return "the 'kern' table holds fewer pairs than it counts";
  return nullptr;
}

const char* CheckLocations(const unsigned char* data, const Table& loca, const Table& glyf, int locFormat,
                           int numGlyphs) {
  const int entrySize = locFormat == 0 ? 2 : 4;
  if ((std::uint64_t(numGlyphs) + 1) * entrySize > loca.length) {
    return "the 'loca' table holds fewer entries than the font has glyphs";
  }
  for (int i = 0; i <= numGlyphs; ++i) {
    const unsigned char* entry = data + loca.offset + i * entrySize;
    const std::uint64_t location = locFormat == 0 ? 2 * std::uint64_t(U16(entry)) : U32(entry);
    if (location > glyf.length) return "a glyph location points past the 'glyf' table";
  }
  return nullptr;
}

// Reads simple-glyph flags with their repeat counts; the bytes were checked.
struct FlagCursor {
  const unsigned char* p;
  int repeat = 0;
  int flags = 0;

  int Next() {
    if (repeat > 0) {
      --repeat;
    } else {
      flags = *p++;
      if (flags & kRepeat) repeat = *p++;
    }
    return flags;
  }
};

// Whether every coordinate along one axis stays within [low, high].
bool CoordinatesInside(FlagCursor flags, const unsigned char* values, int points, int shortBit, int sameBit,
                       int low, int high) {
  std::int32_t value = 0;
  for (int i = 0; i < points; ++i) {
    const int f = flags.Next();
    if (f & shortBit) {
      const int delta = *values++;
      value += (f & sameBit) ? delta : -delta;
    } else if (!(f & sameBit)) {
      value += S16(values);
      values += 2;
    }
    if (value < low || value > high) return false;
  }
  return true;
}

// The reader looks one point ahead when a contour starts off the curve.
bool ContourStartsHaveAPointAfter(FlagCursor flags, const unsigned char* contourEnds, int points) {
  int nextMove = 0;
  int contour = 0;
  for (int i = 0; i < points; ++i) {
    const int f = flags.Next();
    if (nextMove != i) continue;
    if (!(f & kOnCurve)) {
      if (i + 1 >= points) return false;
      FlagCursor ahead = flags;
      if (ahead.Next() & kOnCurve) {
        flags.Next();
        ++i;
      }
    }
    nextMove = 1 + U16(contourEnds + 2 * contour);
    ++contour;
  }
  return true;
}

const char* CheckSimpleGlyph(const unsigned char* glyph, std::uint64_t length, int contours, double* bound) {
  const int xMin = S16(glyph + 2), yMin = S16(glyph + 4), xMax = S16(glyph + 6), yMax = S16(glyph + 8);
  std::uint64_t pos = 10;
  if (2 * std::uint64_t(contours) + 2 > length - pos) return "the glyph's contour ends run past its data";
  const unsigned char* contourEnds = glyph + pos;
  const int points = 1 + U16(contourEnds + 2 * contours - 2);
  pos += 2 * std::uint64_t(contours);
  const int instructions = U16(glyph + pos);
  pos += 2;
  if (std::uint64_t(instructions) > length - pos) return "the glyph's instructions run past its data";
  pos += instructions;

  const std::uint64_t flagsAt = pos;
  std::uint64_t xBytes = 0, yBytes = 0;
  for (int i = 0, repeat = 0, f = 0; i < points; ++i) {
    if (repeat > 0) {
      --repeat;
    } else {
      if (pos >= length) return "the glyph's flags run past its data";
      f = glyph[pos++];
      if (f & kRepeat) {
        if (pos >= length) return "the glyph's flags run past its data";
        repeat = glyph[pos++];
      }
    }
    xBytes += (f & kXShort) ? 1 : (f & kXSameOrPositive) ? 0 : 2;
    yBytes += (f & kYShort) ? 1 : (f & kYSameOrPositive) ? 0 : 2;
  }
  if (xBytes + yBytes > length - pos) return "the glyph's coordinates run past its data";

  const FlagCursor flags{glyph + flagsAt};
  if (!CoordinatesInside(flags, glyph + pos, points, kXShort, kXSameOrPositive, xMin, xMax) ||
      !CoordinatesInside(flags, glyph + pos + xBytes, points, kYShort, kYSameOrPositive, yMin, yMax)) {
    return "the glyph's points lie outside its box";
  }
  if (!ContourStartsHaveAPointAfter(flags, contourEnds, points)) {
    return "the glyph's last contour starts off the curve with no point after it";
  }
  *bound = std::max({std::abs(xMin), std::abs(xMax), std::abs(yMin), std::abs(yMax)});
  return nullptr;
}

struct GlyphWalk {
  const unsigned char* data;
  const FAfaceTables& tables;
  int components = 0;
  int ancestors[kMaxGlyphNesting + 1] = {};
};

const char* CheckGlyphAt(GlyphWalk& walk, int glyph, int depth, double* bound);

// Transform of one component, as the reader computes it.
struct ComponentTransform {
  float m[6] = {1, 0, 0, 1, 0, 0};

  // The largest coordinate the transform makes of coordinates within +-bound.
  double Reach(double bound) const {
    const float xScale = std::sqrt(m[0] * m[0] + m[1] * m[1]);
    const float yScale = std::sqrt(m[2] * m[2] + m[3] * m[3]);
    const double x = xScale * ((std::fabs(m[0]) + std::fabs(m[2])) * bound + std::fabs(m[4]));
    const double y = yScale * ((std::fabs(m[1]) + std::fabs(m[3])) * bound + std::fabs(m[5]));
    return std::max(x, y);
  }
};

const char* CheckCompositeGlyph(GlyphWalk& walk, int glyph, const unsigned char* data, std::uint64_t length,
                                int depth, double* bound) {
  constexpr const char* kRunsPast = "the composite glyph runs past its data";
  walk.ancestors[depth] = glyph;
  std::uint64_t pos = 10;
  double reach = 0;
  for (bool more = true; more;) {
    if (length - pos < 4) return kRunsPast;
    const int flags = U16(data + pos);
    const int component = U16(data + pos + 2);
    pos += 4;
    if (!(flags & kArgsAreXYValues)) return "the composite glyph places a component by matching points";
    const int argBytes = (flags & kArgsAreWords) ? 4 : 2;
    const int scaleBytes = (flags & kHaveScale) ? 2 : (flags & kHaveXYScale) ? 4 : (flags & kHaveTwoByTwo) ? 8 : 0;
    if (std::uint64_t(argBytes + scaleBytes) > length - pos) return kRunsPast;

    ComponentTransform transform;
    const unsigned char* p = data + pos;
    if (flags & kArgsAreWords) {
      transform.m[4] = S16(p);
      transform.m[5] = S16(p + 2);
    } else {
      transform.m[4] = static_cast<signed char>(p[0]);
      transform.m[5] = static_cast<signed char>(p[1]);
    }
    p += argBytes;
    if (flags & kHaveScale) {
      transform.m[0] = transform.m[3] = S16(p) / kF2Dot14One;
    } else if (flags & kHaveXYScale) {
      transform.m[0] = S16(p) / kF2Dot14One;
      transform.m[3] = S16(p + 2) / kF2Dot14One;
    } else if (flags & kHaveTwoByTwo) {
      for (int i = 0; i < 4; ++i) transform.m[i] = S16(p + 2 * i) / kF2Dot14One;
    }
    pos += argBytes + scaleBytes;

    if (++walk.components > kMaxGlyphComponents) return "the composite glyph has too many components";
    if (depth + 1 > kMaxGlyphNesting) return "composite glyphs nest too deeply";
    for (int i = 0; i <= depth; ++i) {
      if (walk.ancestors[i] == component) return "the composite glyph includes itself";
    }
    double componentBound = 0;
    if (const char* why = CheckGlyphAt(walk, component, depth + 1, &componentBound)) return why;
    const double componentReach = transform.Reach(componentBound);
    if (componentReach > kMaxCoordinate) return "the composite glyph's components reach past the coordinate range";
    reach = std::max(reach, componentReach);
    more = flags & kMoreComponents;
  }
  *bound = reach;
  return nullptr;
}

const char* CheckGlyphAt(GlyphWalk& walk, int glyph, int depth, double* bound) {
  *bound = 0;
  const FAfaceTables& t = walk.tables;
  if (glyph < 0 || glyph >= t.numGlyphs) return "the glyph index lies outside the font";
  const unsigned char* loca = walk.data + t.loca;
  const std::uint64_t begin = t.locFormat == 0 ? 2 * std::uint64_t(U16(loca + 2 * glyph)) : U32(loca + 4 * glyph);
  const std::uint64_t end =
      t.locFormat == 0 ? 2 * std::uint64_t(U16(loca + 2 * glyph + 2)) : U32(loca + 4 * glyph + 4);
  if (end < begin || end > t.glyfLength) return "the glyph's location entries run backwards";
  if (begin == end) return nullptr;
  if (end - begin < 10) return "the glyph is shorter than its header";
  const unsigned char* data = walk.data + t.glyf + begin;
  const int contours = S16(data);
  if (contours > 0) return CheckSimpleGlyph(data, end - begin, contours, bound);
  if (contours < 0) return CheckCompositeGlyph(walk, glyph, data, end - begin, depth, bound);
  return nullptr;
}

}  // namespace

const char* faCheckFont(const unsigned char* data, int dataSize, int fontIndex, FAfaceTables* tables) {
  if (!data || dataSize < 4) return "the font data is too short";
  const std::uint64_t size = std::uint64_t(dataSize);
  std::uint32_t faceStart = 0;
  if (const char* why = LocateFace(data, size, fontIndex, &faceStart)) return why;
  if (faceStart > size || size - faceStart < 12) return kDirectoryOutside;
  if (HasTag(data + faceStart, "OTTO")) return kNoTrueTypeOutlines;
  const Directory dir{data, faceStart, U16(data + faceStart + 4)};
  if (size - faceStart - 12 < 16 * std::uint64_t(dir.numTables)) return kDirectoryOutside;
  if (dir.Find("CFF ").Present() || dir.Find("CFF2").Present()) return kNoTrueTypeOutlines;

  Table cmap, head, hhea, hmtx, maxp, loca, glyf;
  const std::pair<const TableRule*, Table*> required[] = {{&kGlyf, &glyf}, {&kCmap, &cmap}, {&kHead, &head},
                                                          {&kHhea, &hhea}, {&kHmtx, &hmtx}, {&kMaxp, &maxp},
                                                          {&kLoca, &loca}};
  for (const auto& [rule, table] : required) {
    if (const char* why = CheckTable(dir, size, *rule, table)) return why;
  }

  const int numGlyphs = U16(data + maxp.offset + 4);
  if (numGlyphs == 0) return "the font has no glyphs";
  const int locFormat = U16(data + head.offset + 50);
  if (locFormat != 0 && locFormat != 1) return "the font's glyph location format is unknown";
  if (S16(data + hhea.offset + 4) - S16(data + hhea.offset + 6) <= 0) {
    return "the font's ascent is not above its descent";
  }
  const int longMetrics = U16(data + hhea.offset + 34);
  if (longMetrics == 0) return "the 'hhea' table counts no horizontal metrics";
  const std::uint64_t metricsBytes = 4 * std::uint64_t(longMetrics) + 2 * std::uint64_t(std::max(0, numGlyphs - longMetrics));
  if (metricsBytes > hmtx.length) return "the 'hmtx' table is shorter than its metrics";
  if (const char* why = CheckLocations(data, loca, glyf, locFormat, numGlyphs)) return why;
  if (const char* why = CheckCharacterMap(data, cmap)) return why;

  Table kern = dir.Find("kern");
  if (kern.Present()) {
    if (const char* why = CheckTable(dir, size, kKern, &kern)) return why;
    if (const char* why = CheckKerning(data, kern)) return why;
  }
  if (tables) *tables = {glyf.offset, glyf.length, loca.offset, locFormat, numGlyphs};
  return nullptr;
}

const char* faCheckGlyph(const unsigned char* data, const FAfaceTables& tables, int glyph) {
  GlyphWalk walk{data, tables};
  double bound = 0;
  return CheckGlyphAt(walk, glyph, 0, &bound);
}
