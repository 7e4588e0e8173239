#include "metal_draw_fixture.h"

#include <cmath>
#include <random>

namespace {

using standin::testing::Image;
using standin::testing::TextureContents;

constexpr float kOneStep = 1.0f / 255.0f;

// Which pixels a test expects covered, by pixel number.
using Coverage = std::function<bool(int x, int y)>;

class MetalRasterTest : public MetalDrawTest {
protected:
  // Every pixel's red byte, counting how often additive draws covered it.
  static std::vector<int> Counts(const Image& image) {
    std::vector<int> counts;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) counts.push_back(image.pixel(x, y)[0]);
    }
    return counts;
  }

  static std::vector<int> Expected(int width, int height, const Coverage& covered) {
    std::vector<int> counts;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) counts.push_back(covered(x, y) ? 1 : 0);
    }
    return counts;
  }

  // Each pixel covered adds 1 to every byte.
  NS::Ref<MTL::RenderPipelineState> Additive() {
    PipelineOptions options;
    options.blending = true;
    options.destination = MTLBlendFactorOne;
    return Pipeline(options);
  }

  // Draws with additive 1/255 into a cleared target and returns the counts.
  std::vector<int> CountCoverage(int width, int height, const std::function<void(PassEncoder&)>& draw) {
    auto target = Target(MTLPixelFormatRGBA8Unorm, width, height);
    auto pipeline = Additive();
    Render(target.get(), nullptr, [&](PassEncoder& pass) {
      pass->setRenderPipelineState(pipeline.get());
      pass.SetColor(kOneStep, kOneStep, kOneStep, kOneStep);
      draw(pass);
    });
    return Counts(TextureContents(target.get()));
  }
};

// A square tiled three ways from one jittered grid of shared sub-pixel vertices.
TEST_F(MetalRasterTest, SharedEdgesCoverEachPixelOnce) {
  constexpr int kSize = 40;
  constexpr int kCells = 6;
  const float left = 3.3f, top = 4.6f, right = 35.7f, bottom = 36.2f;
  std::mt19937 random(7);
  std::uniform_real_distribution<float> jitter(-1.9f, 1.9f);
  std::vector<TestVertex> grid;
  for (int row = 0; row <= kCells; ++row) {
    for (int column = 0; column <= kCells; ++column) {
      float x = left + (right - left) * column / kCells;
      float y = top + (bottom - top) * row / kCells;
      if (column > 0 && column < kCells) x += jitter(random);
      if (row > 0 && row < kCells) y += jitter(random);
      grid.push_back({x, y, 0, 0});
    }
  }
  const auto at = [](int row, int column) { return static_cast<std::uint32_t>(row * (kCells + 1) + column); };
  std::vector<std::uint32_t> list;
  std::vector<std::vector<TestVertex>> strips;
  for (int row = 0; row < kCells; ++row) {
    std::vector<TestVertex>& strip = strips.emplace_back();
    for (int column = 0; column <= kCells; ++column) {
      strip.push_back(grid[at(row, column)]);
      strip.push_back(grid[at(row + 1, column)]);
      if (column == kCells) break;
      const std::uint32_t a = at(row, column), b = at(row + 1, column), c = at(row + 1, column + 1),
                          d = at(row, column + 1);
      if (random() % 2 == 0) {
        list.insert(list.end(), {a, b, c, a, c, d});
      } else {
        list.insert(list.end(), {a, b, d, b, c, d});
      }
    }
  }
  // A fan around an inner point through every boundary vertex, as an indexed list.
  std::vector<TestVertex> fanVertices = {{20.1f, 19.7f, 0, 0}};
  for (int i = 0; i < kCells; ++i) fanVertices.push_back(grid[at(0, kCells - i)]);
  for (int i = 0; i < kCells; ++i) fanVertices.push_back(grid[at(i, 0)]);
  for (int i = 0; i < kCells; ++i) fanVertices.push_back(grid[at(kCells, i)]);
  for (int i = 0; i < kCells; ++i) fanVertices.push_back(grid[at(kCells - i, kCells)]);
  std::vector<std::uint32_t> fan;
  for (std::uint32_t i = 1; i < fanVertices.size(); ++i) {
    fan.insert(fan.end(), {0, i, i + 1 == fanVertices.size() ? 1 : i + 1});
  }

  const auto inside = [&](int x, int y) {
    return x + 0.5 > left && x + 0.5 < right && y + 0.5 > top && y + 0.5 < bottom;
  };
  const std::vector<int> expected = Expected(kSize, kSize, inside);
  EXPECT_EQ(CountCoverage(kSize, kSize, [&](PassEncoder& pass) { pass.DrawIndexed(grid, list); }), expected) << "list";
  EXPECT_EQ(CountCoverage(kSize, kSize, [&](PassEncoder& pass) { pass.DrawIndexed(fanVertices, fan); }), expected)
      << "fan";
  EXPECT_EQ(CountCoverage(kSize, kSize,
                          [&](PassEncoder& pass) {
                            for (const auto& strip : strips) pass.Draw(strip, MTLPrimitiveTypeTriangleStrip);
                          }),
            expected)
      << "strips";
}

