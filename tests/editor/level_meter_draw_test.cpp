#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drawing_log.h"
#include "editor/editor_colours.h"
#include "editor/orvane_level_meter_control.h"
#include "support/graphics/recording_delegate.h"
#include "support/graphics/recording_graphics.h"

namespace orvane::testing {
namespace {

using Lines = std::vector<std::string>;
using Meter = OrvaneLevelMeterControl;
using plugkit::graphics::IRECT;

// In a window 2072 x 510 a grid unit is 1 both ways: the input meter spans
// 1743..2052 by 18..41, the output meter by 49..72, and the bar is inset by 1.
TEST(LevelMeterDrawing, FrameAndBarFollowTheLevel) {
  struct Case {
    int mode;
    float levelDb;
    std::string bar;  // empty: none
  };
  const std::string fullInput = " (1744,19,2051,40)", fullOutput = " (1744,50,2051,71)";
  const std::vector<Case> cases = {
      {Meter::kInputMeter, -120.f, ""},
      {Meter::kInputMeter, -60.f, ""},
      {Meter::kInputMeter, -30.f, "fill " + Entry(10) + " (1744,19,1897.5,40)"},
      {Meter::kInputMeter, 3.f, "fill " + Entry(10) + fullInput},
      {Meter::kOutputMeter, 3.f, "fill " + Colour(kMeterClipColor) + fullOutput},
      {Meter::kOutputMeter, 0.f, "fill " + Colour(kMeterClipColor) + fullOutput},
      {Meter::kOutputMeter, -5.9f, "fill " + Colour(kMeterWarningColor) + " (1744,50,2020.812,71)"},
      {Meter::kOutputMeter, -6.f, "fill " + Entry(10) + " (1744,50,2020.3,71)"},
  };
  plugkit::testing::RecordingDelegate delegate;
  plugkit::testing::RecordingGraphics g(delegate, 2072, 510);
  g.SetGeometryMode(true);
  for (const Case& c : cases) {
    Meter meter(IRECT(0, 0, 2072, 510), nullptr, c.mode);
    meter.mLevel = c.levelDb;
    g.ClearCalls();
    meter.Draw(g);
    const std::string frame = c.mode == Meter::kInputMeter ? "(1743,18,2052,41)" : "(1743,49,2052,72)";
    Lines expected{"fill " + Entry(11) + " " + frame, "stroke " + Entry(7) + " w=1 " + frame};
    if (!c.bar.empty()) expected.push_back(c.bar);
    EXPECT_EQ(DrawnLines(g), expected) << c.mode << " at " << c.levelDb;
  }
}

}  // namespace
}  // namespace orvane::testing
