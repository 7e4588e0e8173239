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

// The same replacement for contents written piece by piece: they go to the
// temporary file as they come and Commit puts it in place. Destroyed without
// a successful Commit, it removes the temporary file and the target stays as
// it was.
class FileReplacement {
public:
  explicit FileReplacement(const std::string& path);
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // False when the target is write-protected or no temporary file could be made.
  bool IsOpen() const { return mFd >= 0; }
  // The temporary file, for writers that seek in what they write.
  int Descriptor() const { return mFd; }
  bool Write(std::string_view bytes);
  // Lets the system start storing what was written so far without waiting
  // for it, so that Commit has less left to wait for.
  void StartStoring();
  EReplaceFileResult Commit();

private:
  std::string mTarget;
  std::string mTemporary;
  int mFd = -1;
};

}  // namespace plugkit
