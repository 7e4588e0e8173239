#pragma once

// Arrays are the bridged CFArray; these are NSArray's readers over it. Any thread.

#include <CoreFoundation/CFArray.h>
#include <Foundation/NSObjCRuntime.h>

namespace NS {

class Array {
public:
  // Not owned by the caller. Null for a null array; an index past the end
  // answers null and counts a validation error (the platform raises).
  static CFTypeRef objectAtIndexedSubscript(CFArrayRef array, UInteger index);

  Array() = delete;
};

}  // namespace NS
