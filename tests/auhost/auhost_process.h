#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace orvane::testing {

struct ProcessResult {
  int exitCode = -1;  // -1 when the program did not exit normally
  std::string out;
  std::string err;
  long peakResidentKilobytes = 0;  // the most memory the process held
};

// Runs a program to its end with the arguments, its output and error output
// captured in files under `scratch`.
ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::filesystem::path& scratch);

}  // namespace orvane::testing
