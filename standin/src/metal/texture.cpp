#include "metal/scheduler.h"
#include "metal/texture_storage.h"
#include "metal/validation.h"

#include <Metal/MTLTexture.h>
#include <standin/testing/metal.h>

#include <atomic>
#include <bit>
#include <cstring>

namespace standin::metal {
namespace {

std::atomic<MTLStorageMode> gDefaultTextureStorage{MTLStorageModeManaged};

// Whether `origin + size` fits in `extent` without overflowing.
bool SpanInside(NS::UInteger origin, NS::UInteger size, NS::UInteger extent) {
  return origin <= extent && size <= extent - origin;
}

}  // namespace

bool RegionInside(const MTLRegion& region, const TextureLevel& level) {
  return SpanInside(region.origin.x, region.size.width, level.width) &&
         SpanInside(region.origin.y, region.size.height, level.height) && region.origin.z == 0 &&
         region.size.depth <= 1;
}

void CopyIntoLevel(TextureLevel& level, NS::UInteger bytesPerTexel, const MTLRegion& region, const std::uint8_t* source,
                   NS::UInteger sourceBytesPerRow) {
  if (region.size.depth == 0) return;
  const NS::UInteger rowBytes = region.size.width * bytesPerTexel;
  for (NS::UInteger y = 0; y < region.size.height; ++y) {
    std::memcpy(level.row(region.origin.y + y) + region.origin.x * bytesPerTexel, source + y * sourceBytesPerRow,
                rowBytes);
  }
}

void CopyFromLevel(const TextureLevel& level, NS::UInteger bytesPerTexel, const MTLRegion& region,
                   std::uint8_t* destination, NS::UInteger destinationBytesPerRow) {
  if (region.size.depth == 0) return;
  const NS::UInteger rowBytes = region.size.width * bytesPerTexel;
  for (NS::UInteger y = 0; y < region.size.height; ++y) {
    std::memcpy(destination + y * destinationBytesPerRow,
                level.row(region.origin.y + y) + region.origin.x * bytesPerTexel, rowBytes);
  }
}

}  // namespace standin::metal

namespace standin::testing {

void SetDefaultTextureStorageMode(MTLStorageMode mode) { metal::gDefaultTextureStorage.store(mode); }

}  // namespace standin::testing

namespace MTL {

using standin::metal::ReportValidationError;

TextureDescriptor* TextureDescriptor::texture2DDescriptorWithPixelFormatWidthHeightMipmapped(
    MTLPixelFormat pixelFormat, NS::UInteger width, NS::UInteger height, bool mipmapped) {
  auto* descriptor = new TextureDescriptor;
  descriptor->pixelFormat_ = pixelFormat;
  descriptor->width_ = width;
  descriptor->height_ = height;
  // Levels halve (rounding down) until the longer side is 1.
  descriptor->mipmapLevelCount_ = mipmapped ? static_cast<NS::UInteger>(std::bit_width(std::max(width, height))) : 1;
  if (descriptor->mipmapLevelCount_ == 0) descriptor->mipmapLevelCount_ = 1;
  descriptor->storageMode_ = standin::metal::gDefaultTextureStorage.load();
  return descriptor;
}

Texture::Texture(std::unique_ptr<standin::metal::TextureStorage> storage, MTLPixelFormat pixelFormat,
                 MTLTextureUsage usage, MTLStorageMode storageMode, MTLCPUCacheMode cpuCacheMode, bool framebufferOnly)
    : Resource(storageMode, cpuCacheMode),
      storage_(std::move(storage)),
      pixelFormat_(pixelFormat),
      usage_(usage),
      framebufferOnly_(framebufferOnly) {}

Texture::~Texture() = default;

NS::UInteger Texture::width() const { return storage_->levels.front().width; }

NS::UInteger Texture::height() const { return storage_->levels.front().height; }

NS::UInteger Texture::mipmapLevelCount() const { return storage_->levels.size(); }

bool Texture::CheckCpuAccess(const char* call, MTLRegion region, NS::UInteger level, const void* bytes,
                             NS::UInteger bytesPerRow) const {
  if (storageMode() == MTLStorageModePrivate) {
    ReportValidationError("%s: a private texture has no CPU access", call);
    return false;
  }
  if (framebufferOnly_) {
    ReportValidationError("%s: a framebuffer-only texture has no CPU access", call);
    return false;
  }
  if (level >= storage_->levels.size()) {
    ReportValidationError("%s: mipmap level %lu of a texture with %zu", call, level, storage_->levels.size());
    return false;
  }
  if (!standin::metal::RegionInside(region, storage_->levels[level])) {
    ReportValidationError("%s: the region (%lu, %lu, %lu x %lu) lies outside level %lu", call, region.origin.x,
                          region.origin.y, region.size.width, region.size.height, level);
    return false;
  }
  if (bytesPerRow < region.size.width * storage_->bytesPerTexel) {
    ReportValidationError("%s: %lu bytes per row are fewer than a row of the region", call, bytesPerRow);
    return false;
  }
  if (bytes == nullptr) {
    ReportValidationError("%s: no bytes", call);
    return false;
  }
  return true;
}

void Texture::replaceRegionMipmapLevelWithBytesBytesPerRow(MTLRegion region, NS::UInteger level, const void* bytes,
                                                           NS::UInteger bytesPerRow) {
  if (!CheckCpuAccess("replaceRegion", region, level, bytes, bytesPerRow)) return;
  std::lock_guard execution(standin::metal::ExecutionLock());
  standin::metal::CopyIntoLevel(storage_->levels[level], storage_->bytesPerTexel, region,
                                static_cast<const std::uint8_t*>(bytes), bytesPerRow);
}

void Texture::getBytesBytesPerRowFromRegionMipmapLevel(void* bytes, NS::UInteger bytesPerRow, MTLRegion region,
                                                       NS::UInteger level) const {
  if (!CheckCpuAccess("getBytes", region, level, bytes, bytesPerRow)) return;
  std::lock_guard execution(standin::metal::ExecutionLock());
  standin::metal::CopyFromLevel(storage_->levels[level], storage_->bytesPerTexel, region,
                                static_cast<std::uint8_t*>(bytes), bytesPerRow);
}

}  // namespace MTL
