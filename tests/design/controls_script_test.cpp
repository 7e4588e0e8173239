#include "design/controls_script.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

ParsedControlsScript Parse(const std::string& text) {
  ParsedControlsScript parsed;
  parsed.error = "stale";
  parsed.controls.resize(3);
  ParseUserControlsScript(text, parsed);
  return parsed;
}

struct ScriptErrorCase {
  const char* what;
  std::string script;
  std::string message;
  std::uint64_t line;
};

void PrintTo(const ScriptErrorCase& c, std::ostream* os) { *os << c.what; }

class ScriptErrors : public ::testing::TestWithParam<ScriptErrorCase> {};

TEST_P(ScriptErrors, ReportTheMessageAndLineAndKeepNoControls) {
  ParsedControlsScript parsed;
  parsed.controls.resize(2);
  EXPECT_FALSE(ParseUserControlsScript(GetParam().script, parsed));
  EXPECT_EQ(parsed.error, GetParam().message);
  EXPECT_EQ(parsed.errorLine, GetParam().line);
  EXPECT_TRUE(parsed.controls.empty());
}

const std::string kSlider = "slider: \"Drive\"\n";
const std::string kSwitch = "switch,3: \"Channel\", \"Clean\", \"Crunch\", \"Lead\"\n";

INSTANTIATE_TEST_SUITE_P(
    Messages, ScriptErrors,
    ::testing::Values(
        ScriptErrorCase{"slider without colon", "slider \"Drive\"", "Expected ':' after slider declaration", 1},
        ScriptErrorCase{"sliders word", "sliders: \"Drive\"", "Expected ':' after slider declaration", 1},
        ScriptErrorCase{"switch without colon", "switch,2 \"A\"", "Expected ':' after switch declaration", 1},
        ScriptErrorCase{"switch count of 1", "switch,1: \"A\", \"x\"", "Switch must have at least two positions", 1},
        ScriptErrorCase{"switch count with letters", "switch,3a: \"A\"", "Switch must have at least two positions", 1},
        ScriptErrorCase{"switch count missing", "switch,: \"A\"", "Invalid switch position count", 1},
        ScriptErrorCase{"switch count too large for int", "switch,99999999999: \"A\"", "Invalid switch position count",
                        1},
        ScriptErrorCase{"name unquoted", "slider: Drive", "Control name must be enclosed in double quotes", 1},
        ScriptErrorCase{"name unclosed", "slider: \"Drive", "Control name must be enclosed in double quotes", 1},
        ScriptErrorCase{"name empty", "slider: \"\"", "Control name must be enclosed in double quotes", 1},
        ScriptErrorCase{"name blank", "slider: \"  \t \"", "Control name must be enclosed in double quotes", 1},
        ScriptErrorCase{"name ends in backslash", "slider: \"Drive\\", "Control name must be enclosed in double quotes",
                        1},
        ScriptErrorCase{"text after slider name", "slider: \"Drive\" x", "Unexpected text after control name", 1},
        ScriptErrorCase{"text after switch name", "switch,2: \"Amp\" \"A\"", "Unexpected text after control name", 1},
        ScriptErrorCase{"switch list ends with comma", "switch,2: \"Amp\", \"A\", \"B\",",
                        "Switch position names must be non-empty quoted strings", 1},
        ScriptErrorCase{"switch position blank", "switch,2: \"Amp\", \"A\", \" \"",
                        "Switch position names must be non-empty quoted strings", 1},
        ScriptErrorCase{"switch positions not comma separated", "switch,2: \"Amp\", \"A\" \"B\"",
                        "Switch position names must be comma-separated", 1},
        ScriptErrorCase{"switch ends after name", "switch,2: \"Amp\"",
                        "Switch must provide one position name per position", 1},
        ScriptErrorCase{"switch with too few names", "switch,2147483647: \"Amp\", \"A\", \"B\"",
                        "Switch must provide one position name per position", 1},
        ScriptErrorCase{"cc before any control", "# lead\n[cc7]", "MIDI CC assignment must follow a control declaration",
                        2},
        ScriptErrorCase{"cc only letters", kSlider + "[cc]", "Expected MIDI assignment in the form [ccN]", 2},
        ScriptErrorCase{"cc other prefix", kSlider + "[pc7]", "Expected MIDI assignment in the form [ccN]", 2},
        ScriptErrorCase{"cc 128", kSlider + "[cc128]", "MIDI CC must be between 0 and 127", 2},
        ScriptErrorCase{"cc -1", kSlider + "[cc-1]", "MIDI CC must be between 0 and 127", 2},
        ScriptErrorCase{"cc number then letter", kSlider + "[cc7a]", "MIDI CC must be between 0 and 127", 2},
        ScriptErrorCase{"cc letters", kSlider + "[ccab]", "Invalid MIDI CC number", 2},
        ScriptErrorCase{"cc twice", kSlider + "[cc7]\n[cc8]", "A control can have only one MIDI CC assignment", 3},
        ScriptErrorCase{"mapping before any control", "gain = x", "Mapping must follow a control declaration", 1},
        ScriptErrorCase{"mapping without equals", kSlider + "gain x", "Expected a target = formula mapping", 2},
        ScriptErrorCase{"unclosed bracket is a mapping", kSlider + "[cc7", "Expected a target = formula mapping", 2},
        ScriptErrorCase{"switch word with blank is a mapping", "switch 2: \"A\"",
                        "Mapping must follow a control declaration", 1},
        ScriptErrorCase{"mapping without value", kSlider + "gain =", "Mapping target and value are required", 2},
        ScriptErrorCase{"mapping without target", kSlider + " = x", "Mapping target and value are required", 2},
        ScriptErrorCase{"dna73", kSlider + "dna73 = x", "DNA target index must be between 0 and 72", 2},
        ScriptErrorCase{"dna-1", kSlider + "dna-1 = x", "DNA target index must be between 0 and 72", 2},
        ScriptErrorCase{"dna5x", kSlider + "dna5x = x", "DNA target index must be between 0 and 72", 2},
        ScriptErrorCase{"dna without number", kSlider + "dna = x", "Invalid DNA target index", 2},
        ScriptErrorCase{"unknown target", kSlider + "Gain = x",
                        "Unknown target; use dna0\xE2\x80\x93"
                        "dna72, an amp knob name, or a section name",
                        2},
        ScriptErrorCase{"json section name is not a target", kSlider + "toneStack = x",
                        "Unknown target; use dna0\xE2\x80\x93"
                        "dna72, an amp knob name, or a section name",
                        2},
        ScriptErrorCase{"slider divides by zero", kSlider + "gain = 100 / x",
                        "Invalid slider formula: Division by zero in formula", 2},
        ScriptErrorCase{"comment after formula", kSlider + "gain = x # half",
                        "Invalid slider formula: Unexpected character in formula", 2},
        ScriptErrorCase{"slider formula fails late", kSlider + "gain = 1 / (x - 100)",
                        "Invalid slider formula: Division by zero in formula", 2},
        ScriptErrorCase{"switch value empty", kSwitch + "gain = 1,,3",
                        "Switch values must be non-empty and comma-separated", 2},
        ScriptErrorCase{"switch value trailing comma", kSwitch + "gain = 1, 2, 3,",
                        "Switch values must be non-empty and comma-separated", 2},
        ScriptErrorCase{"switch value in x", kSwitch + "gain = 1, x, 3",
                        "Invalid switch value: Switch values must be numeric constants", 2},
        ScriptErrorCase{"switch value not finite", kSwitch + "gain = 1, 2, 1e400",
                        "Invalid switch value: Formula result must be finite", 2},
        ScriptErrorCase{"switch with too few values", kSwitch + "gain = 1, 2",
                        "Switch mapping must provide one value per position", 2},
        ScriptErrorCase{"error on line five", kSlider + "\n# note\n  gain = x\nbass = )", "Invalid slider formula: "
                        "Expected a number, 'x', or parenthesized expression", 5}));

