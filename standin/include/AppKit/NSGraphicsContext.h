#pragma once

// A drawing context for AppKit drawing over a CoreGraphics context. Nothing
// draws through drawRect here, so there is never a current one. Main thread only.

#include <CoreGraphics/CGContext.h>
#include <Foundation/NSObject.h>

namespace NS {

class NS_CLASS_EXPORT GraphicsContext : public Object {
public:
  // Always null: no view draws through drawRect.
  static GraphicsContext* currentContext() { return nullptr; }
  // Autoreleased, holding a reference to the context; null for a null context.
  static GraphicsContext* graphicsContextWithCGContextFlipped(CGContextRef context, bool flipped);

  // Not owned by the caller.
  CGContextRef CGContext() const { return context_; }
  bool isFlipped() const { return flipped_; }

protected:
  ~GraphicsContext() override;

private:
  GraphicsContext(CGContextRef context, bool flipped);

  CGContextRef context_;
  bool flipped_;
};

}  // namespace NS
