#pragma once

// Sources of bytes for fonts: a file or a block of memory. CF objects, counted
// by the live-object count; CFRelease works on them too. Any thread.

#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFURL.h>

#include <cstddef>

typedef struct CGDataProviderObject* CGDataProviderRef;

// Called once, when the provider is freed, with what the provider was made from.
typedef void (*CGDataProviderReleaseDataCallback)(void* info, const void* data, size_t size);

CF_EXTERN_C_BEGIN

CFTypeID CGDataProviderGetTypeID(void);
// The bytes of the file the URL names, read now; null when it is no file URL
// or the file cannot be read.
CGDataProviderRef CGDataProviderCreateWithURL(CFURLRef url);
// The caller's bytes, not copied; they must stay until the callback runs.
CGDataProviderRef CGDataProviderCreateWithData(void* info, const void* data, size_t size,
                                               CGDataProviderReleaseDataCallback releaseData);
// A new CFData holding a copy of the bytes.
CFDataRef CGDataProviderCopyData(CGDataProviderRef provider);
// Both tolerate null.
CGDataProviderRef CGDataProviderRetain(CGDataProviderRef provider);
void CGDataProviderRelease(CGDataProviderRef provider);

CF_EXTERN_C_END
