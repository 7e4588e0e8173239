#include "plugin/update_answer.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(ParseUpdateAnswerTest, TakesTheCurrentVersionText) {
  std::string version;
  ASSERT_TRUE(ParseUpdateAnswer(R"({"current_version": "1.0.5"})", version));
  EXPECT_EQ(version, "1.0.5");
  ASSERT_TRUE(ParseUpdateAnswer(R"({"name": "x", "current_version": "2.0", "extra": [1, 2]})", version));
  EXPECT_EQ(version, "2.0");
  ASSERT_TRUE(ParseUpdateAnswer(R"({"current_version": ")" + std::string(32, '9') + R"("})", version));
  EXPECT_EQ(version.size(), 32u);
}

TEST(ParseUpdateAnswerTest, RefusesEveryOtherAnswerAndKeepsTheOldText) {
  const std::string tooLong = R"({"current_version": ")" + std::string(33, '9') + R"("})";
  for (const std::string& body :
       {std::string(), std::string("not json"), std::string(R"({"current_version": 105})"),
        std::string(R"({"current_version": null})"), std::string(R"({"current_version": ""})"),
        std::string(R"({"version": "1.0.5"})"), std::string(R"(["current_version", "1.0.5"])"),
        std::string(R"("1.0.5")"), std::string(R"({"current_version": "1.0.5")"),
        std::string(R"({"current_version": "1.0.5"} trailing)"), std::string("{\"current_version\": \"\xff\"}"),
        tooLong}) {
    std::string version = "unchanged";
    EXPECT_FALSE(ParseUpdateAnswer(body, version)) << body;
    EXPECT_EQ(version, "unchanged");
  }
}

}  // namespace
}  // namespace orvane
