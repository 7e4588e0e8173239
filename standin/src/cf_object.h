#pragma once

// The base of every CF object of the stand-in. Other stand-in sources (bundles,
// streams) derive their objects from Object and take a type id from NewTypeID.

#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFDictionary.h>

#include <atomic>
#include <string>

namespace standin::cf {

enum BuiltinTypeID : CFTypeID {
  kAllocatorTypeID = 1,
  kStringTypeID,
  kNumberTypeID,
  kBooleanTypeID,
  kDataTypeID,
  kArrayTypeID,
  kDictionaryTypeID,
  kURLTypeID,
  kRunLoopTypeID,
  kRunLoopTimerTypeID,
  kFirstFreeTypeID
};

// A fresh type id for a class defined outside this file set.
CFTypeID NewTypeID();

enum class Lifetime {
  Counted,    // an ordinary object, seen by the live-object count
  Uncounted,  // owned by the library itself (per-thread run loops)
  Immortal    // never freed; retain and release do nothing
};

class Object {
public:
  explicit Object(Lifetime lifetime = Lifetime::Counted);
  virtual ~Object();
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  virtual CFTypeID TypeID() const = 0;
  // Called only with an object of the same type id.
  virtual bool Equals(const Object& other) const { return this == &other; }
  virtual CFHashCode Hash() const;
  virtual std::string Describe() const;

  void Retain() const;
  void Release() const;
  CFIndex RetainCount() const;
  bool IsImmortal() const { return lifetime_ == Lifetime::Immortal; }

private:
  mutable std::atomic<CFIndex> retainCount_{1};
  const Lifetime lifetime_;
};

inline const Object* FromRef(CFTypeRef ref) { return static_cast<const Object*>(ref); }
inline CFTypeRef ToRef(const Object* object) { return static_cast<const void*>(object); }

// The object behind ref when it has type T, else null.
template <typename T>
const T* As(CFTypeRef ref) {
  const Object* object = FromRef(ref);
  if (object == nullptr || object->TypeID() != T::kTypeID) return nullptr;
  return static_cast<const T*>(object);
}

template <typename T>
T* AsMutable(CFTypeRef ref) {
  return const_cast<T*>(As<T>(ref));
}

// Description text of any object; "(null)" for null.
std::string DescriptionOf(CFTypeRef ref);

// A mutable dictionary with the CF type callbacks that the live-object count
// leaves out, for what lives as long as the process (bundles).
CFMutableDictionaryRef CreateUncountedDictionary();

// The FNV-1a hash of bytes, used for content hashes.
CFHashCode HashBytes(const void* bytes, std::size_t length);

}  // namespace standin::cf
