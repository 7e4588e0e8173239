#pragma once

// Dictionaries are the bridged CFDictionary; these are NSDictionary's makers
// and readers over it. Any thread.

#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFURL.h>

namespace NS {

class Dictionary {
public:
  // The XML property list of a file URL ("file:/a" like "file:///a"; a path
  // under "/System/Library/" lies below the machine-domain root), autoreleased;
  // null when the file cannot be read, is no well-formed list or holds no
  // dictionary at its root.
  static CFDictionaryRef dictionaryWithContentsOfURL(CFURLRef url);

  // Not owned by the caller; null for a missing key or a null argument.
  static CFTypeRef objectForKey(CFDictionaryRef dictionary, CFTypeRef key);

  Dictionary() = delete;
};

}  // namespace NS
