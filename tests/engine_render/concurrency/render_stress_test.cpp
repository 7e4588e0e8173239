// Run under ThreadSanitizer: a committer publishing and reclaiming snapshots
// as fast as it can, a render thread, and a thread sending controller
// messages, all on one renderer.

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>

#include "design/design.h"
#include "engine/render/amp_renderer.h"
#include "../render_test_support.h"

namespace orvane {
namespace {

using testing::kTestBlock;
using testing::kTestRate;
using testing::MakeRenderer;
using testing::TestCommitter;
using testing::TestSine;

constexpr int kBlocks = 8000;
constexpr int kMessagesPerThread = 20000;
constexpr std::uint8_t kControlChange = 0xB0;
constexpr std::uint8_t kSliderCC = 7;
constexpr std::uint8_t kSwitchCC = 20;
constexpr std::uint64_t kCounterShift = 8;

Design ScriptedDesign() {
  Design design = MakeDefaultDesign();
  design.script =
      "slider: \"Drive\"\n[cc7]\ngain = x\n"
      "switch,3: \"Channel\", \"Clean\", \"Crunch\", \"Lead\"\n[cc20]\npreamp2 = 0, 1, 1\n";
  design.playerControlValues = {50.0, 0.0};
  return design;
}

TEST(RenderStress, CommitterRendererAndControllerThreadsShareOneRenderer) {
  Design design = ScriptedDesign();
  auto renderer = MakeRenderer(design);
  std::atomic<bool> rendering{true};
  std::atomic<int> commits{0};

  std::thread committer([&] {
    TestCommitter commit(*renderer);
    Design variant = design;
    for (int k = 0; rendering.load(std::memory_order_acquire); ++k) {
      variant.amplifier.knobs[kKnobTreble] = k % 101;
      commit.Commit(variant);  // seeds from the controller slots and seen flags
      renderer->SetOutputGain(k % 2 == 0 ? 1.0 : 0.5);
      if (k % 50 == 0) renderer->PostMuteRequest(0, 1, 1);
      if (k % 200 == 0) renderer->ClearMidiCCSeenFlags();
      commits.fetch_add(1, std::memory_order_relaxed);
    }
  });

  std::thread controllers([&] {
    for (int i = 0; i < kMessagesPerThread; ++i) {
      renderer->HandleMidiInput(kControlChange, kSliderCC, static_cast<std::uint8_t>(i % 128));
      renderer->HandleMidiInput(kControlChange, kSwitchCC, static_cast<std::uint8_t>(i % 128));
      (void)renderer->MeterLevels();
    }
  });

  std::thread render([&] {
    std::array<double, kTestBlock> in{};
    std::array<std::array<double, kTestBlock>, 2> out{};
    const double* inputs[1] = {in.data()};
    double* outputs[2] = {out[0].data(), out[1].data()};
    for (int block = 0; block < kBlocks; ++block) {
      for (int i = 0; i < kTestBlock; ++i) {
        in[static_cast<std::size_t>(i)] = TestSine(static_cast<long>(block) * kTestBlock + i);
      }
      renderer->HandleMidiInput(kControlChange, kSliderCC, 64);
      renderer->ProcessBlock(inputs, outputs, kTestBlock, {1, 2, kTestRate});
    }
    rendering.store(false, std::memory_order_release);
  });

  render.join();
  controllers.join();
  committer.join();

  EXPECT_GT(commits.load(), 0);
  // Two producers on one slot: the counter still counts every message.
  EXPECT_EQ(renderer->ReadMidiCCSlot(kSliderCC) >> kCounterShift, static_cast<std::uint64_t>(kMessagesPerThread + kBlocks));
  EXPECT_EQ(renderer->ReadMidiCCSlot(kSwitchCC) >> kCounterShift, static_cast<std::uint64_t>(kMessagesPerThread));

  // The hand-over still works after the storm.
  Design last = design;
  last.name = "last";
  TestCommitter(*renderer).Commit(last);
  testing::BlockRunner(*renderer).RunBlock();
  ASSERT_NE(renderer->CurrentSnapshot(), nullptr);
  EXPECT_EQ(renderer->CurrentSnapshot()->editedDesign.name, "last");
}

}  // namespace
}  // namespace orvane
