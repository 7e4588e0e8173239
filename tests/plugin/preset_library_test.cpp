#include "plugin/preset_library.h"

#include <gtest/gtest.h>
#include <standin/testing/bundles.h>
#include <standin/testing/objects.h>

#include <filesystem>
#include <string>
#include <vector>

#include "design/design.h"
#include "design/design_file.h"
#include "scoped_test_folder.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using OrvanePresets::Collection;
using testing::ScopedEnvironmentVariable;
using testing::ScopedTestFolder;
using testing::WriteFileBytes;

void WriteDesignNamed(const fs::path& path, const std::string& name) {
  Design design;
  design.name = name;
  std::string error;
  ASSERT_TRUE(WriteDesignFile(path.string(), design, error)) << error;
}

std::vector<PresetEntry> ListUserFolder(const fs::path& folder) {
  std::vector<PresetEntry> entries;
  ScanPresetFolder(Collection::kUser, "", folder.string(), entries);
  return entries;
}

std::vector<std::string> NamesOf(const std::vector<PresetEntry>& entries) {
  std::vector<std::string> names;
  for (const PresetEntry& entry : entries) names.push_back(entry.name);
  return names;
}

TEST(PresetFolders, JoinWithOneSeparator) {
  EXPECT_EQ(JoinFolderPath("/a/b", "c"), "/a/b/c");
  EXPECT_EQ(JoinFolderPath("/a/b/", "c"), "/a/b/c");
}

TEST(PresetFolders, FactoryFolderLiesInTheBundleResources) {
  constexpr char kBundleId[] = "com.test.presetlibrary.Orvane";
  ScopedTestFolder folder;
  const fs::path bundle = folder.Path() / "Orvane.component";
  fs::create_directories(bundle / "Contents" / "Resources");
  WriteFileBytes(bundle / "Contents" / "Info.plist",
                 std::string("<plist version=\"1.0\"><dict><key>CFBundleIdentifier</key><string>") + kBundleId +
                     "</string></dict></plist>");
  ASSERT_NE(standin::testing::RegisterBundle(bundle.string()), nullptr);
  const auto objectsBefore = standin::testing::LiveObjectCount();

  EXPECT_EQ(FactoryPresetsFolder(kBundleId), (bundle / "Contents" / "Resources" / "Presets").string());
  EXPECT_EQ(FactoryPresetsFolder("com.test.presetlibrary.Unknown"), "");
  EXPECT_EQ(FactoryPresetsFolder(nullptr), "");
  EXPECT_EQ(standin::testing::LiveObjectCount(), objectsBefore);
}

TEST(PresetFolders, UserFolderFollowsHome) {
  ScopedEnvironmentVariable home("HOME", "/home/player");
  EXPECT_EQ(UserPresetsFolder(), "/home/player/Documents/Orvane/Presets");
}

TEST(PresetFolders, DefaultPresetOnlyWhenARegularFileExists) {
  ScopedTestFolder folder;
  const std::string factory = folder.Path().string();
  EXPECT_EQ(DefaultPresetPath(factory), "");
  EXPECT_EQ(DefaultPresetPath(""), "");

  fs::create_directory(folder.Path() / "Default.orv");
  EXPECT_EQ(DefaultPresetPath(factory), "");
  fs::remove(folder.Path() / "Default.orv");

  WriteFileBytes(folder.Path() / "Default.orv", "not even JSON");
  EXPECT_EQ(DefaultPresetPath(factory), factory + "/Default.orv");
  EXPECT_EQ(DefaultPresetPath(factory + "/"), factory + "/Default.orv");
}

TEST(PresetScan, ListsReadableDesignFilesSortedByName) {
  ScopedTestFolder folder;
  WriteDesignNamed(folder.Path() / "b.orv", "Bravo");
  WriteDesignNamed(folder.Path() / "A.ORV", "alpha");
  WriteDesignNamed(folder.Path() / "c.txt", "Charlie");
  fs::create_directory(folder.Path() / "d.orv");
  WriteDesignNamed(folder.Path() / "d.orv" / "inner.orv", "Inner");
  WriteFileBytes(folder.Path() / "broken.orv", "{\"format\": ");
  WriteFileBytes(folder.Path() / "other.orv", "{\"format\": \"something else\"}");
  WriteFileBytes(folder.Path() / "empty.orv", "");

  std::vector<PresetEntry> entries;
  EXPECT_TRUE(ScanPresetFolder(Collection::kUser, "", folder.Path().string(), entries));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0], (PresetEntry{(folder.Path() / "A.ORV").string(), "alpha"}));
  EXPECT_EQ(entries[1], (PresetEntry{(folder.Path() / "b.orv").string(), "Bravo"}));
}

TEST(PresetScan, LeavesOutDesignsThatFailValidation) {
  ScopedTestFolder folder;
  WriteDesignNamed(folder.Path() / "good.orv", "Good");
  Design design;
  std::string error;
  ASSERT_TRUE(WriteDesignFile((folder.Path() / "bad.orv").string(), design, error));
  // Pushes a knob out of range in the written text.
  std::string text = testing::ReadFileBytes(folder.Path() / "bad.orv");
  const std::string knob = "\"gain\": 50.0";
  ASSERT_NE(text.find(knob), std::string::npos);
  text.replace(text.find(knob), knob.size(), "\"gain\": 150.0");
  WriteFileBytes(folder.Path() / "bad.orv", text);

  EXPECT_EQ(NamesOf(ListUserFolder(folder.Path())), (std::vector<std::string>{"Good"}));
}

