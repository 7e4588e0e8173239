// Views in windows: frame notifications, moving in and out of windows, layers,
// backing scale and appearance changes, the first responder, and a host
// removing a view whose own removal releases it.

#include <QuartzCore/CAMetalLayer.h>

#include "appkit_fixture.h"

namespace {

using standin::testing::MakeHostWindow;
using standin::testing::RemoveViewAsHost;

// Counts the notifications it receives and remembers their objects.
class ObjectObserver : public NS::Object {
public:
  void received(NS::Object* sender) { objects.push_back(static_cast<NS::Notification*>(sender)->object()); }

  std::vector<NS::Object*> objects;
};

class MetalView : public NS::View {
public:
  int layersMade = 0;
  CA::Layer* makeBackingLayer() override {
    ++layersMade;
    return CA::MetalLayer::layer();
  }
};

TEST_F(AppKitTest, FrameChangesPostTheirNotificationOnlyWhenEnabled) {
  NS::View* view = (new NS::View)->initWithFrame(NS::MakeRect(0, 0, 10, 10));
  auto* observer = new ObjectObserver;
  NS::NotificationCenter* center = NS::NotificationCenter::defaultCenter();
  center->addObserverSelectorNameObject(observer, NS_SELECTOR(ObjectObserver, received),
                                        NSViewFrameDidChangeNotification, view);
  view->setFrameSize(NS::Size{20, 10});
  view->setFrameOrigin(NS::Point{5, 5});
  view->setFrame(view->frame());  // no change
  EXPECT_EQ(observer->objects, (std::vector<NS::Object*>{view, view}));
  view->setPostsFrameChangedNotifications(false);
  view->setFrameSize(NS::Size{30, 10});
  EXPECT_EQ(observer->objects.size(), 2u);
  EXPECT_EQ(view->frame(), NS::MakeRect(5, 5, 30, 10));
  center->removeObserver(observer);
  observer->release();
  view->release();
}

TEST_F(AppKitTest, AHostResizingItsWindowResizesTheViewsByTheirMasks) {
  struct Case {
    NS::AutoresizingMaskOptions mask;
    NS::Rect before, after;
  };
  const NS::Rect corner = NS::MakeRect(10, 20, 100, 100);
  const Case cases[] = {
      {NS::ViewWidthSizable | NS::ViewHeightSizable, corner, NS::MakeRect(10, 20, 200, 200)},  // an editor's view
      {NS::ViewMinXMargin | NS::ViewMaxYMargin, corner, NS::MakeRect(110, 20, 100, 100)},    // pinned bottom right
      {NS::ViewMinXMargin | NS::ViewMaxXMargin, NS::MakeRect(150, 20, 100, 100),
       NS::MakeRect(200, 20, 100, 100)},  // the margins share the change in proportion: centred stays centred
      {NS::ViewNotSizable, corner, corner},
  };
  for (const Case& c : cases) {
    NS::Window* window = MakeHostWindow(NS::MakeRect(50, 50, 400, 300));
    NS::View* view = (new NS::View)->initWithFrame(c.before);
    view->setAutoresizingMask(c.mask);
    window->contentView()->addSubview(view);
    auto* observer = new ObjectObserver;
    NS::NotificationCenter::defaultCenter()->addObserverSelectorNameObject(
        observer, NS_SELECTOR(ObjectObserver, received), NSWindowDidResizeNotification, nullptr);
    standin::testing::ResizeWindow(window, NS::Size{500, 400});
    EXPECT_EQ(window->frame(), NS::MakeRect(50, -50, 500, 400));  // the top left stays
    EXPECT_EQ(window->contentView()->frame(), NS::MakeRect(0, 0, 500, 400));
    EXPECT_EQ(view->frame(), c.after) << c.mask;
    EXPECT_EQ(observer->objects, (std::vector<NS::Object*>{window}));
    NS::NotificationCenter::defaultCenter()->removeObserver(observer);
    observer->release();
    view->release();
    window->release();
  }
}

TEST_F(AppKitTest, EveryViewOfASubtreeHearsItEnterAndLeaveAWindow) {
  std::vector<std::string> log;
  NS::Window* window = MakeHostWindow(NS::MakeRect(0, 0, 400, 300));
  auto* root = new LoggingView("root", log);
  auto* child = new LoggingView("child", log);
  auto* grandchild = new LoggingView("grandchild", log);
  child->addSubview(grandchild);
  root->addSubview(child);
  window->contentView()->addSubview(root);
  EXPECT_EQ(grandchild->window(), window);
  RemoveViewAsHost(root);
  EXPECT_EQ(grandchild->window(), nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"root enters window", "child enters window", "grandchild enters window",
                                           "root leaves window", "child leaves window", "grandchild leaves window"}));
  for (NS::Object* object : {static_cast<NS::Object*>(grandchild), static_cast<NS::Object*>(child),
                             static_cast<NS::Object*>(root), static_cast<NS::Object*>(window)})
    object->release();
}

