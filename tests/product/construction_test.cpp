#include <gtest/gtest.h>

#include "design/design_file.h"
#include "engine/render/sample_count.h"
#include "product_test_support.h"

namespace orvane::testing {
namespace {

TEST(OrvaneConstruction, StartsFromTheFactoryDefaultPreset) {
  ProductSandbox sandbox(true);
  auto plugin = sandbox.MakeInstance();
  const std::string path = (sandbox.FactoryFolder() / "Default.orv").string();
  Design expected;
  std::string error;
  ASSERT_TRUE(ReadDesignFile(path, expected, error)) << error;

  const PluginStateDocument document = plugin->CopyDocument();
  EXPECT_EQ(document.design, expected);
  EXPECT_TRUE(document.state.playerView);
  EXPECT_EQ(plugin->mCurrentDesignPath, path);
  EXPECT_EQ(plugin->mActivePresetPath, path);
  EXPECT_TRUE(plugin->mActivePresetFactory);
  EXPECT_TRUE(plugin->mHasPresetBaseline);
  EXPECT_EQ(plugin->mPresetBaseline, expected);
  ASSERT_EQ(plugin->mPresetEntries.size(), 1u);
  EXPECT_EQ(plugin->mActivePresetIndex, 0u);
  // The bookkeeping reached the state without an editor.
  EXPECT_EQ(document.state.activePresetFilename, "Default.orv");
  EXPECT_EQ(document.state.currentDesignPath, path);
  EXPECT_TRUE(document.state.hasPresetBaseline);

  const RuntimeSnapshot* snapshot = plugin->RenderBlock();
  ASSERT_NE(snapshot, nullptr);
  EXPECT_EQ(snapshot->editedDesign, expected);
}

TEST(OrvaneConstruction, WithoutDefaultPresetKeepsTheBuiltInDesign) {
  ProductSandbox sandbox(false);
  auto plugin = sandbox.MakeInstance();
  const PluginStateDocument document = plugin->CopyDocument();
  EXPECT_EQ(document.design.name, "Untitled");
  EXPECT_EQ(document.design.amplifier, MakeDefaultDesign().amplifier);
  EXPECT_TRUE(plugin->mCurrentDesignPath.empty());
  EXPECT_TRUE(plugin->mActivePresetPath.empty());
  EXPECT_TRUE(plugin->mHasPresetBaseline);
  EXPECT_EQ(plugin->mPresetBaseline, document.design);
  EXPECT_TRUE(plugin->mPresetEntries.empty());

  const RuntimeSnapshot* snapshot = plugin->RenderBlock();
  ASSERT_NE(snapshot, nullptr);
  EXPECT_EQ(snapshot->editedDesign.amplifier, document.design.amplifier);
}

TEST(OrvaneConstruction, UnreadableDefaultPresetIsIgnoredSilently) {
  ProductSandbox sandbox(false);
  WriteFileBytes(sandbox.FactoryFolder() / "Default.orv", "{ broken");
  auto plugin = sandbox.MakeInstance();
  EXPECT_EQ(plugin->CopyDocument().design.amplifier, MakeDefaultDesign().amplifier);
  EXPECT_TRUE(plugin->mCurrentDesignPath.empty());
  EXPECT_NE(plugin->RenderBlock(), nullptr);
}

TEST(OrvaneConstruction, SampleRateZeroRunsTheEnginesAt48k) {
  ProductSandbox sandbox(false);
  auto plugin = sandbox.MakeInstance();
  plugin->InstallEngines(0.0);
  EXPECT_EQ(plugin->mRenderer.AppliedSampleRate(), 48000.0);
  EXPECT_EQ(plugin->mRenderer.HostSampleRate(), 48000.0);
  ASSERT_NE(plugin->mRenderer.Engine(0), nullptr);
  ASSERT_NE(plugin->mRenderer.Engine(1), nullptr);
}

TEST(OrvaneConstruction, ConfigurationTellsTheFrameworkWhoWeAre) {
  const plugkit::PluginConfig config = MakeOrvaneConfig();
  EXPECT_EQ(config.nParams, 0);
  EXPECT_STREQ(config.channelIOStr, "1-2 1-1");
  EXPECT_EQ(config.vendorVersion, 0x00010004);
  EXPECT_EQ(config.uniqueID, plugkit::MakeFourCC("Orvn"));
  EXPECT_EQ(config.mfrID, plugkit::MakeFourCC("Vltn"));
  EXPECT_EQ(config.plugMinWidth, 464);
  EXPECT_EQ(config.plugMaxWidth, 4176);
  EXPECT_EQ(config.plugMinHeight, 261);
  EXPECT_EQ(config.plugMaxHeight, 2349);
  EXPECT_STREQ(config.bundleID, "com.Vellumtone.audiounit.Orvane");
}

}  // namespace
}  // namespace orvane::testing
