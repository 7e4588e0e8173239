#pragma once

// 2D textures of R8, RGBA8, BGRA8 or stencil-8 texels with optional mipmap
// levels. Texels are stored tightly, top row first; new textures are zero.

#include <Foundation/NSObject.h>
#include <Metal/MTLResource.h>
#include <Metal/MTLTypes.h>

#include <memory>

namespace standin::metal {
struct TextureStorage;
}

typedef NS::UInteger MTLTextureUsage;
enum : MTLTextureUsage {
  MTLTextureUsageUnknown = 0,
  MTLTextureUsageShaderRead = 1,
  MTLTextureUsageShaderWrite = 2,
  MTLTextureUsageRenderTarget = 4,
};

namespace MTL {

// The largest width or height a texture may have.
inline constexpr NS::UInteger kMaxTextureSide = 16384;

class NS_CLASS_EXPORT TextureDescriptor : public NS::Object {
public:
  // One level, or the full chain down to 1 x 1 when mipmapped; usage shader
  // read; the default storage mode (managed unless the testing API changed it).
  static TextureDescriptor* texture2DDescriptorWithPixelFormatWidthHeightMipmapped(
      MTLPixelFormat pixelFormat, NS::UInteger width, NS::UInteger height, bool mipmapped);

  MTLPixelFormat pixelFormat() const { return pixelFormat_; }
  void setPixelFormat(MTLPixelFormat format) { pixelFormat_ = format; }
  NS::UInteger width() const { return width_; }
  void setWidth(NS::UInteger width) { width_ = width; }
  NS::UInteger height() const { return height_; }
  void setHeight(NS::UInteger height) { height_ = height; }
  NS::UInteger mipmapLevelCount() const { return mipmapLevelCount_; }
  void setMipmapLevelCount(NS::UInteger count) { mipmapLevelCount_ = count; }
  MTLTextureUsage usage() const { return usage_; }
  void setUsage(MTLTextureUsage usage) { usage_ = usage; }
  MTLStorageMode storageMode() const { return storageMode_; }
  void setStorageMode(MTLStorageMode mode) { storageMode_ = mode; }
  MTLCPUCacheMode cpuCacheMode() const { return cpuCacheMode_; }
  void setCpuCacheMode(MTLCPUCacheMode mode) { cpuCacheMode_ = mode; }

private:
  TextureDescriptor() = default;

  MTLPixelFormat pixelFormat_ = MTLPixelFormatRGBA8Unorm;
  NS::UInteger width_ = 1;
  NS::UInteger height_ = 1;
  NS::UInteger mipmapLevelCount_ = 1;
  MTLTextureUsage usage_ = MTLTextureUsageShaderRead;
  MTLStorageMode storageMode_ = MTLStorageModeManaged;
  MTLCPUCacheMode cpuCacheMode_ = MTLCPUCacheModeDefaultCache;
};

// Made by Device::newTextureWithDescriptor and by the Metal layer's drawables.
// Any thread; CPU access waits while a command buffer executes.
class NS_CLASS_EXPORT Texture : public Resource {
public:
  NS::UInteger width() const;
  NS::UInteger height() const;
  MTLPixelFormat pixelFormat() const { return pixelFormat_; }
  MTLTextureUsage usage() const { return usage_; }
  NS::UInteger mipmapLevelCount() const;
  bool framebufferOnly() const { return framebufferOnly_; }

  // Copies rows of `bytesPerRow` bytes (at least the region's width in texels)
  // into the region of the level. A region outside the level, a private or
  // framebuffer-only texture, or a short row stride: a validation error and nothing copied.
  void replaceRegionMipmapLevelWithBytesBytesPerRow(MTLRegion region, NS::UInteger level, const void* bytes,
                                                    NS::UInteger bytesPerRow);
  // The reverse copy, with the same refusals.
  void getBytesBytesPerRowFromRegionMipmapLevel(void* bytes, NS::UInteger bytesPerRow, MTLRegion region,
                                                NS::UInteger level) const;

  // The stand-in's own: the texels, for the encoders and the testing API,
  // which read and write them under the device's execution lock.
  standin::metal::TextureStorage& storage() const { return *storage_; }

protected:
  ~Texture() override;

private:
  friend class Device;
  Texture(std::unique_ptr<standin::metal::TextureStorage> storage, MTLPixelFormat pixelFormat,
          MTLTextureUsage usage, MTLStorageMode storageMode, MTLCPUCacheMode cpuCacheMode, bool framebufferOnly);

  // Whether the CPU may copy `region` of the level with this row stride; reports why not.
  bool CheckCpuAccess(const char* call, MTLRegion region, NS::UInteger level, const void* bytes,
                      NS::UInteger bytesPerRow) const;

  const std::unique_ptr<standin::metal::TextureStorage> storage_;
  const MTLPixelFormat pixelFormat_;
  const MTLTextureUsage usage_;
  const bool framebufferOnly_;
};

}  // namespace MTL
