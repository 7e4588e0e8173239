#include "metal_draw_fixture.h"
#include "support/test_paths.h"

#include <standin/testing/images.h>

#include <array>
#include <cmath>
#include <numbers>

namespace {

using standin::testing::Image;
using standin::testing::TextureContents;

using Texel = std::array<std::uint8_t, 4>;

class MetalFragmentsTest : public MetalDrawTest {
protected:
  // The texels of a w x 1 texture as stored, one byte each when stored bytes are one per texel.
  static std::vector<std::uint8_t> Stored(MTL::Texture* texture) {
    return Level(texture, 0, texture->pixelFormat() == MTLPixelFormatStencil8 ? 1 : 4);
  }

  static void SetStored(MTL::Texture* texture, const std::vector<std::uint8_t>& bytes) {
    texture->replaceRegionMipmapLevelWithBytesBytesPerRow(MTLRegionMake2D(0, 0, texture->width(), texture->height()), 0,
                                                          bytes.data(), bytes.size() / texture->height());
  }

  static MTL::StencilSettings Stencil(MTLCompareFunction compare, MTLStencilOperation fail, MTLStencilOperation pass,
                                      std::uint32_t readMask = 0xFF, std::uint32_t writeMask = 0xFF) {
    MTL::StencilSettings settings;
    settings.stencilCompareFunction = compare;
    settings.stencilFailureOperation = fail;
    settings.depthStencilPassOperation = pass;
    settings.readMask = readMask;
    settings.writeMask = writeMask;
    return settings;
  }
};

TEST_F(MetalFragmentsTest, StencilComparesUnderTheReadMask) {
  const std::vector<std::uint8_t> stored = {0x05, 0x15, 0x04, 0x16, 0xF0};  // 5, 5, 4, 6, 0 under the mask
  struct Case {
    MTLCompareFunction compare;
    std::vector<bool> passes;  // reference 5 compared with each stored value
  };
  const Case cases[] = {
      {MTLCompareFunctionNever, {false, false, false, false, false}},
      {MTLCompareFunctionLess, {false, false, false, true, false}},
      {MTLCompareFunctionEqual, {true, true, false, false, false}},
      {MTLCompareFunctionLessEqual, {true, true, false, true, false}},
      {MTLCompareFunctionGreater, {false, false, true, false, true}},
      {MTLCompareFunctionNotEqual, {false, false, true, true, true}},
      {MTLCompareFunctionGreaterEqual, {true, true, true, false, true}},
      {MTLCompareFunctionAlways, {true, true, true, true, true}},
  };
  auto pipeline = Pipeline({.stencil = MTLPixelFormatStencil8});
  for (const Case& c : cases) {
    auto color = Target(MTLPixelFormatRGBA8Unorm, 5, 1);
    auto stencil = Target(MTLPixelFormatStencil8, 5, 1);
    SetStored(stencil.get(), stored);
    const MTL::StencilSettings settings = Stencil(c.compare, MTLStencilOperationKeep, MTLStencilOperationKeep, 0x0F);
    auto state = StencilState(&settings, &settings);
    Render(color.get(), stencil.get(), [&](PassEncoder& pass) {
      pass->setRenderPipelineState(pipeline.get());
      pass->setDepthStencilState(state.get());
      pass->setStencilReferenceValue(0x25);
      pass.Draw(Quad(0, 0, 5, 1));
    });
    const Image image = TextureContents(color.get());
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(image.pixel(x, 0)[0] == 255, c.passes[x]) << "compare " << c.compare << " at " << x;
    EXPECT_EQ(Stored(stencil.get()), stored);
  }
}

TEST_F(MetalFragmentsTest, StencilOperationsWriteUnderTheWriteMask) {
  const std::vector<std::uint8_t> stored = {0x00, 0x01, 0x7F, 0xFE, 0xFF};
  struct Case {
    MTLStencilOperation operation;
    std::vector<std::uint8_t> result;  // reference 0x5A, write mask 0x0F
  };
  const Case cases[] = {
      {MTLStencilOperationKeep, {0x00, 0x01, 0x7F, 0xFE, 0xFF}},
      {MTLStencilOperationZero, {0x00, 0x00, 0x70, 0xF0, 0xF0}},
      {MTLStencilOperationReplace, {0x0A, 0x0A, 0x7A, 0xFA, 0xFA}},
      {MTLStencilOperationIncrementClamp, {0x01, 0x02, 0x70, 0xFF, 0xFF}},
      {MTLStencilOperationDecrementClamp, {0x00, 0x00, 0x7E, 0xFD, 0xFE}},
      {MTLStencilOperationInvert, {0x0F, 0x0E, 0x70, 0xF1, 0xF0}},
      {MTLStencilOperationIncrementWrap, {0x01, 0x02, 0x70, 0xFF, 0xF0}},
      {MTLStencilOperationDecrementWrap, {0x0F, 0x00, 0x7E, 0xFD, 0xFE}},
  };
  auto pipeline =
      Pipeline({.fragment = nullptr, .stencil = MTLPixelFormatStencil8, .writeMask = MTLColorWriteMaskNone});
  for (const Case& c : cases) {
    // Once as the pass operation of a test that always passes, once as the failure operation of one that never does.
    const MTL::StencilSettings onPass =
        Stencil(MTLCompareFunctionAlways, MTLStencilOperationKeep, c.operation, 0xFF, 0x0F);
    const MTL::StencilSettings onFail =
        Stencil(MTLCompareFunctionNever, c.operation, MTLStencilOperationKeep, 0xFF, 0x0F);
    for (const MTL::StencilSettings* settings : {&onPass, &onFail}) {
      auto color = Target(MTLPixelFormatRGBA8Unorm, 5, 1);
      auto stencil = Target(MTLPixelFormatStencil8, 5, 1);
      SetStored(stencil.get(), stored);
      auto state = StencilState(settings, settings);
      Render(color.get(), stencil.get(), [&](PassEncoder& pass) {
        pass->setRenderPipelineState(pipeline.get());
        pass->setDepthStencilState(state.get());
        pass->setStencilReferenceValue(0x5A);
        pass.Draw(Quad(0, 0, 5, 1));
      });
      EXPECT_EQ(Stored(stencil.get()), c.result) << "operation " << c.operation;
      EXPECT_EQ(TextureContents(color.get()), Image(5, 1, 0, 0, 0, 0)) << "a stencil-only pipeline writes no colour";
    }
  }
}

// A pentagram (its middle covered twice) with a clockwise square hole in its top point.
TEST_F(MetalFragmentsTest, StencilWindingFillsNonZeroRegions) {
  constexpr int kSize = 32;
  std::vector<std::vector<std::array<double, 2>>> contours(2);
  for (int k = 0; k < 5; ++k) {
    const double angle = (-90.0 - 144.0 * k) * std::numbers::pi / 180.0;
    contours[0].push_back({16.0 + 14.0 * std::cos(angle), 16.4 + 14.0 * std::sin(angle)});
  }
  contours[1] = {{15.1, 7.1}, {16.9, 7.1}, {16.9, 8.9}, {15.1, 8.9}};
  std::vector<TestVertex> fans;
  for (const auto& contour : contours) {
    for (std::size_t i = 1; i + 1 < contour.size(); ++i) {
      for (const auto& point : {contour[0], contour[i], contour[i + 1]}) {
        fans.push_back({static_cast<float>(point[0]), static_cast<float>(point[1]), 0, 0});
      }
    }
  }
  const auto winding = [&](double x, double y) {
    int total = 0;
    for (const auto& contour : contours) {
      for (std::size_t i = 0; i < contour.size(); ++i) {
        const auto& a = contour[i];
        const auto& b = contour[(i + 1) % contour.size()];
        const double side = (b[0] - a[0]) * (y - a[1]) - (x - a[0]) * (b[1] - a[1]);
        if (a[1] <= y && b[1] > y && side > 0) ++total;
        if (a[1] > y && b[1] <= y && side < 0) --total;
      }
    }
    return total;
  };

  auto color = Target(MTLPixelFormatRGBA8Unorm, kSize, kSize);
  FillTexture(color.get(), {0, 0, 0, 255});
  auto stencil = Target(MTLPixelFormatStencil8, kSize, kSize);
  auto countWinding =
      Pipeline({.fragment = nullptr, .stencil = MTLPixelFormatStencil8, .writeMask = MTLColorWriteMaskNone});
  auto cover = Pipeline({.stencil = MTLPixelFormatStencil8});
  const MTL::StencilSettings front =
      Stencil(MTLCompareFunctionAlways, MTLStencilOperationKeep, MTLStencilOperationIncrementWrap);
  const MTL::StencilSettings back =
      Stencil(MTLCompareFunctionAlways, MTLStencilOperationKeep, MTLStencilOperationDecrementWrap);
  const MTL::StencilSettings inside =
      Stencil(MTLCompareFunctionNotEqual, MTLStencilOperationZero, MTLStencilOperationZero);
  auto windingState = StencilState(&front, &back);
  auto coverState = StencilState(&inside, nullptr);
  Render(color.get(), stencil.get(), [&](PassEncoder& pass) {
    pass->setRenderPipelineState(countWinding.get());
    pass->setDepthStencilState(windingState.get());
    pass->setCullMode(MTLCullModeNone);
    pass.Draw(fans);
    pass->setRenderPipelineState(cover.get());
    pass->setDepthStencilState(coverState.get());
    pass->setCullMode(MTLCullModeBack);
    pass->setFrontFacingWinding(MTLWindingCounterClockwise);
    pass.Draw(Quad(0, 0, kSize, kSize));
  });

  const Image image = TextureContents(color.get());
  EXPECT_EQ(std::abs(winding(16.5, 16.5)), 2) << "the middle is covered twice";
  EXPECT_EQ(winding(16.0, 8.0), 0) << "the hole";
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      EXPECT_EQ(image.pixel(x, y)[0], winding(x + 0.5, y + 0.5) != 0 ? 255 : 0) << x << ", " << y;
    }
  }
  EXPECT_EQ(TextureContents(stencil.get()), Image(kSize, kSize, 0, 0, 0, 255)) << "the cover reset the stencil";
  const auto result = standin::testing::CheckGolden(image, std::string(ORVANE_GOLDEN_DIR) + "/standin/stencil_star.png");
  EXPECT_TRUE(result.passed) << result.message;
}

