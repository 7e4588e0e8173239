#pragma once

#include <CoreFoundation/CFBase.h>

typedef const struct CFURLObject* CFURLRef;

typedef CFIndex CFURLPathStyle;
enum { kCFURLPOSIXPathStyle = 0 };

CF_EXTERN_C_BEGIN

CFTypeID CFURLGetTypeID(void);
// Null for a text that is empty or holds white space or control characters.
CFURLRef CFURLCreateWithString(CFAllocatorRef allocator, CFStringRef text, CFURLRef baseURL);
// A "file://" URL of the path made absolute, percent-encoded; a folder ends in "/".
CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef allocator, CFStringRef path,
                                       CFURLPathStyle style, Boolean isDirectory);
CFStringRef CFURLGetString(CFURLRef url);
// The decoded path without a trailing "/" (the root stays "/").
CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle style);
Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase,
                                         UInt8* buffer, CFIndex bufferSize);
Boolean CFURLHasDirectoryPath(CFURLRef url);

CF_EXTERN_C_END
