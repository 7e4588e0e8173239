// Layer bitmaps destroyed on another thread while the main thread draws:
// their framebuffers wait for the main thread, which deletes them at the end
// of a frame.
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "binding_fixture.h"

namespace plugkit::testing {
namespace {

using namespace graphics;

constexpr int kBitmaps = 64;
constexpr int kLayerPixels = 8;

TEST_F(BindingTest, LayerBitmapsDestroyedOffTheMainThreadWaitForTheMainThread) {
  TestVectorGraphics g(delegate_, 64, 48);
  std::vector<std::unique_ptr<APIBitmap>> bitmaps;
  std::vector<int> images;
  for (int i = 0; i < kBitmaps; ++i) {
    bitmaps.push_back(g.CreateLayerBitmap(kLayerPixels, kLayerPixels, false, 1.f, 1.f));
    ASSERT_NE(bitmaps.back(), nullptr);
    images.push_back(bitmaps.back()->GetImageHandle());
  }
  // Progress only: relaxed, so the main thread learns nothing else from it.
  std::atomic<int> destroyed{0};
  std::thread dropper([&destroyed, gone = std::move(bitmaps)]() mutable {
    for (std::unique_ptr<APIBitmap>& bitmap : gone) {
      bitmap.reset();
      destroyed.fetch_add(1, std::memory_order_relaxed);
      std::this_thread::yield();
    }
  });
  for (int frame = 0; destroyed.load(std::memory_order_relaxed) < kBitmaps; ++frame) {
    g.DrawFrame([frame](IGraphics& d) { d.FillRect(kColorRed, IRECT(0, 0, 1.f + frame % 60, 10)); });
  }
  dropper.join();
  g.DrawFrame([](IGraphics&) {});
  for (const int image : images) EXPECT_EQ(mvcImageTexture(g.GetDrawContext(), image), nullptr) << image;
}

}  // namespace
}  // namespace plugkit::testing
