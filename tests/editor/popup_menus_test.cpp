#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor_harness.h"
#include "standin/testing/run_loop.h"
#include "support/temp_folder.h"

namespace orvane::testing {
namespace {

using Answer = plugkit::testing::RecordingGraphics::PopupAnswer;
using Calls = std::vector<std::string>;
using Editor = OrvaneGUIControl;
using plugkit::graphics::ILayer;

// A design whose DNA byte i holds i, so that a section's text names its place.
EditorSetup CountingDna() {
  EditorSetup setup;
  for (std::size_t i = 0; i < kDnaSize; ++i) setup.dna[i] = static_cast<std::uint8_t>(i);
  return setup;
}

// "from from+1 ..." as the clipboard holds a section, or "[...]" as a call shows it.
std::string Numbers(int from, int count, const char* open = "", const char* close = "") {
  std::string text = open;
  for (int i = 0; i < count; ++i) text += (i == 0 ? "" : " ") + std::to_string(from + i);
  return text + close;
}
std::string Bytes(int from, int count) { return Numbers(from, count, "[", "]"); }

TEST(EditorPopupMenus, EachBuilderFillsItsMenuAnewAtThePoint) {
  const auto none = [](Editor&) {};
  const struct {
    const char* what;
    std::function<void(Editor&)> setUp;
    void (Editor::*show)(float, float);
    bool Editor::*pending;
    std::string menu;
  } cases[] = {
      {"script", none, &Editor::ShowScriptMenu, &Editor::mScriptMenuPending,
       "Script: New blank script | Copy all | Paste"},
      {"factory presets",
       [](Editor& e) { e.SetPresetBrowserState(true, true, 1, 2, false, true, "", {"Clean", "Crunch"}); },
       &Editor::ShowPresetsMenu, &Editor::mPresetsMenuPending, "Presets: FACTORY PRESETS (disabled) | Clean | Crunch"},
      {"empty user presets", [](Editor& e) { e.SetPresetBrowserState(false, false, 0, 0, false, true, "", {}); },
       &Editor::ShowPresetsMenu, &Editor::mPresetsMenuPending, "Presets: USER PRESETS (disabled)"},
      {"preamp stage 3", [](Editor& e) { e.mSelectedStage = 2; }, &Editor::ShowPreampMenu, &Editor::mPreampMenuPending,
       "Preamp DNA: PREAMP STAGE 3 (disabled) | - | Clone from Stage 1 | Clone from Stage 2 | Clone from Stage 3 | "
       "Clone from Stage 4 | - | Set preamp stage to {Standard amplifier | Cold Cathode} | - | Copy DNA | Paste DNA"},
      {"tone stack", none, &Editor::ShowToneStackMenu, &Editor::mToneStackMenuPending,
       "Tone Stack DNA: Set Tone Stack to {Default} | - | Copy DNA | Paste DNA"},
      {"power amp", none, &Editor::ShowPowerAmpMenu, &Editor::mPowerAmpMenuPending,
       "Power Amp DNA: Set Power Amp to {Default | Transparent without gain} | - | Copy DNA | Paste DNA"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EditorHarness harness;
    Editor& editor = harness.Editor();
    c.setUp(editor);
    // Opened twice: the second opening starts from an empty menu.
    (editor.*c.show)(3, 4);
    (editor.*c.show)(3, 4);
    EXPECT_TRUE(editor.*c.pending);
    EXPECT_EQ(harness.graphics->ShownMenus(), std::vector<std::string>(2, c.menu));
    EXPECT_TRUE(harness.graphics->Log().back().ends_with("items) at (3,4,3,4)"));
  }
}

TEST(EditorPopupMenus, ThePlotMenuOffersTheReferenceItemsWhileItHoldsPoints) {
  standin::testing::ScopedManualClock clock;
  TempFolder folder;
  EditorHarness harness;
  Editor& editor = harness.Editor();
  harness.graphics->AttachEditorView(nullptr);
  harness.graphics->AnswerFileDialogs(folder.Write("reference.csv", "100,1\n200,2\n").string());
  auto& layer = editor.mPlotLayers[kPlotToneStack];
  layer = std::make_unique<ILayer>(nullptr, IRECT(), &editor, IRECT());

  const std::string copyAndLoad = "Plot: Copy dataset to clipboard | Load reference dataset";
  const struct {
    const char* what;
    int choice;
    std::string menu;
    bool shownAfter, changesLayer;
  } steps[] = {
      {"load", 1, copyAndLoad, true, true},
      {"hide", 2, copyAndLoad + " | Hide reference dataset | Remove reference dataset", false, true},
      {"copy", 0, copyAndLoad + " | Show reference dataset | Remove reference dataset", false, false},
      {"remove", 3, copyAndLoad + " | Show reference dataset | Remove reference dataset", true, true},
      {"after removal", -1, copyAndLoad, true, false},
  };
  editor.mPlotReferenceShown[kPlotToneStack] = true;
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    layer->SetInvalid(false);
    editor.ClearDirty();
    harness.graphics->QueuePopupAnswer(Answer::Choose(step.choice));
    editor.ShowPlotMenu(kPlotToneStack, 10, 20);
    standin::testing::RunOnce();
    EXPECT_EQ(harness.graphics->ShownMenus().back(), step.menu);
    EXPECT_EQ(editor.mPlotMenuIndex, kPlotToneStack);
    EXPECT_EQ(editor.mPlotReferenceShown[kPlotToneStack], step.shownAfter);
    EXPECT_EQ(layer->IsInvalid(), step.changesLayer);
    EXPECT_EQ(editor.IsDirty(), step.changesLayer);
  }
  EXPECT_TRUE(editor.mPlotReferences[kPlotToneStack].x.empty());
  EXPECT_TRUE(harness.graphics->Clipboard()->starts_with("# TONE_0\n"));
}

TEST(EditorPopupMenus, AChoiceActsThroughItsOwnMenuOnly) {
  struct Row {
    const char* what;
    std::function<void(Editor&)> open;
    std::vector<Answer> answers;  // one opening each
    Calls calls;
    std::string clipboardBefore = "old";
    std::optional<std::string> clipboardAfter = std::nullopt;  // the one before
  };
  const auto presets = [](Editor& e) {
    e.SetPresetBrowserState(true, true, 1, 3, false, true, "", {"Clean", "Crunch", "Lead"});
    e.ShowPresetsMenu(0, 0);
  };
  const auto script = [](Editor& e) { e.ShowScriptMenu(0, 0); };
  const auto preampOf = [](int stage) {
    return [stage](Editor& e) {
      e.mSelectedStage = stage;
      e.ShowPreampMenu(0, 0);
    };
  };
  const auto toneStack = [](Editor& e) { e.ShowToneStackMenu(0, 0); };
  const auto powerAmp = [](Editor& e) { e.ShowPowerAmpMenu(0, 0); };
  const std::vector<Row> rows = {
      {"a preset", presets, {Answer::Choose(3)}, {"onSelectPreset(2)"}},
      {"the presets title", presets, {Answer::Choose(0)}, {}},
      {"new blank script", script, {Answer::Choose(0)}, {"onScriptChanged(\"\")"}},
      {"copy the script", script, {Answer::Choose(1)}, {}, "old", "abc"},
      {"paste into the script", script, {Answer::Choose(2)}, {"onScriptChanged(\"xyzabc\")"}, "xyz"},
      {"clone a stage from itself", preampOf(2), {Answer::Choose(4)}, {}},
      {"clone stage 3 from stage 1", preampOf(2), {Answer::Choose(2)}, {"onCopyPreampStage(2, 0)"}},
      {"standard amplifier on stage 4", preampOf(3), {Answer::Choose({7, 0})},
       {"onPreampStageDnaChanged(3, [51 128 153 148 176 38 140 0 140 209 0])"}},
      {"cold cathode on stage 1", preampOf(0), {Answer::Choose({7, 1})},
       {"onPreampStageDnaChanged(0, [89 128 128 148 115 38 51 102 64 204 0])"}},
      {"copy a stage", preampOf(2), {Answer::Choose(9)}, {}, "old", Numbers(22, 11)},
      {"paste a stage", preampOf(2), {Answer::Choose(10)}, {"onPreampStageDnaChanged(2, " + Bytes(1, 11) + ")"},
       Numbers(1, 11)},
      {"default tone stack", toneStack, {Answer::Choose({0, 0})},
       {"onToneStackDnaChanged([97 64 97 122 143 143 79 112 84 64 112 97 97 125 97 135])"}},
      {"copy the tone stack", toneStack, {Answer::Choose(2)}, {}, "old", Numbers(44, 16)},
      {"paste the tone stack", toneStack, {Answer::Choose(3)}, {"onToneStackDnaChanged(" + Bytes(1, 16) + ")"},
       Numbers(1, 16)},
      {"default power amp twice", powerAmp, {Answer::Choose({0, 0}), Answer::Choose({0, 0})},
       {"onPowerAmpDnaChanged([122 230 222 204 179 0 0 54 217 135 107 153 107])"}},
      {"transparent power amp", powerAmp, {Answer::Choose({0, 1})},
       {"onPowerAmpDnaChanged([0 255 255 255 255 0 0 102 255 135 153 153 153])"}},
      {"copy the power amp", powerAmp, {Answer::Choose(2)}, {}, "old", Numbers(60, 13)},
      {"paste the power amp", powerAmp, {Answer::Choose(3)}, {"onPowerAmpDnaChanged(" + Bytes(1, 13) + ")"},
       Numbers(1, 13)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EditorSetup setup = CountingDna();
    setup.script = "abc";
    EditorHarness harness(setup);
    harness.graphics->SetClipboard(row.clipboardBefore);
    for (const Answer& answer : row.answers) {
      harness.graphics->QueuePopupAnswer(answer);
      row.open(harness.Editor());
    }
    EXPECT_EQ(harness.TakeCalls(), row.calls);
    EXPECT_EQ(harness.graphics->Clipboard(), row.clipboardAfter.value_or(row.clipboardBefore));
  }
}

TEST(EditorPopupMenus, DismissedOrConsumedOpeningsRouteNothing) {
  EditorHarness harness(CountingDna());
  Editor& editor = harness.Editor();
  auto& graphics = *harness.graphics;
  graphics.SetClipboard("x");
  editor.mSelectedStage = 1;

  graphics.QueuePopupAnswer(Answer::Dismiss());
  editor.ShowPreampMenu(0, 0);
  EXPECT_TRUE(editor.mPreampMenuPending);
  // The stale preamp opening does not take a choice made in the script menu.
  graphics.QueuePopupAnswer(Answer::Choose(2));
  editor.ShowScriptMenu(0, 0);
  EXPECT_EQ(harness.TakeCalls(), Calls{"onScriptChanged(\"x\")"});
  EXPECT_TRUE(editor.mPreampMenuPending);
  // The next opening of the dismissed menu works as before, once.
  graphics.QueuePopupAnswer(Answer::Choose(2));
  editor.ShowPreampMenu(0, 0);
  editor.OnPopupMenuSelection(&editor.mPreampMenu, 0);
  EXPECT_EQ(harness.TakeCalls(), Calls{"onCopyPreampStage(1, 0)"});
  EXPECT_FALSE(editor.mPreampMenuPending);

  // After the plot menu was used, a consumed script choice delivered again
  // neither copies the script nor reaches the plot's actions.
  graphics.QueuePopupAnswer(Answer::Choose(0));
  editor.ShowPlotMenu(kPlotPowerAmpLinear, 0, 0);
  graphics.QueuePopupAnswer(Answer::Choose(1));
  editor.ShowScriptMenu(0, 0);
  graphics.Log().clear();
  editor.OnPopupMenuSelection(&editor.mScriptMenu, 0);
  EXPECT_EQ(graphics.Log(), std::vector<std::string>{});
  EXPECT_EQ(harness.TakeCalls(), Calls{});
}

}  // namespace
}  // namespace orvane::testing
