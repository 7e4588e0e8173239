#pragma once

// Why the user's file cannot be read or written, in auhost's words, from the
// system's own answer about the path. Main thread.

#include <fstream>
#include <string>

#include "host/auhost_failure.h"

namespace orvane::auhost {

// "no such file", "permission denied", "it is a folder", ...; empty when the
// file opens for reading.
std::string ReadingProblem(const std::string& path);

// The file opened for reading in binary; throws Failure(code) with "cannot
// read WHAT PATH: " and the reason when it cannot be.
std::ifstream OpenForReading(const std::string& path, ExitCode code, const std::string& what);

// "it is a folder" or "its folder F does not exist", ...; empty when nothing
// that the system can tell before the attempt stands in the way.
std::string WritingProblem(const std::string& path);

}  // namespace orvane::auhost
