// The settings file is read at every start; whatever it holds, reading it must
// leave a whole theme and a date behind, never a crash.
#include <cstdint>
#include <string_view>

#include "plugin/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvane::ApplySettingsText(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
