#include "metal_fixture.h"

#include <dispatch/dispatch.h>

#include <array>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

namespace {

using standin::testing::MetalExecution;
using standin::testing::ScopedMetalExecution;

class MetalExecutionTest : public MetalTest {
protected:
  NS::Ref<MTL::CommandBuffer> NewBuffer(MTL::CommandQueue* queue = nullptr) {
    return NS::Ref<MTL::CommandBuffer>::Adopt((queue != nullptr ? queue : queue_.get())->commandBuffer());
  }

  // A buffer that writes `value` into the first texel of `texture_` and records its name when complete.
  NS::Ref<MTL::CommandBuffer> Writing(std::uint8_t value, char name) {
    auto buffer = NewBuffer();
    auto source = NS::Ref<MTL::Buffer>::Adopt(device()->newBufferWithBytesLengthOptions(&value, 1, 0));
    auto blit = NS::Ref<MTL::BlitCommandEncoder>::Adopt(buffer->blitCommandEncoder());
    blit->copyFromBufferSourceOffsetSourceBytesPerRowSourceBytesPerImageSourceSizeToTextureDestinationSliceDestinationLevelDestinationOrigin(
        source.get(), 0, 1, 1, MTLSizeMake(1, 1, 1), texture_.get(), 0, 0, MTLOriginMake(0, 0, 0));
    blit->endEncoding();
    buffer->addCompletedHandler([this, name](MTL::CommandBuffer*) {
      std::lock_guard lock(mutex_);
      completed_ += name;
      handlerThreads_.push_back(std::this_thread::get_id());
    });
    return buffer;
  }

  std::uint8_t FirstTexel() { return Level(texture_.get(), 0, 1)[0]; }

  std::string Completed() {
    std::lock_guard lock(mutex_);
    return completed_;
  }

  NS::Ref<MTL::CommandQueue> queue_ = NS::Ref<MTL::CommandQueue>::Adopt(device()->newCommandQueue());
  NS::Ref<MTL::Texture> texture_ = MakeTexture(MTLPixelFormatR8Unorm, 2, 2);
  std::mutex mutex_;
  std::string completed_;
  std::vector<std::thread::id> handlerThreads_;
};

TEST_F(MetalExecutionTest, BuffersRunInEnqueueOrderWhateverTheCommitOrder) {
  auto a = Writing(1, 'a');
  auto b = Writing(2, 'b');
  auto c = Writing(3, 'c');
  for (auto* buffer : {a.get(), b.get(), c.get()}) buffer->enqueue();
  c->commit();
  b->commit();
  EXPECT_EQ(standin::testing::UncommittedCommandBufferCount(), 1);
  EXPECT_EQ(c->status(), MTLCommandBufferStatusCommitted) << "held back by a";
  EXPECT_EQ(FirstTexel(), 0);

  auto other = NS::Ref<MTL::CommandQueue>::Adopt(device()->newCommandQueue());
  auto elsewhere = NewBuffer(other.get());
  elsewhere->commit();
  elsewhere->waitUntilCompleted();  // another queue is not held back

  a->commit();  // runs a, b and c on this thread, inside commit
  EXPECT_EQ(FirstTexel(), 3);
  EXPECT_EQ(standin::testing::UncommittedCommandBufferCount(), 0);
  c->waitUntilCompleted();
  EXPECT_EQ(Completed(), "abc");
  EXPECT_EQ(c->status(), MTLCommandBufferStatusCompleted);
}

TEST_F(MetalExecutionTest, HandlersRunOnTheCompletionThreadBeforeTheWaitReturns) {
  std::atomic<bool> handled{false};
  auto first = Writing(1, '1');
  auto second = Writing(2, '2');
  second->addCompletedHandler([&](MTL::CommandBuffer*) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    handled = true;
  });
  first->commit();  // from the main thread
  std::thread::id committer;
  std::thread([&] {
    committer = std::this_thread::get_id();
    second->commit();
  }).join();
  second->waitUntilCompleted();
  EXPECT_TRUE(handled);
  EXPECT_EQ(Completed(), "12");
  std::lock_guard lock(mutex_);
  ASSERT_EQ(handlerThreads_.size(), 2u);
  EXPECT_EQ(handlerThreads_[0], handlerThreads_[1]);
  EXPECT_NE(handlerThreads_[0], std::this_thread::get_id());
  EXPECT_NE(handlerThreads_[0], committer);
}

TEST_F(MetalExecutionTest, WaitsOnUncommittedBuffersReturnAtOnce) {
  auto buffer = NewBuffer();
  EXPECT_EQ(ValidationErrorsDuring([&] { buffer->waitUntilCompleted(); }), 1);
  buffer->enqueue();
  EXPECT_EQ(ValidationErrorsDuring([&] { buffer->waitUntilScheduled(); }), 1);
  buffer->commit();
  buffer->waitUntilScheduled();
  buffer->waitUntilCompleted();
  EXPECT_EQ(ValidationErrorsDuring([&] { buffer->addCompletedHandler([](MTL::CommandBuffer*) {}); }), 1);
}

