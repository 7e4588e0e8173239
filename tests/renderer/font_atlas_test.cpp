#include "graphics/renderer/font_atlas.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "graphics/renderer/allocation.h"
#include "tests/support/renderer/test_fonts.h"

namespace orvane::testing {
namespace {

using ::testing::ElementsAre;

constexpr int kSide = 512;
constexpr float kMonoHeight = 1901.0f + 483.0f;  // DejaVu Sans Mono ascent - descent

// An atlas as the vector core makes it.
struct Atlas {
  explicit Atlas(int width = kSide, int height = kSide, const FAparams* given = nullptr) {
    FAparams params{};
    if (given) params = *given;
    params.width = width;
    params.height = height;
    params.flags = FA_ZERO_TOPLEFT;
    stash = faCreateInternal(&params);
  }
  ~Atlas() { faDeleteInternal(stash); }

  int Add(const std::string& path) { return faAddFont(stash, path.c_str(), path.c_str(), 0); }
  int AddSmallFont(const SmallFont& font) {
    const Bytes bytes = font.Build();
    auto* data = static_cast<unsigned char*>(std::malloc(bytes.size()));
    std::memcpy(data, bytes.data(), bytes.size());
    return faAddFontMem(stash, "small", data, static_cast<int>(bytes.size()), 0, 1);
  }
  FAfont& Font(int index) { return *stash->fonts[index]; }
  unsigned char Pixel(int x, int y) const { return stash->texData[x + y * stash->params.width]; }

  FAcontext* stash;
};

struct Step {
  FAquad quad;
  int glyphIndex;
  float penX;
};

std::vector<Step> Iterate(FAcontext* stash, const char* text, float x = 0, float y = 0,
                          int bitmap = FA_GLYPH_BITMAP_REQUIRED) {
  std::vector<Step> steps;
  FAtextIter iter;
  if (!faTextIterInit(stash, &iter, x, y, text, nullptr, bitmap)) return steps;
  FAquad quad;
  while (faTextIterNext(stash, &iter, &quad)) steps.push_back({quad, iter.prevGlyphIndex, iter.x});
  return steps;
}

const FAglyph* Cached(const FAfont& font, unsigned int codepoint, int size10, int blur = 0) {
  for (int i = 0; i < font.nglyphs; ++i) {
    const FAglyph& g = font.glyphs[i];
    if (g.codepoint == codepoint && g.size == size10 && g.blur == blur) return &g;
  }
  return nullptr;
}

int InkInside(const Atlas& atlas, const FAglyph& glyph) {
  int ink = 0;
  for (int y = glyph.y0; y < glyph.y1; ++y) {
    for (int x = glyph.x0; x < glyph.x1; ++x) ink += atlas.Pixel(x, y) != 0;
  }
  return ink;
}

TEST(FontAtlas, NewAndResetAtlasesHoldOnlyTheWhiteRectangle) {
  Atlas atlas;
  const int mono = atlas.Add(kDejaVuSansMono);
  for (const bool reset : {false, true}) {
    SCOPED_TRACE(reset ? "after a reset" : "new");
    if (reset) {
      Iterate(atlas.stash, "Hello");
      ASSERT_EQ(atlas.Font(mono).nglyphs, 4);
      ASSERT_EQ(faResetAtlas(atlas.stash, kSide, kSide), 1);
      EXPECT_EQ(atlas.Font(mono).nglyphs, 0);
      EXPECT_EQ(std::count(std::begin(atlas.Font(mono).lut), std::end(atlas.Font(mono).lut), -1), FA_HASH_LUT_SIZE);
    }
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 3; ++x) EXPECT_EQ(atlas.Pixel(x, y), x < 2 && y < 2 ? 255 : 0) << x << "," << y;
    }
    int dirty[4];
    ASSERT_EQ(faValidateTexture(atlas.stash, dirty), 1);
    EXPECT_THAT(dirty, ElementsAre(0, 0, 2, 2));
    EXPECT_EQ(faValidateTexture(atlas.stash, dirty), 0);
  }
  // Glyphs are rasterised again into the emptied atlas.
  Iterate(atlas.stash, "Hello");
  EXPECT_EQ(atlas.Font(mono).nglyphs, 4);
  EXPECT_GT(InkInside(atlas, *Cached(atlas.Font(mono), 'H', 120)), 0);
}

