// Scripts arrive in design files and pasted text. Parsing must end in a
// verdict; a valid script must then apply at any player values, the compiled
// formulas agreeing with their text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "design/controls_script.h"
#include "design/player_controls.h"

namespace {

void CheckSliderFormulas(const orvane::ScriptControl& control) {
  for (const orvane::ScriptMapping& mapping : control.mappings) {
    if (!mapping.compiled.IsCompiled()) std::abort();
    for (const double x : {0.0, 12.5, 50.0, 99.75, 100.0}) {
      double fromText = 0.0;
      double compiled = 0.0;
      const orvane::FormulaError textError = orvane::EvaluateFormulaText(mapping.formula, x, true, fromText);
      if (mapping.compiled.Evaluate(x, compiled) != textError) std::abort();
      if (textError == orvane::FormulaError::kNone && !(compiled == fromText)) std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  orvane::ParsedControlsScript parsed;
  const bool valid = orvane::ParseUserControlsScript(text, parsed);
  if (valid != parsed.error.empty()) std::abort();
  if (!valid) {
    if (!parsed.controls.empty() || parsed.errorLine == 0) std::abort();
    return 0;
  }
  for (const orvane::ScriptControl& control : parsed.controls) {
    if (control.kind == orvane::kScriptSlider) CheckSliderFormulas(control);
  }
  const orvane::DnaBytes dna{};
  const orvane::AmpKnobs knobs{};
  const orvane::AmpSections sections{};
  for (const double value : {0.0, 1.0, 2.6, 50.0, 100.0, -7.0, 1e300}) {
    const std::vector<double> values(parsed.controls.size(), value);
    orvane::EngineSettings settings;
    std::string error;
    const bool applied = orvane::ApplyPlayerControlValues(parsed, values, dna, knobs, sections, settings, &error);
    if (applied != error.empty()) std::abort();
    for (const double knob : settings.knobs) {
      if (applied && !(knob >= 0.0 && knob <= 100.0)) std::abort();
    }
  }
  return 0;
}
