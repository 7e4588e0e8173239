#include "metal_draw_fixture.h"

#include <QuartzCore/QuartzCore.h>

#include <array>

namespace {

using standin::testing::Image;
using standin::testing::TextureContents;

using Texel = std::array<std::uint8_t, 4>;

// The texture lookup the rasteriser plans and the span helper a shader calls sample alike.
constexpr const char* kSamplingShaders[] = {"textureColor", "sampledColor"};

class MetalSamplingTest : public MetalDrawTest {
protected:
  NS::Ref<MTL::SamplerState> Sampler(MTLSamplerMinMagFilter filter, MTLSamplerAddressMode address,
                                     MTLSamplerMipFilter mip = MTLSamplerMipFilterNotMipmapped) {
    auto descriptor = NS::Ref<MTL::SamplerDescriptor>::Adopt(MTL::SamplerDescriptor::alloc()->init());
    descriptor->setMinFilter(filter);
    descriptor->setMagFilter(filter);
    descriptor->setMipFilter(mip);
    descriptor->setSAddressMode(address);
    descriptor->setTAddressMode(address);
    return NS::Ref<MTL::SamplerState>::Adopt(device()->newSamplerStateWithDescriptor(descriptor.get()));
  }

  // Draws the texture through the shader over the whole target, u (and v) running
  // from `from` to `to` across it, and reads the target back.
  Image Sample(const char* shader, MTL::Texture* texture, MTL::SamplerState* sampler, int width, int height,
               std::array<float, 2> from, std::array<float, 2> to,
               standin::metal::TexelConversion conversion = standin::metal::TexelConversion::kAsIs) {
    auto target = Target(MTLPixelFormatRGBA8Unorm, width, height);
    auto pipeline = Pipeline({.fragment = shader});
    metal_test::TestUniforms uniforms;
    uniforms.conversion = static_cast<std::int32_t>(conversion);
    Render(target.get(), nullptr, [&](PassEncoder& pass) {
      pass->setRenderPipelineState(pipeline.get());
      pass->setFragmentTextureAtIndex(texture, 0);
      pass->setFragmentSamplerStateAtIndex(sampler, 0);
      pass.SetUniforms(uniforms);
      pass.Draw(Quad(0, 0, static_cast<float>(width), static_cast<float>(height), from[0], from[1], to[0], to[1]));
    });
    return TextureContents(target.get());
  }

  static std::vector<int> Reds(const Image& image) {
    std::vector<int> reds;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) reds.push_back(image.pixel(x, y)[0]);
    }
    return reds;
  }

  // A w x 1 (or, down the column, 1 x w) R8 texture of the given texels.
  NS::Ref<MTL::Texture> R8(const std::vector<std::uint8_t>& texels, bool column = false) {
    const NS::UInteger n = texels.size();
    auto texture = MakeTexture(MTLPixelFormatR8Unorm, column ? 1 : n, column ? n : 1);
    texture->replaceRegionMipmapLevelWithBytesBytesPerRow(MTLRegionMake2D(0, 0, texture->width(), texture->height()), 0,
                                                          texels.data(), texture->width());
    return texture;
  }
};

