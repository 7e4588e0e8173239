#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "framework/core/param.h"
#include "graphics/bubble_control.h"
#include "graphics/clock.h"
#include "graphics/controls/popup_menu_control.h"
#include "graphics/controls/text_entry_control.h"
#include "graphics/corner_resizer_control.h"
#include "graphics/fps_display_control.h"
#include "graphics/graphics_context.h"
#include "support/graphics/frame_runner.h"
#include "support/graphics/recording_delegate.h"
#include "support/graphics/synthetic_input.h"

namespace plugkit::graphics {
namespace {

using testing::ProbeControl;
using testing::RecordingDelegate;
using testing::RecordingGraphics;
using testing::SyntheticInput;
using Lines = std::vector<std::string>;

// A bubble whose arrow side a test may set to anything.
class SidedBubble : public IBubbleControl {
public:
  void SetSide(int side) { mArrowSide = static_cast<ESide>(side); }
};

class BuiltInControlsTest : public ::testing::Test {
protected:
  BuiltInControlsTest() { delegate.GetParam(0)->InitGain("Gain", 0.0, -70.0, 12.0, 0.1); }
  ~BuiltInControlsTest() override { GraphicsClock::PinForTesting(std::nullopt); }

  IControl* Attach(const IRECT& bounds, const char* name = "list") {
    return g.AttachControl(new ProbeControl(bounds, name));
  }
  // Where the first line starting so is; the number of lines when none does.
  static size_t Find(const Lines& lines, const std::string& start) {
    size_t i = 0;
    while (i < lines.size() && lines[i].rfind(start, 0) != 0) ++i;
    return i;
  }
  void At(double ms) {
    GraphicsClock::PinForTesting(ms);
    testing::RunFrame(g);
  }

