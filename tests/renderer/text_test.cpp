#include "graphics/renderer/text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "graphics/renderer/color.h"
#include "graphics/renderer/paint.h"
#include "graphics/renderer/transform.h"
#include "graphics/renderer/truetype.h"
#include "tests/support/renderer/core_context.h"
#include "tests/support/renderer/test_fonts.h"

namespace orvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::FloatNear;
using ::testing::Pointwise;

constexpr float kTextTol = 1e-3f;
// DejaVu Sans Mono at 16 px: its ascender, descender and pen step.
constexpr float kAscender = 12.758f;
constexpr float kDescender = -3.242f;
constexpr float kStep = 8.0f;

// A context with DejaVu Sans Mono as font 0, in a frame at `ratio`.
struct TextFrame : CoreContext {
  explicit TextFrame(float ratio = 1.0f) {
    mono = vcCreateFont(ctx, "mono", kDejaVuSansMono.c_str());
    Begin(ratio);
  }
  ~TextFrame() {
    if (backend.InFrame()) vcCancelFrame(ctx);
  }
  void Begin(float ratio = 1.0f) {
    vcBeginFrame(ctx, 400, 400, ratio);
    backend.ClearCalls();
  }
  std::vector<const RecordedCall*> Triangles() const { return backend.CallsOf(RenderCall::Triangles); }
  int mono = -1;
};

// The text of each row, and where the next starts.
std::vector<std::string> RowTexts(const std::vector<VCtextRow>& rows) {
  std::vector<std::string> texts;
  for (const VCtextRow& row : rows) texts.emplace_back(row.start, row.end);
  return texts;
}

// A string of `count` distinct printable characters from '!' on.
std::string DistinctGlyphs(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += static_cast<char>('!' + i);
  return text;
}

std::vector<std::pair<int, int>> CreatedSizes(const RecordingRenderBackend& backend) {
  std::vector<std::pair<int, int>> sizes;
  for (const RecordedCall* call : backend.CallsOf(RenderCall::CreateTexture)) sizes.emplace_back(call->width, call->height);
  return sizes;
}

