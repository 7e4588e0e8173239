#include "graphics/controls/vector_xy_pad.h"

#include <string>
#include <vector>

#include "vector_controls_fixture.h"

namespace plugkit::graphics {
namespace {

const IRECT kPad(100, 100, 200, 200);
constexpr float kRadius = 10.f;

class VectorXYPadTest : public VectorControlsTest {
protected:
  // After drawing the control's region once, so that a clip inside it is cut to that region.
  Lines DrawnInItsRegion(IControl& control) {
    g.Draw(control.GetRECT(), 1.f);
    return Drawn(control);
  }
};

TEST_F(VectorXYPadTest, TheHandleMovesOverTheTravelAreaAndIsClippedToItWhenTheTrackClipsIt) {
  struct Case {
    const char* name;
    bool clips;
    bool cross;
    bool frame;
    double x, y;
    Lines expected;
  };
  const std::string background = "fill (0,0,0,0) (100,100,200,200)";
  const std::string clip = "clip (100.5,100.5,199.5,199.5)";
  const std::string face = "fill (255,200,200,200) ";
  const std::vector<Case> cases = {
      {"inset, at (0, 0)", false, false, false, 0.0, 0.0, {background, face + "(100,180,120,200)"}},
      {"inset, at (1, 1)", false, false, false, 1.0, 1.0, {background, face + "(180,100,200,120)"}},
      {"inset, at (0.25, 0.75)", false, false, false, 0.25, 0.75, {background, face + "(120,120,140,140)"}},
      {"clipped, at (0, 0)", true, false, false, 0.0, 0.0, {background, clip, face + "(90,190,110,210)"}},
      {"clipped, at (1, 1)", true, false, false, 1.0, 1.0, {background, clip, face + "(190,90,210,110)"}},
      {"clipped, at (0.25, 0.75)", true, false, false, 0.25, 0.75, {background, clip, face + "(115,115,135,135)"}},
      {"framed, with the cross", false, true, true, 0.5, 0.5,
       {background, "stroke (255,70,70,70) (100,100,200,200)", "stroke (60,0,0,0) (150,100,150,200)",
        "stroke (60,0,0,0) (100,150,200,150)", face + "(140.5,140.5,159.5,159.5)",
        "stroke (255,70,70,70) (140.5,140.5,159.5,159.5)"}},
  };
  for (const Case& c : cases) {
    IVStyle style = FlatStyle();
    style.drawFrame = c.frame;
    auto* pad = Attach(new IVXYPadControl(kPad, {kNoStep, kEvenSteps}, "", style, kRadius, c.clips, c.cross));
    pad->SetValueAt(c.x, 0);
    pad->SetValueAt(c.y, 1);
    EXPECT_EQ(DrawnInItsRegion(*pad), c.expected) << c.name;
    g.RemoveControl(pad);
  }
}

TEST_F(VectorXYPadTest, ADragSetsBothValuesFromThePointKeptInsideThePad) {
  struct Case {
    const char* name;
    IRECT bounds;
    bool hideCursor;
    float dragX, dragY;
    double x, y;
    Lines cursor;
  };
  const std::vector<Case> cases = {
      {"inside", kPad, true, 125, 175, 0.25, 0.25, {"hide cursor 1 lock 0", "hide cursor 0 lock 0"}},
      {"beyond the top left", kPad, true, 20, 10, 0.0, 1.0, {"hide cursor 1 lock 0", "hide cursor 0 lock 0"}},
      {"beyond the bottom right", kPad, false, 390, 290, 1.0, 0.0, {}},
      // A pad without width or height maps no point; the press at its corner leaves the values.
      {"no width", IRECT(100, 100, 100, 200), false, 150, 150, 0.5, 0.5, {}},
      {"no height", IRECT(100, 100, 200, 100), false, 150, 150, 0.5, 0.5, {}},
  };
  for (const Case& c : cases) {
    IVStyle style = FlatStyle();
    style.hideCursor = c.hideCursor;
    auto* pad = Attach(new IVXYPadControl(c.bounds, {IControl::kNoParameter, IControl::kNoParameter}, "", style));
    pad->SetValueAt(0.5, 0);
    pad->SetValueAt(0.5, 1);
    g.Log().clear();
    pad->OnMouseDown(c.bounds.L, c.bounds.T, testing::kLeftButton);
    pad->OnMouseDrag(c.dragX, c.dragY, 0, 0, testing::kLeftButton);
    pad->OnMouseUp(c.dragX, c.dragY, testing::kLeftButton);
    EXPECT_DOUBLE_EQ(pad->ValueAt(0), c.x) << c.name;
    EXPECT_DOUBLE_EQ(pad->ValueAt(1), c.y) << c.name;
    EXPECT_EQ(g.Log(), c.cursor) << c.name;
    g.RemoveControl(pad);
  }
}

}  // namespace
}  // namespace plugkit::graphics
