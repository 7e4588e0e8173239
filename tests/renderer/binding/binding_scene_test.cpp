// What the binding puts on the screen: a scene of controls drawn through the
// graphics core against golden images, and pixel checks of arcs, the copy to
// the screen, layers and their drop shadows.
#include <filesystem>
#include <memory>

#include "binding_fixture.h"
#include "support/graphics/resource_bundle.h"
#include "tests/support/renderer/test_fonts.h"
#include "tests/support/renderer/test_images.h"
#include "support/test_paths.h"

namespace plugkit::testing {
namespace {

using namespace graphics;

constexpr int kSceneWidth = 320;
constexpr int kSceneHeight = 240;
constexpr IColor kLightBlue{255, 110, 170, 220};

// Drawn once into a layer, then drawn back from it.
class CachedLayerControl : public IControl {
public:
  explicit CachedLayerControl(const IRECT& bounds) : IControl(bounds) {}
  void Draw(IGraphics& g) override {
    if (!g.CheckLayer(mLayer)) {
      g.StartLayer(this, GetRECT());
      g.FillCircle(kAccent, GetRECT().L + 15, GetRECT().T + 15, 12);
      g.DrawLine(kLightBlue, GetRECT().L, GetRECT().B, GetRECT().R, GetRECT().T, nullptr, 2);
      mLayer = g.EndLayer();
      ++mLayersDrawn;
    }
    g.DrawLayer(mLayer);
  }
  int mLayersDrawn = 0;

private:
  ILayerPtr mLayer;
};

class ShadowedControl : public IControl {
public:
  explicit ShadowedControl(const IRECT& bounds) : IControl(bounds) {}
  void Draw(IGraphics& g) override {
    const IRECT r = GetRECT();
    g.StartLayer(this, r);
    g.FillRoundRect(kColorWhite, IRECT(r.L + 4, r.T + 4, r.R - 12, r.B - 12), 5);
    ILayerPtr layer = g.EndLayer();
    IDropShadow shadow;
    shadow.mPaint = IPaint(kColorBlack);
    shadow.mBlurSize = 3;
    shadow.mXOffset = 4;
    shadow.mYOffset = 5;
    shadow.mOpacity = 0.6f;
    g.ApplyLayerDropShadow(layer, shadow);
    g.DrawLayer(layer);
  }
};

void DrawShapes(IGraphics& g, const IRECT&) {
  g.FillRect(kDarkBackground, IRECT(0, 0, kSceneWidth, kSceneHeight));
  g.FillRect(kColorRed, IRECT(10, 10, 40, 30));
  g.DrawRect(kColorWhite, IRECT(50.5f, 10.5f, 80.5f, 30.5f), nullptr, 2);
  g.FillRoundRect(kColorGreen, IRECT(90, 10, 130, 30), 6);
  g.DrawRoundRect(kAccent, IRECT(140, 10, 180, 30), 6, nullptr, 1.5f);
  g.PathClear();
  g.PathArc(215, 25, 15, 0, 90);
  g.StrokePath(IPaint(kAccent), 4, IStrokeStyle(), nullptr);
  g.PathClear();
  g.PathArc(255, 25, 15, 45, 300, EWinding::CCW);
  g.StrokePath(IPaint(kLightBlue), 3, IStrokeStyle(), nullptr);
  g.FillArc(kColorWhite, 295, 25, 15, -45, 45);
  g.DrawDottedLine(kColorWhite, 10, 45, 150, 45, nullptr, 1, 3);
  g.DrawDottedRect(kAccent, IRECT(160.5f, 38.5f, 310.5f, 52.5f), nullptr, 1, 2);
}

void DrawBitmaps(IGraphics& g, const IRECT&) {
  const IBitmap bitmap = g.LoadBitmap("pattern.png", 1, false, 1);
  g.DrawBitmap(bitmap, IRECT(10, 60, 50, 90), 0, 0, nullptr);
  g.DrawBitmap(bitmap, IRECT(60, 60, 100, 90), 0, 0, &kBlend50);
}

void DrawTexts(IGraphics& g, const IRECT&) {
  const EAlign aligns[] = {EAlign::Near, EAlign::Center, EAlign::Far};
  const EVAlign valigns[] = {EVAlign::Top, EVAlign::Middle, EVAlign::Bottom};
  for (int i = 0; i < 3; ++i) {
    const IRECT box(110, 60.f + 20 * i, 200, 78.f + 20 * i);
    g.DrawRect(kColorDarkGrey, box);
    g.DrawText(IText(12, kColorWhite, kFont, aligns[i], EVAlign::Middle), "Gain", box);
    const IRECT tall(210.f + 30 * i, 60, 236.f + 30 * i, 118);
    g.DrawRect(kColorDarkGrey, tall);
    g.DrawText(IText(12, kAccent, kFont, EAlign::Center, valigns[i]), "Mid", tall);
  }
  g.DrawText(IText(14, kLightBlue, kFont, EAlign::Center, EVAlign::Middle, 270), "Bass 4.5", IRECT(300, 60, 316, 140));
}

void DrawClipped(IGraphics& g, const IRECT& r) {
  g.SetClipRegion(r.L + 10, r.T + 10, r.R + 40, r.B - 10);
  g.FillRect(kColorBlue, IRECT(0, 0, kSceneWidth, kSceneHeight));
}

class BindingSceneTest : public BindingTest, public ::testing::WithParamInterface<float> {};

TEST_P(BindingSceneTest, SceneMatchesItsGolden) {
  const float scale = GetParam();
  ResourceBundle bundle("com.orvane.tests.binding-scene");
  EXPECT_TRUE(orvane::testing::WriteFileBytes(bundle.Resources() / "pattern.png",
                                              orvane::testing::EncodePng(orvane::testing::TestPattern(20, 15))));
  TestVectorGraphics g(delegate_, kSceneWidth, kSceneHeight, scale);
  g.SetBundleIdentifier(bundle.Identifier());
  ASSERT_TRUE(g.LoadFont(kFont, orvane::testing::kDejaVuSansMono.c_str()));
  g.AttachControl(new DrawingControl(IRECT(0, 0, kSceneWidth, kSceneHeight), DrawShapes));
  g.AttachControl(new DrawingControl(IRECT(0, 55, kSceneWidth, 125), DrawBitmaps));
  g.AttachControl(new DrawingControl(IRECT(0, 55, kSceneWidth, 125), DrawTexts));
  auto* cached = new CachedLayerControl(IRECT(10, 140, 60, 180));
  g.AttachControl(cached);
  g.AttachControl(new ShadowedControl(IRECT(80, 135, 150, 200)));
  g.AttachControl(new DrawingControl(IRECT(170, 140, 240, 200), DrawClipped));

  g.DrawAll();
  g.DrawAll();
  EXPECT_EQ(cached->mLayersDrawn, 1) << "the second frame draws the layer back";
  const Image screen = g.Screen();
  EXPECT_EQ(screen, g.MainFramebufferPixels());
  const std::filesystem::path golden = std::filesystem::path(ORVANE_GOLDEN_DIR) / "binding" /
                                       ("scene_scale" + std::to_string(static_cast<int>(scale)) + ".png");
  const auto result = standin::testing::CheckGolden(screen, golden, {.channel = kGoldenChannelTolerance});
  EXPECT_TRUE(result.passed) << result.message;
}

INSTANTIATE_TEST_SUITE_P(ScreenScales, BindingSceneTest, ::testing::Values(1.f, 2.f));

}  // namespace
}  // namespace plugkit::testing
