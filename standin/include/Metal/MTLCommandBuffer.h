#pragma once

// A command buffer: encoded passes that run in the order buffers were
// enqueued on their queue, then completion handlers on the completion thread.
//
// Encoding, enqueue, commit and presentDrawable: the thread that owns the
// buffer. status and the waits: any thread.

#include <Foundation/NSObject.h>
#include <Foundation/NSRef.h>
#include <Metal/MTLBlitCommandEncoder.h>
#include <Metal/MTLDrawable.h>
#include <Metal/MTLRenderCommandEncoder.h>
#include <Metal/MTLRenderPass.h>

#include <functional>
#include <memory>

namespace standin::metal {
struct CommandBufferState;
}

typedef NS::UInteger MTLCommandBufferStatus;
enum : MTLCommandBufferStatus {
  MTLCommandBufferStatusNotEnqueued = 0,
  MTLCommandBufferStatusEnqueued = 1,
  MTLCommandBufferStatusCommitted = 2,
  MTLCommandBufferStatusScheduled = 3,  // committed, as is every buffer before it
  MTLCommandBufferStatusCompleted = 4,  // run, and its completion handlers have returned
};

namespace MTL {

class CommandBuffer;
class CommandQueue;

// Runs on the completion thread, never on the committing thread or the main thread.
using CommandBufferHandler = std::function<void(CommandBuffer*)>;

class NS_CLASS_EXPORT CommandBuffer : public NS::Object {
public:
  // A new encoder owned by the caller, or null (and a validation error) when
  // the descriptor has no usable attachment, a texture lacks render-target
  // usage, another encoder is open or the buffer is committed.
  RenderCommandEncoder* renderCommandEncoderWithDescriptor(const RenderPassDescriptor* descriptor);
  BlitCommandEncoder* blitCommandEncoder();

  // Fixes the buffer's place in its queue's order.
  void enqueue();
  // Hands the buffer over for execution, enqueueing it first when it was not.
  void commit();
  // Before commit only.
  void addCompletedHandler(CommandBufferHandler handler);
  // Makes the drawable the layer's front image once the buffer has run.
  void presentDrawable(Drawable* drawable);

  MTLCommandBufferStatus status() const;
  CommandQueue* commandQueue() const { return queue_.get(); }
  // Both return at once (with a validation error) for a buffer never committed.
  void waitUntilScheduled();
  void waitUntilCompleted();

  // The stand-in's own: what the queue, the encoders and the scheduler share.
  standin::metal::CommandBufferState& state() const { return *state_; }

protected:
  ~CommandBuffer() override;

private:
  friend class CommandQueue;
  explicit CommandBuffer(CommandQueue* queue);

  const NS::Ref<CommandQueue> queue_;
  const std::unique_ptr<standin::metal::CommandBufferState> state_;
};

// Made by Device::newCommandQueue. Any thread.
class NS_CLASS_EXPORT CommandQueue : public NS::Object {
public:
  // A new buffer owned by the caller.
  CommandBuffer* commandBuffer();

private:
  friend class Device;
  CommandQueue() = default;
};

}  // namespace MTL