// Source (0.8, 0.3, 0.55, 0.6) over two destinations, against the formulas in double.
TEST_F(MetalFragmentsTest, EveryPairOfBlendFactorsMatchesItsFormula) {
  const std::array<double, 4> source = {0.8, 0.3, 0.55, 0.6};
  const std::vector<std::uint8_t> destinations = {40, 200, 120, 180, 250, 10, 90, 60};
  const auto factor = [&](MTLBlendFactor f, int channel, const double* d) {
    const bool alpha = channel == 3;
    switch (f) {
      case MTLBlendFactorZero:
        return 0.0;
      case MTLBlendFactorOne:
        return 1.0;
      case MTLBlendFactorSourceColor:
        return source[channel];
      case MTLBlendFactorOneMinusSourceColor:
        return 1.0 - source[channel];
      case MTLBlendFactorSourceAlpha:
        return source[3];
      case MTLBlendFactorOneMinusSourceAlpha:
        return 1.0 - source[3];
      case MTLBlendFactorDestinationColor:
        return d[channel];
      case MTLBlendFactorOneMinusDestinationColor:
        return 1.0 - d[channel];
      case MTLBlendFactorDestinationAlpha:
        return d[3];
      case MTLBlendFactorOneMinusDestinationAlpha:
        return 1.0 - d[3];
      default:
        return alpha ? 1.0 : std::min(source[3], 1.0 - d[3]);
    }
  };
  auto target = Target(MTLPixelFormatRGBA8Unorm, 2, 1);
  for (MTLBlendFactor s = MTLBlendFactorZero; s <= MTLBlendFactorSourceAlphaSaturated; ++s) {
    for (MTLBlendFactor d = MTLBlendFactorZero; d <= MTLBlendFactorSourceAlphaSaturated; ++d) {
      auto pipeline = Pipeline({.blending = true, .source = s, .destination = d});
      SetStored(target.get(), destinations);
      Render(target.get(), nullptr, [&](PassEncoder& pass) {
        pass->setRenderPipelineState(pipeline.get());
        pass.SetColor(0.8f, 0.3f, 0.55f, 0.6f);
        pass.Draw(Quad(0, 0, 2, 1));
      });
      const std::vector<std::uint8_t> result = Stored(target.get());
      for (int pixel = 0; pixel < 2; ++pixel) {
        double dst[4];
        for (int c = 0; c < 4; ++c) dst[c] = destinations[pixel * 4 + c] / 255.0;
        for (int c = 0; c < 4; ++c) {
          const double value = std::clamp(source[c] * factor(s, c, dst) + dst[c] * factor(d, c, dst), 0.0, 1.0);
          EXPECT_NEAR(result[pixel * 4 + c], value * 255.0, 1.0) << "factors " << s << ", " << d << " channel " << c;
        }
      }
    }
  }
}