TEST(Text, BoundsAndMetricsOfALine) {
  const struct {
    std::string name;
    float ratio, scale;
    const char* text;
    float advance;
  } cases[] = {
      {"ratio 1", 1, 1, "Hello", 5 * kStep},
      {"ratio 2: a step of 17 at 32 px", 2, 1, "Hello", 5 * 17 / 2.0f},
      {"transform scale 2", 1, 2, "Hello", 5 * 17 / 2.0f},
      {"empty", 1, 1, "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TextFrame frame(c.ratio);
    vcScale(frame.ctx, c.scale, c.scale);
    float bounds[4];
    EXPECT_FLOAT_EQ(vcTextBounds(frame.ctx, 0, 0, c.text, nullptr, bounds), c.advance);
    EXPECT_NEAR(bounds[1], -kAscender, kTextTol);
    EXPECT_NEAR(bounds[3], -kDescender, kTextTol);
    float ascender = 0, descender = 0, lineh = 0;
    vcTextMetrics(frame.ctx, &ascender, &descender, &lineh);
    EXPECT_NEAR(ascender, kAscender, kTextTol);
    EXPECT_NEAR(descender, kDescender, kTextTol);
    EXPECT_NEAR(lineh, 16, kTextTol);
  }
  TextFrame frame;
  VCglyphPosition positions[8];
  ASSERT_EQ(vcTextGlyphPositions(frame.ctx, 0, 0, "Hello", nullptr, positions, 8), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(positions[i].x, kStep * i);
  EXPECT_EQ(vcTextGlyphPositions(frame.ctx, 0, 0, "Hello", nullptr, positions, 2), 2);
}

TEST(Text, GlyphsRasteriseAtTheDeviceScaleUpToFour) {
  const struct {
    float scale;
    short size;  // tenths of a pixel
  } cases[] = {{1, 160}, {2, 320}, {5, 640}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scale);
    TextFrame frame;
    vcScale(frame.ctx, c.scale, c.scale);
    vcText(frame.ctx, 0, 0, "Hi", nullptr);
    const FAfont* font = frame.ctx->fs->fonts[frame.mono];
    ASSERT_EQ(font->nglyphs, 2);
    for (int i = 0; i < font->nglyphs; ++i) EXPECT_EQ(font->glyphs[i].size, c.size);
  }
}

TEST(Text, EachGlyphIsTwoTrianglesFromTheUploadedAtlas) {
  TextFrame frame;
  VCcontext* ctx = frame.ctx;
  vcFillColor(ctx, vcTransRGBAf(vcRGBf(1, 0.5f, 0), 0.8f));
  vcGlobalAlpha(ctx, 0.5f);
  vcTranslate(ctx, 10, 20);
  EXPECT_FLOAT_EQ(vcText(ctx, 5, 30, "Hello", nullptr), 5 + 5 * kStep);
  ASSERT_EQ(frame.backend.Calls().size(), 2u);
  const RecordedCall& upload = frame.backend.Calls()[0];
  ASSERT_EQ(upload.kind, RenderCall::UpdateTexture);
  EXPECT_EQ(upload.image, ctx->fontImages[0]);
  const RecordedTexture* image = frame.backend.Texture(ctx->fontImages[0]);
  int w = 0, h = 0;
  const unsigned char* atlas = faGetTextureData(ctx->fs, &w, &h);
  EXPECT_TRUE(std::equal(image->pixels.begin(), image->pixels.end(), atlas));

  const RecordedCall& text = frame.backend.Calls()[1];
  ASSERT_EQ(text.kind, RenderCall::Triangles);
  EXPECT_EQ(text.paint.image, ctx->fontImages[0]);
  EXPECT_FLOAT_EQ(text.paint.innerColor.a, 0.4f);
  EXPECT_FLOAT_EQ(text.paint.outerColor.a, 0.4f);
  EXPECT_EQ(text.fringe, 1.0f);
  // The same quads walked again from the atlas's cache, moved by the transform.
  FAtextIter iter;
  FAquad q;
  faTextIterInit(ctx->fs, &iter, 5, 30, "Hello", nullptr, FA_GLYPH_BITMAP_REQUIRED);
  std::vector<float> expected;
  while (faTextIterNext(ctx->fs, &iter, &q)) {
    const float c0[] = {q.x0 + 10, q.y0 + 20, q.s0, q.t0}, c1[] = {q.x1 + 10, q.y0 + 20, q.s1, q.t0};
    const float c2[] = {q.x1 + 10, q.y1 + 20, q.s1, q.t1}, c3[] = {q.x0 + 10, q.y1 + 20, q.s0, q.t1};
    for (const float* c : {c0, c2, c1, c0, c3, c2}) expected.insert(expected.end(), c, c + 4);
  }
  std::vector<float> actual;
  for (const VCvertex& v : text.vertices) actual.insert(actual.end(), {v.x, v.y, v.u, v.v});
  EXPECT_THAT(actual, Pointwise(FloatNear(1e-5f), expected));
  EXPECT_EQ(ctx->drawCallCount, 1);
  EXPECT_EQ(ctx->textTriCount, 10);
}

TEST(Text, NothingToDrawStillMakesOneCall) {
  const struct {
    std::string name;
    const char* text;
    float size;
    float advance;
  } cases[] = {
      {"empty", "", 16, 0},
      {"too small to rasterise", "Hello", 0.1f, 0},
      {"too large for the largest atlas", "(|)", 3000, 3 * 1552},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TextFrame frame;
    for (int i = 0; i < 2; ++i) {  // and nothing grows from one frame to the next
      if (i > 0) {
        vcEndFrame(frame.ctx);
        frame.Begin();
      }
      vcFontSize(frame.ctx, c.size);
      EXPECT_EQ(vcText(frame.ctx, 0, 0, c.text, nullptr), c.advance);
      ASSERT_EQ(frame.Triangles().size(), 1u);
      EXPECT_TRUE(frame.Triangles()[0]->vertices.empty());
      EXPECT_EQ(frame.ctx->drawCallCount, 1);
      EXPECT_EQ(frame.ctx->fontImageIdx, 0);
      EXPECT_EQ(frame.backend.LiveTextureCount(), 1);
    }
  }
}

TEST(Text, WithoutAFontNothingIsDrawnOrMeasured) {
  TextFrame frame;
  VCcontext* ctx = frame.ctx;
  vcFontFace(ctx, "no such font");
  EXPECT_EQ(vc__getState(ctx)->fontId, -1);
  EXPECT_EQ(vcText(ctx, 7, 8, "Hello", nullptr), 7);
  vcTextBox(ctx, 7, 8, 100, "Hello", nullptr);
  float bounds[4] = {1, 1, 1, 1};
  EXPECT_EQ(vcTextBounds(ctx, 7, 8, "Hello", nullptr, bounds), 0);
  vcTextBoxBounds(ctx, 7, 8, 100, "Hello", nullptr, bounds);
  EXPECT_THAT(bounds, ElementsAre(0, 0, 0, 0));
  VCglyphPosition positions[4];
  EXPECT_EQ(vcTextGlyphPositions(ctx, 0, 0, "Hello", nullptr, positions, 4), 0);
  VCtextRow rows[4];
  EXPECT_EQ(vcTextBreakLines(ctx, "Hello", nullptr, 100, rows, 4), 0);
  float ascender = 5;
  vcTextMetrics(ctx, &ascender, nullptr, nullptr);
  EXPECT_EQ(ascender, 5);
  EXPECT_TRUE(frame.backend.Calls().empty());
}

TEST(Text, FullAtlasGrowsTheFontImage) {
  TextFrame frame;
  VCcontext* ctx = frame.ctx;
  const int first = ctx->fontImages[0];
  // Fills 512 x 512 midway; 1024 x 512 holds the rest.
  vcFontSize(ctx, 150);
  const std::string midway = DistinctGlyphs(62);
  vcText(ctx, 0, 0, midway.c_str(), nullptr);
  std::vector<const RecordedCall*> calls = frame.Triangles();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0]->paint.image, first);
  EXPECT_EQ(calls[1]->paint.image, ctx->fontImages[1]);
  EXPECT_EQ(calls[0]->vertices.size() + calls[1]->vertices.size(), 62u * 6);
  EXPECT_THAT(CreatedSizes(frame.backend), ElementsAre(std::pair(1024, 512)));

  // Larger glyphs need every image there is, and the rest is dropped.
  frame.backend.ClearCalls();
  vcFontSize(ctx, 400);
  const std::string printable = DistinctGlyphs(94);
  vcText(ctx, 0, 0, printable.c_str(), nullptr);
  EXPECT_THAT(CreatedSizes(frame.backend), ElementsAre(std::pair(1024, 1024), std::pair(2048, 1024)));
  EXPECT_EQ(ctx->fontImageIdx, 3);
  calls = frame.Triangles();
  ASSERT_EQ(calls.size(), 4u);  // one per image, and the empty rest
  std::size_t drawn = 0;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(calls[i]->paint.image, ctx->fontImages[i + 1]);
    drawn += calls[i]->vertices.size();
  }
  EXPECT_TRUE(calls[3]->vertices.empty());
  EXPECT_LT(drawn, 94u * 6);

  const int newest = ctx->fontImages[3];
  vcEndFrame(ctx);
  EXPECT_THAT(ctx->fontImages, ElementsAre(newest, 0, 0, 0));
  EXPECT_EQ(frame.backend.LiveTextureCount(), 1);
}

