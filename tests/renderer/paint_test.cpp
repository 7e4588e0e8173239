#include "graphics/renderer/paint.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <tuple>
#include <string>
#include <vector>

#include "graphics/renderer/color.h"
#include "graphics/renderer/transform.h"
#include "tests/support/renderer/core_context.h"

namespace orvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::Pointwise;

constexpr float kPaintTol = 1e-4f;

// Within kPaintTol, relative to values above 1.
MATCHER(Near, "") {
  const float actual = std::get<0>(arg);
  const float expected = std::get<1>(arg);
  return std::fabs(actual - expected) <= kPaintTol * std::max(1.0f, std::fabs(expected));
}

std::vector<float> V(const float* values, int n) { return {values, values + n}; }

TEST(Paint, ConstructorsDescribeTheirBox) {
  CoreContext core;
  VCcontext* ctx = core.ctx;
  const VCcolor in = vcRGBA(255, 0, 0, 255);
  const VCcolor out = vcRGBA(0, 0, 255, 128);
  const VCcolor white = vcRGBA(255, 255, 255, 51);
  const float s = 0.70710678f;
  const struct {
    std::string name;
    VCpaint paint;
    std::vector<float> xform, extent;
    float radius, feather;
    VCcolor inner, outer;
    int image;
  } cases[] = {
      {"linear", vcLinearGradient(ctx, 0, 0, 0, 10, in, out), {1, 0, 0, 1, 0, -100000}, {100000, 100005}, 0, 10,
       in, out, 0},
      {"linear, coincident ends", vcLinearGradient(ctx, 3, 4, 3, 4, in, out), {1, 0, 0, 1, 3, 4 - 100000},
       {100000, 100000}, 0, 1, in, out, 0},
      {"linear, diagonal", vcLinearGradient(ctx, 0, 0, 3, 4, in, out), {0.8f, -0.6f, 0.6f, 0.8f, -60000, -80000},
       {100000, 100002.5f}, 0, 5, in, out, 0},
      {"radial", vcRadialGradient(ctx, 5, 6, 2, 10, in, out), {1, 0, 0, 1, 5, 6}, {6, 6}, 6, 8, in, out, 0},
      {"radial, equal radii", vcRadialGradient(ctx, 5, 6, 4, 4, in, out), {1, 0, 0, 1, 5, 6}, {4, 4}, 4, 1, in, out,
       0},
      {"box", vcBoxGradient(ctx, 10, 20, 100, 50, 5, 0.5f, in, out), {1, 0, 0, 1, 60, 45}, {50, 25}, 5, 1, in, out,
       0},
      {"image", vcImagePattern(ctx, 7, 8, 200, 60, VC_PI / 4, 3, 0.2f), {s, s, -s, s, 7, 8}, {200, 60}, 0, 0, white,
       white, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THAT(V(c.paint.xform, 6), Pointwise(Near(), c.xform));
    EXPECT_THAT(V(c.paint.extent, 2), Pointwise(Near(), c.extent));
    EXPECT_FLOAT_EQ(c.paint.radius, c.radius);
    EXPECT_FLOAT_EQ(c.paint.feather, c.feather);
    EXPECT_THAT(c.paint.innerColor.rgba, Pointwise(Near(), c.inner.rgba));
    EXPECT_THAT(c.paint.outerColor.rgba, Pointwise(Near(), c.outer.rgba));
    EXPECT_EQ(c.paint.image, c.image);
  }
}

TEST(Paint, SettersTakeTheStateTransformOfTheMoment) {
  CoreContext core;
  VCcontext* ctx = core.ctx;
  vcTranslate(ctx, 5, 7);
  vcFillPaint(ctx, vcRadialGradient(ctx, 1, 2, 0, 4, vcRGB(1, 2, 3), vcRGB(4, 5, 6)));
  vcStrokePaint(ctx, vcBoxGradient(ctx, 0, 0, 10, 20, 1, 1, vcRGB(1, 2, 3), vcRGB(4, 5, 6)));
  vcTranslate(ctx, 100, 100);  // later changes leave set paints alone
  const VCstate& state = *vc__getState(ctx);
  EXPECT_THAT(V(state.fill.xform, 6), ElementsAre(1, 0, 0, 1, 6, 9));
  EXPECT_THAT(V(state.stroke.xform, 6), ElementsAre(1, 0, 0, 1, 10, 17));

  vcFillColor(ctx, vcRGBA(255, 0, 0, 255));
  EXPECT_THAT(V(state.fill.xform, 6), ElementsAre(1, 0, 0, 1, 0, 0));
  EXPECT_THAT(state.fill.innerColor.rgba, ElementsAre(1, 0, 0, 1));
  EXPECT_THAT(state.fill.outerColor.rgba, ElementsAre(1, 0, 0, 1));
  EXPECT_EQ(state.fill.feather, 1.0f);
  vcStrokeColor(ctx, vcRGBA(0, 255, 0, 255));
  EXPECT_THAT(state.stroke.innerColor.rgba, ElementsAre(0, 1, 0, 1));
  EXPECT_EQ(state.stroke.extent[0], 0.0f);
}

TEST(Paint, ScissorIsARectangleInItsOwnFrame) {
  const float r = 7.0710678f;
  const struct {
    std::string name;
    std::function<void(VCcontext*)> apply;
    std::vector<float> centre, extent;  // centre in device coordinates
  } cases[] = {
      {"rectangle", [](VCcontext* c) { vcScissor(c, 10, 20, 30, 40); }, {25, 40}, {15, 20}},
      {"negative size", [](VCcontext* c) { vcScissor(c, 10, 20, -30, -40); }, {10, 20}, {0, 0}},
      {"under a scale", [](VCcontext* c) { vcScale(c, 2, 2); vcScissor(c, 10, 20, 30, 40); }, {50, 80}, {15, 20}},
      {"intersection without a scissor", [](VCcontext* c) { vcIntersectScissor(c, 10, 20, 30, 40); }, {25, 40},
       {15, 20}},
      {"intersection", [](VCcontext* c) { vcScissor(c, 0, 0, 20, 20); vcIntersectScissor(c, 10, 5, 30, 30); },
       {15, 12.5f}, {5, 7.5f}},
      {"same rectangle", [](VCcontext* c) { vcScissor(c, 10, 20, 30, 40); vcIntersectScissor(c, 10, 20, 30, 40); },
       {25, 40}, {15, 20}},
      {"disjoint", [](VCcontext* c) { vcScissor(c, 0, 0, 10, 10); vcIntersectScissor(c, 50, 50, 10, 10); },
       {50, 50}, {0, 0}},
      {"rotated after", [](VCcontext* c) {
         vcScissor(c, 0, 0, 10, 10);
         vcRotate(c, VC_PI / 4);
         vcIntersectScissor(c, -100, -100, 200, 200);
       }, {5, 5}, {r, r}},
      {"reset", [](VCcontext* c) { vcScissor(c, 0, 0, 10, 10); vcResetScissor(c); }, {0, 0}, {-1, -1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CoreContext core;
    c.apply(core.ctx);
    const VCscissor& scissor = vc__getState(core.ctx)->scissor;
    EXPECT_THAT(V(&scissor.xform[4], 2), Pointwise(Near(), c.centre));
    EXPECT_THAT(V(scissor.extent, 2), Pointwise(Near(), c.extent));
  }
}

TEST(Paint, CompositeOperationsSetBlendFactors) {
  const int expected[][2] = {{2, 128}, {256, 1}, {512, 1}, {256, 128}, {512, 2}, {1, 64},
                             {1, 128}, {512, 64}, {2, 2},   {2, 1},     {512, 128}};
  CoreContext core;
  const VCcompositeOperationState& state = vc__getState(core.ctx)->compositeOperation;
  for (int op = -1; op <= 11; ++op) {
    SCOPED_TRACE(op);
    vcGlobalCompositeOperation(core.ctx, op);
    const bool known = op >= 0 && op <= 10;
    const int src = known ? expected[op][0] : VC_ONE;
    const int dst = known ? expected[op][1] : VC_ZERO;
    EXPECT_EQ(state.srcRGB, src);
    EXPECT_EQ(state.srcAlpha, src);
    EXPECT_EQ(state.dstRGB, dst);
    EXPECT_EQ(state.dstAlpha, dst);
  }
  vcGlobalCompositeBlendFunc(core.ctx, 4, 0);
  EXPECT_THAT((std::vector<int>{state.srcRGB, state.dstRGB, state.srcAlpha, state.dstAlpha}), ElementsAre(4, 0, 4, 0));
  vcGlobalCompositeBlendFuncSeparate(core.ctx, 3, 5, 6, 7);
  EXPECT_THAT((std::vector<int>{state.srcRGB, state.dstRGB, state.srcAlpha, state.dstAlpha}), ElementsAre(3, 5, 6, 7));
}

}  // namespace
}  // namespace orvane::testing
