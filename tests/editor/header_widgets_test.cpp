#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "drawing_log.h"
#include "editor/editor_colours.h"
#include "editor/orvane_editor.h"
#include "editor_harness.h"

namespace orvane::testing {
namespace {

using plugkit::graphics::EAlign;
using plugkit::graphics::EVAlign;
using Lines = std::vector<std::string>;

const IText kLabelStyle(10.f, plugkit::graphics::kColorBlack, kEditorFontRegular);

class HeaderWidgets : public ::testing::Test {
protected:
  void SetUp() override {
    g.SetGeometryMode(true);
    g.ClearCalls();
  }

  EditorHarness harness;
  OrvaneGUIControl& editor = harness.Editor();
  plugkit::testing::RecordingGraphics& g = *harness.graphics;
};

enum class Switch { kOnOff, kView, kTheme };

void DrawSwitch(OrvaneGUIControl& e, IGraphics& g, Switch kind, const IRECT& r, bool state, float animation) {
  switch (kind) {
    case Switch::kOnOff: return e.DrawOnOffSwitch(g, r, state, kLabelStyle, animation);
    case Switch::kView: return e.DrawViewSwitch(g, r, state, kLabelStyle, animation);
    case Switch::kTheme: return e.DrawThemeSwitch(g, r, state, animation);
  }
}

// A switch 63 high has halves of 30 from 1.5: the thumb's top is 1.5 + 30 q.
TEST_F(HeaderWidgets, SwitchThumbsFollowTheirAnimationClamped) {
  struct Case {
    Switch kind;
    float animation;
    float thumbTop;
  };
  const std::vector<Case> cases = {
      {Switch::kOnOff, 0.f, 31.5f},  {Switch::kOnOff, 0.5f, 16.5f}, {Switch::kOnOff, 1.f, 1.5f},
      {Switch::kOnOff, -0.2f, 31.5f}, {Switch::kOnOff, 1.4f, 1.5f},  {Switch::kView, 0.f, 31.5f},
      {Switch::kView, 0.5f, 16.5f},  {Switch::kView, 1.f, 1.5f},    {Switch::kView, -0.2f, 31.5f},
      {Switch::kView, 1.4f, 1.5f},   {Switch::kTheme, 0.f, 1.5f},   {Switch::kTheme, 0.5f, 16.5f},
      {Switch::kTheme, 1.f, 31.5f},  {Switch::kTheme, -0.2f, 1.5f}, {Switch::kTheme, 1.4f, 31.5f},
  };
  const IRECT r(0, 0, 40, 63);
  for (const Case& c : cases) {
    g.ClearCalls();
    DrawSwitch(editor, g, c.kind, r, true, c.animation);
    const std::vector<DrawnItem> fills = DrawnOfKind(g, "fill");
    ASSERT_GE(fills.size(), 2u);
    EXPECT_EQ(fills[0].line, "fill " + Entry(2) + " (0,0,40,63)");
    EXPECT_EQ(fills[1].line, "fill " + Colour(kThumbColor) + " " + Box(IRECT(1.5f, c.thumbTop, 38.5f, c.thumbTop + 30)))
        << static_cast<int>(c.kind) << " at " << c.animation;
    EXPECT_EQ(DrawnOfKind(g, "stroke").at(0).line, "stroke " + Entry(7) + " w=1 (0,0,40,63)");
  }
  EXPECT_EQ(editor.mAmplifierSwitchRect, r);
  EXPECT_EQ(editor.mViewSwitchRect, r);
  EXPECT_EQ(editor.mThemeSwitchRect, r);
}

TEST_F(HeaderWidgets, TheCurrentStatesLabelStandsOut) {
  struct Case {
    Switch kind;
    const char *upper, *lower;
  };
  for (const Case& c : {Case{Switch::kOnOff, "ON", "OFF"}, Case{Switch::kView, "PLAY", "EDIT"}})
    for (const bool upperIsCurrent : {true, false}) {
      g.ClearCalls();
      DrawSwitch(editor, g, c.kind, IRECT(0, 0, 40, 63), upperIsCurrent, 1.f);
      const std::string style = " MonoFont_Large 10 fg=";
      EXPECT_EQ(DrawnLines(g).at(3), "text \"" + std::string(c.upper) + "\" (1,1.5,39,31.5)" + style +
                                         Entry(upperIsCurrent ? 8 : 6) + " angle=0 align=1,1");
      EXPECT_EQ(DrawnLines(g).at(4), "text \"" + std::string(c.lower) + "\" (1,31.5,39,61.5)" + style +
                                         Entry(upperIsCurrent ? 6 : 8) + " angle=0 align=1,1");
    }
}

// The icons scale by k = width / 48 within 0.7..1; the sun stands in the
// upper half (centre y 16.5), the moon in the lower (46.5).
TEST_F(HeaderWidgets, ThemeIconsAreASunWithEightRaysAndACutMoon) {
  struct Case {
    IRECT r;
    bool dark;
    float animation;
    float rayWidth;
    std::string sun, firstRay, lastRay, moon, cut;
  };
  const std::vector<Case> cases = {
      {IRECT(0, 0, 20, 63), false, 0.f, 0.91f, "(7.06,13.56,12.94,19.44)", "(14.34,16.5,15.95,16.5)",
       "(13.069,12.293,14.207,13.431)", "fill " + Entry(6) + " (5.1,41.6,14.9,51.4)",
       "fill " + Entry(2) + " (8.138,40.438,16.762,49.062)"},
      {IRECT(0, 0, 60, 63), true, 1.f, 1.3f, "(25.8,12.3,34.2,20.7)", "(36.2,16.5,38.5,16.5)",
       "(34.384,10.49,36.01,12.116)", "fill " + Entry(8) + " (23,39.5,37,53.5)",
       "fill " + Colour(kThumbColor) + " (27.34,37.84,39.66,50.16)"},
  };
  for (const Case& c : cases) {
    g.ClearCalls();
    editor.DrawThemeSwitch(g, c.r, c.dark, c.animation);
    const std::vector<DrawnItem> fills = DrawnOfKind(g, "fill");
    ASSERT_EQ(fills.size(), 5u);  // body, thumb, sun, moon, cut
    EXPECT_EQ(fills[2].line, "fill " + Entry(c.dark ? 6 : 8) + " " + c.sun);
    EXPECT_EQ(fills[3].line, c.moon);
    EXPECT_EQ(fills[4].line, c.cut);
    std::vector<DrawnItem> rays = DrawnOfKind(g, "stroke");
    rays.erase(rays.begin());  // the outline
    ASSERT_EQ(rays.size(), 8u);
    EXPECT_FLOAT_EQ(rays[0].width, c.rayWidth);
    EXPECT_EQ(Box(rays[0].box), c.firstRay);  // pointing right
    EXPECT_EQ(Box(rays[7].box), c.lastRay);   // 315 degrees on
  }
}

TEST_F(HeaderWidgets, TrimFieldsShowTheirValueOrTheEntryBeingTyped) {
  struct Case {
    const char* what;
    std::function<void(OrvaneGUIControl&, IGraphics&)> draw;
    Lines expected;
  };
  const IRECT box(0, 0, 80, 20);
  const std::string outline = "stroke " + Entry(7) + " w=1 (0,0,80,20)";
  const std::string accent = "stroke " + Colour(kAccentColor) + " w=1.5 (0,0,80,20)";
  const std::string font = " MonoFont_Large 12 fg=" + Entry(4) + " angle=0 align=1,1";
  const std::vector<Case> cases = {
      {"a gain box without a sign",
       [&](OrvaneGUIControl& e, IGraphics& g) {
         e.mOutputGainDb = 3.0;
         e.DrawGainBox(g, false, box);
       },
       {"fill " + Entry(33) + " (0,0,80,20)", outline, "text \"3.0 dB\" (2,0,78,20)" + font}},
      {"a section's trim always signed",
       [&](OrvaneGUIControl& e, IGraphics& g) {
         e.mBypassGainDb[2] = 3.0;
         e.DrawTrimField(g, 2, box);
       },
       {"fill " + Entry(33) + " (0,0,80,20)", outline, "text \"+3.0 dB\" (2,0,78,20)" + font}},
      {"an empty entry shows the unit and the caret before it",
       [&](OrvaneGUIControl& e, IGraphics& g) {
         e.BeginTrimFieldEdit(2);
         e.DrawTrimField(g, 2, box);
       },
       {"fill " + Entry(33) + " (0,0,80,20)", outline, accent, "text \" dB\" (2,0,78,20)" + font,
        "stroke " + Entry(4) + " w=1 (31,4,31,16)"}},
      {"an entry being typed",
       [&](OrvaneGUIControl& e, IGraphics& g) {
         e.mEditBuffer = "-3.5";
         e.mEditCaret = 4;
         e.DrawTrimField(g, 2, box);
       },
       {"fill " + Entry(33) + " (0,0,80,20)", outline, accent, "text \"-3.5 dB\" (2,0,78,20)" + font,
        "stroke " + Entry(4) + " w=1 (43,4,43,16)"}},
      {"the PLAY view's field on the header grid",
       [&](OrvaneGUIControl& e, IGraphics& g) {
         e.mEditField = OrvaneGUIControl::kEditFieldNone;
         e.mInputGainDb = -12.5;
         e.DrawGainField(g, true, 10, 30);
       },
       {"fill " + Entry(3) + " (1091.779,10,1144.772,30)", "stroke " + Entry(7) + " w=1 (1091.779,10,1144.772,30)",
        "text \"-12.5 dB\" (1093.779,10,1142.772,30)" + font}},
  };
  for (const Case& c : cases) {
    g.ClearCalls();
    c.draw(editor, g);
    EXPECT_EQ(DrawnLines(g), c.expected) << c.what;
  }
  EXPECT_EQ(editor.mOutputTrimRect, box);
  EXPECT_EQ(editor.mBypassTrimRects[2], box);
  EXPECT_EQ(Box(editor.mInputTrimRect), "(1091.779,10,1144.772,30)");
}

// The text starts half its size (5) inside the field; each code point is 5
// wide, and so is each trailing blank.
TEST_F(HeaderWidgets, TextFieldsShowTextCaretAndPlaceholder) {
  editor.mDesignName = "Amp   ";
  editor.mNameCaret = 6;
  editor.mNameFocused = true;
  editor.mDesignDescription.clear();
  editor.DrawNameField(g, IRECT(0, 0, 200, 20), 10.f);
  editor.DrawDescriptionField(g, IRECT(0, 30, 200, 50), 10.f);
  const std::string style = " MonoFont_Large 10 fg=";
  EXPECT_EQ(DrawnLines(g),
            (Lines{"fill " + Entry(3) + " (0,0,200,20)", "stroke " + Entry(7) + " w=1 (0,0,200,20)",
                   "stroke " + Colour(kAccentColor) + " w=1.5 (0,0,200,20)",
                   "text \"Amp   \" (5,0,195,20)" + style + Entry(4) + " angle=0 align=0,1",
                   "stroke " + Entry(4) + " w=1 (35,5,35,15)",  // three blank widths after the "p"
                   "fill " + Entry(3) + " (0,30,200,50)", "stroke " + Entry(7) + " w=1 (0,30,200,50)",
                   "text \"<Design description>\" (5,30,195,50)" + style + Entry(6) + " angle=0 align=0,1"}));
  EXPECT_EQ(editor.mNameRect, IRECT(0, 0, 200, 20));
  EXPECT_EQ(editor.mDescriptionRect, IRECT(0, 30, 200, 50));
}

// Drawing measures about the visible width, wherever the caret stands.
TEST_F(HeaderWidgets, AMegabyteDescriptionDrawsWithFewMeasures) {
  editor.mDesignDescription.assign(1 << 20, 'd');
  editor.mDescriptionFocused = true;
  for (const std::uint64_t caret : {std::uint64_t{0}, std::uint64_t{1} << 19, std::uint64_t{1} << 20}) {
    g.ClearCalls();
    editor.mDescriptionCaret = caret;
    editor.DrawDescriptionField(g, IRECT(0, 0, 400, 20), 10.f);
    EXPECT_LE(g.CountCalls("MeasureText"), 40) << caret;
    EXPECT_EQ(DrawnOfKind(g, "text").at(0).text, std::string(78, 'd')) << caret;
  }
}

}  // namespace
}  // namespace orvane::testing
