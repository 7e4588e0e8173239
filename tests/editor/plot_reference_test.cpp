#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "editor_harness.h"
#include "standin/testing/run_loop.h"
#include "support/temp_folder.h"

namespace orvane::testing {
namespace {

using plugkit::graphics::ILayer;
using Values = std::vector<double>;
const Values kEarlierReference{-1, -2};

// The names of the blocks of a dataset text.
std::vector<std::string> BlockNames(const std::string& text) {
  std::vector<std::string> names;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);)
    if (line.starts_with("# ")) names.push_back(line.substr(2));
  return names;
}

TEST(EditorPlotDataset, CopiesThePlotsCurvesAndItsShownReference) {
  const struct {
    PlotKind plot;
    std::vector<int> hiddenStages;
    bool referenceShown;
    std::vector<std::string> blocks;
  } cases[] = {
      {kPlotToneStack, {}, false, {"TONE_0", "TONE_100", "TONE_50", "TONE_CURRENT"}},
      {kPlotPreampLinear, {1}, false, {"PREAMP_1", "PREAMP_3", "PREAMP_4"}},
      {kPlotPreampNonLinear, {0, 1, 2, 3}, false, {}},
      {kPlotPreampNonLinear, {0, 1, 2}, true, {"PREAMP_4", "REFERENCE"}},
      {kPlotPowerAmpLinear, {}, true, {"POWER_AMP_LINEAR", "REFERENCE"}},
      {kPlotPowerAmpNonLinear, {}, false, {"POWER_AMP_NONLINEAR"}},
  };
  EditorHarness harness;
  OrvaneGUIControl& editor = harness.Editor();
  for (int tick = 0; tick < kPlotKindCount; ++tick) editor.UpdatePlots();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.plot);
    for (auto& stages : editor.mPreampCurveVisible) stages.fill(true);
    for (int stage : c.hiddenStages) editor.mPreampCurveVisible[c.plot == kPlotPreampLinear ? 0 : 1][stage] = false;
    editor.mPlotReferences[c.plot].x = {1, 3};
    editor.mPlotReferences[c.plot].y = {-0.5, 2};
    editor.mPlotReferenceShown[c.plot] = c.referenceShown;
    harness.graphics->SetClipboard(std::nullopt);
    editor.CopyPlotDataset(c.plot);
    ASSERT_TRUE(harness.graphics->Clipboard().has_value());
    const std::string& text = *harness.graphics->Clipboard();
    EXPECT_EQ(BlockNames(text), c.blocks);
    if (c.referenceShown) {
      EXPECT_TRUE(text.ends_with("# REFERENCE\n1,-0.5\n3,2\n\n"));
    }
  }

  harness.graphics->Log().clear();
  harness.graphics->RefuseClipboardWrites(true);
  editor.CopyPlotDataset(kPlotToneStack);
  EXPECT_EQ(harness.graphics->Log().back(), "alert 0: Orvane: Could not copy the plot dataset to the clipboard.");
}

class EditorPlotReference : public ::testing::Test {
protected:
  EditorPlotReference() {
    for (auto& layer : editor.mPlotLayers) layer = std::make_unique<ILayer>(nullptr, IRECT(), &editor, IRECT());
    harness.graphics->AttachEditorView(nullptr);
    Reset();
  }
  // Every plot holds a hidden earlier reference; all layers are valid.
  void Reset() {
    for (int kind = 0; kind < kPlotKindCount; ++kind) {
      editor.mPlotReferences[kind].x = editor.mPlotReferences[kind].y = kEarlierReference;
      editor.mPlotReferenceShown[kind] = false;
      editor.mPlotLayers[kind]->SetInvalid(false);
    }
    editor.ClearDirty();
    harness.graphics->Log().clear();
  }

  standin::testing::ScopedManualClock clock;
  TempFolder folder;
  std::filesystem::path good = folder.Write("sub/good.csv", "f;g\n1000;0\n100;-3\n");
  std::filesystem::path bad = folder.Write("bad.txt", "100,1\n");
  EditorHarness harness;
  OrvaneGUIControl& editor = harness.Editor();
};

TEST_F(EditorPlotReference, LoadsFromThePathTheNameAndFolderGive) {
  const std::string relativeToHere = std::filesystem::relative(good).string();
  const struct {
    std::string name, folder;
    bool loads;
    std::string alert;
  } cases[] = {
      {good.string(), "/nowhere", true, ""},
      {relativeToHere, "", true, ""},
      {"good.csv", (folder.path() / "sub").string(), true, ""},
      {"bad.txt", folder.path().string(), false,
       "alert 0: Orvane plot reference: A reference dataset must contain at least two numeric x,y points."},
      {"", folder.path().string(), false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    editor.LoadPlotReference(kPlotToneStack, c.name, c.folder);
    const PlotSeries& reference = editor.mPlotReferences[kPlotToneStack];
    EXPECT_EQ(reference.x, (c.loads ? Values{100, 1000} : kEarlierReference));
    EXPECT_EQ(reference.y, (c.loads ? Values{-3, 0} : kEarlierReference));
    EXPECT_EQ(editor.mPlotReferenceShown[kPlotToneStack], c.loads);
    EXPECT_EQ(editor.IsDirty(), c.loads);
    for (int kind = 0; kind < kPlotKindCount; ++kind)
      EXPECT_EQ(editor.mPlotLayers[kind]->IsInvalid(), c.loads && kind == kPlotToneStack) << kind;
    EXPECT_EQ(harness.graphics->Log(), c.alert.empty() ? std::vector<std::string>{} : std::vector{c.alert});
  }
}

TEST_F(EditorPlotReference, TheFileDialogLoadsItsAnswerUnlessTheEditorClosedFirst) {
  harness.graphics->AnswerFileDialogs(good.string());
  editor.PromptForPlotReference(kPlotPowerAmpLinear);
  EXPECT_EQ(harness.graphics->Log(), std::vector<std::string>{"choose file 0:  in  (csv txt tsv)"});
  EXPECT_EQ(editor.mPlotReferences[kPlotPowerAmpLinear].x, kEarlierReference);
  standin::testing::RunOnce();
  EXPECT_EQ(editor.mPlotReferences[kPlotPowerAmpLinear].x, Values({100, 1000}));
  EXPECT_TRUE(editor.mPlotReferenceShown[kPlotPowerAmpLinear]);

  // The answer comes after the control is gone: nothing may run on it.
  editor.PromptForPlotReference(kPlotPowerAmpLinear);
  harness.graphics.reset();
  EXPECT_EQ(standin::testing::RunOnce(), 1);
}

}  // namespace
}  // namespace orvane::testing