void RecordError(void* errors, int error, int) { static_cast<std::vector<int>*>(errors)->push_back(error); }

TEST(FontAtlas, StateStackStartsClearedAndRefusesOverflowAndUnderflow) {
  Atlas atlas;
  const FAstate& cleared = atlas.stash->states[0];
  EXPECT_EQ(atlas.stash->nstates, 1);
  EXPECT_EQ(cleared.font, 0);
  EXPECT_EQ(cleared.align, 65);
  EXPECT_EQ(cleared.size, 12.0f);
  EXPECT_EQ(cleared.color, 0xFFFFFFFFu);
  EXPECT_EQ(cleared.blur, 0.0f);
  EXPECT_EQ(cleared.spacing, 0.0f);

  std::vector<int> errors;
  faSetErrorCallback(atlas.stash, RecordError, &errors);
  for (int i = 1; i < FA_MAX_STATES; ++i) faPushState(atlas.stash);
  faSetSize(atlas.stash, 30.0f);
  faPushState(atlas.stash);
  EXPECT_EQ(atlas.stash->nstates, FA_MAX_STATES);
  EXPECT_EQ(atlas.stash->states[FA_MAX_STATES - 1].size, 30.0f);
  for (int i = 1; i < FA_MAX_STATES; ++i) faPopState(atlas.stash);
  faPopState(atlas.stash);
  EXPECT_EQ(atlas.stash->nstates, 1);
  EXPECT_EQ(atlas.stash->states[0].size, 12.0f);
  EXPECT_THAT(errors, ElementsAre(FA_STATES_OVERFLOW, FA_STATES_UNDERFLOW));
}

TEST(FontAtlas, FallbackListsTakeTwentyFontsThatExist) {
  Atlas atlas;
  const int base = atlas.Add(kDejaVuSansMono);
  const int other = atlas.Add(kDejaVuSans);
  const int missing = atlas.stash->nfonts;
  for (const auto& [b, f] : {std::pair{-1, other}, {base, -1}, {missing, other}, {base, missing}, {-7, 9}}) {
    EXPECT_EQ(faAddFallbackFont(atlas.stash, b, f), 0) << b << " " << f;
  }
  EXPECT_EQ(atlas.Font(base).nfallbacks, 0);
  for (int i = 0; i < FA_MAX_FALLBACKS; ++i) EXPECT_EQ(faAddFallbackFont(atlas.stash, base, other), 1);
  EXPECT_EQ(faAddFallbackFont(atlas.stash, base, other), 0);
  EXPECT_EQ(atlas.Font(base).nfallbacks, FA_MAX_FALLBACKS);
}

TEST(FontAtlas, GlyphsHashIntoTheirBuckets) {
  const std::pair<unsigned int, unsigned int> buckets[] = {{0x20, 193}, {'A', 141}, {'a', 54}, {'0', 65}, {0x4E00, 240}};
  for (const auto& [codepoint, bucket] : buckets) EXPECT_EQ(fa__hashint(codepoint) & 255u, bucket) << codepoint;
  Atlas atlas;
  const int mono = atlas.Add(kDejaVuSansMono);
  Iterate(atlas.stash, "A");
  EXPECT_EQ(atlas.Font(mono).glyphs[atlas.Font(mono).lut[141]].codepoint, unsigned('A'));
}

TEST(FontAtlas, GlyphsAreCachedByTenthsOfAPixelAndBlurLimitedToTwenty) {
  Atlas atlas;
  const int mono = atlas.Add(kDejaVuSansMono);
  struct Case {
    float size;
    float blur;
    int newEntries;
  };
  const Case cases[] = {{16.0f, 0, 1}, {16.09f, 0, 0}, {16.1f, 0, 1}, {16.0f, 20, 1}, {16.0f, 30, 0}, {16.0f, -5, 0}};
  for (const Case& c : cases) {
    const int before = atlas.Font(mono).nglyphs;
    faSetSize(atlas.stash, c.size);
    faSetBlur(atlas.stash, c.blur);
    Iterate(atlas.stash, "A", 0, 0, FA_GLYPH_BITMAP_OPTIONAL);
    EXPECT_EQ(atlas.Font(mono).nglyphs - before, c.newEntries) << c.size << " blur " << c.blur;
  }
  const FAglyph* sharp = Cached(atlas.Font(mono), 'A', 160);
  const FAglyph* blurred = Cached(atlas.Font(mono), 'A', 160, FA_MAX_BLUR);
  ASSERT_TRUE(sharp && blurred);
  EXPECT_EQ(blurred->xoff, sharp->xoff - 20);  // pad 22 instead of 2
  EXPECT_EQ(blurred->x1 - blurred->x0, sharp->x1 - sharp->x0 + 40);

  const std::pair<int, int> alphas[] = {{1, 50287}, {2, 42998}, {5, 29271}, {10, 18868}, {20, 10976}};
  for (const auto& [blur, alpha] : alphas) EXPECT_EQ(fa__blurAlpha(blur), alpha) << blur;
}

