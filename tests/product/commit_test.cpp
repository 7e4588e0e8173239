#include <gtest/gtest.h>

#include "product_test_support.h"

namespace orvane::testing {
namespace {

const std::string kTrebleSlider = "slider: \"Tone\"\ntreble = x\n";
const std::string kChannelSwitch = "switch,3: \"Channel\", \"Clean\", \"Crunch\", \"Lead\"\n[cc20]\npreamp2 = 0, 1, 1\n";

class OrvaneCommit : public ::testing::Test {
protected:
  void SetScript(const std::string& script, std::vector<double> values) {
    plugin->Edit([&](PluginStateDocument& document) {
      document.design.script = script;
      document.state.playerControlValues = values;
    });
  }

  ProductSandbox sandbox{false};
  std::unique_ptr<TestOrvane> plugin = sandbox.MakeInstance();
};

TEST_F(OrvaneCommit, TwoCommitsBeforeABlockOnlyTheSecondIsSeen) {
  plugin->Edit([](PluginStateDocument& document) { document.design.name = "first"; });
  plugin->CommitDesign(-1, -1);
  plugin->Edit([](PluginStateDocument& document) { document.design.name = "second"; });
  plugin->CommitDesign(-1, -1);
  const RuntimeSnapshot* snapshot = plugin->RenderBlock();
  ASSERT_NE(snapshot, nullptr);
  EXPECT_EQ(snapshot->editedDesign.name, "second");
}

TEST_F(OrvaneCommit, ScriptErrorStillPublishesTheEditedDesign) {
  SetScript("slider \"missing colon\"\ntreble = x\n", {80.0});
  plugin->Edit([](PluginStateDocument& document) { document.design.amplifier.knobs[kKnobTreble] = 20.0; });
  plugin->CommitDesign(-1, -1);
  const RuntimeSnapshot* snapshot = plugin->RenderBlock();
  ASSERT_NE(snapshot, nullptr);
  EXPECT_FALSE(snapshot->script.error.empty());
  EXPECT_EQ(snapshot->effectiveDesign.amplifier, snapshot->editedDesign.amplifier);
  EXPECT_EQ(snapshot->playerControlValues, std::vector<double>{80.0});
}

TEST_F(OrvaneCommit, MappingsShapeTheEffectiveDesignButADraggedKnobIsPinned) {
  SetScript(kTrebleSlider, {80.0});
  plugin->Edit([](PluginStateDocument& document) { document.design.amplifier.knobs[kKnobTreble] = 20.0; });

  plugin->CommitDesign(-1, -1);
  const RuntimeSnapshot* mapped = plugin->RenderBlock();
  ASSERT_NE(mapped, nullptr);
  EXPECT_EQ(mapped->effectiveDesign.amplifier.knobs[kKnobTreble], 80.0);
  EXPECT_EQ(mapped->editedDesign.amplifier.knobs[kKnobTreble], 20.0);

  plugin->CommitDesign(-1, kKnobTreble);
  const RuntimeSnapshot* pinned = plugin->RenderBlock();
  ASSERT_NE(pinned, nullptr);
  EXPECT_EQ(pinned->effectiveDesign.amplifier.knobs[kKnobTreble], 20.0);
}

TEST_F(OrvaneCommit, DraggedDnaByteIsPinned) {
  SetScript("slider: \"Bright\"\ndna5 = x\n", {100.0});
  plugin->Edit([](PluginStateDocument& document) { document.design.amplifier.dna[5] = 7; });
  plugin->CommitDesign(5, -1);
  const RuntimeSnapshot* snapshot = plugin->RenderBlock();
  ASSERT_NE(snapshot, nullptr);
  EXPECT_EQ(snapshot->effectiveDesign.amplifier.dna[5], 7);
}

TEST_F(OrvaneCommit, FullRetiredRingKeepsTheSnapshotPendingUntilReclaimed) {
  plugin->RenderBlock();
  plugin->Edit([](PluginStateDocument& document) { document.design.name = "waiting"; });
  plugin->CommitDesign(-1, -1);
  for (std::uint64_t i = 0; i < RetiredSnapshotRing::kSlotCount; ++i) {
    plugin->mRenderer.RetireSnapshot(new RuntimeSnapshot);
  }
  ASSERT_TRUE(plugin->mRenderer.RetiredRingFull());
  EXPECT_NE(plugin->RenderBlock()->editedDesign.name, "waiting");

  plugin->mRenderer.ReclaimRetiredSnapshots();
  EXPECT_FALSE(plugin->mRenderer.RetiredRingFull());
  EXPECT_EQ(plugin->RenderBlock()->editedDesign.name, "waiting");
}

TEST_F(OrvaneCommit, SwitchSeededFromItsController) {
  SetScript(kChannelSwitch, {1.0});
  plugin->CommitDesign(-1, -1);
  plugin->RenderBlock();

  plugin->SendControlChange(20, 127);
  plugin->RenderBlock();  // the render thread marks the controller as seen
  ASSERT_TRUE(plugin->mRenderer.MidiCCSeen(20));
  plugin->CommitDesign(-1, -1);
  EXPECT_EQ(plugin->RenderBlock()->playerControlValues, std::vector<double>{2.0});

  plugin->SendControlChange(20, 42);
  plugin->RenderBlock();
  plugin->CommitDesign(-1, -1);
  EXPECT_EQ(plugin->RenderBlock()->playerControlValues, std::vector<double>{0.0});
}

TEST_F(OrvaneCommit, ControllerThatMovedNothingLeavesTheValue) {
  SetScript(kChannelSwitch, {1.0});
  plugin->SendControlChange(21, 127);
  plugin->RenderBlock();
  plugin->CommitDesign(-1, -1);
  EXPECT_EQ(plugin->RenderBlock()->playerControlValues, std::vector<double>{1.0});
}

TEST_F(OrvaneCommit, OversamplingTravelsWithTheSnapshot) {
  plugin->Edit([](PluginStateDocument& document) { document.state.oversampling = 4; });
  plugin->CommitDesign(-1, -1);
  EXPECT_EQ(plugin->RenderBlock()->oversampling, 4);
}

}  // namespace
}  // namespace orvane::testing