TEST(ControlsScript, EmptyAndCommentOnlyScriptsAreValid) {
  for (const std::string text : {"", "\n\n", "# only a comment\n   # another\r\n", "\t\r"}) {
    const ParsedControlsScript parsed = Parse(text);
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.errorLine, 0u);
    EXPECT_TRUE(parsed.controls.empty());
  }
}

TEST(ControlsScript, ReadsControlsMidiAndMappings) {
  const ParsedControlsScript parsed = Parse(
      "slider: \"Dr\\\"ive\\n\"  \r\n"
      "[cc 7]\n"
      "gain = x\n"
      "dna 5 = x * 2.55\n"
      "  switch, 3 : \"Channel\" , \"Clean\",\"Crunch\" ,  \"Lead\\\\\"\n"
      "poweramp = 0, 1, 1\n"
      "[cc+0]\n"
      "presence=50,  (1+2)*10 ,-4\n");
  ASSERT_EQ(parsed.error, "");
  ASSERT_EQ(parsed.controls.size(), 2u);

  const ScriptControl& slider = parsed.controls[0];
  EXPECT_EQ(slider.kind, kScriptSlider);
  EXPECT_EQ(slider.name, "Dr\"ive");
  EXPECT_TRUE(slider.hasMidiCC);
  EXPECT_EQ(slider.midiCC, 7);
  ASSERT_EQ(slider.mappings.size(), 2u);
  EXPECT_EQ(slider.mappings[0].targetKind, kTargetKnob);
  EXPECT_EQ(slider.mappings[0].targetIndex, 0);
  EXPECT_EQ(slider.mappings[0].line, 3u);
  EXPECT_EQ(slider.mappings[1].targetKind, kTargetDna);
  EXPECT_EQ(slider.mappings[1].targetIndex, 5);
  EXPECT_EQ(slider.mappings[1].formula, "x * 2.55");
  EXPECT_TRUE(slider.mappings[1].compiled.IsCompiled());

  const ScriptControl& channel = parsed.controls[1];
  EXPECT_EQ(channel.kind, kScriptSwitch);
  EXPECT_EQ(channel.name, "Channel");
  EXPECT_EQ(channel.positionCount, 3);
  EXPECT_EQ(channel.positionNames, (std::vector<std::string>{"Clean", "Crunch", "Lead\\"}));
  EXPECT_TRUE(channel.hasMidiCC);
  EXPECT_EQ(channel.midiCC, 0);
  ASSERT_EQ(channel.mappings.size(), 2u);
  EXPECT_EQ(channel.mappings[0].targetKind, kTargetSection);
  EXPECT_EQ(channel.mappings[0].targetIndex, 5);
  EXPECT_EQ(channel.mappings[0].formula, "0, 1, 1");
  EXPECT_EQ(channel.mappings[1].switchValues, (std::vector<double>{50, 30, -4}));
  EXPECT_EQ(channel.mappings[1].line, 8u);
}