TEST(FontAtlas, MeasuredGlyphsAreBoundedPerFontAndDrawnOnesKeepTheirPlaces) {
  constexpr int kSizes = 100;  // 8 to 17.9 pixels in tenths
  Atlas atlas;
  const int mono = atlas.Add(kDejaVuSansMono);
  faSetSize(atlas.stash, 16.0f);
  Iterate(atlas.stash, "Hello");
  const FAglyph drawn = *Cached(atlas.Font(mono), 'H', 160);
  int dirty[4];
  faValidateTexture(atlas.stash, dirty);

  std::string printable;
  for (char c = ' '; c <= '~'; ++c) printable += c;
  for (int size = 0; size < kSizes; ++size) {
    faSetSize(atlas.stash, 8.0f + size / 10.0f);
    faTextBounds(atlas.stash, 0, 0, printable.c_str(), nullptr, nullptr);
  }
  EXPECT_LE(atlas.Font(mono).nglyphs, 4 + FA_MAX_MEASURED_GLYPHS);

  faSetSize(atlas.stash, 16.0f);
  Iterate(atlas.stash, "Hello");
  EXPECT_EQ(faValidateTexture(atlas.stash, dirty), 0) << "rasterised again";
  const FAglyph* again = Cached(atlas.Font(mono), 'H', 160);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(std::vector<int>({again->x0, again->y0}), std::vector<int>({drawn.x0, drawn.y0}));
}

TEST(FontAtlas, PackerPlacesOnTheLowestSkyline) {
  Atlas atlas;
  int x = -1, y = -1;
  ASSERT_EQ(fa__atlasAddRect(atlas.stash->atlas, 10, 12, &x, &y), 1);
  EXPECT_EQ(x, 2);
  EXPECT_EQ(y, 0);
  std::vector<std::vector<int>> skyline;
  for (int i = 0; i < atlas.stash->atlas->nnodes; ++i) {
    const FAatlasNode& n = atlas.stash->atlas->nodes[i];
    skyline.push_back({n.x, n.y, n.width});
  }
  EXPECT_THAT(skyline, ElementsAre(ElementsAre(0, 2, 2), ElementsAre(2, 12, 10), ElementsAre(12, 0, 500)));
}

TEST(FontAtlas, DejaVuSansMonoStepsEightPixelsAtSixteen) {
  Atlas atlas;
  const int mono = atlas.Add(kDejaVuSansMono);
  EXPECT_FLOAT_EQ(atlas.Font(mono).ascender, 1901.0f / kMonoHeight);
  EXPECT_FLOAT_EQ(atlas.Font(mono).descender, -483.0f / kMonoHeight);
  EXPECT_FLOAT_EQ(atlas.Font(mono).lineh, 1.0f);
  faSetSize(atlas.stash, 16.0f);
  std::string printable;
  for (char c = ' '; c <= '~'; ++c) printable += c;
  Iterate(atlas.stash, printable.c_str(), 0, 0, FA_GLYPH_BITMAP_OPTIONAL);
  for (char c : printable) EXPECT_EQ(Cached(atlas.Font(mono), c, 160)->xadv, 82) << c;
  EXPECT_EQ(faTextBounds(atlas.stash, 0, 0, "Hello", nullptr, nullptr), 40.0f);
}

