#pragma once

#include <CoreFoundation/CFBase.h>

typedef const struct CFDataObject* CFDataRef;

CF_EXTERN_C_BEGIN

CFTypeID CFDataGetTypeID(void);
CFDataRef CFDataCreate(CFAllocatorRef allocator, const UInt8* bytes, CFIndex length);
CFIndex CFDataGetLength(CFDataRef data);
const UInt8* CFDataGetBytePtr(CFDataRef data);
// Copies the range; a range outside the data copies nothing.
void CFDataGetBytes(CFDataRef data, CFRange range, UInt8* buffer);

CF_EXTERN_C_END
