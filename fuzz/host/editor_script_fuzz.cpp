// Editor scripts come from users: any bytes give either a step list or one
// "script line N" refusal whose N is a line of the input, and never both.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "host/editor_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const orvane::host::ScriptReading reading = orvane::host::ReadEditorScript(text);
  const long lines = static_cast<long>(std::count(text.begin(), text.end(), '\n')) + 1;
  if (reading.error) {
    if (!reading.steps.empty() || reading.error->reason.empty()) std::abort();
    if (reading.error->line < 1 || reading.error->line > lines) std::abort();
    const std::string prefix = "script line " + std::to_string(reading.error->line) + ": ";
    if (reading.error->Message().rfind(prefix, 0) != 0) std::abort();
    return 0;
  }
  int previous = 0;
  for (const orvane::host::ScriptLine& line : reading.steps) {
    if (line.number <= previous || line.number > lines) std::abort();
    previous = line.number;
  }
  return 0;
}
