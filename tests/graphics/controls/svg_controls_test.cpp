#include "graphics/controls/svg_controls.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "framework/core/param.h"
#include "graphics/graphics_context.h"
#include "support/graphics/drawn_shapes.h"
#include "support/graphics/recording_delegate.h"

namespace plugkit::graphics {
namespace {

using testing::RecordingDelegate;
using testing::RecordingGraphics;
using Lines = std::vector<std::string>;

constexpr SVGStateColors kStateColors{IColor{255, 10, 0, 0}, IColor{255, 11, 0, 0}, IColor{255, 12, 0, 0},
                                      IColor{255, 13, 0, 0}};

// A 10 x 10 image of one square with a fill and a stroke.
std::string Square(const char* fill, const char* stroke) {
  return std::string("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\">") +
         "<rect x=\"1\" y=\"1\" width=\"8\" height=\"8\" fill=\"" + fill + "\" stroke=\"" + stroke + "\"/></svg>";
}

// An image of width x height filled in one colour.
std::string Plain(int width, int height, const char* fill) {
  const std::string w = std::to_string(width);
  const std::string h = std::to_string(height);
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h + "\"><rect width=\"" + w +
         "\" height=\"" + h + "\" fill=\"" + fill + "\"/></svg>";
}

double DegreesOf(const ITransform& t) { return std::atan2(t.yx, t.xx) * 180.0 / std::numbers::pi; }

class SvgControlsTest : public ::testing::Test {
protected:
  SvgControlsTest() { g.SetGeometryMode(true); }

  ISVG Load(const std::string& name, const std::string& text) {
    return g.LoadSVGFromData(name.c_str(), text.c_str(), static_cast<int>(text.size()));
  }
  Lines Drawn(IControl& control) {
    g.ClearCalls();
    control.Draw(g);
    return testing::DrawnShapes(g);
  }

