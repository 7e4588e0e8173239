#pragma once

// Font descriptors: what names a face (family, style, the file it lies in),
// and the catalogue of installed fonts they are matched against. CF objects;
// any thread.

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFSet.h>
#include <CoreFoundation/CFString.h>

typedef const struct CTFontDescriptorObject* CTFontDescriptorRef;

CF_EXTERN_C_BEGIN

// Attribute keys. The family and style are CFStrings, the URL a file CFURL;
// a descriptor of a font made from bytes in memory has no URL.
extern const CFStringRef kCTFontFamilyNameAttribute;
extern const CFStringRef kCTFontStyleNameAttribute;
extern const CFStringRef kCTFontURLAttribute;

CFTypeID CTFontDescriptorGetTypeID(void);
// A descriptor holding a copy of the attributes; null attributes give none.
CTFontDescriptorRef CTFontDescriptorCreateWithAttributes(CFDictionaryRef attributes);
// The installed faces whose family and style equal, ignoring case, the
// descriptor's attributes of the keys in `mandatoryAttributes` (a null set
// makes both mandatory; a key the descriptor lacks matches every face). Each
// face comes as a descriptor with its family, style and file URL, ordered by
// file path and face index. Null when nothing matches.
CFArrayRef CTFontDescriptorCreateMatchingFontDescriptors(CTFontDescriptorRef descriptor,
                                                         CFSetRef mandatoryAttributes);
// The attribute's value retained, or null.
CFTypeRef CTFontDescriptorCopyAttribute(CTFontDescriptorRef descriptor, CFStringRef attribute);

CF_EXTERN_C_END
