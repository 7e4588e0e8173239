#include <CoreFoundation/CFBase.h>
#include <Foundation/NSAutoreleasePool.h>
#include <Foundation/NSObject.h>

#include <vector>

namespace {

// An autoreleased object of either kind, released through its own kind.
struct Autoreleased {
  CFTypeRef cfObject = nullptr;
  NS::Object* nsObject = nullptr;

  void Release() const {
    if (nsObject != nullptr) {
      nsObject->release();
    } else {
      CFRelease(cfObject);
    }
  }
};

// Per thread: the objects of each open pool, innermost last. The bottom entry
// holds what was autoreleased outside any pool until the thread ends.
struct ThreadPools {
  std::vector<std::vector<Autoreleased>> pools{1};

  ~ThreadPools() {
    while (!pools.empty()) DrainInnermost();
  }

  void DrainInnermost() {
    std::vector<Autoreleased> objects;
    objects.swap(pools.back());
    pools.pop_back();
    // A release may autorelease more objects into the pool below.
    for (const Autoreleased& object : objects) object.Release();
  }
};

ThreadPools& Pools() {
  thread_local ThreadPools pools;
  return pools;
}

}  // namespace

extern "C" CFTypeRef CFAutorelease(CFTypeRef object) {
  if (object != nullptr) Pools().pools.back().push_back(Autoreleased{object, nullptr});
  return object;
}

namespace NS {

Object* Object::autorelease() {
  Pools().pools.back().push_back(Autoreleased{nullptr, this});
  return this;
}

AutoreleasePool::AutoreleasePool() { Pools().pools.emplace_back(); }

AutoreleasePool::~AutoreleasePool() { Pools().DrainInnermost(); }

}  // namespace NS
