// Design files come from anywhere: whatever they hold, reading must end in a
// verdict, and an accepted design must survive being written and read again.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "design/design_file.h"
#include "design/design_json.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  orvane::Design design;
  design.name = "untouched";
  const orvane::Design before = design;
  std::string error;
  if (!orvane::ReadDesignStream(in, design, error)) {
    if (error.empty() || !(design == before)) std::abort();
    return 0;
  }
  if (!error.empty()) std::abort();
  orvane::Design again;
  if (!orvane::ParseDesignJson(orvane::BuildDesignJson(design), again, error) || !(again == design)) std::abort();
  return 0;
}
