#include "graphics/control.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "framework/core/param.h"
#include "graphics/clock.h"
#include "support/graphics/logging_control.h"
#include "support/graphics/recording_delegate.h"

namespace plugkit::graphics {
namespace {

using testing::LoggingControl;
using testing::RecordingDelegate;
using testing::RecordingGraphics;
using Log = std::vector<std::string>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Logs host values and actions into the delegate's log, so their order with
// the delegate's own calls shows.
class ValueControl : public LoggingControl {
public:
  ValueControl(std::vector<std::string>& log, const char* name, int paramIdx, const IRECT& bounds = IRECT(0, 0, 10, 10))
      : LoggingControl(bounds, log, name, paramIdx) {
    SetActionFunction([this](IControl*) { Log("action"); });
  }
  ValueControl(std::vector<std::string>& log, const char* name, std::initializer_list<int> paramIndices)
      : LoggingControl(IRECT(0, 0, 10, 10), log, name, paramIndices) {}

  void SetValueFromHost(double value, int valIdx) override {
    Log("host " + std::to_string(value));
    LoggingControl::SetValueFromHost(value, valIdx);
  }
  void OnResize() override {}
};

class ControlTest : public ::testing::Test {
protected:
  ControlTest() {
    delegate.GetParam(0)->Init("Stepped", "", IParam::kFlagStepped, "", IParam::ShapeLinear(), IParam::kUnitCustom,
                               nullptr, 2.6, 0.0, 10.0, 1.0);
    delegate.GetParam(1)->InitGain("Gain", -6.0, -70.0, 12.0, 0.1);
    // An exponential shape over a range reaching below 0 has no normalised value there.
    delegate.GetParam(2)->Init("Unmappable", "", 0, "", IParam::ShapeExp(), IParam::kUnitCustom, nullptr, -0.5,
                               -1.0, 1.0, 0.0);
  }
  ~ControlTest() override { GraphicsClock::PinForTesting(std::nullopt); }

  template <class Control, class... Args>
  Control* Attach(Args&&... args) {
    auto* control = new Control(delegate.mLog, std::forward<Args>(args)...);
    graphics.AttachControl(control);
    return control;
  }

