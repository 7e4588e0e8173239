#include "graphics/controls/vector_tab_switches.h"

#include <algorithm>
#include <string>
#include <vector>

#include "vector_controls_fixture.h"

namespace plugkit::graphics {
namespace {

const std::vector<const char*> kOptions = {"A", "B", "C"};

class VectorTabSwitchesTest : public VectorControlsTest {
protected:
  // The corners of r that the path drawn last rounded: those it never reached.
  std::string RoundedCorners(const IRECT& r) const {
    const std::vector<testing::PathPoint> points = g.AllPoints();
    const auto reached = [&](float x, float y) {
      return std::any_of(points.begin(), points.end(), [&](const auto& p) { return p.x == x && p.y == y; });
    };
    std::string rounded;
    if (!reached(r.L, r.T)) rounded += "TL ";
    if (!reached(r.R, r.T)) rounded += "TR ";
    if (!reached(r.L, r.B)) rounded += "BL ";
    if (!reached(r.R, r.B)) rounded += "BR ";
    return rounded;
  }
};

TEST_F(VectorTabSwitchesTest, RoundedTabsRoundTheRowsOuterCorners) {
  struct Case {
    EVShape shape;
    EDirection direction;
    int options;
    Lines expected;  // per button
  };
  const std::vector<Case> cases = {
      {EVShape::EndsRounded, EDirection::Horizontal, 3, {"TL ", "", "TR "}},
      {EVShape::EndsRounded, EDirection::Vertical, 3, {"TR ", "", "BR "}},
      {EVShape::AllRounded, EDirection::Horizontal, 3, {"TL TR ", "TL TR ", "TL TR "}},
      {EVShape::AllRounded, EDirection::Vertical, 3, {"TR BR ", "TR BR ", "TR BR "}},
      // A single button is the last.
      {EVShape::EndsRounded, EDirection::Horizontal, 1, {"TR "}},
  };
  // Framed faces lie one unit inside their buttons, apart from their neighbours'.
  IVStyle style = FlatStyle();
  style.roundness = 1.f;
  style.drawFrame = true;
  style.frameThickness = 2.f;
  style.shadowOffset = 0.f;
  for (const Case& c : cases) {
    const std::vector<const char*> options(kOptions.begin(), kOptions.begin() + c.options);
    auto* tabs = Attach(new IVTabSwitchControl(IRECT(0, 0, 90, 90), nullptr, options, "", style, c.shape, c.direction));
    Lines corners;
    g.ClearCalls();
    tabs->DrawWidget(g);
    for (const IRECT& button : tabs->GetButtonBounds()) corners.push_back(RoundedCorners(button.GetGrown(-1)));
    EXPECT_EQ(corners, c.expected) << static_cast<int>(c.shape) << " " << static_cast<int>(c.direction);
    g.RemoveControl(tabs);
  }
}

TEST_F(VectorTabSwitchesTest, TabsShowTheSelectedHoveredAndDisabledStates) {
  auto* tabs = Attach(new IVTabSwitchControl(IRECT(0, 0, 90, 30), nullptr, kOptions, "", FlatStyle()));
  tabs->SetStateDisabled(1, true);
  input.Hover(75, 15);
  EXPECT_EQ(tabs->GetMouseOverButton(), 2);
  const Lines drawn = Drawn(*tabs);
  EXPECT_EQ(drawn, (Lines{"fill (0,0,0,0) (0,0,90,30)",
                          "fill (255,240,240,240) (3,3,33,33)",  // selected: pressed
                          "text \"A\" (0,0,30,30)",
                          "fill (255,137,137,137) (30,0,60,30)",  // its state disabled
                          "text \"B\" (30,0,60,30)",
                          "fill (255,200,200,200) (60,0,90,30)",  // hovered
                          "fill (10,0,0,0) (60,0,90,30)",
                          "text \"C\" (60,0,90,30)"}));
  input.Out();
  EXPECT_EQ(tabs->GetMouseOverButton(), -1);
}

TEST_F(VectorTabSwitchesTest, AClickedTabSelectsItsOption) {
  struct Case {
    int options;
    float x;
    double value;
    const char* selected;
  };
  const std::vector<Case> cases = {
      {3, 45, 0.5, "B"}, {3, 85, 1.0, "C"}, {3, 5, 0.0, "A"},
      // One option: a click selects it instead of dividing by zero.
      {1, 45, 0.0, "A"},
  };
  for (const Case& c : cases) {
    int actions = 0;
    const std::vector<const char*> options(kOptions.begin(), kOptions.begin() + c.options);
    auto* tabs = Attach(new IVTabSwitchControl(IRECT(0, 0, 90, 30), [&](IControl*) { ++actions; }, options, "",
                                               FlatStyle()));
    tabs->SetValueAt(0.7);
    input.Click(c.x, 15);
    EXPECT_EQ(tabs->ValueAt(), c.value) << c.options << " at " << c.x;
    EXPECT_STREQ(tabs->GetSelectedLabelStr(), c.selected) << c.options << " at " << c.x;
    // Outside every button the action still runs.
    tabs->OnMouseDown(200, 200, testing::kLeftButton);
    EXPECT_EQ(actions, 2);
    g.RemoveControl(tabs);
  }
}

TEST_F(VectorTabSwitchesTest, TabsOfAParameterShowItsDisplayTextsAndName) {
  auto* tabs = Attach(new IVTabSwitchControl(IRECT(0, 0, 90, 30), kWave));
  EXPECT_STREQ(tabs->GetLabelStr(), "Wave");
  EXPECT_EQ(tabs->GetButtonBounds().size(), 3u);
  tabs->SetValueAt(1.0);
  EXPECT_STREQ(tabs->GetSelectedLabelStr(), "Square");
}

TEST_F(VectorTabSwitchesTest, RadioButtonsAreSquaresBesideTheirOptions) {
  struct Case {
    float buttonSize;
    bool onlyButtons;
    std::string square;  // the second row's
    double valueAfterClickOnText;
  };
  const std::vector<Case> cases = {
      {10, false, "(10,40,20,50)", 0.5},
      {10, true, "(10,40,20,50)", 0.0},
      {0, false, "(-0.5,44.5,0.5,45.5)", 0.5},
  };
  for (const Case& c : cases) {
    auto* radio = Attach(new IVRadioButtonControl(IRECT(0, 0, 90, 90), nullptr, kOptions, "", FlatStyle(),
                                                  EVShape::Rectangle, EDirection::Vertical, c.buttonSize));
    radio->SetOnlyButtonsRespondToMouse(c.onlyButtons);
    const Lines drawn = Drawn(*radio);
    const float area = c.buttonSize * 3;
    EXPECT_EQ(drawn.at(3), "fill (255,200,200,200) " + c.square) << c.buttonSize;
    EXPECT_EQ(drawn.at(4), "text \"B\" " + testing::FormatRect(IRECT(area, 30, 90, 60))) << c.buttonSize;
    input.Click(70, 40);
    EXPECT_EQ(radio->ValueAt(), c.valueAfterClickOnText) << c.buttonSize << " " << c.onlyButtons;
    g.RemoveControl(radio);
  }
}

}  // namespace
}  // namespace plugkit::graphics
