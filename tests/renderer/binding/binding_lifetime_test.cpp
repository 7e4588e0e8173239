// When the binding's textures, framebuffers and vector context go: during and
// between frames, with the draw context, with the graphics context, and
// when the back end could not be made at all.
#include <memory>
#include <thread>

#include "binding_fixture.h"
#include "graphics/renderer/metal/shaders.h"
#include "tests/support/renderer/test_fonts.h"
#include "tests/support/renderer/test_images.h"

namespace plugkit::testing {
namespace {

using namespace graphics;

constexpr Rgba kOpaqueRed{255, 0, 0, 255};
constexpr Rgba kOpaqueBlue{0, 0, 255, 255};

bool ImageExists(const TestVectorGraphics& g, int image) { return mvcImageTexture(g.GetDrawContext(), image); }

// A control holding a layer of its own, drawn once and kept.
DrawingControl* LayeredControl(const IRECT& bounds, const IColor& color) {
  auto layer = std::make_shared<ILayerPtr>();
  return new DrawingControl(bounds, [layer, color](IGraphics& g, const IRECT& r) {
    if (!g.CheckLayer(*layer)) {
      g.StartLayer(nullptr, r);
      g.FillRect(color, r);
      *layer = g.EndLayer();
    }
    g.DrawLayer(*layer);
  });
}

// Off the main thread a framebuffer waits in the queue.
void DestroyOnAnotherThread(std::unique_ptr<APIBitmap> bitmap) {
  std::thread([gone = std::move(bitmap)]() mutable { gone.reset(); }).join();
}

TEST_F(BindingTest, LayerFramebuffersGoAtTheEndOfTheFrameOrAtOnce) {
  TestVectorGraphics g(delegate_, 16, 16);
  for (const bool inFrame : {true, false}) {
    if (inFrame) g.BeginFrame();
    std::unique_ptr<APIBitmap> bitmap = g.CreateLayerBitmap(8, 8, false, 1.f, 1.f);
    const int image = bitmap->GetImageHandle();
    bitmap.reset();
    EXPECT_EQ(ImageExists(g, image), inFrame);
    if (inFrame) {
      g.EndFrame();
      EXPECT_FALSE(ImageExists(g, image));
    }
  }
  std::unique_ptr<APIBitmap> bitmap = g.CreateLayerBitmap(8, 8, false, 1.f, 1.f);
  const int image = bitmap->GetImageHandle();
  DestroyOnAnotherThread(std::move(bitmap));
  EXPECT_TRUE(ImageExists(g, image));
  g.DrawFrame([](IGraphics&) {});
  EXPECT_FALSE(ImageExists(g, image));
}

// Controls with layers, cached bitmaps, a queued framebuffer and a layer left
// pushed all go before the vector context; a new one starts afresh.
TEST_F(BindingTest, DestroyingTheDrawContextReleasesEverythingItMade) {
  for (const bool destroyGraphicsFirst : {false, true}) {
    auto g = std::make_unique<TestVectorGraphics>(delegate_, 16, 16);
    g->AttachControl(LayeredControl(IRECT(0, 0, 16, 16), kColorRed));
    g->DrawAll();
    const orvane::testing::Bytes png = orvane::testing::EncodePng(orvane::testing::TestPattern(4, 4));
    ASSERT_NE(g->LoadBitmapFromMemory("mem", png.data(), static_cast<int>(png.size()), 1), nullptr);
    ASSERT_TRUE(g->LoadFont("mono", orvane::testing::kDejaVuSansMono.c_str()));
    DestroyOnAnotherThread(g->CreateLayerBitmap(8, 8, false, 1.f, 1.f));
    g->BeginFrame();
    g->StartLayer(nullptr, IRECT(0, 0, 8, 8));
    g->EndFrame();
    if (destroyGraphicsFirst) continue;  // the graphics goes with its context

    g->DestroyDrawContext();
    EXPECT_EQ(g->GetDrawContext(), nullptr);
    EXPECT_EQ(g->NControls(), 0);
    g->Open(1.f);
    g->AttachControl(LayeredControl(IRECT(0, 0, 16, 16), kColorBlue));
    g->DrawAll();
    EXPECT_EQ(PixelAt(g->Screen(), 8, 8), kOpaqueBlue);
  }
}

// Two contexts share the process's bound-framebuffer slot and font cache.
TEST_F(BindingTest, ContextsOneAfterTheOtherAndOverlappingDrawTheirOwnFrames) {
  for (int round = 0; round < 2; ++round) {
    TestVectorGraphics red(delegate_, 16, 16);
    red.AttachControl(LayeredControl(IRECT(0, 0, 16, 16), kColorRed));
    ASSERT_TRUE(red.LoadFont("mono", orvane::testing::kDejaVuSansMono.c_str()));
    TestVectorGraphics blue(delegate_, 16, 16, 2.f);
    blue.AttachControl(LayeredControl(IRECT(0, 0, 16, 16), kColorBlue));
    ASSERT_TRUE(blue.LoadFont("mono", orvane::testing::kDejaVuSansMono.c_str()));
    for (int frame = 0; frame < 3; ++frame) {
      red.DrawAll();
      blue.DrawAll();
    }
    EXPECT_EQ(PixelAt(red.Screen(), 8, 8), kOpaqueRed);
    EXPECT_EQ(PixelAt(blue.Screen(), 20, 20), kOpaqueBlue);
  }
}

// Without a vector context (here the shader library is refused) nothing is
// drawn, made or decoded, and nothing fails.
TEST_F(BindingTest, WithoutAVectorContextFramesAndDrawingDoNothing) {
  standin::testing::SetMetalLibraryRefused(kMVCshaderLibraryName, true);
  TestVectorGraphics g(delegate_, 32, 32);
  standin::testing::SetMetalLibraryRefused(kMVCshaderLibraryName, false);
  ASSERT_EQ(g.GetDrawContext(), nullptr);
  EXPECT_EQ(g.GetMainFramebuffer(), nullptr);
  g.AttachControl(LayeredControl(IRECT(0, 0, 16, 16), kColorRed));
  g.AttachControl(new DrawingControl(IRECT(0, 0, 32, 32), [](IGraphics& d, const IRECT& r) {
    d.FillRoundRect(kColorRed, r, 4);
    d.DrawDottedLine(kColorWhite, 0, 0, 30, 30);
    d.DrawText(IText(), "text", r);
    d.DrawTextBlock(IText(), "a block", r);
    d.StartLayer(nullptr, r);
    ILayerPtr layer = d.EndLayer();
    d.ApplyLayerDropShadow(layer, IDropShadow());
  }));
  g.DrawAll();
  EXPECT_TRUE(g.Screen().empty());
  EXPECT_EQ(g.CreateLayerBitmap(8, 8, false, 1.f, 1.f), nullptr);
  EXPECT_FALSE(g.LoadFont("mono", orvane::testing::kDejaVuSansMono.c_str()));
  const orvane::testing::Bytes png = orvane::testing::EncodePng(orvane::testing::TestPattern(4, 4));
  EXPECT_FALSE(g.LoadBitmapFromData("mem", png.data(), static_cast<int>(png.size())).IsValid());
}

TEST_F(BindingTest, WithoutAMainFramebufferFramesDrawStraightOntoTheLayer) {
  TestVectorGraphics g(delegate_, 16, 16, 1.f, 1.f, false);
  g.CreateDrawContext(g.Layer());
  g.DrawFrame([](IGraphics& d) { d.FillRect(kColorRed, IRECT(0, 0, 16, 16)); });
  EXPECT_EQ(PixelAt(g.Screen(), 8, 8), kOpaqueRed);
  EXPECT_EQ(standin::testing::PresentedFrameCount(g.Layer()), 1);
}

}  // namespace
}  // namespace plugkit::testing
