// The vector buttons, switches and toggles as the screen shows them, against
// a golden image: the call-log tests carry their geometry, this guards the
// pixels against regressions.
#include <filesystem>

#include "binding_fixture.h"
#include "framework/core/param.h"
#include "graphics/controls/vector_buttons.h"
#include "graphics/controls/vector_menu_button.h"
#include "graphics/controls/vector_tab_switches.h"
#include "tests/support/renderer/test_fonts.h"
#include "support/test_paths.h"

namespace plugkit::testing {
namespace {

using namespace graphics;

constexpr int kButtonGalleryWidth = 480;
constexpr int kButtonGalleryHeight = 320;

IVStyle ButtonStyle(EVShape shape = EVShape::Rectangle) {
  IVStyle style;
  style.labelText = IText(12, kColorBlack, kFont, EAlign::Center, EVAlign::Top);
  style.valueText = IText(12, kColorBlack, kFont, EAlign::Center, EVAlign::Bottom);
  style.roundness = shape == EVShape::Rectangle ? 0.f : 0.5f;
  style.colorSpec.SetColor(kX1, IColor(255, 213, 188, 112));
  return style;
}

void AttachButtonGallery(IGraphics& g) {
  g.AttachControl(new DrawingControl(IRECT(0, 0, kButtonGalleryWidth, kButtonGalleryHeight),
                                     [](IGraphics& gr, const IRECT& r) { gr.FillRect(kLightBackground, r); }));
  // Buttons in the three shapes, up and pressed.
  const EVShape shapes[] = {EVShape::Rectangle, EVShape::Ellipse, EVShape::Triangle};
  for (int i = 0; i < 3; ++i) {
    for (int pressed = 0; pressed < 2; ++pressed) {
      const float x = 10.f + 75.f * (2 * i + pressed);
      IVStyle style = ButtonStyle(shapes[i]);
      style.labelText.mVAlign = EVAlign::Middle;
      auto* button = new IVButtonControl(IRECT(x, 10, x + 65, 60), nullptr, pressed ? "down" : "up", style, true,
                                         true, shapes[i]);
      g.AttachControl(button);
      button->SetValueAt(pressed);
    }
  }
  // Switches and toggles.
  auto* wave = new IVSwitchControl(IRECT(10, 70, 110, 130), 0, "Switch", ButtonStyle(), true);
  g.AttachControl(wave);
  g.AttachControl(new IVToggleControl(IRECT(120, 70, 200, 130), nullptr, "Off", ButtonStyle(), "OFF", "ON", false));
  g.AttachControl(new IVToggleControl(IRECT(210, 70, 290, 130), nullptr, "On", ButtonStyle(), "OFF", "ON", true));
  auto* slide = new IVSlideSwitchControl(IRECT(300, 70, 470, 130), SlideSwitchClickAction, "Slide",
                                         ButtonStyle(EVShape::AllRounded), true, EDirection::Horizontal, 3, 1);
  g.AttachControl(slide);
  // Rounded tabs in both directions.
  const std::vector<const char*> options = {"A", "B", "C"};
  const EVShape tabShapes[] = {EVShape::EndsRounded, EVShape::AllRounded};
  for (int i = 0; i < 2; ++i) {
    const float y = 140.f + 45.f * i;
    auto* row = new IVTabSwitchControl(IRECT(10, y, 200, y + 40), nullptr, options, "", ButtonStyle(tabShapes[i]),
                                       tabShapes[i], EDirection::Horizontal);
    g.AttachControl(row);
    row->SetValueAt(0.5);
    const float x = 210.f + 55.f * i;
    auto* column = new IVTabSwitchControl(IRECT(x, 140, x + 45, 310), nullptr, options, "",
                                          ButtonStyle(tabShapes[i]), tabShapes[i], EDirection::Vertical);
    g.AttachControl(column);
    column->SetValueAt(1.0);
  }
  g.AttachControl(new IVRadioButtonControl(IRECT(330, 140, 470, 230), nullptr, {"Sine", "Saw", "Square"}, "Radio",
                                           ButtonStyle(EVShape::Ellipse), EVShape::Ellipse, EDirection::Vertical,
                                           12));
  g.AttachControl(new IVMenuButtonControl(IRECT(10, 240, 200, 280), 0, "", ButtonStyle(EVShape::AllRounded),
                                          EVShape::AllRounded));
}

class ControlsGalleryVectorButtonsTest : public BindingTest {
protected:
  ControlsGalleryVectorButtonsTest() { delegate.GetParam(0)->InitEnum("Wave", 1, {"Sine", "Saw", "Square"}); }
  RecordingDelegate delegate{1};
};

TEST_F(ControlsGalleryVectorButtonsTest, VectorButtonsSwitchesAndTogglesMatchTheirGolden) {
  TestVectorGraphics g(delegate, kButtonGalleryWidth, kButtonGalleryHeight);
  ASSERT_TRUE(g.LoadFont(kFont, orvane::testing::kDejaVuSansMono.c_str()));
  AttachButtonGallery(g);
  g.DrawAll();
  const std::filesystem::path golden = std::filesystem::path(ORVANE_GOLDEN_DIR) / "controls" / "vector_buttons.png";
  const auto result = standin::testing::CheckGolden(g.Screen(), golden, {.channel = kGoldenChannelTolerance});
  EXPECT_TRUE(result.passed) << result.message;
}

}  // namespace
}  // namespace plugkit::testing
