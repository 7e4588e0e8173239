// Events as a window routes them: mouse downs, drags and ups, moves, scrolls
// and keys, tracking areas, and the autorelease pool of each dispatch.

#include <CoreFoundation/CFRunLoop.h>
#include <standin/testing/run_loop.h>

#include <functional>

#include "appkit_fixture.h"

namespace {

using namespace standin::testing;

// A window at screen (100, 100) with a flipped view A at (10, 10) that takes
// the first-responder role and its keys, and an unflipped view B at (200, 10)
// that does neither; both 100 x 100.
struct Scene {
  Scene()
      : window(MakeHostWindow(NS::MakeRect(100, 100, 400, 300))),
        a(new LoggingView("A", log, true)),
        b(new LoggingView("B", log)) {
    a->initWithFrame(NS::MakeRect(10, 10, 100, 100));
    b->initWithFrame(NS::MakeRect(200, 10, 100, 100));
    a->acceptsFocus = true;
    a->handlesKeys = true;
    window->contentView()->addSubview(a);
    window->contentView()->addSubview(b);
    log.clear();
  }
  ~Scene() {
    a->release();
    b->release();
    window->release();
  }

  std::vector<std::string> log;
  NS::Window* window;
  LoggingView* a;
  LoggingView* b;
};

TEST_F(AppKitTest, WindowsRouteEachEventAsAppKitDoes) {
  struct Case {
    const char* rule;
    std::function<void(Scene&)> gesture;
    std::vector<std::string> log;
    size_t unhandledKeys = 0;
  };
  const Case cases[] = {
      {"a down goes to the view under it, made first responder first",
       [](Scene& s) { PressButton(s.a, {5, 5}); },
       {"A becomes first responder", "A mouseDown 5,5"}},
      {"the button's drags and its up follow the view that got the down, outside it too",
       [](Scene& s) {
         PressButton(s.a, {5, 5});
         DragTo(s.a, {205, 45}, 2);
         ReleaseButton(s.a, {205, 45});
       },
       {"A becomes first responder", "A mouseDown 5,5", "A mouseDragged 105,25", "A mouseDragged 205,45",
        "A mouseUp 205,45"}},
      {"the right button likewise, without a first-responder change",
       [](Scene& s) {
         PressButton(s.b, {5, 5}, MouseButton::Right);
         DragTo(s.b, {-150, 5}, 1);
         ReleaseButton(s.b, {-150, 5}, MouseButton::Right);
       },
       {"B rightMouseDown 5,5", "B rightMouseDragged -150,5", "B rightMouseUp -150,5"}},
      {"moves reach the first responder once the window accepts them",
       [](Scene& s) {
         s.window->makeFirstResponder(s.a);
         MovePointer(s.b, {5, 5});
         s.window->setAcceptsMouseMovedEvents(true);
         MovePointer(s.b, {5, 5});
       },
       {"A becomes first responder", "A mouseMoved 195,95"}},
      {"a scroll goes to the view under the pointer",
       [](Scene& s) {
         s.window->makeFirstResponder(s.a);
         Scroll(s.b, {5, 5}, 3.0);
       },
       {"A becomes first responder", "B scrollWheel 5,5"}},
      {"keys go to the first responder",
       [](Scene& s) {
         s.window->makeFirstResponder(s.a);
         PressKey(s.window, Key{0, "a", "a"});
       },
       {"A becomes first responder", "A keyDown 0"}},
      {"a key nobody handles climbs to the window's log",
       [](Scene& s) {
         s.a->handlesKeys = false;
         s.window->makeFirstResponder(s.a);
         PressKey(s.window, Key{53, "\x1b", "\x1b"});
         ReleaseKey(s.window, Key{53, "\x1b", "\x1b"});
       },
       {"A becomes first responder"},
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rule);
    Scene scene;
    c.gesture(scene);
    EXPECT_EQ(scene.log, c.log);
    EXPECT_EQ(UnhandledKeys().size(), c.unhandledKeys);
    EXPECT_EQ(NS::Application::sharedApplication()->currentEvent(), nullptr);
    ResetAppKit();
  }
}

// Keeps the last event it received (which holds the window).
class EventKeepingView : public NS::View {
public:
  void mouseDown(NS::Event* event) override { Keep(event); }
  void scrollWheel(NS::Event* event) override { Keep(event); }
  void keyDown(NS::Event* event) override { Keep(event); }
  bool acceptsFirstResponder() override { return true; }

  NS::Event* last = nullptr;

