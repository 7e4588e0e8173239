#pragma once

// URLs are the bridged CFURL; these are NSURL's makers and readers over it.
// Every maker answers an autoreleased URL, or null; every reader answers null
// for a null URL. Any thread.

#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFURL.h>

namespace NS {

class URL {
public:
  // Null when no URL can be formed (an empty text, or one holding white space
  // or control characters).
  static CFURLRef URLWithString(CFStringRef text);
  // A "file://" URL, percent-encoded; a path naming an existing folder ends in "/".
  static CFURLRef fileURLWithPath(CFStringRef path);

  // The whole text of the URL; not owned by the caller.
  static CFStringRef absoluteString(CFURLRef url);
  // The decoded path (autoreleased); "file:/a" and "file:///a" both give "/a".
  static CFStringRef path(CFURLRef url);

  URL() = delete;
};

}  // namespace NS