TEST_F(MetalSamplingTest, FiltersAndAddressModesPickTheirTaps) {
  const std::vector<std::uint8_t> texels = {0, 100, 200, 255};
  struct Case {
    const char* what;
    MTLSamplerMinMagFilter filter;
    MTLSamplerAddressMode address;
    int pixels;
    float from, to;
    std::vector<int> reds;
  };
  constexpr auto kNearest = MTLSamplerMinMagFilterNearest;
  constexpr auto kLinear = MTLSamplerMinMagFilterLinear;
  constexpr auto kClamp = MTLSamplerAddressModeClampToEdge;
  constexpr auto kRepeat = MTLSamplerAddressModeRepeat;
  const Case cases[] = {
      {"nearest at texel centres", kNearest, kClamp, 4, 0.0f, 1.0f, {0, 100, 200, 255}},
      {"linear at texel centres", kLinear, kClamp, 4, 0.0f, 1.0f, {0, 100, 200, 255}},
      {"nearest at quarters", kNearest, kClamp, 8, 0.0f, 1.0f, {0, 0, 100, 100, 200, 200, 255, 255}},
      {"linear at quarters, clamped", kLinear, kClamp, 8, 0.0f, 1.0f, {0, 25, 75, 125, 175, 214, 241, 255}},
      {"linear at quarters, repeated", kLinear, kRepeat, 8, 0.0f, 1.0f, {64, 25, 75, 125, 175, 214, 241, 191}},
      {"nearest clamped on the left", kNearest, kClamp, 6, -0.5f, 1.0f, {0, 0, 0, 100, 200, 255}},
      {"nearest repeated on the left", kNearest, kRepeat, 6, -0.5f, 1.0f, {200, 255, 0, 100, 200, 255}},
      {"nearest clamped on the right", kNearest, kClamp, 6, 0.5f, 2.0f, {200, 255, 255, 255, 255, 255}},
      {"nearest repeated on the right", kNearest, kRepeat, 6, 0.5f, 2.0f, {200, 255, 0, 100, 200, 255}},
  };
  auto row = R8(texels);
  auto column = R8(texels, true);
  for (const char* shader : kSamplingShaders) {
    for (const Case& c : cases) {
      auto sampler = Sampler(c.filter, c.address);
      EXPECT_EQ(Reds(Sample(shader, row.get(), sampler.get(), c.pixels, 1, {c.from, 0.5f}, {c.to, 0.5f})), c.reds)
          << shader << ": " << c.what;
      EXPECT_EQ(Reds(Sample(shader, column.get(), sampler.get(), 1, c.pixels, {0.5f, c.from}, {0.5f, c.to})), c.reds)
          << shader << ": " << c.what << ", down the column";
    }
  }
}

TEST_F(MetalSamplingTest, FormatsAndConversionsGiveTheirColours) {
  using standin::metal::TexelConversion;
  auto rgba = MakeTexture(MTLPixelFormatRGBA8Unorm, 2, 1);
  auto bgra = MakeTexture(MTLPixelFormatBGRA8Unorm, 2, 1);
  const std::array<std::uint8_t, 8> rgbaTexels = {200, 0, 0, 255, 0, 0, 100, 128};
  const std::array<std::uint8_t, 8> bgraTexels = {0, 0, 200, 255, 100, 0, 0, 128};
  rgba->replaceRegionMipmapLevelWithBytesBytesPerRow(MTLRegionMake2D(0, 0, 2, 1), 0, rgbaTexels.data(), 8);
  bgra->replaceRegionMipmapLevelWithBytesBytesPerRow(MTLRegionMake2D(0, 0, 2, 1), 0, bgraTexels.data(), 8);
  auto r8 = R8({0, 100, 200, 255});
  struct Case {
    const char* what;
    MTL::Texture* texture;
    int pixels;
    TexelConversion conversion;
    std::vector<Texel> colors;
  };
  const Case cases[] = {
      {"RGBA8 at quarters",
       rgba.get(),
       4,
       TexelConversion::kAsIs,
       {{200, 0, 0, 255}, {150, 0, 25, 223}, {50, 0, 75, 160}, {0, 0, 100, 128}}},
      {"BGRA8 at quarters",
       bgra.get(),
       4,
       TexelConversion::kAsIs,
       {{200, 0, 0, 255}, {150, 0, 25, 223}, {50, 0, 75, 160}, {0, 0, 100, 128}}},
      {"premultiplied", rgba.get(), 2, TexelConversion::kPremultiply, {{200, 0, 0, 255}, {0, 0, 50, 128}}},
      {"R8",
       r8.get(),
       4,
       TexelConversion::kAsIs,
       {{0, 0, 0, 255}, {100, 0, 0, 255}, {200, 0, 0, 255}, {255, 0, 0, 255}}},
      {"R8 to all channels",
       r8.get(),
       4,
       TexelConversion::kRedToAll,
       {{0, 0, 0, 0}, {100, 100, 100, 100}, {200, 200, 200, 200}, {255, 255, 255, 255}}},
      {"no texture", nullptr, 2, TexelConversion::kAsIs, {{0, 0, 0, 0}, {0, 0, 0, 0}}},
  };
  auto sampler = Sampler(MTLSamplerMinMagFilterLinear, MTLSamplerAddressModeClampToEdge);
  for (const char* shader : kSamplingShaders) {
    for (const Case& c : cases) {
      // The shaded helper samples as stored; conversions are the planned lookup's.
      if (shader == kSamplingShaders[1] && c.conversion != TexelConversion::kAsIs) continue;
      const Image image = Sample(shader, c.texture, sampler.get(), c.pixels, 1, {0, 0.5f}, {1, 0.5f}, c.conversion);
      for (int x = 0; x < c.pixels; ++x) {
        const std::uint8_t* pixel = image.pixel(x, 0);
        EXPECT_EQ((Texel{pixel[0], pixel[1], pixel[2], pixel[3]}), c.colors[x])
            << shader << ": " << c.what << " at " << x;
      }
    }
  }
}

