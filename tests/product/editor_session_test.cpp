// The product's editor driven through the host library's editor session, as
// auhost drives it, on the manual clock: views, plots, sizes, clicks that
// reach the plug-in's state, and the dialogs the session answers itself.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bundle_test_support.h"
#include "drawn_editor_layout.h"
#include "host/editor_script.h"
#include "plugin/preset_library.h"

namespace orvane::testing {
namespace {

using ::testing::HasSubstr;

host::ClickStep Click(host::ScriptPoint at) {
  host::ClickStep click;
  click.at = at;
  return click;
}
host::ClickStep Click(const IRECT& r) { return Click(At(r)); }

class EditorSessionOnProduct : public ProductBundleEditor {
protected:
  void SetUp() override {
    ProductBundleEditor::SetUp();
    instance = Open();
    ASSERT_NE(instance, nullptr);
    session = OpenEditor(instance->Unit());
    ASSERT_NE(session, nullptr);
    session->SetReporter([this](const std::string& line) { reports.push_back(line); });
    ASSERT_TRUE(session->WaitForFrame(host::kFirstFrameLimitSeconds));
    session->Settle();
  }
  void TearDown() override {
    session.reset();
    ProductBundleEditor::TearDown();
  }

  const DrawnEditorLayout& layout = EditLayout();
  std::unique_ptr<host::AudioUnitInstance> instance;
  std::unique_ptr<host::EditorSession> session;
  std::vector<std::string> reports;
};

TEST_F(EditorSessionOnProduct, OpensInThePlayViewAndComputesPlotsOnceInTheEditView) {
  const standin::testing::Image play = session->Capture();
  EXPECT_EQ(play.width, 1392);
  EXPECT_EQ(play.height, 783);
  EXPECT_TRUE(StateDocument(instance->Unit()).state.playerView);
  EXPECT_EQ(PreampCurvePixels(play), 0);

  session->Apply(Click(EditViewSwitch()));
  session->Settle();
  EXPECT_FALSE(StateDocument(instance->Unit()).state.playerView);
  EXPECT_GT(PreampCurvePixels(session->Capture()), 100);
}

TEST_F(EditorSessionOnProduct, TakesASizeOrSaysWhichItShows) {
  session->Resize(1000, 600);
  EXPECT_EQ(session->Capture().width, 1000);
  EXPECT_EQ(session->Capture().height, 600);
  try {
    session->Resize(100, 100);
    ADD_FAILURE() << "a size the editor refuses was taken";
  } catch (const host::EditorSessionError& error) {
    EXPECT_EQ(error.GetKind(), host::EditorSessionError::Kind::kSizeNotTaken);
    EXPECT_THAT(error.what(), HasSubstr("the editor did not take the size 100x100; it is 464 x 261"));
    EXPECT_EQ(session->Capture().width, 464);
  }
}

TEST_F(EditorSessionOnProduct, ClicksReachThePlugInsState) {
  session->Apply(Click(layout.oversamplingBox));
  session->Apply(Click(layout.oversamplingBox));
  EXPECT_EQ(StateDocument(instance->Unit()).state.oversampling, 4);
}

TEST_F(EditorSessionOnProduct, AnswersAQuestionAndAMenuSafelyAndReportsThem) {
  session->Apply(Click(EditViewSwitch()));
  session->Apply(Click(GainEdit()));
  const Design edited = StateDocument(instance->Unit()).design;
  session->Apply(Click(layout.nextPreset));
  EXPECT_EQ(StateDocument(instance->Unit()).design, edited);
  session->Apply(Click(layout.preampMenuBox));
  ASSERT_EQ(reports.size(), 2u) << ::testing::PrintToString(reports);
  EXPECT_THAT(reports[0], HasSubstr("alert \"Unsaved design\" \"Save your changes"));
  EXPECT_THAT(reports[0], HasSubstr("[Yes, No, Cancel]: answered Cancel"));
  EXPECT_THAT(reports[1], HasSubstr("menu [(\"PREAMP STAGE 1\"), -, \"Clone from Stage 1\""));
  EXPECT_THAT(reports[1], HasSubstr("\"Paste DNA\"]: dismissed"));
}

TEST_F(EditorSessionOnProduct, ScriptedAnswersGoToTheNextDialogsInTurn) {
  const std::string saved = (home.Path() / "mine.orv").string();
  session->Apply(host::FileAnswerStep{saved});
  session->Apply(Click(layout.saveDesignAs));
  session->Apply(Click(layout.saveDesignAs));
  session->Apply(Click(EditViewSwitch()));
  session->Apply(host::MenuAnswerStep{{9}});
  session->Apply(Click(layout.preampMenuBox));
  session->Apply(Click(GainEdit()));
  const Design edited = StateDocument(instance->Unit()).design;
  session->Apply(host::AlertAnswerStep{host::AlertButton::kNo});
  session->Apply(Click(layout.nextPreset));
  session->Settle();
  EXPECT_TRUE(std::filesystem::exists(saved));
  EXPECT_NE(StateDocument(instance->Unit()).design, edited);
  ASSERT_EQ(reports.size(), 4u) << ::testing::PrintToString(reports);
  EXPECT_THAT(reports[0], HasSubstr("save dialog"));
  EXPECT_THAT(reports[0], HasSubstr(", types orv: chose \"" + saved + "\""));
  EXPECT_THAT(reports[1], HasSubstr(": cancelled"));
  EXPECT_THAT(reports[2], HasSubstr(": chose 9 \"Copy DNA\""));
  EXPECT_THAT(reports[3], HasSubstr("answered No"));
  EXPECT_TRUE(session->UnusedAnswers().empty());
}

// A fresh home has no user folder: a save dialog that starts there finds it
// made, whichever way the user reached it.
TEST_F(ProductBundleEditor, SaveDialogsOfAFreshHomeStartInTheUserFolderMadeForThem) {
  const DrawnEditorLayout& layout = EditLayout();
  const struct {
    const char* story;
    std::vector<host::ScriptStep> steps;
  } cases[] = {
      {"yes on a changed factory preset",
       {Click(EditViewSwitch()), Click(GainEdit()), host::AlertAnswerStep{host::AlertButton::kYes},
        Click(layout.nextPreset)}},
      {"save of a never-saved design", {Click(EditViewSwitch()), Click(layout.newDesign), Click(layout.saveDesign)}},
      {"save as", {Click(layout.saveDesignAs)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.story);
    const ScopedTestFolder freshHome;
    const ScopedEnvironmentVariable freshHomeVariable{"HOME", freshHome.Path().string()};
    const std::string userFolder = UserPresetsFolder();
    const auto instance = Open();
    const auto session = OpenEditor(instance->Unit());
    ASSERT_NE(session, nullptr);
    // A dialog is reported once cancelled, which makes and removes nothing.
    std::vector<std::string> saveDialogs;
    session->SetReporter([&](const std::string& line) {
      if (line.rfind("save dialog", 0) == 0)
        saveDialogs.push_back(line + (std::filesystem::is_directory(userFolder) ? "" : " (folder missing)"));
    });
    ASSERT_TRUE(session->WaitForFrame(host::kFirstFrameLimitSeconds));
    for (const host::ScriptStep& step : c.steps) session->Apply(step);
    session->Settle();
    EXPECT_EQ(saveDialogs, std::vector<std::string>{"save dialog in \"" + userFolder + "\", types orv: cancelled"});
  }
}

}  // namespace
}  // namespace orvane::testing