TEST(FontAtlas, VerticalAlignmentMovesThePenAndTheLineBounds) {
  Atlas atlas;
  atlas.Add(kDejaVuSansMono);
  faSetSize(atlas.stash, 16.0f);
  const float ascender = 1901.0f / kMonoHeight * 16.0f;
  const float descender = -483.0f / kMonoHeight * 16.0f;
  const std::pair<int, float> offsets[] = {{VC_ALIGN_TOP, ascender},
                                           {VC_ALIGN_MIDDLE, (ascender + descender) / 2.0f},
                                           {VC_ALIGN_BASELINE, 0.0f},
                                           {VC_ALIGN_BOTTOM, descender}};
  for (const auto& [align, offset] : offsets) {
    faSetAlign(atlas.stash, VC_ALIGN_LEFT | align);
    FAtextIter iter;
    ASSERT_EQ(faTextIterInit(atlas.stash, &iter, 0, 100, "x", nullptr, FA_GLYPH_BITMAP_OPTIONAL), 1);
    EXPECT_FLOAT_EQ(iter.y, 100 + offset) << align;
    float miny = 0, maxy = 0;
    faLineBounds(atlas.stash, 100, &miny, &maxy);
    EXPECT_FLOAT_EQ(miny, 100 + offset - ascender) << align;
    EXPECT_FLOAT_EQ(maxy, miny + 16.0f) << align;
  }
}

TEST(FontAtlas, HorizontalAlignmentStartsLeftByTheAdvance) {
  Atlas atlas;
  atlas.Add(kDejaVuSansMono);
  faSetSize(atlas.stash, 16.0f);
  float left[4];
  faTextBounds(atlas.stash, 100, 0, "Hello", nullptr, left);
  for (const auto& [align, shift] : {std::pair{VC_ALIGN_LEFT, 0.0f}, {VC_ALIGN_CENTER, 20.0f}, {VC_ALIGN_RIGHT, 40.0f}}) {
    faSetAlign(atlas.stash, align | VC_ALIGN_BASELINE);
    float bounds[4];
    EXPECT_EQ(faTextBounds(atlas.stash, 100, 0, "Hello", nullptr, bounds), 40.0f);
    EXPECT_EQ(bounds[0], left[0] - shift) << align;
    EXPECT_EQ(bounds[2], left[2] - shift) << align;
    FAtextIter iter;
    faTextIterInit(atlas.stash, &iter, 100, 0, "Hello", nullptr, FA_GLYPH_BITMAP_OPTIONAL);
    EXPECT_EQ(iter.x, 100.0f - shift) << align;
  }
}

TEST(FontAtlas, QuadsShowTheBitmapInsideItsBorderAtWholePixels) {
  Atlas atlas;
  const int mono = atlas.Add(kDejaVuSansMono);
  faSetSize(atlas.stash, 16.0f);
  const float y = 20.25f;
  for (const Step& step : Iterate(atlas.stash, "Hg", 10.5f, y)) {
    const FAquad& q = step.quad;
    const FAglyph& g = *std::find_if(atlas.Font(mono).glyphs, atlas.Font(mono).glyphs + atlas.Font(mono).nglyphs,
                                     [&](const FAglyph& c) { return c.index == step.glyphIndex; });
    EXPECT_EQ(q.x0, std::trunc(step.penX + g.xoff + 1));
    EXPECT_EQ(q.y0, std::trunc(y + g.yoff + 1));
    EXPECT_EQ(q.x1 - q.x0, g.x1 - g.x0 - 2);
    EXPECT_EQ(q.y1 - q.y0, g.y1 - g.y0 - 2);
    EXPECT_FLOAT_EQ(q.s0, (g.x0 + 1) / float(kSide));
    EXPECT_FLOAT_EQ(q.t0, (g.y0 + 1) / float(kSide));
    EXPECT_FLOAT_EQ(q.s1, (g.x1 - 1) / float(kSide));
    EXPECT_FLOAT_EQ(q.t1, (g.y1 - 1) / float(kSide));
  }
}

TEST(FontAtlas, KerningComesFromTheLegacyTable) {
  struct Case {
    std::string font;
    float size;
    float kern;
  };
  const Case cases[] = {{kDejaVuSans, 48, -2}, {kDejaVuSans, 16, 0}, {kDejaVuSansMono, 48, 0}};
  for (const Case& c : cases) {
    Atlas atlas;
    atlas.Add(c.font);
    faSetSize(atlas.stash, c.size);
    const auto advance = [&](const char* text) { return faTextBounds(atlas.stash, 0, 0, text, nullptr, nullptr); };
    EXPECT_EQ(advance("AV") - advance("A") - advance("V"), c.kern) << c.font << " " << c.size;
  }
}

