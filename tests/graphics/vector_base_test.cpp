#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "graphics/clock.h"
#include "graphics/fps_display_control.h"
#include "graphics/graphics_context.h"
#include "graphics/vector_base.h"
#include "support/graphics/drawn_shapes.h"
#include "support/graphics/frame_runner.h"
#include "support/graphics/recording_delegate.h"
#include "support/graphics/synthetic_input.h"

namespace plugkit::graphics {
namespace {

using testing::DrawnShapes;
using testing::RecordingDelegate;
using testing::RecordingGraphics;
using Lines = std::vector<std::string>;

// A vector control that draws one face over its whole rectangle; a press runs its action, as a button's does.
class FaceControl : public IControl, public IVectorBase {
public:
  explicit FaceControl(const IRECT& bounds, const IVStyle& style = kDefaultStyle)
      : IControl(bounds, SplashClickAction), IVectorBase(style) {
    AttachIControl(this, "label");
  }
  void OnMouseDown(float, float, const IMouseMod&) override { MarkDirty(true); }
  void OnStyleChanged() override { ++styleChanges; }
  void OnResize() override { mWidgetBounds = mLabelBounds = mValueBounds = GetRECT(); }
  void Draw(IGraphics& g) override { DrawPressableShape(g, shape, mWidgetBounds, pressed, mouseOver, disabled); }
  void SetLabelBounds(const IRECT& r) { mLabelBounds = r; }

  EVShape shape = EVShape::Rectangle;
  bool pressed = false;
  bool mouseOver = false;
  bool disabled = false;
  int styleChanges = 0;
};

class VectorBaseTest : public ::testing::Test {
protected:
  VectorBaseTest() { g.SetGeometryMode(true); }
  ~VectorBaseTest() override { GraphicsClock::PinForTesting(std::nullopt); }

  FaceControl* Attach(const IRECT& bounds, const IVStyle& style = kDefaultStyle) {
    return static_cast<FaceControl*>(g.AttachControl(new FaceControl(bounds, style)));
  }

