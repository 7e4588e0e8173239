#pragma once

// What the vector controls' tests share: a recording graphics in geometry
// mode with hovering on, a background that is never hovered, parameters, a
// flat style and helpers to draw a control and run animations at a time.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "framework/core/param.h"
#include "graphics/clock.h"
#include "graphics/controls/vector_buttons.h"
#include "graphics/graphics_context.h"
#include "support/graphics/drawn_shapes.h"
#include "support/graphics/recording_delegate.h"
#include "support/graphics/synthetic_input.h"

namespace plugkit::graphics {

using Lines = std::vector<std::string>;

// Text of size 20: every character is 10 wide and the line 20 high.
inline constexpr float kTestTextSize = 20.f;

// Faces of one fill each: no frame, no shadow.
inline IVStyle FlatStyle(EVAlign valueAlign = EVAlign::Bottom) {
  IVStyle style;
  style.drawFrame = false;
  style.drawShadows = false;
  style.labelText.mSize = kTestTextSize;
  style.valueText.mSize = kTestTextSize;
  style.valueText.mVAlign = valueAlign;
  return style;
}

// A flat style that shows only the widget: no label, no value.
inline IVStyle WidgetOnlyStyle() {
  IVStyle style = FlatStyle();
  style.showLabel = style.showValue = false;
  return style;
}

class VectorControlsTest : public ::testing::Test {
protected:
  // Wave: "Sine", "Saw", "Square"; Even: 0..10 in steps of 2; Any: 0..10 stepped by 0.
  enum Params { kWave, kEvenSteps, kNoStep, kNParams };

  VectorControlsTest() {
    delegate.GetParam(kWave)->InitEnum("Wave", 0, {"Sine", "Saw", "Square"});
    delegate.GetParam(kEvenSteps)->InitGain("Even", 0.0, 0.0, 10.0, 2.0, IParam::kFlagStepped);
    delegate.GetParam(kNoStep)->InitGain("Any", 0.0, 0.0, 10.0, 0.0, IParam::kFlagStepped);
    g.SetGeometryMode(true);
    g.EnableMouseOver(true);
    g.AttachControl(new IVLabelControl(IRECT(0, 0, 400, 300)));
  }
  ~VectorControlsTest() override { GraphicsClock::PinForTesting(std::nullopt); }

  template <class Control>
  Control* Attach(Control* control, const char* group = "") {
    g.AttachControl(control, -1, group);
    return control;
  }
  Lines Drawn(IControl& control) {
    g.ClearCalls();
    control.Draw(g);
    return testing::DrawnShapes(g);
  }
  // Runs the animations at the time given.
  void FrameAt(double ms) {
    GraphicsClock::PinForTesting(ms);
    IRECTList rects;
    g.IsDirty(rects);
  }

  testing::RecordingDelegate delegate{kNParams};
  testing::RecordingGraphics g{delegate, 400, 300};
  testing::SyntheticInput input{g};
};

}  // namespace plugkit::graphics