TEST_F(MetalRasterTest, EdgesThroughPixelCentresBelongToTopAndLeft) {
  struct Case {
    const char* what;
    std::vector<TestVertex> vertices;
    Coverage covered;
  };
  const Case cases[] = {
      {"square split along one diagonal", Quad(2.5f, 2.5f, 10.5f, 10.5f),
       [](int x, int y) { return x >= 2 && x < 10 && y >= 2 && y < 10; }},
      {"square split along the other",
       {{2.5f, 2.5f, 0, 0},
        {2.5f, 10.5f, 0, 0},
        {10.5f, 2.5f, 0, 0},
        {2.5f, 10.5f, 0, 0},
        {10.5f, 10.5f, 0, 0},
        {10.5f, 2.5f, 0, 0}},
       [](int x, int y) { return x >= 2 && x < 10 && y >= 2 && y < 10; }},
      {"hypotenuse is a right edge",
       {{2.5f, 2.5f, 0, 0}, {2.5f, 10.5f, 0, 0}, {10.5f, 2.5f, 0, 0}},
       [](int x, int y) { return x >= 2 && y >= 2 && x + y < 12; }},
      {"hypotenuse is a left edge",
       {{10.5f, 2.5f, 0, 0}, {2.5f, 10.5f, 0, 0}, {10.5f, 10.5f, 0, 0}},
       [](int x, int y) { return x < 10 && y < 10 && x + y >= 12; }},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CountCoverage(12, 12, [&](PassEncoder& pass) { pass.Draw(c.vertices); }), Expected(12, 12, c.covered))
        << c.what;
  }
}

TEST_F(MetalRasterTest, FacingDecidesCulling) {
  const std::vector<TestVertex> counterClockwise = {{1, 1, 0, 0}, {1, 7, 0, 0}, {7, 7, 0, 0}};
  const std::vector<TestVertex> clockwise = {{1, 1, 0, 0}, {7, 7, 0, 0}, {1, 7, 0, 0}};
  struct Case {
    MTLCullMode cull;
    MTLWinding front;
    bool counterClockwiseDrawn;
    bool clockwiseDrawn;
  };
  const Case cases[] = {
      {MTLCullModeNone, MTLWindingCounterClockwise, true, true},
      {MTLCullModeBack, MTLWindingCounterClockwise, true, false},
      {MTLCullModeFront, MTLWindingCounterClockwise, false, true},
      {MTLCullModeBack, MTLWindingClockwise, false, true},
      {MTLCullModeFront, MTLWindingClockwise, true, false},
  };
  for (const Case& c : cases) {
    for (const bool ccw : {true, false}) {
      const std::vector<int> counts = CountCoverage(8, 8, [&](PassEncoder& pass) {
        pass->setCullMode(c.cull);
        pass->setFrontFacingWinding(c.front);
        pass.Draw(ccw ? counterClockwise : clockwise);
      });
      const bool drawn = counts[5 * 8 + 2] == 1;
      EXPECT_EQ(drawn, ccw ? c.counterClockwiseDrawn : c.clockwiseDrawn)
          << "cull " << c.cull << ", front winding " << c.front << (ccw ? ", counter-clockwise" : ", clockwise");
    }
  }
}

TEST_F(MetalRasterTest, StripsKeepTheirWindingOnEveryTriangle) {
  std::vector<TestVertex> strip;
  for (int i = 0; i <= 5; ++i) {
    strip.push_back({1.0f + 3.0f * i, 1.0f, 0, 0});
    strip.push_back({1.0f + 3.0f * i, 7.0f, 0, 0});
  }
  std::vector<TestVertex> mirror = strip;
  for (TestVertex& vertex : mirror) vertex.x = 18.0f - vertex.x;
  const auto drawn = [&](const std::vector<TestVertex>& vertices) {
    return CountCoverage(18, 8, [&](PassEncoder& pass) {
      pass->setCullMode(MTLCullModeBack);
      pass->setFrontFacingWinding(MTLWindingCounterClockwise);
      pass.Draw(vertices, MTLPrimitiveTypeTriangleStrip);
    });
  };
  EXPECT_EQ(drawn(strip), Expected(18, 8, [](int x, int y) { return x >= 1 && x < 16 && y >= 1 && y < 7; }));
  EXPECT_EQ(drawn(mirror), Expected(18, 8, [](int, int) { return false; }));
}

TEST_F(MetalRasterTest, HugeGeometryDrawsExactlyItsVisiblePart) {
  // At 1e6 points and a ratio of 2 the cover quad reaches 2e6 pixels, beyond the guard band.
  constexpr float kFar = 2e6f;
  EXPECT_EQ(CountCoverage(24, 16, [&](PassEncoder& pass) { pass.Draw(Quad(-kFar, -kFar, kFar, kFar)); }),
            Expected(24, 16, [](int, int) { return true; }));
  // The long edge runs from (0, 10) to (1e9, 0): rows 0 to 9 lie below it for a width of 24 pixels.
  EXPECT_EQ(CountCoverage(24, 16,
                          [&](PassEncoder& pass) {
                            pass.Draw({{0, 0, 0, 0}, {0, 10, 0, 0}, {1e9f, 0, 0, 0}});
                          }),
            Expected(24, 16, [](int, int y) { return y < 10; }));
}

