// auhost editor as a user runs it: the product's editor saved as a PNG at
// each screen scale and size, driven by a script whose dialogs it answers,
// and the failures that write nothing.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <standin/testing/images.h>

#include <filesystem>
#include <fstream>

#include "auhost_process.h"
#include "drawn_editor_layout.h"
#include "host/auhost_failure.h"
#include "scoped_test_folder.h"
#include "support/test_paths.h"

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
  std::string WriteScript(const std::string& name, const std::string& text) const {
    std::ofstream(Path(name)) << text;
    return Path(name);
  }

  ScopedTestFolder folder;
  // The product starts from no settings: the light theme.
  ScopedEnvironmentVariable home{"HOME", Path("home")};
};

TEST_F(AuhostEditor, SavesTheProductsEditorAtTheScreensScale) {
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

TEST_F(AuhostEditor, RunsAScriptAnsweringItsDialogsSafelyAndSavesWhatTheEditorShows) {
  using orvane::testing::At;
  using orvane::testing::ScriptText;
  const orvane::testing::DrawnEditorLayout& layout = orvane::testing::EditLayout();
  const std::string editPng = Path("edit.png");
  const std::string script = WriteScript("edit.txt", "# the EDIT view, an edit, then \">\" asks about it\n"
                                                     "click " + ScriptText(orvane::testing::EditViewSwitch()) + "\n"
                                                     "png \"" + editPng + "\"\n"
                                                     "click " + ScriptText(orvane::testing::GainEdit()) + "\n"
                                                     "click " + ScriptText(At(layout.nextPreset)) + "\n"
                                                     "click " + ScriptText(At(layout.preampMenuBox)) + "\n");
  const std::string png = Path("final.png");
  const ProcessResult result = Auhost({"editor", ORVANE_BUNDLE, "--png", png, "--script", script});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_THAT(result.out, HasSubstr("(1392 x 783 pixels) to " + editPng + "\n"));
  EXPECT_THAT(result.out, HasSubstr("alert \"Unsaved design\" \"Save your changes"));
  EXPECT_THAT(result.out, HasSubstr("[Yes, No, Cancel]: answered Cancel\n"));
  EXPECT_THAT(result.out, HasSubstr("\"Paste DNA\"]: dismissed\n"));
  EXPECT_THAT(result.out, HasSubstr("(1392 x 783 pixels) to " + png + "\n"));
  for (const std::string& saved : {editPng, png}) {
    const auto image = standin::testing::ReadPng(saved);
    ASSERT_TRUE(image.has_value()) << saved;
    EXPECT_GT(orvane::testing::PreampCurvePixels(*image), 100) << saved << ": the plots are drawn";
  }
}

TEST_F(AuhostEditor, ShowsTheStateAndDesignGivenAsRenderTakesThem) {
  const std::string highGain = std::string(ORVANE_SOURCE_DIR) + "/scripts/demo/HighGain.orv";
  ASSERT_EQ(Auhost({"state", "save", ORVANE_BUNDLE, Path("high.json"), "--design", highGain}).exitCode, 0);
  const auto shown = [&](const std::string& name, const std::vector<std::string>& options) {
    std::vector<std::string> arguments = {"editor", ORVANE_BUNDLE, "--png", Path(name)};
    arguments.insert(arguments.end(), options.begin(), options.end());
    const ProcessResult result = Auhost(arguments);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return orvane::testing::ReadFileBytes(Path(name));
  };
  const std::string plain = shown("plain.png", {});
  const std::string designed = shown("designed.png", {"--design", highGain});
  EXPECT_NE(designed, plain);
  EXPECT_EQ(shown("restored.png", {"--state", Path("high.json")}), designed);
  EXPECT_NE(shown("oversampled.png", {"--oversampling", "8"}), plain);
}

TEST_F(AuhostEditor, SizesTheEditorOrSaysWhichSizeItTook) {
  const struct {
    const char* size;
    ExitCode code;
    std::string shown;
  } cases[] = {
      {"1000x600", ExitCode::kSuccess, "(1000 x 600 pixels)"},
      {"100x100", ExitCode::kNoFrame, "the editor did not take the size 100x100; it is 464 x 261"},
  };
  for (const auto& c : cases) {
    const std::string png = Path(std::string("sized") + c.size + ".png");
    const ProcessResult result = Auhost({"editor", ORVANE_BUNDLE, "--png", png, "--size", c.size});
    EXPECT_EQ(result.exitCode, static_cast<int>(c.code)) << result.err;
    EXPECT_THAT(result.out + result.err, HasSubstr(c.shown));
    EXPECT_EQ(std::filesystem::exists(png), c.code == ExitCode::kSuccess);
  }
}

TEST_F(AuhostEditor, AComponentWithoutAnEditorABadScriptOrAnUnwritableImageWritesNothing) {
  const std::string badScript = WriteScript("bad.txt", "click 1 2\n\nwheel 5 5 nan\n");
  const struct {
    std::string bundle;
    std::string png;
    std::vector<std::string> options;
    ExitCode code;
    std::string message;
  } cases[] = {
      {AU_TEST_PLUGIN_BUNDLE, Path("plain.png"), {}, ExitCode::kNoEditor,
       "AU Test Plugin has no editor: it reports no Cocoa view"},
      {ORVANE_BUNDLE, Path("missing/editor.png"), {}, ExitCode::kImageFile,
       "auhost: cannot write image " + Path("missing/editor.png") + ": its folder " + Path("missing") +
           " does not exist"},
      {ORVANE_BUNDLE, Path("editor.jpg"), {}, ExitCode::kImageFile,
       "auhost: cannot write image " + Path("editor.jpg") + ": auhost writes PNG images only, named .png"},
      // Checked before the bundle, which is not there.
      {Path("missing.component"), Path("scripted.png"), {"--script", badScript}, ExitCode::kScript,
       "auhost: editor script " + badScript + ": script line 3: DELTA must be a finite number, not \"nan\""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = {"editor", c.bundle, "--png", c.png};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    const ProcessResult result = Auhost(arguments);
    EXPECT_EQ(result.exitCode, static_cast<int>(c.code)) << result.err;
    EXPECT_THAT(result.err, HasSubstr(c.message));
    EXPECT_FALSE(std::filesystem::exists(c.png));
  }
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
    EXPECT_THAT(entry.path().filename().string(), ::testing::AnyOf("process.out", "process.err", "home", "bad.txt"))
        << "left behind";
}

}  // namespace
}  // namespace orvane::auhost