TEST_F(MetalExecutionTest, ASemaphoreOfThreePacesFramesInFlight) {
  const ScopedMetalExecution worker(MetalExecution::kWorker);
  standin::testing::PauseMetalExecution();
  dispatch_semaphore_t framesFree = dispatch_semaphore_create(3);
  std::vector<NS::Ref<MTL::CommandBuffer>> frames;
  for (int frame = 0; frame < 3; ++frame) {
    ASSERT_EQ(dispatch_semaphore_wait(framesFree, DISPATCH_TIME_FOREVER), 0);
    frames.push_back(NewBuffer());
    frames.back()->addCompletedHandler([framesFree](MTL::CommandBuffer*) { dispatch_semaphore_signal(framesFree); });
    frames.back()->commit();
  }
  EXPECT_NE(dispatch_semaphore_wait(framesFree, dispatch_time(DISPATCH_TIME_NOW, NSEC_PER_MSEC)), 0);
  std::atomic<bool> fourthStarted{false};
  std::thread fourth([&] {
    dispatch_semaphore_wait(framesFree, DISPATCH_TIME_FOREVER);
    fourthStarted = true;
  });
  while (standin::testing::DispatchSemaphoreCount(framesFree) != -1) std::this_thread::yield();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(fourthStarted) << "no frame completes while execution is paused";
  standin::testing::ResumeMetalExecution();
  fourth.join();
  EXPECT_TRUE(fourthStarted);
  frames.back()->waitUntilCompleted();
  dispatch_semaphore_signal(framesFree);  // the fourth frame's, never committed
  EXPECT_EQ(standin::testing::DispatchSemaphoreCount(framesFree), 3);
  dispatch_release(framesFree);
}

TEST_F(MetalExecutionTest, SemaphoreWaitsTimeOutAndSignalsWake) {
  dispatch_semaphore_t semaphore = dispatch_semaphore_create(1);
  EXPECT_EQ(dispatch_semaphore_create(-1), nullptr);
  EXPECT_EQ(dispatch_semaphore_wait(semaphore, DISPATCH_TIME_NOW), 0);
  EXPECT_NE(dispatch_semaphore_wait(semaphore, DISPATCH_TIME_NOW), 0);
  EXPECT_NE(dispatch_semaphore_wait(semaphore, dispatch_time(DISPATCH_TIME_NOW, 2 * NSEC_PER_MSEC)), 0);
  EXPECT_EQ(standin::testing::DispatchSemaphoreCount(semaphore), 0) << "a timed-out wait gives its place back";
  std::thread signaller([&] {
    while (standin::testing::DispatchSemaphoreCount(semaphore) != -1) std::this_thread::yield();
    EXPECT_NE(dispatch_semaphore_signal(semaphore), 0) << "woke the waiter";
  });
  EXPECT_EQ(dispatch_semaphore_wait(semaphore, DISPATCH_TIME_FOREVER), 0);
  signaller.join();
  EXPECT_EQ(dispatch_semaphore_signal(semaphore), 0);
  dispatch_retain(semaphore);
  dispatch_release(semaphore);
  EXPECT_EQ(ValidationErrorsDuring([&] {
              dispatch_semaphore_t owed = dispatch_semaphore_create(2);
              dispatch_semaphore_wait(owed, DISPATCH_TIME_NOW);
              dispatch_release(owed);
            }),
            1)
      << "released with a signal owed";
  dispatch_release(semaphore);

  const char blob[] = "MTLBlibrary";
  dispatch_data_t data = dispatch_data_create(blob, sizeof blob, nullptr, DISPATCH_DATA_DESTRUCTOR_DEFAULT);
  EXPECT_EQ(dispatch_data_get_size(data), sizeof blob);
  dispatch_release(data);
}

// Several threads commit, wait and write textures while the completion thread
// runs handlers, in both execution modes.
TEST_F(MetalExecutionTest, ThreadsCommitWaitAndWriteTexturesTogether) {
  constexpr int kThreads = 4;
  constexpr int kBuffersPerThread = 40;
  for (const MetalExecution mode : {MetalExecution::kImmediate, MetalExecution::kWorker}) {
    const ScopedMetalExecution execution(mode);
    std::atomic<int> handled{0};
    auto shared = MakeTexture(MTLPixelFormatRGBA8Unorm, 8, 8, true);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&, t] {
        auto queue = NS::Ref<MTL::CommandQueue>::Adopt(device()->newCommandQueue());
        const std::array<std::uint8_t, 4> texel = {static_cast<std::uint8_t>(t), 1, 2, 3};
        for (int i = 0; i < kBuffersPerThread; ++i) {
          shared->replaceRegionMipmapLevelWithBytesBytesPerRow(MTLRegionMake2D(t, i % 8, 1, 1), 0, texel.data(), 4);
          auto buffer = NS::Ref<MTL::CommandBuffer>::Adopt(queue->commandBuffer());
          auto blit = NS::Ref<MTL::BlitCommandEncoder>::Adopt(buffer->blitCommandEncoder());
          blit->generateMipmapsForTexture(shared.get());
          blit->endEncoding();
          buffer->addCompletedHandler([&](MTL::CommandBuffer*) { handled.fetch_add(1); });
          buffer->commit();
          if (i % 3 == 0) buffer->waitUntilCompleted();
          if (i + 1 == kBuffersPerThread) buffer->waitUntilCompleted();
        }
      });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(handled.load(), kThreads * kBuffersPerThread);
    EXPECT_EQ(standin::testing::TextureContents(shared.get()).pixel(3, 7)[0], 3);
  }
}

}  // namespace
