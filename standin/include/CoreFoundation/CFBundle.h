#pragma once

// Bundles: folders laid out as "<bundle>/Contents/{Info.plist,MacOS,Resources}".
// Every bundle lives as long as the process; the references handed out are not
// owned by the caller unless the function's name says Create or Copy.

#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFURL.h>

typedef struct CFBundleObject* CFBundleRef;

CF_EXTERN_C_BEGIN

CFTypeID CFBundleGetTypeID(void);

// The host application's bundle, as the host (or a test) declared it; null until then.
CFBundleRef CFBundleGetMainBundle(void);

// A registered bundle, or the bundle of a loaded library that sits in
// "<bundle>/Contents/MacOS/"; null when none has that identifier.
CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef identifier);

// The bundle at a folder, registered under the identifier its Info.plist gives.
// Null when the URL is not a folder.
CFBundleRef CFBundleCreate(CFAllocatorRef allocator, CFURLRef bundleURL);

// Null when the Info.plist is missing, malformed or names no identifier.
CFStringRef CFBundleGetIdentifier(CFBundleRef bundle);
// The top-level string values of Info.plist by key (empty for a malformed file).
CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle);
CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key);

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle);
// "Contents/MacOS/" followed by CFBundleExecutable, or by the bundle's name
// without its extension when Info.plist names none.
CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle);

CF_EXTERN_C_END
