#pragma once

// The root of the Objective-C classes the stand-in models in C++: reference
// counted objects (retain/release/autorelease), selectors for target and
// action, and a process-wide registry of classes by name, through which a host
// instantiates a class that a loaded plug-in library registered.

#include <CoreFoundation/CFBase.h>

#include <atomic>
#include <string>

// The classes live in the stand-in library; plug-in libraries that build with
// hidden visibility still share their type information with the host.
#define NS_CLASS_EXPORT __attribute__((visibility("default")))

namespace NS {

class Object;

// A selector: its name and, for an action, the method it sends together with a
// check that an object's class has that method. Made from a method with
// NS_SELECTOR; equal when the names are.
class NS_CLASS_EXPORT SEL {
public:
  using Action = void (Object::*)(Object* sender);
  using ClassCheck = bool (*)(const Object* object);

  SEL() = default;
  // Known by name only: what respondsToSelector asks about methods that are not actions.
  explicit SEL(const char* name) : name_(name) {}
  SEL(const char* name, Action action, ClassCheck isMethodOf)
      : name_(name), action_(action), isMethodOf_(isMethodOf) {}

  // "" for the empty selector.
  const char* name() const { return name_ != nullptr ? name_ : ""; }
  explicit operator bool() const { return name_ != nullptr; }
  // Whether the object's class has the action method.
  bool isActionOf(const Object* object) const {
    return action_ != nullptr && object != nullptr && isMethodOf_(object);
  }
  Action action() const { return action_; }

  friend bool operator==(const SEL& a, const SEL& b);

private:
  const char* name_ = nullptr;
  Action action_ = nullptr;
  ClassCheck isMethodOf_ = nullptr;
};

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
  // Hands the caller's reference to the innermost autorelease pool of this
  // thread (NS::AutoreleasePool). Answers self.
  Object* autorelease();
  unsigned long retainCount() const;

  // By default: whether the selector is an action of this object's class.
  // Classes with optional or non-action methods answer for those by name.
  virtual bool respondsToSelector(const SEL& selector) const;
  // Sends the action with the argument, holding a reference to self for the
  // call; an object that does not respond gets nothing and the stand-in
  // counts a validation error (the platform raises).
  void performSelectorWithObject(const SEL& selector, Object* argument);

  // Not owned by the caller.
  virtual CFStringRef description() const;

protected:
  virtual ~Object();
  // For shared instances that live as long as the process: they leave the
  // live-object count and retain and release no longer change them.
  void makeImmortal();

private:
  std::atomic<unsigned long> retainCount_{1};
  bool immortal_ = false;
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

// The selector of ClassName's action method `void method(NS::Object* sender)`,
// named "method:" as the selector with one keyword is.
#define NS_SELECTOR(ClassName, method)                                             \
  ::NS::SEL(#method ":", static_cast<::NS::SEL::Action>(&ClassName::method),       \
            [](const ::NS::Object* object) {                                       \
              return dynamic_cast<const ClassName*>(object) != nullptr;            \
            })
