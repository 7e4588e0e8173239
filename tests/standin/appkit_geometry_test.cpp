// Coordinates between views, windows and the screen, what a view shows, and
// which view is under a point.

#include "appkit_fixture.h"

namespace {

using standin::testing::MakeHostWindow;

// A window at screen (200, 300) whose content view holds a 300 x 200 view at
// (100, 50), which holds a 20 x 20 view at (5, 5).
class NestedViewScene {
public:
  NestedViewScene(bool outerFlipped, bool innerFlipped)
      : window(MakeHostWindow(NS::MakeRect(200, 300, 800, 600))),
        outer(new LoggingView("outer", log, outerFlipped)),
        inner(new LoggingView("inner", log, innerFlipped)) {
    outer->initWithFrame(NS::MakeRect(100, 50, 300, 200));
    inner->initWithFrame(NS::MakeRect(5, 5, 20, 20));
    outer->addSubview(inner);
    window->contentView()->addSubview(outer);
  }
  ~NestedViewScene() {
    inner->release();
    outer->release();
    window->release();
  }

  std::vector<std::string> log;
  NS::Window* window;
  LoggingView* outer;
  LoggingView* inner;
};

TEST_F(AppKitTest, PointsMapBetweenViewWindowAndScreen) {
  struct Case {
    bool outerFlipped, innerFlipped, fromInner;
    NS::Point inView, inWindow;
  };
  const Case cases[] = {
      {true, false, false, {10, 20}, {110, 230}},   // flipped: y measured down from the top
      {false, false, false, {10, 20}, {110, 70}},   //
      {true, false, true, {1, 2}, {106, 227}},      // an unflipped view inside a flipped one
      {false, true, true, {1, 2}, {106, 73}},       // a flipped view inside an unflipped one
      {true, true, true, {1, 2}, {106, 243}},       // flipped in flipped: offsets add up
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.outerFlipped << c.innerFlipped << c.fromInner);
    NestedViewScene scene(c.outerFlipped, c.innerFlipped);
    NS::View* view = c.fromInner ? static_cast<NS::View*>(scene.inner) : scene.outer;
    const NS::Point inScreen{c.inWindow.x + 200, c.inWindow.y + 300};
    EXPECT_EQ(view->convertPointToView(c.inView, nullptr), c.inWindow);
    EXPECT_EQ(scene.window->convertPointToScreen(c.inWindow), inScreen);
    EXPECT_EQ(scene.window->convertPointFromScreen(inScreen), c.inWindow);
    EXPECT_EQ(view->convertPointFromView(c.inWindow, nullptr), c.inView);
    EXPECT_EQ(scene.window->contentView()->convertPointFromView(c.inView, view), c.inWindow);
    EXPECT_EQ(scene.window->convertRectToScreen(NS::Rect{c.inWindow, NS::Size{4, 4}}),
              (NS::Rect{inScreen, NS::Size{4, 4}}));
  }
}

TEST_F(AppKitTest, VisibleRectIsTheBoundsClippedByEveryAncestor) {
  struct Case {
    const char* name;
    bool innerFlipped;
    NS::Rect innerFrame;
    bool hideOuter;
    NS::Rect visible;
  };
  const Case cases[] = {
      {"half outside to the right", false, NS::MakeRect(150, 20, 300, 40), false, NS::MakeRect(0, 0, 150, 40)},
      {"flipped, half outside the top", true, NS::MakeRect(0, 180, 50, 40), false, NS::MakeRect(0, 20, 50, 20)},
      {"wholly inside", false, NS::MakeRect(10, 10, 20, 20), false, NS::MakeRect(0, 0, 20, 20)},
      {"wholly outside", false, NS::MakeRect(400, 10, 20, 20), false, NS::Rect{}},
      {"under a hidden ancestor", false, NS::MakeRect(10, 10, 20, 20), true, NS::Rect{}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NestedViewScene scene(false, c.innerFlipped);
    scene.inner->setFrame(c.innerFrame);
    scene.outer->setHidden(c.hideOuter);
    EXPECT_EQ(scene.inner->visibleRect(), c.visible);
  }
  NestedViewScene clippedByTheWindow(false, false);
  clippedByTheWindow.outer->setFrameOrigin(NS::Point{700, 500});
  EXPECT_EQ(clippedByTheWindow.outer->visibleRect(), NS::MakeRect(0, 0, 100, 100));
}

TEST_F(AppKitTest, HitTestFindsTheDeepestVisibleViewUnderAPoint) {
  NestedViewScene scene(true, false);
  auto* front = new LoggingView("front", scene.log);
  front->initWithFrame(NS::MakeRect(0, 0, 50, 50));
  scene.outer->addSubview(front);  // in front of inner, covering it
  front->release();
  NS::View* content = scene.window->contentView();
  struct Case {
    NS::Point inWindow;
    bool hideFront;
    NS::View* expected;
  };
  const Case cases[] = {
      {{110, 240}, false, front},        // over both: the front one
      {{110, 240}, true, scene.inner},   // the hidden one is skipped
      {{300, 100}, false, scene.outer},  // only the outer view
      {{10, 10}, false, content},        // the bare content view
      {{900, 10}, false, nullptr},       // outside the window
  };
  for (const Case& c : cases) {
    front->setHidden(c.hideFront);
    EXPECT_EQ(content->hitTest(c.inWindow), c.expected) << c.inWindow.x << "," << c.inWindow.y;
  }
}

}  // namespace