TEST_F(MetalFragmentsTest, ColoursAreQuantisedMaskedAndOrderedAsStored) {
  struct Case {
    MTLPixelFormat format;
    MTLColorWriteMask mask;
    std::array<float, 4> color;
    Texel rgba;  // as TextureContents reads it, over a destination of (10, 20, 30, 40)
  };
  const float tiny = 1.0f / 512.0f;
  const Case cases[] = {
      {MTLPixelFormatRGBA8Unorm, MTLColorWriteMaskAll, {0.5f, 0.25f, tiny, 2 * tiny}, {128, 64, 0, 1}},
      {MTLPixelFormatRGBA8Unorm, MTLColorWriteMaskAll, {NAN, INFINITY, -0.5f, 0.75f}, {0, 255, 0, 191}},
      {MTLPixelFormatBGRA8Unorm, MTLColorWriteMaskAll, {1.0f, 0.5f, 0.0f, 0.25f}, {255, 128, 0, 64}},
      {MTLPixelFormatRGBA8Unorm, MTLColorWriteMaskRed, {1, 1, 1, 1}, {255, 20, 30, 40}},
      {MTLPixelFormatBGRA8Unorm, MTLColorWriteMaskRed, {1, 1, 1, 1}, {255, 20, 30, 40}},
      {MTLPixelFormatBGRA8Unorm, MTLColorWriteMaskGreen | MTLColorWriteMaskAlpha, {1, 1, 1, 1}, {10, 255, 30, 255}},
      {MTLPixelFormatRGBA8Unorm, MTLColorWriteMaskBlue, {1, 1, 1, 1}, {10, 20, 255, 40}},
      {MTLPixelFormatRGBA8Unorm, MTLColorWriteMaskNone, {1, 1, 1, 1}, {10, 20, 30, 40}},
  };
  for (const Case& c : cases) {
    for (const char* fragment : {"constantColor", "gradientColor"}) {
      auto target = Target(c.format, 1, 1);
      FillTexture(target.get(), c.format == MTLPixelFormatBGRA8Unorm
                                    ? std::initializer_list<std::uint8_t>{30, 20, 10, 40}
                                    : std::initializer_list<std::uint8_t>{10, 20, 30, 40});
      auto pipeline = Pipeline({.fragment = fragment, .color = c.format, .writeMask = c.mask});
      Render(target.get(), nullptr, [&](PassEncoder& pass) {
        pass->setRenderPipelineState(pipeline.get());
        pass.SetColor(c.color[0], c.color[1], c.color[2], c.color[3]);
        pass.Draw(Quad(0, 0, 1, 1, 1, 0, 1, 1));  // u is 1: the gradient is the colour
      });
      const Image image = TextureContents(target.get());
      const std::uint8_t* pixel = image.pixel(0, 0);
      EXPECT_EQ((Texel{pixel[0], pixel[1], pixel[2], pixel[3]}), c.rgba)
          << fragment << " format " << c.format << " mask " << c.mask << " colour " << c.color[0];
    }
  }
  auto bgra = Target(MTLPixelFormatBGRA8Unorm, 1, 1);
  auto pipeline = Pipeline({.color = MTLPixelFormatBGRA8Unorm});
  Render(bgra.get(), nullptr, [&](PassEncoder& pass) {
    pass->setRenderPipelineState(pipeline.get());
    pass.SetColor(1.0f, 0.5f, 0.0f, 0.25f);
    pass.Draw(Quad(0, 0, 1, 1));
  });
  EXPECT_EQ(Stored(bgra.get()), (std::vector<std::uint8_t>{0, 128, 255, 64})) << "blue first in memory";
}