// An image left in the next slot by the end of a frame is grown into, not
// replaced by a new texture over its id.
TEST(Text, GrowthReusesTheNextImage) {
  TextFrame frame;
  VCcontext* ctx = frame.ctx;
  const VCparams& p = ctx->params;
  const int kept = p.renderCreateTexture(p.userPtr, VC_TEXTURE_ALPHA, 1024, 512, 0, nullptr);
  ctx->fontImages[1] = kept;
  frame.backend.ClearCalls();
  vcFontSize(ctx, 150);
  vcText(ctx, 0, 0, DistinctGlyphs(62).c_str(), nullptr);
  EXPECT_TRUE(frame.backend.CallsOf(RenderCall::CreateTexture).empty());
  EXPECT_EQ(ctx->fontImageIdx, 1);
  EXPECT_EQ(frame.Triangles().back()->paint.image, kept);
  int w = 0, h = 0;
  faGetAtlasSize(ctx->fs, &w, &h);
  EXPECT_EQ(std::pair(w, h), std::pair(1024, 512));
  EXPECT_EQ(frame.backend.LiveTextureCount(), 2);
}

TEST(Text, LinesBreakAtNewlinesWordsAndCjk) {
  const struct {
    std::string name;
    const char* text;
    float width;
    int maxRows;
    std::vector<std::string> rows;
    std::vector<float> widths;
  } cases[] = {
      {"CR LF is one break", "ab\r\ncd", 100, 8, {"ab", "cd"}, {16, 16}},
      {"LF LF leaves an empty row", "ab\n\ncd", 100, 8, {"ab", "", "cd"}, {16, 0, 16}},
      {"words", "ab cd ef", 32, 8, {"ab", "cd", "ef"}, {16, 16, 16}},
      {"two words a row", "ab cd ef", 40, 8, {"ab cd", "ef"}, {40, 16}},
      {"a long word splits between glyphs", "abcdefgh", 24, 8, {"abc", "def", "gh"}, {24, 24, 16}},
      {"a glyph wider than the row", "abc", 4, 8, {"a", "b", "c"}, {8, 8, 8}},
      {"CJK breaks anywhere", "\xE4\xB8\x80\xE4\xBA\x8C\xE4\xB8\x89\xE5\x9B\x9B", 20, 8,
       {"\xE4\xB8\x80\xE4\xBA\x8C", "\xE4\xB8\x89\xE5\x9B\x9B"}, {16, 16}},
      {"leading spaces skipped", "   ab  ", 100, 8, {"ab"}, {16}},
      {"max rows", "a\nb\nc", 100, 2, {"a", "b"}, {8, 8}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TextFrame frame;
    std::vector<VCtextRow> rows(8);
    rows.resize(vcTextBreakLines(frame.ctx, c.text, nullptr, c.width, rows.data(), c.maxRows));
    EXPECT_EQ(RowTexts(rows), c.rows);
    std::vector<float> widths;
    for (const VCtextRow& row : rows) widths.push_back(row.width);
    EXPECT_THAT(widths, Pointwise(FloatNear(kTextTol), c.widths));
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) EXPECT_LE(rows[i].end, rows[i + 1].start);
  }
}

