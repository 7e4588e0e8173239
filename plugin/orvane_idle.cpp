// The product's idle tick: the update notice, the editor's idle work and the
// level meters. Main thread only.

#include <array>
#include <cmath>
#include <ctime>
#include <mutex>
#include <string>

#include "editor/orvane_gui_control.h"
#include "editor/orvane_level_meter_control.h"
#include "graphics/graphics_context.h"
#include "plugin/orvane.h"
#include "plugin/product_version.h"
#include "plugin/update_address.h"
#include "plugin/update_check_globals.h"

namespace orvane {
namespace {

constexpr char kUpdateNoticeCaption[] = "Update available";
constexpr char kNoticeDateFormat[] = "%Y-%m-%d";
constexpr std::size_t kNoticeDateBufferSize = 11;
// A meter redraws when its level crosses 0 dB or moves at least this far.
constexpr float kMeterRedrawStepDb = 0.35f;

// The local date as "YYYY-MM-DD"; empty when the clock cannot be read.
std::string TodayText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (now == static_cast<std::time_t>(-1) || !localtime_r(&now, &local)) return {};
  char text[kNoticeDateBufferSize];
  if (std::strftime(text, sizeof text, kNoticeDateFormat, &local) == 0) return {};
  return text;
}

std::string UpdateNoticeText(const std::string& latestVersion) {
  return "Orvane " + latestVersion + " is available.\n\nYou are using version " + kProductVersionText +
         ".\nVisit " + MakerSiteAddress() + " to download the latest version.";
}

void RefreshMeter(OrvaneLevelMeterControl& meter) {
  const std::int32_t ticks = meter.mRefreshCounter;
  meter.mRefreshCounter = ticks + 1;
  if (ticks <= 0) return;
  meter.mRefreshCounter = 0;

  const std::array<float, 2> levels = meter.mLevelSource
                                          ? meter.mLevelSource()
                                          : std::array<float, 2>{OrvaneLevelMeterControl::kFloorDb,
                                                                 OrvaneLevelMeterControl::kFloorDb};
  const float level = levels[meter.mMode == OrvaneLevelMeterControl::kOutputMeter ? 1 : 0];
  const bool crossedZero = (level >= 0.f) != (meter.mLevel >= 0.f);
  if (crossedZero || std::abs(level - meter.mLevel) >= kMeterRedrawStepDb) {
    meter.mLevel = level;
    meter.MarkDirty(false);
  }
}

}  // namespace

void Orvane::OnIdle() {
  UpdateCheckGlobals& globals = GetUpdateCheckGlobals();
  plugkit::graphics::IGraphics* graphics = GetUI();
  if (globals.done.load(std::memory_order_acquire) == 1 && graphics &&
      globals.noticeHandled.load(std::memory_order_acquire) == 0) {
    bool available = false;
    std::string latestVersion;
    std::string lastNoticeDate;
    {
      const std::lock_guard lock(globals.mutex);
      available = globals.available;
      latestVersion = globals.latestVersion;
      lastNoticeDate = globals.lastNoticeDate;
    }
    const std::string today = TodayText();
    if (!available || today.empty() || today == lastNoticeDate) {
      globals.noticeHandled.store(1, std::memory_order_release);
    } else {
      std::uint8_t notHandled = 0;
      // Only one instance of the process shows the notice.
      if (globals.noticeHandled.compare_exchange_strong(notHandled, 1, std::memory_order_acq_rel)) {
        graphics->ShowAlert(UpdateNoticeText(latestVersion).c_str(), kUpdateNoticeCaption, plugkit::graphics::kMB_OK);
        {
          const std::lock_guard lock(globals.mutex);
          globals.lastNoticeDate = today;
        }
        SaveSettings();
      }
    }
  }

  if (mEditorControl) mEditorControl->UpdatePlots();

  for (OrvaneLevelMeterControl* meter : {mInputMeter, mOutputMeter})
    if (meter) RefreshMeter(*meter);
}

}  // namespace orvane
