#include "graphics/renderer/metal/buffer_set.h"

#include "graphics/renderer/allocation.h"

MVCbuffers_vOrvane_au::~MVCbuffers_vOrvane_au() { vc__free(calls); }

int MVCbuffers_vOrvane_au::image() const {
  std::lock_guard guard(lock_);
  return image_;
}

void MVCbuffers_vOrvane_au::setImage(int image) {
  std::lock_guard guard(lock_);
  image_ = image;
}

NS::Ref<MTL::CommandBuffer> MVCbuffers_vOrvane_au::commandBuffer() const {
  std::lock_guard guard(lock_);
  return commandBuffer_;
}

void MVCbuffers_vOrvane_au::setCommandBuffer(NS::Ref<MTL::CommandBuffer> commandBuffer) {
  NS::Ref<MTL::CommandBuffer> previous;  // released outside the lock
  std::lock_guard guard(lock_);
  previous = std::exchange(commandBuffer_, std::move(commandBuffer));
}

void MVCbuffers_vOrvane_au::setCommandBufferImage(NS::Ref<MTL::CommandBuffer> commandBuffer, int image) {
  NS::Ref<MTL::CommandBuffer> previous;
  std::lock_guard guard(lock_);
  previous = std::exchange(commandBuffer_, std::move(commandBuffer));
  image_ = image;
}

NS::Ref<MTL::CommandBuffer> MVCbuffers_vOrvane_au::commandBufferRenderingInto(int image) const {
  std::lock_guard guard(lock_);
  if (image == 0 || image_ != image) return nullptr;
  return commandBuffer_;
}
