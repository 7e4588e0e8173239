// A fixed scene drawn through the core into a framebuffer and copied onto
// the layer's drawable, against golden images. The pixel checks decide what
// is correct; the goldens catch any change.
#include <cmath>
#include <filesystem>

#include "graphics/renderer/text.h"
#include "graphics/renderer/transform.h"
#include "metal_backend_fixture.h"
#include "tests/support/renderer/test_fonts.h"
#include "support/test_paths.h"

namespace {

constexpr float kWidth = 320.0f;
constexpr float kHeight = 240.0f;
constexpr int kChannelTolerance = 2;

void Polyline(VCcontext* c, float x, float y, int join, int cap) {
  vcBeginPath(c);
  vcMoveTo(c, x, y + 30);
  vcLineTo(c, x + 12, y);
  vcLineTo(c, x + 24, y + 30);
  vcLineTo(c, x + 36, y + 8);
  vcLineJoin(c, join);
  vcLineCap(c, cap);
  vcStrokeWidth(c, 7);
  vcStrokeColor(c, vcRGB(120, 170, 240));
  vcStroke(c);
}

void Star(VCcontext* c, float cx, float cy, float radius) {
  vcBeginPath(c);
  for (int i = 0; i < 5; ++i) {
    const float angle = -VC_PI / 2 + i * 4 * VC_PI / 5;
    const float x = cx + radius * std::cos(angle), y = cy + radius * std::sin(angle);
    i == 0 ? vcMoveTo(c, x, y) : vcLineTo(c, x, y);
  }
  vcClosePath(c);
  vcCircle(c, cx, cy - radius * 0.45f, radius * 0.1f);
  vcPathWinding(c, VC_CW);
  vcFillColor(c, vcRGB(250, 170, 40));
  vcFill(c);
}

void DrawScene(VCcontext* c, int font, int pattern) {
  FillRect(c, 0, 0, kWidth, kHeight, vcRGB(28, 32, 40));
  FillRect(c, 10, 10, 30, 20, vcRGB(230, 80, 60));
  FillRect(c, 50.5f, 10.5f, 30, 20, vcRGB(60, 200, 90));
  vcBeginPath(c);
  vcCircle(c, 110, 22, 14);
  vcFillColor(c, vcRGB(240, 220, 80));
  vcFill(c);
  Star(c, 160, 28, 22);
  vcBeginPath(c);
  vcMoveTo(c, 200, 20.5f);
  vcLineTo(c, 300, 20.5f);
  vcStrokeWidth(c, 1);
  vcStrokeColor(c, White());
  vcStroke(c);

  Polyline(c, 12, 52, VC_MITER, VC_BUTT);
  Polyline(c, 64, 52, VC_ROUND, VC_ROUND);
  Polyline(c, 116, 52, VC_BEVEL, VC_SQUARE);

  vcBeginPath(c);
  vcRect(c, 170, 50, 60, 34);
  vcFillPaint(c, vcLinearGradient(c, 170, 50, 230, 84, vcRGB(255, 60, 60), vcRGB(40, 60, 255)));
  vcFill(c);
  vcBeginPath(c);
  vcCircle(c, 275, 67, 22);
  vcFillPaint(c, vcRadialGradient(c, 275, 67, 4, 22, White(), vcRGBA(0, 160, 120, 0)));
  vcFill(c);
  vcBeginPath(c);
  vcRect(c, 4, 98, 72, 52);
  vcRoundedRect(c, 10, 104, 60, 40, 6);
  vcPathWinding(c, VC_CW);
  vcFillPaint(c, vcBoxGradient(c, 10, 106, 60, 40, 6, 8, vcRGBA(0, 0, 0, 200), vcRGBA(0, 0, 0, 0)));
  vcFill(c);
  vcBeginPath(c);
  vcRoundedRect(c, 10, 104, 60, 40, 6);
  vcFillColor(c, vcRGB(70, 80, 100));
  vcFill(c);

  vcBeginPath(c);
  vcRect(c, 90, 100, 64, 44);
  vcFillPaint(c, vcImagePattern(c, 90, 100, 8, 8, 0, pattern, 1));
  vcFill(c);

  vcFontFaceId(c, font);
  vcFillColor(c, vcRGB(235, 235, 235));
  vcFontSize(c, 12);
  vcText(c, 10, 175, "Preamp gain 4.50 dB", nullptr);
  vcFontSize(c, 24);
  vcText(c, 10, 205, "Tone 24", nullptr);

  vcSave(c);
  vcTranslate(c, 250, 150);
  vcRotate(c, 0.35f);
  vcScissor(c, -30, -18, 60, 36);
  FillRect(c, -60, -60, 120, 120, vcRGB(200, 90, 220));
  vcRestore(c);
  vcSave(c);
  vcScissor(c, 180, 190, 0, 30);
  FillRect(c, 170, 180, 60, 50, White());
  vcRestore(c);

  vcGlobalCompositeOperation(c, VC_DESTINATION_OUT);
  vcBeginPath(c);
  vcCircle(c, 300, 220, 12);
  vcFillColor(c, White());
  vcFill(c);
  vcGlobalCompositeOperation(c, VC_SOURCE_OVER);
}

class MetalSceneTest : public MetalBackendTest, public ::testing::WithParamInterface<float> {};

TEST_P(MetalSceneTest, SceneMatchesItsGolden) {
  const float ratio = GetParam();
  SizeLayer(kWidth, kHeight, ratio);
  VCcontext* ctx = Create();
  const int font = vcCreateFont(ctx, "mono", orvane::testing::kDejaVuSansMono.c_str());
  ASSERT_NE(font, -1);
  std::vector<unsigned char> texels(4 * 4 * 4, 255);
  for (int i = 0; i < 16; ++i) texels[i * 4 + (i + i / 4) % 3] = 40;
  const int pattern = vcCreateImageRGBA(ctx, 4, 4, VC_IMAGE_REPEATX | VC_IMAGE_REPEATY | VC_IMAGE_NEAREST,
                                        texels.data());
  MVCframebuffer* framebuffer =
      Framebuffer(ctx, static_cast<int>(kWidth * ratio), static_cast<int>(kHeight * ratio));
  Frame(ctx, framebuffer, kWidth, kHeight, ratio, [&](VCcontext* c) { DrawScene(c, font, pattern); });
  Frame(ctx, nullptr, kWidth, kHeight, ratio, [&](VCcontext* c) {
    vcBeginPath(c);
    vcRect(c, 0, 0, kWidth, kHeight);
    vcFillPaint(c, vcImagePattern(c, 0, 0, kWidth, kHeight, 0, framebuffer->image, 1));
    vcFill(c);
  });
  Settle(ctx);
  const Image screen = standin::testing::LayerFrontImage(layer());
  EXPECT_EQ(screen, Pixels(ctx, framebuffer->image)) << "the copy to the screen changes no pixel";
  const std::filesystem::path golden = std::filesystem::path(ORVANE_GOLDEN_DIR) / "metal" /
                                       ("scene_ratio" + std::to_string(static_cast<int>(ratio)) + ".png");
  const auto result = standin::testing::CheckGolden(screen, golden, {.channel = kChannelTolerance});
  EXPECT_TRUE(result.passed) << result.message;
}

INSTANTIATE_TEST_SUITE_P(Ratios, MetalSceneTest, ::testing::Values(1.0f, 2.0f));

}  // namespace