TEST(FontAtlas, MissingCodePointsComeFromTheFirstFallbackThatHasThem) {
  Atlas atlas;
  const int mono = atlas.Add(kDejaVuSansMono);
  const int serif = atlas.Add(kDejaVuSerif);
  const int sans = atlas.Add(kDejaVuSans);
  const char* const kCopticShei = "\xCF\xA2";  // U+03E2, in DejaVu Sans only
  const auto indexIn = [&](int font, const char* text, float size = 12.0f) {
    faSetFont(atlas.stash, font);
    faSetSize(atlas.stash, size);
    return Iterate(atlas.stash, text).at(0).glyphIndex;
  };
  const int sansIndex = indexIn(sans, kCopticShei);
  ASSERT_NE(sansIndex, 0);
  EXPECT_EQ(indexIn(serif, kCopticShei), 0);
  EXPECT_EQ(indexIn(mono, kCopticShei, 20.0f), 0);  // cached apart from the size the fallbacks serve

  ASSERT_EQ(faAddFallbackFont(atlas.stash, mono, serif), 1);
  ASSERT_EQ(faAddFallbackFont(atlas.stash, mono, sans), 1);
  EXPECT_EQ(indexIn(mono, kCopticShei), sansIndex);
  EXPECT_EQ(Cached(atlas.Font(mono), 0x3E2, 120)->index, sansIndex);
  EXPECT_EQ(indexIn(mono, "\xF4\x8F\xBF\xBD"), 0);  // U+10FFFD: in no font, the base font's glyph 0
}

TEST(FontAtlas, IncompleteUtf8EndsTheText) {
  Atlas atlas;
  atlas.Add(kDejaVuSansMono);
  EXPECT_EQ(Iterate(atlas.stash, "A\xC3").size(), 1u);
  EXPECT_EQ(faTextBounds(atlas.stash, 0, 0, "A\xC3", nullptr, nullptr),
            faTextBounds(atlas.stash, 0, 0, "A", nullptr, nullptr));
}

void ExpandFourfold(void* uptr, int error, int) {
  auto* stash = static_cast<FAcontext*>(uptr);
  if (error == FA_ATLAS_FULL) faExpandAtlas(stash, stash->params.width * 4, stash->params.height * 4);
}

TEST(FontAtlas, AFullAtlasGivesNoGlyphUnlessTheErrorCallbackMakesRoom) {
  for (const bool callback : {false, true}) {
    Atlas atlas(64, 64);
    atlas.Add(kDejaVuSansMono);
    if (callback) faSetErrorCallback(atlas.stash, ExpandFourfold, atlas.stash);
    faSetSize(atlas.stash, 100.0f);
    const std::vector<Step> steps = Iterate(atlas.stash, "W");
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].glyphIndex != -1, callback);
    EXPECT_EQ(atlas.stash->params.width, callback ? 256 : 64);
  }
}

TEST(FontAtlas, ExpandingKeepsGlyphsAndMarksTheirRowsDirty) {
  Atlas atlas;
  const int mono = atlas.Add(kDejaVuSansMono);
  faSetSize(atlas.stash, 40.0f);
  Iterate(atlas.stash, "Hello");
  const std::vector<unsigned char> before(atlas.stash->texData, atlas.stash->texData + kSide * kSide);
  int top = 0;
  for (int i = 0; i < atlas.stash->atlas->nnodes; ++i) top = std::max(top, int(atlas.stash->atlas->nodes[i].y));
  int dirty[4];
  faValidateTexture(atlas.stash, dirty);

  EXPECT_EQ(faExpandAtlas(atlas.stash, 100, 100), 1);  // never shrinks
  ASSERT_EQ(faExpandAtlas(atlas.stash, 1024, 768), 1);
  EXPECT_EQ(atlas.stash->params.width, 1024);
  EXPECT_EQ(atlas.stash->params.height, 768);
  int changed = 0, inkOutside = 0;
  for (int y = 0; y < 768; ++y) {
    for (int x = 0; x < 1024; ++x) {
      if (x < kSide && y < kSide) changed += atlas.Pixel(x, y) != before[x + y * kSide];
      else inkOutside += atlas.Pixel(x, y) != 0;
    }
  }
  EXPECT_EQ(changed, 0);
  EXPECT_EQ(inkOutside, 0);
  ASSERT_EQ(faValidateTexture(atlas.stash, dirty), 1);
  EXPECT_THAT(dirty, ElementsAre(0, 0, kSide, top));
  EXPECT_EQ(atlas.Font(mono).nglyphs, 4);
  const FAatlasNode& last = atlas.stash->atlas->nodes[atlas.stash->atlas->nnodes - 1];
  EXPECT_EQ(std::vector<int>({last.x, last.y, last.width}), std::vector<int>({kSide, 0, 1024 - kSide}));
}

