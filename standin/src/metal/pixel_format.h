#pragma once

// What the stand-in knows of each pixel format: texel size, the conversion of
// clear colours into stored bytes and of stored texels into RGBA8.

#include <Metal/MTLRenderPass.h>
#include <Metal/MTLTypes.h>

#include <array>
#include <cstdint>

namespace standin::metal {

// 0 for a format the stand-in does not have.
NS::UInteger BytesPerTexel(MTLPixelFormat format);
bool IsColorFormat(MTLPixelFormat format);
const char* PixelFormatName(MTLPixelFormat format);

// A colour channel in 0..1 as a stored byte: clamped, non-finite as 0, floor(v x 255 + 0.5).
std::uint8_t UnormByte(double value);

// A clear colour as the bytes of one texel, in the format's memory order.
std::array<std::uint8_t, 4> ClearTexel(MTLPixelFormat format, const MTLClearColor& color);

// One stored texel as RGBA8: R8 and stencil give (v, 0, 0, 255), BGRA8 is swizzled.
std::array<std::uint8_t, 4> TexelAsRgba(MTLPixelFormat format, const std::uint8_t* texel);

}  // namespace standin::metal
