#pragma once

// Work posted to the main run loop on behalf of an object that may be
// destroyed before the loop gets to it: the owner cancels, and a cancelled
// task does not run. Cancelling while the task runs waits for it to finish.

#include <functional>
#include <memory>
#include <mutex>

namespace orvane {

class MainThreadTaskGuard {
public:
  // Queues task on the main run loop; it runs there unless the guard was
  // cancelled first.
  static void Post(const std::shared_ptr<MainThreadTaskGuard>& guard, std::function<void()> task);
  void Cancel();

private:
  std::mutex mMutex;
  bool mCancelled = false;
};

// Whether the caller is the thread that runs the main run loop.
bool OnMainThread();

}  // namespace orvane