TEST(FontAtlas, CollectionFacesLoadByIndex) {
  const Bytes regular = ReadFileBytes(kDejaVuSansMono);
  const Bytes bold = ReadFileBytes(kDejaVuSansMonoBold);
  Bytes collection = BuildCollection({regular, bold});
  const auto bounds = [](unsigned char* data, std::size_t size, int face) {
    Atlas atlas;
    std::vector<float> box(4, 0.0f);
    EXPECT_EQ(faAddFontMem(atlas.stash, "face", data, static_cast<int>(size), face, 0), 0);
    faSetSize(atlas.stash, 48.0f);
    faTextBounds(atlas.stash, 0, 0, "Wg", nullptr, box.data());
    return box;
  };
  Bytes boldCopy = bold;
  Bytes regularCopy = regular;
  EXPECT_EQ(bounds(collection.data(), collection.size(), 1), bounds(boldCopy.data(), boldCopy.size(), 0));
  EXPECT_EQ(bounds(collection.data(), collection.size(), 0), bounds(regularCopy.data(), regularCopy.size(), 0));
  Atlas atlas;
  EXPECT_EQ(faAddFontMem(atlas.stash, "face", collection.data(), static_cast<int>(collection.size()), 2, 0), -1);
  EXPECT_EQ(faAddFont(atlas.stash, "missing", "/nonexistent/font.ttf", 0), -1);
  EXPECT_EQ(atlas.stash->nfonts, 0);
}

TEST(FontAtlas, SizesAndGlyphFieldsAreClampedToSixteenBits) {
  Atlas atlas;
  atlas.Add(kDejaVuSansMono);
  const std::pair<float, short> sizes[] = {
      {16.0f, 160}, {1e9f, 32767}, {-1e9f, -32768}, {std::numeric_limits<float>::quiet_NaN(), 0}};
  for (const auto& [size, isize] : sizes) {
    faSetSize(atlas.stash, size);
    FAtextIter iter;
    ASSERT_EQ(faTextIterInit(atlas.stash, &iter, 0, 0, "A", nullptr, FA_GLYPH_BITMAP_OPTIONAL), 1);
    EXPECT_EQ(iter.isize, isize) << size;
  }
  // A font one unit high: 600 units at 16 pixels is 9600 pixels, beyond the tenths a glyph holds.
  SmallFont flat;
  PutU16(flat.Table("hhea"), 4, 1);
  PutU16(flat.Table("hhea"), 6, 0);
  const int font = atlas.AddSmallFont(flat);
  ASSERT_NE(font, -1);
  faSetFont(atlas.stash, font);
  faSetSize(atlas.stash, 16.0f);
  Iterate(atlas.stash, "A", 0, 0, FA_GLYPH_BITMAP_OPTIONAL);
  EXPECT_EQ(Cached(atlas.Font(font), 'A', 160)->xadv, 32767);
}

