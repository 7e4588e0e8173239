// The vector XY pads, plots, group frame and colour swatches as the screen
// shows them, against a golden image: the call-log tests carry their
// geometry, this guards the pixels against regressions.
#include <cmath>
#include <filesystem>
#include <numbers>

#include "binding_fixture.h"
#include "graphics/controls/vector_color_swatch.h"
#include "graphics/controls/vector_group.h"
#include "graphics/controls/vector_knob_slider.h"
#include "graphics/controls/vector_plot.h"
#include "graphics/controls/vector_xy_pad.h"
#include "tests/support/renderer/test_fonts.h"
#include "support/test_paths.h"

namespace plugkit::testing {
namespace {

using namespace graphics;

constexpr int kPadGalleryWidth = 480;
constexpr int kPadGalleryHeight = 320;
constexpr IColor kGold{255, 213, 188, 112};
constexpr IColor kBlue{255, 60, 110, 170};
constexpr IColor kRed{255, 190, 70, 60};

IVStyle GalleryStyle() {
  IVStyle style;
  style.labelText = IText(12, kColorBlack, kFont, EAlign::Center, EVAlign::Top);
  style.valueText = IText(12, kColorBlack, kFont, EAlign::Center, EVAlign::Bottom);
  style.colorSpec.SetColor(kX1, kGold);
  return style;
}

IVStyle PlotStyle() {
  IVStyle style = GalleryStyle();
  style.showValue = false;
  style.colorSpec.SetColor(kBG, IColor(255, 250, 250, 250));
  return style;
}

IVStyle SwatchStyle() {
  IVStyle style = GalleryStyle();
  style.showValue = false;
  style.colorSpec.ResetColors({kGold, kBlue, kRed, kColorDarkGrey, IColor(255, 120, 200, 140),
                               IColor(255, 150, 90, 200), kColorBlack, kColorWhite, kColorOrange});
  return style;
}

double Sine(double x) { return std::sin(2.0 * std::numbers::pi * x); }
double Ramp(double x) { return 2.0 * x * x - 1.0; }

void AttachGallery(IGraphics& g) {
  g.AttachControl(new DrawingControl(IRECT(0, 0, kPadGalleryWidth, kPadGalleryHeight),
                                     [](IGraphics& gr, const IRECT& r) { gr.FillRect(kLightBackground, r); }));
  // XY pads: clipped with the cross, and inset without it, each in a corner.
  auto* clipped = new IVXYPadControl(IRECT(10, 10, 120, 130), {IControl::kNoParameter, IControl::kNoParameter},
                                     "Clipped", GalleryStyle(), 12, true, true);
  g.AttachControl(clipped);
  clipped->SetValueAt(0.0, 0);
  clipped->SetValueAt(1.0, 1);
  auto* inset = new IVXYPadControl(IRECT(130, 10, 240, 130), {IControl::kNoParameter, IControl::kNoParameter},
                                   "Inset", GalleryStyle(), 12, false, false);
  g.AttachControl(inset);
  inset->SetValueAt(1.0, 0);
  inset->SetValueAt(0.25, 1);

  // Two curves each, drawn directly and through a layer.
  const std::vector<IVPlotControl::Plot> curves = {{kBlue, Sine}, {kRed, Ramp}};
  g.AttachControl(new IVPlotControl(IRECT(250, 10, 470, 130), curves, 64, "Direct", PlotStyle()));
  g.AttachControl(new IVPlotControl(IRECT(250, 140, 470, 240), curves, 64, "Layered", PlotStyle(), -1, 1, true));

  // A group around three knobs.
  IVStyle knobStyle = GalleryStyle();
  knobStyle.showValue = false;
  for (int i = 0; i < 3; ++i) {
    const float left = 20.f + 72.f * static_cast<float>(i);
    auto* knob = new IVKnobControl(IRECT(left, 165, left + 60, 225), IControl::kNoParameter, "", knobStyle);
    g.AttachControl(knob, -1, "amp");
    knob->SetValueAt(0.25 * (i + 1));
  }
  IVStyle groupStyle = GalleryStyle();
  groupStyle.roundness = 0.3f;
  groupStyle.drawShadows = false;
  g.AttachControl(new IVGroupControl("Amp", "amp", 8, 16, 8, 8, groupStyle));

  // Swatches in a row, in a column with labelled cells, and in a grid with a tenth cell.
  g.AttachControl(new IVColorSwatchControl(IRECT(10, 250, 170, 310), "Row", nullptr, SwatchStyle(),
                                           ESwatchLayout::Horizontal, {kBG, kFG, kPR, kFR}));
  g.AttachControl(new IVColorSwatchControl(IRECT(180, 250, 300, 310), "", nullptr, SwatchStyle(),
                                           ESwatchLayout::Vertical, {kBG, kFG}, {"Gold", "Blue"}));
  g.AttachControl(new IVColorSwatchControl(IRECT(310, 250, 370, 310), "", nullptr, SwatchStyle(),
                                           ESwatchLayout::Grid, {kBG, kFG, kPR, kFR, kHL, kSH, kX1, kX2, kX3}));
  g.AttachControl(new IVColorSwatchControl(IRECT(380, 250, 440, 310), "", nullptr, SwatchStyle(),
                                           ESwatchLayout::Grid, {kBG, kFG, kPR, kFR, kHL, kSH, kX1, kX2, kX3, kPR}));
}

class ControlsGalleryPadPlotTest : public BindingTest {};

TEST_F(ControlsGalleryPadPlotTest, VectorPadsPlotsGroupAndSwatchesMatchTheirGolden) {
  TestVectorGraphics g(delegate_, kPadGalleryWidth, kPadGalleryHeight);
  ASSERT_TRUE(g.LoadFont(kFont, orvane::testing::kDejaVuSansMono.c_str()));
  AttachGallery(g);
  g.DrawAll();
  g.SetAllControlsDirty();
  g.DrawAll();  // the layered plot drawn back from its layer
  const std::filesystem::path golden =
      std::filesystem::path(ORVANE_GOLDEN_DIR) / "controls" / "vector_pad_plot_group_swatch.png";
  const auto result = standin::testing::CheckGolden(g.Screen(), golden, {.channel = kGoldenChannelTolerance});
  EXPECT_TRUE(result.passed) << result.message;
}

}  // namespace
}  // namespace plugkit::testing
