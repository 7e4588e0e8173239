#include "graphics/controls/bitmap_controls.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "framework/core/param.h"
#include "graphics/graphics_context.h"
#include "support/graphics/fake_resources.h"
#include "support/graphics/recording_delegate.h"
#include "support/graphics/resource_bundle.h"
#include "support/graphics/synthetic_input.h"

namespace plugkit::graphics {
namespace {

using testing::FakeBitmap;
using testing::RecordingDelegate;
using testing::RecordingGraphics;
using testing::SyntheticInput;

// A level record: tag, channel count, first channel, then the levels.
std::vector<unsigned char> Record(int32_t channels, int32_t first, const std::vector<float>& levels) {
  const IBMeterControl::LevelRecordHeader header{0, channels, first};
  std::vector<unsigned char> bytes(sizeof(header) + levels.size() * sizeof(float));
  std::memcpy(bytes.data(), &header, sizeof(header));
  if (!levels.empty()) std::memcpy(bytes.data() + sizeof(header), levels.data(), levels.size() * sizeof(float));
  return bytes;
}

struct DrawnBitmap {
  IRECT dest;
  int srcX = 0;
  int srcY = 0;
  double degrees = 0.0;
};

class BitmapControlsTest : public ::testing::Test {
protected:
  enum Params { kThreeStates, kNParams };

  BitmapControlsTest() { delegate.GetParam(kThreeStates)->InitInt("Three", 0, 0, 2); }

  std::vector<DrawnBitmap> Drawn(IControl& control) {
    g.ClearCalls();
    control.Draw(g);
    std::vector<DrawnBitmap> drawn;
    for (const auto& call : g.Calls()) {
      if (call.kind != "DrawBitmap") continue;
      const double degrees = std::atan2(call.transform.yx, call.transform.xx) * 180.0 / std::numbers::pi;
      drawn.push_back({*call.rect, static_cast<int>(call.args[0]), static_cast<int>(call.args[1]), degrees});
    }
    return drawn;
  }

