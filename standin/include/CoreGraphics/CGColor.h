#pragma once

// Colours: red, green, blue and alpha in device RGB, each clamped to 0..1
// (NaN counts as 0). CF objects, counted by the live-object count. Any thread.

#include <CoreGraphics/CGColorSpace.h>
#include <CoreGraphics/CGGeometry.h>

typedef struct CGColorObject* CGColorRef;

CF_EXTERN_C_BEGIN

CFTypeID CGColorGetTypeID(void);
// Four components: red, green, blue, alpha. Null for a null space or components.
CGColorRef CGColorCreate(CGColorSpaceRef space, const CGFloat* components);
// Both tolerate null.
CGColorRef CGColorRetain(CGColorRef color);
void CGColorRelease(CGColorRef color);

CF_EXTERN_C_END
