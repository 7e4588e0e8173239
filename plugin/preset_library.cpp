#include "plugin/preset_library.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/str_buf.h"
#include "design/design.h"
#include "design/design_file.h"
#include "framework/core/paths.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;

constexpr char kPathSeparator = '/';
constexpr char kPresetsFolderName[] = "Presets";
constexpr char kDocumentsFolderName[] = "Documents";
constexpr char kProductFolderName[] = "Orvane";

std::string HomeFolderText() {
  plugkit::StrBuf home;
  plugkit::HomeFolder(home);
  return home.Get();
}

std::string ResourcesFolderText(const char* bundleIdentifier) {
  plugkit::StrBuf resources;
  plugkit::BundleResourcesFolder(resources, bundleIdentifier);
  return resources.Get();
}

// Only A-Z change: the locale's case mapping must not reorder the list.
std::string AsciiLowerCase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool HasDesignFileExtension(const fs::path& path) {
  return AsciiLowerCase(path.extension().string()) == std::string(".") + kDesignFileExtension;
}

// A regular file (links followed) named like a design file.
bool IsPresetCandidate(const fs::directory_entry& entry) {
  std::error_code ec;
  return entry.is_regular_file(ec) && HasDesignFileExtension(entry.path());
}

void AppendIfReadable(const fs::path& path, std::vector<PresetEntry>& out) {
  Design design;
  std::string error;
  if (!ReadDesignFile(path.string(), design, error)) return;
  std::string name = design.name.empty() ? path.stem().string() : std::move(design.name);
  out.push_back(PresetEntry{path.string(), std::move(name)});
}

}  // namespace

std::string JoinFolderPath(const std::string& left, const std::string& right) {
  if (left.empty() || left.back() == kPathSeparator) return left + right;
  return left + kPathSeparator + right;
}

std::string FactoryPresetsFolder(const char* bundleIdentifier) {
  const std::string resources = ResourcesFolderText(bundleIdentifier);
  if (resources.empty()) return {};
  return JoinFolderPath(resources, kPresetsFolderName);
}

std::string UserPresetsFolder() {
  const std::string home = HomeFolderText();
  if (home.empty()) return {};
  const std::string documents = home + kPathSeparator + kDocumentsFolderName;
  return JoinFolderPath(JoinFolderPath(documents, kProductFolderName), kPresetsFolderName);
}

std::string DefaultPresetPath(const std::string& factoryFolder) {
  if (factoryFolder.empty()) return {};
  std::string path = JoinFolderPath(factoryFolder, kDefaultPresetFileName);
  std::error_code ec;
  return fs::is_regular_file(path, ec) ? path : std::string();
}

bool ScanPresetFolder(OrvanePresets::Collection collection, const std::string& factoryFolder,
                      const std::string& userFolder, std::vector<PresetEntry>& out) {
  out.clear();
  const std::string& folder = collection == OrvanePresets::Collection::kUser ? userFolder : factoryFolder;
  if (folder.empty()) return false;

  std::error_code ec;
  fs::directory_iterator entries(folder, ec);
  if (ec) return false;
  // A listing that fails part way keeps what it found so far.
  for (const fs::directory_iterator end{}; !ec && entries != end; entries.increment(ec)) {
    if (IsPresetCandidate(*entries)) AppendIfReadable(entries->path(), out);
  }
  std::sort(out.begin(), out.end(), PresetEntryLess);
  return !out.empty();
}

bool PresetEntryLess(const PresetEntry& a, const PresetEntry& b) {
  const std::string nameA = AsciiLowerCase(a.name);
  const std::string nameB = AsciiLowerCase(b.name);
  if (nameA != nameB) return nameA < nameB;
  return a.path < b.path;
}

}  // namespace orvane
