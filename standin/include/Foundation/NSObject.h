#pragma once

// The root of the Objective-C classes the stand-in models in C++: reference
// counted objects (retain/release) and a process-wide registry of classes by
// name, through which a host instantiates a class that a loaded plug-in
// library registered.

#include <CoreFoundation/CFBase.h>

#include <atomic>
#include <string>

// The classes live in the stand-in library; plug-in libraries that build with
// hidden visibility still share their type information with the host.
#define NS_CLASS_EXPORT __attribute__((visibility("default")))

namespace NS {

class NS_CLASS_EXPORT Object {
public:
  // A new object holds one reference, owned by whoever made it.
  Object();
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  // The designated initialiser; subclasses chain to it and answer self.
  virtual Object* init() { return this; }

  Object* retain();
  // The last release destroys the object.
  void release();
  unsigned long retainCount() const;

  // Not owned by the caller.
  virtual CFStringRef description() const;

protected:
  virtual ~Object();

private:
  std::atomic<unsigned long> retainCount_{1};
};

// A registered class: its name and how to allocate an instance of it.
class NS_CLASS_EXPORT Class {
public:
  using AllocFunction = Object* (*)();

  Class() = default;
  Class(std::string name, AllocFunction alloc) : name_(std::move(name)), alloc_(alloc) {}

  explicit operator bool() const { return alloc_ != nullptr; }
  const char* name() const { return name_.c_str(); }
  // A new, not yet initialised instance holding one reference; null for the empty class.
  Object* alloc() const { return alloc_ != nullptr ? alloc_() : nullptr; }

private:
  std::string name_;
  AllocFunction alloc_ = nullptr;
};

// False (and the registry unchanged) when the name is empty, taken or alloc is null.
bool RegisterClass(const char* name, Class::AllocFunction alloc);
// Only the registration made with this alloc function is removed.
void UnregisterClass(const char* name, Class::AllocFunction alloc);
// The empty class when no class of that name is registered.
Class ClassFromString(const char* name);

}  // namespace NS
