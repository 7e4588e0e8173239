#include "graphics/controls/text_controls.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/core/param.h"
#include "graphics/graphics_context.h"
#include "standin/testing/run_loop.h"
#include "support/graphics/drawn_shapes.h"
#include "support/graphics/recording_delegate.h"
#include "support/graphics/synthetic_input.h"

namespace plugkit::graphics {
namespace {

using testing::DrawnShapes;
using testing::RecordingDelegate;
using testing::RecordingGraphics;
using testing::SyntheticInput;
using Lines = std::vector<std::string>;

// Text of size 20: every character is 10 wide and the line 20 high.
constexpr float kSize = 20.f;

IText Text(EAlign align = EAlign::Center, EVAlign valign = EVAlign::Middle) {
  return IText(kSize, kColorBlack, nullptr, align, valign);
}

class TextControlsTest : public ::testing::Test {
protected:
  enum Params { kGain, kWave, kNParams };

  TextControlsTest() {
    delegate.GetParam(kGain)->InitGain("Gain", -6.0, -70.0, 12.0, 0.1);
    delegate.GetParam(kWave)->InitEnum("Wave", 1, {"Sine", "Saw"});
    g.SetGeometryMode(true);
    g.AttachControl(new ITextControl(IRECT(0, 0, 400, 300)));  // the background, never hovered
  }

  template <class Control>
  Control* Attach(Control* control) {
    g.AttachControl(control);
    delegate.mLog.clear();
    g.Log().clear();
    return control;
  }
  Lines Drawn(IControl& control) {
    g.ClearCalls();
    control.Draw(g);
    return DrawnShapes(g);
  }

