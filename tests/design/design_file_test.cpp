#include "design/design_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "design/design_json.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class DesignFile : public ::testing::Test {
protected:
  void SetUp() override {
    folder = fs::temp_directory_path() /
             ("orvane-design-file-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(folder, ec);
  }

  static Design Sample() {
    Design design;
    design.name = "Crème";
    design.createdAt = "2024-03-05T17:04:09Z";
    design.amplifier.dna[0] = 1;
    design.amplifier.dna[72] = 255;
    design.amplifier.sections[kSectionPowerAmp] = false;
    design.playerControlValues = {50.0, 1.5};
    design.script = "slider: \"A\"\ngain = x\n";
    design.trims.outputGainDb = -6.5;
    return design;
  }

  // Only the target itself: no temporary file may be left beside it.
  std::size_t EntriesInFolder() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
  }

  fs::path folder;
};

TEST_F(DesignFile, WrittenFileIsTheIndentedDocumentAndOneLineFeed) {
  const fs::path path = folder / "sample.orv";
  std::string error = "stale";
  ASSERT_TRUE(WriteDesignFile(path, Sample(), error)) << error;
  EXPECT_EQ(error, "");

  std::string dnaLines;
  for (std::size_t i = 0; i < kDnaSize; ++i) {
    const int byte = i == 0 ? 1 : i == 72 ? 255 : 0;
    dnaLines += "      " + std::to_string(byte) + (i + 1 < kDnaSize ? ",\n" : "\n");
  }
  const std::string expected =
      "{\n"
      "  \"amplifier\": {\n"
      "    \"bypassGainDb\": {\n"
      "      \"powerAmp\": 0.0,\n"
      "      \"preamp1\": 0.0,\n"
      "      \"preamp2\": 0.0,\n"
      "      \"preamp3\": 0.0,\n"
      "      \"preamp4\": 0.0,\n"
      "      \"toneStack\": 0.0\n"
      "    },\n"
      "    \"dna\": [\n" +
      dnaLines +
      "    ],\n"
      "    \"knobs\": {\n"
      "      \"bass\": 50.0,\n"
      "      \"gain\": 50.0,\n"
      "      \"master\": 50.0,\n"
      "      \"mid\": 50.0,\n"
      "      \"presence\": 50.0,\n"
      "      \"resonance\": 50.0,\n"
      "      \"treble\": 50.0\n"
      "    },\n"
      "    \"sections\": {\n"
      "      \"powerAmp\": false,\n"
      "      \"preamp1\": true,\n"
      "      \"preamp2\": true,\n"
      "      \"preamp3\": true,\n"
      "      \"preamp4\": true,\n"
      "      \"toneStack\": true\n"
      "    },\n"
      "    \"toneStackPosition\": 4\n"
      "  },\n"
      "  \"author\": \"\",\n"
      "  \"createdAt\": \"2024-03-05T17:04:09Z\",\n"
      "  \"description\": \"\",\n"
      "  \"format\": \"com.vellumtone.orvane.design\",\n"
      "  \"formatVersion\": 1,\n"
      "  \"name\": \"Cr\xC3\xA8me\",\n"
      "  \"playerControlValues\": [\n"
      "    50.0,\n"
      "    1.5\n"
      "  ],\n"
      "  \"script\": \"slider: \\\"A\\\"\\ngain = x\\n\",\n"
      "  \"trims\": {\n"
      "    \"inputGainDb\": 0.0,\n"
      "    \"outputGainDb\": -6.5\n"
      "  }\n"
      "}\n";
  EXPECT_EQ(ReadText(path), expected);
  EXPECT_EQ(EntriesInFolder(), 1u);
}

TEST_F(DesignFile, WriteThenReadYieldsAnEqualDesign) {
  const fs::path path = folder / "round.orv";
  Design design = MakeDefaultDesign();
  design.createdAt = "2001-02-03T04:05:06Z";
  design.description = "\xE2\x9C\x93 tab\t and quote \"";
  std::string error;
  ASSERT_TRUE(WriteDesignFile(path, design, error)) << error;
  Design read;
  ASSERT_TRUE(ReadDesignFile(path, read, error)) << error;
  EXPECT_EQ(error, "");
  EXPECT_EQ(read, design);
}

TEST_F(DesignFile, ReadAcceptsWhiteSpaceAndTrailingText) {
  const fs::path path = folder / "trailing.orv";
  WriteText(path, "\n\t " + BuildDesignJson(Sample()).dump() + "\n{ not examined ]]");
  Design read;
  std::string error;
  ASSERT_TRUE(ReadDesignFile(path, read, error)) << error;
  EXPECT_EQ(read, Sample());
}

