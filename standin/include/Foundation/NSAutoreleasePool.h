#pragma once

#include <CoreFoundation/CFBase.h>

namespace NS {

// A scope whose autoreleased objects are released when it ends; pools nest per thread.
class AutoreleasePool {
public:
  AutoreleasePool();
  ~AutoreleasePool();
  AutoreleasePool(const AutoreleasePool&) = delete;
  AutoreleasePool& operator=(const AutoreleasePool&) = delete;
};

}  // namespace NS
