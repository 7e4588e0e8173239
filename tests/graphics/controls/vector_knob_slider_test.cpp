#include "graphics/controls/vector_knob_slider.h"

#include <functional>
#include <string>
#include <vector>

#include "graphics/controls/vector_track_controls.h"
#include "vector_controls_fixture.h"

namespace plugkit::graphics {
namespace {

using testing::FormatRect;
using testing::kLeftButton;

class VectorKnobSliderTest : public VectorControlsTest {
protected:
  bool Pushed() const {
    for (const std::string& line : delegate.mLog)
      if (line.rfind("set param", 0) == 0) return true;
    return false;
  }
  // The arguments of the first arc drawn of a radius above minRadius (an
  // ellipse is a unit circle under a transform).
  std::vector<double> FirstArc(double minRadius = 0.0) const {
    for (const auto& call : g.Calls())
      if (call.kind == "PathArc" && call.args[2] > minRadius) return call.args;
    return {};
  }
};

TEST_F(VectorKnobSliderTest, AKnobDrawsItsArcHandleAndPointerInItsWidget) {
  struct Case {
    const char* name;
    double value;
    float anchor, trackSize;
    std::vector<double> arc;  // cx, cy, r, from, to, winding
    Lines handleAndPointer;
  };
  const std::vector<Case> cases = {
      {"half way points straight up", 0.5, -135, 2, {50, 50, 49, -135, 0, 0},
       {"fill (255,200,200,200) (5,5,95,95)", "stroke (255,70,70,70) (50,5,50,45.5) w=2.5"}},
      {"the arc runs up to an anchor above the value", 0.0, 0, 2, {50, 50, 49, -135, 0, 0},
       {"fill (255,200,200,200) (5,5,95,95)", "stroke (255,70,70,70) (18.18,53.182,46.818,81.82) w=2.5"}},
      {"no track, no arc", 1.0, -135, 0, {},
       {"fill (255,200,200,200) (4,4,96,96)", "stroke (255,70,70,70) (53.253,53.253,82.527,82.527) w=2.5"}},
  };
  for (const Case& c : cases) {
    auto* knob = Attach(new IVKnobControl(IRECT(0, 0, 100, 100), nullptr, "", WidgetOnlyStyle(), false, false, -135, 135,
                                          c.anchor, EDirection::Vertical, 4.0, c.trackSize));
    knob->SetValueAt(c.value);
    Lines drawn = Drawn(*knob);
    EXPECT_EQ(FirstArc(1.0), c.arc) << c.name;
    if (!c.arc.empty()) drawn.erase(drawn.begin());
    drawn.erase(drawn.begin());  // the background
    EXPECT_EQ(drawn, c.handleAndPointer) << c.name;
    g.RemoveControl(knob);
  }
}

TEST_F(VectorKnobSliderTest, AKnobDragsOverHalfItsShorterSideAcrossIt) {
  struct Case {
    IRECT bounds, dragBounds;
  };
  for (const Case& c : {Case{IRECT(0, 0, 200, 100), IRECT(75, 0, 125, 100)},
                        Case{IRECT(0, 0, 100, 200), IRECT(0, 75, 100, 125)},
                        Case{IRECT(0, 0, 0, 0), IRECT(-0.5f, 0, 0.5f, 0)}}) {
    auto* knob = Attach(new IVKnobControl(c.bounds, nullptr, "", WidgetOnlyStyle()));
    EXPECT_EQ(knob->GetKnobDragBounds(), c.dragBounds) << FormatRect(c.bounds);
    g.RemoveControl(knob);
  }
}

// The value under the widget: "0 dB" is 40 wide, so its band is 52.8 wide.
TEST_F(VectorKnobSliderTest, AnEditableValuePromptsIsLitAndHitWhereItIsShown) {
  IVStyle style = FlatStyle();
  style.showLabel = false;
  const IRECT valueBounds(23.6f, 100, 76.4f, 120);
  const std::string lit = "fill (10,0,0,0) " + FormatRect(valueBounds);
  struct Case {
    bool editable;
    float x, y;
    bool hit, lit;
  };
  const std::vector<Case> cases = {
      {true, 50, 110, true, true}, {true, 50, 50, true, false},
      {false, 50, 110, false, false}, {false, 50, 50, true, false}};
  for (const Case& c : cases) {
    auto* knob = Attach(new IVKnobControl(IRECT(0, 0, 100, 120), kNoStep, "", style, c.editable));
    ASSERT_EQ(FormatRect(knob->GetValueBounds()), FormatRect(valueBounds));
    EXPECT_EQ(knob->HitTest(c.x, c.y), c.hit) << c.editable << " " << c.y;
    knob->OnMouseHover(c.x, c.y, kLeftButton);
    const Lines drawn = Drawn(*knob);
    EXPECT_EQ(std::find(drawn.begin(), drawn.end(), lit) != drawn.end(), c.lit) << c.editable << " " << c.y;
    g.RemoveControl(knob);
  }
  auto* knob = Attach(new IVKnobControl(IRECT(0, 0, 100, 120), kNoStep, "", style, true));
  input.Hover(50, 110);
  input.Out();
  const Lines drawn = Drawn(*knob);
  EXPECT_EQ(std::find(drawn.begin(), drawn.end(), lit), drawn.end()) << "not lit once the mouse has left";
  input.Click(50, 110);
  ASSERT_EQ(g.TextEntries().size(), 1u);
  EXPECT_EQ(FormatRect(g.TextEntries().back().bounds), FormatRect(valueBounds));
}

// Were it to take every press, a value shown in the widget would keep the
// knob from starting its drags at its value.
TEST_F(VectorKnobSliderTest, AValueInTheWidgetTakesPressesOnlyWhenEditable) {
  IVStyle style = FlatStyle();
  style.showLabel = false;
  for (const bool editable : {false, true}) {
    auto* knob = Attach(new IVKnobControl(IRECT(0, 0, 100, 100), kNoStep, "", style, editable, true));
    knob->SetValueFromHost(0.5);
    input.Down(50, 50);
    input.DragTo(50, 0);
    input.Up(50, 0);
    EXPECT_DOUBLE_EQ(knob->ValueAt(), editable ? 0.5 : 0.75) << editable;
    EXPECT_EQ(g.TextEntries().size(), editable ? 1u : 0u) << editable;
    g.RemoveControl(knob);
  }
}

// A menu may answer at once, and the answer's action remove the control.
TEST_F(VectorKnobSliderTest, AnAnswerToAPromptMayRemoveTheControl) {
  class Prompter : public IControl {
  public:
    explicit Prompter(int paramIdx) : IControl(IRECT(0, 0, 100, 120), paramIdx) { SetPromptDisabled(false); }
    void Draw(IGraphics&) override {}
  };
  IVStyle style = FlatStyle();
  style.showLabel = false;
  const auto clickValue = [this](IControl& control) {
    const IRECT& value = dynamic_cast<IVectorBase&>(control).GetValueBounds();
    input.Click((value.L + value.R) / 2.f, (value.T + value.B) / 2.f);
  };
  struct Case {
    const char* name;
    std::function<IControl*()> make;
    std::function<void(IControl&)> ask;
  };
  const std::vector<Case> cases = {
      {"a knob's value", [&] { return new IVKnobControl(IRECT(0, 0, 100, 120), kWave, "", style, true); },
       clickValue},
      {"a slider's value", [&] { return new IVSliderControl(IRECT(0, 0, 100, 120), kWave, "", style, true); },
       clickValue},
      {"a control's own prompt", [] { return new Prompter(kWave); }, [](IControl& c) { c.PromptUserInput(0); }},
  };
  for (const Case& c : cases) {
    IControl* control = Attach(c.make());
    control->SetActionFunction([this](IControl* self) { g.RemoveControl(self); });
    g.QueuePopupAnswer(testing::RecordingGraphics::PopupAnswer::Choose(2));
    c.ask(*control);
    EXPECT_EQ(g.NControls(), 1) << c.name;
  }
}

TEST_F(VectorKnobSliderTest, AKnobShowsItsParameterWithItsUnitAndADoubleClickResetsIt) {
  delegate.GetParam(kNoStep)->InitMilliseconds("Any", 2.0, 0.0, 10.0);
  auto* knob = Attach(new IVKnobControl(IRECT(0, 0, 100, 100), kNoStep, "", WidgetOnlyStyle()));
  EXPECT_STREQ(knob->GetLabelStr(), "Any");
  EXPECT_STREQ(knob->GetValueStr(), "2 ms");
  knob->SetValueFromUser(0.6);
  EXPECT_STREQ(knob->GetValueStr(), "6 ms");
  input.Click(50, 50);
  input.DoubleClick(50, 50);
  EXPECT_DOUBLE_EQ(knob->ValueAt(), 0.2);
}

TEST_F(VectorKnobSliderTest, ASliderFillsItsTrackToTheValueWithTheHandleAtTheEnd) {
  struct Case {
    EDirection direction;
    double value;
    float handleSize;
    bool inside;
    Lines expected;  // track, filled part, handle
  };
  const auto V = EDirection::Vertical;
  const auto H = EDirection::Horizontal;
  const std::string vTrack = "fill (60,0,0,0) (45,10,55,90)";
  const std::string hTrack = "fill (60,0,0,0) (10,45,90,55)";
  const std::vector<Case> cases = {
      {V, 0.0, 10, false, {vTrack, "fill (255,0,0,0) (45,90,55,90)", "fill (255,200,200,200) (40,80,60,100)"}},
      {V, 0.5, 10, false, {vTrack, "fill (255,0,0,0) (45,50,55,90)", "fill (255,200,200,200) (40,40,60,60)"}},
      {V, 1.0, 10, false, {vTrack, "fill (255,0,0,0) (45,10,55,90)", "fill (255,200,200,200) (40,0,60,20)"}},
      {H, 0.0, 10, false, {hTrack, "fill (255,0,0,0) (10,45,10,55)", "fill (255,200,200,200) (0,40,20,60)"}},
      {H, 0.5, 10, false, {hTrack, "fill (255,0,0,0) (10,45,50,55)", "fill (255,200,200,200) (40,40,60,60)"}},
      {H, 1.0, 10, false, {hTrack, "fill (255,0,0,0) (10,45,90,55)", "fill (255,200,200,200) (80,40,100,60)"}},
      {V, 0.5, 10, true,
       {"fill (60,0,0,0) (45,0,55,100)", "fill (255,0,0,0) (45,40,55,100)", "fill (255,200,200,200) (40,40,60,60)"}},
      {V, 0.5, 0, false, {"fill (60,0,0,0) (45,0,55,100)", "fill (255,0,0,0) (45,50,55,100)"}},
  };
  for (const Case& c : cases) {
    auto* slider = Attach(new IVSliderControl(IRECT(0, 0, 100, 100), nullptr, "", WidgetOnlyStyle(), false, c.direction,
                                              c.inside, 4.0, c.handleSize, 5));
    slider->SetValueAt(c.value);
    g.ClearCalls();
    slider->DrawWidget(g);
    EXPECT_EQ(testing::DrawnShapes(g), c.expected) << static_cast<int>(c.direction) << " " << c.value;
    g.RemoveControl(slider);
  }
}

// A handle too large for the widget closes the track at its centre.
TEST_F(VectorKnobSliderTest, ASliderTrackIsAStripInsideTheHandleSizeRoundedByItsShorterSide) {
  struct Case {
    EDirection direction;
    float handleSize;
    IRECT track;
  };
  IVStyle style = WidgetOnlyStyle();
  style.roundness = 0.5f;
  for (const Case& c : {Case{EDirection::Vertical, 10, IRECT(45, 10, 55, 90)},
                        Case{EDirection::Horizontal, 10, IRECT(10, 45, 90, 55)},
                        Case{EDirection::Vertical, 60, IRECT(45, 50, 55, 50)}}) {
    auto* slider = Attach(new IVSliderControl(IRECT(0, 0, 100, 100), nullptr, "", style, false, c.direction, false,
                                              4.0, c.handleSize, 5));
    EXPECT_EQ(slider->GetTrackBounds(), c.track) << c.handleSize;
    g.ClearCalls();
    slider->DrawTrack(g, slider->GetTrackBounds());
    const std::vector<double> arc = FirstArc();
    EXPECT_EQ(arc.empty() ? 0.0 : arc[2], c.handleSize < 50 ? 2.5 : 0.0) << c.handleSize;
    g.RemoveControl(slider);
  }
}

// Called directly: a widget without extent holds no point to dispatch to.
TEST_F(VectorKnobSliderTest, ControlsWithoutExtentTakeDragsWithoutSendingAValue) {
  struct Case {
    const char* name;
    std::function<IControl*()> make;
    float x, y;
  };
  const std::vector<Case> cases = {
      {"a knob of zero height", [] { return new IVKnobControl(IRECT(0, 50, 100, 50), kNoStep, "", WidgetOnlyStyle()); },
       50, 50},
      {"a range slider of zero width",
       [] {
         return new IVRangeSliderControl(IRECT(50, 0, 50, 100), {kNoStep, kEvenSteps}, "", WidgetOnlyStyle(),
                                         EDirection::Horizontal, 5);
       },
       50, 57},
  };
  for (const Case& c : cases) {
    IControl* control = Attach(c.make());
    delegate.mLog.clear();
    control->OnMouseHover(c.x, c.y, kLeftButton);
    control->OnMouseDown(c.x, c.y, kLeftButton);
    control->OnMouseDrag(c.x + 10, c.y - 10, 10, -10, kLeftButton);
    EXPECT_EQ(control->ValueAt(0), 0.0) << c.name;
    EXPECT_FALSE(Pushed()) << c.name;
    g.RemoveControl(control);
  }
}

}  // namespace
}  // namespace plugkit::graphics