  RecordingDelegate delegate{1};
  RecordingGraphics g{delegate, 400, 300};
  const ISVG off = Load("off.svg", Square("#ff0000", "#00ff00"));
  const ISVG on = Load("on.svg", Square("#0000ff", "#ffff00"));
};

TEST_F(SvgControlsTest, ButtonsAndTogglesDrawTheImageAndColourOfTheirState) {
  const IRECT bounds(0, 0, 20, 20);
  const std::string box = " (2,2,18,18) @0.5";
  const struct {
    const char* name;
    std::function<IControl*()> make;
    double value;
    bool mouseOver;
    Lines expected;
  } cases[] = {
      {"toggle at 0.5", [&] { return new ISVGToggleControl(bounds, 0, off, on); }, 0.5, false,
       {"fill (255,255,0,0)" + box, "stroke (255,0,255,0)" + box}},
      {"toggle at 0.51", [&] { return new ISVGToggleControl(bounds, 0, off, on); }, 0.51, false,
       {"fill (255,0,0,255)" + box, "stroke (255,255,255,0)" + box}},
      {"on under the mouse, fill",
       [&] { return new ISVGButtonControl(bounds, nullptr, off, kStateColors, ESVGColorReplacement::Fill); }, 1.0,
       true, {"fill (255,13,0,0)" + box, "stroke (255,0,255,0)" + box}},
      {"on under the mouse, stroke",
       [&] { return new ISVGButtonControl(bounds, nullptr, off, kStateColors, ESVGColorReplacement::Stroke); }, 1.0,
       true, {"fill (255,255,0,0)" + box, "stroke (255,13,0,0)" + box}},
      {"on under the mouse, none",
       [&] { return new ISVGButtonControl(bounds, nullptr, off, kStateColors, ESVGColorReplacement::None); }, 1.0,
       true, {"fill (255,255,0,0)" + box, "stroke (255,0,255,0)" + box}},
  };
  for (const auto& c : cases) {
    std::unique_ptr<IControl> control(c.make());
    control->SetValueAt(c.value);
    control->SetMouseIsOver(c.mouseOver);
    control->SetBlend(kBlend50);
    EXPECT_EQ(Drawn(*control), c.expected) << c.name;
  }
}

TEST_F(SvgControlsTest, AKnobTurnsItsImageAboutTheCentreOfItsRectangle) {
  ISVGKnobControl knob(IRECT(10, 10, 50, 50), off);
  const struct {
    double value;
    double degrees;
  } cases[] = {{0.5, 0.0}, {1.0, 135.0}, {0.0, -135.0}};
  for (const auto& c : cases) {
    knob.SetValueAt(c.value);
    g.ClearCalls();
    knob.Draw(g);
    ASSERT_EQ(g.CountCalls("FillPath"), 1) << c.value;
    for (const auto& call : g.Calls()) {
      if (call.kind != "FillPath") continue;
      EXPECT_NEAR(DegreesOf(call.transform), c.degrees, 1e-3) << c.value;
      // The image's centre (5, 5) lands on the rectangle's.
      double x = 5.0, y = 5.0;
      call.transform.TransformPoint(x, y);
      EXPECT_NEAR(x, 30.0, 1e-4);
      EXPECT_NEAR(y, 30.0, 1e-4);
    }
  }
}

TEST_F(SvgControlsTest, AKnobsNewImageRedrawsWithoutTheAction) {
  int actions = 0;
  auto* knob = new ISVGKnobControl(IRECT(0, 0, 20, 20), off);
  g.AttachControl(knob);
  knob->SetActionFunction([&](IControl*) { ++actions; });
  knob->SetValueAt(0.5);
  knob->ClearDirty();
  knob->SetSVG(on);
  EXPECT_TRUE(knob->IsDirty());
  EXPECT_EQ(actions, 0);
  EXPECT_EQ(Drawn(*knob).front(), "fill (255,0,0,255) (2,2,18,18)");
}

TEST_F(SvgControlsTest, ASwitchDrawsTheNearestStatesImage) {
  delegate.GetParam(0)->InitInt("Five", 0, 0, 4);
  const ISVG third = Load("third.svg", Square("#ffff00", "#0000ff"));
  const struct {
    const char* name;
    std::vector<ISVG> images;
    int paramIdx;
    double value;
    const char* expected;  // the fill drawn, none when empty
  } cases[] = {
      {"three images at 0.74", {off, on, third}, IControl::kNoParameter, 0.74, "fill (255,0,0,255)"},
      {"three images at 0.75", {off, on, third}, IControl::kNoParameter, 0.75, "fill (255,255,255,0)"},
      {"five states, three images", {off, on, third}, 0, 1.0, "fill (255,255,255,0)"},
      {"no images, five states", {}, 0, 0.5, nullptr},
  };
  for (const auto& c : cases) {
    auto* control = new ISVGSwitchControl(IRECT(0, 0, 20, 20), c.images, c.paramIdx);
    g.AttachControl(control);
    control->SetValueAt(c.value);
    const Lines drawn = Drawn(*control);
    if (!c.expected) {
      EXPECT_TRUE(drawn.empty()) << c.name;
      continue;
    }
    ASSERT_FALSE(drawn.empty()) << c.name;
    EXPECT_EQ(drawn.front(), std::string(c.expected) + " (2,2,18,18)") << c.name;
  }
}

TEST_F(SvgControlsTest, ASliderLaysOutItsTrackAndHandleFromTheImagesAspects) {
  const ISVG wideTrack = Load("wide-track.svg", Plain(100, 10, "#ff0000"));
  const ISVG tallHandle = Load("tall-handle.svg", Plain(10, 20, "#0000ff"));
  const ISVG tallTrack = Load("tall-track.svg", Plain(10, 100, "#ff0000"));
  const ISVG wideHandle = Load("wide-handle.svg", Plain(20, 10, "#0000ff"));
  const struct {
    const char* name;
    IRECT bounds;
    ISVG handle, track;
    EDirection direction;
    IRECT trackBounds;
    IRECT handleAt1, handleAtHalf, handleAt0;
  } cases[] = {
      {"horizontal", {0, 0, 200, 40}, tallHandle, wideTrack, EDirection::Horizontal, {0, 10, 200, 30},
       {180, 0, 200, 40}, {90, 0, 110, 40}, {0, 0, 20, 40}},
      {"vertical", {0, 0, 40, 200}, wideHandle, tallTrack, EDirection::Vertical, {10, 0, 30, 200},
       {0, 0, 40, 20}, {0, 90, 40, 110}, {0, 180, 40, 200}},
  };
  for (const auto& c : cases) {
    auto* slider = new ISVGSliderControl(c.bounds, c.handle, c.track, IControl::kNoParameter, c.direction);
    g.AttachControl(slider);
    EXPECT_EQ(slider->GetTrackSVGBounds(), c.trackBounds) << c.name;
    EXPECT_EQ(slider->GetHandleBounds(1.0), c.handleAt1) << c.name;
    EXPECT_EQ(slider->GetHandleBounds(0.5), c.handleAtHalf) << c.name;
    EXPECT_EQ(slider->GetHandleBounds(0.0), c.handleAt0) << c.name;
    slider->SetValueAt(0.0);
    slider->SetBlend(kBlend25);
    EXPECT_EQ(Drawn(*slider), (Lines{"fill (255,255,0,0) " + testing::FormatRect(c.trackBounds) + " @0.25",
                                     "fill (255,0,0,255) " + testing::FormatRect(c.handleAt0) + " @0.25"}))
        << c.name;
  }
}

TEST_F(SvgControlsTest, ASliderWithoutBothImagesOfSomeSizeDrawsNothing) {
  SvgImage flat;
  flat.mWidth = 10.f;
  const ISVG sized = Load("sized.svg", Plain(10, 10, "#ff0000"));
  const struct {
    const char* name;
    ISVG handle, track;
  } cases[] = {
      {"no handle", ISVG(), sized},
      {"a track of no height", sized, ISVG(&flat)},
  };
  for (const auto& c : cases) {
    auto* slider = new ISVGSliderControl(IRECT(0, 0, 40, 200), c.handle, c.track);
    g.AttachControl(slider);
    EXPECT_EQ(slider->GetTrackSVGBounds(), IRECT()) << c.name;
    g.ClearCalls();
    slider->Draw(g);
    EXPECT_TRUE(g.Calls().empty()) << c.name;
  }
}

}  // namespace
}  // namespace plugkit::graphics
