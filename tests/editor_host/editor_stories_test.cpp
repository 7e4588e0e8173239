// What a user does with the product's editor in a host: each story opens a
// new instance's editor through the editor session, switches to the EDIT view
// with a click on the view switch's lower half, plays a short script with the
// dialogs' answers queued, and reads back the class-info state and what the
// editor presented.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <standin/testing/appkit.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>
#include <string>

#include "editor/editor_colours.h"
#include "editor_host_support.h"
#include "engine/engine_settings.h"
#include "loopback_http_server.h"
#include "plugin/update_address.h"

namespace orvane::testing {
namespace {

using ::testing::HasSubstr;

class EditorStories : public ProductBundleEditor {
protected:
  void SetUp() override {
    ProductBundleEditor::SetUp();
    layout = &EditLayout();
    editor = std::make_unique<HostedEditor>(bundle);
    ASSERT_NE(editor->session, nullptr);
    ASSERT_TRUE(State().state.playerView);
    editor->Run(EditViewClick());
    ASSERT_FALSE(State().state.playerView);
  }
  void TearDown() override {
    editor.reset();
    ProductBundleEditor::TearDown();
  }

  PluginStateDocument State() const { return StateDocument(editor->instance->Unit()); }
  static std::string Click(const IRECT& r) { return "click " + ScriptText(At(r)) + "\n"; }
  // Pressed at one fraction of the track's width, released at another.
  static std::string DragAlong(const IRECT& track, double from, double to) {
    return "drag " + ScriptText(At(track, from)) + " " + ScriptText(At(track, to)) + "\n";
  }

  const DrawnEditorLayout* layout = nullptr;
  std::unique_ptr<HostedEditor> editor;
};

TEST_F(EditorStories, ATypedScriptControlShowsInThePlayViewAndItsTrackFollowsADrag) {
  editor->Run(Click(layout->scriptArea) + "type \"slider: \\\"Drive\\\"\"\nkey return\n");
  const std::string script = State().design.script;
  EXPECT_THAT(script, HasSubstr("slider: \"Drive\""));

  const DrawnEditorLayout play = DrawEditorLayout(true, script);
  ASSERT_EQ(play.playerTracks.size(), 1u);
  editor->Run(PlayViewClick() + DragAlong(play.playerTracks[0], 0.1, 0.8));
  const PluginStateDocument document = State();
  EXPECT_TRUE(document.state.playerView);
  ASSERT_EQ(document.state.playerControlValues.size(), 1u);
  EXPECT_NEAR(document.state.playerControlValues[0], 80.0, 1.0);
}

TEST_F(EditorStories, ADragAlongTheGainTrackSetsTheGainKnob) {
  ASSERT_NE(State().design.amplifier.knobs[kKnobGain], 90.0);
  editor->Run(DragAlong(layout->gainKnobTrack, 0.05, 0.9));
  EXPECT_NEAR(State().design.amplifier.knobs[kKnobGain], 90.0, 1.0);
}

TEST_F(EditorStories, ThePowerAmpMenuSetsTheDefaultPowerAmp) {
  constexpr std::size_t kPowerAmpFirstByte = 60;
  constexpr std::array<std::uint8_t, 13> kDefaultPowerAmp{122, 230, 222, 204, 179, 0, 0, 54, 217, 135, 107, 153, 107};
  editor->Run("menu 0 0\n" + Click(layout->powerAmpMenuBox));
  const DnaBytes dna = State().design.amplifier.dna;
  EXPECT_TRUE(std::equal(kDefaultPowerAmp.begin(), kDefaultPowerAmp.end(), dna.begin() + kPowerAmpFirstByte));
  ASSERT_EQ(editor->dialogs.size(), 1u);
  EXPECT_THAT(editor->dialogs[0], HasSubstr("chose 0 0 \"Default\""));
}

TEST_F(EditorStories, AReferenceChosenThroughAPlotMenuShowsInTheNextCapture) {
  const IRECT& plot = layout->plots[kPlotToneStack];
  const std::filesystem::path reference = home.Path() / "reference.csv";
  WriteFileBytes(reference, "frequency;dB\n100;-3\n1000;0\n10000;-12\n");
  const ThemeColour colour{kReferenceCurveColor.R, kReferenceCurveColor.G, kReferenceCurveColor.B};
  ASSERT_EQ(PixelsOfColour(editor->session->Capture(), plot, colour), 0);

  editor->Run("menu 1\nfile \"" + reference.string() + "\"\nrclick " + ScriptText(At(plot)) + "\n");
  EXPECT_GT(PixelsOfColour(editor->session->Capture(), plot, colour), 100);
  EXPECT_THAT(editor->dialogs, ::testing::Contains(HasSubstr("chose 1 \"Load reference dataset\"")));
}

TEST_F(EditorStories, ClipboardTextPastesIntoTheScriptWithCommandV) {
  editor->Run("clipboard \"slider: \\\"Tone\\\"\"\n" + Click(layout->scriptArea) + "key v cmd\n");
  EXPECT_THAT(State().design.script, HasSubstr("slider: \"Tone\""));
}

TEST_F(EditorStories, TheLogoOpensTheMakersSite) {
  LoopbackHttpServer server(HttpAnswer(404, ""));
  ScopedEnvironmentVariable updateUrl(kUpdateUrlVariable, server.BaseUrl());
  editor->Run(Click(layout->logo));
  const std::vector<standin::testing::WorkspaceCall> calls = standin::testing::WorkspaceCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].method, "openURL:");
  ASSERT_EQ(calls[0].arguments.size(), 1u);
  EXPECT_THAT(calls[0].arguments[0], ::testing::StartsWith(server.BaseUrl()));
}

}  // namespace
}  // namespace orvane::testing
