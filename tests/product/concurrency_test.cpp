// The threads a host may use at once: its render thread, its state and
// property threads and a MIDI source, while the main thread edits and pumps
// the run loop. Run under ThreadSanitizer by the concurrency label.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include <AudioUnit/AudioUnitProperties.h>
#include <CoreFoundation/CoreFoundation.h>
#include <standin/testing/run_loop.h>

#include "framework/au/class_info.h"
#include "framework/core/state_chunk.h"
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
  CFPropertyListRef saved = nullptr;
  UInt32 size = sizeof saved;
  ASSERT_EQ(plugin->GetProperty(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &saved, &size), noErr);
  plugkit::ClassInfoContents contents;
  ASSERT_TRUE(plugkit::ReadClassInfo(saved, contents));
  const plugkit::IStateChunk& savedChunk = contents.data;
  plugin->SetChannelConnections(plugkit::kInput, 0, 1, true);
  plugin->SetChannelConnections(plugkit::kOutput, 0, 2, true);

  std::atomic<bool> stop{false};
  std::atomic<int> restores{0};
  std::vector<std::thread> threads;
  threads.emplace_back([&] {  // render
    std::vector<double> input(kBlockFrames, 0.1), left(kBlockFrames), right(kBlockFrames);
    double* inputs[] = {input.data()};
    double* outputs[] = {left.data(), right.data()};
    while (!stop.load()) plugin->ProcessBlock(inputs, outputs, kBlockFrames);
  });
  threads.emplace_back([&] {  // the host reads the class info
    while (!stop.load()) {
      CFPropertyListRef info = nullptr;
      UInt32 infoSize = sizeof info;
      EXPECT_EQ(plugin->GetProperty(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &info, &infoSize),
                noErr);
      if (info) CFRelease(info);
    }
  });
  threads.emplace_back([&] {  // the host restores the state
    for (int i = 0; i < kHostRestores && !stop.load(); ++i) {
      EXPECT_EQ(plugin->ReadState(savedChunk, 0), savedChunk.Size());
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
  CFRelease(saved);
  EXPECT_NE(plugin->RenderBlock(), nullptr);
}

}  // namespace
}  // namespace orvane::testing