TEST(ControlsScript, DuplicatesAreLeftToTheMapping) {
  const ParsedControlsScript parsed = Parse(
      "slider: \"A\"\n[cc1]\ngain = x\ngain = 100 - x\n"
      "slider: \"A\"\n[cc1]\ngain = 3\n");
  EXPECT_EQ(parsed.error, "");
  EXPECT_EQ(parsed.controls.size(), 2u);
}

TEST(ControlsScript, EveryTargetNameIsKnown) {
  const char* targets[] = {"gain",    "bass",    "mid",     "treble",  "master",    "resonance", "presence",
                           "preamp1", "preamp2", "preamp3", "preamp4", "tonestack", "poweramp",  "dna0",
                           "dna72"};
  std::string script = kSlider;
  for (const char* target : targets) script += std::string(target) + " = x\n";
  const ParsedControlsScript parsed = Parse(script);
  ASSERT_EQ(parsed.error, "");
  ASSERT_EQ(parsed.controls[0].mappings.size(), std::size(targets));
  EXPECT_EQ(parsed.controls[0].mappings[11].targetKind, kTargetSection);
  EXPECT_EQ(parsed.controls[0].mappings[11].targetIndex, 4);
  EXPECT_EQ(parsed.controls[0].mappings[14].targetIndex, 72);
}

}  // namespace
}  // namespace orvane
