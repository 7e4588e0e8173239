#include "editor/orvane_level_meter_control.h"

#include <algorithm>
#include <utility>

#include "graphics/graphics_context.h"

namespace orvane {

namespace {

// The header is laid out on a reference width of 2072 units and is at most a
// fifth of the height.
constexpr float kHeaderReferenceWidth = 2072.f;
constexpr float kHeaderHeightShare = 0.2f;
constexpr float kHeaderWidthShare = 0.0492278f;  // x 2072 = the header's 102 units
constexpr float kHeaderUnits = 102.f;
constexpr float kMeterLeft = 1743.f;
constexpr float kMeterRight = 2052.f;
constexpr float kInputRow = 13.f;
constexpr float kOutputRow = 44.f;
constexpr float kRowTopOffset = 5.f;
constexpr float kRowBottomOffset = 28.f;

}  // namespace

OrvaneLevelMeterControl::OrvaneLevelMeterControl(const plugkit::graphics::IRECT& bounds, LevelSource levelSource,
                                                 int mode)
    : IControl(MeterRect(bounds, mode)), mArea(bounds), mLevelSource(std::move(levelSource)), mMode(mode) {
  SetIgnoreMouse(true);
}

void OrvaneLevelMeterControl::OnResize() {
  const plugkit::graphics::IGraphics* graphics = GetUI();
  if (graphics == nullptr) return;
  mArea = plugkit::graphics::IRECT(0.f, 0.f, static_cast<float>(graphics->Width()),
                                   static_cast<float>(graphics->Height()));
  const plugkit::graphics::IRECT rect = MeterRect(mArea, mMode);
  SetRECT(rect);
  SetTargetRECT(rect);
}

plugkit::graphics::IRECT OrvaneLevelMeterControl::MeterRect(const plugkit::graphics::IRECT& area, int mode) {
  const float width = area.W();
  const float height = area.H();
  const float x = width / kHeaderReferenceWidth;
  const float s = std::min(width * kHeaderWidthShare, height * kHeaderHeightShare) / kHeaderUnits;
  const float row = mode == kInputMeter ? kInputRow : kOutputRow;
  return {area.L + kMeterLeft * x, area.T + (row + kRowTopOffset) * s, area.L + kMeterRight * x,
          area.T + (row + kRowBottomOffset) * s};
}

}  // namespace orvane
