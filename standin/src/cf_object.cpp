#include "cf_object.h"

#include "cf_string.h"

#include <standin/testing/objects.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace standin::cf {
namespace {

std::atomic<long> gLiveObjects{0};
std::atomic<long> gLiveAllocations{0};
std::atomic<CFTypeID> gNextTypeID{kFirstFreeTypeID};

constexpr CFHashCode kFnvOffsetBasis = 14695981039346656037ull;
constexpr CFHashCode kFnvPrime = 1099511628211ull;

}  // namespace

CFTypeID NewTypeID() { return gNextTypeID.fetch_add(1, std::memory_order_relaxed); }

Object::Object(Lifetime lifetime) : lifetime_(lifetime) {
  if (lifetime_ == Lifetime::Counted) gLiveObjects.fetch_add(1, std::memory_order_relaxed);
}

Object::~Object() {
  if (lifetime_ == Lifetime::Counted) gLiveObjects.fetch_sub(1, std::memory_order_relaxed);
}

CFHashCode Object::Hash() const { return reinterpret_cast<std::uintptr_t>(this); }

std::string Object::Describe() const {
  char text[64];
  std::snprintf(text, sizeof text, "<CFType %p>", static_cast<const void*>(this));
  return text;
}

void Object::Retain() const {
  if (IsImmortal()) return;
  retainCount_.fetch_add(1, std::memory_order_relaxed);
}

void Object::Release() const {
  if (IsImmortal()) return;
  // Acquire-release so the thread that frees sees every write made before the
  // other threads' releases.
  if (retainCount_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

CFIndex Object::RetainCount() const { return retainCount_.load(std::memory_order_relaxed); }

std::string DescriptionOf(CFTypeRef ref) {
  if (ref == nullptr) return "(null)";
  return FromRef(ref)->Describe();
}

CFHashCode HashBytes(const void* bytes, std::size_t length) {
  const auto* byte = static_cast<const unsigned char*>(bytes);
  CFHashCode hash = kFnvOffsetBasis;
  for (std::size_t i = 0; i < length; ++i) {
    hash ^= byte[i];
    hash *= kFnvPrime;
  }
  return hash;
}

}  // namespace standin::cf

using standin::cf::FromRef;

struct CFAllocatorObject final : standin::cf::Object {
  static constexpr CFTypeID kTypeID = standin::cf::kAllocatorTypeID;
  CFAllocatorObject() : Object(standin::cf::Lifetime::Immortal) {}
  CFTypeID TypeID() const override { return kTypeID; }
  std::string Describe() const override { return "<CFAllocator system default>"; }
};

extern "C" {

CFTypeRef CFRetain(CFTypeRef object) {
  if (object != nullptr) FromRef(object)->Retain();
  return object;
}

void CFRelease(CFTypeRef object) {
  if (object != nullptr) FromRef(object)->Release();
}

CFIndex CFGetRetainCount(CFTypeRef object) {
  return object == nullptr ? 0 : FromRef(object)->RetainCount();
}

CFTypeID CFGetTypeID(CFTypeRef object) {
  return object == nullptr ? 0 : FromRef(object)->TypeID();
}

Boolean CFEqual(CFTypeRef a, CFTypeRef b) {
  if (a == b) return true;
  if (a == nullptr || b == nullptr) return false;
  const auto& first = *FromRef(a);
  const auto& second = *FromRef(b);
  return first.TypeID() == second.TypeID() && first.Equals(second);
}

CFHashCode CFHash(CFTypeRef object) {
  return object == nullptr ? 0 : FromRef(object)->Hash();
}

CFStringRef CFCopyDescription(CFTypeRef object) {
  if (object == nullptr) return nullptr;
  return standin::cf::MakeString(FromRef(object)->Describe());
}

CFTypeID CFAllocatorGetTypeID(void) { return standin::cf::kAllocatorTypeID; }

CFAllocatorRef CFAllocatorGetDefault(void) {
  static const CFAllocatorObject* const systemDefault = new CFAllocatorObject;
  return systemDefault;
}

void* CFAllocatorAllocate(CFAllocatorRef, CFIndex size, CFOptionFlags) {
  if (size <= 0) return nullptr;
  void* block = std::malloc(static_cast<std::size_t>(size));
  if (block != nullptr) standin::cf::gLiveAllocations.fetch_add(1, std::memory_order_relaxed);
  return block;
}

void CFAllocatorDeallocate(CFAllocatorRef, void* block) {
  if (block == nullptr) return;
  std::free(block);
  standin::cf::gLiveAllocations.fetch_sub(1, std::memory_order_relaxed);
}

}  // extern "C"

namespace standin::testing {

long LiveObjectCount() { return cf::gLiveObjects.load(std::memory_order_relaxed); }
long LiveAllocationCount() { return cf::gLiveAllocations.load(std::memory_order_relaxed); }

}  // namespace standin::testing
