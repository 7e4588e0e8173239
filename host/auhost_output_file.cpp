#include "host/auhost_output_file.h"

#include "common/replace_file.h"

namespace orvane::auhost {

void ReplaceOutputFile(const std::string& path, std::string_view bytes, ExitCode code, const std::string& what) {
  RequireReplaced(plugkit::ReplaceFileContents(path, bytes), path, code, what);
}

void RequireReplaced(plugkit::EReplaceFileResult result, const std::string& path, ExitCode code,
                     const std::string& what) {
  const char* reason = nullptr;
  switch (result) {
    case plugkit::EReplaceFileResult::kReplaced:
      return;
    case plugkit::EReplaceFileResult::kCouldNotCreate:
      reason = "the file is write-protected or its folder cannot take a new file";
      break;
    case plugkit::EReplaceFileResult::kCouldNotWrite:
      reason = "the bytes could not be written in full (the previous file is unchanged)";
      break;
  }
  throw Failure(code, "cannot write " + what + " " + path + ": " + reason);
}

}  // namespace orvane::auhost
