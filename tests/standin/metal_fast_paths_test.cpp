#include "metal_draw_fixture.h"

#include <random>

namespace {

using standin::testing::Image;
using standin::testing::RenderPassStatistics;
using standin::testing::ScopedMetalFastPaths;
using standin::testing::TextureContents;

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr int kTextureSide = 32;
// Of each format's pipelines: "textureColor" under source-over.
constexpr std::size_t kTextureOverPipeline = 4 * 4 + 1;

class MetalFastPathsTest : public MetalDrawTest {
protected:
  void SetUp() override {
    MetalDrawTest::SetUp();
    const char* shaders[] = {"constantColor", "coverageColor", "gradientColor",
                             "discardColor",  "textureColor",  "sampledColor"};
    const std::pair<MTLBlendFactor, MTLBlendFactor> blends[] = {
        {MTLBlendFactorOne, MTLBlendFactorZero},
        {MTLBlendFactorOne, MTLBlendFactorOneMinusSourceAlpha},
        {MTLBlendFactorOne, MTLBlendFactorOne},
        {MTLBlendFactorSourceAlphaSaturated, MTLBlendFactorOneMinusDestinationColor}};
    for (const MTLPixelFormat format : {MTLPixelFormatRGBA8Unorm, MTLPixelFormatBGRA8Unorm}) {
      for (const char* shader : shaders) {
        for (const auto& [source, destination] : blends) {
          pipelines_.push_back(Pipeline({.fragment = shader,
                                         .color = format,
                                         .stencil = MTLPixelFormatStencil8,
                                         .blending = source != MTLBlendFactorOne || destination != MTLBlendFactorZero,
                                         .source = source,
                                         .destination = destination}));
        }
      }
      pipelines_.push_back(Pipeline({.fragment = "gradientColor",
                                     .color = format,
                                     .stencil = MTLPixelFormatStencil8,
                                     .writeMask = MTLColorWriteMaskRed | MTLColorWriteMaskAlpha}));
      stencilOnly_.push_back(Pipeline({.fragment = nullptr,
                                       .color = format,
                                       .stencil = MTLPixelFormatStencil8,
                                       .writeMask = MTLColorWriteMaskNone}));
    }
    const MTL::StencilSettings increment{MTLCompareFunctionAlways, MTLStencilOperationKeep, MTLStencilOperationKeep,
                                         MTLStencilOperationIncrementWrap};
    const MTL::StencilSettings decrement{MTLCompareFunctionAlways, MTLStencilOperationKeep, MTLStencilOperationKeep,
                                         MTLStencilOperationDecrementWrap};
    const MTL::StencilSettings inside{MTLCompareFunctionNotEqual, MTLStencilOperationZero, MTLStencilOperationKeep,
                                      MTLStencilOperationZero};
    const MTL::StencilSettings outside{MTLCompareFunctionEqual, MTLStencilOperationKeep, MTLStencilOperationKeep,
                                       MTLStencilOperationKeep};
    stencilStates_ = {nullptr, StencilState(&increment, &decrement), StencilState(&inside, nullptr),
                      StencilState(&outside, &outside)};
    for (const auto filter : {MTLSamplerMinMagFilterNearest, MTLSamplerMinMagFilterLinear}) {
      auto descriptor = NS::Ref<MTL::SamplerDescriptor>::Adopt(MTL::SamplerDescriptor::alloc()->init());
      descriptor->setMinFilter(filter);
      descriptor->setMagFilter(filter);
      samplers_.push_back(NS::Ref<MTL::SamplerState>::Adopt(device()->newSamplerStateWithDescriptor(descriptor.get())));
    }
  }

  void TearDown() override {
    pipelines_.clear();
    stencilOnly_.clear();
    stencilStates_.clear();
    samplers_.clear();
    MetalDrawTest::TearDown();
  }

  struct Frame {
    Image color;
    Image stencil;
  };

