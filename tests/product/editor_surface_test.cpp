#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>
#include <gtest/gtest.h>
#include <standin/testing/appkit.h>
#include <standin/testing/run_loop.h>

#include "editor/orvane_gui_control.h"
#include "editor/orvane_level_meter_control.h"
#include "framework/core/state_chunk.h"
#include "graphics/graphics_context.h"
#include "graphics/panel_control.h"
#include "graphics/platform/mac/graphics_mac.h"
#include "support/graphics/recording_graphics.h"
#include "plugin/theme_palette.h"
#include "product_test_support.h"

namespace orvane::testing {
namespace {

using plugkit::graphics::IRECT;

class OrvaneEditorSurface : public ::testing::Test {
protected:
  ProductSandbox sandbox{true};
  std::unique_ptr<TestOrvane> plugin = sandbox.MakeInstance();
};

// The host opens the editor in its window and closes it by taking the view
// away; the default size is the bundle tests'. A remembered dimension below 1
// falls back on its own.
TEST_F(OrvaneEditorSurface, OpensOnThePlatformAtTheRememberedSizeAndForgetsTheEditorWithItsView) {
  struct Case {
    int storedWidth, storedHeight;
    NS::Size opened;
  };
  for (const Case& c : {Case{1000, 600, {1000, 600}}, Case{0, 900, {1392, 900}}}) {
    SCOPED_TRACE(::testing::Message() << c.storedWidth << " x " << c.storedHeight);
    standin::testing::ScopedManualClock clock;
    standin::testing::ResetAppKit();
    plugkit::IStateChunk editorSize;
    editorSize.Put(c.storedWidth);
    editorSize.Put(c.storedHeight);
    editorSize.Put(1.f);
    plugin->ReadEditorSize(editorSize, 0);
    NS::Window* window = standin::testing::MakeHostWindow(NS::MakeRect(0, 0, 640, 480));
    auto* view = static_cast<NS::View*>(plugin->OpenEditor(window->contentView()));
    ASSERT_NE(dynamic_cast<plugkit::graphics::IGraphicsMac*>(plugin->GetUI()), nullptr);
    EXPECT_EQ(view->frame().size, c.opened);
    EXPECT_EQ(plugin->GetUI()->Width(), c.opened.width);
    EXPECT_EQ(plugin->GetUI()->Height(), c.opened.height);
    EXPECT_NE(plugin->mEditorControl, nullptr);
    standin::testing::RunFor(1.0 / 60.0);

    standin::testing::RemoveViewAsHost(view);
    EXPECT_EQ(plugin->GetUI(), nullptr);
    EXPECT_EQ(plugin->mEditorControl, nullptr);
    EXPECT_EQ(plugin->mInputMeter, nullptr);
    EXPECT_EQ(plugin->mOutputMeter, nullptr);
    window->release();
    standin::testing::ResetAppKit();
  }
}

TEST_F(OrvaneEditorSurface, LayoutAttachesBackgroundEditorAndMeters) {
  plugin->Edit([](PluginStateDocument& document) {
    document.design.amplifier.sections[kSectionPreamp3] = false;
    document.design.amplifier.bypassGainDb[kSectionPreamp3] = -6.0;
    document.design.amplifier.toneStackPosition = 2;
    document.state.amplifierEnabled = false;
    document.state.playerView = false;
    document.state.oversampling = 2;
  });
  plugin->OpenHeadlessEditor();
  plugkit::graphics::IGraphics& graphics = *plugin->GetUI();
  ASSERT_EQ(graphics.NControls(), 4);
  auto* background = dynamic_cast<plugkit::graphics::IPanelControl*>(graphics.GetControl(0));
  ASSERT_NE(background, nullptr);
  const ThemeColour colour = ThemePalette[0];
  EXPECT_EQ(background->GetPattern().GetStop(0).mColor, plugkit::graphics::IColor(255, colour.red, colour.green, colour.blue));
  EXPECT_EQ(background->GetRECT(), IRECT(0, 0, 1392, 783));
  EXPECT_EQ(graphics.GetControl(1), plugin->mEditorControl);
  EXPECT_EQ(graphics.GetControl(2), plugin->mInputMeter);
  EXPECT_EQ(graphics.GetControl(3), plugin->mOutputMeter);

  const OrvaneGUIControl& editor = *plugin->mEditorControl;
  EXPECT_FALSE(editor.mDesignSections[kSectionPreamp3]);
  EXPECT_FALSE(editor.mEffectiveSections[kSectionPreamp3]);
  EXPECT_EQ(editor.mBypassGainDb[kSectionPreamp3], -6.0);
  EXPECT_EQ(editor.mToneStackPosition, 2);
  EXPECT_FALSE(editor.mAmplifierEnabled);
  EXPECT_EQ(editor.mAmplifierAnimation, 0.f);
  EXPECT_FALSE(editor.mPlayerView);
  EXPECT_EQ(editor.mViewAnimation, 1.f);
  EXPECT_EQ(editor.mOversampling, 2);
  EXPECT_EQ(plugin->mInputMeter->mMode, 0);
  EXPECT_EQ(plugin->mOutputMeter->mMode, 1);
  EXPECT_EQ(plugin->mInputMeter->mLevel, -120.f);
  EXPECT_TRUE(plugin->mInputMeter->GetIgnoreMouse());
  EXPECT_EQ(plugin->mInputMeter->mLevelSource()[0], -120.f);
}

TEST_F(OrvaneEditorSurface, DestroyingWithTheEditorOpenClosesItFirst) {
  const int liveBefore = plugkit::testing::RecordingGraphics::LiveCount();
  plugin->OpenHeadlessEditor();
  EXPECT_EQ(plugkit::testing::RecordingGraphics::LiveCount(), liveBefore + 1);
  plugin.reset();
  EXPECT_EQ(plugkit::testing::RecordingGraphics::LiveCount(), liveBefore);
}

TEST_F(OrvaneEditorSurface, RestoredStateIsPushedIntoTheOpenEditor) {
  auto writer = sandbox.MakeInstance();
  writer->Edit([](PluginStateDocument& document) {
    document.design.name = "Ab";
    document.design.description = "short";
    document.design.trims.inputGainDb = -12.0;
    document.design.amplifier.knobs[kKnobBass] = 12.0;
    document.state.amplifierEnabled = false;
    document.state.playerView = true;
  });
  plugkit::IStateChunk chunk;
  ASSERT_TRUE(writer->WriteState(chunk));

  plugin->OpenHeadlessEditor();
  OrvaneGUIControl& editor = *plugin->mEditorControl;
  editor.mNameCaret = 40;
  editor.mPlotDirty.fill(false);
  ASSERT_EQ(plugin->ReadState(chunk, 0), chunk.Size());
  plugin->OnStateRestored();

  EXPECT_EQ(editor.mDesignName, "Ab");
  EXPECT_EQ(editor.mNameCaret, 2u);
  EXPECT_EQ(editor.mDesignDescription, "short");
  EXPECT_EQ(editor.mInputGainDb, -12.0);
  EXPECT_EQ(editor.mDesignKnobs[kKnobBass], 12.0);
  EXPECT_EQ(editor.mEffectiveKnobs[kKnobBass], 12.0);
  EXPECT_TRUE(editor.mPlotDirty[1]);  // the tone stack follows the bass knob
  EXPECT_FALSE(editor.mAmplifierEnabled);
  EXPECT_EQ(editor.mAmplifierAnimation, 0.f);
  EXPECT_TRUE(editor.mPlayerView);
  EXPECT_EQ(editor.mViewAnimation, 0.f);
}

TEST_F(OrvaneEditorSurface, ScriptTextFitsThePlayerValues) {
  plugin->OpenHeadlessEditor();
  OrvaneGUIControl& editor = *plugin->mEditorControl;
  editor.SetScriptText("slider: \"Drive\"\ngain = x\nswitch,2: \"Ch\", \"A\", \"B\"\npreamp1 = 0, 1\n", {140.0});
  EXPECT_TRUE(editor.mParsedScript.error.empty());
  EXPECT_EQ(editor.mPlayerValues, (std::vector<double>{100.0, 0.0}));
  EXPECT_EQ(editor.mEffectiveKnobs[kKnobGain], 100.0);
  EXPECT_FALSE(editor.mEffectiveSections[kSectionPreamp1]);
  EXPECT_TRUE(editor.mKnobMapped[kKnobGain]);

  // A broken script keeps the values as they came.
  editor.SetScriptText("slider \"broken\"", {140.0, 3.0});
  EXPECT_FALSE(editor.mParsedScript.error.empty());
  EXPECT_EQ(editor.mPlayerValues, (std::vector<double>{140.0, 3.0}));
  EXPECT_EQ(editor.mEffectiveKnobs, editor.mDesignKnobs);
}

TEST_F(OrvaneEditorSurface, EditorFollowsControllersAndTheSampleRate) {
  plugin->OpenHeadlessEditor();
  OrvaneGUIControl& editor = *plugin->mEditorControl;
  editor.SetScriptText("slider: \"Drive\"\n[cc7]\ngain = x\n", {0.0});
  std::vector<std::pair<int, double>> reported;
  editor.onPlayerControlsChanged = [&](std::span<const PlayerValueChange> changes) {
    for (const PlayerValueChange& change : changes) reported.emplace_back(change.index, change.value);
  };

  plugin->SendControlChange(7, 127);
  editor.UpdatePlots();
  EXPECT_EQ(editor.mPlayerValues, std::vector<double>{100.0});
  EXPECT_EQ(reported, (std::vector<std::pair<int, double>>{{0, 100.0}}));
  editor.UpdatePlots();  // the same message is taken once
  EXPECT_EQ(reported.size(), 1u);

  editor.mPlotDirty.fill(false);
  plugin->mRenderer.PublishHostSampleRate(96000.0);
  editor.UpdatePlots();
  EXPECT_EQ(editor.mPlotSampleRate, 96000.0);
  EXPECT_EQ(editor.mPlotDirty, (std::array<bool, 5>{true, true, true, false, false}));
}

TEST(OrvaneLevelMeter, SitsInTheHeaderRows) {
  const IRECT area(0, 0, 2072, 1000);
  const IRECT input = OrvaneLevelMeterControl::MeterRect(area, OrvaneLevelMeterControl::kInputMeter);
  const IRECT output = OrvaneLevelMeterControl::MeterRect(area, OrvaneLevelMeterControl::kOutputMeter);
  EXPECT_FLOAT_EQ(input.L, 1743.f);
  EXPECT_FLOAT_EQ(input.R, 2052.f);
  EXPECT_NEAR(input.T, 18.f, 1e-3);
  EXPECT_NEAR(input.B, 41.f, 1e-3);
  EXPECT_NEAR(output.T, 49.f, 1e-3);
  EXPECT_NEAR(output.B, 72.f, 1e-3);
}

}  // namespace
}  // namespace orvane::testing
