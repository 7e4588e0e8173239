// Pasted DNA text is whatever the user copied: read as a preamp stage, a
// power amp and a tone stack, an accepted text gives exactly that many bytes,
// and their written form reads back as the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "editor/dna_clipboard_text.h"
#include "editor/section_presets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const int count : {orvane::kPreampRowsPerStage, orvane::kPowerAmpDnaCount, orvane::kToneStackDnaCount}) {
    const auto bytes = orvane::ReadDnaSectionText(text, count);
    if (!bytes) continue;
    if (bytes->size() != static_cast<std::size_t>(count)) std::abort();
    if (orvane::ReadDnaSectionText(orvane::DnaSectionText(*bytes), count) != bytes) std::abort();
  }
  return 0;
}
