// The preset bookkeeping of the plug-in object: the start-up preset, the
// preset bar, the modified mark and the resynchronisation after a restore.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "design/design_file.h"
#include "design/design_json.h"
#include "editor/orvane_gui_control.h"
#include "editor/orvane_level_meter_control.h"
#include "plugin/orvane.h"

namespace orvane {

namespace {

using OrvanePresets::Collection;


std::string LastPathComponent(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

// A file name from a host's project is joined onto a collection folder: only
// its last component counts, and "." or ".." names no file.
std::string SafePresetFileName(const std::string& restored) {
  const std::size_t separator = restored.find_last_of("/\\");
  std::string name = separator == std::string::npos ? restored : restored.substr(separator + 1);
  if (name == "." || name == "..") name.clear();
  return name;
}

// Said once per process, on the error output as a host's log shows it.
void ReportFactoryPresetsUnavailable(const char* bundleIdentifier) {
  static std::once_flag reported;
  std::call_once(reported, [bundleIdentifier] {
    std::fprintf(stderr,
                 "Orvane: the factory presets are unavailable: no loaded bundle has the identifier %s, "
                 "which this plug-in was built with\n",
                 bundleIdentifier);
  });
}

bool IsDirectory(const std::string& folder) {
  std::error_code error;
  return !folder.empty() && std::filesystem::is_directory(folder, error);
}

}  // namespace

bool Orvane::ScanPresetFolder(Collection collection, const std::string& factoryFolder,
                              const std::string& userFolder, std::vector<PresetEntry>& out) {
  return ::orvane::ScanPresetFolder(collection, factoryFolder, userFolder, out);
}

void Orvane::StartupPresetLoad() {
  // The built-in design is the baseline until a preset replaces it, so a
  // saved state restores to one that saves the same bytes.
  mPresetBaseline = mDocument.design;
  mHasPresetBaseline = true;
  mFactoryPresetsFolder = FactoryPresetsFolder(GetBundleID());
  if (mFactoryPresetsFolder.empty()) ReportFactoryPresetsUnavailable(GetBundleID());
  mUserPresetsFolder = UserPresetsFolder();
  ScanPresetFolder(mPresetCollection, mFactoryPresetsFolder, mUserPresetsFolder, mPresetEntries);
  const std::string path = DefaultPresetPath(mFactoryPresetsFolder);
  if (path.empty() || path == kDefaultPresetResourcePath) return;
  Design design;
  std::string error;
  if (!ReadDesignFile(path, design, error)) return;
  mDocument.design = std::move(design);
  mDocument.state.playerControlValues = mDocument.design.playerControlValues;
  mCurrentDesignPath = path;
  mActivePresetPath = path;
  mActivePresetFactory = true;
  mPresetBaseline = mDocument.design;
  mHasPresetBaseline = true;
  const auto match = std::find_if(mPresetEntries.begin(), mPresetEntries.end(),
                                  [&](const PresetEntry& entry) { return entry.path == path; });
  if (match != mPresetEntries.end()) mActivePresetIndex = static_cast<std::uint64_t>(match - mPresetEntries.begin());
}

std::string Orvane::PresetLabel() const {
  for (const PresetEntry& entry : mPresetEntries) {
    if (entry.path == mActivePresetPath) return entry.name;
  }
  if (mActivePresetIndex < mPresetEntries.size()) return mPresetEntries[mActivePresetIndex].name;
  if (mActivePresetPath.empty()) {
    std::lock_guard lock(mDesignMutex);
    return mDocument.design.name;
  }
  return std::filesystem::path(mActivePresetPath).stem().string();
}

std::string Orvane::DesignFileLabel() const {
  if (mCurrentDesignPath.empty()) return {};
  if (mCurrentDesignPath == kDefaultPresetResourcePath) return kDefaultPresetFileName;
  return LastPathComponent(mCurrentDesignPath);
}

void Orvane::RebuildPresetLists() {
  {
    std::lock_guard lock(mDesignMutex);
    PluginState& state = mDocument.state;
    state.factoryCollection = mPresetCollection == Collection::kFactory;
    state.activePresetFactory = mActivePresetFactory;
    state.activePresetFilename = mActivePresetPath.empty() ? std::string() : LastPathComponent(mActivePresetPath);
    state.currentDesignPath = mCurrentDesignPath;
    state.presetModified = mPresetModified;
    state.hasPresetBaseline = mHasPresetBaseline;
    if (mHasPresetBaseline) state.presetBaseline = mPresetBaseline;
  }
  if (mEditorControl == nullptr) return;
  std::string label = PresetLabel();
  const std::string& folder = mPresetCollection == Collection::kFactory ? mFactoryPresetsFolder : mUserPresetsFolder;
  mPresetFolderExists = IsDirectory(folder);
  int shownIndex = -1;
  std::vector<std::string> names;
  names.reserve(mPresetEntries.size());
  for (std::size_t i = 0; i < mPresetEntries.size(); ++i) {
    if (shownIndex < 0 && mPresetEntries[i].path == mActivePresetPath) shownIndex = static_cast<int>(i) + 1;
    names.push_back(mPresetEntries[i].name);
  }
  mEditorControl->SetPresetBrowserState(mPresetCollection == Collection::kFactory, mActivePresetFactory, shownIndex,
                                        static_cast<int>(mPresetEntries.size()), mPresetModified,
                                        mPresetFolderExists, std::move(label), std::move(names));
  std::string fileLabel = DesignFileLabel();
  if (fileLabel != mEditorControl->mDesignFileLabel) {
    mEditorControl->mDesignFileLabel = std::move(fileLabel);
    mEditorControl->MarkDirty(false);
  }
}

void Orvane::UpdatePresetModified() {
  if (!mHasPresetBaseline) return;
  Design live;
  {
    std::lock_guard lock(mDesignMutex);
    live = mDocument.design;
  }
  const bool modified = BuildDesignJson(live) != BuildDesignJson(mPresetBaseline);
  if (modified == mPresetModified) return;
  mPresetModified = modified;
  RebuildPresetLists();
}

void Orvane::ShowDesignInEditor(const Design& design, const PluginState& state) {
  OrvaneGUIControl* editor = mEditorControl;
  if (editor == nullptr) return;
  editor->mDesignName = design.name;
  editor->mNameCaret = std::min<std::uint64_t>(editor->mNameCaret, design.name.size());
  editor->MarkDirty(false);
  editor->mDesignDescription = design.description;
  editor->mDescriptionCaret = std::min<std::uint64_t>(editor->mDescriptionCaret, design.description.size());
  editor->MarkDirty(false);
  editor->mDesignSections = design.amplifier.sections;
  editor->mEffectiveSections = design.amplifier.sections;
  editor->MarkDirty(false);
  editor->mBypassGainDb = design.amplifier.bypassGainDb;
  editor->MarkDirty(false);
  editor->mDesignDna = design.amplifier.dna;
  editor->RefreshEffectiveAmp();
  editor->MarkDirty(false);
  editor->mDesignKnobs = design.amplifier.knobs;
  editor->RefreshEffectiveAmp();
  editor->MarkDirty(false);
  editor->mOversampling = state.oversampling;
  editor->MarkDirty(false);
  editor->mToneStackPosition = std::clamp(design.amplifier.toneStackPosition, kToneStackFirst, kToneStackLast);
  editor->MarkDirty(false);
  editor->mInputGainDb = std::clamp(design.trims.inputGainDb, kInputTrimMinDb, kInputTrimMaxDb);
  editor->mOutputGainDb = std::clamp(design.trims.outputGainDb, kOutputTrimMinDb, kOutputTrimMaxDb);
  editor->MarkDirty(false);
  editor->SetScriptText(design.script, state.playerControlValues);
}

void Orvane::FinishStateRestore(bool commit) {
  PluginState restored;
  {
    std::lock_guard lock(mDesignMutex);
    restored = mDocument.state;
  }
  mPresetCollection = restored.factoryCollection ? Collection::kFactory : Collection::kUser;
  mCurrentDesignPath = restored.currentDesignPath;
  mCurrentDesignPathRestored = !mCurrentDesignPath.empty();
  mActivePresetFactory = restored.activePresetFactory;
  mActivePresetPath.clear();
  const std::string fileName = SafePresetFileName(restored.activePresetFilename);
  const std::string& folder = mActivePresetFactory ? mFactoryPresetsFolder : mUserPresetsFolder;
  if (!fileName.empty() && !folder.empty()) mActivePresetPath = JoinFolderPath(folder, fileName);

  ScanPresetFolder(mPresetCollection, mFactoryPresetsFolder, mUserPresetsFolder, mPresetEntries);
  mActivePresetIndex = 0;
  const auto match = std::find_if(mPresetEntries.begin(), mPresetEntries.end(),
                                  [&](const PresetEntry& entry) { return entry.path == mActivePresetPath; });
  if (match != mPresetEntries.end()) mActivePresetIndex = static_cast<std::uint64_t>(match - mPresetEntries.begin());

  PluginStateDocument live;
  {
    std::lock_guard lock(mDesignMutex);
    mPresetBaseline = restored.hasPresetBaseline ? restored.presetBaseline : mDocument.design;
    live = mDocument;
  }
  mHasPresetBaseline = true;
  mPresetModified = restored.presetModified;

  if (OrvaneGUIControl* editor = mEditorControl) {
    ShowDesignInEditor(live.design, live.state);
    editor->mAmplifierEnabled = live.state.amplifierEnabled;
    editor->mAmplifierAnimation = live.state.amplifierEnabled ? kSwitchOn : kSwitchOff;
    editor->MarkDirty(false);
    editor->mPlayerView = live.state.playerView;
    editor->mViewAnimation = live.state.playerView ? kSwitchOff : kSwitchOn;
    editor->MarkDirty(false);
  }
  if (commit) CommitDesign(-1, -1);
  RebuildPresetLists();
  UpdatePresetModified();
}

}  // namespace orvane