TEST(Text, BoxRowsFollowTheAlignment) {
  const struct {
    std::string name;
    int align;
    std::vector<float> rowOffsets;  // rows "abc" (24) and "de" (16) in a 40 box
  } cases[] = {
      {"left", VC_ALIGN_LEFT, {0, 0}},
      {"centre", VC_ALIGN_CENTER, {8, 12}},
      {"right", VC_ALIGN_RIGHT, {16, 24}},
  };
  float leftStart = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TextFrame frame;
    VCcontext* ctx = frame.ctx;
    vcTextAlign(ctx, c.align | VC_ALIGN_BASELINE);
    vcTextBox(ctx, 50, 100, 40, "abc de", nullptr);
    EXPECT_EQ(vc__getState(ctx)->textAlign, c.align | VC_ALIGN_BASELINE);
    const std::vector<const RecordedCall*> rows = frame.Triangles();
    ASSERT_EQ(rows.size(), 2u);
    if (c.align == VC_ALIGN_LEFT) leftStart = rows[0]->vertices[0].x;
    float minx = 1e9f, maxx = -1e9f;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      EXPECT_NEAR(rows[i]->vertices[0].x - leftStart, c.rowOffsets[i], kTextTol);
      for (const VCvertex& v : rows[i]->vertices) {
        minx = std::min(minx, v.x);
        maxx = std::max(maxx, v.x);
      }
    }
    float bounds[4];
    vcTextBoxBounds(ctx, 50, 100, 40, "abc de", nullptr, bounds);
    // The box starts as the point (x, y).
    EXPECT_THAT(bounds,
                Pointwise(FloatNear(kTextTol), {std::min(50.0f, minx), 100 - kAscender, maxx, 116 - kDescender}));
  }
}

TEST(Text, FallbackFontsByIdAndName) {
  TextFrame frame;
  VCcontext* ctx = frame.ctx;
  const int sans = vcCreateFont(ctx, "sans", kDejaVuSans.c_str());
  const struct {
    std::string name;
    std::function<int()> add;
    int result;
  } cases[] = {
      {"no base", [&] { return vcAddFallbackFontId(ctx, -1, sans); }, 0},
      {"no fallback", [&] { return vcAddFallbackFontId(ctx, frame.mono, -1); }, 0},
      {"base out of range", [&] { return vcAddFallbackFontId(ctx, 7, sans); }, 0},
      {"fallback out of range", [&] { return vcAddFallbackFontId(ctx, frame.mono, 7); }, 0},
      {"unknown name", [&] { return vcAddFallbackFont(ctx, "mono", "serif"); }, 0},
      {"by name", [&] { return vcAddFallbackFont(ctx, "mono", "sans"); }, 1},
      {"by id", [&] { return vcAddFallbackFontId(ctx, sans, frame.mono); }, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.add(), c.result);
  }
  EXPECT_EQ(vcFindFont(ctx, "sans"), sans);
  EXPECT_EQ(vcFindFont(ctx, nullptr), -1);
  // U+03E2 is in DejaVu Sans only: mono draws it from its fallback.
  vcText(ctx, 0, 0, "\xCF\xA2", nullptr);
  const FAfont* mono = ctx->fs->fonts[frame.mono];
  ASSERT_EQ(mono->nglyphs, 1);
  EXPECT_EQ(mono->glyphs[0].index, fa__ttGetGlyphIndex(&ctx->fs->fonts[sans]->font, 0x3E2));
  EXPECT_NE(mono->glyphs[0].index, 0);
}

TEST(Text, FontFromMemoryAtAFaceIndex) {
  TextFrame frame;
  // Face 1 of the collection is DejaVu Sans Mono, whose step at 16 px is 8;
  // face 0, the small font, steps 10.
  Bytes collection = BuildCollection({SmallFont().Build(), ReadFileBytes(kDejaVuSansMono)});
  const int font = vcCreateFontMemAtIndex(frame.ctx, "second", collection.data(), int(collection.size()), 1, 0);
  ASSERT_NE(font, -1);
  vcFontFaceId(frame.ctx, font);
  EXPECT_EQ(vcTextBounds(frame.ctx, 0, 0, "D", nullptr, nullptr), kStep);
  vcFontFaceId(frame.ctx, vcCreateFontMem(frame.ctx, "first", collection.data(), int(collection.size()), 0));
  EXPECT_EQ(vcTextBounds(frame.ctx, 0, 0, "D", nullptr, nullptr), 10);
}

}  // namespace
}  // namespace orvane::testing
