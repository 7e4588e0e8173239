#include "graphics/renderer/vector_context.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "graphics/renderer/allocation.h"
#include "graphics/renderer/color.h"
#include "graphics/renderer/image.h"
#include "graphics/renderer/paint.h"
#include "graphics/renderer/transform.h"
#include "tests/support/renderer/core_context.h"

namespace orvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::FloatNear;
using ::testing::Pointwise;

constexpr float kContextTol = 1e-5f;

std::vector<RenderCall> Kinds(const RecordingRenderBackend& backend) {
  std::vector<RenderCall> kinds;
  for (const RecordedCall& call : backend.Calls()) kinds.push_back(call.kind);
  return kinds;
}

std::vector<float> Xform(const float* t) { return {t, t + 6}; }

TEST(VectorContext, CreationMakesTheBackEndThenFontImageZero) {
  CoreContext core;
  ASSERT_NE(core.ctx, nullptr);
  EXPECT_THAT(Kinds(core.backend), ElementsAre(RenderCall::Create, RenderCall::CreateTexture));
  const RecordedCall& texture = core.backend.Calls()[1];
  EXPECT_EQ(texture.type, VC_TEXTURE_ALPHA);
  EXPECT_EQ(texture.width, 512);
  EXPECT_EQ(texture.height, 512);
  EXPECT_EQ(texture.imageFlags, 0);
  EXPECT_FALSE(texture.hadData);
  EXPECT_EQ(core.ctx->fontImages[0], texture.image);
  EXPECT_EQ(core.ctx->fontImageIdx, 0);
  EXPECT_EQ(core.ctx->ccommands, 256);
  EXPECT_EQ(core.ctx->cache->cpoints, 128);
  EXPECT_EQ(core.ctx->cache->cpaths, 16);
  EXPECT_EQ(core.ctx->cache->cverts, 256);
  EXPECT_EQ(core.ctx->nstates, 1);
  EXPECT_EQ(core.ctx->devicePxRatio, 1.0f);
  int width = 0, height = 0;
  faGetAtlasSize(core.ctx->fs, &width, &height);
  EXPECT_EQ(width, 512);
  EXPECT_EQ(height, 512);
}

