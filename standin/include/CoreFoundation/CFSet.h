#pragma once

#include <CoreFoundation/CFBase.h>

typedef const struct CFSetObject* CFSetRef;

typedef const void* (*CFSetRetainCallBack)(CFAllocatorRef allocator, const void* value);
typedef void (*CFSetReleaseCallBack)(CFAllocatorRef allocator, const void* value);
typedef CFStringRef (*CFSetCopyDescriptionCallBack)(const void* value);
typedef Boolean (*CFSetEqualCallBack)(const void* a, const void* b);
typedef CFHashCode (*CFSetHashCallBack)(const void* value);

// Null callbacks (or a null record) leave values unretained and compare and
// hash them by pointer.
struct CFSetCallBacks {
  CFIndex version;
  CFSetRetainCallBack retain;
  CFSetReleaseCallBack release;
  CFSetCopyDescriptionCallBack copyDescription;
  CFSetEqualCallBack equal;
  CFSetHashCallBack hash;
};

CF_EXTERN_C_BEGIN

// Values are CF objects: retained, compared with CFEqual, hashed with CFHash.
extern const CFSetCallBacks kCFTypeSetCallBacks;

CFTypeID CFSetGetTypeID(void);
// A value given more than once is kept once.
CFSetRef CFSetCreate(CFAllocatorRef allocator, const void** values, CFIndex count,
                     const CFSetCallBacks* callBacks);
CFIndex CFSetGetCount(CFSetRef set);
Boolean CFSetContainsValue(CFSetRef set, const void* value);

CF_EXTERN_C_END
