#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "framework/core/param.h"
#include "graphics/container_base.h"
#include "graphics/graphics_context.h"
#include "graphics/panel_control.h"
#include "support/graphics/logging_control.h"
#include "support/graphics/recording_delegate.h"

namespace plugkit::graphics {
namespace {

using testing::LoggingControl;
using testing::RecordingDelegate;
using testing::RecordingGraphics;
using Log = std::vector<std::string>;

// Logs its destruction too.
class MortalControl : public LoggingControl {
public:
  using LoggingControl::LoggingControl;
  ~MortalControl() override { Log("deleted"); }
};

class TestContainer : public IContainerBase {
public:
  using IContainerBase::IContainerBase;
  void Draw(IGraphics&) override {}
};

class ControlTreeTest : public ::testing::Test {
protected:
  ControlTreeTest() {
    delegate.SetLimits(464, 4176, 261, 2349);
    delegate.GetParam(0)->InitGain("Gain", 0.0, -70.0, 12.0, 0.1);
  }

  MortalControl* NewControl(const char* name, int paramIdx = -1) {
    return new MortalControl(IRECT(0, 0, 10, 10), delegate.mLog, name, paramIdx);
  }
  MortalControl* Attach(const char* name, int paramIdx = -1, int tag = -1, const char* group = "") {
    return static_cast<MortalControl*>(graphics.AttachControl(NewControl(name, paramIdx), tag, group));
  }
  std::vector<IControl*> Walk(const std::function<void(const IGraphics::ControlFunc&)>& walk) {
    std::vector<IControl*> seen;
    walk([&](IControl* control) { seen.push_back(control); });
    return seen;
  }
  void CleanAll() {
    graphics.SetAllControlsClean();
    delegate.mLog.clear();
  }

  RecordingDelegate delegate{1};
  RecordingGraphics graphics{delegate, 1392, 783, 60, 1.f, &delegate.mLog};
};

TEST_F(ControlTreeTest, AttachingWiresTheControlAndAppendsIt) {
  MortalControl* control = NewControl("a");
  EXPECT_EQ(graphics.AttachControl(control, 3, "group"), control);
  EXPECT_EQ(delegate.mLog, (Log{"a init", "a resize", "a rescale", "a attached"}));
  EXPECT_EQ(control->GetUI(), &graphics);
  EXPECT_EQ(control->GetDelegate(), &delegate);
  EXPECT_STREQ(control->GetGroup(), "group");
  EXPECT_EQ(control->GetTag(), 3);
  EXPECT_EQ(graphics.GetControlWithTag(3), control);

  IControl* background = graphics.AttachPanelBackground(IPaint(kColorWhite));
  EXPECT_EQ(graphics.GetControl(0), background);
  EXPECT_EQ(background->GetUI(), &graphics);
  EXPECT_EQ(background->GetTag(), -1);
}

TEST_F(ControlTreeTest, ADuplicateTagLeavesTheControlWithTheCaller) {
  Attach("first", -1, 5);
  MortalControl* second = NewControl("second");
  EXPECT_EQ(graphics.AttachControl(second, 5), nullptr);
  EXPECT_EQ(graphics.NControls(), 1);
  EXPECT_EQ(second->GetUI(), nullptr);
  delete second;

  // Any number of controls may go without a tag.
  Attach("untagged 1");
  Attach("untagged 2");
  EXPECT_EQ(graphics.NControls(), 3);
  EXPECT_EQ(graphics.GetControl(2)->GetTag(), -1);
  EXPECT_EQ(graphics.GetControlWithTag(-1), nullptr);
}

TEST_F(ControlTreeTest, RemovalDeletesTheControlAndRedrawsEverything) {
  struct Case {
    const char* name;
    std::function<void(IGraphics&)> remove;
    Log deleted;
  };
  const std::vector<Case> cases = {
      {"by pointer", [](IGraphics& g) { g.RemoveControl(g.GetControl(1)); }, {"b deleted"}},
      {"by index", [](IGraphics& g) { g.RemoveControl(2); }, {"c deleted"}},
      {"by an index outside the list", [](IGraphics& g) { g.RemoveControl(3); }, {}},
      {"by tag", [](IGraphics& g) { g.RemoveControlWithTag(7); }, {"b deleted"}},
      {"from an index on", [](IGraphics& g) { g.RemoveControls(1); }, {"c deleted", "b deleted"}},
  };
  for (const Case& c : cases) {
    graphics.RemoveAllControls();
    Attach("a");
    Attach("b", -1, 7);
    Attach("c");
    CleanAll();
    c.remove(graphics);
    EXPECT_EQ(delegate.mLog, c.deleted) << c.name;
    const bool tagged = std::find(c.deleted.begin(), c.deleted.end(), "b deleted") == c.deleted.end();
    EXPECT_EQ(graphics.GetControlWithTag(7) != nullptr, tagged) << c.name;
    for (int i = 0; i < graphics.NControls(); ++i) EXPECT_TRUE(graphics.GetControl(i)->IsDirty()) << c.name;
  }
}

// Nothing keeps pointing at a deleted control.
TEST_F(ControlTreeTest, RemovingAControlForgetsEveryPointerToIt) {
  auto* container = new TestContainer(IRECT(0, 0, 100, 100), [&](IContainerBase* self, const IRECT&) {
    self->AddChildControl(NewControl("child"));
  });
  graphics.AttachControl(container, 1);
  IControl* child = container->GetChild(0);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->GetParent(), container);
  graphics.SetCapturedControl(container, 3);
  graphics.SetMouseOverControl(container, 0);
  graphics.HideCursor(true, true);
  delegate.mLog.clear();