TEST_F(DesignFile, ReadFailures) {
  Design read;
  read.name = "untouched";
  std::string error;

  EXPECT_FALSE(ReadDesignFile(folder / "missing.orv", read, error));
  EXPECT_EQ(error, "Could not open design file");

  WriteText(folder / "empty.orv", "");
  EXPECT_FALSE(ReadDesignFile(folder / "empty.orv", read, error));
  EXPECT_EQ(error.rfind("Could not read Orvane design: [json.exception.parse_error.101]", 0), 0u) << error;

  WriteText(folder / "comment.orv", "// design\n{}");
  EXPECT_FALSE(ReadDesignFile(folder / "comment.orv", read, error));
  EXPECT_EQ(error.rfind("Could not read Orvane design: [json.exception.parse_error.101]", 0), 0u) << error;

  std::string huge = BuildDesignJson(Sample()).dump();
  huge.replace(huge.find("\"gain\":50.0"), 11, "\"gain\":1e400");
  WriteText(folder / "huge.orv", huge);
  EXPECT_FALSE(ReadDesignFile(folder / "huge.orv", read, error));
  EXPECT_EQ(error.rfind("Could not read Orvane design: [json.exception.out_of_range.406]", 0), 0u) << error;

  nlohmann::json loud = BuildDesignJson(Sample());
  loud["amplifier"]["knobs"]["gain"] = 120.0;
  WriteText(folder / "loud.orv", loud.dump(2));
  EXPECT_FALSE(ReadDesignFile(folder / "loud.orv", read, error));
  EXPECT_EQ(error, "amplifier.knobs.gain must be a finite number from 0 to 100");

  EXPECT_FALSE(ReadDesignFile(folder, read, error));
  EXPECT_EQ(error.rfind("Could not read Orvane design: ", 0), 0u) << error;

  EXPECT_EQ(read.name, "untouched");
}

TEST_F(DesignFile, InvalidDesignIsNotWritten) {
  const fs::path path = folder / "keep.orv";
  WriteText(path, "old content");
  Design design = Sample();
  design.createdAt = "2024-03-05";
  std::string error;
  EXPECT_FALSE(WriteDesignFile(path, design, error));
  EXPECT_EQ(error, "createdAt must use UTC timestamp format YYYY-MM-DDTHH:MM:SSZ");

  design = Sample();
  design.name = "bad \xFF utf-8";
  EXPECT_FALSE(WriteDesignFile(path, design, error));
  EXPECT_EQ(error.rfind("Could not serialize Orvane design: [json.exception.type_error.316]", 0), 0u) << error;

  EXPECT_EQ(ReadText(path), "old content");
  EXPECT_EQ(EntriesInFolder(), 1u);
}

TEST_F(DesignFile, FailedWriteLeavesTheOldFileIntact) {
  const fs::path path = folder / "precious.orv";
  WriteText(path, "old content");

  // A file-size limit makes the write itself fail, as a full disk would.
  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit small = saved;
  small.rlim_cur = 64;
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string error;
  const bool written = WriteDesignFile(path, Sample(), error);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_FALSE(written);
  EXPECT_EQ(error, "Could not write design file");
  EXPECT_EQ(ReadText(path), "old content");
  EXPECT_EQ(EntriesInFolder(), 1u);
}

TEST_F(DesignFile, FailedRenameLeavesNoTemporaryFile) {
  const fs::path target = folder / "occupied.orv";
  fs::create_directories(target / "inside");
  std::string error;
  EXPECT_FALSE(WriteDesignFile(target, Sample(), error));
  EXPECT_EQ(error, "Could not write design file");
  EXPECT_TRUE(fs::is_directory(target / "inside"));
  EXPECT_EQ(EntriesInFolder(), 1u);
}

TEST_F(DesignFile, MissingFolderCannotBeCreated) {
  std::string error;
  EXPECT_FALSE(WriteDesignFile(folder / "absent" / "new.orv", Sample(), error));
  EXPECT_EQ(error, "Could not create design file");
}

TEST_F(DesignFile, WriteProtectedFileIsLeftAsItWas) {
  const fs::path path = folder / "locked.orv";
  WriteText(path, "old content");
  const fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read;
  fs::permissions(path, readOnly);
  std::string error;
  EXPECT_FALSE(WriteDesignFile(path, Sample(), error));
  EXPECT_EQ(error, "Could not create design file");
  EXPECT_EQ(ReadText(path), "old content");
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, readOnly);
  EXPECT_EQ(EntriesInFolder(), 1u);
}

TEST_F(DesignFile, EveryNameTheFileSystemTakesCanBeWritten) {
  for (const std::size_t length : {1u, 200u, 250u}) {
    const fs::path path = folder / (std::string(length, 'n') + ".orv");
    std::string error;
    ASSERT_TRUE(WriteDesignFile(path, Sample(), error)) << length << ": " << error;
    ASSERT_TRUE(WriteDesignFile(path, Sample(), error)) << length << " again: " << error;
    Design read;
    EXPECT_TRUE(ReadDesignFile(path, read, error)) << error;
    EXPECT_EQ(read, Sample());
  }
  EXPECT_EQ(EntriesInFolder(), 3u);
}

TEST_F(DesignFile, ReplacingKeepsPermissionsAndFollowsSymbolicLinks) {
  const fs::path real = folder / "real.orv";
  const fs::path link = folder / "link.orv";
  WriteText(real, "old content");
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink(real, link);

  std::string error;
  ASSERT_TRUE(WriteDesignFile(link, Sample(), error)) << error;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  Design read;
  ASSERT_TRUE(ReadDesignFile(real, read, error)) << error;
  EXPECT_EQ(read, Sample());
  EXPECT_EQ(EntriesInFolder(), 2u);
}

}  // namespace
}  // namespace orvane
