#include <AppKit/NSGraphicsContext.h>

namespace NS {

GraphicsContext::GraphicsContext(CGContextRef context, bool flipped) : context_(context), flipped_(flipped) {
  CFRetain(context_);
}

GraphicsContext::~GraphicsContext() { CFRelease(context_); }

GraphicsContext* GraphicsContext::graphicsContextWithCGContextFlipped(CGContextRef context, bool flipped) {
  if (context == nullptr) return nullptr;
  return static_cast<GraphicsContext*>((new GraphicsContext(context, flipped))->autorelease());
}

}  // namespace NS
