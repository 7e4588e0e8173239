// The editor's pointer input as a user gives it: the plug-in core opens its
// editor on the recording graphics double, a frame puts every hit rectangle
// where the drawing puts it, and presses, drags, wheel turns and hovers land
// on those rectangles; the tests read what reached the core and what the
// next frame draws.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "editing_test_support.h"
#include "editor/orvane_gui_control.h"
#include "plugin/theme_palette.h"
#include "plugin/update_address.h"
#include "scoped_test_folder.h"
#include "support/graphics/frame_runner.h"
#include "support/graphics/synthetic_input.h"

namespace orvane::testing {
namespace {

using plugkit::graphics::IMouseMod;
using plugkit::testing::kLeftButton;
using plugkit::testing::kRightButton;
using plugkit::testing::RunFrame;
using plugkit::testing::SyntheticInput;

constexpr float kNaNDelta = std::numeric_limits<float>::quiet_NaN();
constexpr float kHugeDelta = 1e30f;
constexpr IMouseMod kShift{false, false, true};

struct Point {
  float x;
  float y;
};
// The point at fractions of the rectangle's width and height.
Point At(const IRECT& r, float fx = 0.5f, float fy = 0.5f) { return {r.L + fx * r.W(), r.T + fy * r.H()}; }

std::string ShortNamedSliders(int count) {
  std::string script;
  for (int i = 0; i < count; ++i) script += "slider: \"S" + std::to_string(i) + "\"\n";
  return script;
}

class PointerInput : public ::testing::Test {
protected:
  void SetUp() override {
    plugin->OpenHeadlessEditor();
    input = std::make_unique<SyntheticInput>(plugin->Graphics());
    Frame();
    ShowView(false);
    Committed();
  }
  void TearDown() override { ApplyColourTheme(false); }

  OrvaneGUIControl& E() { return *plugin->mEditorControl; }
  plugkit::testing::FrameResult Frame() {
    E().MarkDirty(false);
    return RunFrame(plugin->Graphics());
  }
  // Whether the core published a design since the last question.
  bool Committed() { return std::exchange(mSnapshot, plugin->RenderBlock()) != mSnapshot; }
  const RuntimeSnapshot& Snapshot() const { return *mSnapshot; }
  void Click(Point p, const IMouseMod& mod = kLeftButton) { input->Click(p.x, p.y, mod); }
  void Wheel(Point p, float d, const IMouseMod& mod = {}) { input->Wheel(p.x, p.y, d, mod); }
  void Type(const char* text) {
    for (const char* c = text; *c != '\0'; ++c) {
      const char key[] = {*c, '\0'};
      input->KeyDown(IKeyPress(key, 0));
    }
  }
  // Through the view switch: its upper half is PLAY.
  void ShowView(bool play) {
    Click(At(E().mViewSwitchRect, 0.5f, play ? 0.25f : 0.75f));
    Frame();
  }
  void UseScript(const std::string& script, bool play) {
    plugin->SetScriptAndValues(script);
    ShowView(play);
    Committed();
  }
  // The first DNA row that edits this byte.
  int RowOfByte(int index) {
    for (int row = 0; row < static_cast<int>(E().mDnaRowRects.size()); ++row)
      if (E().DnaIndexOfRow(row) == index) return row;
    return -1;
  }

