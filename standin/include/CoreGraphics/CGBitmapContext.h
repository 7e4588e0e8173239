#pragma once

// Contexts drawing into memory: 8 bits per component, RGBA with premultiplied
// alpha (kCGImageAlphaPremultipliedLast), device RGB, rows top first. Any thread.

#include <CoreGraphics/CGContext.h>

CF_EXTERN_C_BEGIN

// Draws into data when given (at least bytesPerRow x height bytes, which the
// caller keeps alive), else into zeroed memory of its own; bytesPerRow 0 packs
// the rows. Null for another pixel format, an empty or oversized surface, too
// few bytes per row or a null colour space.
CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef space, uint32_t bitmapInfo);
// A new image holding a copy of the pixels drawn so far; null for another context.
CGImageRef CGBitmapContextCreateImage(CGContextRef context);

CF_EXTERN_C_END
