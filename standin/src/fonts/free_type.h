#pragma once

// The one FreeType library of the process, shared by everything that opens a
// face. Any thread.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstddef>
#include <functional>
#include <string>

namespace standin::fonts {

// Where a face lies: a block of bytes when `bytes` is set, else a file.
struct FaceSource {
  const unsigned char* bytes = nullptr;
  std::size_t size = 0;
  std::string path;
  int index = 0;  // of the face in its bytes or file
};

// Opens the face, runs `use` on it and closes it again, all under the
// library's lock (FreeType wants one thread at a time in a library); false
// without calling `use` when the face cannot be opened.
bool UseFace(const FaceSource& source, const std::function<void(FT_Face)>& use);

}  // namespace standin::fonts
