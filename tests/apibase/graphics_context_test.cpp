#include "graphics/graphics_context.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "graphics_test_doubles.h"

namespace plugkit {
namespace {

using graphics::IControl;
using graphics::IRECT;
using testing::RecordingGraphics;
using testing::LoggingControl;
using testing::TestDelegate;

using Log = std::vector<std::string>;

class GraphicsContextTest : public ::testing::Test {
protected:
  GraphicsContextTest() { delegate.SetLimits(464, 4176, 261, 2349); }

  LoggingControl* NewControl(const char* name, int paramIdx = -1) {
    return new LoggingControl(IRECT(0, 0, 10, 10), delegate.mLog, name, paramIdx);
  }

  TestDelegate delegate{1};
  RecordingGraphics graphics{delegate, 1392, 783, 60, 1.f, &delegate.mLog};
};

TEST_F(GraphicsContextTest, AttachingWiresTheControlAndAppendsIt) {
  LoggingControl* control = NewControl("a");
  EXPECT_EQ(graphics.AttachControl(control, 3, "group"), control);
  EXPECT_EQ(delegate.mLog, (Log{"a init", "a resize", "a rescale", "a attached"}));
  EXPECT_EQ(control->GetUI(), &graphics);
  EXPECT_EQ(control->GetDelegate(), &delegate);
  EXPECT_STREQ(control->GetGroup(), "group");
  EXPECT_EQ(control->GetTag(), 3);
  EXPECT_EQ(graphics.GetControlWithTag(3), control);
  EXPECT_EQ(graphics.GetControl(0), control);
}

TEST_F(GraphicsContextTest, ADuplicateTagLeavesTheControlWithTheCaller) {
  graphics.AttachControl(NewControl("first"), 5);
  LoggingControl* second = NewControl("second");
  EXPECT_EQ(graphics.AttachControl(second, 5), nullptr);
  EXPECT_EQ(graphics.NControls(), 1);
  EXPECT_EQ(second->GetUI(), nullptr);
  delete second;

  // Any number of controls may go without a tag.
  graphics.AttachControl(NewControl("untagged 1"));
  graphics.AttachControl(NewControl("untagged 2"));
  EXPECT_EQ(graphics.NControls(), 3);
  EXPECT_EQ(graphics.GetControl(2)->GetTag(), -1);
  EXPECT_EQ(graphics.GetControlWithTag(-1), nullptr);
}

TEST_F(GraphicsContextTest, ResizeConstrainsThroughTheDelegateAndClampsTheScale) {
  graphics.Resize(100, 5000, 8.f, true);
  EXPECT_EQ(graphics.Width(), 464);
  EXPECT_EQ(graphics.Height(), 2349);
  EXPECT_FLOAT_EQ(graphics.GetDrawScale(), 4.f);
  graphics.Resize(1392, 783, 0.1f, true);
  EXPECT_FLOAT_EQ(graphics.GetDrawScale(), 0.5f);
  graphics.Resize(1392, 783, std::numeric_limits<float>::quiet_NaN(), true);
  EXPECT_FLOAT_EQ(graphics.GetDrawScale(), 0.5f);
}

TEST_F(GraphicsContextTest, ResizeTellsTheDelegateTheWindowSizeAndRefreshesControls) {
  graphics.AttachControl(NewControl("a"));
  delegate.mLog.clear();
  graphics.Resize(1000, 600, 1.5f, false);
  EXPECT_EQ(delegate.mLog, (Log{"request resize 1500x900", "resize window 0", "a resize", "update framebuffer"}));
  EXPECT_TRUE(graphics.GetControl(0)->IsDirty());
}

TEST_F(GraphicsContextTest, ResizeToTheCurrentSizeAndScaleDoesNothing) {
  graphics.AttachControl(NewControl("a"));
  graphics.SetAllControlsClean();
  delegate.mLog.clear();
  graphics.Resize(1392, 783, 1.f, true);
  graphics.Resize(1392, 783, 0.3f, true);  // clamps to 0.5: a change
  delegate.mLog.clear();
  graphics.SetAllControlsClean();
  graphics.Resize(1392, 783, 0.2f, true);  // clamps to the current 0.5
  EXPECT_TRUE(delegate.mLog.empty());
  EXPECT_FALSE(graphics.GetControl(0)->IsDirty());
}

TEST_F(GraphicsContextTest, LayoutRunsAgainOnResizeWhenAsked) {
  graphics.SetLayoutOnResize(true);
  graphics.Resize(1000, 600, 1.f, true);
  EXPECT_EQ(delegate.mLog.back(), "layout");
}

TEST_F(GraphicsContextTest, ScreenScaleRescalesControlsAndKeepsTheDrawScale) {
  graphics.AttachControl(NewControl("a"));
  delegate.mLog.clear();
  graphics.SetScreenScale(2.f);
  EXPECT_EQ(delegate.mLog,
            (Log{"request resize 1392x783 platform", "resize window 1", "a rescale", "update framebuffer"}));
  EXPECT_FLOAT_EQ(graphics.GetBackingPixelScale(), 2.f);
  EXPECT_EQ(graphics.WindowWidth(), 1392);
}

TEST_F(GraphicsContextTest, MarkingDirtyWithActionSendsTheValueAndMovesPeers) {
  LoggingControl* knob = NewControl("knob", 0);
  LoggingControl* peer = NewControl("peer", 0);
  LoggingControl* unrelated = NewControl("unrelated");
  graphics.AttachControl(knob);
  graphics.AttachControl(peer);
  graphics.AttachControl(unrelated);
  int actions = 0;
  knob->SetActionFunction([&](IControl* caller) {
    EXPECT_EQ(caller, knob);
    ++actions;
  });
  delegate.mLog.clear();

  knob->SetValueAt(0.25);
  knob->MarkDirty(true);
  EXPECT_EQ(delegate.mLog.front(), "set param 0 0.250000");
  EXPECT_DOUBLE_EQ(peer->ValueAt(), 0.25);
  EXPECT_DOUBLE_EQ(unrelated->ValueAt(), 0.0);
  EXPECT_EQ(actions, 1);

  int matching = 0;
  graphics.ForMatchingControls(0, [&](IControl*) { ++matching; });
  EXPECT_EQ(matching, 2);
}

TEST_F(GraphicsContextTest, RemovingAllControlsEmptiesTheListAndTheTags) {
  graphics.AttachControl(NewControl("a"), 1);
  graphics.AttachControl(NewControl("b"), 2);
  graphics.RemoveAllControls();
  EXPECT_EQ(graphics.NControls(), 0);
  EXPECT_EQ(graphics.GetControlWithTag(1), nullptr);
}

}  // namespace
}  // namespace plugkit
