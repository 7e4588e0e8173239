#pragma once

// The files auhost writes for the user: each replaces the old one whole, so a
// failed write leaves the previous file as it was.

#include <string>
#include <string_view>

#include "common/replace_file.h"
#include "host/auhost_failure.h"

namespace orvane::auhost {

// Replaces the file at path with bytes; throws Failure(code) with
// "cannot write <what> <path>: <reason>" when that fails.
void ReplaceOutputFile(const std::string& path, std::string_view bytes, ExitCode code, const std::string& what);

// Throws that Failure unless `result` says the file was replaced.
void RequireReplaced(plugkit::EReplaceFileResult result, const std::string& path, ExitCode code,
                     const std::string& what);

}  // namespace orvane::auhost
