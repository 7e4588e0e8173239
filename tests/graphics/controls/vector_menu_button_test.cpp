#include "graphics/controls/vector_menu_button.h"

#include <algorithm>
#include <string>
#include <vector>

#include "common/popup_menu.h"
#include "vector_controls_fixture.h"

namespace plugkit::graphics {
namespace {

using testing::RecordingGraphics;

class VectorMenuButtonTest : public VectorControlsTest {
protected:
  IVMenuButtonControl* AttachMenu(int paramIdx, const char* group = "") {
    return Attach(new IVMenuButtonControl(IRECT(10, 10, 110, 40), paramIdx), group);
  }
};

TEST_F(VectorMenuButtonTest, ItsButtonOffersTheParametersTextsOnceTheSplashHasEnded) {
  IVMenuButtonControl* menu = AttachMenu(kWave, "group");
  IVButtonControl* button = menu->GetButton();
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(g.NControls(), 3);
  EXPECT_STREQ(button->GetGroup(), "group");
  EXPECT_EQ(button->GetParent(), menu);
  EXPECT_EQ(button->GetRECT(), menu->GetRECT());
  EXPECT_STREQ(button->GetValueStr(), "Sine");

  g.QueuePopupAnswer(RecordingGraphics::PopupAnswer::Choose(2));
  GraphicsClock::PinForTesting(1000.0);
  input.Click(50, 25);
  FrameAt(1100.0);
  EXPECT_TRUE(g.ShownMenus().empty());
  FrameAt(1101.0);
  EXPECT_EQ(g.ShownMenus(), (Lines{"Wave: Sine (checked) | Saw | Square"}));
  EXPECT_NE(std::find(g.Log().begin(), g.Log().end(),
                      "popup menu: Wave (3 items) at " + testing::FormatRect(button->GetWidgetBounds())),
            g.Log().end());
  EXPECT_EQ(delegate.GetParam(kWave)->Value(), 2.0);
  EXPECT_STREQ(button->GetValueStr(), "Square");

  // The host sets the parameter, then shows it.
  delegate.GetParam(kWave)->Set(1.0);
  menu->SetValueFromHost(0.5);
  EXPECT_STREQ(button->GetValueStr(), "Saw");

  IVStyle style;
  style.valueText.mVAlign = EVAlign::Top;
  style.colorSpec.SetColor(kFG, kColorRed);
  menu->SetStyle(style);
  EXPECT_EQ(button->GetStyle().GetColor(kFG), kColorRed);
  EXPECT_EQ(button->GetStyle().valueText.mVAlign, EVAlign::Middle);
}

// The button calls the menu button when its splash ends, so it must not outlive it;
// the context owns and deletes each once, which AddressSanitizer checks when
// the fixture's context goes with a menu button still attached.
TEST_F(VectorMenuButtonTest, ItsButtonGoesWithIt) {
  IVMenuButtonControl* menu = AttachMenu(kWave);
  g.RemoveControl(menu);
  EXPECT_EQ(g.NControls(), 1);

  menu = AttachMenu(kWave);
  g.RemoveControl(menu->GetButton());
  EXPECT_EQ(menu->GetButton(), nullptr);
  g.RemoveControl(menu);
  EXPECT_EQ(g.NControls(), 1);

  AttachMenu(kWave);
}

// A chosen index is a real value taken down to a multiple of the step; a
// step that is not above 0 takes it as it is.
TEST_F(VectorMenuButtonTest, AChosenIndexIsTakenDownToTheParametersStep) {
  struct Case {
    int param;
    double expected;
  };
  for (const Case& c : {Case{kEvenSteps, 0.2}, Case{kNoStep, 0.3}}) {
    IVMenuButtonControl* menu = AttachMenu(c.param);
    IPopupMenu choice("values");
    for (const char* text : {"0", "1", "2", "3"}) choice.AddItem(text);
    choice.SetChosenItemIdx(3);
    menu->OnPopupMenuSelection(&choice, 0);
    EXPECT_DOUBLE_EQ(menu->ValueAt(), c.expected) << c.param;
    g.RemoveControl(menu);
  }
}

}  // namespace
}  // namespace plugkit::graphics
