#include "metal/pixel_format.h"

#include <algorithm>
#include <cmath>

namespace standin::metal {
namespace {

constexpr double kUnormScale = 255.0;
constexpr std::uint8_t kOpaque = 255;

}  // namespace

NS::UInteger BytesPerTexel(MTLPixelFormat format) {
  switch (format) {
    case MTLPixelFormatR8Unorm:
    case MTLPixelFormatStencil8:
      return 1;
    case MTLPixelFormatRGBA8Unorm:
    case MTLPixelFormatBGRA8Unorm:
      return 4;
    default:
      return 0;
  }
}

bool IsColorFormat(MTLPixelFormat format) {
  return format == MTLPixelFormatR8Unorm || format == MTLPixelFormatRGBA8Unorm || format == MTLPixelFormatBGRA8Unorm;
}

const char* PixelFormatName(MTLPixelFormat format) {
  switch (format) {
    case MTLPixelFormatR8Unorm:
      return "R8Unorm";
    case MTLPixelFormatRGBA8Unorm:
      return "RGBA8Unorm";
    case MTLPixelFormatBGRA8Unorm:
      return "BGRA8Unorm";
    case MTLPixelFormatStencil8:
      return "Stencil8";
    default:
      return "an unsupported pixel format";
  }
}

std::uint8_t UnormByte(double value) {
  if (!std::isfinite(value)) return 0;
  return static_cast<std::uint8_t>(std::floor(std::clamp(value, 0.0, 1.0) * kUnormScale + 0.5));
}

std::array<std::uint8_t, 4> ClearTexel(MTLPixelFormat format, const MTLClearColor& color) {
  const std::uint8_t r = UnormByte(color.red);
  const std::uint8_t g = UnormByte(color.green);
  const std::uint8_t b = UnormByte(color.blue);
  const std::uint8_t a = UnormByte(color.alpha);
  if (format == MTLPixelFormatBGRA8Unorm) return {b, g, r, a};
  if (format == MTLPixelFormatR8Unorm) return {r, 0, 0, 0};
  return {r, g, b, a};
}

std::array<std::uint8_t, 4> TexelAsRgba(MTLPixelFormat format, const std::uint8_t* texel) {
  switch (format) {
    case MTLPixelFormatRGBA8Unorm:
      return {texel[0], texel[1], texel[2], texel[3]};
    case MTLPixelFormatBGRA8Unorm:
      return {texel[2], texel[1], texel[0], texel[3]};
    default:
      return {texel[0], 0, 0, kOpaque};
  }
}

}  // namespace standin::metal