  // A random scene of `seed`: targets and texture of random bytes, then random draws.
  Frame Scene(unsigned seed, MTLPixelFormat format) {
    std::mt19937 random(seed);
    const auto bytes = [&](std::size_t count) {
      std::vector<std::uint8_t> values(count);
      for (auto& value : values) {
        const unsigned pick = random() % 4;
        value = pick == 0 ? 0 : pick == 1 ? 255 : static_cast<std::uint8_t>(random());
      }
      return values;
    };
    auto color = Target(format, kWidth, kHeight);
    auto stencil = Target(MTLPixelFormatStencil8, kWidth, kHeight);
    auto texture = MakeTexture(MTLPixelFormatRGBA8Unorm, kTextureSide, kTextureSide);
    auto coverage = MakeTexture(MTLPixelFormatR8Unorm, kTextureSide, kTextureSide);
    const auto fill = [&](MTL::Texture* t, std::size_t bytesPerTexel) {
      const std::vector<std::uint8_t> values = bytes(t->width() * t->height() * bytesPerTexel);
      t->replaceRegionMipmapLevelWithBytesBytesPerRow(MTLRegionMake2D(0, 0, t->width(), t->height()), 0, values.data(),
                                                      t->width() * bytesPerTexel);
    };
    fill(color.get(), 4);
    fill(stencil.get(), 1);
    fill(texture.get(), 4);
    fill(coverage.get(), 1);
    std::uniform_real_distribution<float> along(-8.0f, kWidth + 8.0f);
    std::uniform_real_distribution<float> unit(-0.2f, 1.2f);
    const auto colour = [&](float& value) {
      const unsigned pick = random() % 5;
      value = pick == 0 ? 0.0f : pick == 1 ? 1.0f : unit(random);
    };
    const int firstPipeline = format == MTLPixelFormatRGBA8Unorm ? 0 : static_cast<int>(pipelines_.size() / 2);
    Render(color.get(), stencil.get(), [&](PassEncoder& pass) {
      for (int draw = 0; draw < 40; ++draw) {
        pass->setFragmentTextureAtIndex(random() % 3 == 0 ? coverage.get() : texture.get(), 0);
        const unsigned kind = random() % 8;
        const bool stencilOnly = kind == 0;
        // Half the texel-aligned quads copy the texture under source-over.
        const bool copy = kind >= 1 && kind <= 3 && random() % 2 == 0;
        const std::size_t pipeline = copy ? kTextureOverPipeline : random() % (pipelines_.size() / 2);
        pass->setRenderPipelineState(stencilOnly ? stencilOnly_[firstPipeline == 0 ? 0 : 1].get()
                                                 : pipelines_[firstPipeline + pipeline].get());
        pass->setDepthStencilState(stencilOnly ? stencilStates_[1].get() : stencilStates_[random() % 4].get());
        pass->setCullMode(random() % 3);
        pass->setFragmentSamplerStateAtIndex(samplers_[random() % 2].get(), 0);
        metal_test::TestUniforms uniforms;
        for (float& channel : uniforms.color) colour(channel);
        uniforms.threshold = unit(random);
        uniforms.conversion = random() % 2 == 0 ? 0 : static_cast<std::int32_t>(random() % 3);
        uniforms.coverageFromV = random() % 3 == 0 ? 1 : 0;
        if (random() % 2 == 0) std::fill_n(uniforms.color, 4, 1.0f);
        pass.SetUniforms(uniforms);
        std::vector<TestVertex> vertices;
        if (kind <= 3) {  // texel-aligned quads, sometimes half a texel off
          const float x = static_cast<float>(random() % kWidth) - 4.0f;
          const float y = static_cast<float>(random() % kHeight) - 4.0f;
          const float w = static_cast<float>(1 + random() % 24);
          const float h = static_cast<float>(1 + random() % 24);
          const float u = static_cast<float>(random() % 12) - 4.0f + (random() % 4 == 0 ? 0.5f : 0.0f);
          const float v = static_cast<float>(random() % 8);
          vertices = Quad(x, y, x + w, y + h, u / kTextureSide, v / kTextureSide, (u + w) / kTextureSide,
                          (v + h) / kTextureSide);
        } else {
          // Coverage from u: exactly 0 or 1 over a whole draw, or varying.
          const unsigned coverage = random() % 3;
          for (int i = 0; i < 3 * (1 + static_cast<int>(random() % 4)); ++i) {
            const float u = coverage == 2 ? unit(random) : static_cast<float>(coverage);
            vertices.push_back({along(random), along(random), u, unit(random)});
          }
        }
        pass.Draw(vertices, kind == 7 ? MTLPrimitiveTypeTriangleStrip : MTLPrimitiveTypeTriangle);
      }
    });
    return {TextureContents(color.get()), TextureContents(stencil.get())};
  }