TEST_F(AppKitTest, WantingALayerMakesTheBackingLayerOnceAndItFollowsTheView) {
  NS::Window* window = MakeHostWindow(NS::MakeRect(0, 0, 400, 300), 2.0);
  auto* view = new MetalView;
  view->initWithFrame(NS::MakeRect(10, 20, 100, 50));
  view->setWantsLayer(true);
  view->setWantsLayer(true);
  EXPECT_EQ(view->layersMade, 1);
  auto* layer = dynamic_cast<CA::MetalLayer*>(view->layer());
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(layer->contentsScale(), 1.0);
  window->contentView()->addSubview(view);
  view->setFrameSize(NS::Size{200, 80});
  EXPECT_EQ(layer->frame(), NS::MakeRect(10, 20, 200, 80));
  EXPECT_EQ(layer->contentsScale(), 2.0);
  EXPECT_EQ(layer->drawableSize(), (NS::Size{400, 160}));
  view->release();
  window->release();
}

TEST_F(AppKitTest, BackingScaleAndAppearanceChangesReachEveryViewOnce) {
  std::vector<std::string> log;
  NS::Window* window = MakeHostWindow(NS::MakeRect(0, 0, 400, 300));
  auto* root = new LoggingView("root", log);
  auto* child = new LoggingView("child", log);
  root->addSubview(child);
  window->contentView()->addSubview(root);
  log.clear();

  standin::testing::SetBackingScale(window, 2.0);
  standin::testing::SetBackingScale(window, 2.0);
  standin::testing::SetAppearance(window, NSAppearanceNameDarkAqua);
  EXPECT_EQ(child->effectiveAppearance()->name(), NSAppearanceNameDarkAqua);
  EXPECT_EQ(log, (std::vector<std::string>{"root backing 2", "child backing 2", "root appearance", "child appearance"}));

  // Out of the window a view has scale 1 and Aqua; coming back it hears of both after it arrived.
  RemoveViewAsHost(root);
  log.clear();
  window->contentView()->addSubview(root);
  EXPECT_EQ(log, (std::vector<std::string>{"root enters window", "child enters window", "root backing 2",
                                           "root appearance", "child backing 2", "child appearance"}));
  child->release();
  root->release();
  window->release();
}

TEST_F(AppKitTest, MakeFirstResponderKeepsTheOldOneWhenTheNewOneRefuses) {
  std::vector<std::string> log;
  NS::Window* window = MakeHostWindow(NS::MakeRect(0, 0, 400, 300));
  auto* accepting = new LoggingView("accepting", log);
  auto* refusing = new LoggingView("refusing", log);
  accepting->acceptsFocus = true;
  window->contentView()->addSubview(accepting);
  window->contentView()->addSubview(refusing);
  log.clear();

  EXPECT_TRUE(window->makeFirstResponder(accepting));
  EXPECT_FALSE(window->makeFirstResponder(refusing));
  EXPECT_EQ(window->firstResponder(), accepting);
  RemoveViewAsHost(accepting);  // leaving the window ends the role
  EXPECT_EQ(window->firstResponder(), window);
  EXPECT_EQ(log, (std::vector<std::string>{"accepting becomes first responder", "accepting resigns first responder",
                                           "accepting leaves window"}));
  accepting->release();
  refusing->release();
  window->release();
}

// As the editor's view: its removal closes the editor, whose detach removes
// this same view again and drops the reference the editor held, all before
// the outer call has finished with the view.
class ClosingView : public NS::View {
public:
  explicit ClosingView(int& destroyed) : destroyed_(destroyed) {}

  void removeFromSuperview() override {
    if (editorHoldsView_) {
      editorHoldsView_ = false;
      removeFromSuperview();
      release();
    }
    NS::View::removeFromSuperview();
    ++completedRemovals_;  // touches the view after the editor let go of it
  }

protected:
  ~ClosingView() override { ++destroyed_; }

private:
  int& destroyed_;
  bool editorHoldsView_ = true;
  int completedRemovals_ = 0;
};

TEST_F(AppKitTest, AHostRemovingAViewThatReleasesItselfEndsItOnceAndAfterTheCall) {
  int destroyed = 0;
  NS::Window* window = MakeHostWindow(NS::MakeRect(0, 0, 400, 300));
  auto* view = new ClosingView(destroyed);  // the editor's reference
  window->contentView()->addSubview(view);
  RemoveViewAsHost(view);
  EXPECT_EQ(destroyed, 1);
  EXPECT_TRUE(window->contentView()->subviews().empty());
  window->release();
}

}  // namespace
