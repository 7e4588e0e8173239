#pragma once

#include <string>
#include <string_view>

namespace orvane {

// The environment variable that names the update server as a base address
// "scheme://host[:port]" (http or https). No address is built in: unset or
// empty means the update check makes no request.
inline constexpr char kUpdateUrlVariable[] = "ORVANE_UPDATE_URL";

// The path the latest-version answer is fetched from, after the base address.
inline constexpr char kLatestVersionPath[] = "/downloads/latest_version.json";

// Builds the request address from a base address. False (url untouched) when
// the base is empty, not http or https, has no host, or carries a path, query,
// fragment, user part or white space. One trailing "/" is tolerated.
bool BuildUpdateRequestUrl(std::string_view base, std::string& url);

// The request address from kUpdateUrlVariable; false when there is none to use.
bool UpdateRequestUrlFromEnvironment(std::string& url);

// The maker's site, where the update notice and the editor's logo send the
// user: the origin of the kUpdateUrlVariable address, the server that also
// publishes the versions; empty when there is none to use.
std::string MakerSiteAddress();

}  // namespace orvane
