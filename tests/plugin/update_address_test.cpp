#include "plugin/update_address.h"

#include <gtest/gtest.h>

#include "scoped_test_folder.h"

namespace orvane {
namespace {

TEST(UpdateAddressTest, AppendsTheLatestVersionPathToABaseAddress) {
  std::string url;
  ASSERT_TRUE(BuildUpdateRequestUrl("http://127.0.0.1:8080", url));
  EXPECT_EQ(url, "http://127.0.0.1:8080/downloads/latest_version.json");
  ASSERT_TRUE(BuildUpdateRequestUrl("https://updates.example.test", url));
  EXPECT_EQ(url, "https://updates.example.test/downloads/latest_version.json");
  ASSERT_TRUE(BuildUpdateRequestUrl("https://updates.example.test/", url));
  EXPECT_EQ(url, "https://updates.example.test/downloads/latest_version.json");
}

TEST(UpdateAddressTest, RefusesAnythingButASchemeAndAnAuthority) {
  for (const char* base :
       {"", "127.0.0.1:8080", "ftp://127.0.0.1", "file:///etc/passwd", "http://", "http:///", "http://:80",
        "http://host/path", "http://host?x=1", "http://host#f", "http://user@host", "http://ho st",
        "http://host\n", "HTTP://host", "http://host//"}) {
    std::string url = "unchanged";
    EXPECT_FALSE(BuildUpdateRequestUrl(base, url)) << '"' << base << '"';
    EXPECT_EQ(url, "unchanged");
  }
}

TEST(UpdateAddressTest, ComesOnlyFromTheEnvironment) {
  std::string url;
  {
    const testing::ScopedEnvironmentVariable unset(kUpdateUrlVariable, std::nullopt);
    EXPECT_FALSE(UpdateRequestUrlFromEnvironment(url));
  }
  {
    const testing::ScopedEnvironmentVariable empty(kUpdateUrlVariable, "");
    EXPECT_FALSE(UpdateRequestUrlFromEnvironment(url));
  }
  const testing::ScopedEnvironmentVariable set(kUpdateUrlVariable, "http://127.0.0.1:1");
  ASSERT_TRUE(UpdateRequestUrlFromEnvironment(url));
  EXPECT_EQ(url, "http://127.0.0.1:1/downloads/latest_version.json");
}

TEST(UpdateAddressTest, TheMakersSiteIsTheOriginOfTheUpdateServer) {
  const struct {
    std::optional<std::string> variable;
    std::string site;
  } cases[] = {
      {std::nullopt, ""},
      {"", ""},
      {"http://127.0.0.1:8123", "http://127.0.0.1:8123"},
      {"http://127.0.0.1:8123/", "http://127.0.0.1:8123"},
      {"http://127.0.0.1:8123/path", ""},
  };
  for (const auto& [variable, site] : cases) {
    const testing::ScopedEnvironmentVariable set(kUpdateUrlVariable, variable);
    EXPECT_EQ(MakerSiteAddress(), site) << variable.value_or("(unset)");
  }
}

}  // namespace
}  // namespace orvane
