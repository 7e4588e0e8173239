#pragma once

#include <string>
#include <string_view>

namespace plugkit {

enum class EReplaceFileResult {
  kReplaced,
  kCouldNotCreate,  // no temporary file could be made beside the target
  kCouldNotWrite,   // writing, flushing, closing or renaming failed
};

// Replaces the contents of the file at path with bytes without ever leaving a
// half-written file: the bytes go to a hidden temporary file in the same
// folder (its name ends in ".tmp"), which is flushed, closed and renamed over
// the target. On failure the temporary file is removed and the old file is
// untouched. An existing file keeps its permission bits; a symbolic link keeps
// pointing where it did and the file it points to is replaced.
EReplaceFileResult ReplaceFileContents(const std::string& path, std::string_view bytes);

}  // namespace plugkit
