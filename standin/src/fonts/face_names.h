#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace standin::fonts {

struct FaceNames {
  std::string family;
  std::string style;
};

// The first family and style the catalogue reports for face 0 of the bytes
// (a collection's first font); nothing when FreeType cannot open that face.
// Any thread.
std::optional<FaceNames> ReadFirstFaceNames(const unsigned char* bytes, std::size_t size);

}  // namespace standin::fonts
