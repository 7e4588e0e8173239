#pragma once

// A reference held for a scope: keeps an NS object alive across a callout
// that may release the other references to it.

#include <Foundation/NSObject.h>

namespace standin {

template <typename T>
class Retained {
public:
  explicit Retained(T* object) : object_(object) {
    if (object_ != nullptr) object_->retain();
  }
  ~Retained() {
    if (object_ != nullptr) object_->release();
  }
  Retained(const Retained&) = delete;
  Retained& operator=(const Retained&) = delete;

  T* get() const { return object_; }
  T* operator->() const { return object_; }

private:
  T* object_;
};

}  // namespace standin
