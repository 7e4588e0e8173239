#include <AppKit/AppKit.h>
#include <gtest/gtest.h>
#include <standin/testing/ns_objects.h>

#include <string>
#include <vector>

namespace {

// Fails a test that leaves NS objects alive.
class NSViewTest : public ::testing::Test {
protected:
  void SetUp() override { objectsAtStart_ = standin::testing::LiveNSObjectCount(); }
  void TearDown() override {
    EXPECT_EQ(standin::testing::LiveNSObjectCount(), objectsAtStart_) << "NS objects leaked";
  }

private:
  long objectsAtStart_ = 0;
};

// Logs its moves; optionally removes itself again from inside a notification,
// as an editor view's close path does.
class LoggingView : public NS::View {
public:
  explicit LoggingView(std::vector<std::string>& log) : log_(log) {}

  void viewWillMoveToSuperview(NS::View* newSuperview) override {
    log_.push_back(newSuperview ? "will move" : "will leave");
    if (reenterOnWill && newSuperview == nullptr) removeFromSuperview();
  }
  void viewDidMoveToSuperview() override {
    log_.push_back(superview() ? "did move" : "did leave");
    if (reenterOnDid && superview() == nullptr) removeFromSuperview();
  }

  bool reenterOnWill = false;
  bool reenterOnDid = false;

private:
  std::vector<std::string>& log_;
};

TEST_F(NSViewTest, FrameBoundsAndMaskAreKept) {
  NS::View* view = (new NS::View)->initWithFrame(NS::MakeRect(10, 20, 300, 200));
  EXPECT_EQ(view->frame(), NS::MakeRect(10, 20, 300, 200));
  EXPECT_EQ(view->bounds(), NS::MakeRect(0, 0, 300, 200));
  EXPECT_EQ(view->autoresizingMask(), NS::ViewNotSizable);
  view->setAutoresizingMask(NS::ViewWidthSizable | NS::ViewHeightSizable);
  EXPECT_EQ(view->autoresizingMask(), 18u);
  view->release();
}

TEST_F(NSViewTest, SuperviewHoldsAReferenceUntilRemoval) {
  NS::View* parent = new NS::View;
  NS::View* child = new NS::View;
  parent->addSubview(child);
  EXPECT_EQ(child->superview(), parent);
  ASSERT_EQ(parent->subviews().size(), 1u);
  EXPECT_EQ(child->retainCount(), 2u);

  child->removeFromSuperview();
  EXPECT_EQ(child->superview(), nullptr);
  EXPECT_TRUE(parent->subviews().empty());
  EXPECT_EQ(child->retainCount(), 1u);
  child->removeFromSuperview();  // without a superview: nothing
  EXPECT_EQ(child->retainCount(), 1u);
  child->release();
  parent->release();
}

TEST_F(NSViewTest, MovesNotifyAroundTheChange) {
  std::vector<std::string> log;
  NS::View* first = new NS::View;
  NS::View* second = new NS::View;
  auto* view = new LoggingView(log);
  first->addSubview(view);
  second->addSubview(view);
  EXPECT_TRUE(first->subviews().empty());
  EXPECT_EQ(view->superview(), second);
  EXPECT_EQ(view->retainCount(), 2u);
  view->removeFromSuperview();
  EXPECT_EQ(log, (std::vector<std::string>{"will move", "did move", "will leave", "did leave", "will move",
                                           "did move", "will leave", "did leave"}));
  view->release();
  first->release();
  second->release();
}

TEST_F(NSViewTest, RemovalAskedForAgainFromTheNotificationsIsHarmless) {
  std::vector<std::string> log;
  NS::View* parent = new NS::View;
  auto* view = new LoggingView(log);
  view->reenterOnWill = true;
  view->reenterOnDid = true;
  parent->addSubview(view);
  view->release();  // the superview's reference is the only one left
  view->removeFromSuperview();
  EXPECT_TRUE(parent->subviews().empty());
  EXPECT_EQ(log, (std::vector<std::string>{"will move", "did move", "will leave", "did leave"}));
  parent->release();
}

TEST_F(NSViewTest, AViewCannotBecomeItsOwnDescendant) {
  NS::View* outer = new NS::View;
  NS::View* inner = new NS::View;
  outer->addSubview(inner);
  inner->addSubview(outer);
  outer->addSubview(outer);
  EXPECT_EQ(outer->superview(), nullptr);
  EXPECT_TRUE(inner->subviews().empty());
  EXPECT_TRUE(inner->isDescendantOf(outer));
  inner->release();
  outer->release();  // releases the subview it still holds
}

NS::Object* AllocView() { return new NS::View; }
NS::Object* AllocOtherView() { return new NS::View; }

TEST_F(NSViewTest, ClassesAreFoundByName) {
  EXPECT_FALSE(NS::ClassFromString("TestRegistry_View"));
  ASSERT_TRUE(NS::RegisterClass("TestRegistry_View", AllocView));
  EXPECT_FALSE(NS::RegisterClass("TestRegistry_View", AllocOtherView));
  EXPECT_FALSE(NS::RegisterClass("", AllocView));
  EXPECT_FALSE(NS::RegisterClass("TestRegistry_Null", nullptr));

  const NS::Class viewClass = NS::ClassFromString("TestRegistry_View");
  ASSERT_TRUE(viewClass);
  EXPECT_STREQ(viewClass.name(), "TestRegistry_View");
  NS::Object* object = viewClass.alloc()->init();
  EXPECT_NE(dynamic_cast<NS::View*>(object), nullptr);
  object->release();

  NS::UnregisterClass("TestRegistry_View", AllocOtherView);  // not the registered one
  EXPECT_TRUE(NS::ClassFromString("TestRegistry_View"));
  NS::UnregisterClass("TestRegistry_View", AllocView);
  EXPECT_FALSE(NS::ClassFromString("TestRegistry_View"));
  EXPECT_EQ(NS::ClassFromString("TestRegistry_View").alloc(), nullptr);
}

}  // namespace
