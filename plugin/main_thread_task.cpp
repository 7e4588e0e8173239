#include "plugin/main_thread_task.h"

#include <CoreFoundation/CoreFoundation.h>

#include <utility>

namespace orvane {

void MainThreadTaskGuard::Post(const std::shared_ptr<MainThreadTaskGuard>& guard, std::function<void()> task) {
  CFRunLoopPerformBlock(CFRunLoopGetMain(), kCFRunLoopCommonModes, [guard, task = std::move(task)] {
    std::lock_guard lock(guard->mMutex);
    if (!guard->mCancelled) task();
  });
  CFRunLoopWakeUp(CFRunLoopGetMain());
}

void MainThreadTaskGuard::Cancel() {
  std::lock_guard lock(mMutex);
  mCancelled = true;
}

bool OnMainThread() { return CFRunLoopGetCurrent() == CFRunLoopGetMain(); }

}  // namespace orvane
