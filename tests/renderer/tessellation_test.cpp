#include "graphics/renderer/tessellation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "graphics/renderer/color.h"
#include "graphics/renderer/paint.h"
#include "graphics/renderer/path.h"
#include "graphics/renderer/transform.h"
#include "tests/support/renderer/core_context.h"

namespace orvane::testing {
namespace {

using ::testing::ElementsAreArray;

constexpr float kVertexTol = 1e-4f;

struct Vertex {
  float x, y, u, v;
};

void ExpectVertices(const std::vector<VCvertex>& actual, const std::vector<Vertex>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(actual[i].x, expected[i].x, kVertexTol);
    EXPECT_NEAR(actual[i].y, expected[i].y, kVertexTol);
    EXPECT_NEAR(actual[i].u, expected[i].u, kVertexTol);
    EXPECT_NEAR(actual[i].v, expected[i].v, kVertexTol);
  }
}

// A context in a frame at ratio 1 with every recorded call cleared.
struct Frame : CoreContext {
  explicit Frame(int flags = VC_ANTIALIAS, float ratio = 1.0f) : CoreContext(flags) {
    vcBeginFrame(ctx, 200, 200, ratio);
    backend.ClearCalls();
  }
  ~Frame() { vcCancelFrame(ctx); }
  const RecordedCall& Last(RenderCall kind) const { return *backend.CallsOf(kind).back(); }
};

std::vector<std::pair<float, float>> Points(const VCcontext* ctx, int path) {
  const VCpath& p = ctx->cache->paths[path];
  std::vector<std::pair<float, float>> points;
  for (int i = 0; i < p.count; ++i) points.emplace_back(ctx->cache->points[p.first + i].x, ctx->cache->points[p.first + i].y);
  return points;
}

void Polyline(VCcontext* ctx, const std::vector<std::pair<float, float>>& points) {
  vcBeginPath(ctx);
  vcMoveTo(ctx, points[0].first, points[0].second);
  for (std::size_t i = 1; i < points.size(); ++i) vcLineTo(ctx, points[i].first, points[i].second);
}

TEST(Tessellation, FilledRectangleGivesAnInsetFanAndAHalfFringe) {
  const struct {
    std::string name;
    int flags;
    std::vector<Vertex> fan, strip;
    int nbevel, budget, triangles;
  } cases[] = {
      {"anti-aliased", VC_ANTIALIAS,
       {{10.5f, 10.5f, 0.5f, 1}, {10.5f, 19.5f, 0.5f, 1}, {19.5f, 19.5f, 0.5f, 1}, {19.5f, 10.5f, 0.5f, 1}},
       {{10.5f, 10.5f, 0.5f, 1}, {9.5f, 9.5f, 1, 1}, {10.5f, 19.5f, 0.5f, 1}, {9.5f, 20.5f, 1, 1},
        {19.5f, 19.5f, 0.5f, 1}, {20.5f, 20.5f, 1, 1}, {19.5f, 10.5f, 0.5f, 1}, {20.5f, 9.5f, 1, 1},
        {10.5f, 10.5f, 0.5f, 1}, {9.5f, 9.5f, 1, 1}},
       0, 15, 10},
      // Without a fringe every corner is an inner bevel, which only reserves.
      {"aliased", 0, {{10, 10, 0.5f, 1}, {10, 20, 0.5f, 1}, {20, 20, 0.5f, 1}, {20, 10, 0.5f, 1}}, {}, 4, 9, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Frame frame(c.flags);
    VCcontext* ctx = frame.ctx;
    vcBeginPath(ctx);
    vcRect(ctx, 10, 10, 10, 10);
    vcFill(ctx);
    EXPECT_EQ(Points(ctx, 0), (std::vector<std::pair<float, float>>{{10, 10}, {10, 20}, {20, 20}, {20, 10}}));
    EXPECT_EQ(ctx->cache->nverts, c.budget);
    const RecordedCall& fill = frame.Last(RenderCall::Fill);
    ASSERT_EQ(fill.paths.size(), 1u);
    EXPECT_EQ(fill.paths[0].convex, 1);
    EXPECT_EQ(fill.paths[0].nbevel, c.nbevel);
    EXPECT_EQ(fill.paths[0].closed, 1);
    EXPECT_THAT(fill.bounds, ElementsAreArray({10.0f, 10.0f, 20.0f, 20.0f}));
    ExpectVertices(fill.paths[0].fill, c.fan);
    ExpectVertices(fill.paths[0].stroke, c.strip);
    EXPECT_EQ(ctx->drawCallCount, 2);
    EXPECT_EQ(ctx->fillTriCount, c.triangles);
  }
}

TEST(Tessellation, ButtStrokeOfOnePixel) {
  Frame frame;
  VCcontext* ctx = frame.ctx;
  Polyline(ctx, {{10, 20.5f}, {30, 20.5f}});
  vcStroke(ctx);
  const RecordedCall& stroke = frame.Last(RenderCall::Stroke);
  EXPECT_EQ(stroke.strokeWidth, 1.0f);
  ASSERT_EQ(stroke.paths.size(), 1u);
  ExpectVertices(stroke.paths[0].stroke, {{9.5f, 19.5f, 0, 0},
                                          {9.5f, 21.5f, 1, 0},
                                          {10.5f, 19.5f, 0, 1},
                                          {10.5f, 21.5f, 1, 1},
                                          {29.5f, 19.5f, 0, 1},
                                          {29.5f, 21.5f, 1, 1},
                                          {30.5f, 19.5f, 0, 0},
                                          {30.5f, 21.5f, 1, 0}});
  EXPECT_TRUE(stroke.paths[0].fill.empty());
  EXPECT_EQ(ctx->drawCallCount, 1);
  EXPECT_EQ(ctx->strokeTriCount, 6);
}

TEST(Tessellation, RoundCapsTakeSegmentsByHalfWidth) {
  const struct {
    float halfWidth;
    int ncap;
  } cases[] = {{0.5f, 2}, {1, 3}, {2, 4}, {5, 6}, {10, 8}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.halfWidth);
    EXPECT_EQ(vc__curveDivs(c.halfWidth, VC_PI, 0.25f), c.ncap);
    Frame frame;
    vcLineCap(frame.ctx, VC_ROUND);
    vcStrokeWidth(frame.ctx, c.halfWidth * 2);
    Polyline(frame.ctx, {{10, 10}, {100, 10}});
    vcStroke(frame.ctx);
    EXPECT_EQ(frame.Last(RenderCall::Stroke).paths[0].stroke.size(), std::size_t(4 * c.ncap + 4));
  }
}

TEST(Tessellation, StrokeWidthAndAlpha) {
  const struct {
    std::string name;
    float width, scale, globalAlpha;
    float drawnWidth, alpha;
  } cases[] = {
      {"thinner than the fringe fades", 0.5f, 1, 1, 1, 0.25f},
      {"global alpha", 2, 1, 0.5f, 2, 0.5f},
      {"wider than the limit", 300, 1, 1, 200, 1},
      {"scaled past the limit", 150, 2, 1, 200, 1},
      {"not a number", std::numeric_limits<float>::quiet_NaN(), 1, 1, 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Frame frame;
    vcStrokeWidth(frame.ctx, c.width);
    vcScale(frame.ctx, c.scale, c.scale);
    vcGlobalAlpha(frame.ctx, c.globalAlpha);
    Polyline(frame.ctx, {{10, 10}, {50, 10}});
    vcStroke(frame.ctx);
    const RecordedCall& stroke = frame.Last(RenderCall::Stroke);
    EXPECT_FLOAT_EQ(stroke.strokeWidth, c.drawnWidth);
    EXPECT_FLOAT_EQ(stroke.paint.innerColor.a, c.alpha);
    EXPECT_FLOAT_EQ(stroke.paint.outerColor.a, c.alpha);
  }
}

TEST(Tessellation, FlatteningClosesOrientsAndSubdivides) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const struct {
    std::string name;
    std::function<void(VCcontext*)> build;
    std::vector<std::pair<float, float>> points;
    bool closed;
  } cases[] = {
      {"last point on the first closes",
       [](VCcontext* c) {
         vcMoveTo(c, 10, 10);
         vcLineTo(c, 10, 20);
         vcLineTo(c, 20, 20);
         vcLineTo(c, 10.005f, 10);
       },
       {{10, 10}, {10, 20}, {20, 20}},
       true},
      {"a hole reverses a counter-clockwise rectangle",
       [](VCcontext* c) {
         vcRect(c, 10, 10, 10, 10);
         vcPathWinding(c, VC_CW);
       },
       {{20, 10}, {20, 20}, {10, 20}, {10, 10}},
       true},
      {"a cubic on its chord is its end point",
       [](VCcontext* c) {
         vcMoveTo(c, 0, 0);
         vcBezierTo(c, 10, 0, 20, 0, 30, 0);
       },
       {{0, 0}, {30, 0}},
       false},
      {"a cubic never flat ends in a gap",
       [nan](VCcontext* c) {
         vcMoveTo(c, 0, 0);
         vcBezierTo(c, nan, 0, 20, 0, 30, 0);
       },
       {{0, 0}},
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Frame frame;
    vcBeginPath(frame.ctx);
    c.build(frame.ctx);
    vcFill(frame.ctx);
    EXPECT_EQ(Points(frame.ctx, 0), c.points);
    EXPECT_EQ(frame.ctx->cache->paths[0].closed, c.closed);
  }
}

TEST(Tessellation, JoinsAndCapsOnASharpAndAShallowTurn) {
  // A 30-degree turn at (100, 0) and a 150-degree one at the next point.
  const float c30 = std::cos(VC_PI / 6), s30 = std::sin(VC_PI / 6);
  const std::pair<float, float> shallow{100, 0}, sharp{100 + 100 * c30, 100 * s30};
  const struct {
    std::string name;
    int join, cap;
    int vertices, reserved, shallowSegments, sharpSegments;
  } cases[] = {
      // The ends join across the open path too, which only reserves.
      {"miter and butt", VC_MITER, VC_BUTT, 4 + 2 + 8 + 4, 2 * (4 + 2 * 5 + 1) + 12, 0, 0},
      {"bevel and square", VC_BEVEL, VC_SQUARE, 4 + 8 + 8 + 4, 2 * (4 + 4 * 5 + 1) + 12, 0, 0},
      {"round and round", VC_ROUND, VC_ROUND, 8 + 8 + 10 + 8, 2 * (4 + 4 * (3 + 2) + 1) + 4 * 3 + 4, 2, 3},
      {"no cap", VC_MITER, 3, 2 + 8, 2 * (4 + 2 * 5 + 1) + 12, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Frame frame;
    VCcontext* ctx = frame.ctx;
    vcStrokeWidth(ctx, 3);  // ncap 3
    vcMiterLimit(ctx, 2);
    vcLineJoin(ctx, c.join);
    vcLineCap(ctx, c.cap);
    Polyline(ctx, {{0, 0}, shallow, sharp, {sharp.first - 100, sharp.second}});
    vcStroke(ctx);
    EXPECT_EQ(ctx->cache->nverts, c.reserved);
    const std::vector<VCvertex>& strip = frame.Last(RenderCall::Stroke).paths[0].stroke;
    EXPECT_EQ(strip.size(), std::size_t(c.vertices));
    int shallowCentres = 0, sharpCentres = 0;
    for (const VCvertex& v : strip) {
      if (v.u != 0.5f) continue;
      shallowCentres += std::hypot(v.x - shallow.first, v.y - shallow.second) < kVertexTol;
      sharpCentres += std::hypot(v.x - sharp.first, v.y - sharp.second) < kVertexTol;
    }
    EXPECT_EQ(shallowCentres, c.shallowSegments);
    EXPECT_EQ(sharpCentres, c.sharpSegments);
  }
}

TEST(Tessellation, ConvexOnlyForOneShape) {
  const struct {
    std::string name;
    std::function<void(VCcontext*)> build;
    float innerU;
  } cases[] = {
      {"one rectangle", [](VCcontext* c) { vcRect(c, 10, 10, 10, 10); }, 0.5f},
      {"two rectangles",
       [](VCcontext* c) {
         vcRect(c, 10, 10, 10, 10);
         vcRect(c, 30, 10, 10, 10);
       },
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Frame frame;
    vcBeginPath(frame.ctx);
    c.build(frame.ctx);
    vcFill(frame.ctx);
    for (const RecordedPath& path : frame.Last(RenderCall::Fill).paths) {
      EXPECT_EQ(path.stroke[0].u, c.innerU);
      EXPECT_EQ(path.stroke[1].u, 1);
    }
  }
}

// A sub-path of fewer than two points adds no vertices and leaves the others
// as they are without it.
TEST(Tessellation, LonePointsExpandIntoNothing) {
  const struct {
    std::string name;
    std::function<void(VCcontext*)> lone;
  } cases[] = {
      {"a lone move-to", [](VCcontext* c) { vcMoveTo(c, 50, 50); }},
      {"a line-to back onto its start",
       [](VCcontext* c) {
         vcMoveTo(c, 50, 50);
         vcLineTo(c, 50.001f, 50);
       }},
  };
  const auto draw = [](Frame& frame, const std::function<void(VCcontext*)>& lone) {
    vcBeginPath(frame.ctx);
    if (lone) lone(frame.ctx);
    vcRect(frame.ctx, 10, 10, 10, 10);
    if (lone) lone(frame.ctx);
    vcFill(frame.ctx);
    vcStroke(frame.ctx);
  };
  Frame alone;
  draw(alone, nullptr);
  const RecordedPath& fill = alone.Last(RenderCall::Fill).paths[0];
  const RecordedPath& stroke = alone.Last(RenderCall::Stroke).paths[0];
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Frame frame;
    draw(frame, c.lone);
    for (const RenderCall kind : {RenderCall::Fill, RenderCall::Stroke}) {
      const std::vector<RecordedPath>& paths = frame.Last(kind).paths;
      ASSERT_EQ(paths.size(), 3u);
      for (const int lone : {0, 2}) {
        EXPECT_TRUE(paths[lone].fill.empty() && paths[lone].stroke.empty());
      }
      const RecordedPath& expected = kind == RenderCall::Fill ? fill : stroke;
      std::vector<Vertex> fan, strip;
      for (const VCvertex& v : expected.fill) fan.push_back({v.x, v.y, v.u, v.v});
      for (const VCvertex& v : expected.stroke) strip.push_back({v.x, v.y, v.u, v.v});
      if (kind == RenderCall::Fill) ExpectVertices(paths[1].fill, fan);
      ExpectVertices(paths[1].stroke, strip);
    }
    EXPECT_EQ(frame.ctx->fillTriCount, alone.ctx->fillTriCount);
    EXPECT_EQ(frame.ctx->strokeTriCount, alone.ctx->strokeTriCount);
  }
}

TEST(Tessellation, PathIsFlattenedOnceForFillAndStroke) {
  Frame frame;
  VCcontext* ctx = frame.ctx;
  vcBeginPath(ctx);
  vcRect(ctx, 10, 10, 10, 10);
  vcFill(ctx);
  ctx->commands[1] = 0;  // a second flattening would move the first point
  vcStroke(ctx);
  EXPECT_EQ(ctx->cache->npaths, 1);
  EXPECT_EQ(frame.Last(RenderCall::Stroke).paths[0].count, 4);
  EXPECT_EQ(Points(ctx, 0)[0], (std::pair<float, float>{10, 10}));
}

TEST(Tessellation, DumpPrintsTheCachedVertices) {
  Frame frame;
  vcBeginPath(frame.ctx);
  vcRect(frame.ctx, 10, 10, 10, 10);
  vcFill(frame.ctx);
  ::testing::internal::CaptureStdout();
  vcDebugDumpPathCache(frame.ctx);
  std::fflush(stdout);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "Dumping 1 cached paths\n"
            " - Path 0\n"
            "   - fill: 4\n"
            "10.500000\t10.500000\n10.500000\t19.500000\n19.500000\t19.500000\n19.500000\t10.500000\n"
            "   - stroke: 10\n"
            "10.500000\t10.500000\n9.500000\t9.500000\n10.500000\t19.500000\n9.500000\t20.500000\n"
            "19.500000\t19.500000\n20.500000\t20.500000\n19.500000\t10.500000\n20.500000\t9.500000\n"
            "10.500000\t10.500000\n9.500000\t9.500000\n");
}

}  // namespace
}  // namespace orvane::testing
