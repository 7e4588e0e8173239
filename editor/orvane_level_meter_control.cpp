#include "editor/orvane_level_meter_control.h"

#include <algorithm>
#include <utility>

#include "editor/editor_colours.h"
#include "editor/header_grid.h"
#include "graphics/graphics_context.h"

namespace orvane {

namespace {

using plugkit::graphics::IRECT;

constexpr float kMeterLeft = 1743.f;
constexpr float kMeterRight = 2052.f;
constexpr float kInputRow = 13.f;
constexpr float kOutputRow = 44.f;
constexpr float kRowTopOffset = 5.f;
constexpr float kRowBottomOffset = 28.f;

constexpr float kThinnestFrame = 0.6f;
constexpr float kThinnestInset = 1.f;
// The bar spans these levels and stays full above the top.
constexpr float kBarBottomDb = -60.f;
constexpr float kBarTopDb = 0.f;
// The output meter warns above this level and shows clipping from kBarTopDb.
constexpr float kWarningDb = -6.f;

// The meter's rectangle within an area laid out like the header, with the
// grid's horizontal unit and the header's vertical unit.
struct MeterGeometry {
  IRECT rect;
  float unitX;
  float unitY;
};

MeterGeometry GeometryOf(const IRECT& area, int mode) {
  const float width = area.W();
  const float unitX = width / kHeaderGridWidth;
  const float unitY = std::min(width * kHeaderWidthShare, area.H() * kHeaderHeightShare) / kHeaderGridHeight;
  const float row = mode == OrvaneLevelMeterControl::kInputMeter ? kInputRow : kOutputRow;
  return {IRECT(area.L + kMeterLeft * unitX, area.T + (row + kRowTopOffset) * unitY, area.L + kMeterRight * unitX,
                area.T + (row + kRowBottomOffset) * unitY),
          unitX, unitY};
}

}  // namespace

OrvaneLevelMeterControl::OrvaneLevelMeterControl(const IRECT& bounds, LevelSource levelSource, int mode)
    : IControl(MeterRect(bounds, mode)), mArea(bounds), mLevelSource(std::move(levelSource)), mMode(mode) {
  SetIgnoreMouse(true);
}

void OrvaneLevelMeterControl::OnResize() {
  const plugkit::graphics::IGraphics* graphics = GetUI();
  if (graphics == nullptr) return;
  mArea = IRECT(0.f, 0.f, static_cast<float>(graphics->Width()), static_cast<float>(graphics->Height()));
  const IRECT rect = MeterRect(mArea, mMode);
  SetRECT(rect);
  SetTargetRECT(rect);
}

IRECT OrvaneLevelMeterControl::MeterRect(const IRECT& area, int mode) { return GeometryOf(area, mode).rect; }

float OrvaneLevelMeterControl::LevelFraction(float levelDb) {
  if (!(levelDb >= kBarBottomDb)) return 0.f;
  return (std::min(levelDb, kBarTopDb) - kBarBottomDb) / (kBarTopDb - kBarBottomDb);
}

void OrvaneLevelMeterControl::Draw(plugkit::graphics::IGraphics& g) {
  const MeterGeometry geometry = GeometryOf(mArea, mMode);
  const IRECT& meter = geometry.rect;
  g.FillRect(PaletteColor(kPaletteMeterBackground), meter);
  g.DrawRect(PaletteColor(kPaletteOutline), meter, nullptr, std::max(geometry.unitY, kThinnestFrame));

  const float fraction = LevelFraction(mLevel);
  const float inset = std::max(geometry.unitX, kThinnestInset);
  const float left = meter.L + inset;
  const float right = left + fraction * ((meter.R - inset) - left);
  if (!(right > left)) return;
  plugkit::graphics::IColor colour = PaletteColor(kPaletteMeterBar);
  if (mMode == kOutputMeter && mLevel >= kBarTopDb)
    colour = kMeterClipColor;
  else if (mMode == kOutputMeter && mLevel > kWarningDb)
    colour = kMeterWarningColor;
  g.FillRect(colour, IRECT(left, meter.T + inset, right, meter.B - inset));
}

}  // namespace orvane