TEST(PresetScan, NamelessDesignsShowTheirFileStem) {
  ScopedTestFolder folder;
  WriteDesignNamed(folder.Path() / "Mixed.Case.Orv", "");
  EXPECT_EQ(NamesOf(ListUserFolder(folder.Path())), (std::vector<std::string>{"Mixed.Case"}));
}

TEST(PresetScan, FollowsLinksToFilesAndSkipsDanglingOnes) {
  ScopedTestFolder folder;
  ScopedTestFolder elsewhere;
  WriteDesignNamed(elsewhere.Path() / "real.orv", "Linked");
  fs::create_symlink(elsewhere.Path() / "real.orv", folder.Path() / "link.orv");
  fs::create_symlink(elsewhere.Path() / "gone.orv", folder.Path() / "dangling.orv");
  fs::create_directory_symlink(elsewhere.Path(), folder.Path() / "folder.orv");

  const std::vector<PresetEntry> entries = ListUserFolder(folder.Path());
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0], (PresetEntry{(folder.Path() / "link.orv").string(), "Linked"}));
}

TEST(PresetScan, ListsTheFolderOfTheAskedCollection) {
  ScopedTestFolder factory;
  ScopedTestFolder user;
  WriteDesignNamed(factory.Path() / "f.orv", "Factory");
  WriteDesignNamed(user.Path() / "u.orv", "User");
  std::vector<PresetEntry> entries;
  ScanPresetFolder(Collection::kFactory, factory.Path().string(), user.Path().string(), entries);
  EXPECT_EQ(NamesOf(entries), (std::vector<std::string>{"Factory"}));
  ScanPresetFolder(Collection::kUser, factory.Path().string(), user.Path().string(), entries);
  EXPECT_EQ(NamesOf(entries), (std::vector<std::string>{"User"}));
}

TEST(PresetScan, AFolderThatCannotBeListedGivesAnEmptyList) {
  ScopedTestFolder folder;
  WriteFileBytes(folder.Path() / "plain", "x");
  const std::vector<std::string> unlistable = {"", (folder.Path() / "missing").string(),
                                               (folder.Path() / "plain").string()};
  for (const std::string& path : unlistable) {
    SCOPED_TRACE(path);
    std::vector<PresetEntry> entries = {{"/stale.orv", "Stale"}};
    EXPECT_FALSE(ScanPresetFolder(Collection::kUser, "", path, entries));
    EXPECT_TRUE(entries.empty());
  }
  std::vector<PresetEntry> entries = {{"/stale.orv", "Stale"}};
  EXPECT_FALSE(ScanPresetFolder(Collection::kUser, "", folder.Path().string(), entries));
  EXPECT_TRUE(entries.empty());
}

TEST(PresetEntryOrder, LowerCasesOnlyAsciiLettersAndComparesBytes) {
  // Upper-case Z sorts before '_' in raw bytes, lower-case z after it.
  EXPECT_TRUE(PresetEntryLess({"/1", "_under"}, {"/0", "Zed"}));
  EXPECT_FALSE(PresetEntryLess({"/0", "Zed"}, {"/1", "_under"}));
  // Bytes above 0x7F are unsigned and unchanged: after every ASCII letter.
  EXPECT_TRUE(PresetEntryLess({"/1", "zz"}, {"/0", "\xC3\x89lan"}));
  EXPECT_TRUE(PresetEntryLess({"/1", "\xC3\x89lan"}, {"/0", "\xC3\xA9lan"}));
  // A proper prefix orders first.
  EXPECT_TRUE(PresetEntryLess({"/1", "Lead"}, {"/0", "lead 2"}));
}

TEST(PresetEntryOrder, NamesEqualButForCaseOrderByPath) {
  EXPECT_TRUE(PresetEntryLess({"/p/a.orv", "CLEAN"}, {"/p/b.orv", "clean"}));
  EXPECT_FALSE(PresetEntryLess({"/p/b.orv", "clean"}, {"/p/a.orv", "CLEAN"}));
  EXPECT_FALSE(PresetEntryLess({"/p/a.orv", "Clean"}, {"/p/a.orv", "Clean"}));

  ScopedTestFolder folder;
  WriteDesignNamed(folder.Path() / "y.orv", "clean");
  WriteDesignNamed(folder.Path() / "x.orv", "Clean");
  WriteDesignNamed(folder.Path() / "z.orv", "CLEAN");
  const std::vector<PresetEntry> entries = ListUserFolder(folder.Path());
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(fs::path(entries[0].path).filename(), "x.orv");
  EXPECT_EQ(fs::path(entries[1].path).filename(), "y.orv");
  EXPECT_EQ(fs::path(entries[2].path).filename(), "z.orv");
}

}  // namespace
}  // namespace orvane
