#include "plugin/settings_file.h"

#include <csignal>
#include <filesystem>
#include <mutex>

#include <sys/resource.h>

#include <gtest/gtest.h>

#include "plugin/theme_palette.h"
#include "plugin/update_check_globals.h"
#include "scoped_test_folder.h"
#include "update_check_reset.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

constexpr char kDarkSettingsText[] =
    "{\n"
    "  \"format\": \"com.vellumtone.orvane.settings\",\n"
    "  \"lastUpdateNoticeDate\": \"2026-12-07\",\n"
    "  \"settingsVersion\": 1,\n"
    "  \"theme\": \"dark\"\n"
    "}\n";

std::string LastNoticeDate() {
  UpdateCheckGlobals& globals = GetUpdateCheckGlobals();
  const std::lock_guard lock(globals.mutex);
  return globals.lastNoticeDate;
}

void SetLastNoticeDate(const std::string& date) {
  UpdateCheckGlobals& globals = GetUpdateCheckGlobals();
  const std::lock_guard lock(globals.mutex);
  globals.lastNoticeDate = date;
}

std::string SettingsText(const std::string& format, int version, const std::string& theme) {
  return "{\"format\": \"" + format + "\", \"settingsVersion\": " + std::to_string(version) +
         ", \"theme\": \"" + theme + "\", \"lastUpdateNoticeDate\": \"2026-01-02\"}";
}

// Lowers the largest file this process may write, so a write fails part way
// as it would on a full disk (root ignores folder permissions, not this).
class ScopedFileSizeLimit {
public:
  explicit ScopedFileSizeLimit(rlim_t bytes) {
    mPreviousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &mPrevious);
    rlimit limited = mPrevious;
    limited.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~ScopedFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &mPrevious);
    std::signal(SIGXFSZ, mPreviousHandler);
  }
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

private:
  rlimit mPrevious{};
  void (*mPreviousHandler)(int) = nullptr;
};

class SettingsFileTest : public ::testing::Test {
protected:
  void SetUp() override { testing::ResetProcessWideState(); }
  void TearDown() override { testing::ResetProcessWideState(); }

  fs::path SettingsPath() const { return mFolder.Path() / kSettingsFileName; }

  testing::ScopedTestFolder mFolder;
};

TEST_F(SettingsFileTest, PathIsTheFileInTheApplicationSupportFolder) {
  EXPECT_EQ(SettingsPathInFolder(""), "");
  EXPECT_EQ(SettingsPathInFolder("/a/b"), "/a/b/Vellumtone.Orvane.settings.json");

  const testing::ScopedEnvironmentVariable home("HOME", mFolder.Path().string());
  EXPECT_EQ(GetSettingsPath(),
            (mFolder.Path() / "Library" / "Application Support" / "Vellumtone.Orvane.settings.json").string());
}

TEST_F(SettingsFileTest, ReadingAppliesTheStoredThemeAndDate) {
  WriteFileBytes(SettingsPath(), kDarkSettingsText);
  ReadSettingsFile(SettingsPath());
  EXPECT_TRUE(ThemePalette.IsDark());
  EXPECT_EQ(ThemePalette[26], (ThemeColour{141, 172, 204}));
  EXPECT_EQ(LastNoticeDate(), "2026-12-07");

  WriteFileBytes(SettingsPath(), SettingsText(kSettingsFormat, 1, "light"));
  ReadSettingsFile(SettingsPath());
  EXPECT_FALSE(ThemePalette.IsDark());
  EXPECT_EQ(LastNoticeDate(), "2026-01-02");
}

TEST_F(SettingsFileTest, ForeignOrNewerFilesAreIgnoredEntirely) {
  for (const std::string& text :
       {SettingsText(kSettingsFormat, 2, "dark"), SettingsText(kSettingsFormat, 0, "dark"),
        SettingsText("com.vellumtone.orvane.design", 1, "dark"),
        std::string(R"({"settingsVersion": 1, "theme": "dark", "lastUpdateNoticeDate": "2026-01-02"})"),
        std::string(R"({"format": "com.vellumtone.orvane.settings", "theme": "dark"})"),
        std::string(R"({"format": 1, "settingsVersion": 1, "theme": "dark"})"),
        std::string(R"({"format": "com.vellumtone.orvane.settings", "settingsVersion": "1", "theme": "dark"})"),
        std::string(R"(["com.vellumtone.orvane.settings", 1, "dark"])"), std::string("{\"theme\": \"dark\""),
        std::string(), std::string("\xef\xbb\xbf\x00\x01", 5)}) {
    WriteFileBytes(SettingsPath(), text);
    ReadSettingsFile(SettingsPath());
    EXPECT_FALSE(ThemePalette.IsDark()) << text;
    EXPECT_EQ(LastNoticeDate(), "") << text;
  }
}