TEST(FontAtlas, WideGlyphsRasteriseAndGlyphsTheArenaCannotHoldStayBlank) {
  Atlas atlas;
  const int mono = atlas.Add(kDejaVuSansMono);
  faSetSize(atlas.stash, 200.0f);
  Iterate(atlas.stash, "W");
  const FAglyph* wide = Cached(atlas.Font(mono), 'W', 2000);
  ASSERT_GT(wide->x1 - wide->x0, 64);
  EXPECT_GT(InkInside(atlas, *wide), 1000);

  SmallFont complex;
  std::vector<std::pair<int, int>> ring;
  constexpr int kPoints = 7000;  // more vertices than the scratch arena holds
  for (int i = 0; i < kPoints; ++i) {
    const double angle = 2.0 * 3.14159265358979 * i / kPoints;
    ring.push_back({500 + int(400 * std::cos(angle)), 300 + int(300 * std::sin(angle))});
  }
  complex.SetGlyph(SmallFont::kGlyphC, SimpleGlyph(ring));
  const int font = atlas.AddSmallFont(complex);
  faSetFont(atlas.stash, font);
  faSetSize(atlas.stash, 16.0f);
  ASSERT_EQ(Iterate(atlas.stash, "C").at(0).glyphIndex, SmallFont::kGlyphC);
  const FAglyph* blank = Cached(atlas.Font(font), 'C', 160);
  EXPECT_EQ(InkInside(atlas, *blank), 0);
  EXPECT_EQ(blank->xadv, 96);
}

struct CallbackLog {
  std::vector<std::vector<int>> updates;
  int vertices = 0;
  std::vector<unsigned int> colors;
};

TEST(FontAtlas, DrawingHandsTheDirtyRegionAndQuadsToTheCallbacks) {
  CallbackLog log;
  FAparams params{};
  params.userPtr = &log;
  params.renderUpdate = [](void* uptr, int* rect, const unsigned char*) {
    static_cast<CallbackLog*>(uptr)->updates.push_back({rect[0], rect[1], rect[2], rect[3]});
  };
  params.renderDraw = [](void* uptr, const float*, const float*, const unsigned int* colors, int nverts) {
    auto* log = static_cast<CallbackLog*>(uptr);
    log->vertices += nverts;
    log->colors.insert(log->colors.end(), colors, colors + nverts);
  };
  Atlas atlas(kSide, kSide, &params);
  atlas.Add(kDejaVuSansMono);
  faSetSize(atlas.stash, 16.0f);
  faSetColor(atlas.stash, 0xFF336699u);
  EXPECT_EQ(faDrawText(atlas.stash, 10, 20, "Hello", nullptr), 50.0f);
  EXPECT_EQ(log.vertices, 5 * 6);
  EXPECT_EQ(std::count(log.colors.begin(), log.colors.end(), 0xFF336699u), 30);
  ASSERT_EQ(log.updates.size(), 1u);
  EXPECT_EQ(log.updates[0][0], 0);
  EXPECT_EQ(log.updates[0][1], 0);

  log.vertices = 0;
  faDrawDebug(atlas.stash, 0, 0);
  EXPECT_EQ(log.vertices, 6 * (2 + atlas.stash->atlas->nnodes));
}

TEST(FontAtlas, AllocatesOnlyThroughItsSeamAndSurvivesFailedAllocations) {
  FAparams params{};
  params.width = params.height = kSide;
  params.flags = FA_ZERO_TOPLEFT;
  int allowed = 0;
  for (;; ++allowed) {
    vcSetAllocationsBeforeFailure(allowed);
    FAcontext* stash = faCreateInternal(&params);
    vcSetAllocationsBeforeFailure(-1);
    if (stash) {
      faDeleteInternal(stash);
      break;
    }
  }
  EXPECT_GE(allowed, 5);

  Atlas atlas;
  atlas.Add(kDejaVuSansMono);
  Iterate(atlas.stash, "Hello");
  const std::uint64_t warm = vcAllocationCount();
  Iterate(atlas.stash, "Hello");
  faTextBounds(atlas.stash, 0, 0, "Hello", nullptr, nullptr);
  EXPECT_EQ(vcAllocationCount(), warm);

  // A reset whose bitmap cannot grow keeps the atlas as it was.
  vcSetAllocationsBeforeFailure(0);
  EXPECT_EQ(faResetAtlas(atlas.stash, 2048, 2048), 0);
  EXPECT_EQ(faAddFontMem(atlas.stash, "lost", static_cast<unsigned char*>(std::malloc(16)), 16, 0, 1), -1);
  vcSetAllocationsBeforeFailure(-1);
  EXPECT_EQ(atlas.stash->atlas->width, kSide);
  faSetSize(atlas.stash, 60.0f);
  EXPECT_EQ(Iterate(atlas.stash, "Wide").size(), 4u);
}

}  // namespace
}  // namespace orvane::testing