  RecordingDelegate delegate{1};
  RecordingGraphics g{delegate, 400, 300};
  SyntheticInput input{g};
};

TEST_F(BuiltInControlsTest, TheFrameTimeDisplayCyclesThroughItsModes) {
  Attach(IRECT(0, 0, 400, 300));
  g.ShowFPSDisplay(true);
  IFPSDisplayControl* display = g.GetFPSDisplay();
  g.ShowFPSDisplay(true);
  ASSERT_EQ(g.GetFPSDisplay(), display);
  EXPECT_EQ(display->GetRECT(), IRECT(10, 10, 210, 60));
  EXPECT_STREQ(display->GetLabelStr(), "Frame Time");

  GraphicsClock::PinForTesting(1000.0);
  g.BeginFrame();
  GraphicsClock::PinForTesting(1016.0);
  g.BeginFrame();
  EXPECT_FLOAT_EQ(display->GetSample(0), 0.016f);
  testing::RunFrame(g);
  for (int frame = 0; frame < 2; ++frame)
    EXPECT_EQ(testing::RunFrame(g).dirty, (std::vector<IRECT>{{9.25f, 9.25f, 210.75f, 60.75f}}));

  struct Case {
    float seconds;
    IFPSDisplayControl::EMode mode;
    const char* firstPoint;  // where the plot starts: 60 is 0, 10 the cap
    const char* text;
  };
  const std::vector<Case> cases = {
      {0.01f, IFPSDisplayControl::kFramesPerSecond, "PathMoveTo 10 10", "100.00 FPS"},
      {0.01f, IFPSDisplayControl::kMilliseconds, "PathMoveTo 10 35", "10.00 ms"},
      {0.01f, IFPSDisplayControl::kFrameLoad, "PathMoveTo 10 30", "60.0 %"},
      {0.05f, IFPSDisplayControl::kFramesPerSecond, "PathMoveTo 10 47.502", "20.00 FPS"},
      {0.05f, IFPSDisplayControl::kMilliseconds, "PathMoveTo 10 10", "50.00 ms"},
      {0.05f, IFPSDisplayControl::kFrameLoad, "PathMoveTo 10 10", "300.0 %"},
  };
  for (const Case& c : cases) {
    for (int i = 0; i < IFPSDisplayControl::kNumSamples; ++i) display->AddSample(c.seconds);
    while (display->GetMode() != c.mode) input.Click(100, 30);
    g.ClearCalls();
    display->Draw(g);
    Lines moves;  // the background's, then the plot's
    for (const std::string& line : g.CallLines())
      if (line.rfind("PathMoveTo", 0) == 0) moves.push_back(line);
    EXPECT_EQ(moves.at(1), c.firstPoint) << c.text;
    EXPECT_STREQ(display->GetValueStr(), c.text);
  }
  input.Click(100, 30);
  EXPECT_EQ(display->GetMode(), IFPSDisplayControl::kFramesPerSecond);

  input.Down(100, 30);
  ASSERT_EQ(g.GetCapturedControl(), display);
  g.ShowFPSDisplay(false);
  EXPECT_EQ(g.GetFPSDisplay(), nullptr);
  EXPECT_EQ(g.GetCapturedControl(), nullptr);

  // Hiding it clears the mouse-over control, whichever it is.
  Attach(IRECT(300, 200, 400, 300));
  g.ShowFPSDisplay(true);
  g.EnableMouseOver(true);
  input.Hover(350, 250);
  ASSERT_NE(g.GetMouseOverControl(), nullptr);
  g.ShowFPSDisplay(false);
  EXPECT_EQ(g.GetMouseOverControl(), nullptr);
  EXPECT_EQ(g.GetMouseOverIndex(), -1);
}

TEST_F(BuiltInControlsTest, SpecialControlsComeAfterTheListAndTheResizerAndDisplayAreHitFirst) {
  IControl* list = Attach(IRECT(0, 0, 400, 300));
  g.ShowFPSDisplay(true);
  g.AttachCornerResizer(EUIResizerMode::Scale, false, kColorRed, kColorRed, kColorRed, 20.f);
  g.AttachTextEntryControl();
  g.AttachPopupMenuControl();
  g.AttachBubbleControl();
  g.AttachBubbleControl();
  std::vector<IControl*> walked;
  g.ForAllControlsFunc([&](IControl* control) { walked.push_back(control); });
  EXPECT_EQ(walked, (std::vector<IControl*>{list, g.GetFPSDisplay(), g.GetCornerResizer(), g.GetTextEntryControl(),
                                            g.GetPopupMenuControl(), g.GetBubbleControl(0), g.GetBubbleControl(1)}));

  g.ShowBubbleControl(list, 300, 100, "bubble");
  g.ClearCalls();
  testing::RunFrame(g);
  const Lines lines = g.CallLines();
  std::vector<size_t> order;
  for (const char* start : {"Note list", "DrawText \"Frame Time\"", "FillPath solid(255,255,0,0)", "DrawBoxShadow"})
    order.push_back(Find(lines, start));
  EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
  EXPECT_LT(order.back(), lines.size());

  EXPECT_EQ(g.GetMouseControl(390, 290, false), g.GetCornerResizer());
  EXPECT_EQ(g.GetMouseControl(50, 30, false), g.GetFPSDisplay());
  EXPECT_EQ(g.GetMouseControl(300, 100, false), list);
}

std::vector<float> Size(const IGraphics& g) {
  return {static_cast<float>(g.Width()), static_cast<float>(g.Height()), g.GetDrawScale()};
}

TEST_F(BuiltInControlsTest, TheCornerResizerFollowsTheCornerAndResizesTheEditor) {
  RecordingGraphics zoomed{delegate, 400, 300, 60, 2.f};
  zoomed.AttachCornerResizer(EUIResizerMode::Scale, false, kColorRed, kColorRed, kColorRed, 20.f);
  EXPECT_EQ(zoomed.GetCornerResizer()->GetRECT(), IRECT(390, 290, 400, 300));

  struct Case {
    EUIResizerMode mode;
    float toX, toY;
    int width, height;
    float scale;
    IRECT resizer;
  };
  const std::vector<Case> cases = {
      {EUIResizerMode::Scale, 474, 354, 400, 300, 1.2f, {383.333f, 283.333f, 400, 300}},
      {EUIResizerMode::Size, 500, 350, 500, 350, 1.f, {480, 330, 500, 350}},
  };
  for (const Case& c : cases) {
    RecordingGraphics editor{delegate, 400, 300};
    SyntheticInput pointer{editor};
    editor.AttachCornerResizer(c.mode, false, kColorRed, kColorRed, kColorRed, 20.f);
    pointer.Down(395, 295);
    EXPECT_TRUE(editor.IsResizingInProcess());
    pointer.DragTo(c.toX, c.toY);
    pointer.Up(c.toX, c.toY);
    EXPECT_FALSE(editor.IsResizingInProcess());
    EXPECT_EQ(Size(editor), (std::vector<float>{float(c.width), float(c.height), c.scale}));
    const IRECT r = editor.GetCornerResizer()->GetRECT();
    EXPECT_NEAR(r.L, c.resizer.L, 1e-3);
    EXPECT_EQ(r.B, c.resizer.B);

    editor.Resize(600, 450, 2.f, true);
    pointer.DoubleClick(599, 449);
    EXPECT_EQ(Size(editor), (std::vector<float>{400, 300, 1}));
  }
}

TEST_F(BuiltInControlsTest, TheCornerResizerSetsTheCursorAndColourByItsState) {
  Attach(IRECT(0, 0, 400, 300));
  const IColor normal(255, 1, 0, 0), over(255, 2, 0, 0), drag(255, 3, 0, 0);
  g.AttachCornerResizer(EUIResizerMode::Scale, false, normal, over, drag, 20.f);
  g.AttachCornerResizer(EUIResizerMode::Size, true);  // a second changes nothing
  EXPECT_EQ(g.GetGUISizeMode(), EUIResizerMode::Scale);
  ICornerResizerControl* resizer = g.GetCornerResizer();
  const auto colour = [&] {  // the fill's paint
    g.ClearCalls();
    resizer->Draw(g);
    const Lines lines = g.CallLines();
    return lines.at(Find(lines, "FillPath")).substr(0, 25);
  };
  EXPECT_EQ(colour(), "FillPath solid(255,1,0,0)");
  g.SetCursor(11);
  input.Hover(395, 295);
  EXPECT_EQ(g.CursorKind(), ICornerResizerControl::kResizeCursor);
  EXPECT_EQ(colour(), "FillPath solid(255,2,0,0)");
  input.Down(395, 295);
  EXPECT_EQ(colour(), "FillPath solid(255,3,0,0)");
  input.Up(395, 295);
  input.Hover(100, 100);
  EXPECT_EQ(g.CursorKind(), 11);
  EXPECT_EQ(colour(), "FillPath solid(255,1,0,0)");
}

TEST_F(BuiltInControlsTest, BubblesArePlacedBesideTheirCallerAndFlipAtTheEdges) {
  g.AttachBubbleControl();
  IBubbleControl* bubble = g.GetBubbleControl(0);
  IControl* caller = Attach(IRECT(300, 90, 380, 110));
  IControl* topCaller = Attach(IRECT(80, 20, 120, 40));
  // "abc" measures 21 x 14: the bubble is 21 + 2 x (10 + 5) wide and 14 + 2 x 10 high.
  struct Case {
    const char* name;
    IControl* caller;
    float x, y;
    EDirection direction;
    IRECT minimum;
    IRECT expected;
    ESide side;
  };
  const std::vector<Case> cases = {
      {"right of the point", caller, 100, 100, EDirection::Horizontal, {}, {100, 83, 151, 117}, ESide::Left},
      {"left of the caller at the right edge", caller, 380, 100, EDirection::Horizontal, {}, {249, 83, 300, 117},
       ESide::Right},
      {"above the point", caller, 100, 100, EDirection::Vertical, {}, {74.5f, 66, 125.5f, 100}, ESide::Bottom},
      {"below the caller at the top edge", topCaller, 100, 20, EDirection::Vertical, {}, {74.5f, 40, 125.5f, 74},
       ESide::Top},
      {"content at least the minimum", caller, 100, 100, EDirection::Horizontal, {0, 0, 60, 30},
       {100, 75, 190, 125}, ESide::Left},
  };
  for (const Case& c : cases) {
    g.ShowBubbleControl(c.caller, c.x, c.y, "abc", c.direction, c.minimum);
    EXPECT_EQ(bubble->GetBubbleBounds(), c.expected) << c.name;
    EXPECT_EQ(bubble->GetArrowSide(), c.side) << c.name;
  }

  // The same caller: the control covers both places; a new caller: only the new one.
  g.ShowBubbleControl(caller, 200, 100, "abc");
  EXPECT_EQ(bubble->GetRECT(), IRECT(100, 75, 251, 125));
  g.ShowBubbleControl(topCaller, 120, 100, "abc");
  EXPECT_EQ(bubble->GetRECT(), IRECT(120, 83, 171, 117));
}

TEST_F(BuiltInControlsTest, BubbleOutlinesPutTheArrowOnItsSide) {
  SidedBubble bubble;
  struct Case {
    int side;
    Lines tip;  // what follows the first corner's arc: the arrow, or for an open outline the end
  };
  const std::vector<Case> cases = {
      {0, {"PathLineTo 45 20", "PathLineTo 50 10", "PathLineTo 55 20", "PathArc 95 25 5 0 90 0"}},
      {1, {"PathArc 95 25 5 0 90 0", "PathLineTo 100 35", "PathLineTo 110 40", "PathLineTo 100 45"}},
      {2, {"PathArc 95 25 5 0 90 0", "PathArc 95 55 5 90 180 0", "PathLineTo 55 60", "PathLineTo 50 70"}},
      {3, {"PathArc 95 25 5 0 90 0", "PathArc 95 55 5 90 180 0", "PathArc 5 55 5 180 270 0", "PathLineTo 0 45"}},
      {7, {"PathClose", "FillPath solid(255,255,255,255) rule=0 preserve blend=(0,0)",
           "StrokePath solid(255,0,0,0) 2 miter=10 cap=0 join=0 blend=(0,0)"}},
  };
  for (const Case& c : cases) {
    bubble.SetSide(c.side);
    g.ClearCalls();
    bubble.DrawBubble(g, IRECT(0, 20, 100, 60));
    const Lines lines = g.CallLines();
    ASSERT_EQ(Lines(lines.begin(), lines.begin() + 2), (Lines{"PathMoveTo 0 25", "PathArc 5 25 5 270 360 0"}));
    EXPECT_EQ(Lines(lines.begin() + 2, lines.begin() + 2 + static_cast<long>(c.tip.size())), c.tip) << c.side;
    EXPECT_EQ(lines.size() == 5u, c.side == 7) << c.side;
  }

  g.ClearCalls();
  bubble.Draw(g);  // no text
  EXPECT_EQ(g.CountCalls("DrawText"), 0);
  EXPECT_EQ(g.CallLines().at(0), "DrawBoxShadow (10,10,-10,-10) (0,0,0,0) 2 5 10 blend=(0,0)");
}

TEST_F(BuiltInControlsTest, ABubbleFadesInHoldsWhileItsCallerIsHeldThenFadesOut) {
  g.AttachBubbleControl();
  IBubbleControl* bubble = g.GetBubbleControl(0);
  IControl* caller = Attach(IRECT(100, 100, 140, 120));
  struct Step {
    double ms;
    float opacity;
    IBubbleControl::EState state;
  };
  const auto run = [&](const std::vector<Step>& steps, const char* name) {
    for (const Step& step : steps) {
      At(step.ms);
      EXPECT_NEAR(bubble->GetOpacity(), step.opacity, 1e-4) << name << " at " << step.ms;
      EXPECT_EQ(bubble->GetState(), step.state) << name << " at " << step.ms;
      EXPECT_EQ(bubble->IsHidden(), step.state == IBubbleControl::kHidden) << name << " at " << step.ms;
    }
  };
  using S = IBubbleControl;
  GraphicsClock::PinForTesting(0.0);
  g.ShowBubbleControl(caller, 140, 110, "x");
  run({{100, 0.475f, S::kFadingIn}, {200, 0.95f, S::kFadingIn}, {201, 0.95f, S::kShown}, {1201, 0.95f, S::kShown},
       {1202, 0.95f, S::kFadingOut}, {1302, 0.475f, S::kFadingOut}, {1402, 0.f, S::kFadingOut},
       {1403, 0.f, S::kHidden}},
      "never held");

  input.Down(110, 110);
  GraphicsClock::PinForTesting(2000.0);
  g.ShowBubbleControl(caller, 140, 110, "x");
  run({{2201, 0.95f, S::kShown}, {3202, 0.95f, S::kShown}, {3403, 0.95f, S::kShown}}, "held");
  input.Up(110, 110);
  run({{3604, 0.95f, S::kFadingOut}, {3805, 0.f, S::kHidden}}, "released");

  // A caller removed while held: the bubble forgets it and fades out though the mouse holds another control.
  IControl* other = Attach(IRECT(200, 200, 240, 220));
  input.Down(110, 110);
  GraphicsClock::PinForTesting(4000.0);
  g.ShowBubbleControl(caller, 140, 110, "x");
  run({{4201, 0.95f, S::kShown}}, "held again");
  g.RemoveControl(caller);
  EXPECT_EQ(bubble->GetCaller(), nullptr);
  input.Down(210, 210);
  ASSERT_EQ(g.GetCapturedControl(), other);
  run({{5202, 0.95f, S::kFadingOut}, {5403, 0.f, S::kHidden}}, "caller removed");
}

TEST_F(BuiltInControlsTest, ShowActionsAnchorTheValueAndTouchesShareTheBubbles) {
  g.AttachBubbleControl();
  g.AttachBubbleControl();
  IControl* knob = g.AttachControl(new ProbeControl(IRECT(100, 100, 140, 120), "knob"));
  knob->LinkValueToParam(0, 0);
  IBubbleControl* first = g.GetBubbleControl(0);
  StrBuf shown;
  knob->ParamDisplayTextWithLabel(0, shown);
  ShowBubbleVerticalAction(knob);
  EXPECT_STREQ(first->GetBubbleText(), shown.Get());
  EXPECT_NE(std::string(shown.Get()).find(" dB"), std::string::npos);
  EXPECT_EQ(first->GetBubbleBounds().B, 100.f);
  EXPECT_EQ(first->GetBubbleBounds().L + first->GetBubbleBounds().W() / 2.f, 120.f);
  ShowBubbleHorizontalAction(knob);
  EXPECT_EQ(first->GetBubbleBounds().L, 140.f);
  EXPECT_EQ(first->GetBubbleBounds().T + first->GetBubbleBounds().H() / 2.f, 110.f);

  g.EnableMultiTouch(true);
  IControl* a = Attach(IRECT(0, 0, 50, 50));
  IControl* b = Attach(IRECT(60, 0, 110, 50));
  g.ShowBubbleControl(a, 50, 25, "a");  // held by no touch
  EXPECT_STREQ(first->GetBubbleText(), shown.Get());
  input.TouchesDown({{1, 10, 10}, {2, 70, 10}});
  g.ShowBubbleControl(a, 50, 25, "a");
  g.ShowBubbleControl(b, 110, 25, "b");
  IBubbleControl* forA = first->GetTouchId() == 1 ? first : g.GetBubbleControl(1);
  IBubbleControl* forB = forA == first ? g.GetBubbleControl(1) : first;
  EXPECT_STREQ(forA->GetBubbleText(), "a");
  EXPECT_STREQ(forB->GetBubbleText(), "b");
  EXPECT_EQ(forB->GetTouchId(), 2u);
  g.ShowBubbleControl(a, 50, 25, "a again");
  EXPECT_STREQ(forA->GetBubbleText(), "a again");
}

}  // namespace
}  // namespace plugkit::graphics
