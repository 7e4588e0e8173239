#pragma once

// Whether a built bundle has the editor's fonts, which scripts/setup.sh
// stages for the build to copy into its Resources.

#include <array>
#include <filesystem>
#include <string>

namespace orvane::testing {

// The editor's fonts in the bundle's Resources.
inline constexpr std::array<const char*, 2> kBundleFontFiles{"iosevka-latin-400-normal.ttf",
                                                             "iosevka-latin-700-normal.ttf"};

// Why the bundle cannot draw its editor as released: the fonts it lacks and
// how to get them; empty when it has them all.
inline std::string MissingFontsReason(const std::filesystem::path& bundle) {
  std::string missing;
  for (const char* font : kBundleFontFiles) {
    if (std::filesystem::is_regular_file(bundle / "Contents" / "Resources" / font)) continue;
    missing += missing.empty() ? font : std::string(", ") + font;
  }
  if (missing.empty()) return {};
  return "the bundle " + bundle.string() + " has no " + missing +
         ": run scripts/setup.sh to stage the editor's fonts, then build again";
}

}  // namespace orvane::testing
