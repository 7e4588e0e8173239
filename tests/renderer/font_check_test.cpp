#include "graphics/renderer/font_check.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "graphics/renderer/font_atlas.h"
#include "tests/support/renderer/test_fonts.h"

namespace orvane::testing {
namespace {

constexpr const char* kCffReason = "font has no TrueType outlines (CFF fonts are not supported)";
constexpr std::size_t kCmapSubtable = 12;  // the small font's one character map

const char* Check(const Bytes& font, int face = 0) {
  return faCheckFont(font.data(), static_cast<int>(font.size()), face, nullptr);
}

// What the atlas makes of a font handed over with its bytes.
int AddToAtlas(const Bytes& font) {
  FAparams params{};
  params.width = params.height = 512;
  params.flags = FA_ZERO_TOPLEFT;
  FAcontext* stash = faCreateInternal(&params);
  auto* data = static_cast<unsigned char*>(std::malloc(font.size()));
  std::memcpy(data, font.data(), font.size());
  const int index = faAddFontMem(stash, "crafted", data, static_cast<int>(font.size()), 0, 1);
  faDeleteInternal(stash);
  return index;
}

Bytes WithTables(std::function<void(SmallFont&)> bend, std::uint32_t version = 0x00010000) {
  SmallFont font;
  bend(font);
  return BuildFont(font.tables, version);
}

TEST(FontCheck, RefusesFacesTheReaderWouldReadOutOfRange) {
  struct Case {
    const char* name;
    Bytes font;
    const char* reason;
  };
  Bytes tablePastEnd = SmallFont().Build();
  SetTableLength(tablePastEnd, "hmtx", 100000);
  const Bytes wellFormed = SmallFont().Build();
  const Case cases[] = {
      {"a table past the end", tablePastEnd, "the 'hmtx' table lies outside the font data"},
      {"segment arrays past the character map",
       WithTables([](SmallFont& f) { PutU16(f.Table("cmap"), kCmapSubtable + 6, 0x400); }),
       "the format-4 segment arrays run past the character map"},
      {"search fields past the segments",
       WithTables([](SmallFont& f) { PutU16(f.Table("cmap"), kCmapSubtable + 12, 8); }),
       "the format-4 search fields lead outside the segments"},
      {"a location past glyf",
       WithTables([](SmallFont& f) {
         Bytes& loca = f.Table("loca");
         PutU32(loca, loca.size() - 4, GetU32(loca, loca.size() - 4) + 100);
       }),
       "a glyph location points past the 'glyf' table"},
      {"no horizontal metrics", WithTables([](SmallFont& f) { PutU16(f.Table("hhea"), 34, 0); }),
       "the 'hhea' table counts no horizontal metrics"},
      {"ascent equal to descent",
       WithTables([](SmallFont& f) {
         PutU16(f.Table("hhea"), 4, 0);
         PutU16(f.Table("hhea"), 6, 0);
       }),
       "the font's ascent is not above its descent"},
      {"kern pairs past the table", WithTables([](SmallFont& f) { PutU16(f.Table("kern"), 10, 100); }),
       "the 'kern' table holds fewer pairs than it counts"},
      {"an unsupported character map", WithTables([](SmallFont& f) { PutU16(f.Table("cmap"), kCmapSubtable, 2); }),
       "the character map's format is not supported"},
      {"CFF outlines", WithTables([](SmallFont& f) { f.tables.push_back({"CFF ", Bytes(16, 0)}); }, 0x4F54544F),
       kCffReason},
      {"a CFF table beside glyf", WithTables([](SmallFont& f) { f.tables.push_back({"CFF ", Bytes(16, 0)}); }),
       kCffReason},
      {"no glyf", WithTables([](SmallFont& f) { f.tables.erase(f.tables.begin() + 1); }), kCffReason},
      {"a truncated directory", Bytes(wellFormed.begin(), wellFormed.begin() + 40),
       "the table directory lies outside the font data"},
      {"not a font", Bytes(64, 'x'), "not a TrueType font or collection"},
  };
  ASSERT_EQ(Check(wellFormed), nullptr);
  ASSERT_EQ(AddToAtlas(wellFormed), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const char* reason = Check(c.font);
    EXPECT_STREQ(reason ? reason : "accepted", c.reason);
    EXPECT_EQ(AddToAtlas(c.font), -1);
  }
  EXPECT_STREQ(Check(wellFormed, 1), "the font file holds no face at this index");
}

TEST(FontCheck, RefusedGlyphsKeepTheirAdvanceAndDrawNothing) {
  struct Case {
    const char* name;
    Bytes glyph;
    const char* reason;
  };
  Bytes square = SimpleGlyph({{100, 100}, {100, 500}, {500, 500}, {500, 100}});
  Bytes shortFlags(square.begin(), square.begin() + 16);
  Bytes outsideBox = square;
  PutU16(outsideBox, 6, 400);
  Bytes pointMatched = CompositeGlyph({{SmallFont::kGlyphA, {0, 0}}});
  PutU16(pointMatched, 10, 1);  // words, but not x-y values
  std::vector<std::pair<int, std::pair<int, int>>> crowd(kMaxGlyphComponents + 1, {SmallFont::kGlyphA, {0, 0}});
  const Case cases[] = {
      {"a composite including itself", CompositeGlyph({{SmallFont::kGlyphB, {0, 0}}}),
       "the composite glyph includes itself"},
      {"flags past the data", shortFlags, "the glyph's flags run past its data"},
      {"points outside the box", outsideBox, "the glyph's points lie outside its box"},
      {"a point-matched component", pointMatched, "the composite glyph places a component by matching points"},
      {"a component past the glyphs", CompositeGlyph({{9, {0, 0}}}), "the glyph index lies outside the font"},
      {"too many components", CompositeGlyph(crowd), "the composite glyph has too many components"},
      {"a short header", Bytes(6, 0), "the glyph is shorter than its header"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SmallFont font;
    font.SetGlyph(SmallFont::kGlyphB, c.glyph);
    Bytes bytes = font.Build();
    FAfaceTables tables{};
    ASSERT_EQ(faCheckFont(bytes.data(), static_cast<int>(bytes.size()), 0, &tables), nullptr);
    const char* reason = faCheckGlyph(bytes.data(), tables, SmallFont::kGlyphB);
    EXPECT_STREQ(reason ? reason : "accepted", c.reason);

    FAparams params{};
    params.width = params.height = 512;
    params.flags = FA_ZERO_TOPLEFT;
    FAcontext* stash = faCreateInternal(&params);
    ASSERT_EQ(faAddFontMem(stash, "crafted", bytes.data(), static_cast<int>(bytes.size()), 0, 0), 0);
    faSetSize(stash, 16.0f);
    FAtextIter iter;
    FAquad quad;
    faTextIterInit(stash, &iter, 0, 0, "B", nullptr, FA_GLYPH_BITMAP_REQUIRED);
    ASSERT_EQ(faTextIterNext(stash, &iter, &quad), 1);
    EXPECT_EQ(iter.prevGlyphIndex, SmallFont::kGlyphB);
    EXPECT_EQ(iter.nextx, 10.0f);  // 600 units at 16 pixels per 1000
    int ink = 0;
    for (int y = int(quad.t0 * 512); y < int(quad.t1 * 512); ++y) {
      for (int x = int(quad.s0 * 512); x < int(quad.s1 * 512); ++x) ink += stash->texData[x + y * 512] != 0;
    }
    EXPECT_EQ(ink, 0);
    faDeleteInternal(stash);
  }
}

TEST(FontCheck, AcceptsEveryGlyphOfTheDejaVuFonts) {
  for (const std::string& path : {kDejaVuSansMono, kDejaVuSansMonoBold, kDejaVuSans, kDejaVuSerif}) {
    SCOPED_TRACE(path);
    const Bytes font = ReadFileBytes(path);
    ASSERT_FALSE(font.empty());
    FAfaceTables tables{};
    ASSERT_EQ(faCheckFont(font.data(), static_cast<int>(font.size()), 0, &tables), nullptr);
    int refused = 0;
    for (int glyph = 0; glyph < tables.numGlyphs; ++glyph) refused += faCheckGlyph(font.data(), tables, glyph) != nullptr;
    EXPECT_EQ(refused, 0);
  }
}

}  // namespace
}  // namespace orvane::testing
