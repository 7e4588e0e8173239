// Message boxes, file and folder dialogs and the colour panel of the macOS
// graphics context, answered by the stand-in AppKit's testing responder.

#include <AppKit/NSColorPanel.h>

#include <optional>

#include "mac_editor_fixture.h"
#include "support/temp_folder.h"

namespace plugkit::testing {
namespace {

using graphics::EMsgBoxResult;
using graphics::EMsgBoxType;
using graphics::MakeMacGraphics;
using standin::testing::PanelKind;
using standin::testing::PanelMode;
using Strings = std::vector<std::string>;

class MacDialogsTest : public MacEditorTest {
protected:
  IGraphicsMac* Open() {
    mDelegate->SetLayoutFunc([this](IGraphics* g) {
      g->EnableMouseOver(true);
      g->AttachControl(new FillControl(IRECT(0, 0, 200, 200), {}));  // the background takes no hover
      mControl = new FillControl(IRECT(0, 0, 100, 100), graphics::kColorRed);
      g->AttachControl(mControl);
    });
    mView = OpenEditor(Window()->contentView());
    return mDelegate->Mac();
  }

  NS::View* mView = nullptr;
  FillControl* mControl = nullptr;
};

TEST_F(MacDialogsTest, AnAlertShowsTheButtonsOfItsKindAndMapsTheAnswer) {
  const struct {
    int kind;
    std::size_t button;
    Strings titles;
    EMsgBoxResult result;
  } cases[] = {
      {0, 0, {"OK"}, graphics::kOK},
      {1, 0, {"OK", "Cancel"}, graphics::kOK},
      {1, 1, {"OK", "Cancel"}, graphics::kCANCEL},
      {3, 0, {"Yes", "No", "Cancel"}, graphics::kYES},
      {3, 1, {"Yes", "No", "Cancel"}, graphics::kNO},
      {3, 2, {"Yes", "No", "Cancel"}, graphics::kCANCEL},
      {4, 1, {"Yes", "No"}, graphics::kNO},
      {5, 0, {"Retry", "Cancel"}, graphics::kRETRY},
      {5, 1, {"Retry", "Cancel"}, graphics::kCANCEL},
      {2, 0, {"OK"}, graphics::kCANCEL},  // the platform's own button only
      {6, 0, {"OK"}, graphics::kCANCEL},
  };
  IGraphicsMac* g = Open();
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "kind " << c.kind << ", button " << c.button);
    g->OnMouseOver(10, 10, {});
    g->SetCapturedControl(mControl);
    ASSERT_EQ(g->GetMouseOverControl(), mControl);
    standin::testing::QueueAlertAnswer(c.button);
    std::optional<EMsgBoxResult> completed;
    const EMsgBoxResult result =
        g->ShowAlert("Details", "Caption", static_cast<EMsgBoxType>(c.kind), [&](EMsgBoxResult answer) {
          completed = answer;
          EXPECT_EQ(g->GetMouseOverControl(), nullptr);
          EXPECT_EQ(g->GetCapturedControl(), nullptr);
        });
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(completed, c.result);
    const auto shown = standin::testing::AlertLog().back();
    EXPECT_EQ(shown.buttons, c.titles);
    EXPECT_EQ(shown.messageText, "Caption");
    EXPECT_EQ(shown.informativeText, "Details");
  }
}

// A message may quote what a file holds, bytes that are not UTF-8 included.
TEST_F(MacDialogsTest, AnAlertShowsStrayBytesAsReplacementsAndValidTextUnchanged) {
  const std::string valid = "Gr\u00fc\u00dfe \U0001F600 \uFFFD";
  const struct {
    std::string caption, text;
    std::string shownCaption, shownText;
  } cases[] = {
      {"Caption", "Bad byte \xFF here", "Caption", "Bad byte \uFFFD here"},
      {"Bad \xC3", "Details", "Bad \uFFFD", "Details"},
      {valid, valid, valid, valid},
  };
  IGraphicsMac* g = Open();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shownText);
    g->ShowAlert(c.text.c_str(), c.caption.c_str(), graphics::kMB_OK);
    const auto shown = standin::testing::AlertLog().back();
    EXPECT_EQ(shown.messageText, c.shownCaption);
    EXPECT_EQ(shown.informativeText, c.shownText);
    EXPECT_EQ(shown.buttons, Strings{"OK"});
  }
}

