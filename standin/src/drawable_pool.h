#pragma once

// A Metal layer's drawables: three slots, each a texture that is either held
// by a drawable object, shown as the front image, or free.

#include <Foundation/NSRef.h>
#include <Metal/MTLTexture.h>
#include <QuartzCore/CAMetalLayer.h>

#include <array>
#include <condition_variable>
#include <mutex>

namespace standin::quartz {

struct DrawableSlot {
  NS::Ref<MTL::Texture> texture;
  bool held = false;  // a drawable object uses it
};

struct DrawablePool {
  std::mutex mutex;
  std::condition_variable slotReturned;
  std::array<DrawableSlot, CA::kDrawablePoolSize> slots;
  int front = -1;  // the slot shown, or none
  long presentedFrames = 0;

  // A slot neither held nor shown, or -1.
  int FreeSlotLocked() const {
    for (int slot = 0; slot < CA::kDrawablePoolSize; ++slot) {
      if (!slots[slot].held && slot != front) return slot;
    }
    return -1;
  }
};

}  // namespace standin::quartz