  standin::testing::ScopedManualClock clock;
  ProductSandbox sandbox;
  std::unique_ptr<EditingOrvane> plugin = std::make_unique<EditingOrvane>();
  std::unique_ptr<SyntheticInput> input;

private:
  const RuntimeSnapshot* mSnapshot = nullptr;
};

// Each press that acts is seen at the next frame, before its release.
TEST_F(PointerInput, APressThatActsRedrawsAndReachesTheCore) {
  plugin->Settle();
  Committed();
  struct Case {
    const char* what;
    std::function<Point(OrvaneGUIControl&)> where;
    std::function<void(EditingOrvane&, OrvaneGUIControl&)> check;
  };
  const Case cases[] = {
      {"SAVE with a factory preset does nothing", [](auto& e) { return At(e.mSaveRect); },
       [](auto& p, auto&) { EXPECT_TRUE(p.DialogLog().empty()); }},
      {"SAVE AS asks for a file", [](auto& e) { return At(e.mSaveAsRect); },
       [](auto& p, auto&) { EXPECT_EQ(p.DialogLog().at(0).rfind("choose file 1:", 0), 0u); }},
      {"oversampling box", [](auto& e) { return At(e.mOversamplingRect); },
       [](auto& p, auto&) { EXPECT_EQ(p.LiveState().oversampling, 2); }},
      {"tone-stack arrow", [](auto& e) { return At(e.mToneStackLeftArrowRect); },
       [](auto& p, auto&) { EXPECT_EQ(p.LiveDesign().amplifier.toneStackPosition, 3); }},
      {"stage tab", [](auto& e) { return At(e.mStageSelectorRects[0][2]); },
       [](auto&, auto& e) { EXPECT_EQ(e.mSelectedStage, 2); }},
      {"trim field", [](auto& e) { return At(e.mOutputTrimRect); },
       [](auto&, auto& e) { EXPECT_EQ(e.mEditField, OrvaneGUIControl::kEditFieldOutputTrim); }},
      {"amplifier switch, lower half", [](auto& e) { return At(e.mAmplifierSwitchRect, 0.5f, 0.75f); },
       [](auto& p, auto&) {
         EXPECT_FALSE(p.LiveState().amplifierEnabled);
         EXPECT_EQ(p.MuteWord(), kStandardMuteWord);
       }},
      {"theme switch, lower half", [](auto& e) { return At(e.mThemeSwitchRect, 0.5f, 0.75f); },
       [](auto&, auto&) { EXPECT_TRUE(ThemePalette.IsDark()); }},
      {"section button", [](auto& e) { return At(e.mSectionButtonRects[2]); },
       [](auto& p, auto&) { EXPECT_FALSE(p.LiveDesign().amplifier.sections[2]); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Frame();
    const Point p = c.where(E());
    input->Down(p.x, p.y);
    EXPECT_TRUE(E().IsDirty());
    input->Up(p.x, p.y);
    c.check(*plugin, E());
  }
}

TEST_F(PointerInput, OversamplingStepsAndTheToneStackStopsAtItsEnds) {
  ShowView(true);
  for (const int factor : {2, 4, 8, 1}) {
    Click(At(E().mOversamplingRect));
    EXPECT_EQ(plugin->LiveState().oversampling, factor);
    EXPECT_TRUE(Committed());
    EXPECT_EQ(Snapshot().oversampling, factor);
  }
  // From 4 down to 1 and back, a second press landing before the next frame.
  ShowView(false);
  const auto arrow = [&](bool left) { return At(left ? E().mToneStackLeftArrowRect : E().mToneStackRightArrowRect); };
  for (const auto& [left, position] : {std::pair{true, 3}, {true, 2}, {true, 1}, {false, 2}, {false, 3}, {false, 4}}) {
    SCOPED_TRACE(position);
    const Point p = arrow(left);
    Click(p);
    EXPECT_EQ(plugin->LiveDesign().amplifier.toneStackPosition, position);
    EXPECT_TRUE(Committed());
    if (position == 1 || position == 4) {
      Click(p);
      EXPECT_EQ(plugin->LiveDesign().amplifier.toneStackPosition, position);
      EXPECT_FALSE(Committed());
    }
    Frame();
  }
}

TEST_F(PointerInput, RightClicksSetTheMiddleWhereThereIsOne) {
  const int row = RowOfByte(kDnaPowerGain);
  const IRECT track = E().mDnaRowRects.at(static_cast<std::size_t>(row));
  input->Down(At(track).x, At(track).y, kRightButton);
  input->DragTo(track.L, At(track).y, kRightButton);
  EXPECT_EQ(plugin->LiveDesign().amplifier.dna[kDnaPowerGain], 128);

  UseScript(kPlayerScript, true);
  Click(At(E().mPlayerTrackRects.at(1), 0.2f));
  Click(At(E().mPlayerTrackRects.at(2), 0.9f));
  Frame();
  for (std::size_t r = 0; r < 3; ++r) Click(At(E().mPlayerRowRects[r]), kRightButton);
  EXPECT_EQ(plugin->LiveState().playerControlValues, (std::vector<double>{0.0, 50.0, 2.0}));
}

TEST_F(PointerInput, ThePlayViewIgnoresTheEditElementsItsFrameLeftBehind) {
  const std::vector<Point> stale = {At(E().mSectionButtonRects[0]), At(E().mDnaRowRects.at(0), 0.9f),
                                    At(E().mKnobTrackRects.at(0), 0.1f), At(E().mPlotButtonRects[0]),
                                    At(E().mToneStackLeftArrowRect), At(E().mBypassTrimRects[0])};
  ShowView(true);
  Committed();
  const Design before = plugin->LiveDesign();
  for (const Point& p : stale) Click(p);
  EXPECT_FALSE(Committed());
  EXPECT_EQ(plugin->LiveDesign().amplifier.dna, before.amplifier.dna);
  EXPECT_EQ(plugin->LiveDesign().amplifier.knobs, before.amplifier.knobs);
  EXPECT_EQ(plugin->LiveDesign().amplifier.sections, before.amplifier.sections);
  EXPECT_TRUE(E().mPlotVisible[0]);
  EXPECT_EQ(E().mEditField, OrvaneGUIControl::kEditFieldNone);
}

TEST_F(PointerInput, WheelTurns) {
  // A DNA row at byte 0: a notch is 1 % (2.55, stored as 3); a fine notch rounds away.
  const IRECT track = E().mDnaRowRects.at(static_cast<std::size_t>(RowOfByte(kDnaPowerGain)));
  Click({track.L, At(track).y});
  for (const auto& [mod, byte] : {std::pair{kShift, 0}, {IMouseMod{}, 3}}) {
    Wheel(At(track), 1.f, mod);
    EXPECT_EQ(plugin->LiveDesign().amplifier.dna[kDnaPowerGain], byte);
  }
  const IRECT knob = E().mKnobTrackRects.at(kKnobMid);
  const double mid = E().mEffectiveKnobs[kKnobMid];
  Wheel(At(knob), -2.f);
  Wheel(At(knob), 1.f, kShift);
  EXPECT_DOUBLE_EQ(plugin->LiveDesign().amplifier.knobs[kKnobMid], mid - 2.0 + 0.1);

  // A script far longer than its area: a huge turn goes to an end, and the
  // next frame keeps the rows the wheel showed.
  UseScript(std::string(200, '\n'), false);
  const int lastFirst = 201 - static_cast<int>(std::floor(E().mScriptRect.H() / E().mScriptLineHeight));
  for (const auto& [d, first] : {std::pair{-kHugeDelta, lastFirst}, {kHugeDelta, 0}, {-1.f, 3}, {kNaNDelta, 3}}) {
    Wheel(At(E().mScriptRect), d);
    Frame();
    EXPECT_EQ(E().mScriptFirstLine, first);
  }

  // In the PLAY view: trims by half a decibel, a player row by one step,
  // the panel off a row by one row per notch.
  UseScript(ShortNamedSliders(20) + kPlayerScript, true);
  Click(At(E().mInputTrimRect));
  Type("23.8");
  Click(At(E().mOutputTrimRect));
  Wheel(At(E().mInputTrimRect), 1.f);
  EXPECT_EQ(plugin->LiveDesign().trims.inputGainDb, 24.0);
  plugin->Edit([](PluginStateDocument& d) { d.design.trims.inputGainDb = 0.0; });
  Wheel(At(E().mInputTrimRect), 1.f);  // nothing left to send
  Wheel(At(E().mInputTrimRect), kNaNDelta);
  EXPECT_EQ(plugin->LiveDesign().trims.inputGainDb, 0.0);
  EXPECT_EQ(E().mInputGainDb, 24.0);

  Wheel(At(E().mPlayerRowRects.at(0)), 0.2f);
  Wheel(At(E().mPlayerRowRects.at(1)), -1.f);
  EXPECT_EQ(plugin->LiveState().playerControlValues[0], 51.0);
  EXPECT_EQ(plugin->LiveState().playerControlValues[1], 49.0);
  const IRECT& firstRow = E().mPlayerRowRects.at(0);
  const int range = 23 - static_cast<int>(E().mPlayerRowRects.size());
  for (const auto& [d, offset] : {std::pair{-1.f, 1}, {-kHugeDelta, range}}) {
    Wheel({firstRow.R - 1.f, firstRow.B + 1.f}, d);
    EXPECT_EQ(E().mPlayerScrollOffset, offset);
  }
}

TEST_F(PointerInput, ThePressOrder) {
  // A press elsewhere ends a numeric entry first; one on its own field keeps it.
  Click(At(E().mInputTrimRect));
  Type("-6");
  Click(At(E().mOutputTrimRect));
  EXPECT_EQ(plugin->LiveDesign().trims.inputGainDb, -6.0);
  Type("-3");
  Click(At(E().mOutputTrimRect));
  EXPECT_EQ(E().mEditField, OrvaneGUIControl::kEditFieldOutputTrim);
  EXPECT_EQ(E().mEditBuffer, "-3");

  // The right button on the script commits the entry, opens the script's
  // menu, then focuses the script.
  Click(At(E().mScriptRect), kRightButton);
  EXPECT_EQ(plugin->LiveDesign().trims.outputGainDb, -3.0);
  EXPECT_EQ(plugin->Graphics().ShownMenus().back().rfind("Script", 0), 0u);
  EXPECT_TRUE(E().mScriptFocused);

  // One field at a time has the focus.
  Frame();
  for (const bool name : {true, false, true}) {
    Click(At(name ? E().mNameRect : E().mDescriptionRect));
    EXPECT_EQ(E().mNameFocused, name);
    EXPECT_EQ(E().mDescriptionFocused, !name);
    EXPECT_FALSE(E().mScriptFocused);
  }
  EXPECT_EQ(E().mNameCaret, E().mDesignName.size());
}

TEST_F(PointerInput, AScriptClickPlacesTheCaret) {
  UseScript("abcd\nx\xC3\xA9\nz", false);  // rows start at bytes 0, 5 and 9
  const auto cell = [&](float column, float row) {
    return Point{E().mScriptTextLeft + column * E().mScriptCharWidth,
                 E().mScriptRect.T + (row + 0.5f) * E().mScriptLineHeight};
  };
  const struct {
    const char* what;
    Point where;
    std::uint64_t caret;
  } cases[] = {
      {"row and column", cell(2.5f, 0.f), 2},
      {"past the row's end", cell(20.f, 0.f), 4},
      {"between the bytes of a character", cell(2.5f, 1.f), 6},
      {"in the line numbers", cell(-1.f, 2.f), 9},
      {"below the last row", cell(0.5f, 6.f), 9},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    E().mScriptSelectAll = true;
    Click(c.where);
    EXPECT_EQ(E().mScriptCaret, c.caret);
    EXPECT_FALSE(E().mScriptSelectAll);
  }

  // Scrolled away from the caret, a click on a shown row keeps the rows.
  UseScript(std::string(100, '\n'), false);
  Wheel(At(E().mScriptRect), -10.f);
  Frame();
  Click(cell(0.f, 1.f));
  EXPECT_EQ(E().mScriptFirstLine, 30);
  EXPECT_EQ(E().mScriptCaret, 31u);
}

TEST_F(PointerInput, TheScrollbarJumpsAndDrags) {
  UseScript(ShortNamedSliders(20), true);
  const IRECT track = E().mPlayerScrollTrackRect;
  const IRECT thumb = E().mPlayerScrollThumbRect;
  const double range = 20.0 - static_cast<double>(E().mPlayerRowRects.size());
  ASSERT_GT(range, 1.0);
  const auto offsetAt = [&](float y, float grab) {
    const double t = std::clamp((y - grab - track.T) / (track.H() - thumb.H()), 0.f, 1.f);
    return static_cast<int>(std::lround(t * range));
  };
  const float x = At(track).x;
  const float y = At(track, 0.5f, 0.95f).y;
  input->Down(x, y);
  EXPECT_EQ(E().mPlayerScrollOffset, offsetAt(y, thumb.H() / 2.f));
  Frame();
  input->DragTo(x, y - 40.f);
  EXPECT_EQ(E().mPlayerScrollOffset, offsetAt(y - 40.f, thumb.H() / 2.f));
  Frame();
  input->DragTo(x, y - 40.1f);
  EXPECT_TRUE(RunFrame(plugin->Graphics()).drawn.empty());
}

TEST_F(PointerInput, DragsCommitEachChange) {
  const int row = RowOfByte(kDnaPowerGain);
  const IRECT track = E().mDnaRowRects.at(static_cast<std::size_t>(row));
  input->Down(track.L, At(track).y);
  Committed();
  for (const auto& [fx, byte, commits] : {std::tuple{0.6f, 153, true}, {1.f, 255, true}, {1.5f, 255, false}}) {
    input->DragTo(At(track, fx).x, At(track).y);
    EXPECT_EQ(Committed(), commits);
    EXPECT_EQ(Snapshot().editedDesign.amplifier.dna[kDnaPowerGain], byte);
  }
  input->Up(track.R, At(track).y);

  // The script maps the drive slider onto the gain knob; the dragged knob wins.
  UseScript(ShortNamedSliders(20) + kPlayerScript, false);
  const IRECT gain = E().mKnobTrackRects.at(kKnobGain);
  input->Down(At(gain, 0.2f).x, At(gain).y);
  input->Up(At(gain, 0.2f).x, At(gain).y);
  Committed();
  EXPECT_NEAR(Snapshot().effectiveDesign.amplifier.knobs[kKnobGain], 20.0, 1e-3);

  ShowView(true);
  const IRECT first = E().mPlayerTrackRects.at(0);
  input->Down(At(first, 0.3f).x, At(first).y);
  input->DragTo(At(first, 0.6f).x, At(first).y);
  EXPECT_EQ(plugin->LiveState().playerControlValues[0], 60.0);
  EXPECT_TRUE(Committed());
  EXPECT_EQ(Snapshot().playerControlValues[0], 60.0);
  Wheel({first.R, E().mPlayerRowRects[0].B + 1.f}, -1.f);
  Frame();
  input->DragTo(At(first, 0.9f).x, At(first).y);
  EXPECT_EQ(plugin->LiveState().playerControlValues[0], 60.0);
  EXPECT_EQ(plugin->LiveState().playerControlValues[1], 50.0);
}

TEST_F(PointerInput, HoverShowsTheHandOverLinksAndTheLogoOpensTheMakersSite) {
  const auto cursorAt = [&](Point p) {
    input->Hover(p.x, p.y);
    return plugin->Graphics().CursorKind();
  };
  const IRECT logo = E().mLogoRect;
  const IRECT name = E().mPresetNameRect;
  EXPECT_EQ(cursorAt(At(logo)), 11);
  EXPECT_EQ(cursorAt(At(E().mScriptRect)), 0);
  EXPECT_EQ(cursorAt(At(E().mPresetIndexRect)), 11);
  input->Out();
  EXPECT_EQ(plugin->Graphics().CursorKind(), 0);
  ShowView(true);
  EXPECT_EQ(cursorAt(At(name)), 0);
  EXPECT_EQ(cursorAt(At(logo)), 11);

  const auto links = [&] {
    std::vector<std::string> opened;
    for (const std::string& line : plugin->Graphics().Log())
      if (line.rfind("open link", 0) == 0) opened.push_back(line);
    return opened;
  };
  Click(At(logo));
  EXPECT_TRUE(links().empty());
  const ScopedEnvironmentVariable address(kUpdateUrlVariable, "http://127.0.0.1:8123");
  Click(At(logo));
  EXPECT_EQ(links(), std::vector<std::string>{"open link: http://127.0.0.1:8123"});
}

TEST_F(PointerInput, ADnaClickRedrawsExactlyTheLayersOfThePlotsItChanged) {
  constexpr int kSettleTicks = 12;
  for (int tick = 0; tick < kSettleTicks; ++tick) E().UpdatePlots();
  Frame();
  std::array<const void*, kPlotKindCount> layers{};
  for (std::size_t k = 0; k < layers.size(); ++k) layers[k] = E().mPlotLayers[k].get();

  const IRECT track = E().mDnaRowRects.at(static_cast<std::size_t>(RowOfByte(kDnaPowerCrossoverRange)));
  Click(At(track, 0.2f));
  EXPECT_EQ(plugin->LiveDesign().amplifier.dna[kDnaPowerCrossoverRange], 51);
  EXPECT_TRUE(Committed());
  for (int kind = 0; kind < kPlotKindCount; ++kind)
    EXPECT_EQ(E().IsPlotDirty(static_cast<PlotKind>(kind)), kind == kPlotPowerAmpNonLinear) << kind;

  for (int tick = 0; tick < kSettleTicks; ++tick) E().UpdatePlots();
  EXPECT_FALSE(E().IsPlotDirty(kPlotPowerAmpNonLinear));
  Frame();
  for (std::size_t k = 0; k < layers.size(); ++k)
    EXPECT_EQ(E().mPlotLayers[k].get() != layers[k], k == kPlotPowerAmpNonLinear) << k;
}

TEST_F(PointerInput, AQuickSecondClickOnNextMovesOnMore) {
  for (const auto& [file, name] : {std::pair{"a.orv", "Alpha"}, {"b.orv", "Beta"}, {"c.orv", "Gamma"}})
    WriteDesign(sandbox.UserFolder(), file, name);
  plugin->ChangePresetCollection(OrvanePresets::Collection::kUser);
  Frame();
  const Point next = At(E().mNextPresetRect);
  Click(next);
  input->DoubleClick(next.x, next.y);
  EXPECT_EQ(plugin->LiveDesign().name, "Gamma");
}

}  // namespace
}  // namespace orvane::testing
