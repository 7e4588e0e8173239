#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "drawing_log.h"
#include "editor/editor_colours.h"
#include "editor/orvane_editor.h"
#include "editor_harness.h"

namespace orvane::testing {
namespace {

using Lines = std::vector<std::string>;

const IText kNameStyle(14.f, plugkit::graphics::kColorBlack, kEditorFontRegular, plugkit::graphics::EAlign::Near);
const std::string kNameFont = " MonoFont_Large 14 fg=(255,0,0,0) angle=0 align=0,1";
// The editor has its default size, so the scale is 1.
std::string Small(std::size_t entry, int align) {
  return " MonoFont_Large 12 fg=" + Colour(PaletteColor(entry)) + " angle=0 align=" + std::to_string(align) + ",1";
}

std::string Sliders(int count) {
  std::string script;
  for (int i = 0; i < count; ++i) script += "slider: \"Control " + std::to_string(i) + "\"\n";
  return script;
}

class PlayerPanel : public ::testing::Test {
protected:
  void SetUp() override { g.SetGeometryMode(true); }

  // A frame of the rows in `panel`, rows 24 to maxRowHeight high, 10 apart.
  void Frame(const IRECT& panel, float maxRowHeight) {
    g.ClearCalls();
    editor.ClearDirty();
    editor.DrawPlayerControls(g, panel, kNameStyle, 24.f, maxRowHeight, 10.f);
    EXPECT_FALSE(editor.IsDirty());
  }

