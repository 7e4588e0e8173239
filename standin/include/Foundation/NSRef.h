#pragma once

// An owning holder of one reference to an NS object, for C++ callers: the
// reference is released when the holder ends. Copies retain, moves transfer.

#include <Foundation/NSObject.h>

#include <cstddef>
#include <utility>

namespace NS {

template <typename T>
class Ref {
public:
  Ref() = default;
  Ref(std::nullptr_t) {}

  // Takes over the reference the caller owns (what a new..., alloc/init or copy call handed out).
  static Ref Adopt(T* owned) { return Ref(owned); }
  // Adds a reference of its own to an object the caller does not own.
  static Ref Retain(T* borrowed) {
    if (borrowed != nullptr) borrowed->retain();
    return Ref(borrowed);
  }

  Ref(const Ref& other) : object_(other.object_) {
    if (object_ != nullptr) object_->retain();
  }
  Ref(Ref&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  Ref& operator=(Ref other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~Ref() { reset(); }

  T* get() const { return object_; }
  T* operator->() const { return object_; }
  T& operator*() const { return *object_; }
  explicit operator bool() const { return object_ != nullptr; }

  void reset() {
    if (T* object = std::exchange(object_, nullptr)) object->release();
  }
  // Hands the reference to the caller, who now owns it.
  T* detach() { return std::exchange(object_, nullptr); }

  friend bool operator==(const Ref& a, const Ref& b) { return a.object_ == b.object_; }

private:
  explicit Ref(T* object) : object_(object) {}

  T* object_ = nullptr;
};

}  // namespace NS
