#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "drawing_log.h"
#include "editor/editor_colours.h"
#include "editor/orvane_editor.h"
#include "editor_harness.h"
#include "plugin/product_version.h"
#include "scoped_test_folder.h"

namespace orvane::testing {
namespace {

using plugkit::graphics::EAlign;
using plugkit::graphics::EVAlign;
using plugkit::graphics::kColorWhite;
using Lines = std::vector<std::string>;

// A left-aligned row style small enough for the labels below to fit their column.
const IText kRowStyle(6.f, plugkit::graphics::kColorBlack, kEditorFontRegular, EAlign::Near, EVAlign::Middle);
const std::string kRowFont = "MonoFont_Large 6 fg=(255,0,0,0) angle=0";

class EditorDrawing : public ::testing::Test {
protected:
  void SetUp() override {
    g.SetGeometryMode(true);
    g.ClearCalls();
  }

  EditorHarness harness;
  OrvaneGUIControl& editor = harness.Editor();
  plugkit::testing::RecordingGraphics& g = *harness.graphics;
};

// A row of 200 x 20: label to 76 (0.38 w), value 78..108, bar 112..168 inset
// 1.5, percentage 170..200.
TEST_F(EditorDrawing, RowsDrawLabelValueBarAndPercentage) {
  struct Case {
    const char* what;
    std::function<void(OrvaneGUIControl&, IGraphics&)> draw;
    Lines expected;
  };
  const IRECT row(0, 0, 200, 20);
  const std::vector<Case> cases = {
      {"a row with a value column",
       [&](OrvaneGUIControl& e, IGraphics& g) {
         e.mEffectiveDna[0] = 96;
         e.DrawDnaRow(g, row, 0, kRowStyle);
       },
       {"text \"[dna0]  AC COUPLING\" (0,0,76,20) " + kRowFont + " align=0,1",
        "text \"135.3 Hz\" (78,0,108,20) " + kRowFont + " align=2,1", "fill " + Entry(0) + " (112,1.5,168,18.5)",
        "fill " + Entry(9) + " (112,1.5,133.082,18.5)", "text \" 38\" (170,0,200,20) " + kRowFont + " align=2,1"}},
      {"index 9: two blanks after the bracket, the name's leading blank kept; a % row has no value",
       [&](OrvaneGUIControl& e, IGraphics& g) {
         e.mEffectiveDna[9] = 0;
         e.DrawDnaRow(g, row, 9, kRowStyle);
       },
       {"text \"[dna9]   TUBE: BANDWIDTH\" (0,0,76,20) " + kRowFont + " align=0,1",
        "text \"200.0 Hz\" (78,0,108,20) " + kRowFont + " align=2,1", "fill " + Entry(0) + " (112,1.5,168,18.5)",
        "text \"  0\" (170,0,200,20) " + kRowFont + " align=2,1"}},
      {"index 10: one blank; a mapped byte fills in the teal; no value, so the label has its column too",
       [&](OrvaneGUIControl& e, IGraphics& g) {
         e.mEffectiveDna[10] = 128;
         e.mDnaMapped[10] = true;
         e.DrawDnaRow(g, row, 10, kRowStyle);
       },
       {"text \"[dna10] GAIN KNOB EFFECT\" (0,0,108,20) " + kRowFont + " align=0,1",
        "fill " + Entry(0) + " (112,1.5,168,18.5)", "fill " + Colour(kScriptMappedColor) + " (112,1.5,140.11,18.5)",
        "text \" 50\" (170,0,200,20) " + kRowFont + " align=2,1"}},
      {"a knob row: label to half the width, no value column",
       [&](OrvaneGUIControl& e, IGraphics& g) {
         e.mEffectiveKnobs[3] = 75.4;
         e.DrawKnobRow(g, row, "Treble", 3, kRowStyle);
       },
       {"text \"Treble\" (0,0,100,20) " + kRowFont + " align=0,1", "fill " + Entry(0) + " (112,1.5,168,18.5)",
        "fill " + Entry(9) + " (112,1.5,154.224,18.5)", "text \" 75\" (170,0,200,20) " + kRowFont + " align=2,1"}},
  };
  for (const Case& c : cases) {
    g.ClearCalls();
    c.draw(editor, g);
    EXPECT_EQ(DrawnLines(g), c.expected) << c.what;
  }
  // Each DNA row appended its bar with its index; the knob row to the knob tracks.
  const IRECT bar(112, 1.5, 168, 18.5);
  EXPECT_EQ(editor.mDnaRowRects, (std::vector<IRECT>{bar, bar, bar}));
  EXPECT_EQ(editor.mDnaRowIndexes, (std::vector<std::uint32_t>{0, 9, 10}));
  EXPECT_EQ(editor.mKnobTrackRects, std::vector<IRECT>{bar});
}

TEST_F(EditorDrawing, TabsFillAndColourTheirLabelByState) {
  struct Case {
    const char* what;
    bool active;
    bool struck;
    std::optional<IColor> activeFill, inactiveFill, activeText;
    Lines expected;
  };
  const IColor stage(255, 1, 2, 3);
  const IColor own(255, 4, 5, 6);
  const IText style(10.f, plugkit::graphics::kColorBlack, kEditorFontRegular);
  const std::string font = "MonoFont_Large 10 fg=";
  const std::string outline = "stroke " + Entry(7) + " w=1 (0,0,100,20)";
  const std::vector<Case> cases = {
      {"active with a fill: white text", true, false, stage, {}, {},
       {"fill " + Colour(stage) + " (0,0,100,20)", outline,
        "text \"STAGE 1\" (0,0,100,20) " + font + Colour(kColorWhite) + " angle=0 align=1,1"}},
      {"active without a fill: the accent and entry 8", true, false, {}, {}, {},
       {"fill " + Colour(kAccentColor) + " (0,0,100,20)", outline,
        "text \"STAGE 1\" (0,0,100,20) " + font + Entry(8) + " angle=0 align=1,1"}},
      {"active with its own text colour", true, false, stage, {}, own,
       {"fill " + Colour(stage) + " (0,0,100,20)", outline,
        "text \"STAGE 1\" (0,0,100,20) " + font + Colour(own) + " angle=0 align=1,1"}},
      {"inactive keeps the style's colour", false, false, stage, own, own,
       {"fill " + Colour(own) + " (0,0,100,20)", outline,
        "text \"STAGE 1\" (0,0,100,20) " + font + "(255,0,0,0) angle=0 align=1,1"}},
      {"struck: a line as long as the text in the unchanged colour", true, true, stage, {}, {},
       {"fill " + Colour(stage) + " (0,0,100,20)", outline,
        "text \"STAGE 1\" (0,0,100,20) " + font + Colour(kColorWhite) + " angle=0 align=1,1",
        "stroke (255,0,0,0) w=1.1 (32.5,10,67.5,10)"}},
  };
  for (const Case& c : cases) {
    g.ClearCalls();
    editor.DrawTabButton(g, IRECT(0, 0, 100, 20), "STAGE 1", c.active, style, c.struck, c.activeFill,
                         c.inactiveFill, c.activeText);
    EXPECT_EQ(DrawnLines(g), c.expected) << c.what;
  }
  g.ClearCalls();  // the strike stops 4 short of each side
  editor.DrawTabButton(g, IRECT(0, 0, 30, 20), "STAGE 1", false, style, true);
  EXPECT_EQ(DrawnLines(g).back(), "stroke (255,0,0,0) w=1.1 (4,10,26,10)");
}

TEST_F(EditorDrawing, VersionLineShrinksUntilItFits) {
  struct Case {
    IRECT editor;
    float gap, margin, scale;
    IRECT expectedRect;
    float expectedSize;
  };
  const auto shrunk = [](int times) {
    float size = 32.f;
    for (int i = 0; i < times; ++i) size *= 0.9f;
    return size;
  };
  const std::vector<Case> cases = {
      // 66 characters, at most as high as the gap: 16 and below.
      {IRECT(0, 0, 1392, 783), 16.f, 11.136f, 1.f, IRECT(601.344f, 767, 1380.864f, 783), shrunk(7)},
      // A narrow window: no wider than 0.56 x 600, so 10.18 and below.
      {IRECT(0, 0, 600, 783), 16.f, 4.8f, 0.431f, IRECT(259.2f, 767, 595.2f, 783), shrunk(11)},
  };
  const std::string expectedText =
      std::string("v1.0.4.535 | RELEASE | x86_64 | Built: ") + kProductBuildDate;
  const auto textWithProcessor = [&](const char* processor) {
    const ScopedEnvironmentVariable pin(kPinnedProcessorVariable, processor ? std::optional<std::string>(processor)
                                                                             : std::nullopt);
    g.ClearCalls();
    editor.DrawVersionLine(g, IRECT(0, 0, 1392, 783), 16.f, 11.136f, 1.f);
    return DrawnOfKind(g, "text").at(0).text;
  };
  // Pinned, the footer names the pinned processor whatever the build's; unset, the build's own.
  EXPECT_EQ(textWithProcessor("x86_64"), expectedText);
  EXPECT_NE(textWithProcessor(nullptr).find(std::string("| ") + kProductBuildProcessor + " |"), std::string::npos);

  const ScopedEnvironmentVariable pin(kPinnedProcessorVariable, "x86_64");
  for (const Case& c : cases) {
    g.ClearCalls();
    editor.DrawVersionLine(g, c.editor, c.gap, c.margin, c.scale);
    const std::vector<DrawnItem> texts = DrawnOfKind(g, "text");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, expectedText);
    EXPECT_EQ(Box(texts[0].box), Box(c.expectedRect));
    EXPECT_FLOAT_EQ(texts[0].style.mSize, c.expectedSize);
    EXPECT_STREQ(texts[0].style.mFont, kEditorFontRegular);
    EXPECT_EQ(texts[0].colour, PaletteColor(kPaletteSecondaryText));
    EXPECT_EQ(texts[0].style.mAlign, EAlign::Far);
  }
}

}  // namespace
}  // namespace orvane::testing
