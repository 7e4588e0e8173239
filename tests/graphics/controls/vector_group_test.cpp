#include "graphics/controls/vector_group.h"

#include <string>
#include <vector>

#include "vector_controls_fixture.h"

namespace plugkit::graphics {
namespace {

using testing::FormatNumber;
using VectorGroupTest = VectorControlsTest;

// The path calls of the last drawing and the stroke, with their arguments.
Lines PathCalls(const testing::RecordingGraphics& g) {
  Lines lines;
  for (const auto& call : g.Calls()) {
    if (call.kind != "PathMoveTo" && call.kind != "PathArc" && call.kind != "PathLineTo") continue;
    std::string line = call.kind;
    for (double arg : call.args) line += " " + FormatNumber(arg);
    lines.push_back(line);
  }
  return lines;
}

TEST_F(VectorGroupTest, TheFrameTakesTheUnionOfItsGroupGrownByThePadding) {
  struct Case {
    const char* name;
    std::vector<IRECT> members;
    bool groupInItsGroup;
    IRECT expected;
  };
  const std::vector<Case> cases = {
      {"three controls", {IRECT(50, 60, 90, 100), IRECT(120, 40, 160, 80), IRECT(70, 110, 100, 130)}, false,
       IRECT(48, 36, 166, 138)},
      {"an empty rectangle left out", {IRECT(50, 60, 90, 100), IRECT()}, false, IRECT(48, 56, 96, 108)},
      {"no controls", {}, false, IRECT(-2, -4, 6, 8)},
      {"the group in its own group", {IRECT(50, 60, 90, 100)}, true, IRECT(48, 56, 96, 108)},
  };
  for (const Case& c : cases) {
    const int before = g.NControls();
    for (const IRECT& r : c.members) Attach(new IVLabelControl(r), "amp");
    auto* group = Attach(new IVGroupControl("", "amp", 2, 4, 6, 8), c.groupInItsGroup ? "amp" : "");
    EXPECT_EQ(group->GetRECT(), c.expected) << c.name;
    EXPECT_EQ(group->GetTargetRECT(), c.expected) << c.name;
    group->SetBoundsBasedOnGroup("amp", 2, 4, 6, 8);
    EXPECT_EQ(group->GetRECT(), c.expected) << c.name << ", again";
    g.RemoveControls(before);
  }
}

TEST_F(VectorGroupTest, TheFrameRunsClockwiseFromTheLabelsRightEdgeToItsLeftEdge) {
  struct Case {
    const char* name;
    const char* label;
    bool shadows;
    IRECT labelBounds;
    float top;     // of the frame, through the label's middle
    float radius;  // roundness 0.5 of half the widget's height, which the frame's top raised
    std::string from, to, stroke;
  };
  const std::vector<Case> cases = {
      {"labelled", "Amp", false, IRECT(124.75f, 100, 174.75f, 120), 110, 22.75f,
       "PathMoveTo 174.75 110", "PathLineTo 124.75 110", "stroke (255,70,70,70) (101,110,299,199) w=2"},
      {"labelled, shadowed", "Amp", true, IRECT(124.75f, 100, 174.75f, 120), 110, 22.75f,
       "PathMoveTo 174.75 110", "PathLineTo 124.75 110", "stroke (60,0,0,0) (101,110,299,199) w=2"},
      {"without a label", "", false, IRECT(), 100, 25.25f, "PathMoveTo 200 100", "PathLineTo 200 100",
       "stroke (255,70,70,70) (101,100,299,199) w=2"},
  };
  for (const Case& c : cases) {
    IVStyle style = FlatStyle();
    style.frameThickness = 2;
    style.roundness = 0.5f;
    style.drawShadows = c.shadows;
    auto* group = Attach(new IVGroupControl(IRECT(100, 100, 300, 200), c.label, 10, style));
    EXPECT_EQ(group->GetLabelBounds(), c.labelBounds) << c.name;
    const Lines drawn = Drawn(*group);
    const Lines path = PathCalls(g);
    ASSERT_EQ(path.size(), 6u) << c.name;
    EXPECT_EQ(path.front(), c.from) << c.name;
    EXPECT_EQ(path.back(), c.to) << c.name;
    const float r = c.radius;
    const float top = c.top;
    const auto arc = [&](float cx, float cy, int from) {
      return "PathArc " + FormatNumber(cx) + " " + FormatNumber(cy) + " " + FormatNumber(r) + " " +
             std::to_string(from) + " " + std::to_string(from + 90) + " 0";
    };
    EXPECT_EQ(Lines(path.begin() + 1, path.end() - 1),
              (Lines{arc(299 - r, top + r, 0), arc(299 - r, 199 - r, 90), arc(101 + r, 199 - r, 180),
                     arc(101 + r, top + r, 270)}))
        << c.name;
    EXPECT_EQ(drawn.back(), c.stroke) << c.name;
    const auto& stroke = g.Calls().back();
    ASSERT_TRUE(stroke.strokeStyle) << c.name;
    EXPECT_EQ(stroke.strokeStyle->mMiterLimit, 10.f) << c.name;
    g.RemoveControl(group);
  }
}

}  // namespace
}  // namespace plugkit::graphics
