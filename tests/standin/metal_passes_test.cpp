#include "metal_fixture.h"

#include <array>
#include <cmath>

namespace {

using standin::testing::Image;
using standin::testing::TextureContents;

class MetalPassesTest : public MetalTest {
protected:
  // Blits recorded by `encode`, committed and waited for.
  template <typename Encode>
  void Blit(Encode&& encode) {
    auto buffer = NS::Ref<MTL::CommandBuffer>::Adopt(queue_->commandBuffer());
    auto blit = NS::Ref<MTL::BlitCommandEncoder>::Adopt(buffer->blitCommandEncoder());
    encode(blit.get());
    blit->endEncoding();
    buffer->commit();
    buffer->waitUntilCompleted();
  }

  void Clear(MTL::Texture* color, MTLLoadAction load, MTLClearColor clearColor, MTLStoreAction store,
             MTL::Texture* stencil = nullptr, std::uint32_t clearStencil = 0) {
    auto pass = NS::Ref<MTL::RenderPassDescriptor>::Adopt(MTL::RenderPassDescriptor::renderPassDescriptor());
    MTL::RenderPassColorAttachmentDescriptor* attachment = pass->colorAttachments()->objectAtIndexedSubscript(0);
    attachment->setTexture(color);
    attachment->setLoadAction(load);
    attachment->setStoreAction(store);
    attachment->setClearColor(clearColor);
    pass->stencilAttachment()->setTexture(stencil);
    pass->stencilAttachment()->setLoadAction(MTLLoadActionClear);
    pass->stencilAttachment()->setClearStencil(clearStencil);
    RunPass(queue_.get(), pass.get());
  }

  NS::Ref<MTL::CommandQueue> queue_ = NS::Ref<MTL::CommandQueue>::Adopt(device()->newCommandQueue());
};

TEST_F(MetalPassesTest, BlitCopiesBufferRowsIntoATextureRegion) {
  auto texture = MakeTexture(MTLPixelFormatR8Unorm, 4, 3);
  // Two rows of three texels, 5 bytes apart, from offset 2.
  const std::array<std::uint8_t, 12> rows = {0, 0, 1, 2, 3, 0, 0, 4, 5, 6, 0, 0};
  auto source = NS::Ref<MTL::Buffer>::Adopt(
      device()->newBufferWithBytesLengthOptions(rows.data(), rows.size(), MTLResourceStorageModeShared));
  Blit([&](MTL::BlitCommandEncoder* blit) {
    blit->copyFromBufferSourceOffsetSourceBytesPerRowSourceBytesPerImageSourceSizeToTextureDestinationSliceDestinationLevelDestinationOrigin(
        source.get(), 2, 5, 10, MTLSizeMake(3, 2, 1), texture.get(), 0, 0, MTLOriginMake(1, 1, 0));
    blit->synchronizeResource(texture.get());
  });
  EXPECT_EQ(Level(texture.get(), 0, 1), (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 1, 2, 3, 0, 4, 5, 6}));

  EXPECT_EQ(ValidationErrorsDuring([&] {
              Blit([&](MTL::BlitCommandEncoder* blit) {
                blit->copyFromBufferSourceOffsetSourceBytesPerRowSourceBytesPerImageSourceSizeToTextureDestinationSliceDestinationLevelDestinationOrigin(
                    source.get(), 5, 5, 10, MTLSizeMake(3, 2, 1), texture.get(), 0, 0, MTLOriginMake(0, 0, 0));
              });
            }),
            1)
      << "the second row would end beyond the buffer";
  EXPECT_EQ(Level(texture.get(), 0, 1)[0], 0);
}

TEST_F(MetalPassesTest, MipmapsAverageTwoByTwoBlocksRoundingHalvesUp) {
  auto texture = MakeTexture(MTLPixelFormatRGBA8Unorm, 2, 2, true);
  const std::array<std::uint8_t, 16> texels = {10, 0, 0, 0,   11, 0, 0, 255,  //
                                               10, 1, 0, 255, 10, 1, 3, 0};
  texture->replaceRegionMipmapLevelWithBytesBytesPerRow(MTLRegionMake2D(0, 0, 2, 2), 0, texels.data(), 8);
  Blit([&](MTL::BlitCommandEncoder* blit) { blit->generateMipmapsForTexture(texture.get()); });
  // Sums 41, 2, 3, 510 over four: 10.25, 0.5, 0.75, 127.5.
  EXPECT_EQ(Level(texture.get(), 1, 4), (std::vector<std::uint8_t>{10, 1, 1, 128}));
}

