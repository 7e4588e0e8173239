#include "graphics/renderer/font_check.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/renderer/font_atlas.h"
#include "tests/support/renderer/test_fonts.h"
#include "support/test_paths.h"

namespace orvane::testing {
namespace {

constexpr std::size_t kCmapSubtable = 12;  // the small font's one character map

const char* Check(const Bytes& font, int face = 0) {
  return faCheckFont(font.data(), static_cast<int>(font.size()), face, nullptr);
}

FAcontext* NewAtlas() {
  FAparams params{};
  params.width = params.height = 512;
  params.flags = FA_ZERO_TOPLEFT;
  return faCreateInternal(&params);
}

// What the atlas makes of a font handed over with its bytes.
int AddToAtlas(const Bytes& font) {
  FAcontext* stash = NewAtlas();
  auto* data = static_cast<unsigned char*>(std::malloc(font.size()));
  std::memcpy(data, font.data(), font.size());
  const int index = faAddFontMem(stash, "crafted", data, static_cast<int>(font.size()), 0, 1);
  faDeleteInternal(stash);
  return index;
}

TEST(FontCheck, RefusesFacesTheReaderWouldReadOutOfRange) {
  const Bytes wellFormed = SmallFont().Build();
  ASSERT_EQ(Check(wellFormed), nullptr);
  ASSERT_EQ(AddToAtlas(wellFormed), 0);
  for (const RefusedFont& c : RefusedFonts()) {
    SCOPED_TRACE(c.name);
    const char* reason = Check(c.font);
    EXPECT_EQ(reason ? reason : "accepted", c.reason);
    EXPECT_EQ(AddToAtlas(c.font), -1);
  }
  EXPECT_STREQ(Check(wellFormed, 1), "the font file holds no face at this index");
}

TEST(FontCheck, RefusedGlyphsKeepTheirAdvanceAndDrawNothing) {
  for (RefusedFont& c : FontsWithARefusedGlyph()) {
    SCOPED_TRACE(c.name);
    Bytes& bytes = c.font;
    FAfaceTables tables{};
    ASSERT_EQ(faCheckFont(bytes.data(), static_cast<int>(bytes.size()), 0, &tables), nullptr);
    const char* reason = faCheckGlyph(bytes.data(), tables, SmallFont::kGlyphB);
    EXPECT_EQ(reason ? reason : "accepted", c.reason);

    FAcontext* stash = NewAtlas();
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

TEST(FontCheck, CodePointsMappedPastTheGlyphsAreMissing) {
  SmallFont font;
  // The first segment's delta (after the end codes, a pad and the start codes): A to 3, B to 4, C to 5.
  PutU16(font.Table("cmap"), kCmapSubtable + 24, SmallFont::kGlyphC - 'A');
  Bytes bytes = font.Build();
  FAcontext* stash = NewAtlas();
  ASSERT_EQ(faAddFontMem(stash, "crafted", bytes.data(), static_cast<int>(bytes.size()), 0, 0), 0);
  FAtextIter iter;
  FAquad quad;
  std::vector<int> glyphs;
  faTextIterInit(stash, &iter, 0, 0, "ABC", nullptr, FA_GLYPH_BITMAP_REQUIRED);
  while (faTextIterNext(stash, &iter, &quad)) glyphs.push_back(iter.prevGlyphIndex);
  EXPECT_EQ(glyphs, std::vector<int>({SmallFont::kGlyphC, 0, 0}));
  faDeleteInternal(stash);
}

TEST(FontCheck, AcceptsEveryGlyphOfTheTestAndEditorFonts) {
  const std::string editorRegular = std::string(ORVANE_FONT_CACHE_DIR) + "/iosevka-latin-400-normal.ttf";
  const std::string editorBold = std::string(ORVANE_FONT_CACHE_DIR) + "/iosevka-latin-700-normal.ttf";
  for (const std::string& path :
       {kDejaVuSansMono, kDejaVuSansMonoBold, kDejaVuSans, kDejaVuSerif, editorRegular, editorBold}) {
    SCOPED_TRACE(path);
    const Bytes font = ReadFileBytes(path);
    ASSERT_FALSE(font.empty()) << "scripts/setup.sh installs it";
    FAfaceTables tables{};
    ASSERT_EQ(faCheckFont(font.data(), static_cast<int>(font.size()), 0, &tables), nullptr);
    int refused = 0;
    for (int glyph = 0; glyph < tables.numGlyphs; ++glyph) refused += faCheckGlyph(font.data(), tables, glyph) != nullptr;
    EXPECT_EQ(refused, 0);
  }
}

}  // namespace
}  // namespace orvane::testing
