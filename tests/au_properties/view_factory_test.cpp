// The view-factory class as a host uses it: found by the name the plug-in
// reports, asked for the editor's view, which then lives in the host's window
// until the host takes it out and so closes the editor.

#include <gtest/gtest.h>
#include <standin/testing/ns_objects.h>

#include <stdexcept>

#include "au_properties_support.h"
#include "framework/au/view_factory.h"

namespace plugkit::testing {
namespace {

class ViewFactory : public ::testing::Test {
protected:
  void SetUp() override {
    mNSObjectsAtStart = standin::testing::LiveNSObjectCount();
    const NS::Class factoryClass = NS::ClassFromString(TestPlugin::kViewClassName);
    ASSERT_TRUE(factoryClass);
    mFactoryObject = factoryClass.alloc()->init();
    mFactory = dynamic_cast<AUCocoaUIBase*>(mFactoryObject);
    ASSERT_NE(mFactory, nullptr);
    mWindow = new NS::View;
  }
  void TearDown() override {
    mWindow->release();
    if (mFactoryObject != nullptr) mFactoryObject->release();
    mOpened.reset();
    EXPECT_EQ(standin::testing::LiveNSObjectCount(), mNSObjectsAtStart) << "NS objects leaked";
  }

  OpenedPlugin& Open(const TestPluginOptions& options = RichOptions()) {
    mOpened = std::make_unique<OpenedPlugin>(options);
    return *mOpened;
  }
  NS::View* AskForView(OpenedPlugin& opened) {
    return mFactory->uiViewForAudioUnitWithSize(opened.Unit().Unit(), NS::Size{1.0, 1.0});
  }

  long mNSObjectsAtStart = 0;
  NS::Object* mFactoryObject = nullptr;
  AUCocoaUIBase* mFactory = nullptr;
  NS::View* mWindow = nullptr;
  std::unique_ptr<OpenedPlugin> mOpened;
};

TEST_F(ViewFactory, DescribesItselfAndItsProtocolVersion) {
  EXPECT_EQ(TextOf(mFactoryObject->description()), "AU Test Plugin View");
  EXPECT_EQ(mFactory->interfaceVersion(), static_cast<unsigned>(kAUCocoaUIBaseInterfaceVersion));
  EXPECT_EQ(static_cast<IPlugAUViewFactory*>(mFactory)->Plugin(), nullptr);
}

TEST_F(ViewFactory, OpensTheEditorAndHandsOutAResizableView) {
  OpenedPlugin& opened = Open();
  NS::View* view = AskForView(opened);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->autoresizingMask(), 18u);
  EXPECT_EQ(view->frame(), NS::MakeRect(0, 0, kEditorWidth, kEditorHeight));  // the editor's own size
  EXPECT_NE(opened.Plugin().GetUI(), nullptr);
  EXPECT_EQ(static_cast<IPlugAUViewFactory*>(mFactory)->Plugin(), &opened.Plugin());
}

TEST_F(ViewFactory, TakingTheViewOutOfTheWindowClosesTheEditor) {
  OpenedPlugin& opened = Open();
  NS::View* view = AskForView(opened);
  ASSERT_NE(view, nullptr);
  mWindow->addSubview(view);
  ASSERT_EQ(view->superview(), mWindow);
  opened.Plugin().GetUI()->Resize(500, 320, 1.5f, false);

  view->removeFromSuperview();
  EXPECT_EQ(opened.Plugin().GetUI(), nullptr);
  EXPECT_TRUE(mWindow->subviews().empty());
  EXPECT_EQ(opened.Plugin().GetLastWidth(), 500);
  EXPECT_EQ(opened.Plugin().GetLastHeight(), 320);
  EXPECT_EQ(opened.Plugin().GetLastScale(), 1.5f);

  // Asked again, the editor opens at the size it closed with.
  NS::View* reopened = AskForView(opened);
  ASSERT_NE(reopened, nullptr);
  EXPECT_EQ(opened.Plugin().GetUI()->Width(), 500);
}

TEST_F(ViewFactory, ClosingThePlugInTakesTheViewOutOfTheWindow) {
  OpenedPlugin& opened = Open();
  NS::View* view = AskForView(opened);
  ASSERT_NE(view, nullptr);
  mWindow->addSubview(view);
  mOpened.reset();
  EXPECT_TRUE(mWindow->subviews().empty());
}

TEST_F(ViewFactory, AnswersNilForAPlugInWithoutEditor) {
  OpenedPlugin& opened = Open(RichOptionsWith([](PluginConfig& config) { config.plugHasUI = false; }));
  EXPECT_EQ(AskForView(opened), nullptr);
  EXPECT_EQ(opened.Plugin().GetUI(), nullptr);
}

TEST_F(ViewFactory, AnswersNilWhenThePlugInCannotBeFound) {
  EXPECT_EQ(mFactory->uiViewForAudioUnitWithSize(nullptr, NS::Size{}), nullptr);
  EXPECT_EQ(static_cast<IPlugAUViewFactory*>(mFactory)->Plugin(), nullptr);
}

TEST_F(ViewFactory, AnswersNilWhenTheEditorDoesNotOpen) {
  TestPluginOptions withoutGraphics = RichOptions();
  const auto richSetUp = withoutGraphics.setUp;
  withoutGraphics.setUp = [richSetUp](TestPlugin& plugin) {
    richSetUp(plugin);
    plugin.SetMakeGraphicsFunc(nullptr);
  };
  EXPECT_EQ(AskForView(Open(withoutGraphics)), nullptr);

  TestPluginOptions throwing = RichOptions();
  throwing.setUp = [richSetUp](TestPlugin& plugin) {
    richSetUp(plugin);
    plugin.SetMakeGraphicsFunc([]() -> graphics::IGraphics* { throw std::runtime_error("no editor today"); });
  };
  EXPECT_EQ(AskForView(Open(throwing)), nullptr);
}

}  // namespace
}  // namespace plugkit::testing