TEST_F(MetalPassesTest, LoadActionsClearOrKeepTheAttachments) {
  const MTLClearColor red = MTLClearColorMake(1, 0, 0, 0.5);
  auto rgba = MakeTexture(MTLPixelFormatRGBA8Unorm, 3, 2, false, MTLTextureUsageRenderTarget);
  auto bgra = MakeTexture(MTLPixelFormatBGRA8Unorm, 3, 2, false, MTLTextureUsageRenderTarget);
  auto stencil = MakeTexture(MTLPixelFormatStencil8, 5, 4, false, MTLTextureUsageRenderTarget);
  Clear(rgba.get(), MTLLoadActionClear, red, MTLStoreActionStore);
  Clear(bgra.get(), MTLLoadActionClear, red, MTLStoreActionDontCare, stencil.get(), 7);
  EXPECT_EQ(TextureContents(rgba.get()), Image(3, 2, 255, 0, 0, 128));
  EXPECT_EQ(TextureContents(bgra.get()), Image(3, 2, 255, 0, 0, 128));
  const std::vector<std::uint8_t> inMemory = Level(bgra.get(), 0, 4);
  EXPECT_EQ(std::vector<std::uint8_t>(inMemory.begin(), inMemory.begin() + 4),
            (std::vector<std::uint8_t>{0, 0, 255, 128})) << "blue first in memory";
  EXPECT_EQ(TextureContents(stencil.get()), Image(5, 4, 7, 0, 0, 255));

  Clear(rgba.get(), MTLLoadActionClear, MTLClearColorMake(-1, 2, NAN, 0.2), MTLStoreActionStore, stencil.get(), 0);
  EXPECT_EQ(TextureContents(rgba.get()), Image(3, 2, 0, 255, 0, 51)) << "clamped, non-finite as 0";
  EXPECT_EQ(TextureContents(stencil.get()), Image(5, 4, 0, 0, 0, 255));

  const MTLClearColor blue = MTLClearColorMake(0, 0, 1, 1);
  Clear(rgba.get(), MTLLoadActionLoad, blue, MTLStoreActionStore);
  Clear(rgba.get(), MTLLoadActionDontCare, blue, MTLStoreActionDontCare);
  EXPECT_EQ(TextureContents(rgba.get()), Image(3, 2, 0, 255, 0, 51)) << "load and don't care keep the contents";
}

TEST_F(MetalPassesTest, PassesNeedRenderTargets) {
  auto sampled = MakeTexture(MTLPixelFormatRGBA8Unorm, 2, 2);
  auto colour = MakeTexture(MTLPixelFormatR8Unorm, 2, 2, false, MTLTextureUsageRenderTarget);
  auto pass = NS::Ref<MTL::RenderPassDescriptor>::Adopt(MTL::RenderPassDescriptor::renderPassDescriptor());
  auto buffer = NS::Ref<MTL::CommandBuffer>::Adopt(queue_->commandBuffer());
  const auto refused = [&](MTL::Texture* color, MTL::Texture* stencil) {
    pass->colorAttachments()->objectAtIndexedSubscript(0)->setTexture(color);
    pass->stencilAttachment()->setTexture(stencil);
    MTL::RenderCommandEncoder* encoder = nullptr;
    const long errors = ValidationErrorsDuring([&] { encoder = buffer->renderCommandEncoderWithDescriptor(pass.get()); });
    if (encoder != nullptr) encoder->release();
    return encoder == nullptr && errors == 1;
  };
  EXPECT_TRUE(refused(sampled.get(), nullptr)) << "no render-target usage";
  EXPECT_TRUE(refused(nullptr, nullptr)) << "no attachment";
  EXPECT_TRUE(refused(colour.get(), colour.get())) << "a colour texture as stencil";
  EXPECT_EQ(ValidationErrorsDuring([&] { EXPECT_FALSE(pass->colorAttachments()->objectAtIndexedSubscript(1)); }), 1);
  buffer->commit();
  buffer->waitUntilCompleted();
  EXPECT_EQ(TextureContents(sampled.get()), Image(2, 2, 0, 0, 0, 0));
}

}  // namespace