  std::vector<NS::Ref<MTL::RenderPipelineState>> pipelines_;
  std::vector<NS::Ref<MTL::RenderPipelineState>> stencilOnly_;
  std::vector<NS::Ref<MTL::DepthStencilState>> stencilStates_;
  std::vector<NS::Ref<MTL::SamplerState>> samplers_;
};

TEST_F(MetalFastPathsTest, RandomScenesStoreTheSameBytesEitherWay) {
  for (unsigned seed = 1; seed <= 24; ++seed) {
    const MTLPixelFormat format = seed % 2 == 0 ? MTLPixelFormatRGBA8Unorm : MTLPixelFormatBGRA8Unorm;
    Frame fast;
    Frame general;
    {
      const ScopedMetalFastPaths on(true);
      fast = Scene(seed, format);
    }
    {
      const ScopedMetalFastPaths off(false);
      general = Scene(seed, format);
    }
    EXPECT_TRUE(fast.color == general.color) << "seed " << seed;
    EXPECT_TRUE(fast.stencil == general.stencil) << "seed " << seed;
  }
}

// Counts of a pass: an opaque quad, a culled triangle, a refused and an empty
// draw, a stencil-only quad and a cover quad where the stencil is set.
TEST_F(MetalFastPathsTest, PassesCountWhatTheyDid) {
  auto color = Target(MTLPixelFormatRGBA8Unorm, 16, 16);
  auto stencil = Target(MTLPixelFormatStencil8, 16, 16);
  auto paint = Pipeline({.stencil = MTLPixelFormatStencil8});
  auto mark = Pipeline({.fragment = nullptr, .stencil = MTLPixelFormatStencil8, .writeMask = MTLColorWriteMaskNone});
  const MTL::StencilSettings increment{MTLCompareFunctionAlways, MTLStencilOperationKeep, MTLStencilOperationKeep,
                                       MTLStencilOperationIncrementClamp};
  const MTL::StencilSettings inside{MTLCompareFunctionNotEqual, MTLStencilOperationZero, MTLStencilOperationKeep,
                                    MTLStencilOperationZero};
  auto marking = StencilState(&increment, &increment);
  auto covering = StencilState(&inside, nullptr);
  const auto render = [&] {
    Render(color.get(), stencil.get(), [&](PassEncoder& pass) {
      pass->setRenderPipelineState(paint.get());
      pass->setCullMode(MTLCullModeBack);
      pass->setFrontFacingWinding(MTLWindingCounterClockwise);
      pass.Draw(Quad(0, 0, 8, 8));
      pass.Draw({{0, 0, 0, 0}, {8, 8, 0, 0}, {0, 8, 0, 0}});
      pass->setFragmentBufferOffsetAtIndex(pass.Bytes("short", 5), 0, 0);
      pass.Draw(Quad(0, 0, 8, 8));
      pass->drawPrimitivesVertexStartVertexCount(MTLPrimitiveTypeTriangle, 0, 0);
      pass->setRenderPipelineState(mark.get());
      pass->setDepthStencilState(marking.get());
      pass.Draw(Quad(0, 0, 4, 4));
      pass->setRenderPipelineState(paint.get());
      pass->setDepthStencilState(covering.get());
      pass.SetColor(1, 0, 0, 1);
      pass.Draw(Quad(0, 0, 16, 16));
    });
  };
  EXPECT_EQ(ValidationErrorsDuring(render), 1);
  EXPECT_EQ(standin::testing::LastRenderPassStatistics(), (RenderPassStatistics{4, 6, 64 + 16, 64 + 16}));
  const ScopedMetalFastPaths off(false);
  EXPECT_EQ(ValidationErrorsDuring(render), 1);
  EXPECT_EQ(standin::testing::LastRenderPassStatistics(), (RenderPassStatistics{4, 6, 64 + 256, 64 + 16}))
      << "without the stencil test first, the whole cover quad is shaded";
}

}  // namespace
