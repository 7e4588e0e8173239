#pragma once

// Declaring bundles in tests and the host.

#include <CoreFoundation/CFBundle.h>

#include <map>
#include <string>
#include <string_view>

namespace standin::testing {

// Registers the bundle folder under the identifier its Info.plist gives,
// replacing any bundle registered under that identifier. Null when the folder
// does not exist.
CFBundleRef RegisterBundle(const std::string& folder);

// The host application's bundle: the executable's folder with this identifier and version.
void SetMainBundle(const std::string& identifier, const std::string& version);
void ClearMainBundle();

// The top-level key/string pairs of an XML property list. False (and no
// entries) when the text is not a well-formed property list with a dictionary
// at its root, with the reason in `reason` when one is given; values of other
// kinds are skipped. A character XML does not allow (a NUL byte among them)
// makes the list malformed rather than cutting a string short.
bool ParseInfoPlist(std::string_view text, std::map<std::string, std::string>& entries,
                    std::string* reason = nullptr);

}  // namespace standin::testing