TEST_F(MetalRasterTest, NonFiniteVerticesDropTheirTriangles) {
  std::vector<TestVertex> vertices = Quad(0, 0, 8, 8);
  vertices[0].x = NAN;
  EXPECT_EQ(CountCoverage(8, 8, [&](PassEncoder& pass) { pass.Draw(vertices); }),
            Expected(8, 8, [](int x, int y) { return x >= y; }))
      << "the triangle below the diagonal is dropped";
  vertices[0].x = INFINITY;
  EXPECT_EQ(CountCoverage(8, 8, [&](PassEncoder& pass) { pass.Draw(vertices); }),
            Expected(8, 8, [](int x, int y) { return x >= y; }));
}

TEST_F(MetalRasterTest, RefusedDrawsDrawNothing) {
  auto target = Target(MTLPixelFormatRGBA8Unorm, 4, 4);
  auto stencil = Target(MTLPixelFormatStencil8, 4, 4);
  auto pipeline = Pipeline();
  auto bgraPipeline = Pipeline({.color = MTLPixelFormatBGRA8Unorm});
  auto stencilPipeline = Pipeline({.stencil = MTLPixelFormatStencil8});
  auto wPipeline = Pipeline({.vertex = "wVertex"});
  const std::vector<TestVertex> quad = Quad(0, 0, 4, 4);
  struct Case {
    const char* what;
    MTL::Texture* stencil;
    std::function<void(PassEncoder&)> draw;
    long errors;
  };
  const Case cases[] = {
      {"no pipeline", nullptr, [&](PassEncoder& pass) { pass.Draw(quad); }, 1},
      {"colour format", nullptr,
       [&](PassEncoder& pass) {
         pass->setRenderPipelineState(bgraPipeline.get());
         pass.Draw(quad);
       },
       1},
      {"stencil format", stencil.get(),
       [&](PassEncoder& pass) {
         pass->setRenderPipelineState(pipeline.get());
         pass.Draw(quad);
       },
       1},
      {"vertices beyond the buffer", nullptr,
       [&](PassEncoder& pass) {
         pass->setRenderPipelineState(pipeline.get());
         pass->setVertexBufferOffsetAtIndex(pass.Bytes(quad.data(), sizeof(TestVertex) * quad.size()), 0, 0);
         pass->drawPrimitivesVertexStartVertexCount(MTLPrimitiveTypeTriangle, 4, 3);
       },
       1},
      {"an index beyond the vertices", nullptr,
       [&](PassEncoder& pass) {
         pass->setRenderPipelineState(pipeline.get());
         pass.DrawIndexed(quad, {0, 1, 6});
       },
       1},
      {"indices beyond their buffer", nullptr,
       [&](PassEncoder& pass) {
         pass->setRenderPipelineState(pipeline.get());
         const std::uint32_t indices[] = {0, 1, 2};
         pass->setVertexBufferOffsetAtIndex(pass.Bytes(quad.data(), sizeof(TestVertex) * quad.size()), 0, 0);
         pass->drawIndexedPrimitivesIndexCountIndexTypeIndexBufferIndexBufferOffset(
             MTLPrimitiveTypeTriangle, 3, MTLIndexTypeUInt32, pass.Bytes(indices, sizeof indices), 4);
       },
       1},
      {"w other than 1", nullptr,
       [&](PassEncoder& pass) {
         pass->setRenderPipelineState(wPipeline.get());
         pass.Draw({{0, 0, 1, 0}, {0, 4, 1, 0}, {4, 4, 2, 0}});
       },
       1},
      {"no uniforms for the fragment function", nullptr,
       [&](PassEncoder& pass) {
         pass->setRenderPipelineState(pipeline.get());
         pass->setFragmentBufferOffsetAtIndex(pass.Bytes(quad.data(), 8), 0, 0);
         pass.Draw(quad);
       },
       1},
      {"zero vertices, no buffers", nullptr,
       [&](PassEncoder& pass) {
         pass->drawPrimitivesVertexStartVertexCount(MTLPrimitiveTypeTriangle, 0, 0);
         pass->setRenderPipelineState(pipeline.get());
         pass->setVertexBufferOffsetAtIndex(nullptr, 0, 0);
         pass->drawPrimitivesVertexStartVertexCount(MTLPrimitiveTypeTriangle, 0, 0);
         pass->drawIndexedPrimitivesIndexCountIndexTypeIndexBufferIndexBufferOffset(MTLPrimitiveTypeTriangle, 0,
                                                                                    MTLIndexTypeUInt32, nullptr, 0);
       },
       0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ValidationErrorsDuring([&] { Render(target.get(), c.stencil, c.draw); }), c.errors) << c.what;
    EXPECT_EQ(TextureContents(target.get()), Image(4, 4, 0, 0, 0, 0)) << c.what;
    EXPECT_EQ(standin::testing::LastRenderPassStatistics().draws, 0) << c.what;
  }
}

}  // namespace
