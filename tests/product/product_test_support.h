#pragma once

// Building product instances in a sandbox: HOME and the component bundle lie
// in a temporary folder, so the factory and user preset folders are the
// test's own. TestOrvane opens the members that tests read and set.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "design/design.h"
#include "plugin/orvane.h"
#include "scoped_test_folder.h"

namespace orvane::testing {

class TestOrvane : public Orvane {
public:
  TestOrvane() : Orvane(plugkit::InstanceInfo{"Orvane_View"}) {}

  using Orvane::FinishStateRestore;
  using Orvane::InstallEngines;
  using Orvane::mActivePresetFactory;
  using Orvane::mActivePresetIndex;
  using Orvane::mActivePresetPath;
  using Orvane::mCurrentDesignPath;
  using Orvane::mDocument;
  using Orvane::mEditorControl;
  using Orvane::mFactoryPresetsFolder;
  using Orvane::mHasPresetBaseline;
  using Orvane::mHostRate;
  using Orvane::mInputMeter;
  using Orvane::mOutputMeter;
  using Orvane::mPresetBaseline;
  using Orvane::mPresetCollection;
  using Orvane::mPresetEntries;
  using Orvane::mPresetFolderExists;
  using Orvane::mPresetModified;
  using Orvane::mRenderer;
  using Orvane::mUserPresetsFolder;

  // Changes the live document under the design mutex.
  void Edit(const std::function<void(PluginStateDocument&)>& change);

  // One block of silence, mono in and stereo out, at 48 kHz, straight into
  // the render-side component; the snapshot the block runs with.
  const RuntimeSnapshot* RenderBlock(int nFrames = 64);

  // Opens the editor on a headless graphics context of the default size.
  void OpenHeadlessEditor();

  void SendControlChange(int cc, int value);
};

// HOME and a registered component bundle in a fresh temporary folder.
class ProductSandbox {
public:
  // With `withDefaultPreset` the bundle's Presets folder holds the committed
  // Default.orv.
  explicit ProductSandbox(bool withDefaultPreset = true);
  ~ProductSandbox();

  std::filesystem::path Home() const { return mFolder.Path() / "home"; }
  std::filesystem::path FactoryFolder() const;
  std::filesystem::path UserFolder() const { return Home() / "Documents" / "Orvane" / "Presets"; }

  std::unique_ptr<TestOrvane> MakeInstance() const;

private:
  ScopedTestFolder mFolder;
  std::unique_ptr<ScopedEnvironmentVariable> mHome;
};

// Writes a design file named `fileName` with that design name into folder.
std::filesystem::path WriteDesign(const std::filesystem::path& folder, const std::string& fileName,
                                  const std::string& designName);

// The committed factory preset.
std::filesystem::path CommittedDefaultPreset();

}  // namespace orvane::testing
