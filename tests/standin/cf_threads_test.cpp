#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>
#include <standin/testing/objects.h>

#include <thread>
#include <vector>

namespace {

constexpr int kThreads = 8;
constexpr int kRoundsPerThread = 20000;

TEST(CFThreadsTest, RetainAndReleaseFromManyThreadsKeepTheCountExact) {
  const long start = standin::testing::LiveObjectCount();
  CFStringRef shared = CFStringCreateWithCString(nullptr, "state", kCFStringEncodingUTF8);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([shared] {
      for (int i = 0; i < kRoundsPerThread; ++i) {
        CFRetain(shared);
        CFRelease(shared);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(CFGetRetainCount(shared), 1);
  CFRelease(shared);
  EXPECT_EQ(standin::testing::LiveObjectCount(), start);
}

TEST(CFThreadsTest, LastReleaseOnAnotherThreadFreesTheDictionaryAndItsValues) {
  const long start = standin::testing::LiveObjectCount();
  for (int round = 0; round < 200; ++round) {
    CFMutableDictionaryRef dictionary = CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    SInt32 value = round;
    CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &value);
    CFDictionarySetValue(dictionary, CFSTR("version"), number);
    CFRelease(number);
    // Both threads hold a reference; whichever releases last frees it.
    CFRetain(dictionary);
    std::thread host([dictionary] { CFRelease(dictionary); });
    CFRelease(dictionary);
    host.join();
  }
  EXPECT_EQ(standin::testing::LiveObjectCount(), start);
}

TEST(CFThreadsTest, ConstantStringsAreInternedOnceAcrossThreads) {
  std::vector<CFStringRef> seen(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&seen, t] { seen[t] = CFStringMakeConstantString("shared-constant"); });
  }
  for (auto& thread : threads) thread.join();
  for (CFStringRef string : seen) EXPECT_EQ(string, seen.front());
}

}  // namespace