  RecordingDelegate delegate{kNParams};
  RecordingGraphics g{delegate, 400, 300};
  SyntheticInput input{g};
};

TEST_F(BitmapControlsTest, ControlsTakeOneFramesSizeAtAPointOrCentredInBounds) {
  using Make = std::function<IControl*(const IBitmap&)>;
  const Make button = [](const IBitmap& b) { return new IBButtonControl(5, 5, b); };
  const Make switchAt = [](const IBitmap& b) { return new IBSwitchControl(5, 5, b); };
  const Make knobAt = [](const IBitmap& b) { return new IBKnobControl(5, 5, b); };
  const Make centred = [](const IBitmap& b) { return new IBButtonControl(IRECT(0, 0, 100, 100), b); };
  const Make rotaterIn = [](const IBitmap& b) { return new IBKnobRotaterControl(IRECT(0, 0, 100, 100), b); };
  const struct {
    const char* name;
    Make make;
    int width, height, frames;
    bool horizontal;
    IRECT expected;
  } cases[] = {
      {"button, side by side", button, 90, 30, 3, true, {5, 5, 35, 35}},
      {"knob, stacked, cut to whole units", knobAt, 30, 100, 3, false, {5, 5, 35, 38}},
      {"button, no frames side by side", button, 90, 30, 0, true, {5, 5, 5, 35}},
      {"switch, no frames stacked", switchAt, 30, 90, 0, false, {5, 5, 35, 5}},
      {"centred, stacked", centred, 30, 90, 3, false, {35, 35, 65, 65}},
      {"centred, no frames", rotaterIn, 40, 20, 0, true, {50, 40, 50, 60}},
  };
  for (const auto& c : cases) {
    FakeBitmap fake(c.width, c.height);
    const std::unique_ptr<IControl> control(c.make(IBitmap(&fake, c.frames, c.horizontal, "strip.png")));
    EXPECT_EQ(control->GetRECT(), c.expected) << c.name;
  }
}

TEST_F(BitmapControlsTest, ButtonsSwitchesKnobsAndMetersDrawTheFrameForTheirValue) {
  FakeBitmap fake(10, 30);
  const IBitmap strip(&fake, 3, false);
  const struct {
    const char* name;
    std::function<IControl*()> make;
    double value;
    int srcY;  // 10 a frame
  } cases[] = {
      {"button pressed", [&] { return new IBButtonControl(0, 0, strip); }, 1.0, 20},
      {"switch at 0.5", [&] { return new IBSwitchControl(0, 0, strip); }, 0.5, 10},
      {"knob at 1", [&] { return new IBKnobControl(0, 0, strip); }, 1.0, 20},
      {"meter at 0.24", [&] { return new IBMeterControl(0, 0, strip, 2); }, 0.24, 0},
  };
  for (const auto& c : cases) {
    const std::unique_ptr<IControl> control(c.make());
    control->SetValueAt(c.value);
    const auto drawn = Drawn(*control);
    ASSERT_EQ(drawn.size(), 1u) << c.name;
    EXPECT_EQ(drawn[0].srcY, c.srcY) << c.name;
    EXPECT_EQ(drawn[0].dest, IRECT(0, 0, 10, 10)) << c.name;
  }
}

TEST_F(BitmapControlsTest, ASwitchClickStepsThroughItsStatesAndWraps) {
  FakeBitmap fake(10, 30);
  const struct {
    const char* name;
    int paramIdx;
    std::vector<double> values;  // after each click
  } cases[] = {
      {"two states", IControl::kNoParameter, {1.0, 0.0, 1.0, 0.0}},
      {"three states from the parameter", kThreeStates, {0.5, 1.0, 0.0, 0.5}},
  };
  for (const auto& c : cases) {
    auto* control = new IBSwitchControl(0, 0, IBitmap(&fake, 3, false), c.paramIdx);
    g.AttachControl(control);
    int actions = 0;
    control->SetActionFunction([&](IControl*) { ++actions; });
    std::vector<double> values;
    for (size_t i = 0; i < c.values.size(); ++i) {
      input.Click(5, 5);
      values.push_back(control->ValueAt());
    }
    EXPECT_EQ(values, c.values) << c.name;
    EXPECT_EQ(actions, static_cast<int>(c.values.size())) << c.name;
    g.RemoveAllControls();
  }
}

TEST_F(BitmapControlsTest, ASliderDrawsItsHandleAlongItsTrack) {
  FakeBitmap handlePixels(20, 10);
  FakeBitmap trackPixels(100, 6);
  const IBitmap handle(&handlePixels, 1, false);
  const IBitmap track(&trackPixels, 1, false);
  const struct {
    const char* name;
    std::function<IBSliderControl*()> make;
    double value;
    IRECT trackBounds;
    IRECT handleBounds;
  } cases[] = {
      {"horizontal at 0", [&] { return new IBSliderControl(10, 10, 100, handle, track, -1, EDirection::Horizontal); },
       0.0, {10, 12, 110, 18}, {10, 12, 30, 22}},
      {"horizontal strip",
       [&] { return new IBSliderControl(10, 10, 100, handle, IBitmap(), -1, EDirection::Horizontal); }, 0.5,
       {10, 10, 110, 20}, {50, 10, 70, 20}},
      {"vertical strip at 1", [&] { return new IBSliderControl(10, 10, 100, handle, IBitmap()); }, 1.0,
       {10, 10, 30, 110}, {10, 10, 30, 20}},
      {"vertical strip at 0", [&] { return new IBSliderControl(10, 10, 100, handle, IBitmap()); }, 0.0,
       {10, 10, 30, 110}, {10, 100, 30, 110}},
  };
  for (const auto& c : cases) {
    IBSliderControl* slider = c.make();
    g.AttachControl(slider);
    slider->SetValueAt(c.value);
    EXPECT_EQ(slider->GetTrackBounds(), c.trackBounds) << c.name;
    const auto drawn = Drawn(*slider);
    ASSERT_FALSE(drawn.empty()) << c.name;
    EXPECT_EQ(drawn.back().dest, c.handleBounds) << c.name;
    if (slider->GetTrackBitmap().IsValid()) {
      ASSERT_EQ(drawn.size(), 2u) << c.name;
      EXPECT_EQ(drawn.front().dest, c.trackBounds) << c.name;
    }
  }
}

TEST_F(BitmapControlsTest, ARotaterTurnsItsBitmapAboutTheCentre) {
  FakeBitmap fake(20, 20);
  IBKnobRotaterControl knob(IRECT(0, 0, 40, 40), IBitmap(&fake, 1, false));
  const struct {
    double value;
    double degrees;
  } cases[] = {{0.5, 0.0}, {0.0, -130.0}, {1.0, 130.0}};
  for (const auto& c : cases) {
    knob.SetValueAt(c.value);
    const auto drawn = Drawn(knob);
    ASSERT_EQ(drawn.size(), 1u) << c.value;
    EXPECT_NEAR(drawn[0].degrees, c.degrees, 1e-3) << c.value;
    EXPECT_EQ(drawn[0].dest, IRECT(-10, -10, 10, 10)) << c.value;
    EXPECT_EQ(g.Calls().back().transform.tx, 0.0);  // restored after drawing
  }
}

TEST_F(BitmapControlsTest, ATextControlDrawsItsStringFromTheFontBitmap) {
  // The characters from the space on, 6 x 12 each, stacked.
  FakeBitmap font(6, 12 * 96);
  IText style;
  style.mAlign = EAlign::Near;
  IBTextControl text(IRECT(0, 0, 100, 20), IBitmap(&font, 96, false), style, "AB", 6, 12, 2, false, true, 1);
  const auto drawn = Drawn(text);
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(drawn[0].dest, IRECT(0, 4, 6, 16));
  EXPECT_EQ(drawn[0].srcY, ('A' - ' ') * 12);
  EXPECT_EQ(drawn[1].dest, IRECT(8, 4, 14, 16));
  EXPECT_EQ(drawn[1].srcY, ('B' - ' ') * 12);
  EXPECT_EQ(g.Calls().back().blend, IBlend(1, 1.f));
}

TEST_F(BitmapControlsTest, AMeterTakesTheLevelsItsRecordHolds) {
  constexpr double kUntouched = 0.77;
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  FakeBitmap fake(10, 30);
  const struct {
    const char* name;
    int channels;
    float high, low;
    int response;
    std::vector<unsigned char> record;
    std::vector<double> expected;
    int tag = IBMeterControl::kLevelsMsgTag;
    bool disabled = false;
  } cases[] = {
      {"-60 dB and about +12 dB", 2, 12.f, -60.f, IBMeterControl::kLogarithmic, Record(2, 0, {0.001f, 4.f}),
       {0.0, 1.0}},
      {"linear", 3, 12.f, -60.f, IBMeterControl::kLinear, Record(3, 0, {0.25f, -2.f, 9.f}), {0.25, 0.0, 1.0}},
      {"from channel 1", 3, 12.f, -60.f, IBMeterControl::kLinear, Record(2, 1, {0.1f, 0.2f, 0.3f}),
       {kUntouched, 0.2, 0.3}},
      {"8 channels claimed in 20 bytes", 8, 12.f, -60.f, IBMeterControl::kLinear, Record(8, 0, {0.5f, 0.5f}),
       {0.5, 0.5, kUntouched, kUntouched, kUntouched, kUntouched, kUntouched, kUntouched}},
      {"first channel past the slots", 2, 12.f, -60.f, IBMeterControl::kLinear,
       Record(2, 3, {0.5f, 0.5f, 0.5f, 0.5f, 0.5f}), {kUntouched, kUntouched}},
      {"negative count", 2, 12.f, -60.f, IBMeterControl::kLinear, Record(-1, 0, {0.5f, 0.5f}),
       {kUntouched, kUntouched}},
      {"not a number", 2, 12.f, -60.f, IBMeterControl::kLogarithmic, Record(2, 0, {kNaN, kNaN}), {0.0, 0.0}},
      {"no range", 1, -6.f, -6.f, IBMeterControl::kLogarithmic, Record(1, 0, {1.f, 0.f}), {0.0}},
      {"short record", 2, 12.f, -60.f, IBMeterControl::kLinear, Record(2, 0, {0.5f}), {0.0, kUntouched}},
      {"another message", 1, 12.f, -60.f, IBMeterControl::kLinear, Record(1, 0, {1.f, 1.f}), {kUntouched}, 1},
      {"disabled", 1, 12.f, -60.f, IBMeterControl::kLinear, Record(1, 0, {1.f, 1.f}), {kUntouched}, 0, true},
  };
  for (const auto& c : cases) {
    IBMeterControl meter(0, 0, IBitmap(&fake, 3, false), c.channels, c.high, c.low, c.response);
    for (int i = 0; i < meter.NVals(); ++i) meter.SetValueAt(kUntouched, i);
    meter.SetDisabled(c.disabled);
    meter.OnMessageFromDelegate(c.tag, static_cast<int>(c.record.size()), c.record.data());
    std::vector<double> values;
    for (int i = 0; i < meter.NVals(); ++i) values.push_back(meter.ValueAt(i));
    ASSERT_EQ(values.size(), c.expected.size()) << c.name;
    for (size_t i = 0; i < values.size(); ++i) EXPECT_NEAR(values[i], c.expected[i], 1e-6) << c.name << " " << i;
  }
}

TEST_F(BitmapControlsTest, RescalingTakesTheBitmapsForTheScreenScale) {
  testing::ResourceBundle bundle("com.test.bitmapcontrolset.Orvane");
  for (const char* name : {"face", "handle", "track", "font"}) {
    bundle.WritePng(std::string(name) + ".png", 10, 20);
    bundle.WritePng(std::string(name) + "@2x.png", 20, 40);
  }
  g.SetBundleIdentifier(bundle.Identifier());
  const IBitmap face = g.LoadBitmap("face.png");
  auto* button = new IBButtonControl(0, 0, face);
  auto* switchControl = new IBSwitchControl(0, 0, face);
  auto* rotater = new IBKnobRotaterControl(0, 0, face);
  auto* slider = new IBSliderControl(0, 0, 50, g.LoadBitmap("handle.png"), g.LoadBitmap("track.png"));
  auto* text = new IBTextControl(IRECT(0, 0, 50, 20), g.LoadBitmap("font.png"), IText(), "A", 5, 5, 0, false, false);
  for (IControl* control : std::initializer_list<IControl*>{button, switchControl, rotater, slider, text})
    g.AttachControl(control);
  const std::vector<std::pair<const char*, const IBitmap*>> held = {
      {"button", &button->GetBitmap()},         {"switch", &switchControl->GetBitmap()},
      {"rotater", &rotater->GetBitmap()},       {"slider handle", &slider->GetBitmap()},
      {"slider track", &slider->GetTrackBitmap()}, {"text", &text->GetBitmap()},
  };

  g.SetScreenScale(2.f);
  for (const auto& [name, bitmap] : held) {
    ASSERT_TRUE(bitmap->IsValid()) << name;
    EXPECT_EQ(bitmap->GetAPIBitmap()->GetScale(), 2.f) << name;
    EXPECT_EQ(bitmap->GetAPIBitmap()->GetWidth(), 20) << name;
    EXPECT_EQ(bitmap->W(), 10) << name;
  }
  g.RemoveAllControls();
}

}  // namespace
}  // namespace plugkit::graphics
