#include "graphics/controls/base_controls.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/core/param.h"
#include "graphics/graphics_context.h"
#include "support/graphics/recording_delegate.h"
#include "support/graphics/synthetic_input.h"

namespace plugkit::graphics {
namespace {

using testing::kLeftButton;
using testing::kNoButton;
using testing::kRightButton;
using testing::RecordingDelegate;
using testing::RecordingGraphics;
using testing::SyntheticInput;
using Lines = std::vector<std::string>;

constexpr IMouseMod kShift{true, false, true};
constexpr IMouseMod kControl{true, false, false, true};

class Button : public IButtonControlBase {
public:
  using IButtonControlBase::IButtonControlBase;
  void Draw(IGraphics&) override {}
};

class Switch : public ISwitchControlBase {
public:
  using ISwitchControlBase::ISwitchControlBase;
  void Draw(IGraphics&) override {}
};

// A knob whose drag bounds may differ from its rectangle.
class Knob : public IKnobControlBase {
public:
  Knob(const IRECT& bounds, int paramIdx, double gearing, std::optional<IRECT> dragBounds = std::nullopt)
      : IKnobControlBase(bounds, paramIdx, EDirection::Vertical, gearing), mDragBounds(dragBounds) {}
  IRECT GetKnobDragBounds() override { return mDragBounds ? *mDragBounds : IKnobControlBase::GetKnobDragBounds(); }
  void DrawWidget(IGraphics&) override {}
  void Draw(IGraphics&) override {}

private:
  std::optional<IRECT> mDragBounds;
};

// A slider whose derived drawing lays out no track.
class Slider : public ISliderControlBase {
public:
  Slider(const IRECT& bounds, int paramIdx, double gearing, bool laysOutTrack = true)
      : ISliderControlBase(bounds, paramIdx, EDirection::Vertical, gearing), mLaysOutTrack(laysOutTrack) {}
  void OnResize() override {
    if (mLaysOutTrack) ISliderControlBase::OnResize();
  }
  void Draw(IGraphics&) override {}

private:
  bool mLaysOutTrack;
};

class BaseControlsTest : public ::testing::Test {
protected:
  enum Params { kSteps, kGain, kFive, kHuge, kNParams };

  BaseControlsTest() {
    delegate.GetParam(kSteps)->InitInt("Steps", 0, 0, 10);
    delegate.GetParam(kGain)->InitGain("Gain", 0.0, -70.0, 12.0, 0.1);
    delegate.GetParam(kFive)->InitInt("Five", 0, 0, 4);
    delegate.GetParam(kHuge)->InitGain("Huge", 0.0, 0.0, 1e9, 1.0);
  }

  template <class Control>
  Control* Attach(Control* control, double value = 0.0) {
    g.AttachControl(control);
    control->SetValueAt(value);
    delegate.mLog.clear();
    g.Log().clear();
    return control;
  }
  // The values pushed to the delegate, each once in a row.
  std::vector<double> PushedValues() const {
    std::vector<double> values;
    for (const std::string& line : delegate.mLog) {
      if (line.rfind("set param", 0) != 0) continue;
      const double value = std::stod(line.substr(line.rfind(' ')));
      if (values.empty() || values.back() != value) values.push_back(value);
    }
    return values;
  }

