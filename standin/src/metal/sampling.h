#pragma once

// Texture sampling shared by the shaders' span helper and the rasteriser's
// texture lookups.

#include "metal/texture_storage.h"

#include <Metal/MTLSampler.h>
#include <standin/metal/shader.h>

namespace standin::metal {

// Linear filtering weighs taps by the fraction rounded to this many steps.
inline constexpr int kFilterFractionSteps = 256;

// Which levels a triangle samples: `level` alone, or blended towards
// `level + 1` by `blend` (mip filter linear), with the filter its level of
// detail calls for.
struct LevelChoice {
  int level = 0;
  float blend = 0.0f;
  MTLSamplerMinMagFilter filter = MTLSamplerMinMagFilterNearest;
};

LevelChoice ChooseLevels(const TextureStorage& storage, const MTL::SamplerSettings& sampler,
                         const TextureGradient& gradient);

// One stored texel as a colour in 0..1: R8 (and stencil) read (r, 0, 0, 1), BGRA8 is swizzled.
void TexelColor(MTLPixelFormat format, const std::uint8_t* texel, float& r, float& g, float& b, float& a);

// The first `count` texels from `texels` as colours (whole blocks, zero past the count).
void TexelColors(MTLPixelFormat format, const std::uint8_t* texels, int count, SpanColors& colors);

// Applies the conversion to the first `count` colours.
void ConvertTexels(TexelConversion conversion, int count, SpanColors& colors);

}  // namespace standin::metal
