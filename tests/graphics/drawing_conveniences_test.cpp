#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "graphics/graphics_context.h"
#include "support/graphics/fake_resources.h"
#include "support/graphics/recording_delegate.h"

namespace plugkit::graphics {
namespace {

using testing::FakeBitmap;
using testing::RecordingDelegate;
using testing::RecordingGraphics;
using Lines = std::vector<std::string>;

class DrawingConveniencesTest : public ::testing::Test {
protected:
  // "(L,T,R,B) srcX,srcY" of every DrawBitmap since the last clear.
  Lines BitmapDraws() const {
    Lines draws;
    for (const testing::RecordedCall& call : g.Calls())
      if (call.kind == "DrawBitmap")
        draws.push_back(testing::FormatRect(*call.rect) + " " + testing::FormatNumber(call.args[0]) + "," +
                        testing::FormatNumber(call.args[1]));
    return draws;
  }
  // The points of the path calls since the last clear.
  Lines PathPoints() const {
    Lines points;
    for (const std::string& line : g.CallLines())
      if (line.rfind("PathMoveTo", 0) == 0 || line.rfind("PathLineTo", 0) == 0) points.push_back(line);
    return points;
  }

  RecordingDelegate delegate{0};
  RecordingGraphics g{delegate, 200, 100};
};

TEST_F(DrawingConveniencesTest, BitmapFramesAreClampedAndOffsetAlongTheStrip) {
  FakeBitmap vertical(30, 100);
  FakeBitmap horizontal(100, 30);
  struct Case {
    IBitmap bitmap;
    int frame;
    Lines draws;
  };
  const Case cases[] = {
      {IBitmap(&vertical, 3, false), 0, {"(0,0,10,10) 0,0"}},
      {IBitmap(&vertical, 3, false), -2, {"(0,0,10,10) 0,0"}},
      {IBitmap(&vertical, 3, false), 2, {"(0,0,10,10) 0,33"}},
      {IBitmap(&vertical, 3, false), 9, {"(0,0,10,10) 0,66"}},
      {IBitmap(&horizontal, 3, true), 3, {"(0,0,10,10) 66,0"}},
      {IBitmap(&vertical, 0, false), 1, {}},  // no frames
      {IBitmap(), 1, {}},                     // no pixels
  };
  for (const Case& c : cases) {
    g.ClearCalls();
    g.DrawBitmapFrame(c.bitmap, IRECT(0, 0, 10, 10), c.frame);
    EXPECT_EQ(BitmapDraws(), c.draws) << c.frame;
  }
}

// A font of 8 x 10 cells stacked in a strip of 96 characters from the space:
// character c shows at source y (c - 32) x 10.
TEST_F(DrawingConveniencesTest, BitmapFontTextIsPlacedCellByCell) {
  FakeBitmap strip(8, 960);
  const IBitmap font(&strip, 96, false);
  FakeBitmap shortStrip(8, 20);
  const IText left(10, kColorBlack, nullptr, EAlign::Near);
  const IText centre(10, kColorBlack, nullptr, EAlign::Center);
  const IText right(10, kColorBlack, nullptr, EAlign::Far);
  struct Case {
    const char* what;
    IBitmap bitmap;
    IText text;
    const char* str;
    bool vCenter, multiline;
    int charWidth;
    Lines draws;
  };
  const Case cases[] = {
      {"left, cells 10 apart", font, left, "A!", false, false, 8, {"(0,0,8,10) 0,330", "(10,0,18,10) 0,10"}},
      {"centred both ways", font, centre, "AB", true, false, 8, {"(22,5,30,15) 0,330", "(32,5,40,15) 0,340"}},
      {"right", font, right, "A", false, false, 8, {"(52,0,60,10) 0,330"}},
      {"control and high codes show the space", font, left, "\t\xc3", false, false, 8,
       {"(0,0,8,10) 0,0", "(10,0,18,10) 0,0"}},
      {"codes past the strip show its last frame", IBitmap(&shortStrip, 2, false), left, "A", false, false, 8,
       {"(0,0,8,10) 0,10"}},
      {"one line is cut to the cells that fit", font, left, "ABCDEFGH", false, false, 8,
       {"(0,0,8,10) 0,330", "(10,0,18,10) 0,340", "(20,0,28,10) 0,350", "(30,0,38,10) 0,360",
        "(40,0,48,10) 0,370", "(50,0,58,10) 0,380", "(60,0,68,10) 0,390"}},
      {"lines break where cells no longer fit", font, left, "ABCDEFGHIJ", false, true, 8,
       {"(0,0,8,10) 0,330", "(10,0,18,10) 0,340", "(20,0,28,10) 0,350", "(30,0,38,10) 0,360",
        "(40,0,48,10) 0,370", "(50,0,58,10) 0,380", "(60,0,68,10) 0,390", "(0,10,8,20) 0,400",
        "(10,10,18,20) 0,410", "(20,10,28,20) 0,420"}},
      {"a last line of its own", font, left, "ABCDEFG", false, true, 25,
       {"(0,0,25,10) 0,330", "(27,0,52,10) 0,340", "(0,10,25,20) 0,350", "(27,10,52,20) 0,360",
        "(0,20,25,30) 0,370", "(27,20,52,30) 0,380", "(0,30,25,40) 0,390"}},
      {"no cell width", font, left, "A", false, false, 0, {}},
      {"no text", font, left, "", false, false, 8, {}},
  };
  for (const Case& c : cases) {
    g.ClearCalls();
    g.DrawBitmapedText(c.bitmap, IRECT(0, 0, 60, 20), c.text, nullptr, c.str, c.vCenter, c.multiline, c.charWidth,
                       10, 2);
    EXPECT_EQ(BitmapDraws(), c.draws) << c.what;
  }
}

TEST_F(DrawingConveniencesTest, LinesAcrossRectanglesAndAlongRadii) {
  const IRECT r(10, 0, 20, 10);
  struct Case {
    const char* what;
    std::function<void()> draw;
    Lines points;
  };
  const Case cases[] = {
      {"vertical", [&] { g.DrawVerticalLine(kColorRed, 3, 1, 2); }, {"PathMoveTo 3 1", "PathLineTo 3 2"}},
      {"horizontal", [&] { g.DrawHorizontalLine(kColorRed, 3, 1, 2); }, {"PathMoveTo 1 3", "PathLineTo 2 3"}},
      {"vertical at 1.5", [&] { g.DrawVerticalLineAt(kColorRed, r, 1.5f); }, {"PathMoveTo 20 0", "PathLineTo 20 10"}},
      {"vertical at -1", [&] { g.DrawVerticalLineAt(kColorRed, r, -1.f); }, {"PathMoveTo 10 0", "PathLineTo 10 10"}},
      {"vertical truncated", [&] { g.DrawLineAcross(kColorRed, r, EDirection::Vertical, 0.55f); },
       {"PathMoveTo 15 0", "PathLineTo 15 10"}},
      {"horizontal not truncated", [&] { g.DrawLineAcross(kColorRed, r, EDirection::Horizontal, 0.55f); },
       {"PathMoveTo 10 4.5", "PathLineTo 20 4.5"}},
      {"radial at 0 goes up", [&] { g.DrawRadialLine(kColorRed, 50, 50, 0, 10, 20); },
       {"PathMoveTo 50 40", "PathLineTo 50 30"}},
      {"radial at 90 goes right", [&] { g.PathRadialLine(50, 50, 90, 10, 20); },
       {"PathMoveTo 60 50", "PathLineTo 70 50"}},
  };
  for (const Case& c : cases) {
    g.ClearCalls();
    c.draw();
    EXPECT_EQ(PathPoints(), c.points) << c.what;
  }
  g.ClearCalls();
  g.DrawBitmapedTextHelper(kDefaultText, "at", 5, 6);
  EXPECT_EQ(g.Calls().at(0).rect, IRECT(5, 6, 5, 6));
}

}  // namespace
}  // namespace plugkit::graphics
