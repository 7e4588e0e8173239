#include "host/auhost_base64.h"

#include <gtest/gtest.h>

namespace orvane::auhost {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

TEST(AuhostBase64, KnownTextsInBothDirections) {
  // The test vectors of the base64 standard.
  const std::pair<const char*, const char*> vectors[] = {
      {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
  };
  for (const auto& [plain, encoded] : vectors) {
    EXPECT_EQ(EncodeBase64(Bytes(plain)), encoded);
    EXPECT_EQ(DecodeBase64(encoded), Bytes(plain)) << encoded;
  }
}

TEST(AuhostBase64, EveryByteValueRoundTrips) {
  std::vector<std::uint8_t> bytes;
  for (int value = 255; value >= 0; --value) bytes.push_back(static_cast<std::uint8_t>(value));
  EXPECT_EQ(DecodeBase64(EncodeBase64(bytes)), bytes);
}

TEST(AuhostBase64, RefusesTextThatIsNotCanonical) {
  for (const char* bad : {"Zg", "Zg=", "Zm9v\n", "Zm 9v", "Zm9v====", "Z===", "Zg==Zg==", "Zm=v", "Zh==",
                          "Zm9w=", "Zm9!"})
    EXPECT_FALSE(DecodeBase64(bad)) << bad;
}

}  // namespace
}  // namespace orvane::auhost
