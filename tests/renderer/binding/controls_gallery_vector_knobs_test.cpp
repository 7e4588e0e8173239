// The vector knobs, sliders, track controls and range slider drawn through
// the vector binding, against a golden image: the call-log tests carry their
// geometry, this guards the pixels.
#include <filesystem>

#include "binding_fixture.h"
#include "framework/core/param.h"
#include "graphics/controls/vector_knob_slider.h"
#include "graphics/controls/vector_track_controls.h"
#include "tests/support/renderer/test_fonts.h"
#include "support/test_paths.h"

namespace plugkit::testing {
namespace {

using namespace graphics;

constexpr int kKnobGalleryWidth = 400;
constexpr int kKnobGalleryHeight = 260;

IVStyle KnobStyle() {
  IVStyle style;
  style.labelText = IText(12, kColorBlack, kFont, EAlign::Center, EVAlign::Top);
  style.valueText = IText(12, kColorBlack, kFont, EAlign::Center, EVAlign::Bottom);
  style.roundness = 0.5f;
  style.colorSpec.SetColor(kX1, kAccent);
  return style;
}

// Four tracks of four steps each, with the value 0 a step of its own.
class StepTracks : public IVTrackControlBase {
public:
  explicit StepTracks(const IRECT& bounds)
      : IVTrackControlBase(bounds, "Steps", KnobStyle(), {kNoParameter, kNoParameter, kNoParameter, kNoParameter},
                           4, EDirection::Vertical, {"A", "B", "C", "D"}) {
    mTrackPadding = 4.f;
  }
  void Draw(IGraphics& g) override {
    DrawBackground(g, GetRECT());
    DrawLabel(g);
    DrawWidget(g);
  }
};

class VectorKnobsGalleryTest : public BindingTest {
protected:
  VectorKnobsGalleryTest() {
    for (int i = 0; i < 3; ++i) delegate.GetParam(i)->InitPercentage("Drive", 0.0, 0.0, 100.0);
  }
  RecordingDelegate delegate{3};
};

TEST_F(VectorKnobsGalleryTest, KnobsSlidersTracksAndARangeMatchTheirGolden) {
  TestVectorGraphics g(delegate, kKnobGalleryWidth, kKnobGalleryHeight);
  ASSERT_TRUE(g.LoadFont(kFont, orvane::testing::kDejaVuSansMono.c_str()));
  g.AttachControl(new DrawingControl(IRECT(0, 0, kKnobGalleryWidth, kKnobGalleryHeight),
                                     [](IGraphics& gr, const IRECT& r) { gr.FillRect(kLightBackground, r); }));
  // Knobs at three values and track sizes; the last one's arc starts at the top.
  const float trackSizes[] = {0.f, 2.f, 6.f};
  const float anchors[] = {-135.f, -135.f, 0.f};
  const double values[] = {0.1, 0.5, 0.9};
  for (int i = 0; i < 3; ++i) {
    const float x = 10.f + 95.f * i;
    auto* knob = new IVKnobControl(IRECT(x, 10, x + 85, 110), i, "", KnobStyle(), false, false, -135.f, 135.f,
                                   anchors[i], EDirection::Vertical, IVKnobControl::kDefaultGearing, trackSizes[i]);
    g.AttachControl(knob);
    knob->SetValueFromUser(values[i]);
  }
  // Sliders with the handle outside and inside the track, in both directions.
  for (int inside = 0; inside < 2; ++inside) {
    const float x = 300.f + 48.f * inside;
    auto* vertical = new IVSliderControl(IRECT(x, 10, x + 44, 160), nullptr, inside ? "In" : "Out", KnobStyle(),
                                         false, EDirection::Vertical, inside, IVSliderControl::kDefaultGearing, 8.f,
                                         3.f);
    g.AttachControl(vertical);
    vertical->SetValueFromUser(inside ? 0.7 : 0.3);
    const float left = 10.f + 145.f * inside;
    auto* horizontal = new IVSliderControl(IRECT(left, 120, left + 135, 160), nullptr, "", KnobStyle(), false,
                                           EDirection::Horizontal, inside, IVSliderControl::kDefaultGearing, 8.f, 3.f);
    g.AttachControl(horizontal);
    horizontal->SetValueFromUser(inside ? 0.8 : 0.4);
  }
  auto* tracks = new StepTracks(IRECT(10, 170, 200, 250));
  g.AttachControl(tracks);
  const double trackValues[] = {0.0, 0.25, 0.75, 1.0};
  for (int i = 0; i < 4; ++i) tracks->SetValueAt(trackValues[i], i);
  tracks->SetHighlightedTrack(2);
  auto* range = new IVRangeSliderControl(IRECT(210, 170, 390, 250), {IControl::kNoParameter, IControl::kNoParameter},
                                         "Range", KnobStyle(), EDirection::Horizontal, 6.f, 3.f);
  g.AttachControl(range);
  range->SetValueAt(0.25, 0);
  range->SetValueAt(0.7, 1);
  range->SetBaseValue(0.5);

  g.DrawAll();
  const std::filesystem::path golden = std::filesystem::path(ORVANE_GOLDEN_DIR) / "controls" / "vector_knobs.png";
  const auto result = standin::testing::CheckGolden(g.Screen(), golden, {.channel = kGoldenChannelTolerance});
  EXPECT_TRUE(result.passed) << result.message;
}

}  // namespace
}  // namespace plugkit::testing
