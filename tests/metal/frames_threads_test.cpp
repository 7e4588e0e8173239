// Frames in flight on the software Metal's other threads: the wait for a free
// buffer set, reads that wait for every frame rendering into an image, and
// deletion while frames are in flight.
#include <atomic>
#include <chrono>
#include <thread>

#include "metal_backend_fixture.h"

namespace {

using standin::testing::MetalExecution;
using MetalFrameThreadsTest = MetalBackendTest;

const Drawing kNothing = [](VCcontext*) {};

// Resumes the paused execution from another thread after a while, noting when.
class DelayedResume {
public:
  DelayedResume()
      : thread_([this] {
          std::this_thread::sleep_for(std::chrono::milliseconds(50));
          resumed_.store(true);
          standin::testing::ResumeMetalExecution();
        }) {}
  ~DelayedResume() { thread_.join(); }
  bool resumed() const { return resumed_.load(); }

private:
  std::atomic<bool> resumed_{false};
  std::thread thread_;
};

TEST_F(MetalFrameThreadsTest, SingleSetFramesWaitForThePreviousOne) {
  VCcontext* ctx = Create(VC_ANTIALIAS);
  MVCframebuffer* framebuffer = Framebuffer(ctx, 8, 8);
  standin::testing::PauseMetalExecution();
  Frame(ctx, framebuffer, 8, 8, 1, kNothing);
  DelayedResume resume;
  vcBeginFrame(ctx, 8, 8, 1);  // waits for the set
  EXPECT_TRUE(resume.resumed());
  vcCancelFrame(ctx);
}

// With layers a frame flushes into one image several times: a read waits for all of them.
TEST_F(MetalFrameThreadsTest, ReadsWaitForEveryFrameRenderingIntoTheImage) {
  const standin::testing::ScopedMetalExecution worker(MetalExecution::kWorker);
  VCcontext* ctx = Create();
  MVCframebuffer* framebuffer = Framebuffer(ctx, 8, 8);
  standin::testing::PauseMetalExecution();
  Frame(ctx, framebuffer, 8, 8, 1, [](VCcontext* c) { FillRect(c, 0, 0, 8, 8, vcRGBf(1, 0, 0)); });
  Frame(ctx, framebuffer, 8, 8, 1, [](VCcontext* c) { FillRect(c, 0, 0, 8, 8, vcRGBf(0, 1, 0)); });
  const DelayedResume resume;
  const Image pixels = Pixels(ctx, framebuffer->image);
  EXPECT_EQ(std::vector<int>(pixels.pixel(3, 3), pixels.pixel(3, 3) + 4), (std::vector<int>{0, 255, 0, 255}));
}

// Deleting the context waits for its frames in flight, whose completion
// handlers use its buffer sets and semaphore.
TEST_F(MetalFrameThreadsTest, DeletionWaitsForFramesInFlight) {
  const standin::testing::ScopedMetalExecution worker(MetalExecution::kWorker);
  VCcontext* ctx = Create();
  MVCframebuffer* framebuffer = mvcCreateFramebuffer(ctx, 8, 8, 0);
  standin::testing::PauseMetalExecution();
  for (int frame = 0; frame < 3; ++frame) Frame(ctx, framebuffer, 8, 8, 1, kNothing);
  mvcDeleteFramebuffer(framebuffer);
  const DelayedResume resume;
  Delete(ctx);
  EXPECT_TRUE(resume.resumed());
}

// Frames rendered by the worker and completed on the completion thread while
// the main thread reads their pixels back.
TEST_F(MetalFrameThreadsTest, FramesRenderWhilePixelsAreReadBack) {
  const standin::testing::ScopedMetalExecution worker(MetalExecution::kWorker);
  SizeLayer(16, 16, 1);
  VCcontext* ctx = Create();
  MVCframebuffer* framebuffer = Framebuffer(ctx, 16, 16);
  for (int frame = 0; frame < 40; ++frame) {
    const float shade = static_cast<float>(frame % 2);
    Frame(ctx, framebuffer, 16, 16, 1, [shade](VCcontext* c) { FillRect(c, 0, 0, 16, 16, vcRGBf(shade, 0, 1)); });
    EXPECT_EQ(Pixels(ctx, framebuffer->image).pixel(8, 8)[0], frame % 2 == 0 ? 0 : 255);
    Frame(ctx, nullptr, 16, 16, 1, [framebuffer](VCcontext* c) {
      vcBeginPath(c);
      vcRect(c, 0, 0, 16, 16);
      vcFillPaint(c, vcImagePattern(c, 0, 0, 16, 16, 0, framebuffer->image, 1));
      vcFill(c);
    });
  }
  Settle(ctx);
  EXPECT_EQ(standin::testing::LayerFrontImage(layer()).pixel(8, 8)[0], 255);
}

}  // namespace
