#pragma once

// Fonts made from graphics fonts. CF objects; any thread.

#include <CoreGraphics/CGAffineTransform.h>
#include <CoreGraphics/CGFont.h>
#include <CoreText/CTFontDescriptor.h>

typedef const struct CTFontObject* CTFontRef;

CF_EXTERN_C_BEGIN

CFTypeID CTFontGetTypeID(void);
// A font of the graphics font's face; null without one. The size, matrix and
// extra attributes do not change which face it is.
CTFontRef CTFontCreateWithGraphicsFont(CGFontRef graphicsFont, CGFloat size, const CGAffineTransform* matrix,
                                       CTFontDescriptorRef attributes);
// The face's descriptor: the family and style that the catalogue reports for
// it, and the URL when the graphics font's provider was made from a file.
CTFontDescriptorRef CTFontCopyFontDescriptor(CTFontRef font);

CF_EXTERN_C_END
