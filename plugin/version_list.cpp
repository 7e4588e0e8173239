#include "plugin/version_list.h"

#include <algorithm>
#include <limits>
#include <string_view>

namespace orvane {
namespace {

constexpr char kVersionSeparator = '.';
constexpr std::uint64_t kDecimalBase = 10;

bool ParseVersionPiece(std::string_view piece, std::uint32_t& value) {
  if (piece.empty()) {
    return false;
  }
  std::uint64_t accumulated = 0;
  for (const char c : piece) {
    if (c < '0' || c > '9') {
      return false;
    }
    accumulated = accumulated * kDecimalBase + static_cast<std::uint64_t>(c - '0');
    if (accumulated > std::numeric_limits<std::uint32_t>::max()) {
      return false;
    }
  }
  value = static_cast<std::uint32_t>(accumulated);
  return true;
}

}  // namespace

bool ParseVersionString(const std::string& text, VersionList& out) {
  out.clear();
  if (text.empty()) {
    return false;
  }
  std::string_view rest = text;
  while (true) {
    const std::size_t separator = rest.find(kVersionSeparator);
    std::uint32_t value = 0;
    if (out.size() == kMaxVersionPieces || !ParseVersionPiece(rest.substr(0, separator), value)) {
      out.clear();
      return false;
    }
    out.push_back(value);
    if (separator == std::string_view::npos) {
      return true;
    }
    rest.remove_prefix(separator + 1);
  }
}

void PadVersion(VersionList& version, std::size_t size) { version.resize(size, 0); }

bool VersionLess(const VersionList& a, const VersionList& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
}

}  // namespace orvane
