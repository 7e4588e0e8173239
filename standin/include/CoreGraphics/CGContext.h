#pragma once

// CoreGraphics drawing contexts: CF objects, retained and released as such.
// User space has its origin at the bottom left with y growing upwards. Every
// call does nothing (or answers null) for a null context. Any thread, one
// thread per context at a time.

#include <CoreGraphics/CGColor.h>
#include <CoreGraphics/CGGeometry.h>
#include <CoreGraphics/CGImage.h>

typedef struct CGContext* CGContextRef;

CF_EXTERN_C_BEGIN

CFTypeID CGContextGetTypeID(void);
// Both tolerate null.
CGContextRef CGContextRetain(CGContextRef context);
void CGContextRelease(CGContextRef context);

// Later drawing casts a shadow: the drawn alpha moved by the offset (y up),
// blurred by a Gaussian whose standard deviation is half the blur, tinted with
// the colour and painted under the drawing. A null colour turns shadows off.
void CGContextSetShadowWithColor(CGContextRef context, CGSize offset, CGFloat blur, CGColorRef color);
// The image scaled into the rectangle (bilinear), composited over the context.
void CGContextDrawImage(CGContextRef context, CGRect rect, CGImageRef image);

CF_EXTERN_C_END
