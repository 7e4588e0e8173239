#include "cf_object.h"

#include <CoreFoundation/CFSet.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

const void* RetainType(CFAllocatorRef, const void* value) { return CFRetain(value); }
void ReleaseType(CFAllocatorRef, const void* value) { CFRelease(value); }

}  // namespace

// Immutable and small (sets of attribute keys): values in insertion order,
// found by their stored hash before the equality callback is asked.
struct CFSetObject final : standin::cf::Object {
  static inline const CFTypeID kTypeID = standin::cf::NewTypeID();

  CFSetObject(CFAllocatorRef allocatorUsed, const CFSetCallBacks* given)
      : allocator(allocatorUsed == nullptr ? CFAllocatorGetDefault() : allocatorUsed),
        callBacks(given == nullptr ? CFSetCallBacks{} : *given) {}

  ~CFSetObject() override {
    for (const Member& member : members) {
      if (callBacks.release != nullptr) callBacks.release(allocator, member.value);
    }
  }

  CFTypeID TypeID() const override { return kTypeID; }

  CFHashCode HashOf(const void* value) const {
    return callBacks.hash == nullptr ? reinterpret_cast<std::uintptr_t>(value) : callBacks.hash(value);
  }

  bool Contains(const void* value) const {
    const CFHashCode hash = HashOf(value);
    return std::any_of(members.begin(), members.end(), [&](const Member& member) {
      return member.hash == hash &&
             (member.value == value || (callBacks.equal != nullptr && callBacks.equal(member.value, value)));
    });
  }

  void Add(const void* value) {
    if (Contains(value)) return;
    const void* kept = callBacks.retain == nullptr ? value : callBacks.retain(allocator, value);
    members.push_back(Member{HashOf(value), kept});
  }

  struct Member {
    CFHashCode hash;
    const void* value;
  };

  const CFAllocatorRef allocator;
  const CFSetCallBacks callBacks;
  std::vector<Member> members;
};

extern "C" {

const CFSetCallBacks kCFTypeSetCallBacks = {0, RetainType, ReleaseType, CFCopyDescription, CFEqual, CFHash};

CFTypeID CFSetGetTypeID(void) { return CFSetObject::kTypeID; }

CFSetRef CFSetCreate(CFAllocatorRef allocator, const void** values, CFIndex count,
                     const CFSetCallBacks* callBacks) {
  if (count < 0 || (values == nullptr && count > 0)) return nullptr;
  auto* set = new CFSetObject(allocator, callBacks);
  for (CFIndex i = 0; i < count; ++i) set->Add(values[i]);
  return set;
}

CFIndex CFSetGetCount(CFSetRef set) {
  const auto* object = standin::cf::As<CFSetObject>(set);
  return object == nullptr ? 0 : static_cast<CFIndex>(object->members.size());
}

Boolean CFSetContainsValue(CFSetRef set, const void* value) {
  const auto* object = standin::cf::As<CFSetObject>(set);
  return object != nullptr && object->Contains(value);
}

}  // extern "C"
