#include "metal_fixture.h"

#include <QuartzCore/QuartzCore.h>

#include <array>
#include <cstring>
#include <functional>
#include <numeric>

namespace {

using MetalResourcesTest = MetalTest;

TEST_F(MetalResourcesTest, BuffersHoldTheirBytesAtAStablePointer) {
  const std::array<std::uint8_t, 5> bytes = {1, 2, 3, 4, 5};
  auto copied = NS::Ref<MTL::Buffer>::Adopt(
      device()->newBufferWithBytesLengthOptions(bytes.data(), bytes.size(), MTLResourceCPUCacheModeWriteCombined));
  auto zeroed = NS::Ref<MTL::Buffer>::Adopt(device()->newBufferWithLengthOptions(64, MTLResourceStorageModeShared));
  auto hidden = NS::Ref<MTL::Buffer>::Adopt(device()->newBufferWithLengthOptions(8, MTLResourceStorageModePrivate));
  ASSERT_TRUE(copied && zeroed && hidden);

  EXPECT_EQ(copied->length(), 5u);
  EXPECT_EQ(std::memcmp(copied->contents(), bytes.data(), bytes.size()), 0);
  EXPECT_EQ(copied->cpuCacheMode(), MTLCPUCacheModeWriteCombined);
  EXPECT_EQ(zeroed->length(), 64u);
  EXPECT_EQ(zeroed->contents(), zeroed->contents());
  const auto* zeros = static_cast<const std::uint8_t*>(zeroed->contents());
  EXPECT_TRUE(std::all_of(zeros, zeros + 64, [](std::uint8_t b) { return b == 0; }));
  EXPECT_EQ(hidden->contents(), nullptr);
  EXPECT_EQ(hidden->storageMode(), MTLStorageModePrivate);
}

TEST_F(MetalResourcesTest, RegionsRoundTripOnEveryLevelWithPaddedRows) {
  struct Case {
    MTLPixelFormat format;
    NS::UInteger bytesPerTexel;
  };
  for (const Case& c : {Case{MTLPixelFormatR8Unorm, 1}, Case{MTLPixelFormatRGBA8Unorm, 4},
                        Case{MTLPixelFormatBGRA8Unorm, 4}}) {
    auto texture = MakeTexture(c.format, 7, 5, true);
    ASSERT_TRUE(texture);
    ASSERT_EQ(texture->mipmapLevelCount(), 3u);  // 7 x 5, 3 x 2, 1 x 1
    for (NS::UInteger level = 0; level < texture->mipmapLevelCount(); ++level) {
      SCOPED_TRACE(testing::Message() << "format " << c.format << ", level " << level);
      const NS::UInteger width = std::max<NS::UInteger>(1, 7 >> level);
      const NS::UInteger height = std::max<NS::UInteger>(1, 5 >> level);
      // All but the first column when there is more than one.
      const NS::UInteger x = width > 1 ? 1 : 0;
      const MTLRegion region = MTLRegionMake2D(x, 0, width - x, height);
      const NS::UInteger rowBytes = region.size.width * c.bytesPerTexel;
      std::vector<std::uint8_t> written((rowBytes + 3) * height);
      std::iota(written.begin(), written.end(), std::uint8_t{1});
      texture->replaceRegionMipmapLevelWithBytesBytesPerRow(region, level, written.data(), rowBytes + 3);

      std::vector<std::uint8_t> read((rowBytes + 5) * height, 0xEE);
      texture->getBytesBytesPerRowFromRegionMipmapLevel(read.data(), rowBytes + 5, region, level);
      for (NS::UInteger row = 0; row < height; ++row) {
        EXPECT_EQ(std::memcmp(&read[row * (rowBytes + 5)], &written[row * (rowBytes + 3)], rowBytes), 0);
        EXPECT_EQ(read[row * (rowBytes + 5) + rowBytes], 0xEE) << "padding written";
      }
      const std::vector<std::uint8_t> whole = Level(texture.get(), level, c.bytesPerTexel);
      for (NS::UInteger row = 0; row < height && x == 1; ++row) {
        for (NS::UInteger b = 0; b < c.bytesPerTexel; ++b) EXPECT_EQ(whole[row * width * c.bytesPerTexel + b], 0);
      }
    }
  }
}

TEST_F(MetalResourcesTest, RefusedRequestsAreCountedAndChangeNothing) {
  auto texture = MakeTexture(MTLPixelFormatRGBA8Unorm, 4, 4);
  auto descriptor = NS::Ref<MTL::TextureDescriptor>::Adopt(
      MTL::TextureDescriptor::texture2DDescriptorWithPixelFormatWidthHeightMipmapped(MTLPixelFormatRGBA8Unorm, 4, 4,
                                                                                      false));
  descriptor->setStorageMode(MTLStorageModePrivate);
  auto hidden = NS::Ref<MTL::Texture>::Adopt(device()->newTextureWithDescriptor(descriptor.get()));
  auto layer = NS::Ref<CA::MetalLayer>::Adopt(CA::MetalLayer::layer());
  layer->setDevice(device());
  layer->setDrawableSize(NS::Size{4, 4});
  auto drawable = NS::Ref<CA::MetalDrawable>::Adopt(layer->nextDrawable());
  ASSERT_TRUE(texture && hidden && drawable);

  std::vector<std::uint8_t> bytes(64, 0xAB);
  const auto replace = [&](MTL::Texture* target, MTLRegion region) {
    return [&, target, region] {
      target->replaceRegionMipmapLevelWithBytesBytesPerRow(region, 0, bytes.data(), 16);
    };
  };
  const auto read = [&](MTL::Texture* source, MTLRegion region) {
    return [&, source, region] { source->getBytesBytesPerRowFromRegionMipmapLevel(bytes.data(), 16, region, 0); };
  };
  const auto make = [&](MTLPixelFormat format, NS::UInteger width, NS::UInteger height, bool mipmapped) {
    return [&, format, width, height, mipmapped] { EXPECT_FALSE(MakeTexture(format, width, height, mipmapped)); };
  };
  const auto privateByDefault = [&] {
    standin::testing::SetDefaultTextureStorageMode(MTLStorageModePrivate);
    auto texture = MakeTexture(MTLPixelFormatRGBA8Unorm, 4, 4);
    standin::testing::SetDefaultTextureStorageMode(MTLStorageModeManaged);
    texture->getBytesBytesPerRowFromRegionMipmapLevel(bytes.data(), 16, MTLRegionMake2D(0, 0, 1, 1), 0);
  };
  const std::pair<const char*, std::function<void()>> refusals[] = {
      {"region beyond the right edge", replace(texture.get(), MTLRegionMake2D(3, 0, 2, 1))},
      {"region beyond the bottom", read(texture.get(), MTLRegionMake2D(0, 2, 1, 3))},
      {"level beyond the last", [&] { texture->replaceRegionMipmapLevelWithBytesBytesPerRow(
                                          MTLRegionMake2D(0, 0, 1, 1), 1, bytes.data(), 16); }},
      {"row stride shorter than a row", [&] { texture->replaceRegionMipmapLevelWithBytesBytesPerRow(
                                                  MTLRegionMake2D(0, 0, 4, 1), 0, bytes.data(), 15); }},
      {"private texture", replace(hidden.get(), MTLRegionMake2D(0, 0, 1, 1))},
      {"private by the testing switch", privateByDefault},
      {"framebuffer-only texture", read(drawable->texture(), MTLRegionMake2D(0, 0, 1, 1))},
      {"side 16385", make(MTLPixelFormatRGBA8Unorm, 16385, 4, false)},
      {"side 0", make(MTLPixelFormatR8Unorm, 0, 4, false)},
      {"mipmapped stencil", make(MTLPixelFormatStencil8, 4, 4, true)},
      {"unsupported format", make(MTLPixelFormatInvalid, 4, 4, false)},
  };
  for (const auto& [name, refusal] : refusals) {
    EXPECT_EQ(ValidationErrorsDuring(refusal), 1) << name;
    EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0xAB; })) << name;
    const std::vector<std::uint8_t> contents = Level(texture.get(), 0, 4);
    EXPECT_TRUE(std::all_of(contents.begin(), contents.end(), [](std::uint8_t b) { return b == 0; })) << name;
  }
  EXPECT_TRUE(MakeTexture(MTLPixelFormatR8Unorm, 16384, 1)) << "the largest side is allowed";
}

