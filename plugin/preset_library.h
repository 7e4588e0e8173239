#pragma once

// The two preset collections: where their folders lie, the default factory
// preset, and the sorted listing of a collection's design files.

#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

namespace OrvanePresets {
enum class Collection : std::int32_t { kFactory = 0, kUser = 1 };
}  // namespace OrvanePresets

struct PresetEntry {
  std::string path;  // the full path as the folder listing yields it
  std::string name;  // the design's name, or the file name without extension

  bool operator==(const PresetEntry&) const = default;
};

inline constexpr char kDefaultPresetFileName[] = "Default.orv";
// Names the default factory preset as a resource; it cannot be opened as a
// file, and the design-file label shows it as kDefaultPresetFileName.
inline constexpr char kDefaultPresetResourcePath[] = "orvane-resource://Default.orv";

// `left` + "/" + `right`, the separator added only when `left` does not
// already end in one.
std::string JoinFolderPath(const std::string& left, const std::string& right);

// The "Presets" folder inside the resources folder of the plug-in bundle with
// that identifier; empty when the bundle or its resources folder is unknown.
// Main thread, as every folder lookup.
std::string FactoryPresetsFolder(const char* bundleIdentifier);

// Documents/Orvane/Presets in the user's home folder; empty without a home
// folder. The folder is not created.
std::string UserPresetsFolder();

// The factory folder's "Default.orv" when it is an existing regular file,
// else empty.
std::string DefaultPresetPath(const std::string& factoryFolder);

// Lists the readable design files (".orv" in any letter case) directly in the
// collection's folder, sorted with PresetEntryLess; unreadable files are left
// out silently. Returns whether `out` holds any entry. Never throws a
// file-system error.
bool ScanPresetFolder(OrvanePresets::Collection collection, const std::string& factoryFolder,
                      const std::string& userFolder, std::vector<PresetEntry>& out);

// By name with only A-Z lower-cased, byte order; equal names by path.
bool PresetEntryLess(const PresetEntry& a, const PresetEntry& b);

}  // namespace orvane
