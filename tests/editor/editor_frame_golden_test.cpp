// Whole frames of the editor as the plug-in opens it, compared as text with
// golden files: the EDIT view in the light theme and the PLAY view in the
// dark one, for a design with a controller-bound slider, a named switch that
// maps a section and a reference over the tone stack.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "editing_test_support.h"
#include "editor/orvane_gui_control.h"
#include "drawing_log.h"
#include "plugin/theme_palette.h"
#include "support/graphics/frame_runner.h"
#include "support/test_paths.h"

namespace orvane::testing {
namespace {

const std::filesystem::path kFixtures = ORVANE_EDITOR_DATA_DIR;
const std::filesystem::path kGoldens = std::filesystem::path(ORVANE_GOLDEN_DIR) / "editor" / "frames";
// Enough idle ticks to compute every plot and finish every switch's animation.
constexpr int kSettleTicks = 12;

class EditorFrameGolden : public ::testing::Test {
protected:
  void SetUp() override {
    plugin->OpenHeadlessEditor();
    ASSERT_TRUE(plugin->OpenDesignFile((kFixtures / "frame_fixture.orv").string(), true));
    Editor().LoadPlotReference(kPlotToneStack, (kFixtures / "tone_stack_reference.csv").string(), "");
    plugin->Graphics().SetGeometryMode(true);
  }
  void TearDown() override { ApplyColourTheme(false); }

  OrvaneGUIControl& Editor() { return *plugin->mEditorControl; }

  std::vector<std::string> FrameIn(bool playerView, bool dark) {
    ApplyColourTheme(dark);
    Editor().mPlayerView = playerView;
    for (int tick = 0; tick < kSettleTicks; ++tick) Editor().UpdatePlots();
    plugkit::testing::RecordingGraphics& g = plugin->Graphics();
    g.ClearCalls();
    plugkit::testing::RunFrame(g);
    return FrameText(g);
  }

  standin::testing::ScopedManualClock clock;
  ProductSandbox sandbox;
  std::unique_ptr<EditingOrvane> plugin = std::make_unique<EditingOrvane>();
};

TEST_F(EditorFrameGolden, EditViewInTheLightTheme) {
  EXPECT_TRUE(MatchesTextGolden(FrameIn(false, false), kGoldens / "edit_light.txt"));
}

TEST_F(EditorFrameGolden, PlayViewInTheDarkTheme) {
  EXPECT_TRUE(MatchesTextGolden(FrameIn(true, true), kGoldens / "play_dark.txt"));
}

}  // namespace
}  // namespace orvane::testing
