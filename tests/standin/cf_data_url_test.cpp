#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cf_strings.h"
#include "leak_checked_test.h"

namespace {

class CFDataURLTest : public LeakCheckedTest {};

TEST_F(CFDataURLTest, DataCopiesItsBytesAndComparesByContent) {
  UInt8 bytes[] = {1, 2, 3, 4};
  Owned<CFDataRef> data(CFDataCreate(nullptr, bytes, sizeof bytes));
  bytes[0] = 9;
  ASSERT_EQ(CFDataGetLength(data), 4);
  EXPECT_EQ(CFDataGetBytePtr(data)[0], 1);

  UInt8 middle[2] = {};
  CFDataGetBytes(data, CFRangeMake(1, 2), middle);
  EXPECT_EQ(middle[0], 2);
  EXPECT_EQ(middle[1], 3);
  UInt8 untouched[2] = {7, 7};
  CFDataGetBytes(data, CFRangeMake(3, 2), untouched);
  EXPECT_EQ(untouched[0], 7);

  const UInt8 same[] = {1, 2, 3, 4};
  Owned<CFDataRef> equal(CFDataCreate(nullptr, same, sizeof same));
  EXPECT_TRUE(CFEqual(data, equal));
  EXPECT_EQ(CFHash(data), CFHash(equal));
  EXPECT_EQ(CFGetTypeID(data), CFDataGetTypeID());

  Owned<CFDataRef> empty(CFDataCreate(nullptr, nullptr, 0));
  EXPECT_EQ(CFDataGetLength(empty), 0);
  EXPECT_EQ(CFDataCreate(nullptr, nullptr, 3), nullptr);
  EXPECT_EQ(CFDataCreate(nullptr, same, -1), nullptr);
}

TEST_F(CFDataURLTest, FileURLEncodesThePathAndGivesItBack) {
  Owned<CFURLRef> url(CFURLCreateWithFileSystemPath(
      nullptr, CFSTR("/home/u/Library/Application Support/Orvane"), kCFURLPOSIXPathStyle, true));
  ASSERT_NE(url.get(), nullptr);
  EXPECT_EQ(Text(CFURLGetString(url)), "file:///home/u/Library/Application%20Support/Orvane/");
  EXPECT_TRUE(CFURLHasDirectoryPath(url));
  Owned<CFStringRef> path(CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle));
  EXPECT_EQ(Text(path), "/home/u/Library/Application Support/Orvane");

  UInt8 buffer[64];
  EXPECT_TRUE(CFURLGetFileSystemRepresentation(url, true, buffer, sizeof buffer));
  EXPECT_STREQ(reinterpret_cast<const char*>(buffer), "/home/u/Library/Application Support/Orvane");
  UInt8 tooSmall[8];
  EXPECT_FALSE(CFURLGetFileSystemRepresentation(url, true, tooSmall, sizeof tooSmall));
}

TEST_F(CFDataURLTest, RelativePathIsTakenFromTheWorkingFolder) {
  Owned<CFURLRef> url(CFURLCreateWithFileSystemPath(nullptr, CFSTR("presets/a.orv"), kCFURLPOSIXPathStyle, false));
  Owned<CFStringRef> path(CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle));
  EXPECT_EQ(Text(path), (std::filesystem::current_path() / "presets/a.orv").string());
  EXPECT_FALSE(CFURLHasDirectoryPath(url));
}

TEST_F(CFDataURLTest, URLFromStringKeepsTheTextAndRefusesBlanks) {
  Owned<CFURLRef> url(CFURLCreateWithString(nullptr, CFSTR("https://example.test/downloads/latest_version.json"), nullptr));
  ASSERT_NE(url.get(), nullptr);
  EXPECT_EQ(Text(CFURLGetString(url)), "https://example.test/downloads/latest_version.json");
  Owned<CFStringRef> path(CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle));
  EXPECT_EQ(Text(path), "/downloads/latest_version.json");
  Owned<CFURLRef> same(CFURLCreateWithString(nullptr, CFSTR("https://example.test/downloads/latest_version.json"), nullptr));
  EXPECT_TRUE(CFEqual(url, same));

  EXPECT_EQ(CFURLCreateWithString(nullptr, CFSTR("has space"), nullptr), nullptr);
  EXPECT_EQ(CFURLCreateWithString(nullptr, CFSTR(""), nullptr), nullptr);
  EXPECT_EQ(CFURLCreateWithString(nullptr, nullptr, nullptr), nullptr);
}

TEST_F(CFDataURLTest, AllocatorHandsOutAndTakesBackBlocks) {
  EXPECT_EQ(CFGetTypeID(CFAllocatorGetDefault()), CFAllocatorGetTypeID());
  const long before = standin::testing::LiveAllocationCount();
  void* block = CFAllocatorAllocate(kCFAllocatorDefault, 32, 0);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(standin::testing::LiveAllocationCount(), before + 1);
  CFAllocatorDeallocate(CFAllocatorGetDefault(), block);
  EXPECT_EQ(CFAllocatorAllocate(nullptr, 0, 0), nullptr);
}

TEST_F(CFDataURLTest, NullReferencesAreHarmless) {
  EXPECT_EQ(CFRetain(nullptr), nullptr);
  CFRelease(nullptr);
  EXPECT_EQ(CFGetTypeID(nullptr), 0u);
  EXPECT_FALSE(CFEqual(nullptr, CFSTR("x")));
  EXPECT_EQ(CFCopyDescription(nullptr), nullptr);
}

}  // namespace
