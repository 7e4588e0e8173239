#pragma once

// What every command encoder shares: it records into one command buffer
// until endEncoding. Encoders are used by one thread at a time.

#include <Foundation/NSObject.h>

namespace MTL {

class NS_CLASS_EXPORT CommandEncoder : public NS::Object {
public:
  // Hands the recorded commands to the command buffer; later calls are validation errors.
  virtual void endEncoding() = 0;

protected:
  CommandEncoder() = default;
};

}  // namespace MTL
