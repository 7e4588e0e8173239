#pragma once

// Blending premultiplied float colours onto stored texels, and the byte and
// float conversions both ways.

#include <Metal/MTLRenderPipeline.h>
#include <standin/metal/shader.h>

#include <array>
#include <cstdint>

namespace standin::metal {

// Byte b as the float b / 255.
const std::array<float, 256>& UnormFloats();

// floor(v x 255 + 0.5) of v clamped to 0..1, a non-finite value counting as 0;
// exact for every float.
inline std::int32_t QuantizeUnorm(float value) {
  const float clamped = value > 0.0f ? (value < 1.0f ? value : 1.0f) : 0.0f;
  return static_cast<std::int32_t>(static_cast<double>(clamped) * 255.0 + 0.5);
}

// One RGBA8 or BGRA8 texel (or R8 in its first byte) as the colour target stores it.
using StoredTexel = std::array<std::uint8_t, 4>;

struct BlendSetup {
  MTLPixelFormat format = MTLPixelFormatRGBA8Unorm;  // RGBA8, BGRA8 or R8
  MTL::RenderPipelineColorAttachmentSettings color;

  // Premultiplied source-over on a four-byte format, every channel written:
  // what the byte fast paths know how to do.
  bool IsSourceOverOnBytes() const;
  // Blending off on a four-byte format, every channel written: the source is stored.
  bool IsStoreOnBytes() const;
  // The bytes the source colour is stored as (quantised, in the format's order).
  StoredTexel Store(float r, float g, float b, float a) const;
};

// Blends src[0 .. count) onto the `count` texels from `pixels` wherever
// live[k] is not 0 (everywhere when live is null); returns the texels written.
int BlendSpan(const BlendSetup& setup, std::uint8_t* pixels, int count, const SpanColors& src,
              const std::uint8_t* live);

}  // namespace standin::metal
