#pragma once

// A layer whose contents are Metal drawables: a pool of three textures of the
// drawable size, one of which the layer shows (its front image).
//
// Properties: main thread. nextDrawable: the thread that renders (it blocks).
// A drawable's present: any thread.

#include <Foundation/NSGeometry.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSRef.h>
#include <Metal/MTLDevice.h>
#include <Metal/MTLDrawable.h>
#include <Metal/MTLTexture.h>
#include <QuartzCore/CALayer.h>

#include <atomic>
#include <memory>

namespace standin::quartz {
struct DrawablePool;
}

namespace CA {

class MetalDrawable;

// Drawables a layer hands out at once, the front image among them.
inline constexpr int kDrawablePoolSize = 3;
// How long nextDrawable waits for a drawable to come back before answering null.
inline constexpr double kDrawableWaitSeconds = 1.0;

class NS_CLASS_EXPORT MetalLayer : public Layer {
public:
  // A new layer owned by the caller: no device, BGRA8, framebuffer-only,
  // not opaque, contents scale 1, an empty frame.
  static MetalLayer* layer();

  // Retained; null for none.
  MTL::Device* device() const { return device_.get(); }
  void setDevice(MTL::Device* device) { device_ = NS::Ref<MTL::Device>::Retain(device); }
  MTLPixelFormat pixelFormat() const { return pixelFormat_; }
  // BGRA8 or RGBA8; another format is a validation error and changes nothing.
  void setPixelFormat(MTLPixelFormat format);
  bool framebufferOnly() const { return framebufferOnly_; }
  void setFramebufferOnly(bool framebufferOnly) { framebufferOnly_ = framebufferOnly; }
  // Opaque, contents scale and frame are the layer's.
  // The frame's size times the contents scale, truncated, until set.
  NS::Size drawableSize() const;
  void setDrawableSize(NS::Size size);
  bool presentsWithTransaction() const { return presentsWithTransaction_; }
  void setPresentsWithTransaction(bool presents) { presentsWithTransaction_ = presents; }

  // A drawable owned by the caller, whose texture has the drawable size and is
  // zero when new or resized. Null without a device or for a side of 0; when
  // every drawable is held (or shown) it waits up to kDrawableWaitSeconds for
  // one to come back, then answers null.
  MetalDrawable* nextDrawable();

  // The stand-in's own: the drawables and the front image.
  standin::quartz::DrawablePool& pool() const { return *pool_; }

protected:
  MetalLayer();
  ~MetalLayer() override;

private:

  NS::Ref<MTL::Device> device_;
  MTLPixelFormat pixelFormat_ = MTLPixelFormatBGRA8Unorm;
  bool framebufferOnly_ = true;
  bool drawableSizeSet_ = false;
  NS::Size drawableSize_{};
  bool presentsWithTransaction_ = false;
  const std::unique_ptr<standin::quartz::DrawablePool> pool_;
};

// One of a layer's drawables. It goes back to the pool when nobody holds it
// and it is not the front image.
class NS_CLASS_EXPORT MetalDrawable : public MTL::Drawable {
public:
  // Not owned by the caller.
  MTL::Texture* texture() const { return texture_.get(); }
  MetalLayer* layer() const { return layer_.get(); }
  // Makes the texture the layer's front image now; a second presentation is a validation error.
  void present() override;

protected:
  ~MetalDrawable() override;

private:
  friend class MetalLayer;
  MetalDrawable(MetalLayer* layer, int slot, MTL::Texture* texture);

  const NS::Ref<MetalLayer> layer_;
  const NS::Ref<MTL::Texture> texture_;
  const int slot_;
  std::atomic<bool> presented_{false};
};

}  // namespace CA
