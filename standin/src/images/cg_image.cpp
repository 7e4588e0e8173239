// Colour spaces, colours, images and bitmap contexts of the CoreGraphics stand-in.

#include <CoreGraphics/CGBitmapContext.h>

#include <algorithm>
#include <cmath>

#include "images/cg_objects.h"
#include "images/image_decoder.h"

using standin::cf::As;
using standin::images::kBytesPerPixel;

namespace {

constexpr std::size_t kBitsPerComponent = 8;

CGFloat ClampedComponent(CGFloat value) { return std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0); }

std::uint8_t Premultiplied(std::uint8_t channel, std::uint8_t alpha) {
  return static_cast<std::uint8_t>((channel * alpha + 127) / 255);
}

bool IsSupportedBitmapInfo(uint32_t info) {
  const uint32_t order = info & kCGBitmapByteOrderMask;
  return (info & kCGBitmapAlphaInfoMask) == kCGImageAlphaPremultipliedLast &&
         (order == kCGBitmapByteOrderDefault || order == kCGBitmapByteOrder32Big) &&
         (info & ~(kCGBitmapAlphaInfoMask | kCGBitmapByteOrderMask)) == 0;
}

template <typename Ref>
Ref Retained(Ref ref) {
  return static_cast<Ref>(const_cast<void*>(CFRetain(ref)));
}

}  // namespace

CGColorObject::CGColorObject(const CGFloat* rgba) {
  for (int at = 0; at < 4; ++at) components[at] = ClampedComponent(rgba[at]);
}

CGImageObject::CGImageObject(int width, int height, std::vector<std::uint8_t> pixels)
    : width(width), height(height), rgba(std::move(pixels)), colorSpace(CGColorSpaceCreateDeviceRGB()) {}

CGImageObject::~CGImageObject() { CFRelease(colorSpace); }

standin::images::SourcePixels CGImageObject::Pixels() const {
  return {rgba.data(), width, height, static_cast<std::size_t>(width) * kBytesPerPixel};
}

CGContext::CGContext(void* data, int width, int height, std::size_t bytesPerRow, CGColorSpaceRef space)
    : ownPixels_(data == nullptr ? bytesPerRow * height : 0, 0),
      target_{data != nullptr ? static_cast<std::uint8_t*>(data) : ownPixels_.data(), width, height, bytesPerRow},
      colorSpace_(Retained(space)) {}

CGContext::~CGContext() { CFRelease(colorSpace_); }

namespace standin::images {

CGImageRef MakeImage(int width, int height, std::vector<std::uint8_t> premultiplied) {
  return new CGImageObject(width, height, std::move(premultiplied));
}

CGImageRef MakeImageFromStraightRGBA(int width, int height, const std::vector<std::uint8_t>& rgba) {
  std::vector<std::uint8_t> pixels(rgba.size());
  for (std::size_t at = 0; at + kBytesPerPixel <= rgba.size(); at += kBytesPerPixel) {
    const std::uint8_t alpha = rgba[at + 3];
    for (int channel = 0; channel < 3; ++channel) pixels[at + channel] = Premultiplied(rgba[at + channel], alpha);
    pixels[at + 3] = alpha;
  }
  return MakeImage(width, height, std::move(pixels));
}

}  // namespace standin::images

extern "C" {

CFTypeID CGColorSpaceGetTypeID(void) { return CGColorSpaceObject::kTypeID; }
CGColorSpaceRef CGColorSpaceCreateDeviceRGB(void) { return new CGColorSpaceObject; }
CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space) { return Retained(space); }
void CGColorSpaceRelease(CGColorSpaceRef space) { CFRelease(space); }

CFTypeID CGColorGetTypeID(void) { return CGColorObject::kTypeID; }

CGColorRef CGColorCreate(CGColorSpaceRef space, const CGFloat* components) {
  if (As<CGColorSpaceObject>(space) == nullptr || components == nullptr) return nullptr;
  return new CGColorObject(components);
}

CGColorRef CGColorRetain(CGColorRef color) { return Retained(color); }
void CGColorRelease(CGColorRef color) { CFRelease(color); }

CFTypeID CGImageGetTypeID(void) { return CGImageObject::kTypeID; }

