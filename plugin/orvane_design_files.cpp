// Opening, saving and starting over: replacing or storing the live design
// while keeping the preset bookkeeping in step.

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "design/controls_script.h"
#include "design/design_file.h"
#include "graphics/graphics_context.h"
#include "plugin/orvane.h"

namespace fs = std::filesystem;

namespace orvane {

namespace {

using OrvanePresets::Collection;

constexpr char kResourceUnavailable[] = "factory preset resource is unavailable";
constexpr char kDesignErrorCaption[] = "Orvane";
constexpr char kOpenVerb[] = "open";
constexpr char kSaveVerb[] = "save";
constexpr char kNewDesignName[] = "Untitled";
constexpr char kFactoryPresetReadOnly[] =
    "Factory presets cannot be replaced. Save under a new name or in the user preset folder.";

// Lexically normalised, without a trailing separator.
fs::path NormalFolder(const fs::path& folder) {
  fs::path normal = folder.lexically_normal();
  if (!normal.has_filename() && normal.has_relative_path()) normal = normal.parent_path();
  return normal;
}

bool LiesDirectlyIn(const std::string& path, const std::string& folder) {
  return !folder.empty() && NormalFolder(fs::path(path).parent_path()) == NormalFolder(folder);
}

// Whether writing `path` would replace a file that lies in `factoryFolder`,
// however the path names it: a write follows symbolic links.
bool ReplacesFileIn(const std::string& path, const std::string& factoryFolder) {
  std::error_code error;
  if (factoryFolder.empty() || !fs::exists(path, error)) return false;
  const fs::path target = fs::weakly_canonical(path, error);
  const fs::path folder = error ? fs::path() : fs::weakly_canonical(factoryFolder, error);
  if (error) return LiesDirectlyIn(path, factoryFolder);
  return NormalFolder(target.parent_path()) == NormalFolder(folder);
}

// Up to and including the last separator; empty when there is none.
std::string FolderPartOf(const std::string& path) {
  const std::size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

}  // namespace

void Orvane::ShowDesignError(const std::string& verb, const std::string& detail) {
  plugkit::graphics::IGraphics* graphics = GetUI();
  if (graphics == nullptr) return;
  const std::string text = "Could not " + verb + " Orvane design:\n" + detail;
  graphics->ShowAlert(text.c_str(), kDesignErrorCaption, plugkit::graphics::kMB_OK);
}

std::string Orvane::LiveAuthor() const {
  std::lock_guard lock(mDesignMutex);
  return mDocument.design.author;
}

void Orvane::ListCollection(Collection collection) {
  ScanPresetFolder(collection, mFactoryPresetsFolder, mUserPresetsFolder, mPresetEntries);
}

void Orvane::RememberDesignFolderOf(const std::string& path) {
  std::string folder = FolderPartOf(path);
  if (!folder.empty()) mLastDesignFolder = std::move(folder);
}

bool Orvane::OpenDesignFile(const std::string& path, bool showErrors) {
  const auto fail = [&](const std::string& detail) {
    if (showErrors) ShowDesignError(kOpenVerb, detail);
    return false;
  };
  if (path == kDefaultPresetResourcePath) return fail(kResourceUnavailable);
  Design opened;
  std::string error;
  if (!ReadDesignFile(path, opened, error)) return fail(error);

  // Controllers moved earlier must not override the new design's values.
  ClearMidiCCSeenFlags();
  PluginStateDocument shown;
  {
    std::lock_guard lock(mDesignMutex);
    Design& design = mDocument.design;
    design = std::move(opened);
    std::vector<double> values;
    ParsedControlsScript parsed;
    if (ParseUserControlsScript(design.script, parsed)) {
      values = design.playerControlValues;
      FitPlayerValuesToScript(parsed, values);
    }
    mDocument.state.playerControlValues = values;
    design.playerControlValues = std::move(values);
    StoreLinearTrimGains(design);
    shown = mDocument;
  }
  mCurrentDesignPath = path;
  mCurrentDesignPathRestored = false;

  const bool inFactory = LiesDirectlyIn(path, mFactoryPresetsFolder);
  const bool inUser = LiesDirectlyIn(path, mUserPresetsFolder);
  mPresetCollection = inFactory ? Collection::kFactory : Collection::kUser;
  mActivePresetPath = inFactory || inUser ? path : std::string();
  mActivePresetFactory = inFactory;
  mActivePresetIndex = 0;
  ListCollection(mPresetCollection);
  if (!mActivePresetPath.empty()) {
    const fs::path active = fs::path(mActivePresetPath).lexically_normal();
    const auto match = std::find_if(mPresetEntries.begin(), mPresetEntries.end(), [&](const PresetEntry& entry) {
      return fs::path(entry.path).lexically_normal() == active;
    });
    if (match != mPresetEntries.end()) mActivePresetIndex = static_cast<std::uint64_t>(match - mPresetEntries.begin());
  }

  mPresetBaseline = shown.design;
  mHasPresetBaseline = true;
  mPresetModified = false;
  RememberDesignFolderOf(path);
  ShowDesignInEditor(shown.design, shown.state);
  PostStandardMute();
  CommitDesign(-1, -1);
  RebuildPresetLists();
  return true;
}

bool Orvane::SaveDesign(const std::string& path) { return SaveDesign(path, LiveAuthor()); }

bool Orvane::SaveDesign(const std::string& path, const std::string& author) {
  // Factory presets are never written over, whatever path or state led here.
  if (ReplacesFileIn(path, mFactoryPresetsFolder)) {
    ShowDesignError(kSaveVerb, kFactoryPresetReadOnly);
    return false;
  }
  Design saved;
  {
    std::lock_guard lock(mDesignMutex);
    saved = mDocument.design;
  }
  saved.author = author;
  std::string error;
  if (!WriteDesignFile(path, saved, error)) {
    ShowDesignError(kSaveVerb, error);
    return false;
  }
  {
    std::lock_guard lock(mDesignMutex);
    mDocument.design.author = author;
  }
  mCurrentDesignPath = path;
  mCurrentDesignPathRestored = false;
  RememberDesignFolderOf(path);

  const bool inFactory = LiesDirectlyIn(path, mFactoryPresetsFolder);
  const bool inUser = LiesDirectlyIn(path, mUserPresetsFolder);
  bool findIndex = false;
  if (inFactory || inUser) {
    mActivePresetPath = path;
    mActivePresetFactory = inFactory;
    mPresetCollection = inFactory ? Collection::kFactory : Collection::kUser;
    findIndex = true;
  } else if (mActivePresetPath != path) {
    mActivePresetPath.clear();
    mActivePresetFactory = false;
  } else {
    findIndex = !mActivePresetFactory;
  }
  if (findIndex) {
    ListCollection(mPresetCollection);
    const auto match = std::find_if(mPresetEntries.begin(), mPresetEntries.end(),
                                    [&](const PresetEntry& entry) { return entry.path == path; });
    if (match != mPresetEntries.end()) mActivePresetIndex = static_cast<std::uint64_t>(match - mPresetEntries.begin());
  }

  mPresetBaseline = std::move(saved);
  mHasPresetBaseline = true;
  mPresetModified = false;
  RebuildPresetLists();
  return true;
}

void Orvane::NewDesign() {
  ClearMidiCCSeenFlags();
  Design fresh = MakeDefaultDesign();
  fresh.name = kNewDesignName;
  fresh.playerControlValues.clear();
  PluginState shownState;
  {
    std::lock_guard lock(mDesignMutex);
    mDocument.design = fresh;
    mDocument.state.playerControlValues.clear();
    StoreLinearTrimGains(fresh);
    shownState = mDocument.state;
  }
  mCurrentDesignPath.clear();
  mCurrentDesignPathRestored = false;
  mActivePresetPath.clear();
  mActivePresetFactory = false;
  mPresetBaseline = fresh;
  mHasPresetBaseline = true;
  mPresetModified = false;
  ShowDesignInEditor(fresh, shownState);
  PostStandardMute();
  CommitDesign(-1, -1);
  RebuildPresetLists();
}

}  // namespace orvane
