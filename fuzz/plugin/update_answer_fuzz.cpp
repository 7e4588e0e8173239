// The update check's answer comes from the network: whatever it holds, the
// parser must return a verdict and, on success, a short version text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "plugin/update_answer.h"
#include "plugin/version_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  std::string version;
  if (orvane::ParseUpdateAnswer(body, version)) {
    if (version.empty() || version.size() > orvane::kMaxAnswerVersionLength) {
      std::abort();
    }
    orvane::VersionList pieces;
    if (orvane::ParseVersionString(version, pieces) && pieces.size() > orvane::kMaxVersionPieces) {
      std::abort();
    }
  }
  return 0;
}
