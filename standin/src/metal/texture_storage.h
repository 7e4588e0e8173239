#pragma once

// The texels of a texture: one tightly packed block per mipmap level, top row
// first. Read and written only under the execution lock.

#include <Metal/MTLTypes.h>

#include <cstdint>
#include <vector>

namespace standin::metal {

struct TextureLevel {
  NS::UInteger width = 0;
  NS::UInteger height = 0;
  NS::UInteger bytesPerRow = 0;
  std::vector<std::uint8_t> texels;

  std::uint8_t* row(NS::UInteger y) { return texels.data() + y * bytesPerRow; }
  const std::uint8_t* row(NS::UInteger y) const { return texels.data() + y * bytesPerRow; }
};

struct TextureStorage {
  MTLPixelFormat pixelFormat = MTLPixelFormatInvalid;
  NS::UInteger bytesPerTexel = 0;
  std::vector<TextureLevel> levels;
};

// Whether a 2D region (depth 1, or an empty one) lies inside the level.
bool RegionInside(const MTLRegion& region, const TextureLevel& level);

// Copies rows between the level and memory with the given row stride.
void CopyIntoLevel(TextureLevel& level, NS::UInteger bytesPerTexel, const MTLRegion& region, const std::uint8_t* source,
                   NS::UInteger sourceBytesPerRow);
void CopyFromLevel(const TextureLevel& level, NS::UInteger bytesPerTexel, const MTLRegion& region,
                   std::uint8_t* destination, NS::UInteger destinationBytesPerRow);

}  // namespace standin::metal
