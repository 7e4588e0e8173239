#pragma once

// Design files (".orv"): one design document as JSON text, indented by two
// spaces and ended by one line feed.

#include <istream>
#include <string>

#include "design/design.h"

namespace orvane {

inline constexpr char kDesignFileExtension[] = "orv";

// On failure `out` is untouched and `error` says why.
bool ReadDesignFile(const std::string& path, Design& out, std::string& error);

// The reading step of ReadDesignFile on an open stream: one JSON value (what
// follows it is not examined), then the document check.
bool ReadDesignStream(std::istream& in, Design& out, std::string& error);

// Replaces the file as a whole: the old content survives any failure.
bool WriteDesignFile(const std::string& path, const Design& design, std::string& error);

}  // namespace orvane
