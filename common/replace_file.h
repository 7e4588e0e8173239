#pragma once

#include <string>
#include <string_view>

namespace plugkit {

enum class EReplaceFileResult {
  kReplaced,
  kCouldNotCreate,  // the target is write-protected, or no temporary file could be made beside it
  kCouldNotWrite,   // writing, flushing, closing or renaming failed
};

// Replaces the contents of the file at path with bytes without ever leaving a
// half-written file: the bytes go to a hidden temporary file with a short name
// in the same folder (ending in ".tmp"), which is flushed, closed and renamed
// over the target. On failure the temporary file is removed and the old file
// is untouched. An existing file keeps its permission bits; one its user may
// not write (or with no write bit at all) is not replaced. A symbolic link
// keeps pointing where it did and the file it points to is replaced.
EReplaceFileResult ReplaceFileContents(const std::string& path, std::string_view bytes);

}  // namespace plugkit
