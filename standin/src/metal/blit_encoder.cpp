#include "metal/blit_encoder.h"

#include "metal/encoder_recording.h"
#include "metal/pixel_format.h"
#include "metal/texture_storage.h"
#include "metal/validation.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace standin::metal {
namespace {

class BlitPass final : public EncodedPass {
public:
  std::vector<std::function<void()>> commands;

  void Execute() override {
    for (const std::function<void()>& command : commands) command();
  }
};

// Level `level` from the one above: each texel the rounded mean of the 2 x 2
// block above it (halves up), edge texels repeated where the level above is odd.
void DownsampleLevel(TextureStorage& storage, std::size_t level) {
  const TextureLevel& above = storage.levels[level - 1];
  TextureLevel& below = storage.levels[level];
  const NS::UInteger channels = storage.bytesPerTexel;
  for (NS::UInteger y = 0; y < below.height; ++y) {
    const std::uint8_t* top = above.row(std::min(2 * y, above.height - 1));
    const std::uint8_t* bottom = above.row(std::min(2 * y + 1, above.height - 1));
    std::uint8_t* out = below.row(y);
    for (NS::UInteger x = 0; x < below.width; ++x) {
      const NS::UInteger left = std::min(2 * x, above.width - 1) * channels;
      const NS::UInteger right = std::min(2 * x + 1, above.width - 1) * channels;
      for (NS::UInteger c = 0; c < channels; ++c) {
        const unsigned sum = top[left + c] + top[right + c] + bottom[left + c] + bottom[right + c];
        out[x * channels + c] = static_cast<std::uint8_t>((sum + 2) / 4);
      }
    }
  }
}

class BlitEncoder final : public MTL::BlitCommandEncoder {
public:
  explicit BlitEncoder(MTL::CommandBuffer* buffer) : recording_(buffer, this) {}

  void copyFromBufferSourceOffsetSourceBytesPerRowSourceBytesPerImageSourceSizeToTextureDestinationSliceDestinationLevelDestinationOrigin(
      MTL::Buffer* sourceBuffer, NS::UInteger sourceOffset, NS::UInteger sourceBytesPerRow, NS::UInteger,
      MTLSize sourceSize, MTL::Texture* texture, NS::UInteger slice, NS::UInteger level,
      MTLOrigin origin) override {
    constexpr const char* kCall = "copyFromBuffer";
    if (!recording_.Usable(kCall) || !UsableTexture(texture, kCall)) return;
    if (sourceBuffer == nullptr) {
      ReportValidationError("%s: no buffer", kCall);
      return;
    }
    const TextureStorage& storage = texture->storage();
    const MTLRegion region{origin, sourceSize};
    if (slice != 0 || level >= storage.levels.size() || !RegionInside(region, storage.levels[level])) {
      ReportValidationError("%s: the region (%lu, %lu, %lu x %lu) of slice %lu, level %lu lies outside the texture",
                            kCall, origin.x, origin.y, sourceSize.width, sourceSize.height, slice, level);
      return;
    }
    if (sourceSize.width == 0 || sourceSize.height == 0 || sourceSize.depth == 0) return;
    const NS::UInteger rowBytes = sourceSize.width * storage.bytesPerTexel;
    if (sourceBytesPerRow < rowBytes || !BufferHolds(*sourceBuffer, sourceOffset, sourceBytesPerRow, sourceSize.height,
                                                     rowBytes)) {
      ReportValidationError("%s: %lu rows of %lu bytes, %lu apart from offset %lu, exceed the buffer's %lu bytes",
                            kCall, sourceSize.height, rowBytes, sourceBytesPerRow, sourceOffset,
                            sourceBuffer->length());
      return;
    }
    pass_->commands.push_back([source = NS::Ref<MTL::Buffer>::Retain(sourceBuffer),
                               target = NS::Ref<MTL::Texture>::Retain(texture), sourceOffset, sourceBytesPerRow, level,
                               region] {
      TextureStorage& texels = target->storage();
      CopyIntoLevel(texels.levels[level], texels.bytesPerTexel, region,
                    reinterpret_cast<const std::uint8_t*>(source->storage()) + sourceOffset, sourceBytesPerRow);
    });
  }

  void generateMipmapsForTexture(MTL::Texture* texture) override {
    constexpr const char* kCall = "generateMipmaps";
    if (!recording_.Usable(kCall) || !UsableTexture(texture, kCall)) return;
    if (!IsColorFormat(texture->pixelFormat())) {
      ReportValidationError("%s: %s textures have no mipmaps", kCall, PixelFormatName(texture->pixelFormat()));
      return;
    }
    pass_->commands.push_back([target = NS::Ref<MTL::Texture>::Retain(texture)] {
      TextureStorage& storage = target->storage();
      for (std::size_t level = 1; level < storage.levels.size(); ++level) DownsampleLevel(storage, level);
    });
  }

  void synchronizeResource(MTL::Resource* resource) override {
    if (!recording_.Usable("synchronizeResource")) return;
    if (resource == nullptr) ReportValidationError("synchronizeResource: no resource");
  }

  void endEncoding() override { recording_.End(std::move(pass_)); }

private:
  static bool UsableTexture(const MTL::Texture* texture, const char* call) {
    if (texture == nullptr) {
      ReportValidationError("%s: no texture", call);
      return false;
    }
    if (texture->framebufferOnly()) {
      ReportValidationError("%s: a framebuffer-only texture can only be rendered into", call);
      return false;
    }
    return true;
  }

  // Whether `rows` rows of `rowBytes`, `stride` apart from `offset`, lie inside the buffer.
  static bool BufferHolds(const MTL::Buffer& buffer, NS::UInteger offset, NS::UInteger stride, NS::UInteger rows,
                          NS::UInteger rowBytes) {
    const NS::UInteger length = buffer.length();
    if (offset > length || rowBytes > length - offset) return false;
    const NS::UInteger room = length - offset - rowBytes;  // for the rows after the first
    return rows - 1 <= room / stride;
  }

  EncoderRecording recording_;
  std::unique_ptr<BlitPass> pass_ = std::make_unique<BlitPass>();
};

}  // namespace

MTL::BlitCommandEncoder* MakeBlitEncoder(MTL::CommandBuffer* buffer) { return new BlitEncoder(buffer); }

}  // namespace standin::metal