// A 4 x 4 texture whose levels hold 10, 100 and 200, drawn into squares of several sizes.
TEST_F(MetalSamplingTest, MipmapLevelsFollowTheFootprint) {
  auto texture = MakeTexture(MTLPixelFormatRGBA8Unorm, 4, 4, true);
  const std::uint8_t levelValues[] = {10, 100, 200};
  for (NS::UInteger level = 0; level < 3; ++level) {
    const NS::UInteger side = 4 >> level;
    const std::vector<std::uint8_t> bytes(side * side * 4, levelValues[level]);
    texture->replaceRegionMipmapLevelWithBytesBytesPerRow(MTLRegionMake2D(0, 0, side, side), level, bytes.data(),
                                                          side * 4);
  }
  struct Case {
    int pixels;
    MTLSamplerMipFilter mip;
    int red;
  };
  const Case cases[] = {
      {8, MTLSamplerMipFilterNearest, 10},      {8, MTLSamplerMipFilterLinear, 10},   // magnified
      {3, MTLSamplerMipFilterNearest, 10},      {3, MTLSamplerMipFilterLinear, 47},   // lambda 0.415
      {2, MTLSamplerMipFilterNearest, 100},     {2, MTLSamplerMipFilterLinear, 100},  // lambda 1
      {1, MTLSamplerMipFilterNearest, 200},     {1, MTLSamplerMipFilterLinear, 200},  // lambda 2
      {1, MTLSamplerMipFilterNotMipmapped, 10},
  };
  for (const char* shader : kSamplingShaders) {
    for (const Case& c : cases) {
      auto sampler = Sampler(MTLSamplerMinMagFilterLinear, MTLSamplerAddressModeClampToEdge, c.mip);
      const Image image = Sample(shader, texture.get(), sampler.get(), c.pixels, c.pixels, {0, 0}, {1, 1});
      EXPECT_EQ(image, Image(c.pixels, c.pixels, c.red, c.red, c.red, c.red))
          << shader << ": " << c.pixels << " pixels, mip filter " << c.mip;
    }
  }
}

TEST_F(MetalSamplingTest, FramebufferOnlyTexturesReadAsNil) {
  auto layer = NS::Ref<CA::MetalLayer>::Adopt(CA::MetalLayer::layer());
  layer->setDevice(device());
  layer->setDrawableSize(NS::Size{2, 1});
  auto drawable = NS::Ref<CA::MetalDrawable>::Adopt(layer->nextDrawable());
  ASSERT_TRUE(drawable);
  auto sampler = Sampler(MTLSamplerMinMagFilterNearest, MTLSamplerAddressModeClampToEdge);
  for (const char* shader : kSamplingShaders) {
    Image image;
    EXPECT_EQ(ValidationErrorsDuring([&] {
                image = Sample(shader, drawable->texture(), sampler.get(), 2, 1, {0, 0}, {1, 1});
              }),
              1);
    EXPECT_EQ(image, Image(2, 1, 0, 0, 0, 0)) << shader;
  }
}

}  // namespace