  EditorHarness harness;
  OrvaneGUIControl& editor = harness.Editor();
  plugkit::testing::RecordingGraphics& g = *harness.graphics;
};

// Panel 500 x 400. Twenty controls: rows of 24 (the minimum wins), pitch 34,
// 12 visible rows, range 8; the bar is 24 wide with its track from 484 and a
// thumb 400 x 12 / 20 high moving over the rest.
TEST_F(PlayerPanel, RowsScrollWithTheClampedOffset) {
  struct Case {
    int controls, offset, shownOffset, shownRows;
    float rowRight, rowHeight, thumbTop, thumbHeight;
  };
  const std::vector<Case> cases = {
      {20, 0, 0, 12, 476, 24, 0, 240},   {20, 4, 4, 12, 476, 24, 80, 240},  {20, 30, 8, 12, 476, 24, 160, 240},
      {20, -5, 0, 12, 476, 24, 0, 240},  // the script then loses controls: its last rows stay in view
      {15, 8, 3, 12, 476, 24, 80, 320},  {3, 2, 0, 3, 500, 48, 0, 0},  // all fit: no bar
  };
  for (const Case& c : cases) {
    editor.SetScriptText(Sliders(c.controls), {});
    editor.mPlayerScrollOffset = c.offset;
    Frame(IRECT(0, 0, 500, 400), 48.f);
    Frame(IRECT(0, 0, 500, 400), 48.f);  // replaces the rows of the frame before
    SCOPED_TRACE(::testing::Message() << c.controls << " controls from " << c.offset);
    EXPECT_EQ(editor.mPlayerScrollOffset, c.shownOffset);
    std::vector<std::int32_t> shown(static_cast<std::size_t>(c.shownRows));
    std::iota(shown.begin(), shown.end(), c.shownOffset);
    EXPECT_EQ(editor.mPlayerRowControls, shown);
    ASSERT_EQ(editor.mPlayerRowRects.size(), shown.size());
    EXPECT_EQ(editor.mPlayerTrackRects.size(), shown.size());
    const float lastTop = (c.rowHeight + 10.f) * static_cast<float>(c.shownRows - 1);
    EXPECT_EQ(editor.mPlayerRowRects.back(), IRECT(0, lastTop, c.rowRight, lastTop + c.rowHeight));
    const bool bar = c.thumbHeight > 0.f;
    EXPECT_EQ(editor.mPlayerScrollTrackRect, bar ? IRECT(484, 0, 500, 400) : IRECT());
    EXPECT_EQ(editor.mPlayerScrollThumbRect,
              bar ? IRECT(486, c.thumbTop, 498, c.thumbTop + c.thumbHeight) : IRECT());
  }
}

// One row 400 x 30. Without a controller the label part ends at 132 (0.33)
// and the track runs from 139 to 348, 7 each side of the middle. With one it
// ends at 176 (0.44); "MIDI CC 7" measures 40.5, so the badge is 48.5 wide
// and ends at 171.
TEST_F(PlayerPanel, RowsShowNameValueSegmentsAndBadge) {
  const std::string channel = "switch,3: \"Channel\", \"Clean\", \"Crunch\", \"Lead\"\n";
  const auto segment = [](int k) { return Box(IRECT(139 + 209.f / 3 * k, 8, 139 + 209.f / 3 * (k + 1), 22)); };
  const std::string accent = "fill " + Colour(kAccentColor) + " ";
  struct Case {
    const char* what;
    std::string script;
    double value;
    std::function<void(OrvaneGUIControl&)> tweak;
    Lines expected;  // in this order among the lines drawn
  };
  const std::vector<Case> cases = {
      {"a slider at 50", "slider: \"Drive\"\n", 50, {},
       {"text \"Drive\" (10,3,132,27)" + kNameFont, accent + "(139,8,243.5,22)",
        "text \" 50\" (354,0,394,30)" + Small(4, 2)}},
      {"a switch at 2", channel, 2, {},
       {accent + segment(2), "text \"Clean\" " + segment(0) + Small(4, 1), "text \"Lead\" " + segment(2) + Small(8, 1),
        "text \"SW\" (354,0,394,30)" + Small(4, 2)}},
      {"fewer position names than positions", channel, 0,
       [](OrvaneGUIControl& e) { e.mParsedScript.controls[0].positionNames.pop_back(); },
       {"text \"1\" " + segment(0) + Small(8, 1), "text \"2\" " + segment(1) + Small(4, 1),
        "text \"3\" " + segment(2) + Small(4, 1)}},
      {"a controller", "slider: \"Level\"\n[cc7]\n", 0, {},
       {"fill " + Colour(kThumbColor) + " (122.5,8,171,22)",
        "text \"MIDI CC 7\" (122.5,8,171,22) MonoFont_Large 9 fg=(255,255,255,255) angle=0 align=1,1",
        "text \"Level\" (10,3,118.5,27)" + kNameFont, "fill " + Colour(PaletteColor(0)) + " (183,8,348,22)"}},
      // 122 points hold 17 characters of 7: 14 and the "...".
      {"a long name", "slider: \"ééééééééééééééééééééé\"\n", 0, {},
       {"text \"éééééééééééééé...\" (10,3,132,27)" + kNameFont}},
  };
  for (const Case& c : cases) {
    editor.SetScriptText(c.script, {c.value});
    if (c.tweak) c.tweak(editor);
    Frame(IRECT(0, 0, 400, 30), 30.f);
    const Lines drawn = DrawnLines(g);
    auto at = drawn.begin();
    for (const std::string& line : c.expected) {
      at = std::find(at, drawn.end(), line);
      ASSERT_NE(at, drawn.end()) << c.what << ": " << line << "\n" << ::testing::PrintToString(drawn);
    }
  }
}

// The area (100, 100, 1100, 700) with insets 20 at the top, 16 at the bottom
// and 11 at the sides; the rows' panel is (280, 168, 920, 684).
TEST_F(PlayerPanel, PanelShowsRowsTheMessageOrNothing) {
  const IRECT rows(280, 168, 920, 684);
  const Lines message = {"text \"This amp does not have user controls\" (111,120,1089,684) MonoFont_Large 16 fg=" +
                         Colour(PaletteColor(6)) + " angle=0 align=1,1"};
  struct Case {
    std::string script;
    IRECT panel;
    bool rows;  // then also a scrollbar
  };
  // A valid script without controls also forgets the scrollbar just drawn.
  const std::vector<Case> cases = {
      {Sliders(40), rows, true}, {"# none\n", IRECT(), false}, {"slider \"x\"\n", rows, false}};
  for (const Case& c : cases) {
    editor.SetScriptText(c.script, {});
    editor.mPlayerScrollOffset = 5;
    g.ClearCalls();
    editor.DrawUserControlsPanel(g, IRECT(100, 100, 1100, 700), kNameStyle, 20.f, 16.f, 11.f);
    SCOPED_TRACE(c.script.substr(0, 20));
    EXPECT_EQ(DrawnLines(g).empty(), !c.rows && c.panel != IRECT());  // an error: an empty panel
    EXPECT_EQ(DrawnLines(g) == message, c.panel == IRECT());
    EXPECT_EQ(editor.mPlayerPanelRect, c.panel);
    EXPECT_EQ(editor.mPlayerRowRects.empty(), !c.rows);
    EXPECT_EQ(editor.mPlayerScrollTrackRect.W() > 0.f, c.rows);
    EXPECT_EQ(editor.mPlayerScrollThumbRect.W() > 0.f, c.rows);
  }
}

}  // namespace
}  // namespace orvane::testing
