#include "graphics/renderer/path.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "graphics/renderer/allocation.h"
#include "graphics/renderer/transform.h"
#include "tests/support/renderer/core_context.h"

namespace orvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::FloatNear;
using ::testing::Pointwise;

constexpr float kPathTol = 1e-4f;

struct Command {
  int code;
  std::vector<float> operands;
};

// The command buffer, decoded.
std::vector<Command> Commands(const VCcontext* ctx) {
  std::vector<Command> commands;
  for (int i = 0; i < ctx->ncommands;) {
    const int code = static_cast<int>(ctx->commands[i]);
    const int size = code == VC_BEZIERTO ? 7 : code == VC_CLOSE ? 1 : code == VC_WINDING ? 2 : 3;
    commands.push_back({code, {ctx->commands + i + 1, ctx->commands + i + size}});
    i += size;
  }
  return commands;
}

std::vector<int> Codes(const VCcontext* ctx) {
  std::vector<int> codes;
  for (const Command& command : Commands(ctx)) codes.push_back(command.code);
  return codes;
}

// Control-point distance of an arc's first segment per radius, signed by the
// side of the radius it lies on.
float FirstSegmentKappa(const VCcontext* ctx, float cx, float cy, float r) {
  const std::vector<Command> commands = Commands(ctx);
  const std::vector<float>& start = commands[0].operands;
  const std::vector<float>& c1 = commands[1].operands;
  const float rx = (start[0] - cx) / r, ry = (start[1] - cy) / r;  // unit radius at the start
  return ((c1[0] - start[0]) * -ry + (c1[1] - start[1]) * rx) / r;
}

bool AllFinite(const VCcontext* ctx) {
  for (int i = 0; i < ctx->ncommands; ++i) {
    if (!std::isfinite(ctx->commands[i])) return false;
  }
  return true;
}

TEST(Path, ShapesAppendTheirCommands) {
  const struct {
    std::string name;
    std::function<void(VCcontext*)> build;
    int floats;
  } cases[] = {
      {"move", [](VCcontext* c) { vcMoveTo(c, 1, 2); }, 3},
      {"line", [](VCcontext* c) { vcLineTo(c, 1, 2); }, 3},
      {"bezier", [](VCcontext* c) { vcBezierTo(c, 1, 2, 3, 4, 5, 6); }, 7},
      {"quad", [](VCcontext* c) { vcQuadTo(c, 1, 2, 3, 4); }, 7},
      {"close", [](VCcontext* c) { vcClosePath(c); }, 1},
      {"winding", [](VCcontext* c) { vcPathWinding(c, VC_CW); }, 2},
      {"rect", [](VCcontext* c) { vcRect(c, 1, 2, 3, 4); }, 13},
      {"circle", [](VCcontext* c) { vcCircle(c, 5, 5, 3); }, 32},
      {"ellipse", [](VCcontext* c) { vcEllipse(c, 5, 5, 3, 2); }, 32},
      {"rounded rect", [](VCcontext* c) { vcRoundedRect(c, 0, 0, 40, 20, 4); }, 44},
      {"full-circle arc", [](VCcontext* c) { vcArc(c, 0, 0, 5, 0, 2 * VC_PI, VC_CW); }, 31},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CoreContext core;
    c.build(core.ctx);
    EXPECT_EQ(core.ctx->ncommands, c.floats);
  }
  CoreContext core;
  for (float a1 = -20.0f; a1 <= 20.0f; a1 += 0.37f) {
    for (const int dir : {VC_CCW, VC_CW}) {
      vcBeginPath(core.ctx);
      vcArc(core.ctx, 0, 0, 1, 0.3f, a1, dir);
      EXPECT_LE(core.ctx->ncommands, 38) << a1;
    }
  }
}

