#pragma once

// One buffer set of the Metal back end: everything one frame in flight needs.
// The arrays live across frames and only grow.
//
// Threads: isBusy, image and commandBuffer any thread (a frame's completion
// handler writes them on the device's completion thread; image and
// commandBuffer under the set's lock). Everything else belongs to the main
// thread while the set is taken or free, and to the completion handler once
// the set's frame has run; the device reads the buffers only in between.

#include <Foundation/NSObject.h>
#include <Foundation/NSRef.h>
#include <Metal/MTLCommandBuffer.h>
#include <Metal/MTLResource.h>
#include <Metal/MTLTexture.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "graphics/renderer/metal/draw_call.h"
#include "graphics/renderer/render_backend.h"

class MVCbuffers_vOrvane_au : public NS::Object {
public:
  MVCbuffers_vOrvane_au() = default;

  // Taken by a frame and not yet released.
  bool isBusy() const { return isBusy_.load(std::memory_order_acquire); }
  void setIsBusy(bool busy) { isBusy_.store(busy, std::memory_order_release); }
  // The image the frame renders into, 0 for the screen.
  int image() const;
  void setImage(int image);
  // The frame in flight: a reference of the caller's own, or null.
  NS::Ref<MTL::CommandBuffer> commandBuffer() const;
  void setCommandBuffer(NS::Ref<MTL::CommandBuffer> commandBuffer);
  // Both at once, so a waiter never sees one without the other.
  void setCommandBufferImage(NS::Ref<MTL::CommandBuffer> commandBuffer, int image);
  // The frame in flight when it renders into `image` (not 0), else null.
  NS::Ref<MTL::CommandBuffer> commandBufferRenderingInto(int image) const;

  // Counts of calls, indices, vertices and uniform records back to 0.
  void resetCounts() { ncalls = nindexes = nverts = nuniforms = 0; }

  int ccalls = 0;
  int ncalls = 0;
  int cindexes = 0;
  int nindexes = 0;
  int cverts = 0;
  int nverts = 0;
  int cuniforms = 0;  // slots of kMVCfragSize bytes
  int nuniforms = 0;
  NS::Ref<MTL::Buffer> viewSizeBuffer;  // the viewport in points: two floats
  NS::Ref<MTL::Texture> stencilTexture;
  MVCcall* calls = nullptr;  // owned, from the core's allocator
  NS::Ref<MTL::Buffer> indexBuffer;
  std::uint32_t* indexes = nullptr;  // indexBuffer's contents
  NS::Ref<MTL::Buffer> vertBuffer;
  VCvertex* verts = nullptr;  // vertBuffer's contents
  NS::Ref<MTL::Buffer> uniformBuffer;
  std::byte* uniforms = nullptr;  // uniformBuffer's contents

protected:
  ~MVCbuffers_vOrvane_au() override;

private:
  std::atomic<bool> isBusy_{false};
  mutable std::mutex lock_;  // guards image_ and commandBuffer_
  int image_ = 0;
  NS::Ref<MTL::CommandBuffer> commandBuffer_;
};
