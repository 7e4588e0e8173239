#include "common/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>

namespace plugkit {
namespace {

namespace fs = std::filesystem;

constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as any new file
constexpr mode_t kPermissionBits = 07777;
constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr int kTemporaryNameAttempts = 100;
// Short, whatever the target's length, so any name the file system takes can
// be replaced.
constexpr char kTemporaryPrefix[] = ".replace-";
constexpr char kTemporarySuffix[] = ".tmp";

fs::path ResolveSymbolicLink(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_symlink(fs::symlink_status(path, ec))) return path;
  const fs::path resolved = fs::weakly_canonical(path, ec);
  return ec ? path : resolved;
}

// A rename would replace a file its user may not write; such a file is left
// alone. A file without any write bit counts as protected even for a user
// whom the system would let write it.
bool IsWriteProtected(const fs::path& target) {
  struct stat info {};
  if (::stat(target.c_str(), &info) != 0) return false;  // nothing there yet
  if ((info.st_mode & kAnyWriteBit) == 0) return true;
  return ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0;
}

}  // namespace

FileReplacement::FileReplacement(const std::string& path) : mTarget(ResolveSymbolicLink(path).string()) {
  if (IsWriteProtected(mTarget)) return;
  static std::atomic<unsigned> counter{0};
  const fs::path target(mTarget);
  const std::string stem = kTemporaryPrefix + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < kTemporaryNameAttempts && mFd < 0; ++attempt) {
    const fs::path candidate = target.parent_path() / (stem + std::to_string(counter++) + kTemporarySuffix);
    mFd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (mFd >= 0) {
      mTemporary = candidate.string();
    } else if (errno != EEXIST) {
      break;
    }
  }
}

FileReplacement::~FileReplacement() {
  if (mFd >= 0) ::close(mFd);
  if (!mTemporary.empty()) ::unlink(mTemporary.c_str());
}

bool FileReplacement::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(mFd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

void FileReplacement::StartStoring() {
#if defined(__linux__)
  ::sync_file_range(mFd, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

EReplaceFileResult FileReplacement::Commit() {
  if (mFd < 0) return EReplaceFileResult::kCouldNotCreate;
  // An existing file keeps its permission bits; without one the new file keeps its own mode.
  struct stat info {};
  const bool permissions = ::stat(mTarget.c_str(), &info) != 0 || ::fchmod(mFd, info.st_mode & kPermissionBits) == 0;
  // A full disk may only show when the data is flushed or the file closed.
  const bool synced = ::fsync(mFd) == 0;
  const bool closed = ::close(mFd) == 0;
  mFd = -1;
  if (!permissions || !synced || !closed || ::rename(mTemporary.c_str(), mTarget.c_str()) != 0) {
    return EReplaceFileResult::kCouldNotWrite;
  }
  mTemporary.clear();
  return EReplaceFileResult::kReplaced;
}

EReplaceFileResult ReplaceFileContents(const std::string& path, std::string_view bytes) {
  FileReplacement replacement(path);
  if (!replacement.IsOpen()) return EReplaceFileResult::kCouldNotCreate;
  return replacement.Write(bytes) ? replacement.Commit() : EReplaceFileResult::kCouldNotWrite;
}

}  // namespace plugkit