TEST(VectorContext, FailedCreationDeletesWhatWasMade) {
  struct Case {
    std::string name;
    bool failCreate;
    bool failTexture;
    std::vector<RenderCall> calls;
  };
  const Case cases[] = {
      {"back end", true, false, {RenderCall::Create, RenderCall::Delete}},
      {"font image", false, true, {RenderCall::Create, RenderCall::CreateTexture, RenderCall::Delete}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingRenderBackend backend;
    backend.FailCreate(c.failCreate);
    backend.FailCreateTexture(c.failTexture);
    const VCparams params = backend.Params();
    EXPECT_EQ(vcCreateInternal(&params), nullptr);
    EXPECT_EQ(Kinds(backend), c.calls);
    EXPECT_EQ(backend.LiveTextureCount(), 0);
  }
  // Every allocation failing in turn; what was made is freed (AddressSanitizer
  // reports a leak), and a back end never created is never deleted.
  VCcontext* ctx = nullptr;
  for (int allowed = 0; !ctx; ++allowed) {
    SCOPED_TRACE(allowed);
    RecordingRenderBackend backend;
    const VCparams params = backend.Params();
    vcSetAllocationsBeforeFailure(allowed);
    ctx = vcCreateInternal(&params);
    vcSetAllocationsBeforeFailure(-1);
    if (ctx) {
      vcDeleteInternal(ctx);
      break;
    }
    EXPECT_EQ(backend.LiveTextureCount(), 0);
    EXPECT_TRUE(backend.Breaches().empty());
  }
}

TEST(VectorContext, DeletionDeletesEveryFontImageThenTheBackEnd) {
  CoreContext core;
  const VCparams& p = core.ctx->params;
  const int first = core.ctx->fontImages[0];
  const int second = p.renderCreateTexture(p.userPtr, VC_TEXTURE_ALPHA, 1024, 512, 0, nullptr);
  core.ctx->fontImages[1] = second;
  core.backend.ClearCalls();
  vcDeleteInternal(core.ctx);
  core.ctx = nullptr;
  const std::vector<RecordedCall>& calls = core.backend.Calls();
  ASSERT_THAT(Kinds(core.backend), ElementsAre(RenderCall::DeleteTexture, RenderCall::DeleteTexture, RenderCall::Delete));
  EXPECT_EQ(calls[0].image, first);
  EXPECT_EQ(calls[1].image, second);
  EXPECT_EQ(core.backend.LiveTextureCount(), 0);
}

TEST(VectorContext, BeginFrameStartsFromOneDefaultStateAtTheRatio) {
  CoreContext core;
  VCcontext* ctx = core.ctx;
  vcSave(ctx);
  vcStrokeWidth(ctx, 7.0f);
  ctx->drawCallCount = ctx->fillTriCount = ctx->strokeTriCount = ctx->textTriCount = 5;
  core.backend.ClearCalls();
  vcBeginFrame(ctx, 300.0f, 200.0f, 2.0f);
  EXPECT_EQ(ctx->nstates, 1);
  EXPECT_EQ(vc__getState(ctx)->strokeWidth, 1.0f);
  EXPECT_EQ(ctx->tessTol, 0.125f);
  EXPECT_EQ(ctx->distTol, 0.005f);
  EXPECT_EQ(ctx->fringeWidth, 0.5f);
  EXPECT_EQ(ctx->devicePxRatio, 2.0f);
  EXPECT_EQ(ctx->drawCallCount + ctx->fillTriCount + ctx->strokeTriCount + ctx->textTriCount, 0);
  const auto viewports = core.backend.CallsOf(RenderCall::Viewport);
  ASSERT_EQ(viewports.size(), 1u);
  EXPECT_EQ(viewports[0]->viewWidth, 300.0f);
  EXPECT_EQ(viewports[0]->viewHeight, 200.0f);
  EXPECT_EQ(viewports[0]->devicePixelRatio, 2.0f);
  vcCancelFrame(ctx);
  EXPECT_EQ(core.backend.Calls().back().kind, RenderCall::Cancel);
}

TEST(VectorContext, SavesBeyondTheStackAndRestoresBelowOneAreIgnored) {
  CoreContext core;
  VCcontext* ctx = core.ctx;
  vcStrokeWidth(ctx, 3.0f);
  vcTranslate(ctx, 4.0f, 5.0f);
  const VCstate original = *vc__getState(ctx);
  for (int i = 0; i < 33; ++i) {
    vcSave(ctx);
    vcStrokeWidth(ctx, float(i));
    vcLineCap(ctx, VC_ROUND);
  }
  EXPECT_EQ(ctx->nstates, VC_MAX_STATES);
  for (int i = 0; i < 33; ++i) vcRestore(ctx);
  EXPECT_EQ(ctx->nstates, 1);
  EXPECT_EQ(std::memcmp(vc__getState(ctx), &original, sizeof(VCstate)), 0);
}

TEST(VectorContext, ResetGivesTheDefaultState) {
  CoreContext core;
  VCcontext* ctx = core.ctx;
  vcShapeAntiAlias(ctx, 0);
  vcStrokeWidth(ctx, 4.0f);
  vcMiterLimit(ctx, 3.0f);
  vcLineJoin(ctx, VC_ROUND);
  vcLineCap(ctx, VC_SQUARE);
  vcGlobalAlpha(ctx, 0.5f);
  vcGlobalCompositeOperation(ctx, VC_XOR);
  vcFillColor(ctx, vcRGB(1, 2, 3));
  vcStrokeColor(ctx, vcRGB(4, 5, 6));
  vcScale(ctx, 2.0f, 3.0f);
  vcScissor(ctx, 0.0f, 0.0f, 10.0f, 10.0f);
  vcReset(ctx);
  const VCstate& s = *vc__getState(ctx);
  EXPECT_EQ(s.compositeOperation.srcRGB, VC_ONE);
  EXPECT_EQ(s.compositeOperation.srcAlpha, VC_ONE);
  EXPECT_EQ(s.compositeOperation.dstRGB, VC_ONE_MINUS_SRC_ALPHA);
  EXPECT_EQ(s.compositeOperation.dstAlpha, VC_ONE_MINUS_SRC_ALPHA);
  EXPECT_EQ(s.shapeAntiAlias, 1);
  const std::vector<float> identity = {1, 0, 0, 1, 0, 0};
  const struct {
    const VCpaint& paint;
    float rgb;
  } paints[] = {{s.fill, 1.0f}, {s.stroke, 0.0f}};
  for (const auto& p : paints) {
    EXPECT_EQ(Xform(p.paint.xform), identity);
    EXPECT_THAT(p.paint.extent, ElementsAre(0.0f, 0.0f));
    EXPECT_EQ(p.paint.radius, 0.0f);
    EXPECT_EQ(p.paint.feather, 1.0f);
    EXPECT_THAT(p.paint.innerColor.rgba, ElementsAre(p.rgb, p.rgb, p.rgb, 1.0f));
    EXPECT_THAT(p.paint.outerColor.rgba, ElementsAre(p.rgb, p.rgb, p.rgb, 1.0f));
    EXPECT_EQ(p.paint.image, 0);
  }
  EXPECT_EQ(s.strokeWidth, 1.0f);
  EXPECT_EQ(s.miterLimit, 10.0f);
  EXPECT_EQ(s.lineJoin, VC_MITER);
  EXPECT_EQ(s.lineCap, VC_BUTT);
  EXPECT_EQ(s.alpha, 1.0f);
  EXPECT_EQ(Xform(s.xform), identity);
  EXPECT_EQ(Xform(s.scissor.xform), std::vector<float>(6, 0.0f));
  EXPECT_THAT(s.scissor.extent, ElementsAre(-1.0f, -1.0f));
  EXPECT_EQ(s.fontSize, 16.0f);
  EXPECT_EQ(s.letterSpacing, 0.0f);
  EXPECT_EQ(s.lineHeight, 1.0f);
  EXPECT_EQ(s.fontBlur, 0.0f);
  EXPECT_EQ(s.textAlign, 65);
  EXPECT_EQ(s.fontId, 0);
}

TEST(VectorContext, StateTransformsActOnPointsFirst) {
  struct Case {
    std::string name;
    std::function<void(VCcontext*)> apply;
    std::vector<float> xform;
    float point[2];  // where (1, 1) lands
  };
  const Case cases[] = {
      {"translate then scale", [](VCcontext* c) { vcTranslate(c, 10, 0); vcScale(c, 2, 2); }, {2, 0, 0, 2, 10, 0}, {12, 2}},
      {"scale then translate", [](VCcontext* c) { vcScale(c, 2, 2); vcTranslate(c, 10, 0); }, {2, 0, 0, 2, 20, 0}, {22, 2}},
      {"rotate a quarter turn", [](VCcontext* c) { vcRotate(c, vcDegToRad(90)); }, {0, 1, -1, 0, 0, 0}, {-1, 1}},
      {"skew x 45 degrees", [](VCcontext* c) { vcSkewX(c, VC_PI / 4); }, {1, 0, 1, 1, 0, 0}, {2, 1}},
      {"skew y 45 degrees", [](VCcontext* c) { vcSkewY(c, VC_PI / 4); }, {1, 1, 0, 1, 0, 0}, {1, 2}},
      {"transform after translate", [](VCcontext* c) { vcTranslate(c, 1, 2); vcTransform(c, 1, 0, 0, 3, 5, 0); },
       {1, 0, 0, 3, 6, 2}, {7, 5}},
      {"reset", [](VCcontext* c) { vcScale(c, 4, 4); vcResetTransform(c); }, {1, 0, 0, 1, 0, 0}, {1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CoreContext core;
    c.apply(core.ctx);
    float xform[6];
    vcCurrentTransform(core.ctx, xform);
    vcCurrentTransform(core.ctx, nullptr);
    EXPECT_THAT(Xform(xform), Pointwise(FloatNear(kContextTol), c.xform));
    float x = 0, y = 0;
    vcTransformPoint(&x, &y, xform, 1, 1);
    EXPECT_NEAR(x, c.point[0], kContextTol);
    EXPECT_NEAR(y, c.point[1], kContextTol);
  }
}

TEST(VectorContext, TransformArithmetic) {
  const float t[6] = {2, 1, -1, 3, 5, 7};
  const float s[6] = {0, 1, 1, 0, -2, 4};
  float product[6];
  std::memcpy(product, t, sizeof(t));
  vcTransformMultiply(product, s);  // t, then s: swap the axes and move
  EXPECT_THAT(Xform(product), ElementsAre(1, 2, 3, -1, 5, 9));
  std::memcpy(product, s, sizeof(s));
  vcTransformPremultiply(product, t);
  EXPECT_THAT(Xform(product), ElementsAre(1, 2, 3, -1, 5, 9));

  float inverse[6];
  EXPECT_EQ(vcTransformInverse(inverse, t), 1);
  vcTransformMultiply(inverse, t);
  EXPECT_THAT(Xform(inverse), Pointwise(FloatNear(kContextTol), std::vector<float>{1, 0, 0, 1, 0, 0}));
  const float singular[6] = {1, 2, 2, 4, 3, 3};
  EXPECT_EQ(vcTransformInverse(inverse, singular), 0);
  EXPECT_THAT(Xform(inverse), ElementsAre(1, 0, 0, 1, 0, 0));

  EXPECT_FLOAT_EQ(vcDegToRad(180.0f), 3.1415927f);
  EXPECT_FLOAT_EQ(vcRadToDeg(3.1415927f), 180.0f);
}

TEST(VectorContext, ColourConstructors) {
  const VCcolor c0 = vcRGBf(0.0f, 0.2f, 1.0f);
  const VCcolor c1 = vcRGBA(255, 51, 0, 0);
  const struct {
    std::string name;
    VCcolor color;
    std::vector<float> rgba;
  } cases[] = {
      {"bytes", vcRGB(255, 51, 0), {1, 0.2f, 0, 1}},
      {"bytes with alpha", c1, {1, 0.2f, 0, 0}},
      {"alpha byte", vcTransRGBA(c0, 51), {0, 0.2f, 1, 0.2f}},
      {"alpha float", vcTransRGBAf(c0, 0.5f), {0, 0.2f, 1, 0.5f}},
      {"lerp a quarter", vcLerpRGBA(c0, c1, 0.25f), {0.25f, 0.2f, 0.75f, 0.75f}},
      {"lerp below 0", vcLerpRGBA(c0, c1, -3.0f), {0, 0.2f, 1, 1}},
      {"lerp above 1", vcLerpRGBA(c0, c1, 7.0f), {1, 0.2f, 0, 0}},
      {"hsl red", vcHSLA(0.0f, 1.0f, 0.5f, 255), {1, 0, 0, 1}},
      {"hsl green, hue wrapped", vcHSL(-2.0f / 3.0f, 1.0f, 0.5f), {0, 1, 0, 1}},
      {"hsl blue, clamped", vcHSLA(2.0f / 3.0f, 5.0f, 0.5f, 51), {0, 0, 1, 0.2f}},
      {"hsl pale", vcHSL(0.0f, 0.5f, 0.75f), {0.875f, 0.625f, 0.625f, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THAT(c.color.rgba, Pointwise(FloatNear(kContextTol), c.rgba));
  }
}

TEST(VectorContext, EndFrameKeepsTheNewestFontImageFirst) {
  struct Size {
    int width, height;
  };
  struct Case {
    std::string name;
    std::vector<Size> older;  // after image 0 (512 x 512), the last one current
    std::vector<int> kept;    // indices into all images, slots 0 to 3 (-1 = empty)
    std::vector<int> deleted;
  };
  const Case cases[] = {
      {"two growths", {{1024, 512}, {1024, 1024}}, {2, -1, -1, -1}, {0, 1}},
      {"an older image as large kept", {{1024, 1024}, {1024, 512}, {1024, 1024}}, {3, 1, -1, -1}, {0, 2}},
      {"no growth", {}, {0, -1, -1, -1}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CoreContext core;
    VCcontext* ctx = core.ctx;
    const VCparams& p = ctx->params;
    std::vector<int> images = {ctx->fontImages[0]};
    for (const Size& size : c.older) {
      images.push_back(p.renderCreateTexture(p.userPtr, VC_TEXTURE_ALPHA, size.width, size.height, 0, nullptr));
      ctx->fontImages[images.size() - 1] = images.back();
    }
    ctx->fontImageIdx = static_cast<int>(images.size()) - 1;
    vcBeginFrame(ctx, 100, 100, 1);
    core.backend.ClearCalls();
    vcEndFrame(ctx);
    std::vector<int> expected;
    for (const int index : c.kept) expected.push_back(index < 0 ? 0 : images[index]);
    EXPECT_THAT(ctx->fontImages, ElementsAreArray(expected));
    EXPECT_EQ(ctx->fontImageIdx, 0);
    std::vector<int> deleted;
    for (const RecordedCall* call : core.backend.CallsOf(RenderCall::DeleteTexture)) deleted.push_back(call->image);
    std::vector<int> expectedDeleted;
    for (const int index : c.deleted) expectedDeleted.push_back(images[index]);
    EXPECT_EQ(deleted, expectedDeleted);
    EXPECT_EQ(core.backend.CallsOf(RenderCall::Flush).size(), 1u);
  }
}

}  // namespace
}  // namespace orvane::testing
