// Drawing through the binding: what reaches the vector core (paths, arcs,
// fills, transforms, shadows) and what lands in the framebuffers.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "binding_fixture.h"
#include "graphics/renderer/image.h"
#include "graphics/renderer/metal/metal_context.h"
#include "graphics/renderer/paint.h"
#include "graphics/renderer/path.h"
#include "graphics/renderer/text.h"
#include "graphics/renderer/transform.h"
#include "tests/support/renderer/test_fonts.h"

namespace plugkit::testing {
namespace {

using namespace graphics;

constexpr Rgba kTransparent{0, 0, 0, 0};
constexpr Rgba kOpaqueWhite{255, 255, 255, 255};
constexpr Rgba kHalfBlack{0, 0, 0, 128};

std::vector<float> Commands(VCcontext* ctx) { return {ctx->commands, ctx->commands + ctx->ncommands}; }

Image LayerImage(const TestVectorGraphics& g, const ILayerPtr& layer) {
  return g.ImagePixels(layer->GetAPIBitmap()->GetImageHandle());
}

bool Covered(const Image& image, int x, int y) { return PixelAt(image, x, y)[3] > 0; }

TEST_F(BindingTest, ArcRunsClockwiseFromTwelveToThreeOClock) {
  TestVectorGraphics g(delegate_, 200, 200);
  g.DrawFrame([](IGraphics& d) {
    d.PathClear();
    d.PathArc(100, 100, 20, 0, 90, EWinding::CW);
    d.StrokePath(IPaint(kColorWhite), 4, IStrokeStyle(), nullptr);
  });
  const Image screen = g.Screen();
  EXPECT_TRUE(Covered(screen, 100, 80) && Covered(screen, 101, 79));  // 12 o'clock
  EXPECT_TRUE(Covered(screen, 120, 99) && Covered(screen, 121, 98));  // 3 o'clock
  for (int y = 97; y <= 103; ++y)
    for (int x = 77; x <= 83; ++x) EXPECT_FALSE(Covered(screen, x, y)) << x << "," << y;  // 9 o'clock
}

// The core gets the angles less a quarter turn, in radians, with the
// direction 2 (clockwise) for EWinding::CW and 1 otherwise.
TEST_F(BindingTest, PathArcHandsTheCoreRadiansFromThreeOClock) {
  TestVectorGraphics g(delegate_, 64, 64);
  const struct {
    float a1, a2;
    EWinding winding;
    int direction;
  } cases[] = {{0, 90, EWinding::CW, VC_CW}, {30, -200, EWinding::CCW, VC_CCW}};
  g.DrawFrame([&](IGraphics& d) {
    VCcontext* ctx = g.GetDrawContext();
    for (const auto& c : cases) {
      d.PathClear();
      d.PathArc(30, 30, 12, c.a1, c.a2, c.winding);
      const std::vector<float> drawn = Commands(ctx);
      vcBeginPath(ctx);
      vcArc(ctx, 30, 30, 12, (c.a1 - 90) / 180 * 3.1415927f, (c.a2 - 90) / 180 * 3.1415927f, c.direction);
      EXPECT_EQ(drawn, Commands(ctx)) << c.a1 << " to " << c.a2;
    }
  });
}

TEST_F(BindingTest, FillRulesSetTheLastWindingAndPreserveKeepsThePath) {
  TestVectorGraphics g(delegate_, 64, 64);
  const struct {
    EFillRule rule;
    bool preserve;
    std::vector<float> appended;  // after the rectangle's commands; none when the path is gone
  } cases[] = {
      {EFillRule::Solid, true, {VC_WINDING, VC_CCW}},
      {EFillRule::Hole, true, {VC_WINDING, VC_CW}},
      {EFillRule::KeepWindings, true, {}},
      {EFillRule::Solid, false, {}},
  };
  g.DrawFrame([&](IGraphics& d) {
    VCcontext* ctx = g.GetDrawContext();
    for (const auto& c : cases) {
      d.PathClear();
      d.PathRect(IRECT(4, 4, 20, 20));
      std::vector<float> expected = Commands(ctx);
      expected.insert(expected.end(), c.appended.begin(), c.appended.end());
      d.FillPath(IPaint(kColorRed), IFillStyle{c.rule, c.preserve}, nullptr);
      EXPECT_EQ(Commands(ctx), c.preserve ? expected : std::vector<float>{}) << static_cast<int>(c.rule);
    }
  });
}

TEST_F(BindingTest, TransformsUnderALayerAreRelativeToItsTopLeft) {
  TestVectorGraphics g(delegate_, 100, 100, 1.f, 2.f);
  float xform[6] = {};
  g.DrawFrame([&](IGraphics& d) {
    d.StartLayer(nullptr, IRECT(10, 20, 50, 60));
    d.PathTransformTranslate(5, 0);
    vcCurrentTransform(g.GetDrawContext(), xform);
    d.EndLayer();
  });
  EXPECT_EQ(std::vector<float>(xform, xform + 6), (std::vector<float>{2, 0, 0, 2, -10, -40}));
}

TEST_F(BindingTest, BoxShadowFeathersAtLeastOnePixelFromHalfBlack) {
  TestVectorGraphics g(delegate_, 64, 64);
  const IBlend half(0, 0.5f);
  g.DrawFrame([&](IGraphics& d) {
    d.DrawBoxShadow(IRECT(10, 10, 30, 40), IRECT(0, 0, 60, 60), 2, 4, 0.5f, &half);
    const VCpaint& fill = vc__getState(g.GetDrawContext())->fill;
    EXPECT_EQ(fill.feather, 1.f);
    EXPECT_FLOAT_EQ(fill.innerColor.a, 0.5f * 128.f / 255.f);
    EXPECT_EQ(fill.outerColor.a, 0.f);
    EXPECT_EQ(fill.xform[4], 22.f);  // centred on the inner box moved by the drop
    EXPECT_EQ(fill.xform[5], 27.f);
  });
}

// Drawables are recycled: an older frame must not show through where the
// framebuffer is transparent.
TEST_F(BindingTest, TheScreenShowsTheMainFramebufferAlsoWhereItIsTransparent) {
  TestVectorGraphics g(delegate_, 40, 30);
  const IBlend clearing(VC_DESTINATION_OUT, 1.f);
  for (int frame = 0; frame < 3; ++frame)
    g.DrawFrame([](IGraphics& d) { d.FillRect(kColorRed, IRECT(0, 0, 40, 30)); });
  g.DrawFrame([&](IGraphics& d) { d.FillRect(kColorWhite, IRECT(0, 0, 20, 30), &clearing); });
  const Image screen = g.Screen();
  EXPECT_EQ(screen, g.MainFramebufferPixels());
  EXPECT_EQ(PixelAt(screen, 5, 5), kTransparent);
  EXPECT_EQ(PixelAt(screen, 30, 5), (Rgba{255, 0, 0, 255}));
}

TEST_F(BindingTest, MainFramebufferHasTheWindowsDevicePixels) {
  TestVectorGraphics g(delegate_, 1392, 783, 2.f, 1.5f);
  int width = 0;
  int height = 0;
  vcImageSize(g.GetDrawContext(), g.GetMainFramebuffer()->image, &width, &height);
  EXPECT_EQ(width, 4176);
  EXPECT_EQ(height, 2348);
}

// A 40 x 40 layer with a white 20 x 20 square at (10, 10) and a black shadow
// moved by (4, 4) at half opacity, unblurred.
TEST_F(BindingTest, DropShadowLiesBehindTheLayerOrReplacesIt) {
  const struct {
    bool foreground;
    std::vector<std::pair<std::pair<int, int>, Rgba>> expected;
  } cases[] = {
      {true, {{{32, 32}, kHalfBlack}, {{20, 20}, kOpaqueWhite}, {{5, 5}, kTransparent}}},
      {false, {{{20, 20}, kHalfBlack}, {{12, 12}, kTransparent}, {{32, 32}, kHalfBlack}}},
  };
  for (const auto& c : cases) {
    TestVectorGraphics g(delegate_, 60, 60);
    ILayerPtr layer;
    g.DrawFrame([&](IGraphics& d) {
      d.StartLayer(nullptr, IRECT(0, 0, 40, 40));
      d.FillRect(kColorWhite, IRECT(10, 10, 30, 30));
      layer = d.EndLayer();
      IDropShadow shadow;
      shadow.mPaint = IPaint(kColorBlack);
      shadow.mXOffset = shadow.mYOffset = 4;
      shadow.mOpacity = 0.5f;
      shadow.mDrawForeground = c.foreground;
      d.ApplyLayerDropShadow(layer, shadow);
    });
    const Image pixels = LayerImage(g, layer);
    for (const auto& [at, rgba] : c.expected) {
      const Rgba actual = PixelAt(pixels, at.first, at.second);
      for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(actual[i], rgba[i], 1) << "foreground " << c.foreground << " at " << at.first << "," << at.second;
    }
  }
}

TEST_F(BindingTest, LayerPixelsReadTopRowFirstAndShortMasksCompositeNothing) {
  TestVectorGraphics g(delegate_, 20, 20);
  ILayerPtr layer;
  TypedBuf<uint8_t> pixels;
  g.DrawFrame([&](IGraphics& d) {
    d.StartLayer(nullptr, IRECT(0, 0, 4, 3));
    d.FillRect(kColorRed, IRECT(0, 0, 1, 1));
    d.FillRect(kColorBlue, IRECT(3, 2, 4, 3));
    layer = d.EndLayer();
    d.ReadLayerPixels(layer, pixels);
    TypedBuf<uint8_t> shortMask;
    shortMask.Resize(pixels.GetSize() - 1);
    d.CompositeLayerMask(layer, shortMask, IDropShadow());
  });
  ASSERT_EQ(pixels.GetSize(), 4 * 3 * 4);
  const uint8_t* p = pixels.Get();
  EXPECT_EQ((Rgba{p[0], p[1], p[2], p[3]}), (Rgba{255, 0, 0, 255}));
  const uint8_t* last = p + (2 * 4 + 3) * 4;
  EXPECT_EQ((Rgba{last[0], last[1], last[2], last[3]}), (Rgba{0, 0, 255, 255}));
  const Image after = LayerImage(g, layer);
  EXPECT_EQ(std::vector<uint8_t>(p, p + pixels.GetSize()), after.rgba) << "the short mask changed the layer";
}

// Nothing can be read from a framebuffer without an image: the buffer says so
// by staying empty, so no stale bytes become a shadow.
TEST_F(BindingTest, ALayerWithoutAnImageReadsAsEmpty) {
  TestVectorGraphics g(delegate_, 20, 20);
  ILayerPtr layer = std::make_unique<ILayer>(
      std::make_unique<IGraphicsVector::Bitmap>(g.GetDrawContext(), 0, 1.f, false), IRECT(0, 0, 4, 4), nullptr,
      IRECT());
  TypedBuf<uint8_t> pixels;
  pixels.Resize(64);
  g.ReadLayerPixels(layer, pixels);
  EXPECT_EQ(pixels.GetSize(), 0);
}

// An empty layer has no bitmap: drawing goes on into the main framebuffer.
TEST_F(BindingTest, ALayerWithoutABitmapKeepsTheMainFramebufferBound) {
  TestVectorGraphics g(delegate_, 20, 20);
  g.AttachControl(new DrawingControl(IRECT(0, 0, 20, 20), [](IGraphics& d, const IRECT&) {
    d.StartLayer(nullptr, IRECT());
    d.FillRect(kColorRed, IRECT(0, 0, 20, 20));
    ILayerPtr empty = d.EndLayer();
    EXPECT_EQ(empty->GetAPIBitmap(), nullptr);
    d.FillRect(kColorBlue, IRECT(0, 0, 10, 20));
  }));
  g.DrawAll();
  const Image main = g.MainFramebufferPixels();
  EXPECT_EQ(PixelAt(main, 2, 2), (Rgba{0, 0, 255, 255}));
  EXPECT_EQ(PixelAt(main, 15, 2), kTransparent) << "drawn while the empty layer was pushed";
}

// A bitmap whose file could not be decoded has image 0 and still draws its
// fill, with no texture.
TEST_F(BindingTest, ABitmapWithoutAnImageDrawsOneUntexturedFill) {
  TestVectorGraphics g(delegate_, 20, 20);
  IGraphicsVector::Bitmap noImage(g.GetDrawContext(), 0, 1.f, false);
  g.DrawFrame([&](IGraphics& d) {
    d.DrawBitmap(IBitmap(&noImage, 1, false), IRECT(0, 0, 10, 10), 0, 0, nullptr);
    const auto* backEnd = static_cast<MVCcontext_vOrvane_au*>(g.GetDrawContext()->params.userPtr);
    ASSERT_EQ(backEnd->buffers()->ncalls, 1);
    EXPECT_EQ(backEnd->buffers()->calls[0].image, 0);
  });
}

// Dashes of 2 with gaps of 2; a line of 2.9 is shorter than two dashes. A
// length that is not a positive number or gives too many dashes draws the
// line solid.
TEST_F(BindingTest, DottedLinesDashOrFallBackToSolidLines) {
  const struct {
    float length;
    float dash;
    std::vector<int> inked;  // columns of row 5 expected covered
    std::vector<int> blank;
  } cases[] = {
      {16, 2, {0, 1, 4, 5, 8, 13}, {2, 3, 6, 7, 10, 11}},
      {2.9f, 2, {}, {0, 1, 2}},
      {16, 0, {0, 3, 7, 11, 15}, {}},
      {16, -2, {0, 3, 7, 11, 15}, {}},
      {16, NAN, {0, 3, 7, 11, 15}, {}},
      {16, INFINITY, {0, 3, 7, 11, 15}, {}},
      {16, 1e-6f, {0, 3, 7, 11, 15}, {}},
  };
  for (const auto& c : cases) {
    TestVectorGraphics g(delegate_, 20, 10);
    g.DrawFrame([&](IGraphics& d) { d.DrawDottedLine(kColorWhite, 0, 5.5f, c.length, 5.5f, nullptr, 1, c.dash); });
    const Image screen = g.Screen();
    for (int x : c.inked) EXPECT_EQ(PixelAt(screen, x, 5), kOpaqueWhite) << c.length << "/" << c.dash << " at " << x;
    for (int x : c.blank) EXPECT_EQ(PixelAt(screen, x, 5)[3], 0) << c.length << "/" << c.dash << " at " << x;
  }
}

TEST_F(BindingTest, DottedRectanglesDashEachSideOrFallBackToSolid) {
  const struct {
    float dash;
    bool gapAtTop;
  } cases[] = {{2, true}, {0, false}, {1e-5f, false}};
  for (const auto& c : cases) {
    TestVectorGraphics g(delegate_, 20, 20);
    g.DrawFrame(
        [&](IGraphics& d) { d.DrawDottedRect(kColorWhite, IRECT(2.5f, 2.5f, 17.5f, 17.5f), nullptr, 1, c.dash); });
    const Image screen = g.Screen();
    EXPECT_EQ(PixelAt(screen, 3, 2), kOpaqueWhite) << c.dash;
    EXPECT_EQ(PixelAt(screen, 5, 2)[3] == 0, c.gapAtTop) << c.dash;
    EXPECT_EQ(PixelAt(screen, 17, 3), kOpaqueWhite) << c.dash;
  }
}

// A block of three lines is aligned as a whole: middle starts 1.5 line
// heights above the anchor and bottom ends at it, each row placed as
// top-aligned text would be.
TEST_F(BindingTest, TextBlocksAlignAsAWhole) {
  const struct {
    EVAlign valign;
    float linesAboveAnchor;
  } cases[] = {{EVAlign::Top, 0}, {EVAlign::Middle, 1.5f}, {EVAlign::Bottom, 3}};
  const char* rows[] = {"one", "two", "three"};
  const IRECT box(10, 20, 110, 100);
  for (const auto& c : cases) {
    const IText text(14, kColorWhite, kFont, EAlign::Center, c.valign);
    const float anchor = c.valign == EVAlign::Top ? box.T : c.valign == EVAlign::Middle ? (box.T + box.B) / 2 : box.B;
    Image block;
    Image lines;
    for (const bool asBlock : {true, false}) {
      TestVectorGraphics g(delegate_, 120, 120);
      ASSERT_TRUE(g.LoadFont(kFont, orvane::testing::kDejaVuSansMono.c_str()));
      g.DrawFrame([&](IGraphics& d) {
        VCcontext* ctx = g.GetDrawContext();
        vcFontFace(ctx, kFont);
        vcFontSize(ctx, 14);
        float lineHeight = 0;
        vcTextMetrics(ctx, nullptr, nullptr, &lineHeight);
        if (asBlock) return d.DrawTextBlock(text, "one\ntwo\nthree", box);
        IText rowText = text;
        rowText.mVAlign = EVAlign::Top;
        for (int i = 0; i < 3; ++i) {
          const float top = anchor + (i - c.linesAboveAnchor) * lineHeight;
          d.DrawText(rowText, rows[i], IRECT(box.L, top, box.R, top + lineHeight));
        }
      });
      (asBlock ? block : lines) = g.MainFramebufferPixels();
    }
    EXPECT_EQ(block, lines) << static_cast<int>(c.valign);
  }
}

TEST_F(BindingTest, SupportedBitmapExtensionsContainPngJpgOrJpeg) {
  TestVectorGraphics g(delegate_, 8, 8, 1.f, 1.f, false);
  const std::pair<const char*, bool> cases[] = {{"png", true}, {"PNG", true}, {"JPEG", true}, {"jpg", true},
                                                {"apng", true}, {"gif", false}, {"", false}, {nullptr, false}};
  for (const auto& [ext, supported] : cases)
    EXPECT_EQ(g.IsSupportedBitmapExtension(ext), supported) << (ext ? ext : "null");
}

}  // namespace
}  // namespace plugkit::testing
