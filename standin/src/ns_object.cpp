#include <Foundation/NSObject.h>
#include <Foundation/NSRef.h>
#include <standin/testing/ns_objects.h>

#include <CoreFoundation/CFString.h>

#include <cstring>
#include <map>
#include <mutex>

#include "usage_checks.h"

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

Object::~Object() {
  if (!immortal_) gLiveObjects.fetch_sub(1, std::memory_order_relaxed);
}

void Object::makeImmortal() {
  if (immortal_) return;
  immortal_ = true;
  gLiveObjects.fetch_sub(1, std::memory_order_relaxed);
}

Object* Object::retain() {
  retainCount_.fetch_add(1, std::memory_order_relaxed);
  return this;
}

void Object::release() {
  if (immortal_) return;
  if (retainCount_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

unsigned long Object::retainCount() const { return retainCount_.load(std::memory_order_relaxed); }

CFStringRef Object::description() const { return CFSTR("NSObject"); }

bool Object::respondsToSelector(const SEL& selector) const { return selector.isActionOf(this); }

void Object::performSelectorWithObject(const SEL& selector, Object* argument) {
  if (!selector.isActionOf(this)) {
    standin::appkit::CountValidationError();
    return;
  }
  const auto self = NS::Ref<Object>::Retain(this);
  (this->*selector.action())(argument);
}

bool operator==(const SEL& a, const SEL& b) { return std::strcmp(a.name(), b.name()) == 0 && bool(a) == bool(b); }

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