size_t CGImageGetWidth(CGImageRef image) {
  const auto* object = As<CGImageObject>(image);
  return object != nullptr ? static_cast<size_t>(object->width) : 0;
}

size_t CGImageGetHeight(CGImageRef image) {
  const auto* object = As<CGImageObject>(image);
  return object != nullptr ? static_cast<size_t>(object->height) : 0;
}

size_t CGImageGetBitsPerComponent(CGImageRef image) {
  return As<CGImageObject>(image) != nullptr ? kBitsPerComponent : 0;
}

size_t CGImageGetBitsPerPixel(CGImageRef image) {
  return As<CGImageObject>(image) != nullptr ? kBitsPerComponent * kBytesPerPixel : 0;
}

size_t CGImageGetBytesPerRow(CGImageRef image) { return CGImageGetWidth(image) * kBytesPerPixel; }

CGColorSpaceRef CGImageGetColorSpace(CGImageRef image) {
  const auto* object = As<CGImageObject>(image);
  return object != nullptr ? object->colorSpace : nullptr;
}

CGBitmapInfo CGImageGetBitmapInfo(CGImageRef image) {
  return As<CGImageObject>(image) != nullptr ? CGBitmapInfo{kCGImageAlphaPremultipliedLast} : 0;
}

CGImageRef CGImageRetain(CGImageRef image) { return Retained(image); }
void CGImageRelease(CGImageRef image) { CFRelease(image); }

CFTypeID CGContextGetTypeID(void) { return CGContext::kTypeID; }
CGContextRef CGContextRetain(CGContextRef context) { return Retained(context); }
void CGContextRelease(CGContextRef context) { CFRelease(context); }

CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef space, uint32_t bitmapInfo) {
  using standin::images::kMaxImagePixels;
  using standin::images::kMaxImageSide;
  if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide ||
      static_cast<long long>(width * height) > kMaxImagePixels || bitsPerComponent != kBitsPerComponent ||
      As<CGColorSpaceObject>(space) == nullptr || !IsSupportedBitmapInfo(bitmapInfo)) {
    return nullptr;
  }
  const size_t packed = width * kBytesPerPixel;
  if (bytesPerRow == 0) bytesPerRow = packed;
  // A row longer than the widest image has room for is no row of this surface.
  if (bytesPerRow < packed || bytesPerRow > size_t(kMaxImageSide) * kBytesPerPixel) return nullptr;
  return new CGContext(data, static_cast<int>(width), static_cast<int>(height), bytesPerRow, space);
}

CGImageRef CGBitmapContextCreateImage(CGContextRef context) {
  const auto* object = As<CGContext>(context);
  if (object == nullptr) return nullptr;
  const standin::images::TargetPixels& pixels = object->Pixels();
  const size_t packed = static_cast<size_t>(pixels.width) * kBytesPerPixel;
  std::vector<std::uint8_t> copy(packed * pixels.height);
  for (int row = 0; row < pixels.height; ++row) {
    std::copy_n(pixels.data + row * pixels.bytesPerRow, packed, copy.data() + row * packed);
  }
  return standin::images::MakeImage(pixels.width, pixels.height, std::move(copy));
}

void CGContextSetShadowWithColor(CGContextRef context, CGSize offset, CGFloat blur, CGColorRef color) {
  auto* object = standin::cf::AsMutable<CGContext>(context);
  if (object == nullptr) return;
  const auto* tint = As<CGColorObject>(color);
  if (tint == nullptr) {
    object->shadow.reset();
    return;
  }
  standin::images::Shadow shadow;
  shadow.offset = offset;
  shadow.blur = std::max(0.0, blur);
  std::copy_n(tint->components, 4, shadow.rgba);
  object->shadow = shadow;
}

void CGContextDrawImage(CGContextRef context, CGRect rect, CGImageRef image) {
  auto* object = standin::cf::AsMutable<CGContext>(context);
  const auto* source = As<CGImageObject>(image);
  if (object == nullptr || source == nullptr) return;
  standin::images::DrawImage(object->Pixels(), rect, source->Pixels(), object->shadow ? &*object->shadow : nullptr);
}

}  // extern "C"