  RecordingDelegate delegate{kNParams};
  RecordingGraphics g{delegate, 400, 300};
  SyntheticInput input{g};
};

TEST_F(TextControlsTest, ALabelStoresItsStringAndRedrawsOnlyOnAChange) {
  struct Case {
    const char* name;
    std::function<void(ITextControl&)> change;
    std::string expected;
    bool dirty;
  };
  const std::vector<Case> cases = {
      {"the same string", [](ITextControl& c) { c.SetStr("label"); }, "label", false},
      {"another", [](ITextControl& c) { c.SetStr("other"); }, "other", true},
      {"cleared", [](ITextControl& c) { c.ClearStr(); }, "", true},
      {"formatted and cut", [](ITextControl& c) { c.SetStrFmt(4, "%d", 12345); }, "1234", true},
      // A wide character the C locale cannot encode: an encoding error.
      {"an encoding error", [](ITextControl& c) { c.SetStrFmt(8, "ab%ls", L"\u00e9"); }, "", true},
  };
  for (const Case& c : cases) {
    auto* label = Attach(new ITextControl(IRECT(0, 0, 100, 40), "label"));
    label->ClearDirty();
    c.change(*label);
    EXPECT_EQ(label->GetStr(), c.expected) << c.name;
    EXPECT_EQ(label->IsDirty(), c.dirty) << c.name;
    g.RemoveControl(label);
  }
}

TEST_F(TextControlsTest, ALabelSizedByItsStringKeepsItsCentre) {
  auto* label = Attach(new ITextControl(IRECT(0, 0, 100, 40), "abcd", Text(), kColorWhite, true));
  EXPECT_EQ(label->GetRECT(), IRECT(30, 10, 70, 30));
  label->SetStr("ab");
  EXPECT_EQ(label->GetRECT(), IRECT(40, 10, 60, 30));
  EXPECT_EQ(label->GetTargetRECT(), label->GetRECT());
}

TEST_F(TextControlsTest, ALabelHidesItsStringWhileItIsEdited) {
  auto* label = Attach(new ITextControl(IRECT(0, 0, 100, 40), "label", Text(), kColorBlue));
  const std::string background = "fill (255,0,0,255) (0,0,100,40)";
  EXPECT_EQ(Drawn(*label), (Lines{background, "text \"label\" (0,0,100,40)"}));
  g.CreateTextEntry(*label, label->GetText(), label->GetRECT(), "label");
  EXPECT_EQ(Drawn(*label), (Lines{background}));
}

TEST_F(TextControlsTest, ATextToggleFlipsAtHalfAndShowsItsString) {
  struct Case {
    double start;
    double expected;
    const char* shown;
  };
  for (const Case& c : {Case{0.5, 1.0, "on"}, Case{0.7, 0.0, "off"}, Case{0.2, 1.0, "on"}}) {
    auto* toggle = Attach(new ITextToggleControl(IRECT(0, 0, 100, 40), kWave, "off", "on"));
    EXPECT_STREQ(toggle->GetStr(), "off");
    toggle->SetValueAt(c.start);
    input.DoubleClick(10, 10);  // taken as a single click
    EXPECT_EQ(toggle->ValueAt(), c.expected) << c.start;
    EXPECT_STREQ(toggle->GetStr(), c.shown) << c.start;
    EXPECT_EQ(delegate.mLog.at(1), "set param 1 " + std::to_string(c.expected));
    g.RemoveControl(toggle);
  }
}

TEST_F(TextControlsTest, ACaptionShowsItsParameterAndATriangleOnlyForAnEnum) {
  struct Case {
    const char* name;
    int param;
    EAlign align;
    bool mouseOver;
    Lines expected;
  };
  const std::string background = "fill (255,255,255,255) (0,0,100,20)";
  // Size 14: a 7 x 4.62 box centred 7 in from the right, or from the left when far aligned.
  const std::vector<Case> cases = {
      {"not enumerated", kGain, EAlign::Center, false, {background, "text \"-6.0 dB\" (0,0,100,20)"}},
      {"enumerated", kWave, EAlign::Center, false,
       {background, "text \"Saw\" (0,0,100,20)", "fill (255,0,0,0) (89.5,7.69,96.5,12.31) @0.5"}},
      {"far aligned, under the mouse", kWave, EAlign::Far, true,
       {background, "text \"Saw\" (0,0,100,20)", "fill (255,255,255,255) (3.5,7.69,10.5,12.31)"}},
  };
  for (const Case& c : cases) {
    auto* caption =
        Attach(new ICaptionControl(IRECT(0, 0, 100, 20), c.param, IText(14.f, kColorBlack, nullptr, c.align)));
    caption->SetMouseIsOver(c.mouseOver);
    EXPECT_EQ(Drawn(*caption), c.expected) << c.name;
    g.RemoveControl(caption);
  }

  // Either button prompts over the caption (the dispatch makes a right-click its context menu).
  auto* caption = Attach(new ICaptionControl(IRECT(0, 0, 100, 20), kGain, Text()));
  input.Click(10, 10);
  caption->OnMouseDown(10, 10, testing::kRightButton);
  ASSERT_EQ(g.TextEntries().size(), 2u);
  EXPECT_EQ(g.TextEntries().front().bounds, IRECT(0, 0, 100, 20));
  EXPECT_EQ(g.TextEntries().back().bounds, IRECT(0, 0, 100, 20));
}

TEST_F(TextControlsTest, ALinkOpensOnClickAndShowsTheHandWhileHovered) {
  g.EnableMouseOver(true);
  auto* link = Attach(new IURLControl(IRECT(100, 100, 200, 140), "link", "https://example.com/", Text()));
  input.Hover(150, 120);
  EXPECT_TRUE(link->GetMouseIsOver());
  input.Down(150, 120);
  EXPECT_EQ(g.GetMouseOverControl(), nullptr);
  EXPECT_EQ(g.GetCapturedControl(), nullptr);
  input.Up(150, 120);
  input.Hover(10, 10);
  EXPECT_FALSE(link->GetMouseIsOver());
  EXPECT_EQ(g.Log(), (Lines{"open link: https://example.com/"}));
  Lines cursors;
  for (const std::string& line : g.CallLines())
    if (line.rfind("SetCursor", 0) == 0) cursors.push_back(line);
  EXPECT_EQ(cursors, (Lines{"SetCursor 11", "SetCursor 11", "SetCursor 0"}));
}

TEST_F(TextControlsTest, ALinkIsUnderlinedBelowItsMeasuredTextInItsStateColour) {
  struct Case {
    const char* name;
    EAlign align;
    EVAlign valign;
    std::function<void(IURLControl&)> setUp;
    std::string underline;
  };
  // "link" is 40 wide and 20 high in (100, 100, 200, 140).
  const std::vector<Case> cases = {
      {"near, top", EAlign::Near, EVAlign::Top, [](IURLControl&) {}, "stroke (255,0,0,0) (100,120,140,120)"},
      {"centre, middle", EAlign::Center, EVAlign::Middle, [](IURLControl&) {}, "stroke (255,0,0,0) (130,130,170,130)"},
      {"far, bottom", EAlign::Far, EVAlign::Bottom, [](IURLControl&) {}, "stroke (255,0,0,0) (160,140,200,140)"},
      {"clicked", EAlign::Near, EVAlign::Top, [](IURLControl& c) { c.OnMouseDown(0, 0, testing::kLeftButton); },
       "stroke (255,0,0,255) (100,120,140,120)"},
      {"clicked, under the mouse", EAlign::Near, EVAlign::Top,
       [](IURLControl& c) {
         c.OnMouseDown(0, 0, testing::kLeftButton);
         c.SetMouseIsOver(true);
       },
       "stroke (255,0,255,0) (100,120,140,120)"},
      {"a new text colour", EAlign::Near, EVAlign::Top,
       [](IURLControl& c) { c.SetText(IText(kSize, kColorRed, nullptr, EAlign::Near, EVAlign::Top)); },
       "stroke (255,255,0,0) (100,120,140,120)"},
  };
  for (const Case& c : cases) {
    auto* link = Attach(new IURLControl(IRECT(100, 100, 200, 140), "link", "https://example.com/",
                                        Text(c.align, c.valign), kColorWhite, kColorGreen, kColorBlue));
    c.setUp(*link);
    EXPECT_EQ(Drawn(*link),
              (Lines{"fill (255,255,255,255) (100,100,200,140)", c.underline, "text \"link\" (100,100,200,140)"}))
        << c.name;
    g.RemoveControl(link);
  }
}

TEST_F(TextControlsTest, APlaceHolderShowsItsPlaceAndSizeAndIsRenamedByADoubleClick) {
  auto* holder = Attach(new PlaceHolder(IRECT(10, 20, 110, 70), "Slot"));
  Lines texts;
  for (const std::string& line : Drawn(*holder))
    if (line.rfind("text", 0) == 0) texts.push_back(line.substr(0, line.find('"', 6) + 1));
  EXPECT_EQ(texts, (Lines{"text \"50.0\"", "text \"100.0\"", "text \"10.0, 20.0\"", "text \"Slot\""}));

  g.QueueTextEntryAnswer("Knob");
  input.DoubleClick(50, 50);
  standin::testing::RunOnce();
  EXPECT_STREQ(holder->GetStr(), "Knob");
}

}  // namespace
}  // namespace plugkit::graphics
