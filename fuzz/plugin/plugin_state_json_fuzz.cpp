// A host hands back whatever state chunk it stored; the JSON inside must be
// refused with an error or read into a document that writes and reads back
// the same, never crash.
#include <cstdint>
#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "plugin/state/plugin_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto text = std::string(reinterpret_cast<const char*>(data), size);
  // Strict, as the state chunk reads it: one value, no comments.
  const nlohmann::json value = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (value.is_discarded()) return 0;

  orvane::PluginStateDocument document;
  std::string error;
  if (!orvane::ParsePluginStateJson(value, document, error)) {
    if (error.empty()) std::abort();  // every refusal says why
    return 0;
  }
  if (!error.empty()) std::abort();

  orvane::PluginStateDocument reread;
  const std::string written = orvane::BuildPluginStateJson(document).dump();
  if (!orvane::ParsePluginStateJson(nlohmann::json::parse(written), reread, error)) std::abort();
  // A baseline that is not kept is a fresh record stamped with the time.
  if (!document.state.hasPresetBaseline) reread.state.presetBaseline = document.state.presetBaseline;
  if (!(reread == document)) std::abort();
  return 0;
}