TEST_F(MetalResourcesTest, StatesKeepTheirDescriptorsSettings) {
  auto samplerDescriptor = NS::Ref<MTL::SamplerDescriptor>::Adopt(MTL::SamplerDescriptor::alloc()->init());
  EXPECT_EQ(samplerDescriptor->settings(), MTL::SamplerSettings{});
  EXPECT_EQ(samplerDescriptor->minFilter(), MTLSamplerMinMagFilterNearest);
  EXPECT_EQ(samplerDescriptor->mipFilter(), MTLSamplerMipFilterNotMipmapped);
  EXPECT_EQ(samplerDescriptor->sAddressMode(), MTLSamplerAddressModeClampToEdge);
  samplerDescriptor->setMinFilter(MTLSamplerMinMagFilterLinear);
  samplerDescriptor->setMagFilter(MTLSamplerMinMagFilterLinear);
  samplerDescriptor->setMipFilter(MTLSamplerMipFilterNearest);
  samplerDescriptor->setTAddressMode(MTLSamplerAddressModeRepeat);
  auto sampler = NS::Ref<MTL::SamplerState>::Adopt(device()->newSamplerStateWithDescriptor(samplerDescriptor.get()));
  EXPECT_EQ(sampler->settings(), samplerDescriptor->settings());

  auto plain = NS::Ref<MTL::DepthStencilDescriptor>::Adopt(MTL::DepthStencilDescriptor::alloc()->init());
  auto untested = NS::Ref<MTL::DepthStencilState>::Adopt(device()->newDepthStencilStateWithDescriptor(plain.get()));
  EXPECT_FALSE(untested->settings().frontFaceStencil || untested->settings().backFaceStencil);

  auto face = NS::Ref<MTL::StencilDescriptor>::Adopt(MTL::StencilDescriptor::alloc()->init());
  face->setStencilCompareFunction(MTLCompareFunctionNotEqual);
  face->setStencilFailureOperation(MTLStencilOperationZero);
  face->setDepthStencilPassOperation(MTLStencilOperationDecrementWrap);
  auto described = NS::Ref<MTL::DepthStencilDescriptor>::Adopt(MTL::DepthStencilDescriptor::alloc()->init());
  described->setFrontFaceStencil(face.get());
  face->setStencilCompareFunction(MTLCompareFunctionNever);  // the descriptor kept a copy
  auto state = NS::Ref<MTL::DepthStencilState>::Adopt(device()->newDepthStencilStateWithDescriptor(described.get()));
  EXPECT_EQ(state->settings(), described->settings());
  ASSERT_TRUE(state->settings().frontFaceStencil);
  const MTL::StencilSettings front = *state->settings().frontFaceStencil;
  EXPECT_EQ(front.stencilCompareFunction, MTLCompareFunctionNotEqual);
  EXPECT_EQ(front.stencilFailureOperation, MTLStencilOperationZero);
  EXPECT_EQ(front.depthStencilPassOperation, MTLStencilOperationDecrementWrap);
  EXPECT_EQ(front.readMask, 0xFFu);
  EXPECT_EQ(front.writeMask, 0xFFu);
  EXPECT_FALSE(state->settings().backFaceStencil);
}

TEST_F(MetalResourcesTest, ErrorsDescribeThemselves) {
  const void* keys[] = {NSLocalizedDescriptionKey};
  const void* values[] = {CFSTR("no library named x")};
  CFDictionaryRef userInfo =
      CFDictionaryCreate(nullptr, keys, values, 1, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  auto described = NS::Ref<NS::Error>::Adopt(NS::Error::alloc()->initWithDomainCodeUserInfo(CFSTR("L"), 2, userInfo));
  auto bare = NS::Ref<NS::Error>::Adopt(NS::Error::alloc()->initWithDomainCodeUserInfo(CFSTR("L"), 3, nullptr));
  CFRelease(userInfo);
  char text[80];
  ASSERT_TRUE(CFStringGetCString(described->localizedDescription(), text, sizeof text, kCFStringEncodingUTF8));
  EXPECT_STREQ(text, "no library named x");
  ASSERT_TRUE(CFStringGetCString(bare->localizedDescription(), text, sizeof text, kCFStringEncodingUTF8));
  EXPECT_STREQ(text, "The operation could not be completed. (L error 3.)");
  EXPECT_EQ(bare->code(), 3);
}

}  // namespace
