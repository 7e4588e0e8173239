#include "design/controls_script.h"

#include <algorithm>
#include <array>
#include <climits>
#include <string_view>

#include "engine/engine_settings.h"

namespace orvane {
namespace {

constexpr std::string_view kTrimmed = " \t\r\n";
constexpr std::string_view kSliderKeyword = "slider";
constexpr std::string_view kSwitchKeyword = "switch,";
constexpr std::string_view kCcPrefix = "cc";
constexpr std::string_view kDnaPrefix = "dna";
constexpr char kCommentStart = '#';
constexpr int kMinSwitchPositions = 2;
constexpr int kMaxMidiCC = 127;
constexpr int kSliderMin = 0;
constexpr int kSliderMax = 100;

constexpr std::array<std::string_view, kAmpKnobCount> kKnobTargets = {
    "gain", "bass", "mid", "treble", "master", "resonance", "presence"};
constexpr std::array<std::string_view, kAmpSectionCount> kSectionTargets = {
    "preamp1", "preamp2", "preamp3", "preamp4", "tonestack", "poweramp"};

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kTrimmed);
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(kTrimmed);
  return text.substr(first, last - first + 1);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

void SkipBlanks(std::string_view text, std::size_t& pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
}

enum class IntRead { kOk, kUnreadable, kTrailing };

// Base-10 integer read the way std::stoi reads it (leading white space and a
// sign allowed, must fit an int), without exceptions.
IntRead ReadDecimalInt(std::string_view text, int& value) {
  std::size_t pos = 0;
  while (pos < text.size() && IsCSpace(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  const std::size_t digitsStart = pos;
  constexpr long long kMagnitudeLimit = static_cast<long long>(INT_MAX) + 1;
  long long magnitude = 0;
  bool tooLarge = false;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    if (!tooLarge) {
      magnitude = magnitude * 10 + (text[pos] - '0');
      tooLarge = magnitude > kMagnitudeLimit;
    }
    ++pos;
  }
  if (pos == digitsStart) return IntRead::kUnreadable;
  const long long signedValue = negative ? -magnitude : magnitude;
  if (tooLarge || signedValue > INT_MAX || signedValue < INT_MIN) return IntRead::kUnreadable;
  value = static_cast<int>(signedValue);
  return pos == text.size() ? IntRead::kOk : IntRead::kTrailing;
}

// A double-quoted string from `pos` (blanks before it skipped). A backslash
// takes the next character literally, except that \n is a line feed. Fails
// when the quotes are missing or unclosed or the content is blank; the
// result is the content trimmed.
bool ReadQuoted(std::string_view text, std::size_t& pos, std::string& out) {
  SkipBlanks(text, pos);
  if (pos >= text.size() || text[pos] != '"') return false;
  ++pos;
  std::string content;
  for (;;) {
    if (pos >= text.size()) return false;
    const char c = text[pos++];
    if (c == '"') break;
    if (c == '\\' && pos < text.size()) {
      const char escaped = text[pos++];
      content.push_back(escaped == 'n' ? '\n' : escaped);
    } else {
      content.push_back(c);
    }
  }
  const std::string_view name = Trim(content);
  if (name.empty()) return false;
  out.assign(name);
  return true;
}

class ScriptParser {
public:
  explicit ScriptParser(ParsedControlsScript& out) : mOut(out) {}

  // False with mError set when the line breaks a rule.
  bool ParseLine(std::string_view line, std::uint64_t lineNumber) {
    if (line.empty() || line.front() == kCommentStart) return true;
    if (line.starts_with(kSliderKeyword)) return ParseSlider(line.substr(kSliderKeyword.size()));
    if (line.starts_with(kSwitchKeyword)) return ParseSwitch(line);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      return ParseMidiAssignment(line.substr(1, line.size() - 2));
    }
    return ParseMapping(line, lineNumber);
  }

  const std::string& Error() const { return mError; }

private:
  bool Fail(std::string message) {
    mError = std::move(message);
    return false;
  }

  ScriptControl* Current() { return mOut.controls.empty() ? nullptr : &mOut.controls.back(); }

  bool ParseSlider(std::string_view rest) {
    rest = Trim(rest);
    if (rest.empty() || rest.front() != ':') return Fail("Expected ':' after slider declaration");
    const std::string_view namePart = rest.substr(1);
    ScriptControl control;
    control.kind = kScriptSlider;
    std::size_t pos = 0;
    if (!ReadQuoted(namePart, pos, control.name)) return Fail("Control name must be enclosed in double quotes");
    SkipBlanks(namePart, pos);
    if (pos != namePart.size()) return Fail("Unexpected text after control name");
    mOut.controls.push_back(std::move(control));
    return true;
  }

  bool ParseSwitch(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return Fail("Expected ':' after switch declaration");
    const std::string_view countText = Trim(line.substr(kSwitchKeyword.size(), colon - kSwitchKeyword.size()));
    int count = 0;
    const IntRead read = ReadDecimalInt(countText, count);
    if (read == IntRead::kUnreadable) return Fail("Invalid switch position count");
    if (read == IntRead::kTrailing || count < kMinSwitchPositions) {
      return Fail("Switch must have at least two positions");
    }
    const std::string_view namePart = line.substr(colon + 1);
    ScriptControl control;
    control.kind = kScriptSwitch;
    control.positionCount = count;
    std::size_t pos = 0;
    if (!ReadQuoted(namePart, pos, control.name)) return Fail("Control name must be enclosed in double quotes");
    SkipBlanks(namePart, pos);
    if (pos != namePart.size()) {
      if (namePart[pos] != ',') return Fail("Unexpected text after control name");
      ++pos;
      // The names are counted as they come: the declared count is never
      // trusted to size anything.
      for (;;) {
        std::string positionName;
        if (!ReadQuoted(namePart, pos, positionName)) {
          return Fail("Switch position names must be non-empty quoted strings");
        }
        control.positionNames.push_back(std::move(positionName));
        SkipBlanks(namePart, pos);
        if (pos == namePart.size()) break;
        if (namePart[pos] != ',') return Fail("Switch position names must be comma-separated");
        ++pos;
      }
    }
    if (control.positionNames.size() != static_cast<std::size_t>(count)) {
      return Fail("Switch must provide one position name per position");
    }
    mOut.controls.push_back(std::move(control));
    return true;
  }

  bool ParseMidiAssignment(std::string_view inner) {
    ScriptControl* control = Current();
    if (control == nullptr) return Fail("MIDI CC assignment must follow a control declaration");
    if (inner.size() < 3 || !inner.starts_with(kCcPrefix)) return Fail("Expected MIDI assignment in the form [ccN]");
    int cc = 0;
    const IntRead read = ReadDecimalInt(inner.substr(kCcPrefix.size()), cc);
    if (read == IntRead::kUnreadable) return Fail("Invalid MIDI CC number");
    if (read == IntRead::kTrailing || cc < 0 || cc > kMaxMidiCC) return Fail("MIDI CC must be between 0 and 127");
    if (control->hasMidiCC) return Fail("A control can have only one MIDI CC assignment");
    control->midiCC = cc;
    control->hasMidiCC = true;
    return true;
  }

  bool ParseMapping(std::string_view line, std::uint64_t lineNumber) {
    ScriptControl* control = Current();
    if (control == nullptr) return Fail("Mapping must follow a control declaration");
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return Fail("Expected a target = formula mapping");
    const std::string_view target = Trim(line.substr(0, equals));
    const std::string_view value = Trim(line.substr(equals + 1));
    if (target.empty() || value.empty()) return Fail("Mapping target and value are required");

    ScriptMapping mapping;
    mapping.line = lineNumber;
    mapping.formula.assign(value);
    if (!ParseTarget(target, mapping)) return false;
    const bool valueRead =
        control->kind == kScriptSlider ? ParseSliderValue(mapping) : ParseSwitchValues(*control, mapping);
    if (!valueRead) return false;
    control->mappings.push_back(std::move(mapping));
    return true;
  }

  bool ParseTarget(std::string_view target, ScriptMapping& mapping) {
    if (target.starts_with(kDnaPrefix)) {
      int index = 0;
      const IntRead read = ReadDecimalInt(target.substr(kDnaPrefix.size()), index);
      if (read == IntRead::kUnreadable) return Fail("Invalid DNA target index");
      if (read == IntRead::kTrailing || index < 0 || index >= static_cast<int>(kDnaSize)) {
        return Fail("DNA target index must be between 0 and 72");
      }
      mapping.targetKind = kTargetDna;
      mapping.targetIndex = index;
      return true;
    }
    for (std::size_t i = 0; i < kKnobTargets.size(); ++i) {
      if (target == kKnobTargets[i]) {
        mapping.targetKind = kTargetKnob;
        mapping.targetIndex = static_cast<int>(i);
        return true;
      }
    }
    for (std::size_t i = 0; i < kSectionTargets.size(); ++i) {
      if (target == kSectionTargets[i]) {
        mapping.targetKind = kTargetSection;
        mapping.targetIndex = static_cast<int>(i);
        return true;
      }
    }
    return Fail("Unknown target; use dna0\u2013dna72, an amp knob name, or a section name");
  }

  // A slider formula must hold at every whole position of the slider.
  bool ParseSliderValue(ScriptMapping& mapping) {
    for (int x = kSliderMin; x <= kSliderMax; ++x) {
      double result = 0.0;
      const FormulaError error = EvaluateFormulaText(mapping.formula, x, true, result);
      if (error != FormulaError::kNone) return Fail(std::string("Invalid slider formula: ") + FormulaErrorMessage(error));
    }
    const FormulaError error = CompiledFormula::Compile(mapping.formula, true, mapping.compiled);
    if (error != FormulaError::kNone) return Fail(std::string("Invalid slider formula: ") + FormulaErrorMessage(error));
    return true;
  }

  bool ParseSwitchValues(const ScriptControl& control, ScriptMapping& mapping) {
    std::string_view rest = mapping.formula;
    for (;;) {
      const std::size_t comma = rest.find(',');
      const std::string piece(Trim(rest.substr(0, comma)));
      if (piece.empty()) return Fail("Switch values must be non-empty and comma-separated");
      double value = 0.0;
      const FormulaError error = EvaluateFormulaText(piece, 0.0, false, value);
      if (error != FormulaError::kNone) return Fail(std::string("Invalid switch value: ") + FormulaErrorMessage(error));
      mapping.switchValues.push_back(value);
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
    if (mapping.switchValues.size() != static_cast<std::size_t>(control.positionCount)) {
      return Fail("Switch mapping must provide one value per position");
    }
    return true;
  }

  ParsedControlsScript& mOut;
  std::string mError;
};

}  // namespace

bool ParseUserControlsScript(const std::string& text, ParsedControlsScript& out) {
  ParsedControlsScript parsed;
  ScriptParser parser(parsed);
  const std::string_view all = text;
  std::uint64_t lineNumber = 0;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = std::min(all.find('\n', start), all.size());
    ++lineNumber;
    if (!parser.ParseLine(Trim(all.substr(start, end - start)), lineNumber)) {
      out.controls.clear();
      out.errorLine = lineNumber;
      out.error = parser.Error();
      return false;
    }
    if (end == all.size()) break;
    start = end + 1;
  }
  out = std::move(parsed);
  return true;
}

}  // namespace orvane