  graphics.RemoveControl(container);
  EXPECT_EQ(child->GetParent(), nullptr);
  EXPECT_EQ(graphics.GetCapturedControl(3), nullptr);
  EXPECT_EQ(graphics.GetMouseOverControl(), nullptr);
  EXPECT_EQ(graphics.GetMouseOverIndex(), -1);
  EXPECT_EQ(graphics.GetControlWithTag(1), nullptr);
  EXPECT_EQ(delegate.mLog.front(), "hide cursor 0 lock 1");

  // A removed child leaves its container's list.
  auto* keeper = new TestContainer(IRECT(0, 0, 100, 100));
  graphics.AttachControl(keeper);
  IControl* second = keeper->AddChildControl(NewControl("second"));
  graphics.RemoveControl(second);
  EXPECT_EQ(keeper->NChildren(), 0);
}

TEST_F(ControlTreeTest, RemovingAllReleasesTheCaptureThenDeletesFromTheLast) {
  Attach("a", -1, 1);
  Attach("b");
  graphics.SetCapturedControl(graphics.GetControl(0));
  graphics.SetMouseOverControl(graphics.GetControl(1), 1);
  graphics.HideCursor(true, false);
  delegate.mLog.clear();
  graphics.RemoveAllControls();
  EXPECT_EQ(delegate.mLog, (Log{"hide cursor 0 lock 1", "b deleted", "a deleted"}));
  EXPECT_EQ(graphics.NControls(), 0);
  EXPECT_EQ(graphics.GetControlWithTag(1), nullptr);
  EXPECT_EQ(graphics.GetMouseOverControl(), nullptr);
}

TEST_F(ControlTreeTest, ResizeConstrainsThroughTheDelegateAndClampsTheScale) {
  struct Case {
    int width, height;
    float scale;
    int expectedWidth, expectedHeight;
    float expectedScale;
  };
  const std::vector<Case> cases = {
      {100, 5000, 8.f, 464, 2349, 4.f},
      {1392, 783, 0.1f, 1392, 783, 0.5f},
      {1392, 783, std::numeric_limits<float>::quiet_NaN(), 1392, 783, 0.5f},
  };
  for (const Case& c : cases) {
    graphics.Resize(c.width, c.height, c.scale, true);
    EXPECT_EQ(graphics.Width(), c.expectedWidth);
    EXPECT_EQ(graphics.Height(), c.expectedHeight);
    EXPECT_FLOAT_EQ(graphics.GetDrawScale(), c.expectedScale);
  }
  graphics.SetScaleLimits(2.f, 1.f);
  EXPECT_FLOAT_EQ(graphics.GetMinScale(), 1.f);
  EXPECT_FLOAT_EQ(graphics.GetMaxScale(), 2.f);
}

TEST_F(ControlTreeTest, ResizeAndScreenScaleRunTheirStepsInOrder) {
  Attach("a");
  int layouts = 0;
  delegate.SetLayoutFunc([&](IGraphics* g) { layouts += g == &graphics; });
  graphics.SetLayoutOnResize(true);
  graphics.SetCapturedControl(graphics.GetControl(0));
  graphics.HideCursor(true, true);
  CleanAll();

  graphics.Resize(1392, 783, 1.5f, false);
  EXPECT_EQ(delegate.mLog, (Log{"hide cursor 0 lock 1", "request resize 2088x1174", "resize window 0", "a resize",
                                "update framebuffer", "layout", "resize completed"}));
  EXPECT_EQ(layouts, 1);
  EXPECT_TRUE(graphics.GetControl(0)->IsDirty());

  CleanAll();
  graphics.SetScreenScale(2.f);
  EXPECT_EQ(delegate.mLog,
            (Log{"request resize 2088x1174 platform", "resize window 1", "a rescale", "update framebuffer"}));
  EXPECT_FLOAT_EQ(graphics.GetBackingPixelScale(), 3.f);
  EXPECT_TRUE(graphics.GetControl(0)->IsDirty());
}

TEST_F(ControlTreeTest, ResizeToWhatItIsOnlyAsksForTheConstraint) {
  Attach("a");
  graphics.SetLayoutOnResize(true);
  CleanAll();
  const int constrained = delegate.ConstrainCount();
  graphics.Resize(1392, 783, 1.f, true);
  graphics.Resize(1392, 783, 0.2f, true);  // clamps to 0.5: a change
  CleanAll();
  graphics.Resize(1392, 783, 0.3f, true);  // clamps to the current 0.5
  EXPECT_TRUE(delegate.mLog.empty());
  EXPECT_FALSE(graphics.GetControl(0)->IsDirty());
  EXPECT_EQ(delegate.ConstrainCount(), constrained + 3);
}

TEST_F(ControlTreeTest, WalksVisitTheControlsTheyName) {
  IControl* a = Attach("a", 0, -1, "knobs");
  IControl* b = Attach("b", -1, -1, "knobs");
  IControl* c = Attach("c", 0);
  auto* twoSlots = new LoggingControl(IRECT(), delegate.mLog, "d", {-1, 0});
  graphics.AttachControl(twoSlots);
  using Walked = std::vector<IControl*>;
  EXPECT_EQ(Walk([&](auto f) { graphics.ForAllControlsFunc(f); }), (Walked{a, b, c, twoSlots}));
  EXPECT_EQ(Walk([&](auto f) { graphics.ForMatchingControls(0, f); }), (Walked{a, c, twoSlots}));
  EXPECT_EQ(Walk([&](auto f) { graphics.ForMatchingControls(-1, f); }), Walked{});
  EXPECT_EQ(Walk([&](auto f) { graphics.ForMatchingControls({0, 3, 0}, f); }),
            (Walked{a, a, c, c, twoSlots, twoSlots}));
  EXPECT_EQ(Walk([&](auto f) { graphics.ForControlInGroup("knobs", f); }), (Walked{a, b}));
  EXPECT_EQ(Walk([&](auto f) { graphics.ForControlInGroup("", f); }), Walked{});
  EXPECT_EQ(graphics.GetControlWithParamIdx(0), a);
  EXPECT_EQ(graphics.GetControlWithParamIdx(-1), nullptr);
  EXPECT_THROW(graphics.ForAllControlsFunc(nullptr), std::bad_function_call);
  graphics.RemoveAllControls();
  EXPECT_THROW(graphics.ForAllControlsFunc(nullptr), std::bad_function_call);
}

TEST_F(ControlTreeTest, ParameterWalksHideDisableHighlightAndNameTheLinkedControls) {
  IControl* linked = Attach("linked", 0);
  IControl* other = Attach("other");
  graphics.HideControl(0, true);
  graphics.DisableControl(0, true);
  graphics.SetParamHighlight(0, true, IControl::kCornerMarkGreen);
  graphics.AssignParamNameToolTips();
  EXPECT_TRUE(linked->IsHidden());
  EXPECT_TRUE(linked->IsDisabled());
  EXPECT_STREQ(linked->GetTooltip(), "Gain");
  EXPECT_FALSE(other->IsHidden());
  EXPECT_FALSE(other->IsDisabled());
  EXPECT_STREQ(other->GetTooltip(), "");
  linked->DrawCornerMark(graphics);
  other->DrawCornerMark(graphics);
  EXPECT_EQ(graphics.CallLines().back(), "FillPath solid(255,0,255,0) rule=0 blend=none");
  EXPECT_EQ(graphics.CountCalls("FillPath"), 1);
}

TEST_F(ControlTreeTest, MovingAControlRedrawsAllUnlessItIsHidden) {
  IControl* moved = Attach("moved");
  IControl* other = Attach("other");
  struct Case {
    const char* name;
    std::function<void()> move;
    IRECT expected;
  };
  const std::vector<Case> cases = {
      {"position", [&] { graphics.SetControlPosition(moved, 5, 6); }, IRECT(5, 6, 15, 16)},
      {"size", [&] { graphics.SetControlSize(moved, 20, 30); }, IRECT(5, 6, 25, 36)},
      {"bounds", [&] { graphics.SetControlBounds(moved, IRECT(1, 2, 3, 4)); }, IRECT(1, 2, 3, 4)},
  };
  for (bool hidden : {false, true}) {
    moved->SetRECT(IRECT(0, 0, 10, 10));
    moved->SetTargetRECT(IRECT(0, 0, 10, 10));
    moved->Hide(hidden);
    for (const Case& c : cases) {
      CleanAll();
      c.move();
      EXPECT_EQ(moved->GetTargetRECT(), c.expected) << c.name;
      EXPECT_EQ(delegate.mLog, Log{"moved resize"}) << c.name;
      EXPECT_EQ(other->IsDirty(), !hidden) << c.name;
    }
  }
}

TEST_F(ControlTreeTest, ContainersRunTheirFunctionsAndPassStatesToTheirChildren) {
  std::vector<std::string> calls;
  const auto record = [&](const char* what) {
    return [&calls, what](IContainerBase* container, const IRECT& r) {
      calls.push_back(std::string(what) + " " + std::to_string(container->NChildren()) + " " +
                      std::to_string(static_cast<int>(r.W())));
    };
  };
  auto* empty = new TestContainer(IRECT(0, 0, 40, 40), record("attach"), record("resize"));
  graphics.AttachControl(empty);
  graphics.Resize(1000, 700, 1.f, true);
  EXPECT_EQ(calls, Log{"attach 0 40"});

  auto* full = new TestContainer(
      IRECT(0, 0, 50, 50),
      [&](IContainerBase* self, const IRECT&) {
        self->AddChildControl(NewControl("x"));
        self->AddChildControl(NewControl("y"));
      },
      record("resize"));
  graphics.AttachControl(full);
  EXPECT_EQ(calls.back(), "resize 2 50");
  EXPECT_TRUE(full->GetIgnoreMouse());

  for (bool state : {true, false}) {
    full->Hide(state);
    full->SetDisabled(state);
    std::vector<int> indexes;
    full->ForAllChildren([&](int index, IControl* child) {
      indexes.push_back(index);
      EXPECT_EQ(child->IsHidden(), state);
      EXPECT_EQ(child->IsDisabled(), state);
    });
    EXPECT_EQ(indexes, (std::vector<int>{0, 1}));
  }
}

TEST_F(ControlTreeTest, APanelFillsWithItsPatternAndIgnoresTheMouse) {
  IControl* panel = graphics.AttachPanelBackground(IPaint(kColorRed));
  EXPECT_EQ(graphics.GetMouseControlIdx(10, 10), -1);
  panel->Draw(graphics);
  const auto fillLines = graphics.CallLines();
  EXPECT_EQ(fillLines, (std::vector<std::string>{"PathClear", "PathMoveTo 0 0", "PathLineTo 1392 0",
                                                  "PathLineTo 1392 783", "PathLineTo 0 783", "PathClose",
                                                  "FillPath solid(255,255,0,0) rule=0 blend=(0,1)"}));

  graphics.ClearCalls();
  IPanelControl framed(IRECT(0, 0, 10, 10), IPaint(kColorRed), true);
  framed.SetDisabled(true);
  framed.Draw(graphics);
  const auto lines = graphics.CallLines();
  EXPECT_EQ(lines[6], "FillPath solid(255,255,0,0) rule=0 blend=(0,0.25)");
  EXPECT_EQ(lines.back(), "StrokePath solid(255,240,240,240) 1 miter=10 cap=0 join=0 blend=(0,0.25)");
}

}  // namespace
}  // namespace plugkit::graphics
