#include "framework/core/paths.h"

#include <gtest/gtest.h>
#include <standin/testing/bundles.h>
#include <standin/testing/environment.h>
#include <standin/testing/objects.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>

namespace plugkit {
namespace {

namespace fs = std::filesystem;

constexpr const char* kBundleId = "com.test.paths.Orvane";
constexpr const char* kSharedSubfolder = "Vellumtone/Orvane";

// A temporary HOME holding a plug-in bundle with a resources folder, removed afterwards.
class PathsTest : public ::testing::Test {
protected:
  void SetUp() override {
    std::random_device random;
    root_ = fs::temp_directory_path() / ("paths-test-" + std::to_string(random()));
    fs::create_directories(root_);
    root_ = fs::canonical(root_);
    if (const char* home = std::getenv("HOME")) previousHome_ = home;
    setenv("HOME", root_.c_str(), 1);
    bundle_ = root_ / "Orvane.component";
    Write(bundle_ / "Contents/Info.plist",
          std::string("<plist version=\"1.0\"><dict><key>CFBundleIdentifier</key><string>") + kBundleId +
              "</string></dict></plist>");
    fs::create_directories(resources());
    ASSERT_NE(standin::testing::RegisterBundle(bundle_.string()), nullptr);
    objectsAtStart_ = standin::testing::LiveObjectCount();
  }

  void TearDown() override {
    EXPECT_EQ(standin::testing::LiveObjectCount(), objectsAtStart_);
    if (previousHome_) {
      setenv("HOME", previousHome_->c_str(), 1);
    } else {
      unsetenv("HOME");
    }
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  static void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
  }

  fs::path resources() const { return bundle_ / "Contents/Resources"; }
  fs::path shared() const { return root_ / "Music" / kSharedSubfolder / "Resources"; }

  fs::path root_;
  fs::path bundle_;
  std::optional<std::string> previousHome_;
  long objectsAtStart_ = 0;
};

TEST_F(PathsTest, FoldersFollowTheBundleRegistryAndHome) {
  StrBuf out;
  BundleResourcesFolder(out, kBundleId);
  EXPECT_STREQ(out.Get(), resources().c_str());
  HomeFolder(out);
  EXPECT_STREQ(out.Get(), root_.c_str());
  ApplicationSupportFolder(out, false);
  EXPECT_EQ(std::string(out.Get()), root_.string() + "/Library/Application Support");
  standin::testing::SetMachineDomainRoot(root_.string());
  ApplicationSupportFolder(out, true);
  EXPECT_EQ(std::string(out.Get()), root_.string() + "/Library/Application Support");
  standin::testing::SetMachineDomainRoot("/");
}

TEST_F(PathsTest, UnknownBundleLeavesTheAnswerUnchanged) {
  StrBuf out("kept");
  BundleResourcesFolder(out, "com.test.paths.missing");
  EXPECT_STREQ(out.Get(), "kept");
  BundleResourcesFolder(out, nullptr);
  EXPECT_STREQ(out.Get(), "kept");
}

TEST_F(PathsTest, Auv3IdentifierUsesItsFrameworkBundle) {
  const fs::path framework = root_ / "Orvane.framework";
  Write(framework / "Contents/Info.plist",
        "<plist><dict><key>CFBundleIdentifier</key><string>com.test.paths.AUv3.OrvaneFramework</string></dict></plist>");
  standin::testing::RegisterBundle(framework.string());
  StrBuf out;
  BundleResourcesFolder(out, "com.test.paths.AUv3.Orvane");
  EXPECT_EQ(std::string(out.Get()), (framework / "Contents/Resources").string());
}

TEST_F(PathsTest, ResourceIsFoundInTheBundleWhateverTheExtensionsCase) {
  Write(resources() / "knob.png", "png");
  StrBuf out;
  EXPECT_TRUE(FindResourcePath("knob.png", "PNG", out, kBundleId, nullptr, ""));
  EXPECT_EQ(std::string(out.Get()), (resources() / "knob.png").string());

  Write(resources() / "Logo.SVG", "svg");
  EXPECT_TRUE(FindResourcePath("logo.svg", "svg", out, kBundleId, nullptr, ""));
  EXPECT_EQ(std::string(out.Get()), (resources() / "Logo.SVG").string());
}

TEST_F(PathsTest, ResourceIsFoundInTheSharedFolderAfterTheBundle) {
  Write(shared() / "font.ttf", "ttf");
  StrBuf out;
  EXPECT_TRUE(FindResourcePath("fonts/font.TTF", "ttf", out, kBundleId, nullptr, kSharedSubfolder));
  EXPECT_EQ(std::string(out.Get()), (shared() / "font.ttf").string());
  EXPECT_FALSE(FindResourcePath("font.ttf", "ttf", out, kBundleId, nullptr, ""));

  Write(resources() / "font.ttf", "ttf");
  EXPECT_TRUE(FindResourcePath("font.ttf", "ttf", out, kBundleId, nullptr, kSharedSubfolder));
  EXPECT_EQ(std::string(out.Get()), (resources() / "font.ttf").string());
}

TEST_F(PathsTest, AbsolutePathOutsideTheBundleIsReturnedUnchanged) {
  const fs::path file = root_ / "elsewhere" / "photo.png";
  Write(file, "png");
  StrBuf out;
  EXPECT_TRUE(FindResourcePath(file.c_str(), "png", out, kBundleId, nullptr, kSharedSubfolder));
  EXPECT_STREQ(out.Get(), file.c_str());
}

TEST_F(PathsTest, NameWithoutADotIsOnlyTriedAsAPath) {
  Write(resources() / "README.txt", "text");
  Write(resources() / "README", "text");
  StrBuf out("kept");
  EXPECT_FALSE(FindResourcePath("README", "txt", out, kBundleId, nullptr, kSharedSubfolder));
  EXPECT_STREQ(out.Get(), "kept");
  const fs::path plain = resources() / "README";
  EXPECT_TRUE(FindResourcePath(plain.c_str(), "txt", out, kBundleId, nullptr, kSharedSubfolder));
  EXPECT_STREQ(out.Get(), plain.c_str());
}

TEST_F(PathsTest, MissingOrEmptyNamesAreNotFound) {
  StrBuf out;
  EXPECT_FALSE(FindResourcePath(nullptr, "png", out, kBundleId, nullptr, ""));
  EXPECT_FALSE(FindResourcePath("", "png", out, kBundleId, nullptr, ""));
  EXPECT_FALSE(FindResourcePath("absent.png", "png", out, kBundleId, nullptr, kSharedSubfolder));
  EXPECT_FALSE(FindResourcePath("absent.png", "png", out, "com.test.paths.missing", nullptr, ""));
}

TEST_F(PathsTest, XPCServiceIsToldByTheProcessName) {
  standin::testing::SetProcessName("AUHostingServiceXPC");
  EXPECT_TRUE(RunsInXPCService());
  standin::testing::SetProcessName("auhost");
  EXPECT_FALSE(RunsInXPCService());
  standin::testing::SetProcessName("");
}

}  // namespace
}  // namespace plugkit
