#pragma once

// Something a command buffer can present once it has run: a Metal layer's drawable.

#include <Foundation/NSObject.h>

namespace MTL {

class NS_CLASS_EXPORT Drawable : public NS::Object {
public:
  // Shows the drawable's contents now. Any thread.
  virtual void present() = 0;

protected:
  Drawable() = default;
};

}  // namespace MTL
