#include <Foundation/NSObject.h>
#include <standin/testing/ns_objects.h>

#include <CoreFoundation/CFString.h>

#include <map>
#include <mutex>

namespace NS {
namespace {

std::atomic<long> gLiveObjects{0};

struct ClassRegistry {
  std::mutex mutex;
  std::map<std::string, Class::AllocFunction, std::less<>> classes;
};

ClassRegistry& Registry() {
  static ClassRegistry* const registry = new ClassRegistry;  // outlives every library's static destructors
  return *registry;
}

}  // namespace

Object::Object() { gLiveObjects.fetch_add(1, std::memory_order_relaxed); }

Object::~Object() { gLiveObjects.fetch_sub(1, std::memory_order_relaxed); }

Object* Object::retain() {
  retainCount_.fetch_add(1, std::memory_order_relaxed);
  return this;
}

void Object::release() {
  if (retainCount_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

unsigned long Object::retainCount() const { return retainCount_.load(std::memory_order_relaxed); }

CFStringRef Object::description() const { return CFSTR("NSObject"); }

bool RegisterClass(const char* name, Class::AllocFunction alloc) {
  if (name == nullptr || *name == '\0' || alloc == nullptr) return false;
  ClassRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  return registry.classes.emplace(name, alloc).second;
}

void UnregisterClass(const char* name, Class::AllocFunction alloc) {
  if (name == nullptr) return;
  ClassRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  const auto found = registry.classes.find(name);
  if (found != registry.classes.end() && found->second == alloc) registry.classes.erase(found);
}

Class ClassFromString(const char* name) {
  if (name == nullptr) return Class{};
  ClassRegistry& registry = Registry();
  std::lock_guard lock(registry.mutex);
  const auto found = registry.classes.find(name);
  return found == registry.classes.end() ? Class{} : Class{found->first, found->second};
}

}  // namespace NS

namespace standin::testing {

long LiveNSObjectCount() { return NS::gLiveObjects.load(std::memory_order_relaxed); }

}  // namespace standin::testing
