#pragma once

#include <optional>
#include <string>
#include <vector>

namespace standin::fonts {

struct InstalledFace {
  std::string path;
  int index;  // of the face in its file
  std::string family;  // the first the catalogue reports
  std::string style;
};

// The catalogue's faces whose families include `family` and whose styles
// include `style`, compared as the catalogue compares (ignoring case); an
// absent name matches every face. Ordered by file path, then face index, so
// that the first is the same on every machine. Any thread.
std::vector<InstalledFace> FindInstalledFaces(const std::optional<std::string>& family,
                                              const std::optional<std::string>& style);

// The catalogue's best face for a family name or an alias such as
// "sans-serif", as its substitution rules choose; nothing when it has no fonts.
// Any thread.
std::optional<InstalledFace> MatchInstalledFace(const std::string& family);

}  // namespace standin::fonts
