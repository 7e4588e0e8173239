#include "graphics/cache_key.h"

#include <gtest/gtest.h>

#include <string>

#include "support/comma_locale.h"

namespace plugkit::graphics {
namespace {

TEST(CacheKey, NameDashScaleWithOneDecimalAndXInAnyLocale) {
  const orvane::testing::ScopedCommaDecimalLocale commaLocale;
  const struct {
    const char* name;
    double scale;
    std::string expected;
  } cases[] = {
      {"Roboto-Regular", 1.0, "Roboto-Regular-1.0x"},
      {"knob.png", 2.0, "knob.png-2.0x"},
      {"dial.png", 2.0, "dial.png-2.0x"},
      {"knob.png", 1.54, "knob.png-1.5x"},
      {nullptr, 1.0, "-1.0x"},
  };
  for (const auto& c : cases) {
    StrBuf key;
    CacheKeyText(key, c.name, c.scale);
    EXPECT_EQ(key.Get(), c.expected);
    EXPECT_EQ(CacheKeyHash(c.name, c.scale), std::hash<std::string>{}(c.expected));
  }
}

}  // namespace
}  // namespace plugkit::graphics
