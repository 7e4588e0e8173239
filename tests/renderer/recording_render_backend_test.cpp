#include "tests/support/renderer/recording_render_backend.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/alloc_counter.h"

namespace orvane::testing {
namespace {

constexpr VCcompositeOperationState kSourceOver{VC_ONE, VC_ONE_MINUS_SRC_ALPHA, VC_ONE, VC_ONE_MINUS_SRC_ALPHA};

// Drives a back end through its table, as the core does.
struct Driver {
  explicit Driver(RecordingRenderBackend& backend) : params(backend.Params()), uptr(params.userPtr) {}
  VCparams params;
  void* uptr;
};

TEST(RecordingRenderBackend, KeepsDeepCopiesOfEveryDrawAndTexture) {
  RecordingRenderBackend backend;
  Driver d(backend);
  ASSERT_EQ(d.params.renderCreate(d.uptr), 1);
  EXPECT_EQ(d.params.edgeAntiAlias, 1);

  const unsigned char pixels[4 * 3] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  const int image = d.params.renderCreateTexture(d.uptr, VC_TEXTURE_ALPHA, 4, 3, VC_IMAGE_NEAREST, pixels);
  EXPECT_EQ(image, 1);
  unsigned char whole[4 * 3] = {};
  whole[1 * 4 + 2] = 99;  // the rectangle (2, 1, 1, 1) read from the whole image
  whole[0] = 77;          // outside it
  EXPECT_EQ(d.params.renderUpdateTexture(d.uptr, image, 2, 1, 1, 1, whole), 1);
  const RecordedTexture* texture = backend.Texture(image);
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(texture->pixels, std::vector<unsigned char>({1, 2, 3, 4, 5, 6, 99, 8, 9, 10, 11, 12}));
  int width = -1, height = -1;
  EXPECT_EQ(d.params.renderGetTextureSize(d.uptr, image + 1, &width, &height), 0);
  EXPECT_EQ(width, -1);
  EXPECT_EQ(d.params.renderGetTextureSize(d.uptr, image, &width, &height), 1);
  EXPECT_EQ(width * 10 + height, 43);

  d.params.renderViewport(d.uptr, 320, 240, 2);
  std::vector<VCvertex> fill = {{1, 2, 0.5f, 1}, {3, 4, 0.5f, 1}, {5, 6, 0.5f, 1}};
  std::vector<VCvertex> strip = {{7, 8, 0, 1}, {9, 10, 1, 1}};
  VCpath paths[2] = {{0, 3, 1, 0, fill.data(), 3, strip.data(), 2, 1, 1}, {3, 0, 0, 0, nullptr, 0, nullptr, 0, 2, 0}};
  VCpaint paint{{1, 0, 0, 1, 5, 6}, {7, 8}, 2, 3, {{{0.1f, 0.2f, 0.3f, 0.4f}}}, {{{0.5f, 0.6f, 0.7f, 0.8f}}}, image};
  VCscissor scissor{{1, 0, 0, 1, 10, 20}, {30, 40}};
  const float bounds[4] = {1, 2, 9, 10};
  d.params.renderFill(d.uptr, &paint, kSourceOver, &scissor, 0.5f, bounds, paths, 2);
  d.params.renderStroke(d.uptr, &paint, kSourceOver, &scissor, 0.5f, 3.0f, paths, 1);
  d.params.renderTriangles(d.uptr, &paint, kSourceOver, &scissor, fill.data(), 3, 0.5f);
  fill.assign(3, VCvertex{});
  strip.assign(2, VCvertex{});
  paint.innerColor.r = 9;
  d.params.renderFlush(d.uptr);

  const std::vector<const RecordedCall*> fills = backend.CallsOf(RenderCall::Fill);
  ASSERT_EQ(fills.size(), 1u);
  const RecordedCall& f = *fills[0];
  EXPECT_EQ(f.paint.innerColor.rgba[0], 0.1f);
  EXPECT_EQ(f.paint.image, image);
  EXPECT_EQ(f.scissor.extent[1], 40.0f);
  EXPECT_EQ(f.compositeOperation.dstAlpha, VC_ONE_MINUS_SRC_ALPHA);
  EXPECT_EQ(f.fringe, 0.5f);
  EXPECT_EQ(f.bounds[2], 9.0f);
  ASSERT_EQ(f.paths.size(), 2u);
  EXPECT_EQ(f.paths[0].fill.size(), 3u);
  EXPECT_EQ(f.paths[0].fill[2].y, 6.0f);
  EXPECT_EQ(f.paths[0].stroke[1].x, 9.0f);
  EXPECT_EQ(f.paths[1].winding, 2);
  EXPECT_TRUE(f.paths[1].fill.empty());
  const RecordedCall& stroke = *backend.CallsOf(RenderCall::Stroke).at(0);
  EXPECT_EQ(stroke.strokeWidth, 3.0f);
  EXPECT_EQ(stroke.paths.at(0).stroke[0].y, 8.0f);
  const RecordedCall& triangles = *backend.CallsOf(RenderCall::Triangles).at(0);
  EXPECT_EQ(triangles.vertices.at(1).x, 3.0f);
  const RecordedCall& viewport = *backend.CallsOf(RenderCall::Viewport).at(0);
  EXPECT_EQ(viewport.devicePixelRatio, 2.0f);

  EXPECT_EQ(d.params.renderDeleteTexture(d.uptr, image), 1);
  EXPECT_EQ(d.params.renderDeleteTexture(d.uptr, image), 0);
  d.params.renderDelete(d.uptr);
  EXPECT_TRUE(backend.Breaches().empty());
}

TEST(RecordingRenderBackend, ReportsCallsOutOfOrder) {
  const VCpaint paint{};
  const VCscissor scissor{};
  struct Case {
    const char* breach;
    void (*drive)(Driver&, const VCpaint&, const VCscissor&);
  };
  const Case cases[] = {
      {"renderTriangles outside a frame",
       [](Driver& d, const VCpaint& p, const VCscissor& s) {
         d.params.renderTriangles(d.uptr, &p, kSourceOver, &s, nullptr, 0, 1);
       }},
      {"renderFlush outside a frame",
       [](Driver& d, const VCpaint&, const VCscissor&) {
         d.params.renderViewport(d.uptr, 10, 10, 1);
         d.params.renderFlush(d.uptr);
         d.params.renderFlush(d.uptr);
       }},
      {"neither flushed nor cancelled",
       [](Driver& d, const VCpaint&, const VCscissor&) {
         d.params.renderViewport(d.uptr, 10, 10, 1);
         d.params.renderViewport(d.uptr, 10, 10, 1);
       }},
      {"before font image 1 was deleted",
       [](Driver& d, const VCpaint&, const VCscissor&) {
         d.params.renderCreateTexture(d.uptr, VC_TEXTURE_ALPHA, 8, 8, 0, nullptr);
         d.params.renderDelete(d.uptr);
       }},
      {"renderCreate called twice", [](Driver& d, const VCpaint&, const VCscissor&) { d.params.renderCreate(d.uptr); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.breach);
    RecordingRenderBackend backend;
    Driver d(backend);
    d.params.renderCreate(d.uptr);
    EXPECT_NONFATAL_FAILURE(c.drive(d, paint, scissor), c.breach);
    ASSERT_EQ(backend.Breaches().size(), 1u);
  }
}

TEST(RecordingRenderBackend, FailsOnRequestAndRecordsNothingWhenAskedTo) {
  RecordingRenderBackend backend;
  Driver d(backend);
  backend.FailCreate(true);
  EXPECT_EQ(d.params.renderCreate(d.uptr), 0);
  backend.FailCreateTexture(true);
  EXPECT_EQ(d.params.renderCreateTexture(d.uptr, VC_TEXTURE_RGBA, 2, 2, 0, nullptr), 0);
  backend.FailCreateTexture(false);
  const int image = d.params.renderCreateTexture(d.uptr, VC_TEXTURE_ALPHA, 4, 4, 0, nullptr);
  ASSERT_EQ(image, 1);

  backend.SetRecording(false);
  backend.ClearCalls();
  std::vector<VCvertex> vertices(6, VCvertex{1, 2, 3, 4});
  const VCpath path{0, 6, 1, 0, vertices.data(), 6, vertices.data(), 6, 1, 1};
  const VCpaint paint{};
  const VCscissor scissor{};
  const float bounds[4] = {};
  const unsigned char atlas[16] = {};
  {
    ScopedAllocationCount allocations;
    d.params.renderViewport(d.uptr, 100, 100, 1);
    d.params.renderUpdateTexture(d.uptr, image, 0, 0, 4, 4, atlas);
    d.params.renderFill(d.uptr, &paint, kSourceOver, &scissor, 1, bounds, &path, 1);
    d.params.renderStroke(d.uptr, &paint, kSourceOver, &scissor, 1, 1, &path, 1);
    d.params.renderTriangles(d.uptr, &paint, kSourceOver, &scissor, vertices.data(), 6, 1);
    d.params.renderFlush(d.uptr);
    EXPECT_EQ(allocations.Count(), 0u);
  }
  EXPECT_TRUE(backend.Calls().empty());
  d.params.renderDeleteTexture(d.uptr, image);
  d.params.renderDelete(d.uptr);
  EXPECT_TRUE(backend.Breaches().empty());
}

}  // namespace
}  // namespace orvane::testing
