#include "drawable_pool.h"
#include "metal/validation.h"

#include <QuartzCore/CAMetalLayer.h>
#include <standin/testing/metal.h>

#include <atomic>
#include <chrono>
#include <cmath>

namespace {

using standin::metal::ReportValidationError;

std::atomic<double> gDrawableWaitSeconds{CA::kDrawableWaitSeconds};

std::mutex gPresenterMutex;
standin::testing::Presenter gPresenter;

// A drawable side in whole pixels: truncated, 0 for what is not a positive number.
NS::UInteger PixelSide(NS::CGFloat side) {
  return std::isfinite(side) && side >= 1.0 ? static_cast<NS::UInteger>(std::min<NS::CGFloat>(side, 1e9)) : 0;
}

bool Matches(const MTL::Texture* texture, NS::UInteger width, NS::UInteger height, MTLPixelFormat format,
             bool framebufferOnly) {
  return texture != nullptr && texture->width() == width && texture->height() == height &&
         texture->pixelFormat() == format && texture->framebufferOnly() == framebufferOnly;
}

}  // namespace

namespace CA {

MetalLayer::MetalLayer() : pool_(std::make_unique<standin::quartz::DrawablePool>()) {}

MetalLayer::~MetalLayer() = default;

MetalLayer* MetalLayer::layer() { return new MetalLayer; }

void MetalLayer::setPixelFormat(MTLPixelFormat format) {
  if (format != MTLPixelFormatBGRA8Unorm && format != MTLPixelFormatRGBA8Unorm) {
    ReportValidationError("setPixelFormat: a Metal layer's drawables are BGRA8 or RGBA8, not %lu", format);
    return;
  }
  pixelFormat_ = format;
}

NS::Size MetalLayer::drawableSize() const {
  if (drawableSizeSet_) return drawableSize_;
  const NS::Size frameSize = frame().size;
  return NS::Size{std::trunc(frameSize.width * contentsScale()), std::trunc(frameSize.height * contentsScale())};
}

void MetalLayer::setDrawableSize(NS::Size size) {
  drawableSize_ = size;
  drawableSizeSet_ = true;
}

MetalDrawable* MetalLayer::nextDrawable() {
  if (!device_) {
    ReportValidationError("nextDrawable: the layer has no device");
    return nullptr;
  }
  const NS::Size size = drawableSize();
  const NS::UInteger width = PixelSide(size.width);
  const NS::UInteger height = PixelSide(size.height);
  if (width == 0 || height == 0) return nullptr;

  standin::quartz::DrawablePool& pool = *pool_;
  std::unique_lock lock(pool.mutex);
  const std::chrono::duration<double> wait(gDrawableWaitSeconds.load());
  if (!pool.slotReturned.wait_for(lock, wait, [&] { return pool.FreeSlotLocked() >= 0; })) return nullptr;
  const int slot = pool.FreeSlotLocked();
  NS::Ref<MTL::Texture>& texture = pool.slots[slot].texture;
  if (!Matches(texture.get(), width, height, pixelFormat_, framebufferOnly_)) {
    NS::Ref<MTL::TextureDescriptor> descriptor = NS::Ref<MTL::TextureDescriptor>::Adopt(
        MTL::TextureDescriptor::texture2DDescriptorWithPixelFormatWidthHeightMipmapped(pixelFormat_, width, height,
                                                                                        false));
    descriptor->setUsage(framebufferOnly_ ? MTLTextureUsageRenderTarget
                                          : MTLTextureUsageRenderTarget | MTLTextureUsageShaderRead);
    descriptor->setStorageMode(MTLStorageModeManaged);
    texture = NS::Ref<MTL::Texture>::Adopt(device_->newTexture(descriptor.get(), framebufferOnly_));
    if (!texture) return nullptr;
  }
  pool.slots[slot].held = true;
  return new MetalDrawable(this, slot, texture.get());
}

MetalDrawable::MetalDrawable(MetalLayer* layer, int slot, MTL::Texture* texture)
    : layer_(NS::Ref<MetalLayer>::Retain(layer)), texture_(NS::Ref<MTL::Texture>::Retain(texture)), slot_(slot) {}

MetalDrawable::~MetalDrawable() {
  standin::quartz::DrawablePool& pool = layer_->pool();
  {
    std::lock_guard lock(pool.mutex);
    pool.slots[slot_].held = false;
  }
  pool.slotReturned.notify_all();
}

void MetalDrawable::present() {
  if (presented_.exchange(true)) {
    ReportValidationError("present: the drawable was already presented");
    return;
  }
  standin::quartz::DrawablePool& pool = layer_->pool();
  {
    std::lock_guard lock(pool.mutex);
    pool.front = slot_;
    ++pool.presentedFrames;
  }
  pool.slotReturned.notify_all();  // the previous front image may be free now
  standin::testing::Presenter presenter;
  {
    std::lock_guard lock(gPresenterMutex);
    presenter = gPresenter;
  }
  if (presenter) presenter(layer_.get(), standin::testing::TextureContents(texture_.get()));
}

}  // namespace CA

namespace standin::testing {

void SetDrawableWaitSeconds(double seconds) { gDrawableWaitSeconds.store(seconds); }

void SetPresenter(Presenter presenter) {
  std::lock_guard lock(gPresenterMutex);
  gPresenter = std::move(presenter);
}

Image LayerFrontImage(CA::MetalLayer* layer) {
  NS::Ref<MTL::Texture> front;
  {
    std::lock_guard lock(layer->pool().mutex);
    if (layer->pool().front >= 0) front = layer->pool().slots[layer->pool().front].texture;
  }
  return front ? TextureContents(front.get()) : Image{};
}

long PresentedFrameCount(CA::MetalLayer* layer) {
  std::lock_guard lock(layer->pool().mutex);
  return layer->pool().presentedFrames;
}

}  // namespace standin::testing
