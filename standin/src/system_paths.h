#pragma once

// Where the stand-ins find the platform's own files.

#include <string>

namespace standin::foundation {

// An absolute path under "/System/Library/" lies below the machine-domain root
// (standin/testing/environment.h); any other path is its own place.
std::string SystemFilePath(const std::string& path);

}  // namespace standin::foundation