  void Keep(NS::Event* event) {
    if (event != nullptr) event->retain();
    if (last != nullptr) last->release();
    last = event;
  }
};

TEST_F(AppKitTest, EventsCarryWhatTheUserDid) {
  NS::Window* window = MakeHostWindow(NS::MakeRect(0, 0, 400, 300));
  auto* view = new EventKeepingView;
  view->initWithFrame(NS::MakeRect(0, 0, 100, 100));
  window->contentView()->addSubview(view);
  const NS::EventModifierFlags shiftCommand = NS::EventModifierFlagShift | NS::EventModifierFlagCommand;

  SetTabletInput(true);
  PressButton(view, {5, 5}, MouseButton::Left, 2, shiftCommand);
  EXPECT_EQ(view->last->type(), NS::EventTypeLeftMouseDown);
  EXPECT_EQ(view->last->clickCount(), 2);
  EXPECT_EQ(view->last->modifierFlags(), shiftCommand);
  EXPECT_EQ(view->last->subtype(), NS::EventSubtypeTabletPoint);
  EXPECT_EQ(view->last->window(), window);

  Scroll(view, {5, 5}, -2.5);
  EXPECT_EQ(view->last->deltaY(), -2.5);
  PressKey(window, Key{0, "A", "a", NS::EventModifierFlagShift});
  EXPECT_EQ(CFStringGetCStringPtr(view->last->characters(), kCFStringEncodingUTF8), std::string("A"));
  EXPECT_EQ(CFStringGetCStringPtr(view->last->charactersIgnoringModifiers(), kCFStringEncodingUTF8), std::string("a"));
  view->Keep(nullptr);
  view->release();
  window->release();
}

TEST_F(AppKitTest, TrackingAreasReportCrossingsDuringDragsOnlyWhenAskedTo) {
  struct Case {
    NS::TrackingAreaOptions options;
    std::vector<std::string> log;
  };
  const Case cases[] = {
      {NS::TrackingMouseEnteredAndExited | NS::TrackingActiveAlways,
       {"B mouseEntered 50,50", "B mouseDown 50,50", "B mouseDragged 150,50", "B mouseExited 150,50",
        "B mouseUp 150,50"}},
      {NS::TrackingMouseEnteredAndExited | NS::TrackingActiveAlways | NS::TrackingEnabledDuringMouseDrag,
       {"B mouseEntered 50,50", "B mouseDown 50,50", "B mouseExited 150,50", "B mouseDragged 150,50",
        "B mouseUp 150,50"}},
      {NS::TrackingMouseEnteredAndExited,  // no activity mode: never reports
       {"B mouseDown 50,50", "B mouseDragged 150,50", "B mouseUp 150,50"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    Scene scene;
    auto* area = (new NS::TrackingArea)->initWithRectOptionsOwnerUserInfo(scene.b->bounds(), c.options, scene.b,
                                                                          nullptr);
    scene.b->addTrackingArea(area);
    area->release();
    MovePointer(scene.b, {50, 50});
    PressButton(scene.b, {50, 50});
    DragTo(scene.b, {150, 50}, 1);
    ReleaseButton(scene.b, {150, 50});
    EXPECT_EQ(scene.log, c.log);
  }
}

// Records when it ends.
class Probe : public NS::Object {
public:
  explicit Probe(bool& ended) : ended_(ended) {}
  ~Probe() override { ended_ = true; }

private:
  bool& ended_;
};

class AutoreleasingView : public NS::View {
public:
  explicit AutoreleasingView(bool& ended) : ended_(ended) {}
  void mouseDown(NS::Event*) override {
    (new Probe(ended_))->autorelease();
    endedInsideTheHandler = ended_;
  }

  bool endedInsideTheHandler = true;

private:
  bool& ended_;
};

TEST_F(AppKitTest, WhatAnEventOrARunLoopPassAutoreleasesEndsWithIt) {
  bool ended = false;
  NS::Window* window = MakeHostWindow(NS::MakeRect(0, 0, 400, 300));
  auto* view = new AutoreleasingView(ended);
  view->initWithFrame(NS::MakeRect(0, 0, 100, 100));
  window->contentView()->addSubview(view);
  PressButton(view, {5, 5});
  EXPECT_FALSE(view->endedInsideTheHandler);
  EXPECT_TRUE(ended);

  ended = false;
  CFRunLoopPerformBlock(CFRunLoopGetMain(), kCFRunLoopCommonModes, [&ended] { (new Probe(ended))->autorelease(); });
  RunOnce();
  EXPECT_TRUE(ended);
  view->release();
  window->release();
}

}  // namespace
