#include "design/design_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <ios>

#include "design/design_json.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr char kCouldNotOpen[] = "Could not open design file";
constexpr char kCouldNotReadPrefix[] = "Could not read Orvane design: ";
constexpr char kCouldNotCreate[] = "Could not create design file";
constexpr char kCouldNotWrite[] = "Could not write design file";
constexpr char kCouldNotSerializePrefix[] = "Could not serialize Orvane design: ";

constexpr int kJsonIndent = 2;
constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as any new file
constexpr mode_t kPermissionBits = 07777;
constexpr int kTemporaryNameAttempts = 100;

// The file the design really goes to: a symbolic link is followed so that the
// file it points to is replaced, not the link.
fs::path ResolveTarget(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_symlink(fs::symlink_status(path, ec))) return path;
  const fs::path resolved = fs::weakly_canonical(path, ec);
  return ec ? path : resolved;
}

// Owns a temporary file descriptor and its name until it is renamed into place.
class TemporaryFile {
public:
  explicit TemporaryFile(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    // A hidden name ending in ".tmp": never listed as a design by preset scans.
    const std::string stem = "." + target.filename().string() + "." + std::to_string(::getpid()) + ".";
    for (int attempt = 0; attempt < kTemporaryNameAttempts && mFd < 0; ++attempt) {
      const fs::path candidate = target.parent_path() / (stem + std::to_string(counter++) + ".tmp");
      mFd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
      if (mFd >= 0) mPath = candidate;
      else if (errno != EEXIST) break;
    }
  }
  ~TemporaryFile() {
    if (mFd >= 0) ::close(mFd);
    if (!mPath.empty()) ::unlink(mPath.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  bool IsOpen() const { return mFd >= 0; }

  bool WriteAll(const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
      const ssize_t n = ::write(mFd, text.data() + written, text.size() - written);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      written += static_cast<std::size_t>(n);
    }
    return true;
  }

  bool CopyPermissionsOf(const fs::path& other) {
    struct stat info {};
    if (::stat(other.c_str(), &info) != 0) return true;  // no old file: keep the new file's mode
    return ::fchmod(mFd, info.st_mode & kPermissionBits) == 0;
  }

  // Flushes to the disk and closes, reporting either failure (a full disk may
  // only show at this point).
  bool SyncAndClose() {
    const bool synced = ::fsync(mFd) == 0;
    const bool closed = ::close(mFd) == 0;
    mFd = -1;
    return synced && closed;
  }

  bool RenameTo(const fs::path& target) {
    if (::rename(mPath.c_str(), target.c_str()) != 0) return false;
    mPath.clear();
    return true;
  }

private:
  int mFd = -1;
  fs::path mPath;
};

}  // namespace

bool ReadDesignFile(const std::string& path, Design& out, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) {
    error = kCouldNotOpen;
    return false;
  }
  return ReadDesignStream(in, out, error);
}

bool ReadDesignStream(std::istream& in, Design& out, std::string& error) {
  json document;
  try {
    in >> document;
  } catch (const json::exception& e) {
    error = std::string(kCouldNotReadPrefix) + e.what();
    return false;
  } catch (const std::ios_base::failure& e) {
    error = std::string(kCouldNotReadPrefix) + e.what();
    return false;
  }
  return ParseDesignJson(document, out, error);
}

bool WriteDesignFile(const std::string& path, const Design& design, std::string& error) {
  if (!ValidateDesign(design, error)) return false;
  std::string text;
  try {
    text = BuildDesignJson(design).dump(kJsonIndent);
  } catch (const json::exception& e) {
    error = std::string(kCouldNotSerializePrefix) + e.what();
    return false;
  }
  text.push_back('\n');

  // Written beside the target and renamed over it, so a failure at any point
  // leaves the old file as it was.
  const fs::path target = ResolveTarget(path);
  TemporaryFile temporary(target);
  if (!temporary.IsOpen()) {
    error = kCouldNotCreate;
    return false;
  }
  const bool written = temporary.WriteAll(text) && temporary.CopyPermissionsOf(target) &&
                       temporary.SyncAndClose() && temporary.RenameTo(target);
  if (!written) {
    error = kCouldNotWrite;
    return false;
  }
  error.clear();
  return true;
}

}  // namespace orvane