  RecordingDelegate delegate;
  RecordingGraphics g{delegate, 400, 300};
};

TEST_F(VectorBaseTest, StylesStartFromTheDefaults) {
  const IVStyle style;
  const std::vector<IColor> colours(style.colorSpec.mColors, style.colorSpec.mColors + kNumVColors);
  EXPECT_EQ(colours, (std::vector<IColor>{{0, 0, 0, 0}, {255, 200, 200, 200}, {255, 240, 240, 240},
                                          {255, 70, 70, 70}, {10, 0, 0, 0}, {60, 0, 0, 0}, {255, 0, 0, 0},
                                          {255, 0, 255, 0}, {255, 0, 0, 255}}));
  EXPECT_TRUE(style.hideCursor && style.showLabel && style.showValue && style.drawFrame && style.drawShadows);
  EXPECT_FALSE(style.emboss);
  EXPECT_EQ((std::vector<float>{style.roundness, style.frameThickness, style.shadowOffset, style.widgetFrac,
                                style.angle}),
            (std::vector<float>{0.f, 1.f, 3.f, 1.f, 0.f}));
  EXPECT_TRUE(style.labelText.mAlign == EAlign::Center && style.labelText.mVAlign == EVAlign::Top);
  EXPECT_TRUE(style.valueText.mAlign == EAlign::Center && style.valueText.mVAlign == EVAlign::Bottom);
  EXPECT_STREQ(style.valueText.mFont, "Roboto-Regular");
  EXPECT_EQ(style.labelSide, ESide::Top);

  IVColorSpec spec{kColorRed, kColorRed, kColorRed, kColorRed};
  spec.ResetColors({kColorYellow, kColorYellow, kColorYellow});
  EXPECT_EQ(spec.GetColor(kPR), kColorYellow);
  for (int role = kFR; role < kNumVColors; ++role) EXPECT_EQ(spec.mColors[role], IVColorSpec::kDefaults[role]);
}

TEST_F(VectorBaseTest, FacesDrawShadowHandleHighlightAndFrameInTheirColours) {
  struct Case {
    const char* name;
    std::function<void(IVStyle&, FaceControl&)> setUp;
    Lines expected;
  };
  // (0, 0, 100, 50) inset by half the frame, less the shadow's room.
  const std::string handle = "(3.5,0.5,96.5,46.5)";
  const std::string shadow = "(6.5,3.5,99.5,49.5)";
  const std::vector<Case> cases = {
      {"plain", [](IVStyle&, FaceControl&) {},
       {"fill (60,0,0,0) " + shadow, "fill (255,200,200,200) " + handle, "stroke (255,70,70,70) " + handle}},
      {"pressed onto its shadow", [](IVStyle&, FaceControl& c) { c.pressed = true; },
       {"fill (255,240,240,240) " + shadow, "stroke (255,70,70,70) " + shadow}},
      {"embossed", [](IVStyle& s, FaceControl&) { s.emboss = true; },
       {"fill (60,0,0,0) " + shadow, "fill (255,240,240,240) " + handle, "fill (60,0,0,0) " + shadow,
        "fill (255,200,200,200) (5,2,95,45)", "stroke (255,70,70,70) " + handle}},
      {"under the mouse", [](IVStyle&, FaceControl& c) { c.mouseOver = true; },
       {"fill (60,0,0,0) " + shadow, "fill (255,200,200,200) " + handle, "fill (10,0,0,0) " + handle,
        "stroke (255,70,70,70) " + handle}},
      {"disabled", [](IVStyle&, FaceControl& c) { c.disabled = true; },
       {"fill (60,0,0,0) " + shadow, "fill (255,137,137,137) " + handle, "stroke (255,7,7,7) " + handle}},
      {"without shadow and frame",
       [](IVStyle& s, FaceControl&) {
         s.drawShadows = false;
         s.drawFrame = false;
       },
       {"fill (255,200,200,200) (0,0,100,50)"}},
      {"ellipse", [](IVStyle&, FaceControl& c) { c.shape = EVShape::Ellipse; },
       {"fill (60,0,0,0) " + shadow, "fill (255,200,200,200) " + handle, "stroke (255,70,70,70) " + handle}},
  };
  for (const Case& c : cases) {
    FaceControl control(IRECT(0, 0, 100, 50));
    control.OnResize();
    IVStyle style;
    c.setUp(style, control);
    control.SetStyle(style);
    g.ClearCalls();
    control.Draw(g);
    EXPECT_EQ(DrawnShapes(g), c.expected) << c.name;
  }
}

TEST_F(VectorBaseTest, ShapesRoundOnlyTheirFlaggedCornersAndTurnTriangles) {
  IVStyle style;
  style.drawShadows = false;
  style.drawFrame = false;
  style.roundness = 1.f;
  style.angle = 90.f;
  FaceControl control(IRECT(0, 0, 100, 50), style);
  control.OnResize();
  g.SetGeometryMode(false);
  const auto draw = [&](EVShape shape) {
    control.shape = shape;
    g.ClearCalls();
    control.Draw(g);
    return g.CallLines();
  };
  const std::string fill = "FillPath solid(255,200,200,200) rule=0 blend=(0,1)";
  EXPECT_EQ(draw(EVShape::EndsRounded),
            (Lines{"PathClear", "PathMoveTo 0 25", "PathArc 25 25 25 270 360 0", "PathArc 75 25 25 0 90 0",
                   "PathArc 100 50 0 90 180 0", "PathArc 0 50 0 180 270 0", "PathClose", fill}));
  EXPECT_EQ(draw(EVShape::AllRounded), draw(EVShape::Rectangle));
  // Pointing up, then a quarter turn clockwise about the centre: pointing right.
  EXPECT_EQ(draw(EVShape::Triangle),
            (Lines{"PathClear", "PathMoveTo 25 -25", "PathLineTo 75 25", "PathLineTo 25 75", "PathClose", fill}));
}

TEST_F(VectorBaseTest, LabelAndValueDrawOnlyWhatTheStyleShows) {
  struct Case {
    const char* name;
    std::function<void(IVStyle&, FaceControl&)> setUp;
    bool mouseOver;
    Lines expected;
  };
  const std::string label = "DrawText \"label\" (0,0,100,50)";
  const std::string value = "DrawText \"7 dB\" (0,0,100,50)";
  const std::vector<Case> cases = {
      {"shown", [](IVStyle&, FaceControl&) {}, false, {label, value}},
      {"label hidden by the style", [](IVStyle& s, FaceControl&) { s.showLabel = false; }, false, {value}},
      {"label rectangle without height",
       [](IVStyle&, FaceControl& c) { c.SetLabelBounds(IRECT(0, 10, 100, 10)); }, false, {value}},
      {"value hidden, under the mouse", [](IVStyle& s, FaceControl&) { s.showValue = false; }, true,
       {label, "FillPath solid(10,0,0,0) rule=0 blend=(0,1)"}},
  };
  g.SetGeometryMode(false);
  for (const Case& c : cases) {
    FaceControl control(IRECT(0, 0, 100, 50));
    control.OnResize();
    control.SetValueStr("7 dB");
    IVStyle style;
    c.setUp(style, control);
    control.SetStyle(style);
    g.ClearCalls();
    control.DrawLabel(g);
    control.DrawValue(g, c.mouseOver);
    Lines drawn;
    for (const std::string& line : g.CallLines()) {
      if (line.rfind("DrawText", 0) == 0) drawn.push_back(line.substr(0, line.find(") ") + 1));
      if (line.rfind("FillPath", 0) == 0) drawn.push_back(line);
    }
    EXPECT_EQ(drawn, c.expected) << c.name;
  }
}

TEST_F(VectorBaseTest, AClickSplashesFromThePointForAHundredMilliseconds) {
  FaceControl* control = Attach(IRECT(0, 0, 100, 50));
  GraphicsClock::PinForTesting(1000.0);
  testing::SyntheticInput(g).Click(30, 20);
  EXPECT_EQ(control->GetSplashX(), 30.f);
  EXPECT_EQ(control->GetSplashY(), 20.f);

  GraphicsClock::PinForTesting(1050.0);
  g.ClearCalls();
  testing::RunFrame(g);
  EXPECT_EQ(control->GetSplashRadius(), 25.f);
  const Lines faces = DrawnShapes(g);
  const auto splash = std::find(faces.begin(), faces.end(), "clip (3.5,0.5,96.5,46.5)");
  ASSERT_NE(splash, faces.end());
  EXPECT_EQ(Lines(splash, splash + 3),
            (Lines{"clip (3.5,0.5,96.5,46.5)", "fill (10,0,0,0) (5,-5,55,45)", "clip (-1,-1,101,51)"}));

  GraphicsClock::PinForTesting(1101.0);
  testing::RunFrame(g);
  EXPECT_FALSE(control->GetAnimationFunction());
  g.ClearCalls();
  control->Draw(g);
  EXPECT_EQ(g.CountCalls("SetClipRect"), 0);
}

TEST_F(VectorBaseTest, StylingAllVectorControlsReachesTheListsVectorControlsOnly) {
  FaceControl* control = Attach(IRECT(0, 0, 100, 50));
  g.AttachControl(new testing::ProbeControl(IRECT(0, 0, 10, 10), "probe"));
  g.ShowFPSDisplay(true);
  IVStyle style;
  style.roundness = 0.5f;
  const int changes = control->styleChanges;
  g.StyleAllVectorControls(style);
  EXPECT_EQ(control->GetStyle().roundness, 0.5f);
  EXPECT_EQ(control->styleChanges, changes + 1);
  EXPECT_EQ(g.GetFPSDisplay()->GetStyle().roundness, 0.f);
}

}  // namespace
}  // namespace plugkit::graphics
