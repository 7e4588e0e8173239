#include "metal/pixel_format.h"
#include "metal/scheduler.h"
#include "metal/texture_storage.h"
#include "metal/validation.h"

#include <standin/testing/metal.h>

#include <algorithm>

namespace standin::testing {

Image TextureContents(MTL::Texture* texture, NS::UInteger level) {
  if (texture == nullptr || level >= texture->mipmapLevelCount()) return Image{};
  const metal::TextureStorage& storage = texture->storage();
  const metal::TextureLevel& texels = storage.levels[level];
  Image image(static_cast<int>(texels.width), static_cast<int>(texels.height));
  std::lock_guard execution(metal::ExecutionLock());
  for (NS::UInteger y = 0; y < texels.height; ++y) {
    const std::uint8_t* row = texels.row(y);
    for (NS::UInteger x = 0; x < texels.width; ++x) {
      const auto rgba = metal::TexelAsRgba(storage.pixelFormat, row + x * storage.bytesPerTexel);
      std::copy(rgba.begin(), rgba.end(), image.pixel(static_cast<int>(x), static_cast<int>(y)));
    }
  }
  return image;
}

}  // namespace standin::testing
