// Component description reader: any bytes give either a refusal with a reason
// and the record untouched, or a description the host can use.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "host/component_bundle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvane::host::ComponentInfo info;
  info.name = "untouched";
  std::string error;
  const bool parsed = orvane::host::ParseComponentInfo(std::string_view(reinterpret_cast<const char*>(data), size),
                                                       "fuzz input", info, error);
  if (!parsed) {
    if (error.empty() || info.name != "untouched") std::abort();
    return 0;
  }
  if (info.bundleIdentifier.empty() || info.factoryFunction.empty()) std::abort();
  if (info.executableName.find('/') != std::string::npos) std::abort();
  return 0;
}
