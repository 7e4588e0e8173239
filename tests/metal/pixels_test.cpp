// What the back end's shaders amount to, checked pixel by pixel: exact
// edges at integer coordinates, half coverage at half pixels, gradients,
// image patterns, glyphs and stencil strokes. Every draw here runs under the
// encoder's cull-back mode.
#include <cmath>
#include <string>

#include "graphics/renderer/text.h"
#include "graphics/renderer/transform.h"
#include "metal_backend_fixture.h"
#include "tests/support/renderer/test_fonts.h"

namespace {

constexpr float kSide = 64.0f;  // the framebuffer, in points

class MetalPixelsTest : public MetalBackendTest, public ::testing::WithParamInterface<float> {
protected:
  float ratio() const { return GetParam(); }
  int Px(float points) const { return static_cast<int>(points * ratio()); }
};

// A rectangle in points, [x0, x1) x [y0, y1).
struct Area {
  float x0, y0, x1, y1;
};

struct ExactCase {
  const char* name;
  Drawing draw;
  Area white;  // the only pixels drawn, fully; empty for none
};

// Integer geometry draws exactly its pixels, fully, and nothing else.
TEST_P(MetalPixelsTest, IntegerGeometryIsPixelExact) {
  const ExactCase cases[] = {
      {"rectangle", [](VCcontext* ctx) { FillRect(ctx, 10, 10, 10, 10, White()); }, {10, 10, 20, 20}},
      {"one-pixel line",
       [](VCcontext* ctx) {
         vcBeginPath(ctx);
         vcMoveTo(ctx, 10, 20.5f);
         vcLineTo(ctx, 30, 20.5f);
         vcStrokeColor(ctx, White());
         vcStroke(ctx);
       },
       {10, 20, 30, 21}},
      {"integer scissor",
       [](VCcontext* ctx) {
         vcScissor(ctx, 10, 12, 20, 30);
         FillRect(ctx, 0, 0, kSide, kSide, White());
       },
       {10, 12, 30, 42}},
      {"zero-size scissor",
       [](VCcontext* ctx) {
         vcScissor(ctx, 20, 20, 0, 10);
         FillRect(ctx, 0, 0, kSide, kSide, White());
         vcBeginPath(ctx);
         vcMoveTo(ctx, 0, 20);
         vcLineTo(ctx, kSide, 20);
         vcStrokeColor(ctx, White());
         vcStroke(ctx);
       },
       {}},
  };
  VCcontext* ctx = Create();
  for (const ExactCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Image image = Render(ctx, kSide, kSide, ratio(), c.draw);
    int wrong = 0;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const bool inside = x >= Px(c.white.x0) && x < Px(c.white.x1) && y >= Px(c.white.y0) && y < Px(c.white.y1);
        for (int k = 0; k < 4; ++k) wrong += image.pixel(x, y)[k] != (inside ? 255 : 0);
      }
    }
    EXPECT_EQ(wrong, 0) << Channel(image, 3);
  }
}

TEST_P(MetalPixelsTest, HalfPixelEdgesAreHalfCoveredAndHolesStayEmpty) {
  VCcontext* ctx = Create();
  const Image half = Render(ctx, kSide, kSide, 1.0f, [](VCcontext* c) { FillRect(c, 10.5f, 10.5f, 10, 10, White()); });
  for (const auto& [x, y] : {std::pair{10, 15}, {20, 15}, {15, 10}, {15, 20}}) {
    EXPECT_NEAR(half.pixel(x, y)[3], 127.5, 0.5) << x << "," << y;
  }
  EXPECT_EQ(half.pixel(15, 15)[3], 255);

  // A self-overlapping star (winding 2 in its middle) with a hole in its top point.
  const Image star = Render(ctx, kSide, kSide, ratio(), [](VCcontext* c) {
    vcBeginPath(c);
    for (int i = 0; i < 5; ++i) {
      const float angle = -VC_PI / 2 + i * 4 * VC_PI / 5;
      const float x = 32 + 30 * std::cos(angle), y = 34 + 30 * std::sin(angle);
      i == 0 ? vcMoveTo(c, x, y) : vcLineTo(c, x, y);
    }
    vcClosePath(c);
    vcCircle(c, 32, 20, 3);
    vcPathWinding(c, VC_CW);
    vcFillColor(c, White());
    vcFill(c);
  });
  EXPECT_EQ(star.pixel(Px(32), Px(20))[3], 0) << "the hole";
  EXPECT_EQ(star.pixel(Px(32), Px(34))[3], 255) << "the overlap";
  EXPECT_EQ(star.pixel(Px(32), Px(27))[3], 255) << "the top point below the hole";
  EXPECT_EQ(star.pixel(Px(12), Px(28))[3], 255) << "the left point";
}

TEST_P(MetalPixelsTest, LinearGradientRunsFromInnerToOuter) {
  VCcontext* ctx = Create();
  const Image image = Render(ctx, 200, 4, ratio(), [](VCcontext* c) {
    vcBeginPath(c);
    vcRect(c, 0, 0, 200, 4);
    vcFillPaint(c, vcLinearGradient(c, 50.5f, 0, 150.5f, 0, vcRGBf(1, 0, 0), vcRGBf(0, 0, 1)));
    vcFill(c);
  });
  const std::uint8_t* inner = image.pixel(Px(50), 1);
  const std::uint8_t* outer = image.pixel(Px(150.5f), 1);
  const std::uint8_t* middle = image.pixel(Px(100), 1);
  EXPECT_EQ(std::vector<int>(inner, inner + 4), (std::vector<int>{255, 0, 0, 255}));
  EXPECT_EQ(std::vector<int>(outer, outer + 4), (std::vector<int>{0, 0, 255, 255}));
  EXPECT_NEAR(middle[0], 127.5, 1.0);
  EXPECT_NEAR(middle[2], 127.5, 1.0);
}

