// The threads a host may use at once: its render thread, its state and
// property threads and a MIDI source, while the main thread edits and pumps
// the run loop. Run under ThreadSanitizer by the concurrency label.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include <standin/testing/run_loop.h>

#include "framework/state_chunk.h"
#include "product_test_support.h"

namespace orvane::testing {
namespace {

constexpr int kMainThreadEdits = 200;
constexpr int kBlockFrames = 64;
constexpr int kHostRestores = 20;

TEST(OrvaneThreads, RenderStateMidiAndEditsRunTogether) {
  ProductSandbox sandbox(true);
  auto plugin = sandbox.MakeInstance();
  plugin->Edit([](PluginStateDocument& document) {
    document.design.script = "slider: \"Drive\"\n[cc7]\ngain = x\n";
    document.state.playerControlValues = {50.0};
  });
  plugin->CommitDesign(-1, -1);
  plugkit::IStateChunk saved;
  ASSERT_TRUE(plugin->WriteState(saved));

  std::atomic<bool> stop{false};
  std::atomic<int> restores{0};
  std::vector<std::thread> threads;
  threads.emplace_back([&] {  // render
    std::vector<double> input(kBlockFrames, 0.1), left(kBlockFrames), right(kBlockFrames);
    const double* inputs[] = {input.data()};
    double* outputs[] = {left.data(), right.data()};
    while (!stop.load()) plugin->mRenderer.ProcessBlock(inputs, outputs, kBlockFrames, BlockFormat{1, 2, 48000.0});
  });
  threads.emplace_back([&] {  // the host reads the state
    while (!stop.load()) {
      plugkit::IStateChunk chunk;
      EXPECT_TRUE(plugin->WriteState(chunk));
    }
  });
  threads.emplace_back([&] {  // the host restores the state
    for (int i = 0; i < kHostRestores && !stop.load(); ++i) {
      EXPECT_EQ(plugin->ReadState(saved, 0), saved.Size());
      plugin->OnStateRestored();
      restores.fetch_add(1);
    }
  });
  threads.emplace_back([&] {  // a MIDI source
    int value = 0;
    while (!stop.load()) plugin->SendControlChange(7, value++ % 128);
  });

  for (int i = 0; i < kMainThreadEdits || restores.load() < kHostRestores; ++i) {
    plugin->Edit([i](PluginStateDocument& document) {
      document.design.amplifier.knobs[kKnobBass] = i % 100;
    });
    plugin->CommitDesign(-1, kKnobBass);
    plugin->UpdatePresetModified();
    standin::testing::RunOnce();
  }
  stop.store(true);
  for (std::thread& thread : threads) thread.join();
  standin::testing::RunOnce();
  EXPECT_NE(plugin->RenderBlock(), nullptr);
}

}  // namespace
}  // namespace orvane::testing
