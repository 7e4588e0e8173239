// The SVG and bitmap controls drawn through the vector binding, against a golden image.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "binding_fixture.h"
#include "graphics/controls/bitmap_controls.h"
#include "graphics/controls/svg_controls.h"
#include "support/graphics/resource_bundle.h"
#include "tests/support/renderer/test_images.h"
#include "support/test_paths.h"

namespace plugkit::testing {
namespace {

using namespace graphics;
using orvane::testing::RgbaImage;

constexpr int kSvgGalleryWidth = 320;
constexpr int kSvgGalleryHeight = 200;
constexpr SVGStateColors kStateColors{IColor{255, 200, 80, 80}, IColor{255, 80, 200, 120}, IColor{255, 240, 140, 60},
                                      IColor{255, 120, 220, 240}};

// A two-colour icon: a ring stroked in blue around a gold disc with a pointer up.
constexpr const char* kIcon =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"24\" height=\"24\">"
    "<circle cx=\"12\" cy=\"12\" r=\"9\" fill=\"#d5bc70\" stroke=\"#6eaadc\" stroke-width=\"2\"/>"
    "<rect x=\"11\" y=\"3\" width=\"2\" height=\"8\" fill=\"#1c2028\" stroke=\"#6eaadc\" stroke-width=\"0.5\"/>"
    "</svg>";
constexpr const char* kOnIcon =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"24\" height=\"24\">"
    "<rect x=\"3\" y=\"3\" width=\"18\" height=\"18\" rx=\"4\" fill=\"#6eaadc\" stroke=\"#d5bc70\" stroke-width=\"2\"/>"
    "</svg>";
constexpr const char* kTrack =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"10\">"
    "<rect x=\"1\" y=\"3\" width=\"98\" height=\"4\" rx=\"2\" fill=\"#464646\" stroke=\"#8d8d8d\"/></svg>";
constexpr const char* kHandle =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"20\">"
    "<rect x=\"1\" y=\"1\" width=\"8\" height=\"18\" rx=\"2\" fill=\"#d5bc70\" stroke=\"#f0f0f0\"/></svg>";
constexpr const char* kTallTrack =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"100\">"
    "<rect x=\"3\" y=\"1\" width=\"4\" height=\"98\" rx=\"2\" fill=\"#464646\" stroke=\"#8d8d8d\"/></svg>";
constexpr const char* kWideHandle =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"20\" height=\"10\">"
    "<rect x=\"1\" y=\"1\" width=\"18\" height=\"8\" rx=\"2\" fill=\"#6eaadc\" stroke=\"#f0f0f0\"/></svg>";


// Frames of one colour each, stacked or side by side.
RgbaImage Strip(int frameW, int frameH, const std::vector<IColor>& colors, bool horizontal) {
  const int n = static_cast<int>(colors.size());
  RgbaImage image{horizontal ? frameW * n : frameW, horizontal ? frameH : frameH * n, {}};
  image.rgba.resize(static_cast<size_t>(image.width) * image.height * 4);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const IColor& c = colors[static_cast<size_t>(horizontal ? x / frameW : y / frameH)];
      // A one-unit frame around each frame shows where frames are cut.
      const int fx = x % frameW;
      const int fy = y % frameH;
      const bool edge = fx == 0 || fy == 0 || fx == frameW - 1 || fy == frameH - 1;
      unsigned char* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
      p[0] = static_cast<unsigned char>(edge ? 240 : c.R);
      p[1] = static_cast<unsigned char>(edge ? 240 : c.G);
      p[2] = static_cast<unsigned char>(edge ? 240 : c.B);
      p[3] = 255;
    }
  }
  return image;
}

// A square with a bar from its centre up, to show which way it is turned.
RgbaImage Pointer(int size) {
  RgbaImage image = Strip(size, size, {IColor{255, 70, 70, 70}}, false);
  for (int y = 2; y < size / 2; ++y) {
    for (int x = size / 2 - 2; x < size / 2 + 2; ++x) {
      unsigned char* p = &image.rgba[(static_cast<size_t>(y) * size + x) * 4];
      p[0] = 213, p[1] = 188, p[2] = 112;
    }
  }
  return image;
}

// A font of 96 cells of 6 x 8 from the space on, each character's code drawn
// as bars, one a bit.
RgbaImage BarFont() {
  constexpr int kCellW = 6, kCellH = 8, kChars = 96, kBits = 7;
  RgbaImage image{kCellW, kCellH * kChars, {}};
  image.rgba.resize(static_cast<size_t>(kCellW) * kCellH * kChars * 4);
  for (int ch = 0; ch < kChars; ++ch) {
    const int code = ch + ' ';
    for (int bit = 0; bit < kBits; ++bit) {
      if (!(code & (1 << bit))) continue;
      const int y = ch * kCellH + 1 + bit;
      for (int x = 1; x < kCellW - 1; ++x) {
        unsigned char* p = &image.rgba[(static_cast<size_t>(y) * kCellW + x) * 4];
        p[0] = 240, p[1] = 240, p[2] = 236, p[3] = 255;
      }
    }
  }
  return image;
}

class ControlsGallerySvgBitmapTest : public BindingTest {};

