#include "plugin/update_address.h"

#include <array>
#include <cstdlib>

namespace orvane {
namespace {

constexpr std::array<std::string_view, 2> kAllowedSchemePrefixes = {"http://", "https://"};
// Characters that would end the authority or smuggle a user part into it.
constexpr std::string_view kForbiddenAuthorityCharacters = "/?#@\\";
constexpr char kFirstVisibleAscii = '!';
constexpr char kLastVisibleAscii = '~';

// The length of the allowed scheme prefix base starts with, 0 when none.
std::size_t SchemePrefixLength(std::string_view base) {
  for (const std::string_view prefix : kAllowedSchemePrefixes) {
    if (base.starts_with(prefix)) {
      return prefix.size();
    }
  }
  return 0;
}

bool IsPlainAuthority(std::string_view authority) {
  if (authority.empty() || authority.front() == ':') {
    return false;  // no host
  }
  for (const char c : authority) {
    const bool visible = c >= kFirstVisibleAscii && c <= kLastVisibleAscii;
    if (!visible || kForbiddenAuthorityCharacters.find(c) != std::string_view::npos) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool BuildUpdateRequestUrl(std::string_view base, std::string& url) {
  const std::size_t schemeLength = SchemePrefixLength(base);
  if (schemeLength == 0) {
    return false;
  }
  std::string_view authority = base.substr(schemeLength);
  if (authority.ends_with('/')) {
    authority.remove_suffix(1);
  }
  if (!IsPlainAuthority(authority)) {
    return false;
  }
  url.assign(base.substr(0, schemeLength)).append(authority).append(kLatestVersionPath);
  return true;
}

bool UpdateRequestUrlFromEnvironment(std::string& url) {
  const char* base = std::getenv(kUpdateUrlVariable);
  return base != nullptr && BuildUpdateRequestUrl(base, url);
}

std::string MakerSiteAddress() {
  std::string url;
  if (!UpdateRequestUrlFromEnvironment(url)) return {};
  url.resize(url.size() - std::string_view(kLatestVersionPath).size());
  return url;
}

}  // namespace orvane
