#include "graphics/platform/mac/path_text.h"

#include "common/str_buf.h"
#include "framework/core/paths.h"

namespace plugkit::graphics {
namespace {

constexpr char kSeparator = '/';
constexpr char kHome = '~';

void DropTrailingSeparators(std::string& path) {
  while (path.size() > 1 && path.back() == kSeparator) path.pop_back();
}

}  // namespace

std::string ParentFolder(std::string path) {
  DropTrailingSeparators(path);
  const std::size_t last = path.rfind(kSeparator);
  if (last == std::string::npos) return {};
  if (last == 0) return std::string(1, kSeparator);
  path.resize(last);
  return path;
}

std::string WithTrailingSlash(std::string folder) {
  if (folder.empty() || folder.back() != kSeparator) folder += kSeparator;
  return folder;
}

std::string ExpandTilde(const std::string& path) {
  if (path.empty() || path.front() != kHome || (path.size() > 1 && path[1] != kSeparator)) return path;
  StrBuf home;
  HomeFolder(home);
  std::string expanded = home.Get();
  DropTrailingSeparators(expanded);
  return expanded + path.substr(1);
}

}  // namespace plugkit::graphics
