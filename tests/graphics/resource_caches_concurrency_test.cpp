#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "graphics/graphics_context.h"
#include "support/graphics/fake_resources.h"
#include "support/graphics/recording_delegate.h"
#include "support/graphics/resource_bundle.h"

namespace plugkit::graphics {
namespace {

using testing::FakeBitmap;

constexpr int kThreads = 2;
constexpr int kRounds = 20;

// Each thread makes a context, loads the same bitmaps (one drawn down from
// its 2x file) and SVG images by name, and destroys it, while the other does
// the same: the last context to go empties the caches.
TEST(ResourceCachesConcurrency, ContextsOnTwoThreadsShareTheCaches) {
  testing::ResourceBundle bundle("com.test.concurrency.Orvane");
  bundle.WritePng("dial@2x.png", 16, 16);
  bundle.WritePng("knob.png", 8, 8);
  bundle.WriteText("icon.svg",
                   "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"><rect width=\"5\" "
                   "height=\"5\"/></svg>");
  std::atomic<int> failures{0};
  auto work = [&] {
    for (int round = 0; round < kRounds; ++round) {
      testing::RecordingDelegate delegate(0);
      testing::RecordingGraphics g(delegate, 100, 100);
      g.SetBundleIdentifier(bundle.Identifier());
      const bool loaded = g.LoadBitmap("dial.png", 1, false, 1).W() == 8 &&
                          g.LoadBitmap("knob.png", 1, false, 1).IsValid() && g.LoadSVG("icon.svg").W() == 10.f;
      if (!loaded) ++failures;
    }
  };
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) threads.emplace_back(work);
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(FakeBitmap::LiveCount(), 0);
}

}  // namespace
}  // namespace plugkit::graphics
