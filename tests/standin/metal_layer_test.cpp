#include "metal_fixture.h"
#include "temp_folder.h"

#include <QuartzCore/QuartzCore.h>

#include <cstdlib>
#include <optional>

namespace {

using standin::testing::Image;

class MetalLayerTest : public MetalTest {
protected:
  // The layer and its drawables' textures live within the counted part of the test.
  void SetUp() override {
    MetalTest::SetUp();
    layer_ = NS::Ref<CA::MetalLayer>::Adopt(CA::MetalLayer::layer());
    layer_->setDevice(device());
    standin::testing::SetDrawableWaitSeconds(0.05);
  }
  void TearDown() override {
    standin::testing::SetDrawableWaitSeconds(CA::kDrawableWaitSeconds);
    layer_.reset();
    MetalTest::TearDown();
  }

  NS::Ref<CA::MetalDrawable> Next() { return NS::Ref<CA::MetalDrawable>::Adopt(layer_->nextDrawable()); }

  NS::Ref<CA::MetalLayer> layer_;
  NS::Ref<MTL::CommandQueue> queue_ = NS::Ref<MTL::CommandQueue>::Adopt(device()->newCommandQueue());
};

TEST_F(MetalLayerTest, DrawableSizeFollowsTheFrameUntilSet) {
  EXPECT_EQ(layer_->pixelFormat(), MTLPixelFormatBGRA8Unorm);
  EXPECT_TRUE(layer_->framebufferOnly());
  EXPECT_FALSE(layer_->presentsWithTransaction());
  EXPECT_FALSE(Next()) << "an empty frame has no drawable";

  layer_->setFrame(NS::MakeRect(10, 20, 100.6, 50.3));
  layer_->setContentsScale(2.0);
  EXPECT_EQ(layer_->drawableSize(), (NS::Size{201, 100}));
  layer_->setDrawableSize(NS::Size{64, 32});
  layer_->setFrame(NS::MakeRect(0, 0, 10, 10));
  EXPECT_EQ(layer_->drawableSize(), (NS::Size{64, 32}));
  const auto drawable = Next();
  ASSERT_TRUE(drawable);
  EXPECT_EQ(drawable->texture()->width(), 64u);
  EXPECT_EQ(drawable->texture()->pixelFormat(), MTLPixelFormatBGRA8Unorm);
  EXPECT_TRUE(drawable->texture()->framebufferOnly());
  EXPECT_EQ(drawable->layer(), layer_.get());
  layer_->setDrawableSize(NS::Size{0, 32});
  EXPECT_FALSE(Next());
}

TEST_F(MetalLayerTest, ThreeDrawablesAtOnceThenNoneUntilOneComesBack) {
  layer_->setDrawableSize(NS::Size{4, 4});
  auto first = Next();
  const auto second = Next();
  const auto third = Next();
  ASSERT_TRUE(first && second && third);
  EXPECT_FALSE(Next()) << "all three held";
  MTL::Texture* const texture = first->texture();
  first.reset();
  const auto again = Next();
  ASSERT_TRUE(again);
  EXPECT_EQ(again->texture(), texture);
}

TEST_F(MetalLayerTest, TheFrontImageStaysOutOfThePoolUntilReplaced) {
  layer_->setDrawableSize(NS::Size{4, 4});
  auto shown = Next();
  MTL::Texture* const shownTexture = shown->texture();
  shown->present();
  shown.reset();
  auto second = Next();
  const auto third = Next();
  ASSERT_TRUE(second && third);
  EXPECT_FALSE(Next()) << "the released drawable is still the front image";
  second->present();
  EXPECT_EQ(standin::testing::PresentedFrameCount(layer_.get()), 2);
  const auto reused = Next();
  ASSERT_TRUE(reused);
  EXPECT_EQ(reused->texture(), shownTexture);
}

TEST_F(MetalLayerTest, APresentedClearBecomesTheFrontImage) {
  TempFolder folder;
  layer_->setFrame(NS::MakeRect(0, 0, 3, 2));
  std::optional<Image> presented;
  standin::testing::SetPresenter([&](CA::MetalLayer* layer, const Image& image) {
    EXPECT_EQ(layer, layer_.get());
    presented = image;
  });
  {
    const auto drawable = Next();
    auto pass = NS::Ref<MTL::RenderPassDescriptor>::Adopt(MTL::RenderPassDescriptor::renderPassDescriptor());
    pass->colorAttachments()->objectAtIndexedSubscript(0)->setTexture(drawable->texture());
    pass->colorAttachments()->objectAtIndexedSubscript(0)->setLoadAction(MTLLoadActionClear);
    pass->colorAttachments()->objectAtIndexedSubscript(0)->setClearColor(MTLClearColorMake(0.2, 0.4, 0.6, 1));
    auto buffer = NS::Ref<MTL::CommandBuffer>::Adopt(queue_->commandBuffer());
    auto encoder = NS::Ref<MTL::RenderCommandEncoder>::Adopt(buffer->renderCommandEncoderWithDescriptor(pass.get()));
    encoder->endEncoding();
    buffer->presentDrawable(drawable.get());
    EXPECT_TRUE(standin::testing::LayerFrontImage(layer_.get()).empty());
    buffer->commit();
    buffer->waitUntilCompleted();
  }
  standin::testing::SetPresenter(nullptr);
  const Image expected(3, 2, 51, 102, 153, 255);
  const Image front = standin::testing::LayerFrontImage(layer_.get());
  EXPECT_EQ(front, expected);
  EXPECT_EQ(presented, expected);
  ASSERT_TRUE(standin::testing::WritePng(front, folder.path() / "front.png"));
  EXPECT_EQ(standin::testing::ReadPng(folder.path() / "front.png"), expected);
}

// Sets or clears the regeneration switch for a scope.
class ScopedRegeneration {
public:
  explicit ScopedRegeneration(bool on) {
    if (const char* value = std::getenv(kVariable)) previous_ = value;
    if (on) {
      setenv(kVariable, "1", 1);
    } else {
      unsetenv(kVariable);
    }
  }
  ~ScopedRegeneration() {
    if (previous_) {
      setenv(kVariable, previous_->c_str(), 1);
    } else {
      unsetenv(kVariable);
    }
  }

private:
  static constexpr const char* kVariable = "ORVANE_REGENERATE_GOLDENS";
  std::optional<std::string> previous_;
};

TEST_F(MetalLayerTest, GoldenCheckWritesComparesAndExplains) {
  TempFolder folder;
  const std::filesystem::path golden = folder.path() / "golden" / "square.png";
  const Image image(4, 3, 10, 20, 30, 255);
  {
    const ScopedRegeneration off(false);
    const auto missing = standin::testing::CheckGolden(image, golden, {}, folder.path());
    EXPECT_FALSE(missing.passed);
    EXPECT_NE(missing.message.find(golden.string()), std::string::npos) << missing.message;
  }
  {
    const ScopedRegeneration on(true);
    EXPECT_TRUE(standin::testing::CheckGolden(image, golden).passed);
    EXPECT_EQ(standin::testing::ReadPng(golden), image);
  }
  const ScopedRegeneration off(false);
  EXPECT_TRUE(standin::testing::CheckGolden(image, golden, {}, folder.path()).passed);

  Image changed = image;
  changed.pixel(1, 2)[0] = 13;
  changed.pixel(2, 0)[1] = 40;
  EXPECT_TRUE(standin::testing::CheckGolden(changed, golden, {.channel = 3, .pixels = 1}, folder.path()).passed);
  const auto mismatch = standin::testing::CheckGolden(changed, golden, {.channel = 2}, folder.path());
  EXPECT_FALSE(mismatch.passed);
  const std::filesystem::path actual = folder.path() / "square.actual.png";
  const std::filesystem::path difference = folder.path() / "square.diff.png";
  EXPECT_NE(mismatch.message.find(actual.string()), std::string::npos) << mismatch.message;
  EXPECT_NE(mismatch.message.find(difference.string()), std::string::npos) << mismatch.message;
  EXPECT_EQ(standin::testing::ReadPng(actual), changed);
  const std::optional<Image> marked = standin::testing::ReadPng(difference);
  ASSERT_TRUE(marked);
  EXPECT_EQ(marked->pixel(1, 2)[1], 0) << "red: beyond the tolerance";
  EXPECT_EQ(marked->pixel(2, 0)[1], 0);
  EXPECT_EQ(marked->pixel(0, 0)[0], marked->pixel(0, 0)[1]) << "grey: equal";
}

}  // namespace
