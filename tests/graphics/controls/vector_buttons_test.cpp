#include "graphics/controls/vector_buttons.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "vector_controls_fixture.h"

namespace plugkit::graphics {
namespace {

using testing::DrawnShapes;
using VectorButtonsTest = VectorControlsTest;

TEST_F(VectorButtonsTest, TheLayoutRuleCutsLabelValueAndWidgetFromTheParent) {
  struct Case {
    const char* name;
    std::function<void(IVStyle&)> style;
    bool inWidget;
    bool hasHandle;
    Lines measured;
    IRECT clickable, label, value, widget;
  };
  const auto labelOn = [](ESide side) {
    return [side](IVStyle& s) {
      s.showValue = false;
      s.labelSide = side;
    };
  };
  const auto valueAt = [](EVAlign align) {
    return [align](IVStyle& s) {
      s.showLabel = false;
      s.valueText.mVAlign = align;
    };
  };
  const IRECT all(0, 0, 100, 100);
  const std::vector<Case> cases = {
      {"label on top", labelOn(ESide::Top), false, false, {"abcd"},
       IRECT(0, 20, 100, 100), IRECT(30, 0, 70, 20), IRECT(), IRECT(0, 20, 100, 100)},
      {"label on the right", labelOn(ESide::Right), false, false, {"abcd"},
       IRECT(0, 0, 60, 100), IRECT(60, 40, 100, 60), IRECT(), IRECT(0, 0, 60, 100)},
      {"label at the bottom", labelOn(ESide::Bottom), false, false, {"abcd"},
       IRECT(0, 0, 100, 80), IRECT(30, 80, 70, 100), IRECT(), IRECT(0, 0, 100, 80)},
      {"label on the left", labelOn(ESide::Left), false, false, {"abcd"},
       IRECT(40, 0, 100, 100), IRECT(0, 40, 40, 60), IRECT(), IRECT(40, 0, 100, 100)},
      {"value at the top", valueAt(EVAlign::Top), false, false, {"abcde"},
       all, IRECT(), IRECT(17, 0, 83, 20), IRECT(0, 20, 100, 100)},
      {"value in the middle", valueAt(EVAlign::Middle), false, false, {"abcde"},
       all, IRECT(), IRECT(17, 40, 83, 60), all},
      {"value at the bottom", valueAt(EVAlign::Bottom), false, false, {"abcde"},
       all, IRECT(), IRECT(17, 80, 83, 100), IRECT(0, 0, 100, 80)},
      {"half the widget", [](IVStyle& s) { s.showLabel = s.showValue = false; s.widgetFrac = 0.5f; }, false, false, {},
       all, IRECT(), IRECT(), IRECT(25, 25, 75, 75)},
      {"a handle in a frame with a shadow", [](IVStyle& s) {
         s.showLabel = s.showValue = false;
         s.drawFrame = s.drawShadows = true;
         s.frameThickness = 2;
       }, false, true, {}, all, IRECT(), IRECT(), IRECT(4, 1, 96, 96)},
      {"a handle beside the value band", [](IVStyle& s) { s.drawFrame = true; s.frameThickness = 2; }, false, true,
       {"abcd", "abcde"}, IRECT(0, 20, 100, 100), IRECT(30, 0, 70, 20), IRECT(17, 80, 83, 100),
       IRECT(1, 21, 99, 99)},
      {"label and value in the widget", [](IVStyle& s) { s.widgetFrac = 0.5f; }, true, false, {},
       all, IRECT(25, 25, 75, 75), IRECT(25, 25, 75, 75), IRECT(25, 25, 75, 75)},
  };
  for (const Case& c : cases) {
    IVStyle style = FlatStyle();
    c.style(style);
    auto* button = Attach(new IVButtonControl(all, nullptr, "abcd", style, c.inWidget, c.inWidget));
    button->SetValueStr("abcde");
    g.ClearCalls();
    EXPECT_EQ(button->MakeRects(all, c.hasHandle), c.clickable) << c.name;
    Lines measured;
    for (const auto& call : g.Calls())
      if (call.kind == "MeasureText") measured.push_back(*call.text);
    EXPECT_EQ(measured, c.measured) << c.name;
    EXPECT_EQ(button->GetLabelBounds(), c.label) << c.name;
    EXPECT_EQ(button->GetValueBounds(), c.value) << c.name;
    EXPECT_EQ(button->GetWidgetBounds(), c.widget) << c.name;
    g.RemoveControl(button);
  }
}

TEST_F(VectorButtonsTest, ALabelDrawsItsTextWithAShadowOnlyWhenEnabled) {
  struct Case {
    const char* text;
    bool disabled;
    Lines expected;
  };
  const std::string frame = "stroke (255,70,70,70) (0,0,100,40)";
  const std::vector<Case> cases = {
      {"hi", false, {"text \"hi\" (3,3,103,43)", "text \"hi\" (0,0,100,40)", frame}},
      {"hi", true, {"text \"hi\" (0,0,100,40)", frame + " @0.25"}},
      {"", false, {frame}},
  };
  for (const Case& c : cases) {
    auto* label = Attach(new IVLabelControl(IRECT(0, 0, 100, 40), c.text));
    label->SetDisabled(c.disabled);
    Lines drawn = Drawn(*label);
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.front().rfind("fill (0,0,0,0) (0,0,100,40)", 0), 0u) << "the background first";
    drawn.erase(drawn.begin());
    EXPECT_EQ(drawn, c.expected) << c.text << " disabled " << c.disabled;
    g.RemoveControl(label);
  }
}

TEST_F(VectorButtonsTest, EachControlDrawsItsPartsInItsOrder) {
  struct Case {
    const char* name;
    std::function<IControl*()> make;
    Lines expected;
  };
  const IRECT r(0, 0, 100, 100);
  const std::string background = "fill (0,0,0,0) (0,0,100,100)";
  const std::string label = "text \"abc\" (35,0,65,20)";
  const std::string face = "fill (255,200,200,200) (0,20,100,100)";
  const std::vector<Case> cases = {
      {"button", [&] { return new IVButtonControl(r, nullptr, "abc", FlatStyle(EVAlign::Middle), false, true); },
       {background, face, label}},
      {"switch", [&] { return new IVSwitchControl(r, kWave, "abc", FlatStyle(), true); },
       {background, label, face, "text \"Sine\" (0,20,100,100)"}},
      {"toggle", [&] { return new IVToggleControl(r, nullptr, "abc", FlatStyle(), "off", "on", true); },
       {background, label, "fill (255,240,240,240) (3,23,103,103)", "text \"on\" (0,20,100,100)"}},
      {"slide switch",
       [&] { return new IVSlideSwitchControl(r, kWave, "abc", FlatStyle(), true, EDirection::Horizontal); },
       {background, "fill (60,0,0,0) (0,20,100,100)", "fill (255,200,200,200) (0,20,33.333,100)", label,
        "text \"Sine\" (0,20,33.333,100)"}},
  };
  for (const Case& c : cases) {
    IControl* control = Attach(c.make());
    EXPECT_EQ(Drawn(*control), c.expected) << c.name;
    g.RemoveControl(control);
  }
}

TEST_F(VectorButtonsTest, ASwitchIsHitOnItsWidgetOnlyAndShowsItsParameter) {
  auto* empty = Attach(new IVSwitchControl(IRECT(), IControl::kNoParameter));
  auto* wave = Attach(new IVSwitchControl(IRECT(0, 0, 100, 100), kWave, "", FlatStyle()));
  EXPECT_STREQ(wave->GetLabelStr(), "Wave");
  EXPECT_STREQ(wave->GetValueStr(), "Sine");
  struct Case {
    float x, y;
    bool hit;
  };
  for (const Case& c : {Case{50, 10, false}, Case{50, 50, true}, Case{50, 95, true}})
    EXPECT_EQ(wave->HitTest(c.x, c.y), c.hit) << c.x << "," << c.y;
  EXPECT_FALSE(empty->HitTest(0, 0));
  input.Click(50, 50);
  EXPECT_STREQ(wave->GetValueStr(), "Saw");
}

TEST_F(VectorButtonsTest, AToggleShowsItsOnOrOffTextAndIsHighlightedUnderTheMouse) {
  auto* toggle = Attach(new IVToggleControl(IRECT(0, 0, 100, 100), nullptr, "", FlatStyle(), "off", "on"));
  struct Case {
    double value;
    bool mouseOver;
    Lines expected;
  };
  const std::vector<Case> cases = {
      {0.0, false, {"text \"off\" (0,0,100,100)"}},
      {0.6, false, {"text \"on\" (0,0,100,100)"}},
      {0.5, true, {"fill (10,0,0,0) (0,0,100,100)", "text \"off\" (0,0,100,100)"}},
  };
  for (const Case& c : cases) {
    toggle->SetValueAt(c.value);
    g.ClearCalls();
    toggle->DrawValue(g, c.mouseOver);
    EXPECT_EQ(DrawnShapes(g), c.expected) << c.value;
  }
}

TEST_F(VectorButtonsTest, ASlideSwitchPlacesItsHandleOnItsStatesSlot) {
  struct Case {
    const char* name;
    EDirection direction;
    int states;
    int state;
    Lines expected;  // handle, start, end
  };
  const std::vector<Case> cases = {
      {"two states at 1", EDirection::Horizontal, 2, 1, {"(50,0,100,100)", "(50,0,100,100)", "(0,0,50,100)"}},
      {"three states downwards", EDirection::Vertical, 3, 1,
       {"(0,33.333,100,66.667)", "(0,33.333,100,66.667)", "(0,66.667,100,100)"}},
      // Fewer than one state still lays out one slot.
      {"no states", EDirection::Horizontal, 0, 0, {"(0,0,100,100)", "(0,0,100,100)", "(0,0,100,100)"}},
  };
  for (const Case& c : cases) {
    auto* slide = Attach(new IVSlideSwitchControl(IRECT(0, 0, 100, 100), SlideSwitchClickAction, "", FlatStyle(),
                                                  false, c.direction, c.states, c.state));
    EXPECT_EQ((Lines{testing::FormatRect(slide->GetHandleBounds()), testing::FormatRect(slide->GetStartRect()),
                     testing::FormatRect(slide->GetEndRect())}),
              c.expected)
        << c.name;
    g.RemoveControl(slide);
  }
}

TEST_F(VectorButtonsTest, ASlideSwitchSlidesItsHandleAndHidesItsValueMeanwhile) {
  auto* slide = Attach(new IVSlideSwitchControl(IRECT(0, 0, 100, 100), SlideSwitchClickAction, "",
                                                FlatStyle(EVAlign::Middle), true, EDirection::Horizontal, 2, 0));
  slide->SetValueStr("v");
  const auto valueShown = [&] {
    const Lines drawn = Drawn(*slide);
    return std::find(drawn.begin(), drawn.end(), "text \"v\" " + testing::FormatRect(slide->GetHandleBounds())) !=
           drawn.end();
  };
  EXPECT_TRUE(valueShown());
  GraphicsClock::PinForTesting(1000.0);
  input.Click(25, 50);
  EXPECT_EQ(slide->GetHandleBounds(), IRECT(0, 0, 50, 100));
  FrameAt(1050.0);
  EXPECT_EQ(slide->GetHandleBounds(), IRECT(25, 0, 75, 100));
  EXPECT_EQ(slide->GetValueBounds(), IRECT(25, 0, 75, 100));
  EXPECT_FALSE(valueShown());
  FrameAt(1101.0);
  EXPECT_EQ(slide->GetHandleBounds(), IRECT(50, 0, 100, 100));
  EXPECT_TRUE(valueShown());
}

TEST_F(VectorButtonsTest, AClickedSwitchMayBeRemovedByItsAction) {
  const IControl::ActionFunc removeSelf = [this](IControl* self) { g.RemoveControl(self); };
  struct Case {
    const char* name;
    std::function<IControl*()> make;
  };
  const std::vector<Case> cases = {
      {"a switch", [&] { return new IVSwitchControl(IRECT(0, 0, 100, 100), removeSelf, "", WidgetOnlyStyle()); }},
      {"a slide switch",
       [&] { return new IVSlideSwitchControl(IRECT(0, 0, 100, 100), removeSelf, "", WidgetOnlyStyle()); }},
  };
  for (const Case& c : cases) {
    Attach(c.make());
    input.Click(50, 50);
    EXPECT_EQ(g.NControls(), 1) << c.name;
  }
}

}  // namespace
}  // namespace plugkit::graphics
