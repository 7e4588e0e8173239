#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace orvane {

// What every instance of the process shares about the update check. One object
// exists per process (GetUpdateCheckGlobals); the check runs at most once.
struct UpdateCheckGlobals {
  // Set by the first instance that starts the check; never cleared.
  std::atomic<std::uint8_t> started{0};
  // The check's thread; joined at process exit when still joinable.
  std::thread thread;
  // Set once the results below are final.
  std::atomic<std::uint8_t> done{0};
  // Set when the update notice has been decided (shown or not) in this process.
  std::atomic<std::uint8_t> noticeHandled{0};

  // Guards the three fields after it.
  std::mutex mutex;
  bool available = false;
  std::string latestVersion;
  // "%Y-%m-%d" local date on which the notice was last shown, or empty.
  std::string lastNoticeDate;

  UpdateCheckGlobals() = default;
  UpdateCheckGlobals(const UpdateCheckGlobals&) = delete;
  UpdateCheckGlobals& operator=(const UpdateCheckGlobals&) = delete;
  ~UpdateCheckGlobals();
};

UpdateCheckGlobals& GetUpdateCheckGlobals();

}  // namespace orvane
