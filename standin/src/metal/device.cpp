#include "metal/pixel_format.h"
#include "metal/texture_storage.h"
#include "metal/validation.h"

#include <CoreFoundation/CFString.h>
#include <Metal/MTLDevice.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

using standin::metal::ReportValidationError;

MTL::Device* MTLCreateSystemDefaultDevice() {
  static MTL::Device* const device = new MTL::Device;  // one per process, never destroyed
  device->retain();
  return device;
}

namespace {

// Made as the library loads, so the device is already alive (and counted)
// before any test takes its count of live objects.
[[maybe_unused]] MTL::Device* const gSystemDevice = MTLCreateSystemDefaultDevice();

bool ValidStorageMode(MTLStorageMode mode) {
  return mode == MTLStorageModeShared || mode == MTLStorageModeManaged || mode == MTLStorageModePrivate;
}

std::unique_ptr<standin::metal::TextureStorage> MakeTextureStorage(const MTL::TextureDescriptor& descriptor) {
  auto storage = std::make_unique<standin::metal::TextureStorage>();
  storage->pixelFormat = descriptor.pixelFormat();
  storage->bytesPerTexel = standin::metal::BytesPerTexel(descriptor.pixelFormat());
  for (NS::UInteger level = 0; level < descriptor.mipmapLevelCount(); ++level) {
    standin::metal::TextureLevel& texels = storage->levels.emplace_back();
    texels.width = std::max<NS::UInteger>(1, descriptor.width() >> level);
    texels.height = std::max<NS::UInteger>(1, descriptor.height() >> level);
    texels.bytesPerRow = texels.width * storage->bytesPerTexel;
    texels.texels.assign(texels.bytesPerRow * texels.height, 0);
  }
  return storage;
}

// Why the device refuses the descriptor, or null.
const char* TextureRefusal(const MTL::TextureDescriptor& descriptor) {
  const NS::UInteger width = descriptor.width();
  const NS::UInteger height = descriptor.height();
  if (standin::metal::BytesPerTexel(descriptor.pixelFormat()) == 0) return "the pixel format is not supported";
  if (width == 0 || height == 0) return "a side is 0";
  if (width > MTL::kMaxTextureSide || height > MTL::kMaxTextureSide) return "a side exceeds 16384";
  const NS::UInteger levels = descriptor.mipmapLevelCount();
  if (levels == 0 || levels > static_cast<NS::UInteger>(std::bit_width(std::max(width, height)))) {
    return "the mipmap level count does not fit the size";
  }
  if (descriptor.pixelFormat() == MTLPixelFormatStencil8 && levels > 1) return "a stencil texture has one level";
  if (!ValidStorageMode(descriptor.storageMode())) return "the storage mode is not supported";
  return nullptr;
}

}  // namespace

namespace MTL {

CommandQueue* Device::newCommandQueue() { return new CommandQueue; }

Buffer::Buffer(std::unique_ptr<std::byte[]> bytes, NS::UInteger length, MTLResourceOptions options)
    : Resource((options & MTLResourceStorageModeMask) >> MTLResourceStorageModeShift,
               (options & MTLResourceCPUCacheModeMask) >> MTLResourceCPUCacheModeShift),
      bytes_(std::move(bytes)),
      length_(length) {}

void* Buffer::contents() const { return storageMode() == MTLStorageModePrivate ? nullptr : bytes_.get(); }

Buffer* Device::newBufferWithLengthOptions(NS::UInteger length, MTLResourceOptions options) {
  const MTLStorageMode storage = (options & MTLResourceStorageModeMask) >> MTLResourceStorageModeShift;
  if (length == 0 || length > kMaxBufferLength) {
    ReportValidationError("newBuffer: length %lu outside 1 to %lu", length, kMaxBufferLength);
    return nullptr;
  }
  if (!ValidStorageMode(storage)) {
    ReportValidationError("newBuffer: resource options %#lx name no storage mode", options);
    return nullptr;
  }
  std::unique_ptr<std::byte[]> bytes(new (std::nothrow) std::byte[length]());
  if (!bytes) {
    ReportValidationError("newBuffer: no memory for %lu bytes", length);
    return nullptr;
  }
  return new Buffer(std::move(bytes), length, options);
}

Buffer* Device::newBufferWithBytesLengthOptions(const void* bytes, NS::UInteger length, MTLResourceOptions options) {
  if (bytes == nullptr) {
    ReportValidationError("newBufferWithBytes: no bytes");
    return nullptr;
  }
  Buffer* buffer = newBufferWithLengthOptions(length, options);
  if (buffer != nullptr) std::memcpy(buffer->storage(), bytes, length);
  return buffer;
}

Texture* Device::newTextureWithDescriptor(const TextureDescriptor* descriptor) {
  return newTexture(descriptor, false);
}

Texture* Device::newTexture(const TextureDescriptor* descriptor, bool framebufferOnly) {
  if (descriptor == nullptr) {
    ReportValidationError("newTexture: no descriptor");
    return nullptr;
  }
  if (const char* refusal = TextureRefusal(*descriptor)) {
    ReportValidationError("newTexture: %s (%s, %lu x %lu, %lu levels)", refusal,
                          standin::metal::PixelFormatName(descriptor->pixelFormat()), descriptor->width(),
                          descriptor->height(), descriptor->mipmapLevelCount());
    return nullptr;
  }
  try {
    return new Texture(MakeTextureStorage(*descriptor), descriptor->pixelFormat(), descriptor->usage(),
                       descriptor->storageMode(), descriptor->cpuCacheMode(), framebufferOnly);
  } catch (const std::bad_alloc&) {
    ReportValidationError("newTexture: no memory for %lu x %lu texels", descriptor->width(), descriptor->height());
    return nullptr;
  }
}

SamplerState* Device::newSamplerStateWithDescriptor(const SamplerDescriptor* descriptor) {
  if (descriptor == nullptr) {
    ReportValidationError("newSamplerState: no descriptor");
    return nullptr;
  }
  return new SamplerState(descriptor->settings());
}

DepthStencilState* Device::newDepthStencilStateWithDescriptor(const DepthStencilDescriptor* descriptor) {
  if (descriptor == nullptr) {
    ReportValidationError("newDepthStencilState: no descriptor");
    return nullptr;
  }
  return new DepthStencilState(descriptor->settings());
}

CFStringRef Device::description() const { return CFSTR("Software Metal device"); }

}  // namespace MTL
