#include "plugin/version_list.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(ParseVersionStringTest, AcceptsDottedDecimalNumbers) {
  VersionList version;
  ASSERT_TRUE(ParseVersionString("1.0.4", version));
  EXPECT_EQ(version, (VersionList{1, 0, 4}));
  ASSERT_TRUE(ParseVersionString("1.10", version));
  EXPECT_EQ(version, (VersionList{1, 10}));
  ASSERT_TRUE(ParseVersionString("007", version));
  EXPECT_EQ(version, (VersionList{7}));
  ASSERT_TRUE(ParseVersionString("1.2.3.4", version));
  EXPECT_EQ(version, (VersionList{1, 2, 3, 4}));
  ASSERT_TRUE(ParseVersionString("4294967295.00000000004294967295", version));
  EXPECT_EQ(version, (VersionList{4294967295u, 4294967295u}));
}

TEST(ParseVersionStringTest, RefusesMalformedTextsAndLeavesNothingBehind) {
  for (const char* text : {"", "1..2", "1.a", "v1", "1.2.3.4.5", "4294967296", "1.99999999999999999999",
                           ".1", "1.", "1.-2", "+1", " 1", "1 ", "1.0\n"}) {
    VersionList version{9, 9};
    EXPECT_FALSE(ParseVersionString(text, version)) << '"' << text << '"';
    EXPECT_TRUE(version.empty()) << '"' << text << '"';
  }
}

bool IsNewerThanThisVersion(const std::string& remoteText) {
  VersionList local;
  VersionList remote;
  if (!ParseVersionString("1.0.4", local) || !ParseVersionString(remoteText, remote)) {
    return false;
  }
  const std::size_t length = std::max(local.size(), remote.size());
  PadVersion(local, length);
  PadVersion(remote, length);
  return VersionLess(local, remote);
}

TEST(VersionOrderTest, PaddedComparisonFindsNewerReleases) {
  EXPECT_TRUE(IsNewerThanThisVersion("1.0.5"));
  EXPECT_TRUE(IsNewerThanThisVersion("1.1"));
  EXPECT_TRUE(IsNewerThanThisVersion("2"));
  EXPECT_TRUE(IsNewerThanThisVersion("1.0.4.1"));
  EXPECT_FALSE(IsNewerThanThisVersion("1.0.4"));
  EXPECT_FALSE(IsNewerThanThisVersion("1.0"));
  EXPECT_FALSE(IsNewerThanThisVersion("1.0.4.0"));
  EXPECT_FALSE(IsNewerThanThisVersion("0.9.99"));
}

TEST(VersionOrderTest, PadVersionAppendsZeros) {
  VersionList version{1, 1};
  PadVersion(version, 4);
  EXPECT_EQ(version, (VersionList{1, 1, 0, 0}));
}

}  // namespace
}  // namespace orvane