TEST_F(MetalFragmentsTest, DiscardedFragmentsChangeNothing) {
  auto color = Target(MTLPixelFormatRGBA8Unorm, 8, 1);
  auto stencil = Target(MTLPixelFormatStencil8, 8, 1);
  auto pipeline = Pipeline({.fragment = "discardColor", .stencil = MTLPixelFormatStencil8});
  const MTL::StencilSettings count =
      Stencil(MTLCompareFunctionAlways, MTLStencilOperationKeep, MTLStencilOperationIncrementClamp);
  auto state = StencilState(&count, &count);
  metal_test::TestUniforms uniforms;
  uniforms.threshold = 0.5f;
  Render(color.get(), stencil.get(), [&](PassEncoder& pass) {
    pass->setRenderPipelineState(pipeline.get());
    pass->setDepthStencilState(state.get());
    pass.SetUniforms(uniforms);
    pass.Draw(Quad(0, 0, 8, 1));  // u at pixel centres: 1/16, 3/16, ... 15/16
  });
  const std::vector<std::uint8_t> stored = Stored(color.get());
  for (int x = 0; x < 8; ++x) {
    const std::uint8_t expected = x < 4 ? 0 : static_cast<std::uint8_t>(std::floor((x + 0.5) / 8.0 * 255.0 + 0.5));
    EXPECT_EQ(stored[x * 4], expected) << x;
    EXPECT_EQ(Stored(stencil.get())[x], x < 4 ? 0 : 1) << x;
  }
}

TEST_F(MetalFragmentsTest, NonFiniteShaderOutputStoresZero) {
  for (const bool blending : {false, true}) {
    auto target = Target(MTLPixelFormatRGBA8Unorm, 2, 2);
    FillTexture(target.get(), {100, 100, 100, 100});
    auto pipeline = Pipeline({.fragment = "gradientColor",
                              .blending = blending,
                              .destination = blending ? MTLBlendFactorOneMinusSourceAlpha : MTLBlendFactorZero});
    Render(target.get(), nullptr, [&](PassEncoder& pass) {
      pass->setRenderPipelineState(pipeline.get());
      pass.SetColor(NAN, NAN, NAN, NAN);
      pass.Draw(Quad(0, 0, 2, 2));
    });
    EXPECT_EQ(TextureContents(target.get()), Image(2, 2, 0, 0, 0, 0)) << (blending ? "blended" : "stored");
  }
}

}  // namespace