TEST_P(MetalPixelsTest, RepeatedNearestPatternShowsItsTexels) {
  constexpr int kTexels = 4;
  std::vector<unsigned char> texels(kTexels * kTexels * 4);
  for (std::size_t i = 0; i < texels.size(); ++i) texels[i] = i % 4 == 3 ? 255 : static_cast<unsigned char>(i * 13);
  VCcontext* ctx = Create();
  const int pattern = vcCreateImageRGBA(ctx, kTexels, kTexels, VC_IMAGE_REPEATX | VC_IMAGE_REPEATY | VC_IMAGE_NEAREST,
                                        texels.data());
  ASSERT_NE(pattern, 0);
  const Image image = Render(ctx, 24, 24, ratio(), [&](VCcontext* c) {
    vcBeginPath(c);
    vcRect(c, 2, 2, 20, 20);
    vcFillPaint(c, vcImagePattern(c, 0, 0, kTexels, kTexels, 0, pattern, 1));
    vcFill(c);
  });
  int wrong = 0;
  for (int y = Px(2); y < Px(22); ++y) {
    for (int x = Px(2); x < Px(22); ++x) {
      const int texel = ((y / Px(1)) % kTexels * kTexels + (x / Px(1)) % kTexels) * 4;
      for (int k = 0; k < 4; ++k) wrong += image.pixel(x, y)[k] != texels[texel + k];
    }
  }
  EXPECT_EQ(wrong, 0);
}

// Each glyph's pixels are its atlas coverage times the colour; nothing else changes.
TEST_P(MetalPixelsTest, GlyphsShowTheirAtlasCoverage) {
  VCcontext* ctx = Create();
  const int font = vcCreateFont(ctx, "mono", orvane::testing::kDejaVuSansMono.c_str());
  ASSERT_NE(font, -1);
  const char* text = "Gain 4.5 dB";
  MVCframebuffer* framebuffer = Framebuffer(ctx, Px(kSide * 2), Px(kSide));
  std::vector<FAquad> quads;
  Frame(ctx, framebuffer, kSide * 2, kSide, ratio(), [&](VCcontext* c) {
    vcFontFaceId(c, font);
    vcFontSize(c, 14);
    vcFillColor(c, White());
    vcText(c, 4, 30, text, nullptr);
    const float scale = vc__deviceFontScale(c);
    vc__setFontAtlasState(c, scale);
    FAtextIter iter;
    FAquad quad;
    faTextIterInit(c->fs, &iter, 4 * scale, 30 * scale, text, nullptr, FA_GLYPH_BITMAP_REQUIRED);
    while (faTextIterNext(c->fs, &iter, &quad)) quads.push_back(quad);
  });
  const Image image = Pixels(ctx, framebuffer->image);
  int atlasWidth = 0;
  int atlasHeight = 0;
  vcImageSize(ctx, ctx->fontImages[0], &atlasWidth, &atlasHeight);
  std::vector<unsigned char> atlas(static_cast<std::size_t>(atlasWidth * atlasHeight));
  mvcReadPixels(ctx, ctx->fontImages[0], 0, 0, atlasWidth, atlasHeight, atlas.data());

  Image expected(image.width, image.height);
  for (const FAquad& q : quads) {
    for (int y = static_cast<int>(q.y0); y < static_cast<int>(q.y1); ++y) {
      for (int x = static_cast<int>(q.x0); x < static_cast<int>(q.x1); ++x) {
        const int s = static_cast<int>(q.s0 * atlasWidth) + x - static_cast<int>(q.x0);
        const int t = static_cast<int>(q.t0 * atlasHeight) + y - static_cast<int>(q.y0);
        const int coverage = atlas[static_cast<std::size_t>(t * atlasWidth + s)];
        std::uint8_t* pixel = expected.pixel(x, y);
        if (coverage > pixel[3]) std::fill_n(pixel, 4, static_cast<std::uint8_t>(coverage));
      }
    }
  }
  EXPECT_EQ(quads.size(), std::string(text).size());
  EXPECT_EQ(standin::testing::CompareImages(expected, image, 0).pixelsBeyondTolerance, 0);
}

// A translucent stroke crossing itself: once where it overlaps with stencil
// strokes, twice without.
TEST_P(MetalPixelsTest, StencilStrokesDrawOverlapsOnce) {
  const Drawing cross = [](VCcontext* c) {
    vcBeginPath(c);
    vcMoveTo(c, 4, 16);
    vcLineTo(c, 28, 16);
    vcLineTo(c, 28, 28);
    vcLineTo(c, 16, 28);
    vcLineTo(c, 16, 4);
    vcStrokeWidth(c, 4);
    vcStrokeColor(c, vcTransRGBAf(White(), 0.5f));
    vcStroke(c);
  };
  for (const auto& [flags, overlapAlpha] : {std::pair{kDefaultFlags | VC_STENCIL_STROKES, 128}, {kDefaultFlags, 191}}) {
    VCcontext* ctx = Create(flags);
    const Image image = Render(ctx, 32, 32, ratio(), cross);
    EXPECT_EQ(image.pixel(Px(16), Px(16))[3], overlapAlpha) << flags;
    EXPECT_EQ(image.pixel(Px(22), Px(16))[3], 128) << flags;
  }
}

INSTANTIATE_TEST_SUITE_P(Ratios, MetalPixelsTest, ::testing::Values(1.0f, 2.0f));

}  // namespace
