// The main queue: blocks posted to the main run loop, which runs them in order
// on its next pass.

#include <CoreFoundation/CFRunLoop.h>
#include <dispatch/dispatch.h>

namespace {

struct MainQueue final : dispatch_queue_s {};

}  // namespace

dispatch_queue_t dispatch_get_main_queue(void) {
  static MainQueue* const queue = new MainQueue;
  return queue;
}

void dispatch_async(dispatch_queue_t queue, dispatch_block_t block) {
  if (queue != dispatch_get_main_queue() || !block) return;
  CFRunLoopPerformBlock(CFRunLoopGetMain(), kCFRunLoopCommonModes, std::move(block));
}