  RecordingDelegate delegate{3};
  RecordingGraphics graphics{delegate, 200, 100, 60, 1.f, &delegate.mLog};
};

TEST_F(ControlTest, AOneSlotControlTreatsAnySlotAsSlotZero) {
  auto* control = Attach<ValueControl>("c", -1);
  control->SetValueAt(1.5);
  control->ClearDirty();
  control->MarkDirty(false, 5);
  EXPECT_DOUBLE_EQ(control->ValueAt(), 1.0);
  EXPECT_TRUE(control->IsDirty());
}

TEST_F(ControlTest, ValuesAreClampedByMarkDirtyNotBySetValueAt) {
  auto* control = Attach<ValueControl>("c", std::initializer_list<int>{0, 1});
  control->SetValueAt(-2.0, 0);
  control->SetValueAt(3.0, 1);
  EXPECT_DOUBLE_EQ(control->ValueAt(0), -2.0);
  control->MarkDirty(false, 1);
  EXPECT_DOUBLE_EQ(control->ValueAt(0), -2.0);
  EXPECT_DOUBLE_EQ(control->ValueAt(1), 1.0);
  control->MarkDirty(false);
  EXPECT_DOUBLE_EQ(control->ValueAt(0), 0.0);
  control->MarkDirty(false, 7);  // no such slot: redraws, changes no value
  EXPECT_TRUE(control->IsDirty());
}

TEST_F(ControlTest, SlotsLinkToParametersByIndex) {
  auto* control = Attach<ValueControl>("c", std::initializer_list<int>{4, -1, 6});
  EXPECT_EQ(control->ParamIndexOfValue(2), 6);
  EXPECT_EQ(control->ValueIndexOfParam(6), 2);
  EXPECT_EQ(control->ValueIndexOfParam(-1), -1);  // an unlinked slot is linked to nothing
  control->LinkValueToParam(1, 1);
  control->LinkValueToParam(9, 3);  // outside the slots
  EXPECT_EQ(control->ValueIndexOfParam(1), 1);
  EXPECT_EQ(control->ValueIndexOfParam(9), -1);
  EXPECT_EQ(control->ParamOfValue(1), delegate.GetParam(1));
  EXPECT_EQ(control->ParamOfValue(0), nullptr);  // beyond the delegate's parameters
}

// A host value is shown unless it is the stored one or the user drags the control.
TEST_F(ControlTest, HostValuesChangeTheControlOnlyWhenNew) {
  auto* control = Attach<ValueControl>("c", -1);
  control->ClearDirty();
  control->SetValueFromHost(0.0, 0);
  EXPECT_FALSE(control->IsDirty());
  graphics.SetCapturedControl(control);
  control->SetValueFromHost(0.5, 0);
  EXPECT_DOUBLE_EQ(control->ValueAt(), 0.0);
  graphics.ReleaseMouseCapture();
  control->SetValueFromHost(0.5, 0);
  EXPECT_TRUE(control->IsDirty());
  EXPECT_DOUBLE_EQ(control->ValueAt(), 0.5);
}

TEST_F(ControlTest, AUserValueIsPushedThenPeersFollowThenTheActionRuns) {
  auto* knob = Attach<ValueControl>("knob", 1);
  Attach<ValueControl>("peer", 1);
  Attach<ValueControl>("other", 0);
  delegate.mLog.clear();
  knob->SetValueFromUser(0.25, 0);
  EXPECT_EQ(delegate.mLog, (Log{"set param 1 0.250000", "shown 1 3", "peer host 0.250000", "knob action"}));

  struct Case {
    const char* name;
    double value;
    int valIdx;
  };
  for (const Case& c : {Case{"the stored value", 0.25, 0}, Case{"a slot outside", 0.5, 3},
                        Case{"not a number", kNaN, 0}, Case{"infinite", std::numeric_limits<double>::infinity(), 0}}) {
    delegate.mLog.clear();
    knob->ClearDirty();
    knob->SetValueFromUser(c.value, c.valIdx);
    EXPECT_TRUE(delegate.mLog.empty()) << c.name;
    EXPECT_FALSE(knob->IsDirty()) << c.name;
  }
}

TEST_F(ControlTest, ResettingTakesTheParametersConstrainedDefault) {
  struct Case {
    const char* name;
    int paramIdx;
    double expected;
  };
  const std::vector<Case> cases = {
      {"a stepped default snaps (2.6 of 0..10 is 3)", 0, 0.3},
      {"a default that normalises to no number is ignored", 2, 0.7},
      {"an unlinked slot keeps its value", -1, 0.7},
  };
  for (const Case& c : cases) {
    auto* control = Attach<ValueControl>("c", c.paramIdx);
    control->SetValueAt(0.7);
    control->OnMouseDoubleClick(5, 5, IMouseMod());
    EXPECT_DOUBLE_EQ(control->ValueAt(), c.expected) << c.name;
  }
}

TEST_F(ControlTest, ARightClickOnANewControlDoesNothing) {
  auto* control = Attach<ValueControl>("c", 0);
  control->ClearDirty();
  delegate.mLog.clear();
  control->OnMouseDown(5, 5, IMouseMod(false, true));
  EXPECT_TRUE(delegate.mLog.empty());
  EXPECT_TRUE(graphics.TextEntries().empty());
  EXPECT_FALSE(control->IsDirty());
}

TEST_F(ControlTest, DisabledControlsDrawAtAQuarterWeight) {
  auto* control = Attach<ValueControl>("c", -1);
  control->SetDisabled(true);
  EXPECT_FLOAT_EQ(control->GetBlend().mWeight, 0.25f);
  control->SetDisabled(false);
  EXPECT_FLOAT_EQ(control->GetBlend().mWeight, 1.f);
}

TEST_F(ControlTest, HitTestIncludesLeftAndTopEdgesOnly) {
  auto* control = Attach<ValueControl>("c", -1, IRECT(10, 20, 30, 40));
  EXPECT_TRUE(control->HitTest(10, 20));
  EXPECT_FALSE(control->HitTest(30, 25));
  EXPECT_FALSE(control->HitTest(15, 40));
  control->SetTargetRECT(IRECT());
  EXPECT_FALSE(control->HitTest(0, 0));
}

TEST_F(ControlTest, TheDisplayTextCarriesTheLabel) {
  auto* control = Attach<ValueControl>("c", std::initializer_list<int>{1, 0, -1});
  StrBuf text;
  control->ParamDisplayTextWithLabel(0, text);
  EXPECT_STREQ(text.Get(), "-6.0 dB");
  control->ParamDisplayTextWithLabel(1, text);
  EXPECT_STREQ(text.Get(), "3");
  control->ParamDisplayTextWithLabel(2, text);
  EXPECT_STREQ(text.Get(), "");
}

TEST_F(ControlTest, AClickAnimationEndsAfterOneHundredMilliseconds) {
  auto* control = Attach<ValueControl>("c", -1);
  int ended = 0;
  control->SetAnimationEndActionFunction([&](IControl*) { ++ended; });
  control->AttachEventHandler(7, [](IControl*, const IEventInfo&) {});
  GraphicsClock::PinForTesting(1000.0);
  DefaultClickAction(control);
  control->ClearDirty();
  EXPECT_TRUE(control->IsDirty());  // while animating, without running the step
  EXPECT_FALSE(control->WantsRegisteredEvents());

  for (double now : {1050.0, 1100.0}) {
    GraphicsClock::PinForTesting(now);
    control->Animate();
    EXPECT_TRUE(control->GetAnimationFunction()) << now;
  }
  EXPECT_DOUBLE_EQ(control->AnimationProgress(), 1.0);
  GraphicsClock::PinForTesting(1100.5);
  control->Animate();
  EXPECT_FALSE(control->GetAnimationFunction());
  EXPECT_EQ(ended, 1);
  EXPECT_DOUBLE_EQ(control->AnimationProgress(), 0.0);
  EXPECT_TRUE(control->WantsRegisteredEvents());
}

TEST_F(ControlTest, PositionAndSizeKeepTheTargetInPlace) {
  auto* control = Attach<ValueControl>("c", -1, IRECT(10, 10, 30, 20));
  control->SetTargetRECT(IRECT(12, 10, 30, 25));
  control->SetMouseIsOver(true);
  control->SetPosition(-5, 10);
  EXPECT_EQ(control->GetRECT(), IRECT(0, 10, 20, 20));
  EXPECT_EQ(control->GetTargetRECT(), IRECT(2, 10, 20, 25));
  EXPECT_FALSE(control->GetMouseIsOver());
  control->SetSize(-1, 20);
  EXPECT_EQ(control->GetRECT(), IRECT(0, 10, 0, 30));
  EXPECT_EQ(control->GetTargetRECT(), control->GetRECT());
}

TEST_F(ControlTest, APointMapsToAValueInThousandths) {
  struct Case {
    const char* name;
    float x, y;
    EDirection direction;
    IRECT bounds;
    double expected;
  };
  const std::vector<Case> cases = {
      {"top of a vertical span", 5, 0, EDirection::Vertical, IRECT(0, 0, 10, 100), 1.0},
      {"bottom of a vertical span", 5, 100, EDirection::Vertical, IRECT(0, 0, 10, 100), 0.0},
      {"below a vertical span", 5, 300, EDirection::Vertical, IRECT(0, 0, 10, 100), 0.0},
      {"quantised", 12345, 5, EDirection::Horizontal, IRECT(0, 0, 100000, 10), 0.123},
      {"a span of no length maps nothing", 5, 5, EDirection::Vertical, IRECT(0, 5, 10, 5), 0.5},
  };
  for (const Case& c : cases) {
    auto* control = Attach<ValueControl>("c", 1);
    control->SetValueAt(0.5);
    delegate.mLog.clear();
    control->SetValueFromPoint(c.x, c.y, c.direction, c.bounds, -1);
    EXPECT_DOUBLE_EQ(control->ValueAt(), c.expected) << c.name;
    EXPECT_EQ(delegate.mLog.empty(), c.expected == 0.5) << c.name;
  }
}

TEST_F(ControlTest, TheCornerMarkIsADotInTheChosenColour) {
  auto* control = Attach<ValueControl>("c", -1, IRECT(10, 20, 50, 60));
  control->DrawCornerMark(graphics);
  EXPECT_TRUE(graphics.CallLines().empty());
  control->SetCornerMark(true, IControl::kCornerMarkBlue);
  control->SetCornerMark(true, 7);  // keeps blue
  control->DrawCornerMark(graphics);
  EXPECT_EQ(graphics.CallLines(), (std::vector<std::string>{"PathClear", "PathMoveTo 45 23",
                                                             "PathArc 45 25 2 0 360 0", "PathClose",
                                                             "FillPath solid(255,0,0,255) rule=0 blend=none"}));
}

TEST_F(ControlTest, RegisteredEventsReachTheHandlerOfTheirKind) {
  auto* control = Attach<ValueControl>("c", -1);
  EXPECT_FALSE(control->OnRegisteredEvent(IEventInfo{1, 2, 7}));
  std::vector<float> seen;
  control->AttachEventHandler(7, [&](IControl*, const IEventInfo& info) { seen.push_back(info.x); });
  control->AttachEventHandler(7, [&](IControl*, const IEventInfo& info) { seen.push_back(info.y); });
  EXPECT_TRUE(control->OnRegisteredEvent(IEventInfo{1, 2, 7}));
  EXPECT_FALSE(control->OnRegisteredEvent(IEventInfo{1, 2, 8}));
  EXPECT_EQ(seen, std::vector<float>{2});
  EXPECT_EQ(control->GetLastEventKind(), 7);
  EXPECT_EQ(graphics.RegisteredEventKinds(), std::vector<int>{7});
}

}  // namespace
}  // namespace plugkit::graphics
