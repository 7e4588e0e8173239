#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "design/design.h"
#include "engine/render/amp_renderer.h"
#include "render_test_support.h"
#include "support/alloc_counter.h"

namespace orvane {
namespace {

using testing::kControlChange;
using testing::kTestBlock;
using testing::kTestRate;
using testing::MakeRenderer;
using testing::TestCommitter;
using testing::TestSine;

constexpr int kBlocks = 10000;
constexpr int kSliderCC = 7;
constexpr int kSwitchCC = 20;

// What the render thread saw happen, kept without allocating.
struct RenderObservations {
  std::size_t allocations = 0;
  bool sawOversampling = false;
  bool sawFailingMapping = false;
  bool sawMappedController = false;
};

// Commits variants while the render thread runs: new knobs, an oversampling
// change, and a script whose slider mapping fails at 50.
void CommitWhileRendering(AmpRenderer& renderer, Design design, const std::atomic<bool>& done) {
  TestCommitter committer(renderer);
  for (int k = 0; !done.load(std::memory_order_acquire); ++k) {
    design.amplifier.knobs[kKnobBass] = 10.0 * (k % 10);
    auto snapshot = committer.Build(design, k % 5 == 4 ? 2 : 1);
    if (k % 3 == 2) {
      CompiledFormula::Compile("100 / (x - 50)", true, snapshot->script.controls[0].mappings[0].compiled);
      snapshot->editedDesign.name = "failing";
    }
    committer.Reclaim();
    renderer.PublishSnapshot(std::move(snapshot));
    std::this_thread::sleep_for(std::chrono::microseconds(300));
  }
  committer.Reclaim();
}

RenderObservations Render(AmpRenderer& renderer) {
  RenderObservations seen;
  std::array<std::array<double, kTestBlock>, 2> in{};
  std::array<std::array<double, kTestBlock>, 2> out{};
  const double* inputs[2] = {in[0].data(), in[1].data()};
  double* outputs[2] = {out[0].data(), out[1].data()};
  const testing::ScopedAllocationCount count;
  for (int block = 0; block < kBlocks; ++block) {
    for (int i = 0; i < kTestBlock; ++i) {
      in[0][static_cast<std::size_t>(i)] = TestSine(static_cast<long>(block) * kTestBlock + i);
    }
    // Controllers move every few blocks; 64 is the value where the failing
    // mapping divides by zero.
    if (block % 4 == 0) {
      const int value = (block / 4) % 2 == 0 ? 64 : 100 + block % 27;
      renderer.HandleMidiInput(kControlChange, kSliderCC, static_cast<std::uint8_t>(value));
      renderer.HandleMidiInput(kControlChange, kSwitchCC, static_cast<std::uint8_t>(block % 128));
    }
    renderer.ProcessBlock(inputs, outputs, kTestBlock, {1, 2, kTestRate});
    seen.sawOversampling = seen.sawOversampling || renderer.Engine(0)->OversamplingFactor() == 2;
    const RuntimeSnapshot* current = renderer.CurrentSnapshot();
    seen.sawFailingMapping = seen.sawFailingMapping || (current != nullptr && current->editedDesign.name == "failing" &&
                                                        current->playerControlValues[0] == 50.0);
    seen.sawMappedController = seen.sawMappedController || renderer.MidiCCSeen(kSliderCC);
  }
  seen.allocations = count.Count();
  return seen;
}

TEST(RenderAllocations, NoneOnTheRenderThreadAcrossIntakeControllersAndOversamplingChanges) {
  Design design = MakeDefaultDesign();
  design.script =
      "slider: \"Drive\"\n[cc7]\ngain = x\n"
      "switch,3: \"Channel\", \"Clean\", \"Crunch\", \"Lead\"\n[cc20]\npreamp2 = 0, 1, 1\n";
  design.playerControlValues = {50.0, 0.0};
  auto renderer = MakeRenderer(design);

  std::atomic<bool> done{false};
  std::thread committer(CommitWhileRendering, std::ref(*renderer), design, std::cref(done));
  RenderObservations seen;
  std::thread render([&] { seen = Render(*renderer); });
  render.join();
  done.store(true, std::memory_order_release);
  committer.join();

  EXPECT_EQ(seen.allocations, 0u);
  EXPECT_TRUE(seen.sawOversampling);
  EXPECT_TRUE(seen.sawFailingMapping);
  EXPECT_TRUE(seen.sawMappedController);
}

}  // namespace
}  // namespace orvane