TEST(Path, BufferGrowsByHalfItsCapacityAndDropsWhatCannotFit) {
  CoreContext core;
  VCcontext* ctx = core.ctx;
  vcPathWinding(ctx, VC_CCW);
  for (int i = 0; i < 84; ++i) vcLineTo(ctx, float(i), 1);
  ASSERT_EQ(ctx->ncommands, 254);
  vcBezierTo(ctx, 1, 2, 3, 4, 5, 6);
  EXPECT_EQ(ctx->ncommands, 261);
  EXPECT_EQ(ctx->ccommands, 389);
  EXPECT_THAT(Commands(ctx).back().operands, ElementsAre(1, 2, 3, 4, 5, 6));

  while (ctx->ncommands + 3 <= ctx->ccommands) vcLineTo(ctx, 7, 8);
  const int used = ctx->ncommands;
  vcSetAllocationsBeforeFailure(0);
  vcLineTo(ctx, 9, 10);
  vcSetAllocationsBeforeFailure(-1);
  EXPECT_EQ(ctx->ncommands, used);
  EXPECT_EQ(ctx->commandx, 7);
  EXPECT_EQ(ctx->commandy, 8);

  vcBeginPath(ctx);
  EXPECT_EQ(ctx->ncommands, 0);
  EXPECT_EQ(ctx->cache->npoints + ctx->cache->npaths, 0);
}

TEST(Path, PointsAreTransformedWhenAppended) {
  CoreContext core;
  VCcontext* ctx = core.ctx;
  vcScale(ctx, 2, 2);
  vcMoveTo(ctx, 0, 0);
  vcTranslate(ctx, 100, 0);  // moves what comes next, not what was recorded
  vcQuadTo(ctx, 3, 6, 9, 0);  // from the untransformed last point
  vcPathWinding(ctx, VC_CW);
  vcClosePath(ctx);
  EXPECT_EQ(ctx->commandx, 9);
  EXPECT_EQ(ctx->commandy, 0);
  const std::vector<Command> commands = Commands(ctx);
  ASSERT_EQ(commands.size(), 4u);
  EXPECT_THAT(commands[0].operands, ElementsAre(0, 0));
  EXPECT_THAT(commands[1].operands, Pointwise(FloatNear(kPathTol), std::vector<float>{204, 8, 210, 8, 218, 0}));
  EXPECT_THAT(commands[2].operands, ElementsAre(float(VC_CW)));

  vcBeginPath(ctx);
  vcResetTransform(ctx);
  vcMoveTo(ctx, 0, 0);
  vcQuadTo(ctx, 3, 6, 9, 0);
  EXPECT_THAT(Commands(ctx)[1].operands, Pointwise(FloatNear(kPathTol), std::vector<float>{2, 4, 5, 4, 9, 0}));
}

