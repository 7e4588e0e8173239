#include "host/auhost_path_problems.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace orvane::auhost {
namespace {

std::string ReasonOf(int error) {
  switch (error) {
    case ENOENT:
      return "no such file";
    case EACCES:
    case EPERM:
      return "permission denied";
    case ENOTDIR:
      return "a part of its path is not a folder";
    case EISDIR:
      return "it is a folder";
    default:
      return std::strerror(error);
  }
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string ReadingProblem(const std::string& path) {
  if (IsFolder(path)) return ReasonOf(EISDIR);
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return ReasonOf(errno);
  ::close(descriptor);
  return {};
}

std::ifstream OpenForReading(const std::string& path, ExitCode code, const std::string& what) {
  const std::string problem = ReadingProblem(path);
  std::ifstream in;
  if (problem.empty()) in.open(path, std::ios::binary);
  if (!in.is_open())
    throw Failure(code, "cannot read " + what + " " + path + ": " + (problem.empty() ? "it did not open" : problem));
  return in;
}

std::string WritingProblem(const std::string& path) {
  if (IsFolder(path)) return ReasonOf(EISDIR);
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  const std::string folder = parent.empty() ? "." : parent.string();
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0)
    return errno == ENOENT ? "its folder " + folder + " does not exist" : ReasonOf(errno);
  if (!S_ISDIR(info.st_mode)) return folder + " is not a folder";
  return {};
}

}  // namespace orvane::auhost
