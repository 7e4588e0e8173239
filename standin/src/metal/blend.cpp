#include "metal/blend.h"

#include <algorithm>

namespace standin::metal {
namespace {

constexpr int kBlock = kSpanBlock;
constexpr std::size_t kRgbaBytes = 4;

struct Block {
  alignas(32) float r[kBlock];
  alignas(32) float g[kBlock];
  alignas(32) float b[kBlock];
  alignas(32) float a[kBlock];
};

// Byte positions of red, green, blue and alpha in a four-byte texel.
struct ChannelOrder {
  int r, g, b, a;
};

constexpr ChannelOrder kRgbaOrder{0, 1, 2, 3};
constexpr ChannelOrder kBgraOrder{2, 1, 0, 3};

ChannelOrder OrderOf(MTLPixelFormat format) { return format == MTLPixelFormatBGRA8Unorm ? kBgraOrder : kRgbaOrder; }

void LoadSource(const SpanColors& src, int first, Block& s) {
  std::copy_n(src.r + first, kBlock, s.r);
  std::copy_n(src.g + first, kBlock, s.g);
  std::copy_n(src.b + first, kBlock, s.b);
  std::copy_n(src.a + first, kBlock, s.a);
}

// The destination texels of a block (`count` of them, the rest zero).
void LoadDestination(MTLPixelFormat format, const std::uint8_t* pixels, int count, Block& d) {
  const std::array<float, 256>& unorm = UnormFloats();
  std::fill_n(d.r, kBlock, 0.0f);
  std::fill_n(d.g, kBlock, 0.0f);
  std::fill_n(d.b, kBlock, 0.0f);
  std::fill_n(d.a, kBlock, 0.0f);
  if (format == MTLPixelFormatR8Unorm) {
    for (int k = 0; k < count; ++k) {
      d.r[k] = unorm[pixels[k]];
      d.a[k] = 1.0f;
    }
    return;
  }
  const ChannelOrder order = OrderOf(format);
  for (int k = 0; k < count; ++k) {
    const std::uint8_t* texel = pixels + k * kRgbaBytes;
    d.r[k] = unorm[texel[order.r]];
    d.g[k] = unorm[texel[order.g]];
    d.b[k] = unorm[texel[order.b]];
    d.a[k] = unorm[texel[order.a]];
  }
}

void Fill(float (&out)[kBlock], float value) { std::fill_n(out, kBlock, value); }

void OneMinus(const float (&in)[kBlock], float (&out)[kBlock]) {
  for (int k = 0; k < kBlock; ++k) out[k] = 1.0f - in[k];
}

// The factor of one colour channel: `sc` and `dc` are that channel of the source and destination.
void ColorFactor(MTLBlendFactor factor, const float (&sc)[kBlock], const float (&dc)[kBlock], const Block& s,
                 const Block& d, float (&out)[kBlock]) {
  switch (factor) {
    case MTLBlendFactorZero:
      return Fill(out, 0.0f);
    case MTLBlendFactorOne:
      return Fill(out, 1.0f);
    case MTLBlendFactorSourceColor:
      std::copy_n(sc, kBlock, out);
      return;
    case MTLBlendFactorOneMinusSourceColor:
      return OneMinus(sc, out);
    case MTLBlendFactorSourceAlpha:
      std::copy_n(s.a, kBlock, out);
      return;
    case MTLBlendFactorOneMinusSourceAlpha:
      return OneMinus(s.a, out);
    case MTLBlendFactorDestinationColor:
      std::copy_n(dc, kBlock, out);
      return;
    case MTLBlendFactorOneMinusDestinationColor:
      return OneMinus(dc, out);
    case MTLBlendFactorDestinationAlpha:
      std::copy_n(d.a, kBlock, out);
      return;
    case MTLBlendFactorOneMinusDestinationAlpha:
      return OneMinus(d.a, out);
    default:  // source alpha saturated
      for (int k = 0; k < kBlock; ++k) out[k] = std::min(s.a[k], 1.0f - d.a[k]);
      return;
  }
}

// The alpha channel's factor: colour factors read alpha, and saturation is 1.
void AlphaFactor(MTLBlendFactor factor, const Block& s, const Block& d, float (&out)[kBlock]) {
  if (factor == MTLBlendFactorSourceAlphaSaturated) return Fill(out, 1.0f);
  ColorFactor(factor, s.a, d.a, s, d, out);
}

void Combine(const float (&sc)[kBlock], const float (&fs)[kBlock], const float (&dc)[kBlock],
             const float (&fd)[kBlock], float (&out)[kBlock]) {
  for (int k = 0; k < kBlock; ++k) out[k] = sc[k] * fs[k] + dc[k] * fd[k];
}

void BlendBlock(const MTL::RenderPipelineColorAttachmentSettings& color, const Block& s, const Block& d,
                Block& out) {
  float fs[kBlock];
  float fd[kBlock];
  ColorFactor(color.sourceRGBBlendFactor, s.r, d.r, s, d, fs);
  ColorFactor(color.destinationRGBBlendFactor, s.r, d.r, s, d, fd);
  Combine(s.r, fs, d.r, fd, out.r);
  ColorFactor(color.sourceRGBBlendFactor, s.g, d.g, s, d, fs);
  ColorFactor(color.destinationRGBBlendFactor, s.g, d.g, s, d, fd);
  Combine(s.g, fs, d.g, fd, out.g);
  ColorFactor(color.sourceRGBBlendFactor, s.b, d.b, s, d, fs);
  ColorFactor(color.destinationRGBBlendFactor, s.b, d.b, s, d, fd);
  Combine(s.b, fs, d.b, fd, out.b);
  AlphaFactor(color.sourceAlphaBlendFactor, s, d, fs);
  AlphaFactor(color.destinationAlphaBlendFactor, s, d, fd);
  Combine(s.a, fs, d.a, fd, out.a);
}

// Source-over of premultiplied colours: the general formula with factors one
// and one minus source alpha, where x * 1 is x.
void SourceOverBlock(const Block& s, const Block& d, Block& out) {
  for (int k = 0; k < kBlock; ++k) {
    const float inverse = 1.0f - s.a[k];
    out.r[k] = s.r[k] + d.r[k] * inverse;
    out.g[k] = s.g[k] + d.g[k] * inverse;
    out.b[k] = s.b[k] + d.b[k] * inverse;
    out.a[k] = s.a[k] + d.a[k] * inverse;
  }
}

bool IsSourceOver(const MTL::RenderPipelineColorAttachmentSettings& color) {
  return color.sourceRGBBlendFactor == MTLBlendFactorOne &&
         color.destinationRGBBlendFactor == MTLBlendFactorOneMinusSourceAlpha &&
         color.sourceAlphaBlendFactor == MTLBlendFactorOne &&
         color.destinationAlphaBlendFactor == MTLBlendFactorOneMinusSourceAlpha;
}

struct QuantizedBlock {
  alignas(32) std::int32_t r[kBlock];
  alignas(32) std::int32_t g[kBlock];
  alignas(32) std::int32_t b[kBlock];
  alignas(32) std::int32_t a[kBlock];
};

void Quantize(const Block& c, QuantizedBlock& q) {
  for (int k = 0; k < kBlock; ++k) {
    q.r[k] = QuantizeUnorm(c.r[k]);
    q.g[k] = QuantizeUnorm(c.g[k]);
    q.b[k] = QuantizeUnorm(c.b[k]);
    q.a[k] = QuantizeUnorm(c.a[k]);
  }
}

int StoreBlock(const BlendSetup& setup, const QuantizedBlock& q, std::uint8_t* pixels, int count,
               const std::uint8_t* live) {
  const MTLColorWriteMask mask = setup.color.writeMask;
  int written = 0;
  if (setup.format == MTLPixelFormatR8Unorm) {
    for (int k = 0; k < count; ++k) {
      if (live != nullptr && live[k] == 0) continue;
      if (mask & MTLColorWriteMaskRed) pixels[k] = static_cast<std::uint8_t>(q.r[k]);
      ++written;
    }
    return written;
  }
  const ChannelOrder order = OrderOf(setup.format);
  for (int k = 0; k < count; ++k) {
    if (live != nullptr && live[k] == 0) continue;
    std::uint8_t* texel = pixels + k * kRgbaBytes;
    if (mask & MTLColorWriteMaskRed) texel[order.r] = static_cast<std::uint8_t>(q.r[k]);
    if (mask & MTLColorWriteMaskGreen) texel[order.g] = static_cast<std::uint8_t>(q.g[k]);
    if (mask & MTLColorWriteMaskBlue) texel[order.b] = static_cast<std::uint8_t>(q.b[k]);
    if (mask & MTLColorWriteMaskAlpha) texel[order.a] = static_cast<std::uint8_t>(q.a[k]);
    ++written;
  }
  return written;
}

}  // namespace

const std::array<float, 256>& UnormFloats() {
  static const std::array<float, 256> table = [] {
    std::array<float, 256> values{};
    for (int b = 0; b < 256; ++b) values[b] = static_cast<float>(b) / 255.0f;
    return values;
  }();
  return table;
}

bool BlendSetup::IsSourceOverOnBytes() const {
  return format != MTLPixelFormatR8Unorm && color.writeMask == MTLColorWriteMaskAll && color.blendingEnabled &&
         IsSourceOver(color);
}

bool BlendSetup::IsStoreOnBytes() const {
  return format != MTLPixelFormatR8Unorm && color.writeMask == MTLColorWriteMaskAll && !color.blendingEnabled;
}

StoredTexel BlendSetup::Store(float r, float g, float b, float a) const {
  const std::int32_t channels[4] = {QuantizeUnorm(r), QuantizeUnorm(g), QuantizeUnorm(b), QuantizeUnorm(a)};
  const ChannelOrder order = OrderOf(format);
  StoredTexel texel{};
  texel[order.r] = static_cast<std::uint8_t>(channels[0]);
  texel[order.g] = static_cast<std::uint8_t>(channels[1]);
  texel[order.b] = static_cast<std::uint8_t>(channels[2]);
  texel[order.a] = static_cast<std::uint8_t>(channels[3]);
  return texel;
}

int BlendSpan(const BlendSetup& setup, std::uint8_t* pixels, int count, const SpanColors& src,
              const std::uint8_t* live) {
  const std::size_t bytesPerTexel = setup.format == MTLPixelFormatR8Unorm ? 1 : kRgbaBytes;
  const bool sourceOver = setup.color.blendingEnabled && IsSourceOver(setup.color);
  int written = 0;
  for (int first = 0; first < count; first += kBlock) {
    const int n = std::min(kBlock, count - first);
    std::uint8_t* at = pixels + first * bytesPerTexel;
    Block s;
    Block out;
    LoadSource(src, first, s);
    if (!setup.color.blendingEnabled) {
      out = s;
    } else {
      Block d;
      LoadDestination(setup.format, at, n, d);
      if (sourceOver) {
        SourceOverBlock(s, d, out);
      } else {
        BlendBlock(setup.color, s, d, out);
      }
    }
    QuantizedBlock q;
    Quantize(out, q);
    written += StoreBlock(setup, q, at, n, live != nullptr ? live + first : nullptr);
  }
  return written;
}

}  // namespace standin::metal
