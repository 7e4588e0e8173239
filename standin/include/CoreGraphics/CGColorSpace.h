#pragma once

// Colour spaces: device RGB only. CF objects, counted by the live-object
// count; CFRelease works on them too. Any thread.

#include <CoreFoundation/CFBase.h>

typedef struct CGColorSpaceObject* CGColorSpaceRef;

CF_EXTERN_C_BEGIN

CFTypeID CGColorSpaceGetTypeID(void);
CGColorSpaceRef CGColorSpaceCreateDeviceRGB(void);
// Both tolerate null.
CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space);
void CGColorSpaceRelease(CGColorSpaceRef space);

CF_EXTERN_C_END
