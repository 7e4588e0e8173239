#include "design/player_controls.h"

#include <algorithm>
#include <cmath>

namespace orvane {
namespace {

constexpr char kValuesDoNotMatch[] = "Player control values do not match the parsed script";
constexpr char kValueNotFinite[] = "Player control value must be finite";
constexpr char kMissingSwitchValue[] = "Missing switch value";

constexpr double kTargetMax = 100.0;  // every target value is a percentage
constexpr double kByteMax = 255.0;
constexpr int kMidiValueMax = 127;
constexpr std::int64_t kMidiValueSteps = 128;

// Describes a failure only when the caller asked for a description.
bool Fail(std::string* error, const char* message) {
  if (error != nullptr) *error = message;
  return false;
}

bool FailOnLine(std::string* error, std::uint64_t line, const char* message) {
  if (error != nullptr) *error = "Line " + std::to_string(line) + ": " + message;
  return false;
}

// Position of a switch for player value v: nearest (halves away from zero),
// limited in double so that huge values cannot overflow the conversion.
int SwitchPosition(double value, std::int32_t positionCount) {
  const double last = std::max<double>(positionCount - 1, 0.0);
  return static_cast<int>(std::clamp(std::round(value), 0.0, last));
}

// The position-th comma-separated piece of a switch's value list, evaluated as
// a constant; nullptr on success, else the failure's message.
const char* SwitchPieceValue(const std::string& valueList, int position, double& result) {
  if (position < 0) return kMissingSwitchValue;
  std::size_t start = 0;
  for (int i = 0; i < position; ++i) {
    const std::size_t comma = valueList.find(',', start);
    if (comma == std::string::npos) return kMissingSwitchValue;
    start = comma + 1;
  }
  const std::size_t end = std::min(valueList.find(',', start), valueList.size());
  const FormulaError error = EvaluateFormulaText(valueList.substr(start, end - start), 0.0, false, result);
  return error == FormulaError::kNone ? nullptr : FormulaErrorMessage(error);
}

const char* MessageOf(FormulaError error) {
  return error == FormulaError::kNone ? nullptr : FormulaErrorMessage(error);
}

// The value of one mapping from the forms the parser prepared, or from the
// text for a mapping built by other means; nullptr on success, else the
// failure's message.
const char* MappingValue(const ScriptControl& control, const ScriptMapping& mapping, double value, double& result) {
  if (control.kind == kScriptSlider) {
    const double x = std::clamp(value, kSliderMinValue, kSliderMaxValue);
    if (mapping.compiled.IsCompiled()) return MessageOf(mapping.compiled.Evaluate(x, result));
    return MessageOf(EvaluateFormulaText(mapping.formula, x, true, result));
  }
  const int position = SwitchPosition(value, control.positionCount);
  if (mapping.switchValues.empty()) return SwitchPieceValue(mapping.formula, position, result);
  if (static_cast<std::size_t>(position) >= mapping.switchValues.size()) return kMissingSwitchValue;
  result = mapping.switchValues[position];
  return nullptr;
}

void WriteTarget(const ScriptMapping& mapping, double result, EngineSettings& out) {
  const int index = mapping.targetIndex;
  switch (mapping.targetKind) {
    case kTargetDna:
      if (index >= 0 && index < static_cast<int>(kDnaSize)) {
        const double byte = std::round(std::clamp(result, 0.0, kTargetMax) * kByteMax / kTargetMax);
        out.dna[index] = static_cast<std::uint8_t>(byte);
      }
      break;
    case kTargetKnob:
      if (index >= 0 && index < static_cast<int>(kAmpKnobCount)) out.knobs[index] = std::clamp(result, 0.0, kTargetMax);
      break;
    case kTargetSection:
      if (index >= 0 && index < static_cast<int>(kAmpSectionCount)) out.sections[index] = result > 0.0;
      break;
    default: break;
  }
}

}  // namespace

bool ApplyPlayerControlValues(const ParsedControlsScript& script, std::span<const double> values,
                              const DnaBytes& dna, const AmpKnobs& knobs, const AmpSections& sections,
                              EngineSettings& out, std::string* error) {
  if (!script.error.empty()) {
    if (error != nullptr) *error = script.error;
    return false;
  }
  if (values.size() != script.controls.size()) return Fail(error, kValuesDoNotMatch);
  out.dna = dna;
  out.knobs = knobs;
  out.sections = sections;
  for (std::size_t i = 0; i < script.controls.size(); ++i) {
    const ScriptControl& control = script.controls[i];
    const double value = values[i];
    if (!std::isfinite(value)) return Fail(error, kValueNotFinite);
    for (const ScriptMapping& mapping : control.mappings) {
      double result = 0.0;
      const char* failure = MappingValue(control, mapping, value, result);
      if (failure != nullptr) return FailOnLine(error, mapping.line, failure);
      WriteTarget(mapping, result, out);
    }
  }
  if (error != nullptr) error->clear();
  return true;
}

bool SwitchValueAt(const std::string& valueList, int position, double& result, std::string& error) {
  const char* failure = SwitchPieceValue(valueList, position, result);
  if (failure != nullptr) {
    error = failure;
    return false;
  }
  error.clear();
  return true;
}

double PlayerValueFromMidi(const ScriptControl& control, int midiValue) {
  const std::int64_t value = std::clamp(midiValue, 0, kMidiValueMax);
  if (control.kind == kScriptSlider) return std::round(static_cast<double>(value) * kSliderMaxValue / kMidiValueMax);
  const std::int64_t positions = control.positionCount;
  if (positions < 1) return 0.0;
  return static_cast<double>(std::min(positions * value / kMidiValueSteps, positions - 1));
}

}  // namespace orvane
