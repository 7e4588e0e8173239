#include "metal/sampling.h"

#include "metal/blend.h"
#include "metal/simd.h"

#include <Metal/MTLTexture.h>

#include <algorithm>
#include <cmath>

namespace standin::metal {
namespace {

// Byte b as a float in 0..1, as blending reads it.
const std::array<float, 256>& UnormFloats() {
  static const std::array<float, 256> table = [] {
    std::array<float, 256> values{};
    for (int b = 0; b < 256; ++b) values[b] = static_cast<float>(b) * simd::kUnormStep;
    return values;
  }();
  return table;
}

// Texel coordinates beyond this are clamped before conversion to integers;
// every texture is far smaller, so clamping and wrapping are unaffected.
constexpr float kCoordinateLimit = 1073741824.0f;  // 2^30

// x with non-finite and huge values held in range.
float Held(float x) {
  return x > -kCoordinateLimit ? (x < kCoordinateLimit ? x : kCoordinateLimit) : -kCoordinateLimit;
}

// floor(x) of a held x, without a library call.
std::int64_t FloorOfHeld(float held) {
  const auto truncated = static_cast<std::int64_t>(held);
  return truncated - (held < static_cast<float>(truncated) ? 1 : 0);
}

std::int64_t FloorToIndex(float x) { return FloorOfHeld(Held(x)); }

std::int64_t Address(std::int64_t index, std::int64_t size, MTLSamplerAddressMode mode) {
  if (mode == MTLSamplerAddressModeRepeat) return ((index % size) + size) % size;
  return std::clamp<std::int64_t>(index, 0, size - 1);
}

// A linear filter's two taps and the weight of the second.
struct LinearTaps {
  std::int64_t first = 0;
  float weight = 0.0f;
};

LinearTaps Taps(float texelCoordinate) {
  const float held = Held(texelCoordinate - 0.5f);
  LinearTaps taps{FloorOfHeld(held), 0.0f};
  const float fraction = held - static_cast<float>(taps.first);
  const auto steps = static_cast<float>(FloorOfHeld(fraction * kFilterFractionSteps + 0.5f));
  if (steps >= kFilterFractionSteps) {
    ++taps.first;
  } else {
    taps.weight = steps / kFilterFractionSteps;
  }
  return taps;
}

struct Rgba {
  float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
};

Rgba Fetch(const TextureStorage& storage, const TextureLevel& level, std::int64_t x, std::int64_t y) {
  Rgba c;
  TexelColor(storage.pixelFormat, level.row(static_cast<NS::UInteger>(y)) + x * storage.bytesPerTexel, c.r, c.g, c.b,
             c.a);
  return c;
}

Rgba Mix(const Rgba& a, const Rgba& b, float weight) {
  return {a.r + weight * (b.r - a.r), a.g + weight * (b.g - a.g), a.b + weight * (b.b - a.b),
          a.a + weight * (b.a - a.a)};
}

Rgba SampleLevel(const TextureStorage& storage, int levelIndex, MTLSamplerMinMagFilter filter,
                 const MTL::SamplerSettings& sampler, float u, float v) {
  const TextureLevel& level = storage.levels[levelIndex];
  const auto width = static_cast<std::int64_t>(level.width);
  const auto height = static_cast<std::int64_t>(level.height);
  const float x = u * static_cast<float>(width);
  const float y = v * static_cast<float>(height);
  if (filter == MTLSamplerMinMagFilterNearest) {
    return Fetch(storage, level, Address(FloorToIndex(x), width, sampler.sAddressMode),
                 Address(FloorToIndex(y), height, sampler.tAddressMode));
  }
  const LinearTaps tx = Taps(x);
  const LinearTaps ty = Taps(y);
  const std::int64_t x0 = Address(tx.first, width, sampler.sAddressMode);
  const std::int64_t x1 = Address(tx.first + 1, width, sampler.sAddressMode);
  const std::int64_t y0 = Address(ty.first, height, sampler.tAddressMode);
  const std::int64_t y1 = Address(ty.first + 1, height, sampler.tAddressMode);
  const Rgba top = Mix(Fetch(storage, level, x0, y0), Fetch(storage, level, x1, y0), tx.weight);
  const Rgba bottom = Mix(Fetch(storage, level, x0, y1), Fetch(storage, level, x1, y1), tx.weight);
  return Mix(top, bottom, ty.weight);
}

}  // namespace

LevelChoice ChooseLevels(const TextureStorage& storage, const MTL::SamplerSettings& sampler,
                         const TextureGradient& gradient) {
  const TextureLevel& base = storage.levels.front();
  const double width = static_cast<double>(base.width);
  const double height = static_cast<double>(base.height);
  const double lengthX = std::hypot(gradient.dudx * width, gradient.dvdx * height);
  const double lengthY = std::hypot(gradient.dudy * width, gradient.dvdy * height);
  const double lambda = std::log2(std::max(lengthX, lengthY));
  LevelChoice choice;
  if (!(lambda > 0.0)) {  // magnified, or no derivative at all
    choice.filter = sampler.magFilter;
    return choice;
  }
  choice.filter = sampler.minFilter;
  const int lastLevel = static_cast<int>(storage.levels.size()) - 1;
  if (lastLevel == 0 || sampler.mipFilter == MTLSamplerMipFilterNotMipmapped) return choice;
  if (sampler.mipFilter == MTLSamplerMipFilterNearest) {
    choice.level = static_cast<int>(std::min<double>(std::floor(lambda + 0.5), lastLevel));
    return choice;
  }
  const double whole = std::floor(lambda);
  if (whole >= lastLevel) {
    choice.level = lastLevel;
    return choice;
  }
  choice.level = static_cast<int>(whole);
  choice.blend = static_cast<float>(lambda - whole);
  return choice;
}

void TexelColor(MTLPixelFormat format, const std::uint8_t* texel, float& r, float& g, float& b, float& a) {
  const std::array<float, 256>& unorm = UnormFloats();
  switch (format) {
    case MTLPixelFormatRGBA8Unorm:
      r = unorm[texel[0]], g = unorm[texel[1]], b = unorm[texel[2]], a = unorm[texel[3]];
      return;
    case MTLPixelFormatBGRA8Unorm:
      r = unorm[texel[2]], g = unorm[texel[1]], b = unorm[texel[0]], a = unorm[texel[3]];
      return;
    default:
      r = unorm[texel[0]], g = 0.0f, b = 0.0f, a = 1.0f;
      return;
  }
}

STANDIN_SPAN_FUNCTION void TexelColors(MTLPixelFormat format, const std::uint8_t* texels, int count,
                                       SpanColors& colors) {
  const int padded = SpanBlocks(count) * kSpanBlock;
  if (format != MTLPixelFormatRGBA8Unorm && format != MTLPixelFormatBGRA8Unorm) {
    for (int k = 0; k < padded; ++k) {
      if (k < count) {
        TexelColor(format, texels + k, colors.r[k], colors.g[k], colors.b[k], colors.a[k]);
      } else {
        colors.r[k] = colors.g[k] = colors.b[k] = colors.a[k] = 0.0f;
      }
    }
    return;
  }
  constexpr int kBytes = 4;
  const int red = format == MTLPixelFormatBGRA8Unorm ? 2 : 0;
  for (int first = 0; first < padded; first += simd::kLanes) {
    const int n = std::clamp(count - first, 0, simd::kLanes);
    const simd::U32x4 words = n > 0 ? simd::LoadTexels(texels + first * kBytes, n) : simd::SplatU(0);
    simd::Store(colors.r + first, simd::UnormChannel(words, red));
    simd::Store(colors.g + first, simd::UnormChannel(words, 1));
    simd::Store(colors.b + first, simd::UnormChannel(words, 2 - red));
    simd::Store(colors.a + first, simd::UnormChannel(words, 3));
  }
}

void ConvertTexels(TexelConversion conversion, int count, SpanColors& colors) {
  const int padded = SpanBlocks(count) * kSpanBlock;
  if (conversion == TexelConversion::kPremultiply) {
    ForEachPixel(count, [&](int k) {
      colors.r[k] *= colors.a[k];
      colors.g[k] *= colors.a[k];
      colors.b[k] *= colors.a[k];
    });
  } else if (conversion == TexelConversion::kRedToAll) {
    for (int first = 0; first < padded; first += simd::kLanes) {
      const simd::F32x4 red = simd::Load(colors.r + first);
      simd::Store(colors.g + first, red);
      simd::Store(colors.b + first, red);
      simd::Store(colors.a + first, red);
    }
  }
}

void SampleSpan(const MTL::Texture* texture, const MTL::SamplerSettings& sampler, const float* u, const float* v,
                const TextureGradient& gradient, int count, SpanColors& out) {
  const int padded = SpanBlocks(count) * kSpanBlock;
  if (texture == nullptr) {
    ForEachPixel(count, [&](int k) { out.r[k] = out.g[k] = out.b[k] = out.a[k] = 0.0f; });
    return;
  }
  const TextureStorage& storage = texture->storage();
  const LevelChoice choice = ChooseLevels(storage, sampler, gradient);
  for (int k = 0; k < padded; ++k) {
    Rgba c{};
    if (k < count) {
      c = SampleLevel(storage, choice.level, choice.filter, sampler, u[k], v[k]);
      if (choice.blend > 0.0f) {
        c = Mix(c, SampleLevel(storage, choice.level + 1, choice.filter, sampler, u[k], v[k]), choice.blend);
      }
    }
    out.r[k] = c.r;
    out.g[k] = c.g;
    out.b[k] = c.b;
    out.a[k] = c.a;
  }
}

void SampleSpan(const MTL::Texture* texture, const MTL::SamplerSettings& sampler, const Span& span, int uVarying,
                int vVarying, SpanColors& out) {
  alignas(32) float u[kMaxSpanPixels];
  alignas(32) float v[kMaxSpanPixels];
  SpanVarying(span, uVarying, u);
  SpanVarying(span, vVarying, v);
  const TextureGradient gradient{span.dx[uVarying], span.dx[vVarying], span.dy[uVarying], span.dy[vVarying]};
  SampleSpan(texture, sampler, u, v, gradient, span.count, out);
}

}  // namespace standin::metal
