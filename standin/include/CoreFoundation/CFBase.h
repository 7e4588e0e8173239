#pragma once

// The object model every CoreFoundation type shares: references, counting,
// identity, equality, hashing, descriptions, and allocators.

#include <MacTypes.h>

#include <cstddef>

#define CF_EXTERN_C_BEGIN extern "C" {
#define CF_EXTERN_C_END }

typedef long CFIndex;
typedef unsigned long CFTypeID;
typedef unsigned long CFHashCode;
typedef unsigned long CFOptionFlags;

typedef const void* CFTypeRef;
typedef CFTypeRef CFPropertyListRef;

typedef const struct CFStringObject* CFStringRef;
typedef struct CFStringObject* CFMutableStringRef;
typedef const struct CFAllocatorObject* CFAllocatorRef;

struct CFRange {
  CFIndex location;
  CFIndex length;
};

inline CFRange CFRangeMake(CFIndex location, CFIndex length) {
  return CFRange{location, length};
}

typedef CFIndex CFComparisonResult;
enum {
  kCFCompareLessThan = -1,
  kCFCompareEqualTo = 0,
  kCFCompareGreaterThan = 1
};

enum { kCFNotFound = -1 };

// The default allocator is written as a null reference, as on the platform.
inline constexpr CFAllocatorRef kCFAllocatorDefault = nullptr;

CF_EXTERN_C_BEGIN

// Null is tolerated: retaining answers null, releasing does nothing.
CFTypeRef CFRetain(CFTypeRef object);
void CFRelease(CFTypeRef object);
CFIndex CFGetRetainCount(CFTypeRef object);

CFTypeID CFGetTypeID(CFTypeRef object);
Boolean CFEqual(CFTypeRef a, CFTypeRef b);
CFHashCode CFHash(CFTypeRef object);
CFStringRef CFCopyDescription(CFTypeRef object);

// Hands the caller's reference to the innermost autorelease pool of this thread
// (NS::AutoreleasePool); without one, to the thread, which drops it when it ends.
CFTypeRef CFAutorelease(CFTypeRef object);

CFTypeID CFAllocatorGetTypeID(void);
CFAllocatorRef CFAllocatorGetDefault(void);
void* CFAllocatorAllocate(CFAllocatorRef allocator, CFIndex size, CFOptionFlags hint);
void CFAllocatorDeallocate(CFAllocatorRef allocator, void* block);

CF_EXTERN_C_END
