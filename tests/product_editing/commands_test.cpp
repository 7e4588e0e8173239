#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "design/design_file.h"
#include "editing_test_support.h"
#include "editor/orvane_gui_control.h"

namespace fs = std::filesystem;

namespace orvane::testing {
namespace {

using OrvanePresets::Collection;
using plugkit::graphics::kCANCEL;
using plugkit::graphics::kNO;
using plugkit::graphics::kYES;

constexpr char kAskFactory[] = "alert 3: Unsaved design: Save your changes as a user preset before continuing?";
constexpr char kAskUser[] = "alert 3: Unsaved design: Save your changes before continuing?";

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class Commands : public EditingTest {
protected:
  void SetUp() override { plugin->OpenHeadlessEditor(); }

  void WriteUserPresets() {
    WriteDesign(sandbox.UserFolder(), "a.orv", "Alpha");
    WriteDesign(sandbox.UserFolder(), "b.orv", "Beta");
    WriteDesign(sandbox.UserFolder(), "c.orv", "Gamma");
  }
  // The user collection with its first preset active and nothing changed.
  void ShowUserPresets() {
    WriteUserPresets();
    plugin->ChangePresetCollection(Collection::kUser);
    ASSERT_EQ(plugin->LiveDesign().name, "Alpha");
    plugin->Graphics().Log().clear();
  }
  void ChangeSomething() {
    plugin->SetKnob(0, plugin->LiveDesign().amplifier.knobs[0] == 1.0 ? 2.0 : 1.0);
    ASSERT_TRUE(plugin->mPresetModified);
  }
  void Answer(plugkit::graphics::EMsgBoxResult answer) { plugin->Graphics().mAlertAnswer = answer; }
  void ChooseInDialog(const fs::path& path) { plugin->Graphics().AnswerFileDialogs(path.string()); }
  std::string UserPath(const std::string& file) const { return (sandbox.UserFolder() / file).string(); }
  std::string SaveDialogIn(const fs::path& folder) const {
    return "choose file 1: " + plugin->LiveDesign().name + ".orv in " + folder.string() + " (orv)";
  }
};

TEST_F(Commands, WithoutChangesPresetsSwitchAtOnceAndWrapAround) {
  ShowUserPresets();
  plugin->NavigatePreset(-1);
  EXPECT_EQ(plugin->LiveDesign().name, "Gamma");
  EXPECT_EQ(plugin->mActivePresetPath, UserPath("c.orv"));
  plugin->NavigatePreset(+1);
  EXPECT_EQ(plugin->LiveDesign().name, "Alpha");
  EXPECT_EQ(plugin->mActivePresetIndex, 0u);
  EXPECT_EQ(plugin->mEditorControl->mActivePresetIndex, 1);
  plugin->NavigatePreset(0);
  EXPECT_EQ(plugin->LiveDesign().name, "Alpha");
  EXPECT_TRUE(DialogLog().empty());
}

TEST_F(Commands, ASingleEntryIsReopenedInBothDirections) {
  ASSERT_EQ(plugin->mPresetEntries.size(), 1u);
  plugin->Edit([](PluginStateDocument& document) { document.design.amplifier.knobs[3] = 1.0; });  // not yet seen
  plugin->NavigatePreset(+1);
  EXPECT_EQ(plugin->LiveDesign(), plugin->mPresetBaseline);
  EXPECT_NE(plugin->LiveDesign().amplifier.knobs[3], 1.0);
  plugin->NavigatePreset(-1);
  EXPECT_EQ(plugin->mActivePresetPath, (sandbox.FactoryFolder() / "Default.orv").string());
  EXPECT_TRUE(plugin->mActivePresetFactory);
  EXPECT_EQ(plugin->MuteWord(), kStandardMuteWord);
  EXPECT_TRUE(DialogLog().empty());
}

TEST_F(Commands, YesOnAChangedFactoryPresetSavesAsAUserPresetAndThenGoesOn) {
  WriteUserPresets();
  ChangeSomething();
  Answer(kYES);
  plugin->ChangePresetCollection(Collection::kUser);
  EXPECT_EQ(DialogLog(), (std::vector<std::string>{kAskFactory, SaveDialogIn(sandbox.UserFolder())}));
  EXPECT_EQ(plugin->mPresetCollection, Collection::kFactory);  // the dialog has not answered yet

  ChooseInDialog(sandbox.UserFolder() / "kept.orv");
  Pump();
  EXPECT_TRUE(fs::exists(sandbox.UserFolder() / "kept.orv"));
  EXPECT_EQ(plugin->mPresetCollection, Collection::kUser);
  EXPECT_EQ(plugin->LiveDesign().name, "Alpha");
  EXPECT_FALSE(plugin->mPresetModified);
}

TEST_F(Commands, CancellingTheSaveDialogStopsTheChain) {
  WriteUserPresets();
  ChangeSomething();
  Answer(kYES);
  plugin->ChangePresetCollection(Collection::kUser);
  ChooseInDialog("");
  Pump();
  EXPECT_EQ(plugin->mPresetCollection, Collection::kFactory);
  EXPECT_TRUE(plugin->mPresetModified);
  EXPECT_FALSE(fs::exists(sandbox.UserFolder() / "Untitled.orv"));
}

TEST_F(Commands, YesOnAChangedUserPresetSavesInPlaceAndGoesOn) {
  ShowUserPresets();
  plugin->Edit([](PluginStateDocument& document) { document.design.author = "Ada"; });
  plugin->SetKnob(6, 77.0);
  Answer(kYES);
  plugin->NavigatePreset(+1);

  EXPECT_EQ(DialogLog(), (std::vector<std::string>{kAskUser}));
  Design saved;
  std::string error;
  ASSERT_TRUE(ReadDesignFile(UserPath("a.orv"), saved, error)) << error;
  EXPECT_EQ(saved.amplifier.knobs[6], 77.0);
  EXPECT_EQ(saved.author, "Ada");
  EXPECT_EQ(plugin->LiveDesign().name, "Beta");
}

TEST_F(Commands, AFailingSaveAfterYesStopsTheChain) {
  ShowUserPresets();
  ChangeSomething();
  // A folder in the file's place: the save cannot replace it.
  fs::remove(UserPath("a.orv"));
  fs::create_directory(UserPath("a.orv"));
  Answer(kYES);
  plugin->NavigatePreset(+1);

  const std::vector<std::string> dialogs = DialogLog();
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[0], kAskUser);
  EXPECT_EQ(dialogs[1].rfind("alert 0: Orvane: Could not save Orvane design:\n", 0), 0u) << dialogs[1];
  EXPECT_EQ(plugin->LiveDesign().name, "Alpha");
  EXPECT_TRUE(plugin->mPresetModified);
}

TEST_F(Commands, NoDiscardsTheChangesAndCancelKeepsEverything) {
  ShowUserPresets();
  ChangeSomething();
  const Design edited = plugin->LiveDesign();

  Answer(kCANCEL);
  plugin->SelectPresetFromUI(2);
  EXPECT_EQ(plugin->LiveDesign(), edited);
  EXPECT_TRUE(plugin->mPresetModified);

  Answer(kNO);
  plugin->SelectPresetFromUI(2);
  EXPECT_EQ(plugin->LiveDesign().name, "Gamma");
  EXPECT_FALSE(plugin->mPresetModified);
  EXPECT_EQ(DialogLog(), (std::vector<std::string>{kAskUser, kAskUser}));
  // The discarded changes never reached the file.
  Design alpha;
  std::string error;
  ASSERT_TRUE(ReadDesignFile(UserPath("a.orv"), alpha, error));
  EXPECT_NE(alpha.amplifier.knobs[0], edited.amplifier.knobs[0]);
}

TEST_F(Commands, APickWhoseFileVanishedBeforeTheAnswerOnlyRefreshesTheBar) {
  WriteDesign(sandbox.FactoryFolder(), "Other.orv", "Other");
  ASSERT_TRUE(Orvane::ScanPresetFolder(Collection::kFactory, plugin->mFactoryPresetsFolder,
                                       plugin->mUserPresetsFolder, plugin->mPresetEntries));
  ASSERT_EQ(plugin->mPresetEntries.size(), 2u);
  const int otherIndex = plugin->mPresetEntries[0].name == "Other" ? 0 : 1;
  ChangeSomething();
  const Design edited = plugin->LiveDesign();
  Answer(kYES);
  plugin->SelectPresetFromUI(otherIndex);
  fs::remove(sandbox.FactoryFolder() / "Other.orv");
  fs::create_directories(sandbox.UserFolder());
  ChooseInDialog(sandbox.UserFolder() / "saved.orv");
  Pump();

  EXPECT_TRUE(fs::exists(sandbox.UserFolder() / "saved.orv"));
  EXPECT_EQ(plugin->LiveDesign(), edited);
  EXPECT_EQ(plugin->mEditorControl->mPresetCount, 1);
}

TEST_F(Commands, AnEmptyUserCollectionStartsANewDesign) {
  ASSERT_FALSE(fs::exists(sandbox.UserFolder()));
  plugin->ChangePresetCollection(Collection::kUser);
  EXPECT_EQ(plugin->mPresetCollection, Collection::kUser);
  EXPECT_EQ(plugin->LiveDesign().name, "Untitled");
  EXPECT_TRUE(plugin->mCurrentDesignPath.empty());
  EXPECT_TRUE(plugin->mActivePresetPath.empty());
  EXPECT_EQ(plugin->mEditorControl->mActivePresetName, "Untitled");
  EXPECT_FALSE(plugin->mEditorControl->mFactoryPresetsShown);
}

TEST_F(Commands, ChoosingTheActiveCollectionAsksNothing) {
  ChangeSomething();
  plugin->ChangePresetCollection(Collection::kFactory);
  EXPECT_TRUE(DialogLog().empty());
  EXPECT_TRUE(plugin->mPresetModified);
}

TEST_F(Commands, NewDesignFromTheEditorSelectsTheUserCollection) {
  WriteUserPresets();
  ChangeSomething();
  Answer(kNO);
  plugin->NewDesignFromUI();
  EXPECT_EQ(plugin->mPresetCollection, Collection::kUser);
  EXPECT_EQ(plugin->mPresetEntries.size(), 3u);
  EXPECT_EQ(plugin->LiveDesign().name, "Untitled");
  EXPECT_EQ(plugin->mEditorControl->mActivePresetIndex, -1);
}

TEST_F(Commands, TheSaveButtonLeavesFactoryPresetsAlone) {
  const auto before = fs::last_write_time(sandbox.FactoryFolder() / "Default.orv");
  ChangeSomething();
  plugin->SaveDesignFromUI();
  EXPECT_TRUE(DialogLog().empty());
  EXPECT_TRUE(plugin->mPresetModified);
  EXPECT_EQ(fs::last_write_time(sandbox.FactoryFolder() / "Default.orv"), before);
}

// Save as starts among the user's presets (made when missing), and no save
// writes over a file of the factory folder, however it is named or whatever a
// restored state says (an empty path: the save button after such a restore);
// a new file there is still saved.
TEST_F(Commands, FactoryPresetFilesAreNeverReplaced) {
  const fs::path factory = sandbox.FactoryFolder();
  const std::string original = ReadText(factory / "Default.orv");
  const std::string asked = SaveDialogIn(sandbox.UserFolder());
  const std::string refused = "alert 0: Orvane: Could not save Orvane design:\nFactory presets cannot be replaced.";
  const struct {
    fs::path chosen;
    std::vector<std::string> dialogs;
  } cases[] = {
      {factory / "Default.orv", {asked, refused}},
      {factory / ".." / factory.filename() / "Default.orv", {asked, refused}},
      {{}, {refused}},
      {factory / "New.orv", {asked}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chosen);
    ChangeSomething();
    if (c.chosen.empty()) {
      plugin->Edit([&](PluginStateDocument& document) {
        document.state.currentDesignPath = (factory / "Default.orv").string();
        document.state.activePresetFactory = false;
      });
      plugin->FinishStateRestore(false);
    }
    plugin->Graphics().Log().clear();
    if (c.chosen.empty()) {
      plugin->SaveDesignFromUI();
    } else {
      plugin->PromptForSaveDesignAsInCollection();
      ChooseInDialog(c.chosen);
      Pump();
    }
    std::vector<std::string> dialogs = DialogLog();
    for (std::string& dialog : dialogs) dialog = dialog.substr(0, dialog.find(" Save under"));
    EXPECT_EQ(dialogs, c.dialogs);
    EXPECT_TRUE(fs::is_directory(sandbox.UserFolder()));
    EXPECT_EQ(ReadText(factory / "Default.orv"), original);
  }
  EXPECT_TRUE(fs::exists(factory / "New.orv"));
}

TEST_F(Commands, TheSaveButtonSavesInPlaceOrAsksWhereWithoutAFile) {
  ShowUserPresets();
  ChangeSomething();
  plugin->SaveDesignFromUI();
  EXPECT_FALSE(plugin->mPresetModified);
  EXPECT_TRUE(DialogLog().empty());

  plugin->NewDesign();
  plugin->SaveDesignFromUI();
  EXPECT_EQ(DialogLog(), (std::vector<std::string>{SaveDialogIn(sandbox.UserFolder())}));
  ChooseInDialog(sandbox.UserFolder() / "fresh.orv");
  Pump();
  EXPECT_EQ(plugin->mActivePresetPath, UserPath("fresh.orv"));
}

TEST_F(Commands, APathFromAProjectIsSavedOverOnlyWhenItHoldsADesignOrNothing) {
  const fs::path notes = sandbox.Home() / "notes.txt";
  const fs::path design = WriteDesign(sandbox.Home(), "mine.orv", "Mine");
  const fs::path absent = sandbox.Home() / "absent.orv";
  const struct {
    std::string path;
    bool savedInPlace;
  } cases[] = {{notes.string(), false}, {"relative.orv", false}, {design.string(), true}, {absent.string(), true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    std::ofstream(notes) << "my notes";
    plugin->Edit([&](PluginStateDocument& document) {
      document.state.currentDesignPath = c.path;
      document.state.activePresetFactory = false;
    });
    plugin->FinishStateRestore(false);
    plugin->Graphics().Log().clear();
    plugin->SaveDesignFromUI();
    EXPECT_EQ(DialogLog().empty(), c.savedInPlace);
    EXPECT_EQ(ReadText(notes), "my notes");
    if (!c.savedInPlace) {
      // The dialog's answer is as good as any path the user picks.
      ChooseInDialog(notes);
      Pump();
      EXPECT_EQ(plugin->mCurrentDesignPath, notes.string());
      EXPECT_NE(ReadText(notes), "my notes");
      fs::remove(notes);
    }
  }
  EXPECT_TRUE(fs::exists(absent));
}

TEST_F(Commands, SaveActivePresetNeedsAnActivePreset) {
  plugin->NewDesign();
  EXPECT_FALSE(plugin->SaveActivePreset());

  ShowUserPresets();
  plugin->SetDesignName("Alpha Prime");
  EXPECT_TRUE(plugin->SaveActivePreset());
  Design saved;
  std::string error;
  ASSERT_TRUE(ReadDesignFile(UserPath("a.orv"), saved, error));
  EXPECT_EQ(saved.name, "Alpha Prime");
}

TEST_F(Commands, OpeningThroughTheDialogRemembersItsFolderAndReportsFailures) {
  const fs::path elsewhere = sandbox.Home() / "elsewhere";
  WriteDesign(elsewhere, "loose.orv", "Loose");
  plugin->mLastDesignFolder = "/start";
  plugin->PromptForOpenDesign();
  EXPECT_EQ(DialogLog(), (std::vector<std::string>{"choose file 0:  in /start (orv)"}));
  ChooseInDialog(elsewhere / "loose.orv");
  Pump();
  EXPECT_EQ(plugin->LiveDesign().name, "Loose");
  EXPECT_EQ(plugin->mLastDesignFolder, elsewhere.string());

  plugin->Graphics().Log().clear();
  ChooseInDialog(sandbox.Home() / "gone" / "missing.orv");
  plugin->PromptForOpenDesign();
  Pump();
  EXPECT_EQ(DialogLog().back(), "alert 0: Orvane: Could not open Orvane design:\nCould not open design file");
  EXPECT_EQ(plugin->mLastDesignFolder, (sandbox.Home() / "gone").string());
  EXPECT_EQ(plugin->LiveDesign().name, "Loose");
}

TEST_F(Commands, SaveAsEntryPointsStartInTheirFoldersAndContinueAfterSaving) {
  fs::create_directories(sandbox.UserFolder());
  plugin->mLastDesignFolder = sandbox.Home().string();
  plugin->PromptForSaveDesignAsInLastFolder();
  bool continued = false;
  plugin->PromptForSaveAsUserPreset([&] { continued = true; });
  EXPECT_EQ(DialogLog(), (std::vector<std::string>{SaveDialogIn(sandbox.Home()), SaveDialogIn(sandbox.UserFolder())}));
  ChooseInDialog(sandbox.UserFolder() / "both.orv");
  Pump();
  EXPECT_TRUE(continued);
  EXPECT_EQ(plugin->mActivePresetPath, UserPath("both.orv"));
}

TEST_F(Commands, WithoutAnEditorNothingIsAskedAndNoDialogOpens) {
  ChangeSomething();
  plugin->CloseEditor();
  bool continued = false;
  plugin->RequestDesignReplacement([&] { continued = true; });
  EXPECT_TRUE(continued);
  continued = false;
  plugin->PromptForSaveAsUserPreset([&] { continued = true; });
  Pump();
  EXPECT_FALSE(continued);
}

// A file dialog answers after the call returned; by then the editor may have
// closed or the plug-in may be gone.
TEST_F(Commands, ClosingTheEditorCancelsAPendingDialogAnswer) {
  fs::create_directories(sandbox.UserFolder());
  plugin->PromptForSaveDesignAsInCollection();
  ChooseInDialog(sandbox.UserFolder() / "late.orv");
  plugin->CloseEditor();
  Pump();
  EXPECT_FALSE(fs::exists(sandbox.UserFolder() / "late.orv"));

  plugin->OpenHeadlessEditor();  // a new editor's dialogs answer again
  ChooseInDialog(sandbox.UserFolder() / "later.orv");
  plugin->SaveDesignFromUI();
  EXPECT_TRUE(DialogLog().empty());  // the factory preset stays read-only
  plugin->PromptForSaveAsUserPreset(nullptr);
  Pump();
  EXPECT_TRUE(fs::exists(sandbox.UserFolder() / "later.orv"));
}

TEST_F(Commands, DestroyingThePluginCancelsAPendingDialogAnswer) {
  fs::create_directories(sandbox.UserFolder());
  plugin->PromptForSaveAsUserPreset(nullptr);
  ChooseInDialog(sandbox.UserFolder() / "orphan.orv");
  plugin.reset();
  Pump();
  EXPECT_FALSE(fs::exists(sandbox.UserFolder() / "orphan.orv"));
}

}  // namespace
}  // namespace orvane::testing