TEST_F(ControlsGallerySvgBitmapTest, GalleryMatchesItsGolden) {
  ResourceBundle bundle("com.orvane.tests.gallery-svg-bitmap");
  const auto write = [&](const char* name, const RgbaImage& image) {
    EXPECT_TRUE(orvane::testing::WriteFileBytes(bundle.Resources() / name, orvane::testing::EncodePng(image)));
  };
  const IColor grey{255, 90, 90, 90}, gold{255, 213, 188, 112}, blue{255, 110, 170, 220};
  write("button.png", Strip(30, 30, {grey, gold}, false));
  write("switch.png", Strip(30, 30, {grey, blue}, true));
  write("handle.png", Strip(10, 20, {gold}, false));
  write("track.png", Strip(120, 6, {grey}, false));
  write("pointer.png", Pointer(30));
  write("font.png", BarFont());
  std::vector<IColor> levels;
  for (int i = 0; i < 8; ++i) levels.push_back(IColor{255, 40 + 25 * i, 200 - 15 * i, 80});
  write("meter.png", Strip(12, 40, levels, true));

  TestVectorGraphics g(delegate_, kSvgGalleryWidth, kSvgGalleryHeight, 1.f);
  g.SetBundleIdentifier(bundle.Identifier());
  const auto background = [](IGraphics& gr, const IRECT& r) { gr.FillRect(kDarkBackground, r); };
  g.AttachControl(new DrawingControl(IRECT(0, 0, kSvgGalleryWidth, kSvgGalleryHeight), background));

  const ISVG icon = g.LoadSVGFromData("icon.svg", kIcon, 0);
  const ISVG onIcon = g.LoadSVGFromData("on-icon.svg", kOnIcon, 0);
  const ISVG track = g.LoadSVGFromData("track.svg", kTrack, 0);
  const ISVG handle = g.LoadSVGFromData("handle.svg", kHandle, 0);
  const ISVG tallTrack = g.LoadSVGFromData("tall-track.svg", kTallTrack, 0);
  const ISVG wideHandle = g.LoadSVGFromData("wide-handle.svg", kWideHandle, 0);
  for (const ISVG& svg : {icon, onIcon, track, handle, tallTrack, wideHandle}) ASSERT_TRUE(svg.IsValid());

  // Row one: SVG controls. Toggles off and on, then the one-image button in
  // each replacement mode, on and under the mouse.
  const auto set = [](IControl* control, double value, bool mouseOver = false) {
    control->SetValueAt(value);
    control->SetMouseIsOver(mouseOver);
  };
  set(g.AttachControl(new ISVGToggleControl(IRECT(10, 10, 40, 40), nullptr, icon, onIcon)), 0.0);
  set(g.AttachControl(new ISVGToggleControl(IRECT(45, 10, 75, 40), nullptr, icon, onIcon)), 1.0);
  const ESVGColorReplacement modes[] = {ESVGColorReplacement::None, ESVGColorReplacement::Fill,
                                        ESVGColorReplacement::Stroke};
  float left = 80;
  for (const ESVGColorReplacement mode : modes) {
    set(g.AttachControl(new ISVGButtonControl(IRECT(left, 10, left + 30, 40), nullptr, icon, kStateColors, mode)), 1.0,
        true);
    set(g.AttachControl(new ISVGToggleControl(IRECT(left + 35, 10, left + 65, 40), nullptr, icon, kStateColors, mode)),
        0.0);
    left += 70;
  }
  set(g.AttachControl(new ISVGKnobControl(IRECT(10, 50, 50, 90), icon)), 0.75);
  set(g.AttachControl(new ISVGSwitchControl(IRECT(60, 55, 90, 85), {icon, onIcon, icon})), 0.5);
  set(g.AttachControl(new ISVGSliderControl(IRECT(100, 55, 220, 85), handle, track, IControl::kNoParameter,
                                            EDirection::Horizontal)),
      0.3);
  set(g.AttachControl(new ISVGSliderControl(IRECT(240, 45, 270, 120), wideHandle, tallTrack)), 0.7);

  // Row two: bitmap controls.
  set(g.AttachControl(new IBButtonControl(10, 130, g.LoadBitmap("button.png", 2))), 1.0);
  set(g.AttachControl(new IBSwitchControl(50, 130, g.LoadBitmap("switch.png", 2, true))), 1.0);
  set(g.AttachControl(new IBSliderControl(90, 135, 120, g.LoadBitmap("handle.png"), g.LoadBitmap("track.png"),
                                          IControl::kNoParameter, EDirection::Horizontal)),
      0.4);
  set(g.AttachControl(new IBKnobRotaterControl(220, 130, g.LoadBitmap("pointer.png"))), 0.25);
  g.AttachControl(new IBTextControl(IRECT(10, 170, 200, 190), g.LoadBitmap("font.png", 96), IText(), "Orvane 1.0",
                                    6, 8, 1, false, true));
  auto* meter = new IBMeterControl(270, 130, g.LoadBitmap("meter.png", 8, true), 2, 12.f, -60.f);
  g.AttachControl(meter);
  const IBMeterControl::LevelRecordHeader header{0, 2, 0};
  const float channelLevels[2] = {0.25f, 0.01f};
  std::vector<unsigned char> record(sizeof(header) + sizeof(channelLevels));
  std::memcpy(record.data(), &header, sizeof(header));
  std::memcpy(record.data() + sizeof(header), channelLevels, sizeof(channelLevels));
  meter->OnMessageFromDelegate(IBMeterControl::kLevelsMsgTag, static_cast<int>(record.size()), record.data());

  g.DrawAll();
  const std::filesystem::path golden = std::filesystem::path(ORVANE_GOLDEN_DIR) / "controls" / "svg_bitmap.png";
  const auto result = standin::testing::CheckGolden(g.Screen(), golden, {.channel = kGoldenChannelTolerance});
  EXPECT_TRUE(result.passed) << result.message;
}

}  // namespace
}  // namespace plugkit::testing
