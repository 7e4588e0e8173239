// auhost editor as a user runs it: the product's editor saved as a PNG at
// each screen scale, and the failures that write nothing.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <standin/testing/images.h>

#include <filesystem>

#include "auhost_process.h"
#include "host/auhost_failure.h"
#include "scoped_test_folder.h"

namespace orvane::auhost {
namespace {

using ::testing::HasSubstr;
using orvane::testing::ProcessResult;
using orvane::testing::ScopedEnvironmentVariable;
using orvane::testing::ScopedTestFolder;

class AuhostEditor : public ::testing::Test {
protected:
  std::string Path(const std::string& name) const { return (folder.Path() / name).string(); }
  ProcessResult Auhost(const std::vector<std::string>& arguments) const {
    return orvane::testing::RunProgram(AUHOST_PROGRAM, arguments, folder.Path());
  }

  ScopedTestFolder folder;
  // The product starts from no settings: the light theme.
  ScopedEnvironmentVariable home{"HOME", Path("home")};
};

TEST_F(AuhostEditor, SavesTheProductsFirstFrameAtTheScreensScale) {
  const struct {
    const char* scale;
    int width, height;
  } cases[] = {{"1", 1392, 783}, {"2", 2784, 1566}};
  for (const auto& c : cases) {
    const std::string png = Path(std::string("editor@") + c.scale + ".png");
    const ProcessResult result = Auhost({"editor", ORVANE_BUNDLE, "--png", png, "--scale", c.scale});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string size = std::to_string(c.width) + " x " + std::to_string(c.height);
    EXPECT_THAT(result.out, HasSubstr("saved the editor of Vellumtone: Orvane (" + size + " pixels) to " + png));
    const auto image = standin::testing::ReadPng(png);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->width, c.width);
    EXPECT_EQ(image->height, c.height);
  }
}

TEST_F(AuhostEditor, AComponentWithoutAnEditorOrAnUnwritableImageWritesNothing) {
  const struct {
    std::string bundle;
    std::string png;
    ExitCode code;
    std::string message;
  } cases[] = {
      {AU_TEST_PLUGIN_BUNDLE, Path("plain.png"), ExitCode::kNoEditor,
       "AU Test Plugin has no editor: it reports no Cocoa view"},
      {ORVANE_BUNDLE, Path("missing/editor.png"), ExitCode::kImageFile,
       "auhost: cannot write image " + Path("missing/editor.png")},
  };
  for (const auto& c : cases) {
    const ProcessResult result = Auhost({"editor", c.bundle, "--png", c.png});
    EXPECT_EQ(result.exitCode, static_cast<int>(c.code)) << result.err;
    EXPECT_THAT(result.err, HasSubstr(c.message));
    EXPECT_FALSE(std::filesystem::exists(c.png));
  }
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
    EXPECT_THAT(entry.path().filename().string(), ::testing::AnyOf("process.out", "process.err", "home"))
        << "left behind";
}

}  // namespace
}  // namespace orvane::auhost