TEST_F(SettingsFileTest, OnlyExactThemeNamesChangeTheTheme) {
  ApplyColourTheme(true);
  for (const char* theme : {R"("DARK")", R"("Light")", R"("")", R"(1)", R"(null)", R"(["light"])"}) {
    WriteFileBytes(SettingsPath(), std::string(R"({"format": "com.vellumtone.orvane.settings", "settingsVersion": 1, )") +
                                       R"("lastUpdateNoticeDate": "2026-03-04", "theme": )" + theme + "}");
    ReadSettingsFile(SettingsPath());
    EXPECT_TRUE(ThemePalette.IsDark()) << theme;
    // The rest of a current file still counts.
    EXPECT_EQ(LastNoticeDate(), "2026-03-04") << theme;
  }
}

TEST_F(SettingsFileTest, MissingFileOrPathChangesNothing) {
  SetLastNoticeDate("2026-05-06");
  ReadSettingsFile(SettingsPath());
  ReadSettingsFile("");
  ReadSettingsFile(mFolder.Path().string());  // a folder, not a file
  EXPECT_FALSE(ThemePalette.IsDark());
  EXPECT_EQ(LastNoticeDate(), "2026-05-06");
}

TEST_F(SettingsFileTest, WritesTheDocumentByteForByte) {
  ApplyColourTheme(true);
  SetLastNoticeDate("2026-12-07");
  ASSERT_TRUE(WriteSettingsFile(SettingsPath()));
  EXPECT_EQ(ReadFileBytes(SettingsPath()), kDarkSettingsText);

  ApplyColourTheme(false);
  SetLastNoticeDate("");
  ASSERT_TRUE(WriteSettingsFile(SettingsPath()));
  EXPECT_EQ(ReadFileBytes(SettingsPath()),
            "{\n"
            "  \"format\": \"com.vellumtone.orvane.settings\",\n"
            "  \"lastUpdateNoticeDate\": \"\",\n"
            "  \"settingsVersion\": 1,\n"
            "  \"theme\": \"light\"\n"
            "}\n");
}

TEST_F(SettingsFileTest, InvalidFileIsIgnoredThenReplacedByTheNextSave) {
  WriteFileBytes(SettingsPath(), "{\"theme\": \"dark\", oops");
  ReadSettingsFile(SettingsPath());
  EXPECT_FALSE(ThemePalette.IsDark());

  ApplyColourTheme(true);
  SetLastNoticeDate("2026-12-07");
  ASSERT_TRUE(WriteSettingsFile(SettingsPath()));
  EXPECT_EQ(ReadFileBytes(SettingsPath()), kDarkSettingsText);
}

TEST_F(SettingsFileTest, SavedSettingsReadBackInANewProcessState) {
  ApplyColourTheme(true);
  SetLastNoticeDate("2026-12-07 \xc3\xa9");  // non-ASCII stays as written
  const fs::path nested = mFolder.Path() / "Library" / "Application Support" / kSettingsFileName;
  ASSERT_TRUE(WriteSettingsFile(nested.string()));
  EXPECT_NE(ReadFileBytes(nested).find("\"2026-12-07 \xc3\xa9\""), std::string::npos);

  testing::ResetProcessWideState();
  ReadSettingsFile(nested.string());
  EXPECT_TRUE(ThemePalette.IsDark());
  EXPECT_EQ(LastNoticeDate(), "2026-12-07 \xc3\xa9");
}

TEST_F(SettingsFileTest, FailedSaveKeepsTheOldFileAndLeavesNoTemporary) {
  WriteFileBytes(SettingsPath(), kDarkSettingsText);
  SetLastNoticeDate("2027-01-01");
  {
    const ScopedFileSizeLimit tinyFiles(16);
    EXPECT_FALSE(WriteSettingsFile(SettingsPath()));
  }
  EXPECT_EQ(ReadFileBytes(SettingsPath()), kDarkSettingsText);
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(mFolder.Path())) {
    ++entries;
  }
  EXPECT_EQ(entries, 1u);
}

TEST_F(SettingsFileTest, SaveStopsWhenTheFolderCannotBeCreated) {
  WriteFileBytes(mFolder.Path() / "blocker", "a file where a folder should be");
  EXPECT_FALSE(WriteSettingsFile((mFolder.Path() / "blocker" / kSettingsFileName).string()));
  EXPECT_FALSE(WriteSettingsFile(""));
}

TEST_F(SettingsFileTest, SettingsFollowHome) {
  const testing::ScopedEnvironmentVariable home("HOME", mFolder.Path().string());
  ApplyColourTheme(true);
  WriteSettings();
  testing::ResetProcessWideState();
  ReadSettings();
  EXPECT_TRUE(ThemePalette.IsDark());
  EXPECT_TRUE(fs::is_regular_file(mFolder.Path() / "Library" / "Application Support" / kSettingsFileName));
}

}  // namespace
}  // namespace orvane
