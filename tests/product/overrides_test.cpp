#include <gtest/gtest.h>

#include "graphics/graphics_context.h"
#include "product_test_support.h"

namespace orvane::testing {
namespace {

class OrvaneOverrides : public ::testing::Test {
protected:
  void ResetAt(double rate) {
    plugin->SetSampleRate(rate);
    plugin->OnProcessorReset();
  }

  ProductSandbox sandbox{false};
  std::unique_ptr<TestOrvane> plugin = sandbox.MakeInstance();
};

TEST_F(OrvaneOverrides, ResetPublishesOnlyANewRate) {
  ResetAt(44100.0);
  EXPECT_EQ(plugin->mRenderer.HostSampleRate(), 44100.0);
  // Something else moved the published rate; the same host rate again must
  // not publish over it.
  plugin->mRenderer.PublishHostSampleRate(96000.0);
  ResetAt(44100.0);
  EXPECT_EQ(plugin->mRenderer.HostSampleRate(), 96000.0);

  ResetAt(48000.0);
  EXPECT_EQ(plugin->mRenderer.HostSampleRate(), 48000.0);
  EXPECT_EQ(plugin->mHostRate, 48000.0);
}

TEST_F(OrvaneOverrides, EnginesFollowTheResetRateAtTheNextBlock) {
  ResetAt(44100.0);
  plugin->RenderBlock();
  EXPECT_EQ(plugin->mRenderer.AppliedSampleRate(), 44100.0);
}

TEST_F(OrvaneOverrides, HostViewSizeIsAnsweredOnlyWhenOfferedTwice) {
  EXPECT_EQ(plugin->EvaluateHostViewSize(800, 500), 0);
  EXPECT_EQ(plugin->EvaluateHostViewSize(800, 500), 0);  // no editor to compare with

  plugin->OpenHeadlessEditor();
  ASSERT_NE(plugin->GetUI(), nullptr);
  EXPECT_EQ(plugin->EvaluateHostViewSize(1000, 600), 0);
  EXPECT_EQ(plugin->EvaluateHostViewSize(1000, 600), 1);
  EXPECT_EQ(plugin->EvaluateHostViewSize(1500, 900), 0);
  EXPECT_EQ(plugin->EvaluateHostViewSize(1500, 900), 2);
  EXPECT_EQ(plugin->EvaluateHostViewSize(0, 900), 0);

  plugin->CloseEditor();
  plugin->OpenHeadlessEditor();
  EXPECT_EQ(plugin->EvaluateHostViewSize(1500, 900), 0);  // counting starts afresh
  EXPECT_EQ(plugin->EvaluateHostViewSize(1500, 900), 2);
}

TEST_F(OrvaneOverrides, HostResizeSetsTheEditorSizeAtScaleOne) {
  plugin->OpenHeadlessEditor();
  plugin->OnEditorResizedByHost(1000, 600);
  EXPECT_EQ(plugin->GetUI()->Width(), 1000);
  EXPECT_EQ(plugin->GetUI()->Height(), 600);
  EXPECT_EQ(plugin->GetUI()->GetDrawScale(), 1.f);
}

TEST_F(OrvaneOverrides, ClosingTheEditorForgetsItsControls) {
  plugin->OpenHeadlessEditor();
  ASSERT_NE(plugin->mEditorControl, nullptr);
  ASSERT_NE(plugin->mInputMeter, nullptr);
  ASSERT_NE(plugin->mOutputMeter, nullptr);
  plugin->CloseEditor();
  EXPECT_EQ(plugin->mEditorControl, nullptr);
  EXPECT_EQ(plugin->mInputMeter, nullptr);
  EXPECT_EQ(plugin->mOutputMeter, nullptr);
}

TEST_F(OrvaneOverrides, ParameterIndexWithoutAParameterChangesNothing) {
  const PluginStateDocument before = plugin->CopyDocument();
  plugin->OnParamValue(3);
  plugin->OnParamValue(-1);
  plugin->OnParamValue(73);
  EXPECT_EQ(plugin->CopyDocument(), before);
}

}  // namespace
}  // namespace orvane::testing