TEST_F(MacDialogsTest, ModalFileAndFolderDialogsAnswerInTheCallersStrings) {
  const TempFolder home;
  const ScopedHome scopedHome(home.path());
  const std::string homePath = home.path().string();
  const struct {
    int action;  // -1: a folder dialog
    const char* extensions;
    const char* folder;
    std::optional<std::string> answer;
    PanelKind kind;
    std::optional<Strings> types;
    std::string directory;
    std::string fileAfter, folderAfter;
  } cases[] = {
      {1, "orv txt", "/tmp/x", "/tmp/x/a.orv", PanelKind::Save, Strings{"orv", "txt"}, "/tmp/x", "/tmp/x/a.orv",
       "/tmp/x/"},
      {0, "", "/tmp/x", std::nullopt, PanelKind::Open, std::nullopt, "/tmp/x", "", ""},
      {0, " orv  ", "~/presets", "/tmp/b.orv", PanelKind::Open, Strings{"orv"}, homePath + "/presets", "/tmp/b.orv",
       "/tmp/"},
      {-1, nullptr, "", "/tmp/y", PanelKind::Open, std::nullopt, homePath + "/Desktop", "", "/tmp/y/"},
      {-1, nullptr, "/tmp", std::nullopt, PanelKind::Open, std::nullopt, "/tmp", "", ""},
  };
  IGraphicsMac* g = Open();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    standin::testing::QueuePanelAnswer(c.answer);
    StrBuf file("a.orv");
    StrBuf folder(c.folder);
    if (c.action < 0) {
      g->ChooseFolder(folder);
    } else {
      g->ChooseFile(file, folder, static_cast<graphics::EFileAction>(c.action), c.extensions);
    }
    const auto panel = standin::testing::PanelLog().back();
    EXPECT_EQ(panel.kind, c.kind);
    EXPECT_EQ(panel.mode, PanelMode::Modal);
    EXPECT_EQ(panel.allowedFileTypes, c.types);
    EXPECT_EQ(panel.directory, c.directory);
    EXPECT_EQ(panel.level, NS::FloatingWindowLevel);
    EXPECT_TRUE(panel.resolvesAliases);
    EXPECT_EQ(panel.canChooseFiles, c.action >= 0);
    EXPECT_EQ(panel.canChooseDirectories, c.action < 0);
    if (c.kind == PanelKind::Save) {
      EXPECT_EQ(panel.nameField, "a.orv");
      EXPECT_FALSE(panel.allowsOtherFileTypes);
    }
    if (c.action < 0) {
      EXPECT_EQ(panel.title, "Choose a Directory");
      EXPECT_TRUE(panel.canCreateDirectories);
    } else {
      EXPECT_STREQ(file.Get(), c.fileAfter.c_str());
    }
    EXPECT_STREQ(folder.Get(), c.folderAfter.c_str());
  }
}

TEST_F(MacDialogsTest, WithACompletionTheDialogIsASheetAnsweringOnlyTheCompletion) {
  IGraphicsMac* g = Open();
  StrBuf file("a.orv");
  StrBuf folder("/tmp/x");
  Strings answers;
  g->ChooseFile(file, folder, graphics::kFileOpen, "orv",
                [&](const StrBuf& f, const StrBuf& d) { answers.push_back(std::string(f.Get()) + " in " + d.Get()); });
  StrBuf start;
  g->ChooseFolder(start, [&](const StrBuf& d) { answers.push_back(d.Get()); });
  EXPECT_STREQ(file.Get(), "");
  EXPECT_STREQ(folder.Get(), "/tmp/x");
  EXPECT_STREQ(start.Get(), "~/Desktop");
  ASSERT_EQ(standin::testing::PanelLog().size(), 1u) << "the second sheet waits for the first";
  EXPECT_EQ(standin::testing::PanelLog()[0].mode, PanelMode::Sheet);
  EXPECT_EQ(standin::testing::PanelLog()[0].window, mWindow);

  ASSERT_TRUE(standin::testing::AnswerSheet(mWindow, "/tmp/x/a.orv"));
  EXPECT_TRUE(answers.empty()) << "the handler runs on the run loop";
  standin::testing::RunOnce();
  ASSERT_TRUE(standin::testing::AnswerSheet(mWindow, "/tmp"));
  standin::testing::RunOnce();
  EXPECT_EQ(answers, (Strings{"/tmp/x/a.orv in /tmp/x/", "/tmp/"}));
  EXPECT_STREQ(folder.Get(), "/tmp/x");
  EXPECT_STREQ(start.Get(), "~/Desktop");
}

TEST_F(MacDialogsTest, WithoutAViewNothingShowsAndTheFileNameEmpties) {
  const std::unique_ptr<IGraphicsMac> g(MakeMacGraphics(*mDelegate, 100, 100, kEditorFPS, 1.f));
  StrBuf file("a.orv");
  StrBuf folder("/tmp");
  g->ChooseFile(file, folder, graphics::kFileSave, "orv");
  IColor color;
  EXPECT_FALSE(g->ChooseColor(color, "", [](const IColor&) {}));
  EXPECT_STREQ(file.Get(), "");
  EXPECT_STREQ(folder.Get(), "/tmp");
  EXPECT_TRUE(standin::testing::PanelLog().empty());
  EXPECT_FALSE(NS::ColorPanel::sharedColorPanelExists());
}

TEST_F(MacDialogsTest, TheColourPanelShowsTheColourAndReportsPicksUntilTheViewGoes) {
  IGraphicsMac* g = Open();
  std::vector<IColor> picked;
  IColor start{255, 10, 20, 30};
  ASSERT_TRUE(g->ChooseColor(start, "ignored", [&](const IColor& c) { picked.push_back(c); }));
  NS::ColorPanel* panel = NS::ColorPanel::sharedColorPanel();
  EXPECT_TRUE(panel->isVisible());
  EXPECT_TRUE(panel->showsAlpha());
  EXPECT_EQ(panel->target(), mView);
  const NS::Color* shown = panel->color();
  EXPECT_EQ((std::vector{shown->redComponent(), shown->greenComponent(), shown->blueComponent(), shown->alphaComponent()}),
            (std::vector<NS::CGFloat>{10 / 255.0, 20 / 255.0, 30 / 255.0, 1.0}));

  EXPECT_TRUE(standin::testing::PickColor(0.5, 0.25, 1.0, 1.0));
  EXPECT_EQ(picked, (std::vector{IColor{255, 127, 63, 255}}));
  mDelegate->CloseEditor();
  EXPECT_FALSE(standin::testing::PickColor(0.5, 0.25, 1.0, 1.0));
  EXPECT_EQ(picked.size(), 1u);
}

}  // namespace
}  // namespace plugkit::testing
