// Blocks queued on the main queue from other threads run on the main thread,
// each thread's in the order it queued them.

#include <dispatch/dispatch.h>
#include <gtest/gtest.h>
#include <standin/testing/run_loop.h>

#include <atomic>
#include <map>
#include <thread>
#include <vector>

namespace {

TEST(AppKitMainQueueThreadsTest, BlocksFromOtherThreadsRunOnTheMainThreadInEachThreadsOrder) {
  constexpr int kThreads = 4;
  constexpr int kBlocksPerThread = 200;
  standin::testing::RunOnce();                  // this thread pumps the main loop
  std::map<int, std::vector<int>> ranByThread;  // touched on the main thread only
  std::atomic<int> offMainThread{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kBlocksPerThread; ++i) {
        dispatch_async(dispatch_get_main_queue(), [&, t, i] {
          if (!standin::testing::IsMainThread()) offMainThread.fetch_add(1);
          ranByThread[t].push_back(i);
        });
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  standin::testing::RunOnce();
  EXPECT_EQ(offMainThread.load(), 0);
  std::vector<int> inOrder(kBlocksPerThread);
  for (int i = 0; i < kBlocksPerThread; ++i) inOrder[i] = i;
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(ranByThread[t], inOrder) << "thread " << t;
}

}  // namespace
