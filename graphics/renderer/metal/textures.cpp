// Images of the Metal back end: texture records, creation with uploads and
// mipmaps, updates, sizes and deletion.
#include <algorithm>

#include "graphics/renderer/metal/metal_context.h"

namespace {

constexpr int kRgbaBytesPerPixel = 4;
constexpr int kAlphaBytesPerPixel = 1;

int BytesPerPixel(int type) { return type == VC_TEXTURE_RGBA ? kRgbaBytesPerPixel : kAlphaBytesPerPixel; }

NS::Ref<MTL::SamplerState> MakeSampler(MTL::Device* device, int imageFlags, bool mipmapped) {
  auto descriptor = NS::Ref<MTL::SamplerDescriptor>::Adopt(MTL::SamplerDescriptor::alloc()->init());
  const bool nearest = (imageFlags & VC_IMAGE_NEAREST) != 0;
  const MTLSamplerMinMagFilter filter = nearest ? MTLSamplerMinMagFilterNearest : MTLSamplerMinMagFilterLinear;
  descriptor->setMinFilter(filter);
  descriptor->setMagFilter(filter);
  if (mipmapped) descriptor->setMipFilter(nearest ? MTLSamplerMipFilterNearest : MTLSamplerMipFilterLinear);
  descriptor->setSAddressMode((imageFlags & VC_IMAGE_REPEATX) != 0 ? MTLSamplerAddressModeRepeat
                                                                    : MTLSamplerAddressModeClampToEdge);
  descriptor->setTAddressMode((imageFlags & VC_IMAGE_REPEATY) != 0 ? MTLSamplerAddressModeRepeat
                                                                    : MTLSamplerAddressModeClampToEdge);
  return NS::Ref<MTL::SamplerState>::Adopt(device->newSamplerStateWithDescriptor(descriptor.get()));
}

}  // namespace

MVCtexture_vOrvane_au* MVCcontext_vOrvane_au::findTexture(int image) const {
  if (image == 0) return nullptr;
  for (const NS::Ref<MVCtexture_vOrvane_au>& record : textures_) {
    if (record->id == image) return record.get();
  }
  return nullptr;
}

MVCtexture_vOrvane_au* MVCcontext_vOrvane_au::allocTexture() {
  MVCtexture_vOrvane_au* record = nullptr;
  for (const NS::Ref<MVCtexture_vOrvane_au>& candidate : textures_) {
    if (candidate->id != 0) continue;
    record = candidate.get();
    break;
  }
  if (record == nullptr) {
    record = textures_.emplace_back(NS::Ref<MVCtexture_vOrvane_au>::Adopt(new MVCtexture_vOrvane_au)).get();
  }
  record->id = ++textureId_;
  return record;
}

int MVCcontext_vOrvane_au::renderCreateTextureWithTypeWidthHeightImageFlagsData(int type, int width, int height,
                                                                                 int imageFlags,
                                                                                 const unsigned char* data) {
  if ((type != VC_TEXTURE_ALPHA && type != VC_TEXTURE_RGBA) || width <= 0 || height <= 0) return 0;
  MVCtexture_vOrvane_au* record = allocTexture();
  record->type = type;
  record->flags = imageFlags;
  const bool mipmapped = (imageFlags & VC_IMAGE_GENERATE_MIPMAPS) != 0;
  auto descriptor = NS::Ref<MTL::TextureDescriptor>::Adopt(
      MTL::TextureDescriptor::texture2DDescriptorWithPixelFormatWidthHeightMipmapped(
          type == VC_TEXTURE_RGBA ? MTLPixelFormatRGBA8Unorm : MTLPixelFormatR8Unorm, static_cast<NS::UInteger>(width),
          static_cast<NS::UInteger>(height), mipmapped));
  descriptor->setUsage(MTLTextureUsageShaderRead | MTLTextureUsageShaderWrite | MTLTextureUsageRenderTarget);
  record->tex = NS::Ref<MTL::Texture>::Adopt(device()->newTextureWithDescriptor(descriptor.get()));
  if (!record->tex) {  // a failure is reported as one, and the record is free again
    record->id = 0;
    record->flags = 0;
    return 0;
  }
  if (data != nullptr) {
    const NS::UInteger bytesPerRow = static_cast<NS::UInteger>(width) * BytesPerPixel(type);
    uploadRegion(record->tex.get(), MTLRegionMake2D(0, 0, width, height), data, bytesPerRow);
    if (mipmapped) {
      MTL::Texture* texture = record->tex.get();
      runBlit([texture](MTL::BlitCommandEncoder* blit) { blit->generateMipmapsForTexture(texture); });
    }
  }
  record->sampler = MakeSampler(device(), imageFlags, mipmapped);
  return record->id;
}

