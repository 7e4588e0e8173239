#pragma once

#include <CoreFoundation/CFBase.h>

#include <cstdarg>

typedef UInt32 CFStringEncoding;
enum {
  kCFStringEncodingASCII = 1,
  kCFStringEncodingUTF8 = 2
};

typedef CFOptionFlags CFStringCompareFlags;
enum { kCFCompareCaseInsensitive = 1 };

typedef const struct CFDictionaryObject* CFDictionaryRef;

CF_EXTERN_C_BEGIN

CFTypeID CFStringGetTypeID(void);

// Interned and immortal; what CFSTR expands to.
CFStringRef CFStringMakeConstantString(const char* utf8);

// Null when the bytes are not valid in the encoding.
CFStringRef CFStringCreateWithCString(CFAllocatorRef allocator, const char* text,
                                      CFStringEncoding encoding);
CFStringRef CFStringCreateWithBytes(CFAllocatorRef allocator, const UInt8* bytes,
                                    CFIndex byteCount, CFStringEncoding encoding,
                                    Boolean isExternalRepresentation);
CFStringRef CFStringCreateCopy(CFAllocatorRef allocator, CFStringRef string);

// Conversions: %d %i %u %x %X %o %c %s %p %f %F %e %E %g %G with the usual
// flags, width, precision and length modifiers, %% and %@ (a CF object's
// description).
CFStringRef CFStringCreateWithFormat(CFAllocatorRef allocator, CFDictionaryRef formatOptions,
                                     CFStringRef format, ...);
CFStringRef CFStringCreateWithFormatAndArguments(CFAllocatorRef allocator,
                                                 CFDictionaryRef formatOptions,
                                                 CFStringRef format, va_list arguments);

// Length in UTF-16 code units.
CFIndex CFStringGetLength(CFStringRef string);
CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding);

// False (and an empty text when the buffer has room for one) when the text and
// its terminator do not fit or cannot be expressed in the encoding.
Boolean CFStringGetCString(CFStringRef string, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding);
const char* CFStringGetCStringPtr(CFStringRef string, CFStringEncoding encoding);

CFComparisonResult CFStringCompare(CFStringRef a, CFStringRef b, CFStringCompareFlags options);

// UTF-16 access. Strings hold UTF-8, so each call decodes from the start.
// Null for a negative count or no characters with a positive count; a lone
// surrogate becomes U+FFFD.
CFStringRef CFStringCreateWithCharacters(CFAllocatorRef allocator, const UniChar* characters, CFIndex count);
// 0 for an index outside the string.
UniChar CFStringGetCharacterAtIndex(CFStringRef string, CFIndex index);
// Copies the range's units; copies nothing when the range is not inside the string.
void CFStringGetCharacters(CFStringRef string, CFRange range, UniChar* buffer);
// Leading blanks, an optional sign and decimal digits; 0 without digits, clamped to the int range.
SInt32 CFStringGetIntValue(CFStringRef string);

CF_EXTERN_C_END

#define CFSTR(literal)                                                   \
  ([]() -> CFStringRef {                                                 \
    static const CFStringRef interned = CFStringMakeConstantString("" literal); \
    return interned;                                                     \
  }())
