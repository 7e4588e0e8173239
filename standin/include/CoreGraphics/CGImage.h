#pragma once

// Raster images: 8 bits per component, RGBA with premultiplied alpha in device
// RGB, rows top first. Immutable CF objects, counted by the live-object count.
// Any thread.

#include <CoreGraphics/CGColorSpace.h>

#include <cstddef>
#include <cstdint>

typedef struct CGImageObject* CGImageRef;

typedef uint32_t CGBitmapInfo;
typedef uint32_t CGImageAlphaInfo;
enum : CGImageAlphaInfo {
  kCGImageAlphaPremultipliedLast = 1,  // RGBA, the colour multiplied by alpha
};
enum : CGBitmapInfo {
  kCGBitmapAlphaInfoMask = 0x1F,
  kCGBitmapByteOrderMask = 0x7000,
  kCGBitmapByteOrderDefault = 0,
  kCGBitmapByteOrder32Big = 4 << 12,
};

CF_EXTERN_C_BEGIN

CFTypeID CGImageGetTypeID(void);
// Each answers 0 (null for the colour space) for a null image.
size_t CGImageGetWidth(CGImageRef image);
size_t CGImageGetHeight(CGImageRef image);
size_t CGImageGetBitsPerComponent(CGImageRef image);
size_t CGImageGetBitsPerPixel(CGImageRef image);
size_t CGImageGetBytesPerRow(CGImageRef image);
// Not owned by the caller.
CGColorSpaceRef CGImageGetColorSpace(CGImageRef image);
CGBitmapInfo CGImageGetBitmapInfo(CGImageRef image);
// Both tolerate null.
CGImageRef CGImageRetain(CGImageRef image);
void CGImageRelease(CGImageRef image);

CF_EXTERN_C_END
