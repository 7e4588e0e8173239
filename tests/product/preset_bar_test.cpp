#include <gtest/gtest.h>

#include <thread>

#include <standin/testing/run_loop.h>

#include "editor/orvane_gui_control.h"
#include "framework/core/state_chunk.h"
#include "product_test_support.h"

namespace fs = std::filesystem;

namespace orvane::testing {
namespace {

using OrvanePresets::Collection;

class OrvanePresetBar : public ::testing::Test {
protected:
  // A chunk of the plug-in's state after `change`, written by another instance.
  plugkit::IStateChunk StateWith(const std::function<void(PluginStateDocument&)>& change) {
    auto writer = sandbox.MakeInstance();
    writer->Edit(change);
    plugkit::IStateChunk chunk;
    EXPECT_TRUE(writer->WriteState(chunk));
    return chunk;
  }

  void Restore(const plugkit::IStateChunk& chunk) {
    ASSERT_EQ(plugin->ReadState(chunk, 0), chunk.Size());
    plugin->OnStateRestored();
  }

  ProductSandbox sandbox{true};
  std::unique_ptr<TestOrvane> plugin = sandbox.MakeInstance();
};

TEST_F(OrvanePresetBar, MissingUserFolderShowsTheDesignName) {
  plugin->OpenHeadlessEditor();
  plugin->Edit([](PluginStateDocument& document) { document.design.name = "My Amp"; });
  plugin->mPresetCollection = Collection::kUser;
  plugin->mPresetEntries.clear();
  plugin->mActivePresetPath.clear();
  plugin->RebuildPresetLists();

  const OrvaneGUIControl& editor = *plugin->mEditorControl;
  EXPECT_EQ(editor.mActivePresetName, "My Amp");
  EXPECT_FALSE(editor.mPresetFolderExists);
  EXPECT_FALSE(editor.mFactoryPresetsShown);
  EXPECT_EQ(editor.mActivePresetIndex, -1);
  EXPECT_EQ(editor.mPresetCount, 0);
  EXPECT_FALSE(plugin->CopyDocument().state.factoryCollection);
}

TEST_F(OrvanePresetBar, WithoutActivePresetTheLabelComesFromTheCachedIndex) {
  WriteDesign(sandbox.UserFolder(), "a.orv", "Alpha");
  WriteDesign(sandbox.UserFolder(), "b.orv", "Beta");
  plugin->OpenHeadlessEditor();
  plugin->mPresetCollection = Collection::kUser;
  ASSERT_TRUE(Orvane::ScanPresetFolder(Collection::kUser, plugin->mFactoryPresetsFolder, plugin->mUserPresetsFolder,
                                       plugin->mPresetEntries));
  plugin->mActivePresetPath.clear();
  plugin->mActivePresetIndex = 1;
  plugin->RebuildPresetLists();

  const OrvaneGUIControl& editor = *plugin->mEditorControl;
  EXPECT_EQ(editor.mActivePresetName, "Beta");
  EXPECT_EQ(editor.mActivePresetIndex, -1);
  EXPECT_EQ(editor.mPresetCount, 2);
  EXPECT_EQ(editor.mPresetNames, (std::vector<std::string>{"Alpha", "Beta"}));
  EXPECT_TRUE(editor.mPresetFolderExists);
}

TEST_F(OrvanePresetBar, ActivePresetIsShownCountedFromOne) {
  plugin->OpenHeadlessEditor();
  const OrvaneGUIControl& editor = *plugin->mEditorControl;
  EXPECT_TRUE(editor.mFactoryPresetsShown);
  EXPECT_TRUE(editor.mActivePresetIsFactory);
  EXPECT_EQ(editor.mActivePresetIndex, 1);
  EXPECT_EQ(editor.mActivePresetName, "Untitled");
  EXPECT_EQ(editor.mDesignFileLabel, "Default.orv");
}

TEST_F(OrvanePresetBar, DesignFileLabelOfTheSpecialPathAndOfNoPath) {
  plugin->OpenHeadlessEditor();
  plugin->mCurrentDesignPath = kDefaultPresetResourcePath;
  plugin->RebuildPresetLists();
  EXPECT_EQ(plugin->mEditorControl->mDesignFileLabel, "Default.orv");
  plugin->mCurrentDesignPath = "/somewhere/else/Lead.orv";
  plugin->RebuildPresetLists();
  EXPECT_EQ(plugin->mEditorControl->mDesignFileLabel, "Lead.orv");
  plugin->mCurrentDesignPath.clear();
  plugin->RebuildPresetLists();
  EXPECT_EQ(plugin->mEditorControl->mDesignFileLabel, "");
}

TEST_F(OrvanePresetBar, ModifiedMarkFollowsTheBaseline) {
  plugin->OpenHeadlessEditor();
  plugin->Edit([](PluginStateDocument& document) { document.design.amplifier.knobs[kKnobGain] = 99.0; });
  plugin->UpdatePresetModified();
  EXPECT_TRUE(plugin->mPresetModified);
  EXPECT_TRUE(plugin->mEditorControl->mPresetModified);
  EXPECT_TRUE(plugin->CopyDocument().state.presetModified);

  const double original = plugin->mPresetBaseline.amplifier.knobs[kKnobGain];
  plugin->Edit([&](PluginStateDocument& document) { document.design.amplifier.knobs[kKnobGain] = original; });
  plugin->UpdatePresetModified();
  EXPECT_FALSE(plugin->mPresetModified);
}

TEST_F(OrvanePresetBar, RestoreWithoutBaselineMakesTheRestoredDesignTheBaseline) {
  const plugkit::IStateChunk chunk = StateWith([](PluginStateDocument& document) {
    document.design.name = "Restored";
    document.state.hasPresetBaseline = false;
    document.state.presetModified = false;
  });
  Restore(chunk);
  EXPECT_TRUE(plugin->mHasPresetBaseline);
  EXPECT_EQ(plugin->mPresetBaseline, plugin->CopyDocument().design);
  EXPECT_FALSE(plugin->mPresetModified);
}

TEST_F(OrvanePresetBar, RestoreResolvesTheActivePresetAndCommits) {
  WriteDesign(sandbox.UserFolder(), "lead.orv", "Lead");
  const plugkit::IStateChunk chunk = StateWith([](PluginStateDocument& document) {
    document.design.name = "Lead";
    document.state.factoryCollection = false;
    document.state.activePresetFactory = false;
    document.state.activePresetFilename = "lead.orv";
    document.state.currentDesignPath = "/elsewhere/lead.orv";
  });
  plugin->OpenHeadlessEditor();
  Restore(chunk);
  EXPECT_EQ(plugin->mPresetCollection, Collection::kUser);
  EXPECT_EQ(plugin->mActivePresetPath, (sandbox.UserFolder() / "lead.orv").string());
  EXPECT_EQ(plugin->mCurrentDesignPath, "/elsewhere/lead.orv");
  EXPECT_EQ(plugin->mEditorControl->mDesignName, "Lead");
  EXPECT_EQ(plugin->mEditorControl->mActivePresetIndex, 1);
  EXPECT_EQ(plugin->RenderBlock()->editedDesign.name, "Lead");
}

TEST_F(OrvanePresetBar, RestoredFileNameCannotLeaveItsCollectionFolder) {
  const struct {
    std::string restored;
    std::string expected;  // relative to the user folder; empty: no active preset
  } cases[] = {
      {"../../outside.orv", "outside.orv"},
      {"sub/dir/lead.orv", "lead.orv"},
      {"..\\..\\win.orv", "win.orv"},
      {"..", ""},
      {".", ""},
      {"folder/", ""},
  };
  for (const auto& entry : cases) {
    SCOPED_TRACE(entry.restored);
    Restore(StateWith([&](PluginStateDocument& document) {
      document.state.activePresetFactory = false;
      document.state.activePresetFilename = entry.restored;
    }));
    const std::string expected = entry.expected.empty() ? "" : (sandbox.UserFolder() / entry.expected).string();
    EXPECT_EQ(plugin->mActivePresetPath, expected);
  }
}

TEST_F(OrvanePresetBar, RestoreOnAnotherThreadCommitsAtOnceAndDefersTheRest) {
  const plugkit::IStateChunk chunk = StateWith([](PluginStateDocument& document) {
    document.design.name = "From the host thread";
    document.state.currentDesignPath = "/projects/host.orv";
  });
  std::thread host([&] { Restore(chunk); });
  host.join();
  EXPECT_EQ(plugin->RenderBlock()->editedDesign.name, "From the host thread");
  EXPECT_NE(plugin->mCurrentDesignPath, "/projects/host.orv");

  standin::testing::RunOnce();
  EXPECT_EQ(plugin->mCurrentDesignPath, "/projects/host.orv");
}

TEST_F(OrvanePresetBar, DestroyedInstanceCancelsItsDeferredRestore) {
  const plugkit::IStateChunk chunk = StateWith([](PluginStateDocument&) {});
  std::thread host([&] { Restore(chunk); });
  host.join();
  plugin.reset();
  EXPECT_GE(standin::testing::RunOnce(), 0);  // the task finds its instance gone and does nothing
}

}  // namespace
}  // namespace orvane::testing
