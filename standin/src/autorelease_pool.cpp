#include <CoreFoundation/CFBase.h>
#include <Foundation/NSAutoreleasePool.h>

#include <vector>

namespace {

// Per thread: the objects of each open pool, innermost last. The bottom entry
// holds what was autoreleased outside any pool until the thread ends.
struct ThreadPools {
  std::vector<std::vector<CFTypeRef>> pools{1};

  ~ThreadPools() {
    while (!pools.empty()) DrainInnermost();
  }

  void DrainInnermost() {
    std::vector<CFTypeRef> objects;
    objects.swap(pools.back());
    pools.pop_back();
    // A release may autorelease more objects into the pool below.
    for (CFTypeRef object : objects) CFRelease(object);
  }
};

ThreadPools& Pools() {
  thread_local ThreadPools pools;
  return pools;
}

}  // namespace

extern "C" CFTypeRef CFAutorelease(CFTypeRef object) {
  if (object != nullptr) Pools().pools.back().push_back(object);
  return object;
}

namespace NS {

AutoreleasePool::AutoreleasePool() { Pools().pools.emplace_back(); }

AutoreleasePool::~AutoreleasePool() { Pools().DrainInnermost(); }

}  // namespace NS