TEST(Path, ArcsAreCubicSegments) {
  const struct {
    std::string name;
    float a0, a1;
    int dir;
    bool afterMove;
    int segments;
    float kappa;  // signed by the side of the radius
  } cases[] = {
      {"beyond a full turn, clockwise", 0, 7, VC_CW, false, 4, 0.5522847f},
      {"beyond a full turn, counter-clockwise", 0, 7, VC_CCW, false, 4, -0.5522847f},
      {"a tenth of a radian", 0, 0.1f, VC_CW, false, 1, 0.0333403f},
      {"a tenth of a radian the other way", 0.1f, 0, VC_CCW, true, 1, -0.0333403f},
      {"half a turn counter-clockwise", 0, VC_PI, VC_CCW, true, 2, -0.5522847f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CoreContext core;
    if (c.afterMove) vcMoveTo(core.ctx, 50, 50);
    const int before = core.ctx->ncommands;
    vcArc(core.ctx, 10, 20, 5, c.a0, c.a1, c.dir);
    std::vector<int> codes = Codes(core.ctx);
    if (c.afterMove) codes.erase(codes.begin());
    std::vector<int> expected(c.segments + 1, VC_BEZIERTO);
    expected[0] = c.afterMove ? VC_LINETO : VC_MOVETO;
    EXPECT_EQ(codes, expected);
    EXPECT_EQ(core.ctx->ncommands - before, 3 + 7 * c.segments);
    vcBeginPath(core.ctx);
    vcArc(core.ctx, 10, 20, 5, c.a0, c.a1, c.dir);
    EXPECT_NEAR(FirstSegmentKappa(core.ctx, 10, 20, 5), c.kappa, 1e-6f);
    const std::vector<float> end = Commands(core.ctx).back().operands;
    const float swept = std::fabs(c.a1 - c.a0) >= 2 * VC_PI ? c.a0 : c.a1;
    EXPECT_NEAR(end[4], 10 + 5 * std::cos(swept), kPathTol);
    EXPECT_NEAR(end[5], 20 + 5 * std::sin(swept), kPathTol);
  }
}

TEST(Path, ArcToRoundsTheCorner) {
  const struct {
    std::string name;
    std::vector<float> start;  // empty: no commands before
    float x1, y1, x2, y2, radius;
    std::vector<int> codes;    // after the start
    std::vector<float> end;    // of the last command
  } cases[] = {
      {"right-angle corner", {0, 0}, 10, 0, 10, 10, 5, {VC_LINETO, VC_BEZIERTO}, {10, 5}},
      {"empty path", {}, 10, 0, 10, 10, 5, {}, {}},
      {"collinear", {0, 0}, 5, 0, 10, 0, 5, {VC_LINETO}, {5, 0}},
      {"radius below the tolerance", {0, 0}, 10, 0, 10, 10, 0.001f, {VC_LINETO}, {10, 0}},
      {"corner on the start", {3, 4}, 3, 4, 10, 10, 5, {VC_LINETO}, {3, 4}},
      // The unit directions' dot product rounds above 1: a line, not NaN.
      {"reversing corner", {2, 8}, 0, 0, 1, 4, 1, {VC_LINETO}, {0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CoreContext core;
    if (!c.start.empty()) vcMoveTo(core.ctx, c.start[0], c.start[1]);
    const std::size_t before = Commands(core.ctx).size();
    vcArcTo(core.ctx, c.x1, c.y1, c.x2, c.y2, c.radius);
    const std::vector<int> codes = Codes(core.ctx);
    EXPECT_EQ(std::vector<int>(codes.begin() + before, codes.end()), c.codes);
    EXPECT_TRUE(AllFinite(core.ctx));
    if (!c.end.empty()) {
      const std::vector<float> last = Commands(core.ctx).back().operands;
      EXPECT_THAT(std::vector<float>(last.end() - 2, last.end()), Pointwise(FloatNear(kPathTol), c.end));
    }
  }
}

TEST(Path, ArcsOfNonFiniteOrNoSweepStayFinite) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const std::vector<float> bad[] = {{nan, 0, 1, 0, 1}, {0, inf, 1, 0, 1}, {0, 0, nan, 0, 1},
                                    {0, 0, 1, -inf, 1}, {0, 0, 1, 0, nan}};
  for (const std::vector<float>& a : bad) {
    CoreContext core;
    vcArc(core.ctx, a[0], a[1], a[2], a[3], a[4], VC_CW);
    EXPECT_EQ(core.ctx->ncommands, 0);
  }
  for (const int dir : {VC_CCW, VC_CW}) {
    CoreContext core;
    vcArc(core.ctx, 0, 0, 5, 1, 1, dir);
    EXPECT_EQ(core.ctx->ncommands, 10);
    EXPECT_TRUE(AllFinite(core.ctx));
  }
}

TEST(Path, RoundedRectangles) {
  CoreContext square, rect;
  vcRoundedRectVarying(square.ctx, 1, 2, 30, 40, 0.05f, 0.05f, 0.05f, 0.05f);
  vcRect(rect.ctx, 1, 2, 30, 40);
  EXPECT_EQ(std::vector<float>(square.ctx->commands, square.ctx->commands + square.ctx->ncommands),
            std::vector<float>(rect.ctx->commands, rect.ctx->commands + rect.ctx->ncommands));

  // A negative width draws the mirror image about x = 100.
  CoreContext forward, mirrored;
  vcRoundedRectVarying(forward.ctx, 100, 0, 50, 20, 3, 4, 5, 6);
  vcRoundedRectVarying(mirrored.ctx, 100, 0, -50, 20, 3, 4, 5, 6);
  const std::vector<Command> a = Commands(forward.ctx);
  const std::vector<Command> b = Commands(mirrored.ctx);
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    std::vector<float> flipped = a[i].operands;
    for (std::size_t j = 0; j < flipped.size(); j += 2) flipped[j] = 200 - flipped[j];
    EXPECT_THAT(b[i].operands, Pointwise(FloatNear(kPathTol), flipped)) << i;
  }
  // Radii are limited to half the shorter side.
  EXPECT_THAT(a[0].operands, ElementsAre(100, 3));
  CoreContext large;
  vcRoundedRect(large.ctx, 0, 0, 40, 10, 100);
  EXPECT_THAT(Commands(large.ctx)[0].operands, ElementsAre(0, 5));
  EXPECT_THAT(Commands(large.ctx)[3].operands, ElementsAre(20, 10));
}

}  // namespace
}  // namespace orvane::testing
