#include "update_check_reset.h"

#include <mutex>

#include "plugin/theme_palette.h"
#include "plugin/update_check_globals.h"

namespace orvane::testing {

void ResetProcessWideState() {
  UpdateCheckGlobals& globals = GetUpdateCheckGlobals();
  if (globals.thread.joinable()) {
    globals.thread.join();
  }
  globals.started = 0;
  globals.done = 0;
  globals.noticeHandled = 0;
  {
    const std::lock_guard lock(globals.mutex);
    globals.available = false;
    globals.latestVersion.clear();
    globals.lastNoticeDate.clear();
  }
  ApplyColourTheme(false);
}

}  // namespace orvane::testing
