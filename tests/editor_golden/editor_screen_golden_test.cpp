// The editor's main views as a user sees them: each an editor script run
// through the host library's editor session on the built bundle, settled,
// captured and compared with its golden PNG. What the pictures depend on is
// fixed here: a fresh HOME (the light theme at start), screen scale 1, the
// bundle's fonts and logo, and the version line with its processor pinned
// to x86_64 and its fixed date. ctest runs each view in a process of its own, since the theme
// belongs to the process.

#include <gtest/gtest.h>
#include <standin/testing/images.h>

#include <filesystem>
#include <string>
#include <variant>

#include "bundle_test_support.h"
#include "host/editor_script.h"
#include "plugin/product_version.h"
#include "scoped_test_folder.h"
#include "support/temp_folder.h"
#include "support/test_paths.h"

namespace orvane::testing {
namespace {

namespace fs = std::filesystem;
using standin::testing::Image;

const fs::path kScripts = fs::path(ORVANE_EDITOR_DATA_DIR) / "screens";
const fs::path kGoldens = fs::path(ORVANE_GOLDEN_DIR) / "editor" / "screens";
// A pixel differs when a channel differs by more than this; a view passes
// with at most one pixel in kPixelsPerAllowedDifference differing.
constexpr int kChannelTolerance = 2;
constexpr long kPixelsPerAllowedDifference = 1000;
// The processor the goldens' version line names.
constexpr char kGoldenProcessor[] = "x86_64";

// A file answer written relative to the script reads from the script's folder.
host::ScriptStep InScriptFolder(host::ScriptStep step) {
  if (auto* file = std::get_if<host::FileAnswerStep>(&step); file && file->path && fs::path(*file->path).is_relative())
    file->path = (kScripts / *file->path).lexically_normal().string();
  return step;
}

standin::testing::GoldenTolerance ToleranceFor(const Image& image) {
  return {kChannelTolerance, static_cast<long>(image.width) * image.height / kPixelsPerAllowedDifference};
}

class EditorScreen : public ProductBundleEditor {
protected:
  void ExpectScreen(const std::string& view) {
    const std::string missingFonts = MissingFontsReason(ORVANE_PRODUCT_BUNDLE);
    ASSERT_TRUE(missingFonts.empty()) << missingFonts;
    const ScopedEnvironmentVariable pinned(kPinnedProcessorVariable, kGoldenProcessor);

    const host::ScriptReading script = host::ReadEditorScript(ReadFileBytes(kScripts / (view + ".script")));
    ASSERT_FALSE(script.error) << script.error->Message();
    const auto instance = Open();
    ASSERT_NE(instance, nullptr);
    const auto session = OpenEditor(instance->Unit());
    ASSERT_NE(session, nullptr);
    std::vector<std::string> dialogs;
    session->SetReporter([&](const std::string& line) { dialogs.push_back(line); });
    ASSERT_TRUE(session->WaitForFrame(host::kFirstFrameLimitSeconds));
    session->Settle();
    for (const host::ScriptLine& line : script.steps) session->Apply(InScriptFolder(line.step));
    session->Settle();
    EXPECT_EQ(session->UnusedAnswers(), std::vector<std::string>{}) << "answers no dialog took";

    const Image screen = session->Capture();
    const standin::testing::GoldenResult result =
        standin::testing::CheckGolden(screen, kGoldens / (view + ".png"), ToleranceFor(screen));
    EXPECT_TRUE(result.passed) << result.message << "\ndialogs: " << ::testing::PrintToString(dialogs);
  }
};

TEST_F(EditorScreen, EditViewLightDefault) { ExpectScreen("edit_light_default"); }
TEST_F(EditorScreen, PlayViewLightDefault) { ExpectScreen("play_light_default"); }
TEST_F(EditorScreen, EditViewDarkFixture) { ExpectScreen("edit_dark_fixture"); }
TEST_F(EditorScreen, PlayViewDarkFixture) { ExpectScreen("play_dark_fixture"); }
TEST_F(EditorScreen, EditViewSmallestFixture) { ExpectScreen("edit_smallest_fixture"); }
TEST_F(EditorScreen, EditViewScriptErrorAndNumericEntry) { ExpectScreen("edit_script_error"); }

TEST(EditorScreenBundle, ABundleWithoutItsFontsIsNamedWithTheSetupScript) {
  TempFolder bundle;
  fs::create_directories(bundle.path() / "Contents" / "Resources");
  const std::string reason = MissingFontsReason(bundle.path());
  EXPECT_NE(reason.find("iosevka-latin-400-normal.ttf, iosevka-latin-700-normal.ttf"), std::string::npos) << reason;
  EXPECT_NE(reason.find("scripts/setup.sh"), std::string::npos) << reason;
}

// A mismatch names the count, the largest difference and the first differing
// pixel, and leaves the capture and a difference image marking where; opaque
// and translucent captures come back from their files as they were.
TEST(EditorScreenComparison, AMismatchLeavesTheCaptureAndMarksWhere) {
  const ScopedEnvironmentVariable comparing("ORVANE_REGENERATE_GOLDENS", std::nullopt);
  for (const std::uint8_t alpha : {std::uint8_t{255}, std::uint8_t{128}}) {
    TempFolder folder;
    const Image golden(40, 20, 200, 200, 200, alpha);
    ASSERT_TRUE(standin::testing::WritePng(golden, folder.path() / "view.png"));
    Image captured = golden;
    for (int x = 30; x < 33; ++x) captured.pixel(x, 5)[1] = 100;  // beyond the tolerance
    captured.pixel(1, 1)[0] = 202;                                   // within it
    const auto result =
        standin::testing::CheckGolden(captured, folder.path() / "view.png", {kChannelTolerance, 0}, folder.path());
    EXPECT_FALSE(result.passed);
    EXPECT_NE(result.message.find("3 pixels differ by more than 2 (largest difference 100, 0 allowed), the first "
                                  "at (30, 5)"),
              std::string::npos)
        << result.message;
    EXPECT_EQ(standin::testing::ReadPng(folder.path() / "view.actual.png"), captured) << int{alpha};
    const auto difference = standin::testing::ReadPng(folder.path() / "view.diff.png");
    ASSERT_TRUE(difference.has_value());
    const std::uint8_t* marked = difference->pixel(31, 5);
    const std::uint8_t* same = difference->pixel(10, 10);
    EXPECT_GT(marked[0], marked[1]) << "red where beyond the tolerance";
    EXPECT_EQ(same[0], same[1]) << "grey where equal";
  }
}

}  // namespace
}  // namespace orvane::testing
