#pragma once

// Runs committed command buffers and their completion handlers.
//
// Buffers run in the order they were enqueued on their queue. In immediate
// mode the committing thread runs what became ready; in worker mode one
// execution thread does. Only one buffer runs at a time, under the execution
// lock, which CPU texture access also takes. Completion handlers run on one
// completion thread in execution order, never under the execution lock; the
// same thread reports buffers left enqueued and uncommitted too long.

#include <Foundation/NSRef.h>
#include <Metal/MTLCommandBuffer.h>
#include <Metal/MTLCommandEncoder.h>
#include <Metal/MTLDrawable.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

namespace standin::metal {

// How long a buffer may stay enqueued and uncommitted before it is reported.
inline constexpr std::chrono::seconds kStallReportDelay{2};

// One encoder's recorded work, run when its command buffer executes.
class EncodedPass {
public:
  virtual ~EncodedPass() = default;
  virtual void Execute() = 0;
};

struct CommandBufferState {
  // Written by the owning thread until commit, then read by the scheduler.
  std::vector<std::unique_ptr<EncodedPass>> passes;
  std::vector<NS::Ref<MTL::Drawable>> drawables;
  std::vector<MTL::CommandBufferHandler> handlers;
  MTL::CommandEncoder* openEncoder = nullptr;  // not retained; it clears itself when it ends

  // Guarded by the scheduler.
  MTLCommandBufferStatus status = MTLCommandBufferStatusNotEnqueued;
  std::chrono::steady_clock::time_point enqueuedAt;
  bool stallReported = false;
};

// Held while a buffer executes and by CPU access to texels.
std::mutex& ExecutionLock();

// Process-wide; any thread.
void EnqueueCommandBuffer(MTL::CommandBuffer* buffer);
void CommitCommandBuffer(MTL::CommandBuffer* buffer);
MTLCommandBufferStatus CommandBufferStatus(const MTL::CommandBuffer* buffer);
void WaitUntilCommandBufferScheduled(MTL::CommandBuffer* buffer);
void WaitUntilCommandBufferCompleted(MTL::CommandBuffer* buffer);

}  // namespace standin::metal
