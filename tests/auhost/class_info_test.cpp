#include "host/auhost_class_info.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/auhost_failure.h"
#include "scoped_test_folder.h"

namespace orvane::auhost {
namespace {

using ::testing::HasSubstr;
using orvane::testing::ScopedTestFolder;
using orvane::testing::WriteFileBytes;

ClassInfo SampleInfo() {
  ClassInfo info;
  info.version = 0x00010004;
  info.type = 0x61756D66;  // 'aumf'
  info.subtype = 0x4F72766E;
  info.manufacturer = 0x566C746E;
  info.name = "Crunch \xC3\xA9t\xC3\xA9";
  info.data = std::vector<std::uint8_t>{0x41, 0x54, 0x53, 0x4F, 0x00, 0xFF};
  return info;
}

std::string StateFileErrorOf(const std::string& path) {
  try {
    ReadStateFile(path);
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.Code(), ExitCode::kStateFile);
    return failure.what();
  }
  ADD_FAILURE() << "the state file was accepted";
  return {};
}

TEST(AuhostClassInfo, StateFileRoundTripsEveryKey) {
  ScopedTestFolder folder;
  const std::string path = (folder.Path() / "state.json").string();
  WriteStateFile(path, SampleInfo());
  EXPECT_EQ(ReadStateFile(path), SampleInfo());

  ClassInfo withoutData = SampleInfo();
  withoutData.data.reset();
  WriteStateFile(path, withoutData);
  EXPECT_EQ(ReadStateFile(path), withoutData);
}

TEST(AuhostClassInfo, JsonCarriesTheDataInBase64) {
  const nlohmann::json document = ClassInfoToJson(SampleInfo());
  EXPECT_EQ(document["data"], "QVRTTwD/");
  EXPECT_EQ(document["type"], 0x61756D66);
  EXPECT_EQ(document["name"], "Crunch \xC3\xA9t\xC3\xA9");
}

TEST(AuhostClassInfo, BadStateFilesAreRefusedWithTheReason) {
  ScopedTestFolder folder;
  const auto write = [&](const std::string& name, const std::string& text) {
    const std::string path = (folder.Path() / name).string();
    WriteFileBytes(path, text);
    return path;
  };
  EXPECT_THAT(StateFileErrorOf((folder.Path() / "missing.json").string()), HasSubstr("cannot read state file"));
  EXPECT_THAT(StateFileErrorOf(write("text.json", "not json")), HasSubstr("is not JSON"));
  EXPECT_THAT(StateFileErrorOf(write("array.json", "[1,2]")), HasSubstr("it is not a JSON object"));

  nlohmann::json document = ClassInfoToJson(SampleInfo());
  document.erase("subtype");
  EXPECT_THAT(StateFileErrorOf(write("nosubtype.json", document.dump())), HasSubstr("\"subtype\" is missing"));
  document = ClassInfoToJson(SampleInfo());
  document["version"] = 1.5;
  EXPECT_THAT(StateFileErrorOf(write("realversion.json", document.dump())),
              HasSubstr("\"version\" must be a 32-bit integer"));
  document["version"] = 4294967296;
  EXPECT_THAT(StateFileErrorOf(write("bigversion.json", document.dump())),
              HasSubstr("\"version\" must be a 32-bit integer"));
  document = ClassInfoToJson(SampleInfo());
  document["name"] = 3;
  EXPECT_THAT(StateFileErrorOf(write("numbername.json", document.dump())), HasSubstr("\"name\" must be a string"));
  document = ClassInfoToJson(SampleInfo());
  document["data"] = "QVRTTwD";
  EXPECT_THAT(StateFileErrorOf(write("baddata.json", document.dump())), HasSubstr("\"data\" is not base64"));
}

TEST(AuhostClassInfo, AnUnwritableStateFileIsReported) {
  ScopedTestFolder folder;
  try {
    WriteStateFile((folder.Path() / "no" / "such" / "folder.json").string(), SampleInfo());
    ADD_FAILURE() << "the write succeeded";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.Code(), ExitCode::kStateFile);
    EXPECT_THAT(failure.what(), HasSubstr("cannot write state file"));
  }
}

}  // namespace
}  // namespace orvane::auhost
