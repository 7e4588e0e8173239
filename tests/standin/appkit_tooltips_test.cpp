// Tooltip rectangles of a view and the owners asked for their texts.

#include "appkit_fixture.h"

namespace {

using standin::testing::ToolTipAt;

// Answers "<name> <tag> <x>,<y> <user data>" and logs each question.
class TipOwner : public NS::Object, public NS::ViewToolTipOwner {
public:
  explicit TipOwner(const char* name) : name_(name) {}

  CFStringRef viewStringForToolTipPointUserData(NS::View* view, NS::ToolTipTag tag, NS::Point point,
                                                void* userData) override {
    asked.push_back(view);
    const std::string text = name_ + " " + std::to_string(tag) + " " + std::to_string(int(point.x)) + "," +
                             std::to_string(int(point.y)) + " " + static_cast<const char*>(userData);
    return static_cast<CFStringRef>(
        CFAutorelease(CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8)));
  }

  std::vector<NS::View*> asked;

private:
  std::string name_;
};

TEST_F(AppKitTest, TheOwnerOfTheTopmostRectangleIsAskedWithThePointAndItsUserData) {
  NS::Window* window = standin::testing::MakeHostWindow(NS::MakeRect(0, 0, 400, 300));
  NS::View* view = (new NS::View)->initWithFrame(NS::MakeRect(10, 10, 200, 100));
  window->contentView()->addSubview(view);
  auto* knob = new TipOwner("knob");
  auto* plot = new TipOwner("plot");
  char knobData[] = "gain", plotData[] = "response";
  const NS::ToolTipTag knobTag = view->addToolTipRectOwnerUserData(NS::MakeRect(0, 0, 50, 50), knob, knobData);
  const NS::ToolTipTag plotTag = view->addToolTipRectOwnerUserData(NS::MakeRect(40, 0, 100, 100), plot, plotData);
  EXPECT_NE(knobTag, 0);
  EXPECT_NE(knobTag, plotTag);
  EXPECT_EQ(standin::testing::ToolTipRects(view),
            (std::vector<NS::Rect>{NS::MakeRect(0, 0, 50, 50), NS::MakeRect(40, 0, 100, 100)}));

  struct Case {
    NS::Point point;
    std::optional<std::string> tip;
  };
  const Case cases[] = {
      {{10, 20}, "knob " + std::to_string(knobTag) + " 10,20 gain"},
      {{45, 20}, "plot " + std::to_string(plotTag) + " 45,20 response"},  // both: the one added last is on top
      {{190, 90}, std::nullopt},
      {{-5, 20}, std::nullopt},  // outside the view
  };
  for (const Case& c : cases) EXPECT_EQ(ToolTipAt(view, c.point), c.tip) << c.point.x << "," << c.point.y;
  EXPECT_EQ(knob->asked, (std::vector<NS::View*>{view}));

  view->removeAllToolTips();
  EXPECT_EQ(ToolTipAt(view, {10, 20}), std::nullopt);
  EXPECT_EQ(ToolTipAt(view, {45, 20}), std::nullopt);
  EXPECT_EQ(knob->asked.size() + plot->asked.size(), 2u) << "nobody is asked after the rectangles are gone";
  EXPECT_TRUE(standin::testing::ToolTipRects(view).empty());
  knob->release();
  plot->release();
  view->release();
  window->release();
}

}  // namespace
