// The commands of the editor's header: open, save, save as, new design, the
// collection choice and the preset navigation. Each one that would replace
// the live design asks about unsaved changes first; message-box and file
// dialog answers arrive through completions, so every command is a chain of
// function objects. Completions that come later are guarded: closing the
// editor or destroying the plug-in cancels them.

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <utility>

#include "design/design_file.h"
#include "graphics/graphics_context.h"
#include "plugin/orvane.h"

namespace orvane {

namespace {

using OrvanePresets::Collection;
using plugkit::StrBuf;
using plugkit::graphics::EMsgBoxResult;
using plugkit::graphics::IGraphics;

constexpr char kReplacementCaption[] = "Unsaved design";
constexpr char kAskSaveAsUserPreset[] = "Save your changes as a user preset before continuing?";
constexpr char kAskSave[] = "Save your changes before continuing?";
constexpr char kDesignFileSuffix[] = ".orv";

// A folder that cannot be made is left to the dialog and the save to report.
void MakeFolderIfMissing(const std::string& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
}

std::string TextOf(const StrBuf& text) { return text.Get() != nullptr ? std::string(text.Get()) : std::string(); }

}  // namespace

void Orvane::RequestDesignReplacement(Continuation cont) {
  IGraphics* graphics = GetUI();
  if (!mPresetModified || graphics == nullptr) {
    if (cont) cont();
    return;
  }
  const char* question = mActivePresetFactory ? kAskSaveAsUserPreset : kAskSave;
  auto completion = mDialogCompletions.Guard<EMsgBoxResult>(
      [this, cont = std::move(cont)](EMsgBoxResult answer) { AnswerReplacementQuestion(answer, cont); });
  graphics->ShowAlert(question, kReplacementCaption, plugkit::graphics::kMB_YESNOCANCEL, std::move(completion));
}

void Orvane::AnswerReplacementQuestion(int answer, const Continuation& cont) {
  if (answer == plugkit::graphics::kNO) {
    if (cont) cont();
    return;
  }
  if (answer != plugkit::graphics::kYES) return;  // cancel: the live design stays
  // Factory presets are never written over: their changes go to the user's folder.
  if (mActivePresetFactory) {
    PromptForSaveDesignAs(cont, mUserPresetsFolder);
  } else if (const std::string path = PathToSaveWithoutAsking(); !path.empty()) {
    if (SaveDesign(path) && cont) cont();
  } else {
    PromptForSaveDesignAs(cont, mLastDesignFolder);
  }
}

std::string Orvane::PathToSaveWithoutAsking() const {
  if (!mCurrentDesignPathRestored) return mCurrentDesignPath;
  // A host's project may name any file the user can write: it is written
  // over only when it holds a design, or nothing is there yet.
  const std::filesystem::path path(mCurrentDesignPath);
  if (!path.is_absolute()) return {};
  std::error_code error;
  if (std::filesystem::symlink_status(path, error).type() == std::filesystem::file_type::not_found)
    return mCurrentDesignPath;
  Design existing;
  std::string readError;
  return ReadDesignFile(mCurrentDesignPath, existing, readError) ? mCurrentDesignPath : std::string();
}

void Orvane::PromptForSaveDesignAs(Continuation cont, const std::string& startFolder) {
  IGraphics* graphics = GetUI();
  if (graphics == nullptr) return;
  // A fresh home has no user folder yet: the dialog must not start in a
  // folder that does not exist.
  if (!startFolder.empty() && startFolder == mUserPresetsFolder) MakeFolderIfMissing(startFolder);
  std::string proposedName;
  {
    std::lock_guard lock(mDesignMutex);
    proposedName = mDocument.design.name + kDesignFileSuffix;
  }
  StrBuf fileName(proposedName.c_str());
  StrBuf folder(startFolder.c_str());
  auto completion = mDialogCompletions.Guard<const StrBuf&, const StrBuf&>(
      [this, cont = std::move(cont)](const StrBuf& chosenFile, const StrBuf& chosenFolder) {
        const std::string path = TextOf(chosenFile);
        if (path.empty()) return;
        const bool saved = SaveDesign(path);
        // The dialog's folder is remembered even when the save failed.
        const std::string folderText = TextOf(chosenFolder);
        if (!folderText.empty()) mLastDesignFolder = folderText;
        // A failed save stops the chain: the design must not be replaced.
        if (saved && cont) cont();
      });
  graphics->ChooseFile(fileName, folder, plugkit::graphics::kFileSave, kDesignFileExtension, std::move(completion));
}

void Orvane::PromptForOpenDesign() {
  RequestDesignReplacement([this] { ShowOpenDesignDialog(); });
}

void Orvane::ShowOpenDesignDialog() {
  IGraphics* graphics = GetUI();
  if (graphics == nullptr) return;
  StrBuf fileName("");
  StrBuf folder(mLastDesignFolder.c_str());
  auto completion = mDialogCompletions.Guard<const StrBuf&, const StrBuf&>(
      [this](const StrBuf& chosenFile, const StrBuf& chosenFolder) {
        const std::string path = TextOf(chosenFile);
        if (path.empty()) return;
        OpenDesignFile(path, true);
        const std::string folderText = TextOf(chosenFolder);
        if (!folderText.empty()) mLastDesignFolder = folderText;
      });
  graphics->ChooseFile(fileName, folder, plugkit::graphics::kFileOpen, kDesignFileExtension, std::move(completion));
}

void Orvane::SaveDesignFromUI() {
  if (mActivePresetFactory) return;  // the editor shows factory presets read-only
  if (const std::string path = PathToSaveWithoutAsking(); !path.empty()) {
    SaveDesign(path);
  } else {
    PromptForSaveDesignAs(nullptr, mUserPresetsFolder);
  }
}

void Orvane::PromptForSaveDesignAsInCollection() {
  // Whichever collection shows, a copy goes among the user's presets: the
  // factory folder is the bundle's own.
  PromptForSaveDesignAs(nullptr, mUserPresetsFolder);
}

void Orvane::PromptForSaveDesignAsInLastFolder() { PromptForSaveDesignAs(nullptr, mLastDesignFolder); }

void Orvane::PromptForSaveAsUserPreset(Continuation cont) { PromptForSaveDesignAs(std::move(cont), mUserPresetsFolder); }

bool Orvane::SaveActivePreset() {
  if (mActivePresetPath.empty()) return false;
  return SaveDesign(mActivePresetPath);
}

void Orvane::NewDesignFromUI() {
  RequestDesignReplacement([this] {
    mPresetCollection = Collection::kUser;
    ListCollection(Collection::kUser);
    mActivePresetIndex = 0;
    NewDesign();
  });
}

void Orvane::ChangePresetCollection(Collection collection) {
  if (collection == mPresetCollection) return;
  RequestDesignReplacement([this, collection] {
    mPresetCollection = collection;
    ListCollection(collection);
    mActivePresetIndex = 0;
    if (mPresetEntries.empty()) {
      NewDesign();
    } else {
      OpenPresetEntry(collection, 0);
    }
  });
}

void Orvane::NavigatePreset(int direction) {
  if (direction == 0) return;
  ListCollection(mPresetCollection);
  if (mPresetEntries.empty()) {
    RebuildPresetLists();
    return;
  }
  const std::size_t count = mPresetEntries.size();
  std::size_t current = static_cast<std::size_t>(mActivePresetIndex % count);
  if (!mActivePresetPath.empty()) {
    const auto match = std::find_if(mPresetEntries.begin(), mPresetEntries.end(),
                                    [&](const PresetEntry& entry) { return entry.path == mActivePresetPath; });
    if (match != mPresetEntries.end()) current = static_cast<std::size_t>(match - mPresetEntries.begin());
  }
  const std::size_t target = direction > 0 ? (current + 1) % count : (current + count - 1) % count;
  // The collection is read when the continuation runs, not now.
  RequestDesignReplacement([this, target] { OpenPresetEntry(mPresetCollection, target); });
}

void Orvane::SelectPresetFromUI(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= mPresetEntries.size()) return;
  const Collection collection = mPresetCollection;
  std::string path = mPresetEntries[static_cast<std::size_t>(index)].path;
  RequestDesignReplacement([this, collection, path = std::move(path)] {
    ListCollection(collection);
    const auto match = std::find_if(mPresetEntries.begin(), mPresetEntries.end(),
                                    [&](const PresetEntry& entry) { return entry.path == path; });
    if (match == mPresetEntries.end()) {
      RebuildPresetLists();  // the file disappeared meanwhile
      return;
    }
    OpenPresetEntry(collection, static_cast<std::size_t>(match - mPresetEntries.begin()));
  });
}

void Orvane::OpenPresetEntry(Collection collection, std::size_t index) {
  ListCollection(collection);
  if (index >= mPresetEntries.size()) {
    RebuildPresetLists();
    return;
  }
  const std::string path = mPresetEntries[index].path;
  if (OpenDesignFile(path, false)) {
    mPresetCollection = collection;
    mActivePresetIndex = index;
    mActivePresetPath = path;
    mActivePresetFactory = collection == Collection::kFactory;
    {
      std::lock_guard lock(mDesignMutex);
      mPresetBaseline = mDocument.design;
    }
    mHasPresetBaseline = true;
    mPresetModified = false;
  } else {
    ListCollection(collection);
  }
  RebuildPresetLists();
}

}  // namespace orvane