bool MVCcontext_vOrvane_au::uploadRegion(MTL::Texture* texture, MTLRegion region, const unsigned char* bytes,
                                         NS::UInteger bytesPerRow) {
  if (texture->storageMode() != MTLStorageModePrivate) {
    texture->replaceRegionMipmapLevelWithBytesBytesPerRow(region, 0, bytes, bytesPerRow);
    return true;
  }
  // The CPU cannot reach a private texture: the rows go through a buffer and a blit.
  const NS::UInteger length = bytesPerRow * (region.size.height - 1) +
                              region.size.width * (texture->pixelFormat() == MTLPixelFormatR8Unorm ? 1 : 4);
  auto staging = NS::Ref<MTL::Buffer>::Adopt(
      device()->newBufferWithBytesLengthOptions(bytes, length, MTLResourceStorageModeShared));
  if (!staging) return false;
  MTL::Buffer* source = staging.get();
  return runBlit([=](MTL::BlitCommandEncoder* blit) {
    blit->copyFromBufferSourceOffsetSourceBytesPerRowSourceBytesPerImageSourceSizeToTextureDestinationSliceDestinationLevelDestinationOrigin(
        source, 0, bytesPerRow, length, region.size, texture, 0, 0, region.origin);
  });
}

bool MVCcontext_vOrvane_au::runBlit(const std::function<void(MTL::BlitCommandEncoder*)>& encode) {
  auto commandBuffer = NS::Ref<MTL::CommandBuffer>::Adopt(commandQueue_->commandBuffer());
  auto blit = NS::Ref<MTL::BlitCommandEncoder>::Adopt(commandBuffer->blitCommandEncoder());
  if (!blit) return false;
  encode(blit.get());
  blit->endEncoding();
  commandBuffer->commit();
  commandBuffer->waitUntilCompleted();
  return true;
}

int MVCcontext_vOrvane_au::renderUpdateTextureWithImageXYWidthHeightData(int image, int x, int y, int width,
                                                                          int height, const unsigned char* data) {
  const MVCtexture_vOrvane_au* record = findTexture(image);
  if (record == nullptr) return 0;
  if (!record->tex || data == nullptr) return 1;
  const int textureWidth = static_cast<int>(record->tex->width());
  const int textureHeight = static_cast<int>(record->tex->height());
  // Only the part inside the image: `data` addresses the whole image.
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = std::min(x + width, textureWidth), y1 = std::min(y + height, textureHeight);
  if (x0 >= x1 || y0 >= y1) return 1;
  const int bytesPerPixel = BytesPerPixel(record->type);
  const NS::UInteger bytesPerRow = static_cast<NS::UInteger>(textureWidth) * bytesPerPixel;
  const unsigned char* first = data + static_cast<NS::UInteger>(y0) * bytesPerRow +
                               static_cast<NS::UInteger>(x0) * bytesPerPixel;
  uploadRegion(record->tex.get(), MTLRegionMake2D(x0, y0, x1 - x0, y1 - y0), first, bytesPerRow);
  return 1;
}

int MVCcontext_vOrvane_au::renderGetTextureSizeForImageWidthHeight(int image, int* width, int* height) {
  const MVCtexture_vOrvane_au* record = findTexture(image);
  if (record == nullptr) return 0;
  const bool hasTexture = static_cast<bool>(record->tex);
  if (width != nullptr) *width = hasTexture ? static_cast<int>(record->tex->width()) : 0;
  if (height != nullptr) *height = hasTexture ? static_cast<int>(record->tex->height()) : 0;
  return 1;
}

int MVCcontext_vOrvane_au::renderDeleteTexture(int image) {
  MVCtexture_vOrvane_au* record = findTexture(image);
  if (record == nullptr) return 0;
  // The record's own references go; a texture owned elsewhere lives on with its owner.
  record->tex.reset();
  record->sampler.reset();
  record->id = 0;
  record->flags = 0;
  return 1;
}
