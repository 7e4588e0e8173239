#pragma once

// A font face read from a data provider. CF objects; any thread.

#include <CoreGraphics/CGDataProvider.h>

typedef struct CGFontObject* CGFontRef;

CF_EXTERN_C_BEGIN

CFTypeID CGFontGetTypeID(void);
// The first face of the provider's bytes (of a collection, its first font);
// null when the bytes hold no face that can be read, truncated ones included.
// The font keeps the provider.
CGFontRef CGFontCreateWithDataProvider(CGDataProviderRef provider);
// Both tolerate null.
CGFontRef CGFontRetain(CGFontRef font);
void CGFontRelease(CGFontRef font);

CF_EXTERN_C_END
