#include "graphics/controls/vector_color_swatch.h"

#include <string>
#include <vector>

#include "vector_controls_fixture.h"

namespace plugkit::graphics {
namespace {

using VectorColorSwatchTest = VectorControlsTest;

constexpr IColor kPicked{255, 10, 20, 30};

TEST_F(VectorColorSwatchTest, CellsFollowTheLayoutAndACellBeyondTheGridTakesTheWholeWidget) {
  struct Case {
    const char* name;
    IRECT bounds;
    ESwatchLayout layout;
    int cells;
    std::vector<IRECT> expected;
  };
  const std::vector<Case> cases = {
      {"in a row", IRECT(0, 0, 90, 30), ESwatchLayout::Horizontal, 3,
       {IRECT(2, 2, 28, 28), IRECT(32, 2, 58, 28), IRECT(62, 2, 88, 28)}},
      {"in a column", IRECT(0, 0, 30, 60), ESwatchLayout::Vertical, 2, {IRECT(2, 2, 28, 28), IRECT(2, 32, 28, 58)}},
      {"in a grid, row by row", IRECT(0, 0, 90, 90), ESwatchLayout::Grid, 4,
       {IRECT(2, 2, 28, 28), IRECT(32, 2, 58, 28), IRECT(62, 2, 88, 28), IRECT(2, 32, 28, 58)}},
      {"a tenth cell in a grid", IRECT(0, 0, 90, 90), ESwatchLayout::Grid, 10,
       {IRECT(2, 2, 28, 28), IRECT(32, 2, 58, 28), IRECT(62, 2, 88, 28), IRECT(2, 32, 28, 58),
        IRECT(32, 32, 58, 58), IRECT(62, 32, 88, 58), IRECT(2, 62, 28, 88), IRECT(32, 62, 58, 88),
        IRECT(62, 62, 88, 88), IRECT(2, 2, 88, 88)}},
      {"any other layout is a grid", IRECT(0, 0, 90, 90), static_cast<ESwatchLayout>(7), 2,
       {IRECT(2, 2, 28, 28), IRECT(32, 2, 58, 28)}},
      {"no cells in a row", IRECT(0, 0, 90, 30), ESwatchLayout::Horizontal, 0, {}},
      {"no cells in a column", IRECT(0, 0, 90, 30), ESwatchLayout::Vertical, 0, {}},
  };
  for (const Case& c : cases) {
    const std::vector<EVColor> roles(static_cast<size_t>(c.cells), kX1);
    auto* swatch = Attach(new IVColorSwatchControl(c.bounds, "", nullptr, FlatStyle(), c.layout, roles));
    EXPECT_EQ(swatch->GetCellBounds(), c.expected) << c.name;
    const Lines drawn = Drawn(*swatch);
    EXPECT_EQ(drawn.size(), 2 * c.expected.size()) << c.name << ": a fill and an outline per cell";
    if (c.cells == 10) {
      EXPECT_EQ(drawn[18], "fill (255,0,0,0) (2,2,88,88)") << "the tenth over the others";
    }
    g.RemoveControl(swatch);
  }
}

TEST_F(VectorColorSwatchTest, ALabelledCellShowsItsColourInItsRightQuarterAndTheCellUnderTheMouseIsOutlinedLighter) {
  int actions = 0;
  auto* swatch = Attach(new IVColorSwatchControl(IRECT(0, 0, 100, 60), "", nullptr, FlatStyle(),
                                                 ESwatchLayout::Vertical, {kX1, kX2}, {"Bass"}));
  swatch->SetActionFunction([&actions](IControl*) { ++actions; });
  input.Hover(50, 45);
  EXPECT_EQ(swatch->GetMouseOverCell(), 1);
  EXPECT_EQ(actions, 1) << "hovering runs the action";
  EXPECT_EQ(Drawn(*swatch), (Lines{"fill (255,0,0,0) (74,2,98,28)", "stroke (255,70,70,70) (73.5,1.5,98.5,28.5)",
                                   "text \"Bass\" (2,2,69.2,28)", "fill (255,0,255,0) (2,32,98,58)",
                                   "stroke (255,127,127,127) (1.5,31.5,98.5,58.5)"}));
  EXPECT_EQ(g.Calls().back().kind, "StrokePath");
  input.Hover(50, 30);
  EXPECT_EQ(swatch->GetMouseOverCell(), -1) << "between the cells";
  input.Hover(50, 10);
  input.Out();
  EXPECT_EQ(swatch->GetMouseOverCell(), -1) << "left";
  EXPECT_EQ(actions, 4);
}

TEST_F(VectorColorSwatchTest, AClickOnACellOffersItsColourAndAPickReplacesTheRolesColour) {
  struct Case {
    const char* name;
    bool withView;
    float x, y;
    Lines log;
    bool picked;
  };
  const std::vector<Case> cases = {
      {"cell 2", true, 75, 15, {"choose color (255,0,0,255): Choose a color"}, true},
      {"between cells", true, 60, 15, {}, false},
      {"no platform", false, 75, 15, {"choose color (255,0,0,255): Choose a color"}, false},
  };
  for (const Case& c : cases) {
    if (c.withView) g.AttachEditorView(nullptr);
    std::vector<std::string> chosen;
    auto* swatch = Attach(new IVColorSwatchControl(
        IRECT(0, 0, 90, 30), "", [&chosen](int cell, const IColor& color) {
          chosen.push_back(std::to_string(cell) + " " + testing::FormatColor(color));
        },
        FlatStyle(), ESwatchLayout::Horizontal, {kX1, kX2, kX3}));
    g.Log().clear();
    input.Click(c.x, c.y);
    EXPECT_EQ(g.Log(), c.log) << c.name;
    swatch->ClearDirty();
    EXPECT_EQ(g.PickColor(kPicked), c.picked) << c.name;
    EXPECT_EQ(swatch->GetColor(kX3), c.picked ? kPicked : kColorBlue) << c.name;
    EXPECT_EQ(swatch->IsDirty(), c.picked) << c.name;
    EXPECT_EQ(chosen, c.picked ? Lines{"2 (255,10,20,30)"} : Lines{}) << c.name;
    g.RemoveControl(swatch);
    g.DetachEditorView();
  }
}

TEST_F(VectorColorSwatchTest, APickAfterTheSwatchWasRemovedReachesNothing) {
  g.AttachEditorView(nullptr);
  int chosen = 0;
  auto* swatch = Attach(new IVColorSwatchControl(IRECT(0, 0, 90, 30), "",
                                                 [&chosen](int, const IColor&) { ++chosen; }));
  input.Click(15, 15);
  g.RemoveControl(swatch);
  EXPECT_TRUE(g.PickColor(kPicked)) << "the picker stays open";
  EXPECT_EQ(chosen, 0);
}

}  // namespace
}  // namespace plugkit::graphics
