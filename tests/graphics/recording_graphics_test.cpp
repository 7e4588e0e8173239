#include "support/graphics/recording_graphics.h"

#include <CoreFoundation/CoreFoundation.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "graphics/graphics_editor_delegate.h"
#include "standin/testing/run_loop.h"

namespace plugkit::graphics {
namespace {

using testing::RecordingGraphics;
using Lines = std::vector<std::string>;

class RecordingGraphicsTest : public ::testing::Test {
protected:
  IGEditorDelegate delegate{0};
  RecordingGraphics g{delegate, 100, 100};
};

// Geometry mode maps each point through the transform last set and reads arcs
// in degrees clockwise from twelve o'clock, joined to the current point.
TEST_F(RecordingGraphicsTest, GeometryModeMapsPointsThroughTheTransform) {
  g.SetGeometryMode(true);
  g.PathTransformTranslate(10, 20);
  g.PathClear();
  g.PathArc(0, 0, 5, 0, 90);  // after PathClear: starts a sub-path at twelve o'clock
  g.PathArc(0, 0, 5, 180, 90, EWinding::CCW);
  g.PathLineTo(1, 1);
  const std::vector<testing::PathPoint> first = g.Calls()[2].points;
  ASSERT_EQ(first.size(), 10u);  // 90 degrees in steps of 10
  EXPECT_TRUE(first.front().moveTo);
  EXPECT_NEAR(first.front().x, 10, 1e-9);
  EXPECT_NEAR(first.front().y, 15, 1e-9);
  EXPECT_NEAR(first.back().x, 15, 1e-9);  // three o'clock
  EXPECT_NEAR(first.back().y, 20, 1e-9);
  const std::vector<testing::PathPoint> second = g.Calls()[3].points;
  EXPECT_FALSE(second.front().moveTo);  // joined by a line
  EXPECT_NEAR(second.front().y, 25, 1e-9);
  EXPECT_NEAR(second[4].x, 10 + 5 * std::sin(140 * std::numbers::pi / 180), 1e-9);  // counter-clockwise: 180 down to 90
  EXPECT_EQ(g.CallLines().back(), "PathLineTo 1 1 -> 11,21");
}

TEST_F(RecordingGraphicsTest, TextHasFixedMetricsPlacedByTheAlignments) {
  struct Case {
    IText text;
    const char* str;
    IRECT expected;
  };
  const std::vector<Case> cases = {
      {IText(10.f), "abcd", IRECT(40, 45, 60, 55)},  // 0.5 x size per code point, centred
      {IText(10.f, kColorBlack, nullptr, EAlign::Near, EVAlign::Top), "ab", IRECT(0, 0, 10, 10)},
      {IText(10.f, kColorBlack, nullptr, EAlign::Far, EVAlign::Bottom), "\xc3\xa9t\xc3\xa9", IRECT(85, 90, 100, 100)},
      {IText(10.f, kColorBlack, nullptr, EAlign::Center, EVAlign::Middle, 90.f), "abcd", IRECT(45, 40, 55, 60)},
  };
  for (const Case& c : cases) {
    IRECT bounds(0, 0, 100, 100);
    const float width = g.MeasureText(c.text, c.str, bounds);
    EXPECT_NEAR(bounds.L, c.expected.L, 1e-4) << c.str;
    EXPECT_NEAR(bounds.T, c.expected.T, 1e-4) << c.str;
    EXPECT_NEAR(bounds.R, c.expected.R, 1e-4) << c.str;
    EXPECT_NEAR(bounds.B, c.expected.B, 1e-4) << c.str;
    EXPECT_NEAR(width, c.expected.W(), 1e-4) << c.str;
  }
}

TEST_F(RecordingGraphicsTest, PopupMenusAnswerFromTheQueue) {
  IPopupMenu menu("Kinds", 0, false, {"a", "b", "c"});
  int completions = 0;
  menu.SetFunction([&](IPopupMenu*) { ++completions; });
  g.QueuePopupAnswer(RecordingGraphics::PopupAnswer::Choose(1));
  g.QueuePopupAnswer(RecordingGraphics::PopupAnswer::Async(2));
  bool isAsync = true;
  EXPECT_EQ(g.ShowPlatformPopupMenu(menu, IRECT(0, 0, 10, 10), isAsync), &menu);
  EXPECT_FALSE(isAsync);
  EXPECT_EQ(menu.GetChosenItemIdx(), 1);
  EXPECT_EQ(completions, 1);

  EXPECT_EQ(g.ShowPlatformPopupMenu(menu, IRECT(0, 0, 10, 10), isAsync), nullptr);
  EXPECT_TRUE(isAsync);
  EXPECT_EQ(completions, 1);
  standin::testing::RunOnce();
  EXPECT_EQ(menu.GetChosenItemIdx(), 2);
  EXPECT_EQ(completions, 2);

  // With nothing queued the menu is dismissed.
  EXPECT_EQ(g.ShowPlatformPopupMenu(menu, IRECT(0, 0, 10, 10), isAsync), nullptr);
  EXPECT_FALSE(isAsync);
  EXPECT_EQ(g.Log(), (Lines{"popup menu: Kinds (3 items) at (0,0,10,10)", "popup menu: Kinds (3 items) at (0,0,10,10)",
                            "popup menu result 2", "popup menu: Kinds (3 items) at (0,0,10,10)"}));
}

TEST_F(RecordingGraphicsTest, ClipboardLinksAndBitmapExtensionsAnswerAsScripted) {
  StrBuf text;
  EXPECT_FALSE(g.ClipboardText(text));
  EXPECT_TRUE(g.SetClipboardText("DNA"));
  EXPECT_TRUE(g.ClipboardText(text));
  EXPECT_STREQ(text.Get(), "DNA");
  g.RefuseClipboardWrites(true);
  EXPECT_FALSE(g.SetClipboardText("other"));
  EXPECT_EQ(g.Clipboard(), "DNA");
  g.SetOpenLinkAnswer(false);
  EXPECT_FALSE(g.OpenLink("https://example.invalid"));

  for (const char* ext : {"png", "PNG", "jpg", "JpEg"}) EXPECT_TRUE(g.IsSupportedBitmapExtension(ext)) << ext;
  for (const char* ext : {"gif", "apng", "", "png2"}) EXPECT_FALSE(g.IsSupportedBitmapExtension(ext)) << ext;
}

}  // namespace
}  // namespace plugkit::graphics
