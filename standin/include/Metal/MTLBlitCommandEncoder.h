#pragma once

// Copies into textures and mipmap generation, run when the command buffer executes.

#include <Metal/MTLCommandEncoder.h>
#include <Metal/MTLResource.h>
#include <Metal/MTLTexture.h>
#include <Metal/MTLTypes.h>

namespace MTL {

class NS_CLASS_EXPORT BlitCommandEncoder : public CommandEncoder {
public:
  // Copies `sourceSize` texels, rows `sourceBytesPerRow` apart from `sourceOffset`
  // in the buffer, to `destinationOrigin` of the level. A region outside the
  // level or the buffer, or a framebuffer-only texture: a validation error and nothing recorded.
  virtual void copyFromBufferSourceOffsetSourceBytesPerRowSourceBytesPerImageSourceSizeToTextureDestinationSliceDestinationLevelDestinationOrigin(
      Buffer* sourceBuffer, NS::UInteger sourceOffset, NS::UInteger sourceBytesPerRow,
      NS::UInteger sourceBytesPerImage, MTLSize sourceSize, Texture* destinationTexture,
      NS::UInteger destinationSlice, NS::UInteger destinationLevel, MTLOrigin destinationOrigin) = 0;
  // Each level below the first becomes the 2 x 2 average of the one above,
  // rounded to nearest with halves up.
  virtual void generateMipmapsForTexture(Texture* texture) = 0;
  // Nothing to do here: the CPU and the device share memory.
  virtual void synchronizeResource(Resource* resource) = 0;

protected:
  BlitCommandEncoder() = default;
};

}  // namespace MTL
