#pragma once

// Blending premultiplied float colours onto stored texels, four at a time.
// Bytes read as b / 255 (the float b x fl(1 / 255)) and store as
// floor(v x 255 + 0.5) of v clamped to 0..1 (a non-finite value as 0), exactly.

#include <Metal/MTLRenderPipeline.h>
#include <standin/metal/shader.h>

#include <array>
#include <cstdint>

namespace standin::metal {

// One RGBA8 or BGRA8 texel (or R8 in its first byte) as the colour target stores it.
using StoredTexel = std::array<std::uint8_t, 4>;

// How one draw blends into its colour target. Every operation takes `live`
// (null: every pixel) and answers how many texels it wrote.
class Blender {
public:
  Blender() : Blender(MTLPixelFormatRGBA8Unorm, {}) {}
  Blender(MTLPixelFormat format, const MTL::RenderPipelineColorAttachmentSettings& color);

  MTLPixelFormat format() const { return format_; }
  MTLColorWriteMask writeMask() const { return color_.writeMask; }
  std::size_t bytesPerTexel() const { return singleByte_ ? 1 : 4; }
  // Premultiplied source-over on a four-byte format, every channel written:
  // what the byte fast paths know how to do.
  bool sourceOverOnBytes() const { return sourceOverOnBytes_; }
  // Blending off on a four-byte format, every channel written: the source is stored.
  bool storeOnBytes() const { return storeOnBytes_; }

  // The bytes the source colour is stored as (quantised, in the format's order).
  StoredTexel Store(float r, float g, float b, float a) const;

  // Blends src[0 .. count) (read in whole blocks) onto the texels from `pixels`.
  STANDIN_SPAN_DECLARATION int BlendSpan(std::uint8_t* pixels, int count, const SpanColors& src, const std::uint8_t* live) const;
  // Stores the texel.
  STANDIN_SPAN_DECLARATION int Fill(std::uint8_t* pixels, int count, StoredTexel texel, const std::uint8_t* live) const;
  // When sourceOverOnBytes: source-over of constant x coverage[k] (of the
  // constant when coverage is null), the constant finite; `opaque` is the
  // constant as stored, for its alpha of 1.
  STANDIN_SPAN_DECLARATION int BlendConstant(std::uint8_t* pixels, int count, const float (&constant)[4], StoredTexel opaque,
                    const float* coverage, const std::uint8_t* live) const;
  // When sourceOverOnBytes: source-over of the coverage texels (R8) as colour
  // t x constant (times coverage[k] unless coverage is null), the constant finite.
  STANDIN_SPAN_DECLARATION int BlendCoverageTexels(std::uint8_t* pixels, const std::uint8_t* texels, int count, const float (&constant)[4],
                          const float* coverage, const std::uint8_t* live) const;
  // When sourceOverOnBytes: source-over of four-byte texels of `texelFormat`
  // (RGBA8 or BGRA8) as they are: opaque texels are copied, empty ones skip.
  STANDIN_SPAN_DECLARATION int CopyTexelsOver(std::uint8_t* pixels, const std::uint8_t* texels, MTLPixelFormat texelFormat, int count,
                     const std::uint8_t* live) const;

private:
  MTLPixelFormat format_;
  MTL::RenderPipelineColorAttachmentSettings color_;
  bool singleByte_ = false;         // R8: red only, read as (r, 0, 0, 1)
  int shifts_[4] = {0, 8, 16, 24};  // where red, green, blue and alpha sit in a stored word
  std::uint32_t keptBits_ = 0;      // bits of a stored word the write mask keeps
  bool sourceOver_ = false;
  bool sourceOverOnBytes_ = false;
  bool storeOnBytes_ = false;
};

}  // namespace standin::metal
