#pragma once

#include <CoreFoundation/CFBase.h>

#include <memory>
#include <type_traits>

namespace plugkit::graphics {

struct CFReleaser {
  void operator()(CFTypeRef object) const { CFRelease(object); }
};

// One owned reference to a CoreFoundation object (CoreGraphics and CoreText
// objects are such too), released when the holder ends.
template <class Ref>
using CFOwned = std::unique_ptr<std::remove_pointer_t<Ref>, CFReleaser>;

}  // namespace plugkit::graphics
