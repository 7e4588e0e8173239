#pragma once

// One peak level as a bar in the editor's header: mode 0 the input, mode 1
// the output. The plug-in core's idle tick pulls the levels through the level
// source and pushes a new value only when it moved enough to be seen.

#include <array>
#include <cstdint>
#include <functional>

#include "graphics/control.h"

namespace orvane {

class OrvaneLevelMeterControl : public plugkit::graphics::IControl {
public:
  using LevelSource = std::function<std::array<float, 2>()>;

  static constexpr float kFloorDb = -120.f;
  enum Mode : int { kInputMeter = 0, kOutputMeter = 1 };

  OrvaneLevelMeterControl(const plugkit::graphics::IRECT& bounds, LevelSource levelSource, int mode);

  void OnResize() override;
  // The frame, and the bar from -60 dB to 0 dB; the output meter turns amber
  // above -6 dB and red from 0 dB.
  void Draw(plugkit::graphics::IGraphics& g) override;

  // Where the bar lies within an area laid out like the editor's header.
  static plugkit::graphics::IRECT MeterRect(const plugkit::graphics::IRECT& area, int mode);
  // How much of the bar a level fills: 0 below -60 dB, linear up to 1 at
  // 0 dB and above. The header's scale places its ticks by the same rule.
  static float LevelFraction(float levelDb);

  plugkit::graphics::IRECT mArea;
  LevelSource mLevelSource;
  std::int32_t mMode;
  float mLevel = kFloorDb;
  std::int32_t mRefreshCounter = 0;
};

}  // namespace orvane
