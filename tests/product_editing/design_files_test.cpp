#include <gtest/gtest.h>

#include <fstream>

#include "design/design_file.h"
#include "editing_test_support.h"
#include "editor/orvane_gui_control.h"

namespace fs = std::filesystem;

namespace orvane::testing {
namespace {

using OrvanePresets::Collection;

fs::path WriteDesignRecord(const fs::path& folder, const std::string& fileName, const Design& design) {
  fs::create_directories(folder);
  std::string error;
  const fs::path path = folder / fileName;
  EXPECT_TRUE(WriteDesignFile(path.string(), design, error)) << error;
  return path;
}

Design ReadBack(const fs::path& path) {
  Design design;
  std::string error;
  EXPECT_TRUE(ReadDesignFile(path.string(), design, error)) << error;
  return design;
}

class DesignFiles : public EditingTest {
protected:
  void SetUp() override { plugin->OpenHeadlessEditor(); }

  fs::path Elsewhere() const { return sandbox.Home() / "elsewhere"; }
  OrvaneGUIControl& Editor() { return *plugin->mEditorControl; }
};

TEST_F(DesignFiles, OpeningOutsideBothCollectionsLeavesNoActivePreset) {
  Design design;
  design.name = "Loose";
  design.amplifier.knobs[1] = 12.0;
  const fs::path path = WriteDesignRecord(Elsewhere(), "loose.orv", design);

  ASSERT_TRUE(plugin->OpenDesignFile(path.string(), true));
  EXPECT_EQ(plugin->LiveDesign().name, "Loose");
  EXPECT_EQ(plugin->mPresetCollection, Collection::kUser);
  EXPECT_TRUE(plugin->mActivePresetPath.empty());
  EXPECT_FALSE(plugin->mActivePresetFactory);
  EXPECT_EQ(plugin->mCurrentDesignPath, path.string());
  EXPECT_EQ(plugin->mLastDesignFolder, Elsewhere().string() + "/");
  EXPECT_FALSE(plugin->mPresetModified);
  EXPECT_EQ(plugin->mPresetBaseline, plugin->LiveDesign());

  EXPECT_EQ(Editor().mActivePresetIndex, -1);
  EXPECT_EQ(Editor().mDesignName, "Loose");
  EXPECT_EQ(Editor().mDesignKnobs[1], 12.0);
  EXPECT_EQ(Editor().mDesignFileLabel, "loose.orv");
  EXPECT_EQ(plugin->MuteWord(), kStandardMuteWord);
}

TEST_F(DesignFiles, OpeningAUserPresetByAnUnnormalisedPathFindsItsEntry) {
  WriteDesign(sandbox.UserFolder(), "a.orv", "Alpha");
  WriteDesign(sandbox.UserFolder(), "b.orv", "Beta");
  const std::string path = (sandbox.UserFolder() / "." / "b.orv").string();

  ASSERT_TRUE(plugin->OpenDesignFile(path, true));
  EXPECT_EQ(plugin->mPresetCollection, Collection::kUser);
  EXPECT_EQ(plugin->mActivePresetPath, path);
  EXPECT_EQ(plugin->mActivePresetIndex, 1u);
  EXPECT_EQ(Editor().mPresetCount, 2);
}

TEST_F(DesignFiles, FailedOpensChangeNothingAndSayWhyOnlyWhenAsked) {
  const Design before = plugin->LiveDesign();
  const std::string pathBefore = plugin->mCurrentDesignPath;

  EXPECT_FALSE(plugin->OpenDesignFile(kDefaultPresetResourcePath, false));
  EXPECT_TRUE(DialogLog().empty());
  EXPECT_FALSE(plugin->OpenDesignFile(kDefaultPresetResourcePath, true));
  EXPECT_FALSE(plugin->OpenDesignFile((Elsewhere() / "missing.orv").string(), true));

  EXPECT_EQ(DialogLog(),
            (std::vector<std::string>{"alert 0: Orvane: Could not open Orvane design:\nfactory preset resource is unavailable",
                                      "alert 0: Orvane: Could not open Orvane design:\nCould not open design file"}));
  EXPECT_EQ(plugin->LiveDesign(), before);
  EXPECT_EQ(plugin->mCurrentDesignPath, pathBefore);
  EXPECT_EQ(plugin->MuteWord(), 0u);
}

TEST_F(DesignFiles, AFailedOpenKeepsControllersInCharge) {
  plugin->SetScriptAndValues(kPlayerScript);
  plugin->SendControlChange(21, 100);
  plugin->RenderBlock();
  ASSERT_TRUE(plugin->mRenderer.MidiCCSeen(21));
  EXPECT_FALSE(plugin->OpenDesignFile((Elsewhere() / "missing.orv").string(), false));
  EXPECT_TRUE(plugin->mRenderer.MidiCCSeen(21));
}

TEST_F(DesignFiles, OpeningFitsThePlayerValuesOrEmptiesThemForABrokenScript) {
  plugin->SetScriptAndValues(kPlayerScript);
  plugin->SendControlChange(21, 100);
  plugin->RenderBlock();

  Design fitted;
  fitted.script = kPlayerScript;
  fitted.playerControlValues = {5.0, 150.0, 1.4};
  ASSERT_TRUE(plugin->OpenDesignFile(WriteDesignRecord(Elsewhere(), "fitted.orv", fitted).string(), true));
  EXPECT_EQ(plugin->LiveState().playerControlValues, (std::vector<double>{1.0, 100.0, 1.0}));
  EXPECT_EQ(plugin->LiveDesign().playerControlValues, plugin->LiveState().playerControlValues);
  EXPECT_EQ(Editor().mPlayerValues, plugin->LiveState().playerControlValues);
  EXPECT_FALSE(plugin->mRenderer.MidiCCSeen(21));

  Design broken;
  broken.script = "slider \"Drive\"";
  broken.playerControlValues = {1.0, 2.0};
  ASSERT_TRUE(plugin->OpenDesignFile(WriteDesignRecord(Elsewhere(), "broken.orv", broken).string(), true));
  EXPECT_TRUE(plugin->LiveState().playerControlValues.empty());
  EXPECT_TRUE(plugin->LiveDesign().playerControlValues.empty());
}

TEST_F(DesignFiles, ASaveIntoAFolderThatCannotBeWrittenSaysSoAndKeepsTheMark) {
  plugin->SetKnob(0, 3.0);
  ASSERT_TRUE(plugin->mPresetModified);
  const fs::path notAFolder = sandbox.Home() / "plain-file";
  std::ofstream(notAFolder) << "x";

  EXPECT_FALSE(plugin->SaveDesign((notAFolder / "amp.orv").string()));
  EXPECT_EQ(DialogLog(),
            (std::vector<std::string>{"alert 0: Orvane: Could not save Orvane design:\nCould not create design file"}));
  EXPECT_TRUE(plugin->mPresetModified);
  EXPECT_NE(plugin->mCurrentDesignPath, (notAFolder / "amp.orv").string());
}

TEST_F(DesignFiles, SavingUnderANewNameInTheUserFolderMakesItTheActivePreset) {
  WriteDesign(sandbox.UserFolder(), "a.orv", "Alpha");
  plugin->SetDesignName("Mine");
  plugin->RenderBlock();
  const RuntimeSnapshot* adopted = plugin->RenderBlock();
  const fs::path path = sandbox.UserFolder() / "mine.orv";

  ASSERT_TRUE(plugin->SaveDesign(path.string()));
  EXPECT_EQ(plugin->mPresetCollection, Collection::kUser);
  EXPECT_EQ(plugin->mActivePresetPath, path.string());
  EXPECT_FALSE(plugin->mActivePresetFactory);
  EXPECT_EQ(plugin->mActivePresetIndex, 1u);
  EXPECT_FALSE(plugin->mPresetModified);
  EXPECT_EQ(Editor().mPresetNames, (std::vector<std::string>{"Alpha", "Mine"}));
  EXPECT_EQ(Editor().mActivePresetIndex, 2);
  EXPECT_EQ(Editor().mDesignFileLabel, "mine.orv");
  // Saving publishes nothing and does not mute.
  EXPECT_EQ(plugin->RenderBlock(), adopted);
  EXPECT_EQ(plugin->MuteWord(), 0u);
}

TEST_F(DesignFiles, SavingKeepsTheAuthorUnlessAnotherIsGiven) {
  plugin->Edit([](PluginStateDocument& document) { document.design.author = "Ada"; });
  const fs::path path = Elsewhere() / "authored.orv";
  fs::create_directories(Elsewhere());

  ASSERT_TRUE(plugin->SaveDesign(path.string()));
  EXPECT_EQ(ReadBack(path).author, "Ada");
  EXPECT_EQ(plugin->LiveDesign().author, "Ada");

  ASSERT_TRUE(plugin->SaveDesign(path.string(), "Grace"));
  EXPECT_EQ(ReadBack(path).author, "Grace");
  EXPECT_EQ(plugin->LiveDesign().author, "Grace");
  EXPECT_EQ(plugin->mPresetBaseline.author, "Grace");
  EXPECT_FALSE(plugin->mPresetModified);
}

// Keys typed into the name and description fields, each key's text whole;
// control characters (DEL among them) are refused.
TEST_F(DesignFiles, TypedNamesAndDescriptionsAreSavedWhole) {
  // Ü b DEL ^A e r 🎸
  const char* const keyTexts[] = {"\xC3\x9C", "b", "\x7F", "\x01", "e", "r", "\xF0\x9F\x8E\xB8"};
  const std::string typed = "\xC3\x9C" "ber\xF0\x9F\x8E\xB8";
  for (const bool description : {false, true}) {
    SCOPED_TRACE(description ? "description" : "name");
    std::string& text = description ? Editor().mDesignDescription : Editor().mDesignName;
    text.clear();
    (description ? Editor().mDescriptionCaret : Editor().mNameCaret) = 0;
    (description ? Editor().mDescriptionFocused : Editor().mNameFocused) = true;
    for (const char* key : keyTexts) Editor().OnKeyDown(0.f, 0.f, IKeyPress(key, 0));
    (description ? Editor().mDescriptionFocused : Editor().mNameFocused) = false;

    const fs::path path = Elsewhere() / "typed.orv";
    fs::create_directories(Elsewhere());
    ASSERT_TRUE(plugin->SaveDesign(path.string()));
    const Design saved = ReadBack(path);
    EXPECT_EQ(description ? saved.description : saved.name, typed);
  }
}

TEST_F(DesignFiles, SavingOutsideTheCollectionsLeavesNoActivePreset) {
  ASSERT_TRUE(plugin->mActivePresetFactory);
  fs::create_directories(Elsewhere());
  ASSERT_TRUE(plugin->SaveDesign((Elsewhere() / "copy.orv").string()));
  EXPECT_TRUE(plugin->mActivePresetPath.empty());
  EXPECT_FALSE(plugin->mActivePresetFactory);
  EXPECT_EQ(plugin->mCurrentDesignPath, (Elsewhere() / "copy.orv").string());
}

TEST_F(DesignFiles, ANewDesignStartsOverUntitledWithoutAFile) {
  plugin->SetScriptAndValues(kPlayerScript);
  plugin->mPresetCollection = Collection::kUser;
  plugin->mPresetEntries.clear();
  plugin->NewDesign();

  const Design design = plugin->LiveDesign();
  EXPECT_EQ(design.name, "Untitled");
  EXPECT_TRUE(design.script.empty());
  EXPECT_TRUE(plugin->LiveState().playerControlValues.empty());
  EXPECT_TRUE(plugin->mCurrentDesignPath.empty());
  EXPECT_TRUE(plugin->mActivePresetPath.empty());
  EXPECT_EQ(plugin->mPresetBaseline, design);
  EXPECT_FALSE(plugin->mPresetModified);
  EXPECT_EQ(plugin->MuteWord(), kStandardMuteWord);
  EXPECT_EQ(Editor().mDesignFileLabel, "");
  EXPECT_EQ(Editor().mActivePresetName, "Untitled");
  EXPECT_TRUE(Editor().mScriptText.empty());
  EXPECT_EQ(plugin->RenderBlock()->editedDesign, design);
}

}  // namespace
}  // namespace orvane::testing
