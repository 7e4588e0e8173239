#pragma once

// Vector contexts on the Metal back end, drawing through the software Metal
// onto a layer or into framebuffers, with their pixels read back. Fails a test
// that leaves objects behind or causes validation errors it did not count.

#include <gtest/gtest.h>
#include <standin/testing/images.h>
#include <standin/testing/metal.h>

#include <functional>
#include <vector>

#include "graphics/renderer/color.h"
#include "graphics/renderer/image.h"
#include "graphics/renderer/metal/metal_backend.h"
#include "graphics/renderer/metal/metal_context.h"
#include "graphics/renderer/paint.h"
#include "graphics/renderer/path.h"
#include "graphics/renderer/tessellation.h"
#include "standin/metal_fixture.h"

using standin::testing::Image;

inline constexpr int kDefaultFlags = VC_ANTIALIAS | VC_TRIPLE_BUFFER;

inline MVCcontext_vOrvane_au* BackEnd(VCcontext* ctx) {
  return static_cast<MVCcontext_vOrvane_au*>(ctx->params.userPtr);
}

inline VCcolor White() { return vcRGBf(1.0f, 1.0f, 1.0f); }

// Draws into the current path and state of a frame.
using Drawing = std::function<void(VCcontext* ctx)>;

inline void FillRect(VCcontext* ctx, float x, float y, float w, float h, VCcolor color) {
  vcBeginPath(ctx);
  vcRect(ctx, x, y, w, h);
  vcFillColor(ctx, color);
  vcFill(ctx);
}

class MetalBackendTest : public MetalTest {
protected:
  void SetUp() override {
    MetalTest::SetUp();
    layer_ = NS::Ref<CA::MetalLayer>::Adopt(CA::MetalLayer::layer());
  }

  void TearDown() override {
    for (MVCframebuffer* framebuffer : framebuffers_) mvcDeleteFramebuffer(framebuffer);
    for (VCcontext* ctx : contexts_) mvcDeleteContext(ctx);
    layer_.reset();
    MetalTest::TearDown();
  }

  // A context on the test's layer, deleted with the test.
  VCcontext* Create(int flags = kDefaultFlags) {
    VCcontext* ctx = mvcCreateContext(layer_.get(), flags);
    if (ctx != nullptr) contexts_.push_back(ctx);
    return ctx;
  }

  void Delete(VCcontext* ctx) {
    std::erase(contexts_, ctx);
    mvcDeleteContext(ctx);
  }

  MVCframebuffer* Framebuffer(VCcontext* ctx, int width, int height) {
    return framebuffers_.emplace_back(mvcCreateFramebuffer(ctx, width, height, 0));
  }

  // One frame of width x height points at `ratio` into `framebuffer` (the
  // layer when null), cleared to transparent first unless `clear` is false.
  static void Frame(VCcontext* ctx, MVCframebuffer* framebuffer, float width, float height, float ratio,
                    const Drawing& draw, bool clear = true) {
    mvcBindFramebuffer(framebuffer);
    if (clear) mvcClearWithColor(ctx, 0.0f, 0.0f, 0.0f, 0.0f);
    vcBeginFrame(ctx, width, height, ratio);
    draw(ctx);
    vcEndFrame(ctx);
    mvcBindFramebuffer(nullptr);
  }

  static Image Pixels(VCcontext* ctx, int image) {
    int width = 0;
    int height = 0;
    vcImageSize(ctx, image, &width, &height);
    Image pixels(width, height);
    mvcReadPixels(ctx, image, 0, 0, width, height, pixels.rgba.data());
    return pixels;
  }

  // What `draw` gives in a fresh framebuffer of width x height points at `ratio`.
  Image Render(VCcontext* ctx, float width, float height, float ratio, const Drawing& draw) {
    MVCframebuffer* framebuffer =
        Framebuffer(ctx, static_cast<int>(width * ratio), static_cast<int>(height * ratio));
    Frame(ctx, framebuffer, width, height, ratio, draw);
    return Pixels(ctx, framebuffer->image);
  }

  // The layer shows width x height points at `ratio`.
  void SizeLayer(float width, float height, float ratio) {
    layer_->setFrame(NS::MakeRect(0.0, 0.0, width, height));
    layer_->setContentsScale(ratio);
  }

  CA::MetalLayer* layer() const { return layer_.get(); }

  // Waits until the context's frames in flight have run and released their sets.
  static void Settle(VCcontext* ctx) {
    for (const NS::Ref<MVCbuffers_vOrvane_au>& set : BackEnd(ctx)->cbuffers()) {
      if (NS::Ref<MTL::CommandBuffer> inFlight = set->commandBuffer()) inFlight->waitUntilCompleted();
    }
  }
  static long FreeSets(VCcontext* ctx) {
    Settle(ctx);
    return standin::testing::DispatchSemaphoreCount(BackEnd(ctx)->semaphore());
  }

private:
  NS::Ref<CA::MetalLayer> layer_;
  std::vector<VCcontext*> contexts_;
  std::vector<MVCframebuffer*> framebuffers_;
};

// The channel c of every pixel, as rows of text for failure messages.
inline std::string Channel(const Image& image, int c) {
  std::string text;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) text += std::to_string(image.pixel(x, y)[c]) + " ";
    text += "\n";
  }
  return text;
}
