// The plug-in's whole state as the host keeps it: the state JSON document in
// a framed chunk, followed by the framework's parameter values.

#include <string>

#include <nlohmann/json.hpp>

#include "design/controls_script.h"
#include "plugin/orvane.h"
#include "plugin/state/state_chunk_format.h"

namespace orvane {

bool Orvane::WriteState(plugkit::IStateChunk& chunk) {
  PluginStateDocument document = CopyDocument();
  ParsedControlsScript script;
  if (ParseUserControlsScript(document.design.script, script)) {
    SeedPlayerValuesFromMidi(script, document.state.playerControlValues);
  }
  document.design.playerControlValues = document.state.playerControlValues;
  // Texts from outside (file names, paths, typed names) may not be valid
  // UTF-8; the state is saved with U+FFFD in their place rather than not at all.
  const std::string text =
      BuildPluginStateJson(document).dump(-1, ' ', /*ensure_ascii=*/false, nlohmann::json::error_handler_t::replace);
  if (!AppendStateChunkText(chunk, text)) return false;
  return WriteParamValues(chunk);
}

int Orvane::ReadState(const plugkit::IStateChunk& chunk, int startPos) {
  std::string text;
  int textEnd = 0;
  if (!ReadStateChunkText(chunk, startPos, text, textEnd)) return -1;
  nlohmann::json value;
  try {
    value = nlohmann::json::parse(text, nullptr, true, false);
  } catch (const nlohmann::json::exception&) {
    return -1;
  }
  PluginStateDocument fresh;
  std::string error;
  if (!ParsePluginStateJson(value, fresh, error)) return -1;
  const int end = ReadParamValues(chunk, textEnd);
  if (end < 0) return -1;
  ClearMidiCCSeenFlags();
  {
    std::lock_guard lock(mDesignMutex);
    mDocument = std::move(fresh);
    ParsedControlsScript script;
    ParseUserControlsScript(mDocument.design.script, script);
    FitPlayerValuesToScript(script, mDocument.state.playerControlValues);
    mDocument.design.playerControlValues = mDocument.state.playerControlValues;
    StoreLinearTrimGains(mDocument.design);
    mRenderer.SetAmpEnabled(mDocument.state.amplifierEnabled);
  }
  return end;
}

}  // namespace orvane
