#include "graphics/controls/vector_track_controls.h"

#include <functional>
#include <string>
#include <vector>

#include "vector_controls_fixture.h"

namespace plugkit::graphics {
namespace {

using testing::FormatRect;

class Tracks : public IVTrackControlBase {
public:
  using IVTrackControlBase::IVTrackControlBase;
  void Draw(IGraphics& g) override { DrawWidget(g); }
};

using VectorTrackControlsTest = VectorControlsTest;

TEST_F(VectorTrackControlsTest, TracksShareTheWidgetLessTheirPaddingAndAreFoundByPoint) {
  struct Case {
    EDirection direction;
    float padding;
    Lines tracks;
    float x, y;
    int index;
  };
  const std::vector<Case> cases = {
      {EDirection::Vertical, 0, {"(0,0,50,100)", "(50,0,100,100)"}, 49, 50, 0},
      {EDirection::Vertical, 2, {"(0,0,48,98)", "(50,0,98,98)"}, 49, 50, -1},
      {EDirection::Horizontal, 2, {"(0,2,100,48)", "(0,52,100,98)"}, 50, 60, 1},
  };
  for (const Case& c : cases) {
    auto* tracks = new Tracks(IRECT(0, 0, 100, 100), "", WidgetOnlyStyle(), {kNoStep, kEvenSteps}, 0, c.direction);
    tracks->SetTrackPadding(c.padding);
    Attach(tracks);
    Lines rects;
    for (const IRECT& r : tracks->GetTrackBounds()) rects.push_back(FormatRect(r));
    EXPECT_EQ(rects, c.tracks) << c.padding;
    EXPECT_EQ(tracks->GetValueIndexForPosition(c.x, c.y), c.index) << c.padding;
    g.RemoveControl(tracks);
  }
}

// One vertical track over the whole widget less its padding; the fill stays inside the track.
TEST_F(VectorTrackControlsTest, AStepTrackFillsTheStepHoldingItsValue) {
  struct Case {
    int steps;
    bool zeroStep;
    double value;
    Lines expected;
    float padding = 0.f;
  };
  const auto fill = [](const char* r) { return Lines{std::string("fill (255,200,200,200) ") + r}; };
  const std::vector<Case> cases = {
      {4, true, 0.0, fill("(0,80,100,100)")},  {4, true, 0.25, fill("(0,60,100,80)")},
      {4, true, 0.5, fill("(0,40,100,60)")},   {4, true, 0.75, fill("(0,20,100,40)")},
      {4, true, 1.0, fill("(0,0,100,20)")},    {4, false, 0.0, {}},
      {4, false, 0.3, fill("(0,50,100,75)")},
      {4, true, 0.0, fill("(0,80,96,96)"), 4.f},  {4, true, 1.0, fill("(0,0,96,20)"), 4.f},
  };
  for (const Case& c : cases) {
    auto* tracks = new Tracks(IRECT(0, 0, 100, 100), "", WidgetOnlyStyle(), {kNoStep}, c.steps);
    tracks->SetZeroValueStepHasBounds(c.zeroStep);
    tracks->SetTrackPadding(c.padding);
    Attach(tracks);
    EXPECT_EQ(tracks->GetStepBounds().size(), static_cast<size_t>(c.zeroStep ? 5 : 4));
    tracks->SetValueAt(c.value);
    g.ClearCalls();
    tracks->DrawTrackFill(g, tracks->GetTrackBounds()[0], 0);
    EXPECT_EQ(testing::DrawnShapes(g), c.expected) << c.zeroStep << " " << c.value;
    g.RemoveControl(tracks);
  }
  auto* plain = Attach(new Tracks(IRECT(0, 0, 100, 100), "", WidgetOnlyStyle(), {kNoStep}, 0));
  EXPECT_TRUE(plain->GetStepBounds().empty());
}

TEST_F(VectorTrackControlsTest, ATrackFillsFromItsBaseValueInItsColoursWithAPeakAtTheValue) {
  struct Case {
    const char* name;
    double base, value;
    std::function<void(Tracks&)> setUp;
    Lines expected;
  };
  const std::string background = "fill (0,0,0,0) (0,0,100,100)";
  const std::vector<Case> cases = {
      {"from 0", 0, 0.5, [](Tracks&) {},
       {background, "fill (255,200,200,200) (0,50,100,100)", "fill (255,70,70,70) (0,50,100,51)"}},
      {"up from the base", 0.25, 0.75, [](Tracks&) {},
       {background, "fill (255,200,200,200) (0,25,100,75)", "fill (255,70,70,70) (0,25,100,26)"}},
      {"down from the base", 0.75, 0.25, [](Tracks&) {},
       {background, "fill (255,200,200,200) (0,25,100,75)", "fill (255,70,70,70) (0,74,100,75)"}},
      {"highlighted", 0, 0.5, [](Tracks& t) { t.SetHighlightedTrack(0); },
       {"fill (10,0,0,0) (0,0,100,100)", "fill (255,0,0,0) (0,50,100,100)", "fill (255,70,70,70) (0,50,100,51)"}},
      {"under the mouse", 0, 0.5, [](Tracks& t) { t.OnMouseHover(50, 50, testing::kNoButton); },
       {background, "fill (255,200,200,200) (0,50,100,100)", "fill (10,0,0,0) (0,50,100,100)",
        "fill (255,70,70,70) (0,50,100,51)"}},
  };
  for (const Case& c : cases) {
    auto* tracks = Attach(new Tracks(IRECT(0, 0, 100, 100), "", WidgetOnlyStyle(), {kNoStep}));
    tracks->SetBaseValue(c.base);
    tracks->SetValueAt(c.value);
    c.setUp(*tracks);
    EXPECT_EQ(Drawn(*tracks), c.expected) << c.name;
    g.RemoveControl(tracks);
  }
}

// Low at 0.2 and high at 0.6 on a track from 5 to 95 through the middle,
// handles of half-size 5 beside a track of half-width 2.
class RangeSliderTest : public VectorControlsTest {
protected:
  IVRangeSliderControl* Make(EDirection direction) {
    auto* range = Attach(new IVRangeSliderControl(IRECT(0, 0, 100, 100), {kNoStep, kEvenSteps}, "", WidgetOnlyStyle(),
                                                  direction, 5, 2));
    range->SetValueAt(0.2, 0);
    range->SetValueAt(0.6, 1);
    return range;
  }
};

TEST_F(RangeSliderTest, DraggedHandlesStopAtTheirNeighbours) {
  struct Case {
    float fromX, fromY, toX;
    double low, high;
  };
  for (const Case& c : {Case{23, 57, 90, 0.6, 0.6}, Case{59, 45, 10, 0.2, 0.2}, Case{23, 57, 40, 0.4, 0.6}}) {
    IVRangeSliderControl* range = Make(EDirection::Horizontal);
    input.Hover(c.fromX, c.fromY);
    input.Down(c.fromX, c.fromY);
    input.DragTo(c.toX, c.fromY);
    input.Up(c.toX, c.fromY);
    EXPECT_DOUBLE_EQ(range->ValueAt(0), c.low) << c.fromX << " to " << c.toX;
    EXPECT_DOUBLE_EQ(range->ValueAt(1), c.high) << c.fromX << " to " << c.toX;
    g.RemoveControl(range);
  }
}

// The triangle's tip, its second point, points at the track.
TEST_F(RangeSliderTest, HandlesSitOnAlternateSidesPointingAtTheTrack) {
  struct Case {
    EDirection direction;
    int slot;
    IRECT box;
    float tipX, tipY;
  };
  const std::vector<Case> cases = {
      {EDirection::Horizontal, 0, IRECT(18, 52, 28, 62), 23, 52},
      {EDirection::Horizontal, 1, IRECT(54, 40, 64, 50), 59, 50},
      {EDirection::Vertical, 0, IRECT(40, 72, 50, 82), 50, 77},
      {EDirection::Vertical, 1, IRECT(52, 36, 62, 46), 52, 41},
  };
  for (const Case& c : cases) {
    IVRangeSliderControl* range = Make(c.direction);
    EXPECT_EQ(FormatRect(range->HandleBounds(c.slot)), FormatRect(c.box));
    g.ClearCalls();
    range->DrawHandle(g, c.slot);
    const std::vector<testing::PathPoint> points = g.AllPoints();
    ASSERT_EQ(points.size(), 3u);
    EXPECT_NEAR(points[1].x, c.tipX, 1e-4) << static_cast<int>(c.direction) << " " << c.slot;
    EXPECT_NEAR(points[1].y, c.tipY, 1e-4) << static_cast<int>(c.direction) << " " << c.slot;
    g.RemoveControl(range);
  }
}

TEST_F(RangeSliderTest, TheSpanBetweenTheValuesIsFilledOverTheBaseValueLine) {
  IVRangeSliderControl* range = Make(EDirection::Horizontal);
  range->SetBaseValue(0.5);
  const Lines drawn = Drawn(*range);
  ASSERT_GE(drawn.size(), 3u);
  EXPECT_EQ(Lines(drawn.begin(), drawn.begin() + 3),
            (Lines{"fill (0,0,0,0) (0,0,100,100)", "stroke (60,0,0,0) (50,0,50,100)", "fill (255,0,0,0) (23,48,59,52)"}));
}

}  // namespace
}  // namespace plugkit::graphics
