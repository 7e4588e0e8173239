// The display's cursor and pointer, and notifications.

#include <functional>
#include <thread>

#include "appkit_fixture.h"

namespace {

using namespace standin::testing;

TEST_F(AppKitTest, TheCursorHidesByCountAndWarpsMoveThePointer) {
  SetMainScreen(NS::Size{1440, 900}, 2.0);
  const CGDirectDisplayID display = CGMainDisplayID();
  EXPECT_EQ(CGDisplayPixelsHigh(display), 900u);
  CGDisplayHideCursor(display);
  CGDisplayHideCursor(display);
  CGDisplayShowCursor(display);
  EXPECT_EQ(CursorHideCount(), 1);

  CGAssociateMouseAndMouseCursorPosition(0);
  EXPECT_FALSE(CursorAssociatedWithMouse());
  CGDisplayMoveCursorToPoint(display, CGPoint{100, 80});  // from the top left
  CGAssociateMouseAndMouseCursorPosition(1);
  EXPECT_TRUE(CursorAssociatedWithMouse());
  EXPECT_EQ(NS::Event::mouseLocation(), (NS::Point{100, 820}));
  EXPECT_EQ(CursorWarps(), (std::vector<NS::Point>{{100, 80}}));

  std::vector<std::string> log;
  NS::Window* window = MakeHostWindow(NS::MakeRect(100, 100, 400, 300));
  auto* view = new LoggingView("view", log, true);
  view->initWithFrame(NS::MakeRect(10, 10, 100, 100));
  window->contentView()->addSubview(view);
  MovePointer(view, {5, 5});
  EXPECT_EQ(NS::Event::mouseLocation(), (NS::Point{115, 205}));

  // AppKit belongs to the main thread; calls from elsewhere are counted.
  std::thread([window] { window->makeFirstResponder(nullptr); }).join();
  EXPECT_EQ(AppKitMainThreadViolationCount(), 1);
  view->release();
  window->release();
}

// Logs the notifications it receives by name.
class Observer : public NS::Object {
public:
  void received(NS::Object* sender) {
    names.push_back(CFStringGetCStringPtr(static_cast<NS::Notification*>(sender)->name(), kCFStringEncodingUTF8));
    if (onReceive) onReceive();
  }

  std::vector<std::string> names;
  std::function<void()> onReceive;
};

TEST_F(AppKitTest, NotificationsReachTheObserversOfTheirNameAndObject) {
  NS::Object* sender = new NS::Object;
  NS::Object* other = new NS::Object;
  struct Case {
    CFStringRef name;
    NS::Object* object;
    std::vector<std::string> received;
  };
  const Case cases[] = {
      {CFSTR("Ping"), sender, {"Ping"}},
      {CFSTR("Ping"), nullptr, {"Ping", "Ping"}},
      {nullptr, sender, {"Ping", "Pong"}},
      {nullptr, nullptr, {"Ping", "Ping", "Pong"}},
      {CFSTR("Pong"), other, {}},
  };
  NS::NotificationCenter* center = NS::NotificationCenter::defaultCenter();
  for (const Case& c : cases) {
    auto* observer = new Observer;
    center->addObserverSelectorNameObject(observer, NS_SELECTOR(Observer, received), c.name, c.object);
    center->postNotificationNameObject(CFSTR("Ping"), sender);
    center->postNotificationNameObject(CFSTR("Ping"), other);
    center->postNotificationNameObject(CFSTR("Pong"), sender);
    EXPECT_EQ(observer->names, c.received);
    center->removeObserver(observer);
    observer->release();
  }

  // A selector of another class is not sent; the platform would raise.
  center->addObserverSelectorNameObject(sender, NS_SELECTOR(Observer, received), CFSTR("Ping"), nullptr);
  center->postNotificationNameObject(CFSTR("Ping"), nullptr);
  EXPECT_EQ(AppKitValidationErrorCount(), 1);
  center->removeObserver(sender);
  sender->release();
  other->release();
}

TEST_F(AppKitTest, AnObserverRemovedDuringADeliveryGetsNothingMore) {
  NS::NotificationCenter* center = NS::NotificationCenter::defaultCenter();
  auto* first = new Observer;
  auto* second = new Observer;
  center->addObserverSelectorNameObject(first, NS_SELECTOR(Observer, received), CFSTR("Ping"), nullptr);
  center->addObserverSelectorNameObject(second, NS_SELECTOR(Observer, received), CFSTR("Ping"), nullptr);
  first->onReceive = [&] { center->removeObserver(second); };
  center->postNotificationNameObject(CFSTR("Ping"), nullptr);
  center->postNotificationNameObject(CFSTR("Ping"), nullptr);
  EXPECT_EQ(first->names.size(), 2u);
  EXPECT_TRUE(second->names.empty());
  center->removeObserver(first);
  first->release();
  second->release();
}

}  // namespace
