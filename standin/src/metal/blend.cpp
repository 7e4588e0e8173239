#include "metal/blend.h"

#include "metal/simd.h"

#include <algorithm>

namespace standin::metal {
namespace {

using simd::F32x4;
using simd::kLanes;
using simd::Splat;
using simd::SplatU;
using simd::U32x4;

constexpr std::size_t kWordBytes = 4;

struct Quad {
  F32x4 r, g, b, a;
};

bool IsSourceOver(const MTL::RenderPipelineColorAttachmentSettings& color) {
  return color.sourceRGBBlendFactor == MTLBlendFactorOne &&
         color.destinationRGBBlendFactor == MTLBlendFactorOneMinusSourceAlpha &&
         color.sourceAlphaBlendFactor == MTLBlendFactorOne &&
         color.destinationAlphaBlendFactor == MTLBlendFactorOneMinusSourceAlpha;
}

// The factor of one colour channel, whose source and destination values are `sc` and `dc`.
F32x4 ColorFactor(MTLBlendFactor factor, F32x4 sc, F32x4 dc, const Quad& s, const Quad& d) {
  const F32x4 one = Splat(1.0f);
  switch (factor) {
    case MTLBlendFactorZero:
      return Splat(0.0f);
    case MTLBlendFactorOne:
      return one;
    case MTLBlendFactorSourceColor:
      return sc;
    case MTLBlendFactorOneMinusSourceColor:
      return one - sc;
    case MTLBlendFactorSourceAlpha:
      return s.a;
    case MTLBlendFactorOneMinusSourceAlpha:
      return one - s.a;
    case MTLBlendFactorDestinationColor:
      return dc;
    case MTLBlendFactorOneMinusDestinationColor:
      return one - dc;
    case MTLBlendFactorDestinationAlpha:
      return d.a;
    case MTLBlendFactorOneMinusDestinationAlpha:
      return one - d.a;
    default:  // source alpha saturated
      return simd::Min(s.a, one - d.a);
  }
}

// The alpha channel's factor: colour factors read alpha, and saturation is 1.
F32x4 AlphaFactor(MTLBlendFactor factor, const Quad& s, const Quad& d) {
  if (factor == MTLBlendFactorSourceAlphaSaturated) return Splat(1.0f);
  return ColorFactor(factor, s.a, d.a, s, d);
}

Quad Blend(const MTL::RenderPipelineColorAttachmentSettings& color, const Quad& s, const Quad& d) {
  const MTLBlendFactor fs = color.sourceRGBBlendFactor;
  const MTLBlendFactor fd = color.destinationRGBBlendFactor;
  return {s.r * ColorFactor(fs, s.r, d.r, s, d) + d.r * ColorFactor(fd, s.r, d.r, s, d),
          s.g * ColorFactor(fs, s.g, d.g, s, d) + d.g * ColorFactor(fd, s.g, d.g, s, d),
          s.b * ColorFactor(fs, s.b, d.b, s, d) + d.b * ColorFactor(fd, s.b, d.b, s, d),
          s.a * AlphaFactor(color.sourceAlphaBlendFactor, s, d) +
              d.a * AlphaFactor(color.destinationAlphaBlendFactor, s, d)};
}

// Source-over of premultiplied colours: the general formula with factors one
// and one minus source alpha, where x * 1 is x.
inline Quad SourceOver(const Quad& s, const Quad& d) {
  const F32x4 inverse = Splat(1.0f) - s.a;
  return {s.r + d.r * inverse, s.g + d.g * inverse, s.b + d.b * inverse, s.a + d.a * inverse};
}

inline Quad LoadColors(const SpanColors& src, int first) {
  return {simd::Load(src.r + first), simd::Load(src.g + first), simd::Load(src.b + first), simd::Load(src.a + first)};
}

// Up to four words from `bytes`, unused lanes zero.
inline U32x4 LoadWords(const std::uint8_t* bytes, int count) { return simd::LoadTexels(bytes, count); }

inline bool AllLive(const std::uint8_t* live, int count) {
  if (live == nullptr) return true;
  for (int k = 0; k < count; ++k) {
    if (live[k] == 0) return false;
  }
  return true;
}

inline bool NoneLive(const std::uint8_t* live, int count) {
  if (live == nullptr) return false;
  for (int k = 0; k < count; ++k) {
    if (live[k] != 0) return false;
  }
  return true;
}

// Stores the live lanes of four-byte texels.
inline int StoreWords(std::uint8_t* pixels, int count, U32x4 words, const std::uint8_t* live) {
  if (live == nullptr || (count == kLanes && AllLive(live, count))) {
    simd::StoreTexels(pixels, words, count);
    return count;
  }
  int written = 0;
  for (int k = 0; k < count; ++k) {
    if (live != nullptr && live[k] == 0) continue;
    const std::uint32_t word = words[k];
    std::memcpy(pixels + k * kWordBytes, &word, kWordBytes);
    ++written;
  }
  return written;
}

// The channel of each word `shift` bits up, as a float in 0..1.
inline F32x4 Channel(U32x4 words, int shift) {
  const U32x4 bytes = (words >> static_cast<std::uint32_t>(shift)) & SplatU(0xFF);
  return __builtin_convertvector(reinterpret_cast<simd::I32x4>(bytes), F32x4) * Splat(simd::kUnormStep);
}

inline Quad Unpack(U32x4 words, const int (&shifts)[4]) {
  return {Channel(words, shifts[0]), Channel(words, shifts[1]), Channel(words, shifts[2]), Channel(words, shifts[3])};
}

inline U32x4 Pack(const Quad& c, const int (&shifts)[4]) {
  const auto at = [](F32x4 channel, int shift) {
    return simd::QuantizeUnorm(channel) << static_cast<std::uint32_t>(shift);
  };
  return at(c.r, shifts[0]) | at(c.g, shifts[1]) | at(c.b, shifts[2]) | at(c.a, shifts[3]);
}

// Single-byte (R8) texels: up to four as words, read as (r, 0, 0, 1).
inline U32x4 LoadBytes(const std::uint8_t* bytes, int count) {
  U32x4 words = SplatU(0);
  for (int k = 0; k < count; ++k) words[k] = bytes[k];
  return words;
}

inline Quad UnpackBytes(U32x4 words) { return {Channel(words, 0), Splat(0.0f), Splat(0.0f), Splat(1.0f)}; }

}  // namespace

Blender::Blender(MTLPixelFormat format, const MTL::RenderPipelineColorAttachmentSettings& color)
    : format_(format), color_(color) {
  singleByte_ = format == MTLPixelFormatR8Unorm;
  if (format == MTLPixelFormatBGRA8Unorm) shifts_[0] = 16, shifts_[2] = 0;
  const MTLColorWriteMask channels[4] = {MTLColorWriteMaskRed, MTLColorWriteMaskGreen, MTLColorWriteMaskBlue,
                                         MTLColorWriteMaskAlpha};
  for (int c = 0; c < 4; ++c) {
    if ((color.writeMask & channels[c]) == 0) keptBits_ |= 0xFFu << shifts_[c];
  }
  sourceOver_ = color.blendingEnabled && IsSourceOver(color);
  const bool bytesAllWritten = !singleByte_ && color.writeMask == MTLColorWriteMaskAll;
  sourceOverOnBytes_ = bytesAllWritten && sourceOver_;
  storeOnBytes_ = bytesAllWritten && !color.blendingEnabled;
}

StoredTexel Blender::Store(float r, float g, float b, float a) const {
  const Quad c{Splat(r), Splat(g), Splat(b), Splat(a)};
  const std::uint32_t word = singleByte_ ? simd::QuantizeUnorm(c.r)[0] : Pack(c, shifts_)[0];
  StoredTexel texel{};
  std::memcpy(texel.data(), &word, texel.size());
  return texel;
}

STANDIN_SPAN_FUNCTION int Blender::BlendSpan(std::uint8_t* pixels, int count, const SpanColors& src,
                                             const std::uint8_t* live) const {
  const bool readsDestination = color_.blendingEnabled || keptBits_ != 0;
  int written = 0;
  for (int first = 0; first < count; first += kLanes) {
    const int n = std::min(kLanes, count - first);
    const std::uint8_t* lanes = live != nullptr ? live + first : nullptr;
    if (NoneLive(lanes, n)) continue;
    const Quad s = LoadColors(src, first);
    if (singleByte_) {
      std::uint8_t* at = pixels + first;
      const U32x4 old = LoadBytes(at, n);
      const Quad out = !color_.blendingEnabled ? s
                       : sourceOver_           ? SourceOver(s, UnpackBytes(old))
                                               : Blend(color_, s, UnpackBytes(old));
      const U32x4 bytes = simd::QuantizeUnorm(out.r);
      for (int k = 0; k < n; ++k) {
        if (lanes != nullptr && lanes[k] == 0) continue;
        if (color_.writeMask & MTLColorWriteMaskRed) at[k] = static_cast<std::uint8_t>(bytes[k]);
        ++written;
      }
      continue;
    }
    std::uint8_t* at = pixels + first * kWordBytes;
    const U32x4 old = readsDestination ? LoadWords(at, n) : SplatU(0);
    Quad out = s;
    if (sourceOver_) {
      out = SourceOver(s, Unpack(old, shifts_));
    } else if (color_.blendingEnabled) {
      out = Blend(color_, s, Unpack(old, shifts_));
    }
    U32x4 words = Pack(out, shifts_);
    if (keptBits_ != 0) words = (words & ~SplatU(keptBits_)) | (old & SplatU(keptBits_));
    written += StoreWords(at, n, words, lanes);
  }
  return written;
}

STANDIN_SPAN_FUNCTION int Blender::Fill(std::uint8_t* pixels, int count, StoredTexel texel,
                                        const std::uint8_t* live) const {
  if (singleByte_) {
    int written = 0;
    for (int k = 0; k < count; ++k) {
      if (live != nullptr && live[k] == 0) continue;
      pixels[k] = texel[0];
      ++written;
    }
    return written;
  }
  std::uint32_t word;
  std::memcpy(&word, texel.data(), kWordBytes);
  int written = 0;
  for (int first = 0; first < count; first += kLanes) {
    const int n = std::min(kLanes, count - first);
    written += StoreWords(pixels + first * kWordBytes, n, SplatU(word), live != nullptr ? live + first : nullptr);
  }
  return written;
}

STANDIN_SPAN_FUNCTION int Blender::BlendConstant(std::uint8_t* pixels, int count, const float (&constant)[4],
                                                 StoredTexel opaque, const float* coverage,
                                                 const std::uint8_t* live) const {
  std::uint32_t opaqueWord;
  std::memcpy(&opaqueWord, opaque.data(), sizeof opaqueWord);
  const bool opaqueColor = constant[3] == 1.0f;
  const Quad color{Splat(constant[0]), Splat(constant[1]), Splat(constant[2]), Splat(constant[3])};
  int written = 0;
  for (int first = 0; first < count; first += kLanes) {
    const int n = std::min(kLanes, count - first);
    const std::uint8_t* lanes = live != nullptr ? live + first : nullptr;
    std::uint8_t* at = pixels + first * kWordBytes;
    if (coverage == nullptr) {
      written += StoreWords(at, n, Pack(SourceOver(color, Unpack(LoadWords(at, n), shifts_)), shifts_), lanes);
      continue;
    }
    const F32x4 c = simd::Load(coverage + first);
    // Lanes past the count take no part in the verdicts.
    const simd::I32x4 beyond = simd::I32x4{0, 1, 2, 3} >= simd::I32x4{n, n, n, n};
    const bool full = opaqueColor && simd::All((c == Splat(1.0f)) | beyond);
    const bool empty = simd::All((c == Splat(0.0f)) | beyond);
    if (empty) continue;  // adds nothing
    if (full) {           // the constant covers what is there
      written += StoreWords(at, n, SplatU(opaqueWord), lanes);
      continue;
    }
    const Quad s{color.r * c, color.g * c, color.b * c, color.a * c};
    written += StoreWords(at, n, Pack(SourceOver(s, Unpack(LoadWords(at, n), shifts_)), shifts_), lanes);
  }
  return written;
}

STANDIN_SPAN_FUNCTION int Blender::BlendCoverageTexels(std::uint8_t* pixels, const std::uint8_t* texels, int count,
                                                       const float (&constant)[4], const float* coverage,
                                                       const std::uint8_t* live) const {
  const Quad color{Splat(constant[0]), Splat(constant[1]), Splat(constant[2]), Splat(constant[3])};
  int written = 0;
  for (int first = 0; first < count; first += kLanes) {
    const int n = std::min(kLanes, count - first);
    const U32x4 bytes = LoadBytes(texels + first, n);
    if (simd::All(reinterpret_cast<simd::I32x4>(bytes == SplatU(0)))) continue;  // adds nothing
    const F32x4 t = Channel(bytes, 0);
    Quad s{t * color.r, t * color.g, t * color.b, t * color.a};
    if (coverage != nullptr) {
      const F32x4 c = simd::Load(coverage + first);
      s = {s.r * c, s.g * c, s.b * c, s.a * c};
    }
    std::uint8_t* at = pixels + first * kWordBytes;
    written += StoreWords(at, n, Pack(SourceOver(s, Unpack(LoadWords(at, n), shifts_)), shifts_),
                          live != nullptr ? live + first : nullptr);
  }
  return written;
}

STANDIN_SPAN_FUNCTION int Blender::CopyTexelsOver(std::uint8_t* pixels, const std::uint8_t* texels,
                                                  MTLPixelFormat texelFormat, int count,
                                                  const std::uint8_t* live) const {
  const bool swizzle = texelFormat != format_;
  int written = 0;
  for (int first = 0; first < count; first += kLanes) {
    const int n = std::min(kLanes, count - first);
    const std::uint8_t* lanes = live != nullptr ? live + first : nullptr;
    std::uint8_t* at = pixels + first * kWordBytes;
    U32x4 words = LoadWords(texels + first * kWordBytes, n);
    if (swizzle) {
      words = (words & SplatU(0xFF00FF00u)) | ((words >> 16u) & SplatU(0xFFu)) | ((words & SplatU(0xFFu)) << 16u);
    }
    // Lanes past the count read as empty, which leaves both verdicts to the others.
    const simd::I32x4 opaque = reinterpret_cast<simd::I32x4>(words >= SplatU(0xFF000000u));
    const simd::I32x4 empty = reinterpret_cast<simd::I32x4>(words == SplatU(0));
    const simd::I32x4 beyond = simd::I32x4{0, 1, 2, 3} >= simd::I32x4{n, n, n, n};
    const bool allOpaque = simd::All(opaque | beyond);
    const bool allEmpty = simd::All(empty);
    if (allEmpty) continue;  // adds nothing
    if (!allOpaque) words = Pack(SourceOver(Unpack(words, shifts_), Unpack(LoadWords(at, n), shifts_)), shifts_);
    written += StoreWords(at, n, words, lanes);
  }
  return written;
}

}  // namespace standin::metal
