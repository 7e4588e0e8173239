#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "editor_harness.h"

namespace orvane::testing {
namespace {

using Calls = std::vector<std::string>;

constexpr std::uint8_t kFlatByte = 100;
const IRECT kTrack(100.f, 0.f, 200.f, 10.f);
const std::string kThreeControls =
    "slider: \"Drive\"\ngain = x\nswitch,3: \"Channel\", \"Clean\", \"Crunch\", \"Lead\"\nbass = 0, 50, 100\n"
    "slider: \"Level\"\nmaster = x\n";

EditorSetup FlatDesign() {
  EditorSetup setup;
  setup.dna.fill(kFlatByte);
  setup.script = kThreeControls;
  return setup;
}

// One displayed row per DNA index, all on the same track.
void ShowDnaRows(OrvaneGUIControl& editor, std::vector<std::uint32_t> indexes) {
  editor.mDnaRowRects.assign(indexes.size(), kTrack);
  editor.mDnaRowIndexes = std::move(indexes);
}

// The first `count` controls shown in rows 0 to count - 1.
void ShowPlayerRows(OrvaneGUIControl& editor, int count) {
  editor.mPlayerRowRects.assign(static_cast<std::size_t>(count), kTrack);
  editor.mPlayerTrackRects.assign(static_cast<std::size_t>(count), kTrack);
  editor.mPlayerRowControls.clear();
  for (int i = 0; i < count; ++i) editor.mPlayerRowControls.push_back(i);
}

TEST(EditorEditing, OperationsStoreTheClampedValueAndReportOnlyChanges) {
  using Editor = OrvaneGUIControl;
  struct Case {
    const char* what;
    std::function<void(Editor&)> edit;
    Calls calls;
    std::function<void(const Editor&)> check = nullptr;
  };
  const std::vector<Case> cases = {
      {"trim below the range, twice", [](Editor& e) { e.SetTrimFromEditor(2, -75); e.SetTrimFromEditor(2, -75); },
       {"onSectionTrimChanged(2, -60)"}, [](const Editor& e) { EXPECT_EQ(e.mBypassGainDb[2], -60.0); }},
      {"trim NaN", [](Editor& e) { e.SetTrimFromEditor(1, std::nan("")); }, {}},
      {"trim of section 6", [](Editor& e) { e.SetTrimFromEditor(6, 3); }, {}},
      {"input gain", [](Editor& e) { e.SetGainFromEditor(true, -30); }, {"onGainChanged(true, -24)"},
       [](const Editor& e) { EXPECT_EQ(e.mInputGainDb, -24.0); }},
      {"output gain", [](Editor& e) { e.SetGainFromEditor(false, -130); }, {"onGainChanged(false, -120)"}},
      {"output gain unchanged", [](Editor& e) { e.SetGainFromEditor(false, -60); }, {}},
      {"knob above the range", [](Editor& e) { e.SetKnobValue(kKnobBass, 150); }, {"onKnobChanged(1, 100)"},
       [](const Editor& e) {
         EXPECT_EQ(e.mDesignKnobs[kKnobBass], 100.0);
         EXPECT_EQ(e.mEffectiveKnobs[kKnobBass], 100.0);
         EXPECT_TRUE(e.IsPlotDirty(kPlotToneStack));
       }},
      {"knob 7", [](Editor& e) { e.SetKnobValue(7, 20); }, {}},
      {"knob at its effective value", [](Editor& e) { e.SetKnobValue(kKnobMid, 50); }, {}},
      {"DNA row at 90 %", [](Editor& e) { ShowDnaRows(e, {44}); e.SetDnaRowPercent(0, 90); },
       {"onDnaByteChanged(44, 230)"},
       [](const Editor& e) {
         EXPECT_EQ(e.mDesignDna[44], 230);
         EXPECT_EQ(e.mEffectiveDna[44], 230);
         EXPECT_TRUE(e.IsPlotDirty(kPlotToneStack));
       }},
      {"DNA row at 50 %", [](Editor& e) { ShowDnaRows(e, {44}); e.SetDnaRowPercent(0, 50); },
       {"onDnaByteChanged(44, 128)"}},
      {"DNA row at 0.1 %", [](Editor& e) { ShowDnaRows(e, {44}); e.SetDnaRowPercent(0, 0.1); },
       {"onDnaByteChanged(44, 0)"}},
      {"DNA row outside the rows", [](Editor& e) { ShowDnaRows(e, {44}); e.SetDnaRowPercent(1, 90); }, {}},
      {"preamp row of stage 2", [](Editor& e) { ShowDnaRows(e, {5}); e.mSelectedStage = 2; e.SetDnaRowPercent(0, 90); },
       {"onDnaByteChanged(27, 230)"}},
      {"DNA track's left edge", [](Editor& e) { ShowDnaRows(e, {60}); e.SetDnaRowFromPosition(0, 100); },
       {"onDnaByteChanged(60, 0)"}},
      {"DNA track's right edge", [](Editor& e) { ShowDnaRows(e, {60}); e.SetDnaRowFromPosition(0, 200); },
       {"onDnaByteChanged(60, 255)"}},
      {"beyond the DNA track", [](Editor& e) { ShowDnaRows(e, {60}); e.SetDnaRowFromPosition(0, 260); },
       {"onDnaByteChanged(60, 255)"}},
      {"knob track's left edge", [](Editor& e) { e.mKnobTrackRects.assign(7, kTrack); e.SetKnobFromPosition(0, 100); },
       {"onKnobChanged(0, 0)"}},
      {"beyond the knob track", [](Editor& e) { e.mKnobTrackRects.assign(7, kTrack); e.SetKnobFromPosition(0, 300); },
       {"onKnobChanged(0, 100)"}},
      {"slider track's right edge", [](Editor& e) { ShowPlayerRows(e, 3); e.SetPlayerControlFromPosition(0, 200); },
       {"onPlayerControlChanged(0, 100)"}},
      {"switch at t = 0.34", [](Editor& e) { ShowPlayerRows(e, 3); e.SetPlayerControlFromPosition(1, 134); },
       {"onPlayerControlChanged(1, 1)"}},
      {"switch at t = 0.999", [](Editor& e) { ShowPlayerRows(e, 3); e.SetPlayerControlFromPosition(1, 199.9f); },
       {"onPlayerControlChanged(1, 2)"}, [](const Editor& e) { EXPECT_EQ(e.mEffectiveKnobs[kKnobBass], 100.0); }},
      {"slider value rounded and clamped", [](Editor& e) { e.SetPlayerControlValue(2, 140.4); },
       {"onPlayerControlChanged(2, 100)"}},
      {"clone a stage onto itself", [](Editor& e) { e.ClonePreampStage(2, 2); }, {}},
      {"clone equal bytes", [](Editor& e) { e.ClonePreampStage(1, 0); }, {}},
      {"clone stage 0 onto stage 2",
       [](Editor& e) {
         for (int row = 0; row < kPreampRowsPerStage; ++row) e.mDesignDna[row] = static_cast<std::uint8_t>(10 + row);
         e.ClonePreampStage(2, 0);
       },
       {"onCopyPreampStage(2, 0)"},
       [](const Editor& e) {
         for (int row = 0; row < kPreampRowsPerStage; ++row) EXPECT_EQ(e.mDesignDna[22 + row], 10 + row);
         EXPECT_EQ(e.mDesignDna[33], kFlatByte);
         EXPECT_EQ(e.mEffectiveDna[22], 10);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EditorHarness harness(FlatDesign());
    Editor& editor = harness.Editor();
    harness.TakeCalls();
    editor.ClearDirty();
    c.edit(editor);
    const Calls calls = harness.TakeCalls();
    EXPECT_EQ(calls, c.calls);
    EXPECT_EQ(editor.IsDirty(), !c.calls.empty());
    if (c.check) c.check(editor);
  }
}

TEST(EditorEditing, ScrollingStaysWithinTheControlsBeyondTheVisibleRows) {
  EditorHarness harness(FlatDesign());
  OrvaneGUIControl& editor = harness.Editor();
  ShowPlayerRows(editor, 2);
  const struct {
    int rows;
    std::int32_t offset;
    bool redrawn;
  } steps[] = {{5, 1, true}, {1, 1, false}, {-3, 0, true}, {-1, 0, false}};
  for (const auto& step : steps) {
    SCOPED_TRACE(step.rows);
    editor.ClearDirty();
    editor.ScrollPlayerControls(step.rows);
    EXPECT_EQ(editor.mPlayerScrollOffset, step.offset);
    EXPECT_EQ(editor.IsDirty(), step.redrawn);
  }
  // Without rows one still counts as visible.
  editor.mPlayerRowRects.clear();
  editor.ScrollPlayerControls(9);
  EXPECT_EQ(editor.mPlayerScrollOffset, 2);
}

TEST(EditorEditing, RowsOfTheLastFrameReachNothingAfterAFailedParse) {
  EditorHarness harness(FlatDesign());
  OrvaneGUIControl& editor = harness.Editor();
  ShowPlayerRows(editor, 3);
  editor.mDragPlayerControl = 1;
  const std::vector<double> values = editor.mPlayerValues;
  editor.SetScriptText("slider \"broken\"", values);
  ASSERT_FALSE(editor.mParsedScript.error.empty());
  EXPECT_EQ(editor.mDragPlayerControl, OrvaneGUIControl::kNoDrag);

  for (int row = 0; row < 3; ++row) {
    editor.SetPlayerControlFromPosition(row, 150.f);    // a click or a drag on an old row
    editor.SetPlayerControlValue(row, values[row] + 1);  // the wheel
  }
  editor.ScrollPlayerControls(1);
  EXPECT_TRUE(harness.TakeCalls().empty());
  EXPECT_EQ(editor.mPlayerValues, values);
  EXPECT_EQ(editor.mPlayerScrollOffset, 0);
}

}  // namespace
}  // namespace orvane::testing