  RecordingDelegate delegate{kNParams};
  RecordingGraphics g{delegate, 400, 300};
  SyntheticInput input{g};
};

TEST_F(BaseControlsTest, AButtonHoldsOneUntilItsAnimationEnds) {
  int actions = 0;
  int ends = 0;
  auto* button = Attach(new Button(IRECT(0, 0, 50, 50), [&](IControl*) { ++actions; }));
  button->SetAnimationEndActionFunction([&](IControl*) { ++ends; });
  input.DoubleClick(10, 10);  // taken as a single click
  EXPECT_EQ(button->ValueAt(), 1.0);
  EXPECT_EQ(actions, 1);
  button->OnEndAnimation();
  EXPECT_EQ(button->ValueAt(), 0.0);
  EXPECT_EQ(actions, 1);
  EXPECT_EQ(ends, 1);
}

TEST_F(BaseControlsTest, ASwitchClickMovesToTheNextStateAndWraps) {
  struct Case {
    int states;
    double start;
    double expected;
  };
  const std::vector<Case> cases = {
      {2, 0.7, 0.0}, {2, 0.0, 1.0}, {4, 2.0 / 3.0, 1.0}, {4, 1.0, 0.0}, {4, 0.0, 1.0 / 3.0}, {1, 0.0, 0.0},
  };
  for (const Case& c : cases) {
    auto* control = Attach(new Switch(IRECT(0, 0, 50, 50), IControl::kNoParameter, nullptr, c.states), c.start);
    input.Click(10, 10);
    EXPECT_NEAR(control->ValueAt(), c.expected, 1e-12) << c.states << " states from " << c.start;
    g.RemoveControl(control);
  }
}

// The disabled flags follow a state count taken from the parameter, which a
// vast range cannot make vast.
TEST_F(BaseControlsTest, ASwitchTakesItsStatesFromItsParameterWithAFlagEach) {
  struct Case {
    int param;
    int expectedStates;
  };
  for (const Case& c : {Case{kFive, 5}, Case{kHuge, ISwitchControlBase::kMaxNumStates}}) {
    auto* control = Attach(new Switch(IRECT(0, 0, 50, 50), c.param, nullptr, 2));
    ASSERT_EQ(control->GetNumStates(), c.expectedStates);
    const int last = c.expectedStates - 1;
    control->SetStateDisabled(last, true);
    control->SetStateDisabled(c.expectedStates, true);
    control->SetStateDisabled(-1, true);
    EXPECT_TRUE(control->GetStateDisabled(last));
    EXPECT_FALSE(control->GetStateDisabled(last - 1));
    EXPECT_FALSE(control->GetStateDisabled(c.expectedStates));
    EXPECT_FALSE(control->GetStateDisabled(-1));
    control->SetAllStatesDisabled(true);
    EXPECT_TRUE(control->GetStateDisabled(0) && control->GetStateDisabled(last));
    g.RemoveControl(control);
  }
}

TEST_F(BaseControlsTest, AKnobDragMovesByOneOverGearingPerDragBoundsHeight) {
  struct Case {
    const char* name;
    IMouseMod mod;
    float travel;  // upwards
    double expected;
  };
  const std::vector<Case> cases = {
      {"its whole height", kLeftButton, 100, 1.0},
      {"and further", kLeftButton, 150, 1.0},
      {"shift", kShift, 100, 0.1},
      {"control", kControl, 100, 0.1},
  };
  for (const Case& c : cases) {
    // A drag bounds height of 100 inside a smaller knob.
    auto* knob = Attach(new Knob(IRECT(100, 100, 140, 140), IControl::kNoParameter, 1.0, IRECT(0, 0, 50, 100)));
    input.Down(120, 120, c.mod);
    input.DragTo(120, 120 - c.travel / 2, c.mod);
    input.DragTo(120, 120 - c.travel, c.mod);
    input.Up(120, 120 - c.travel, c.mod);
    EXPECT_NEAR(knob->ValueAt(), c.expected, 1e-9) << c.name;
    EXPECT_EQ(g.Log(), (Lines{"hide cursor 1 lock 1", "hide cursor 0 lock 1"})) << c.name;
    g.RemoveControl(knob);
  }
}

TEST_F(BaseControlsTest, ASteppedParameterIsPassedStepByStepAndWheeledOneStepANotch) {
  Attach(new Knob(IRECT(0, 0, 50, 100), kSteps, 1.0));
  input.Down(20, 90);
  for (int y = 89; y >= -10; --y) input.DragTo(20, static_cast<float>(y));
  input.Up(20, -10);
  EXPECT_EQ(PushedValues(), (std::vector<double>{0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1}));

  struct Case {
    const char* name;
    int param;
    IMouseMod mod;
    float d;
    double expected;
  };
  const std::vector<Case> cases = {
      {"a step up", kSteps, kNoButton, 1, 0.6},    {"a step down", kSteps, kNoButton, -3, 0.4},
      {"no notch", kSteps, kNoButton, 0, 0.5},     {"unstepped", kGain, kNoButton, 1, 0.51},
      {"unstepped fine", kGain, kShift, 1, 0.501}, {"unstepped two notches down", kGain, kNoButton, -2, 0.48},
  };
  for (const Case& c : cases) {
    std::vector<IControl*> controls = {new Knob(IRECT(0, 0, 50, 100), c.param, 1.0),
                                       new Slider(IRECT(0, 0, 50, 100), c.param, 1.0)};
    for (IControl* control : controls) {
      Attach(control, 0.5);
      input.Wheel(20, 20, c.d, c.mod);
      EXPECT_NEAR(control->ValueAt(), c.expected, 1e-9) << c.name;
      EXPECT_EQ(PushedValues().empty(), c.d == 0) << c.name;
      g.RemoveControl(control);
    }
  }
}

TEST_F(BaseControlsTest, ASliderJumpsToThePointAndFollowsItOrDragsRelativeWithTheCursorHidden) {
  struct Case {
    const char* name;
    int param;
    bool hideCursor;
    uint64_t touch;
    double afterDown;
    double afterDrag;
  };
  // Down at a quarter of the height, then up by half of it, at gearing 2.
  const std::vector<Case> cases = {
      {"cursor shown", kGain, false, 0, 0.25, 0.75},
      {"cursor hidden", kGain, true, 0, 0.25, 0.5},
      {"a touch", kGain, true, 1, 0.25, 0.75},
      {"stepped: no jump, relative and snapped", kSteps, false, 0, 0.0, 0.3},
  };
  for (const Case& c : cases) {
    auto* slider = Attach(new Slider(IRECT(0, 0, 20, 100), c.param, 2.0));
    slider->SetHideCursorOnDrag(c.hideCursor);
    if (c.touch) {
      input.TouchesDown({{c.touch, 10, 75}});
      EXPECT_NEAR(slider->ValueAt(), c.afterDown, 1e-9) << c.name;
      input.TouchesDrag({{c.touch, 10, 25, 0, -50}});
      input.TouchesUp({{c.touch, 10, 25}});
    } else {
      input.Down(10, 75);
      EXPECT_NEAR(slider->ValueAt(), c.afterDown, 1e-9) << c.name;
      input.DragTo(10, 25);
      input.Up(10, 25);
    }
    EXPECT_NEAR(slider->ValueAt(), c.afterDrag, 1e-9) << c.name;
    g.RemoveControl(slider);
  }
}

// A drag or a point over bounds of no extent along the direction has no value.
TEST_F(BaseControlsTest, ADragOverNoExtentSendsNothing) {
  struct Case {
    const char* name;
    std::function<IControl*()> make;
  };
  const std::vector<Case> cases = {
      {"a knob of zero height", [] { return new Knob(IRECT(0, 0, 50, 100), kGain, 1.0, IRECT(0, 50, 50, 50)); }},
      {"a slider before any track", [] { return new Slider(IRECT(0, 0, 50, 100), kGain, 1.0, false); }},
      {"a slider before any track, following the point",
       [] {
         auto* slider = new Slider(IRECT(0, 0, 50, 100), kGain, 1.0, false);
         slider->SetHideCursorOnDrag(false);
         return slider;
       }},
  };
  for (const Case& c : cases) {
    IControl* control = Attach(c.make(), 0.5);
    input.Down(20, 50);
    input.DragTo(20, 30);
    input.Up(20, 30);
    EXPECT_EQ(control->ValueAt(), 0.5) << c.name;
    EXPECT_TRUE(PushedValues().empty()) << c.name;
    g.RemoveControl(control);
  }
}

// The dispatch turns a right-click on a linked control into its context menu,
// so the knob hears the right button only when called directly.
TEST_F(BaseControlsTest, TheRightButtonPromptsOverASmallBoxCentredOnTheKnob) {
  auto* knob = Attach(new Knob(IRECT(100, 100, 200, 160), kGain, 1.0));
  knob->OnMouseDown(150, 130, kRightButton);
  EXPECT_TRUE(g.TextEntries().empty());  // prompts are disabled until allowed
  knob->SetPromptDisabled(false);
  knob->OnMouseDown(150, 130, kRightButton);
  ASSERT_EQ(g.TextEntries().size(), 1u);
  EXPECT_EQ(g.TextEntries().back().bounds, IRECT(130, 122, 170, 138));
}

}  // namespace
}  // namespace plugkit::graphics
