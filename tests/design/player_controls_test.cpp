#include "design/player_controls.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "support/alloc_counter.h"

namespace orvane {
namespace {

ParsedControlsScript ParseValid(const std::string& text) {
  ParsedControlsScript parsed;
  EXPECT_TRUE(ParseUserControlsScript(text, parsed)) << parsed.error;
  return parsed;
}

struct AmpInputs {
  DnaBytes dna{};
  AmpKnobs knobs = {10, 20, 30, 40, 50, 60, 70};
  AmpSections sections = {true, true, true, true, true, true};
};

class ApplyPlayerControls : public ::testing::Test {
protected:
  bool Apply(const ParsedControlsScript& script, const std::vector<double>& values) {
    out.oversampling = 4;
    out.toneStackPosition = 3;
    return ApplyPlayerControlValues(script, values, amp.dna, amp.knobs, amp.sections, out, &error);
  }

  AmpInputs amp;
  EngineSettings out;
  std::string error = "stale";
};

const std::string kScript =
    "slider: \"Drive\"\n"
    "dna3 = x\n"
    "gain = x * 2 - 50\n"
    "switch,3: \"Channel\", \"Clean\", \"Crunch\", \"Lead\"\n"
    "preamp2 = 1, 0, 0\n"
    "bass = 0, 50, 100\n";

TEST_F(ApplyPlayerControls, WritesMappingsOverACopyOfTheDesign) {
  amp.dna[10] = 99;
  ASSERT_TRUE(Apply(ParseValid(kScript), {50, 1}));
  EXPECT_EQ(error, "");
  EXPECT_EQ(out.dna[3], 128);  // 50 % of 255 is 127.5, rounded away from zero
  EXPECT_EQ(out.dna[10], 99);
  EXPECT_EQ(out.knobs[kKnobGain], 50.0);
  EXPECT_EQ(out.knobs[kKnobBass], 50.0);
  EXPECT_EQ(out.knobs[kKnobMid], 30.0);
  EXPECT_FALSE(out.sections[kSectionPreamp2]);
  EXPECT_TRUE(out.sections[kSectionPreamp1]);
  EXPECT_EQ(out.oversampling, 4);  // only DNA, knobs and sections are written
  EXPECT_EQ(out.toneStackPosition, 3);
}

TEST_F(ApplyPlayerControls, SliderValuesAreLimitedAndTargetsClamped) {
  const ParsedControlsScript script = ParseValid(kScript);
  ASSERT_TRUE(Apply(script, {150, 0}));
  EXPECT_EQ(out.dna[3], 255);
  EXPECT_EQ(out.knobs[kKnobGain], 100.0);  // 150 acts as 100; 150 is clamped to 100
  ASSERT_TRUE(Apply(script, {-3, 0}));
  EXPECT_EQ(out.dna[3], 0);
  EXPECT_EQ(out.knobs[kKnobGain], 0.0);  // -50 clamped to 0
  EXPECT_TRUE(out.sections[kSectionPreamp2]);
}

TEST_F(ApplyPlayerControls, SwitchValuesRoundToAPosition) {
  const ParsedControlsScript script = ParseValid(kScript);
  ASSERT_TRUE(Apply(script, {0, 2.6}));
  EXPECT_EQ(out.knobs[kKnobBass], 100.0);
  ASSERT_TRUE(Apply(script, {0, 7}));
  EXPECT_EQ(out.knobs[kKnobBass], 100.0);
  ASSERT_TRUE(Apply(script, {0, 0.5}));
  EXPECT_EQ(out.knobs[kKnobBass], 50.0);  // halves away from zero
  ASSERT_TRUE(Apply(script, {0, -0.5}));
  EXPECT_EQ(out.knobs[kKnobBass], 0.0);
  ASSERT_TRUE(Apply(script, {0, 1e300}));
  EXPECT_EQ(out.knobs[kKnobBass], 100.0);
  ASSERT_TRUE(Apply(script, {0, -1e300}));
  EXPECT_EQ(out.knobs[kKnobBass], 0.0);
}

TEST_F(ApplyPlayerControls, LaterMappingsWinAndZeroSwitchesASectionOff) {
  const ParsedControlsScript script = ParseValid(
      "slider: \"A\"\ngain = x\ntonestack = x - 10\n"
      "slider: \"B\"\ngain = 100 - x\n");
  ASSERT_TRUE(Apply(script, {10, 30}));
  EXPECT_EQ(out.knobs[kKnobGain], 70.0);
  EXPECT_FALSE(out.sections[kSectionToneStack]);
}

TEST_F(ApplyPlayerControls, NoControlsCopiesTheDesign) {
  ASSERT_TRUE(Apply(ParsedControlsScript{}, {}));
  EXPECT_EQ(error, "");
  EXPECT_EQ(out.knobs, amp.knobs);
  EXPECT_EQ(out.dna, amp.dna);
}

TEST_F(ApplyPlayerControls, Failures) {
  ParsedControlsScript broken;
  ParseUserControlsScript("gain = x", broken);
  EXPECT_FALSE(Apply(broken, {}));
  EXPECT_EQ(error, "Mapping must follow a control declaration");

  const ParsedControlsScript script = ParseValid(kScript);
  EXPECT_FALSE(Apply(script, {50}));
  EXPECT_EQ(error, "Player control values do not match the parsed script");
  EXPECT_FALSE(Apply(script, {std::numeric_limits<double>::quiet_NaN(), 0}));
  EXPECT_EQ(error, "Player control value must be finite");
  EXPECT_FALSE(Apply(script, {0, std::numeric_limits<double>::infinity()}));
  EXPECT_EQ(error, "Player control value must be finite");

  const ParsedControlsScript dividing = ParseValid("slider: \"A\"\n\nbass = 1 / (x - 50.5)\n");
  EXPECT_FALSE(Apply(dividing, {50.5}));
  EXPECT_EQ(error, "Line 3: Division by zero in formula");
}

TEST_F(ApplyPlayerControls, MappingsBuiltWithoutTheParserUseTheirText) {
  ParsedControlsScript script;
  ScriptControl slider;
  slider.mappings.push_back({kTargetKnob, kKnobMid, "x / 2", 4, {}, {}});
  ScriptControl toggle;
  toggle.kind = kScriptSwitch;
  toggle.positionCount = 3;
  toggle.mappings.push_back({kTargetKnob, kKnobTreble, "5, 6", 9, {}, {}});
  script.controls = {slider, toggle};
  ASSERT_TRUE(Apply(script, {40, 1}));
  EXPECT_EQ(out.knobs[kKnobMid], 20.0);
  EXPECT_EQ(out.knobs[kKnobTreble], 6.0);
  EXPECT_FALSE(Apply(script, {40, 2}));
  EXPECT_EQ(error, "Line 9: Missing switch value");
}

TEST_F(ApplyPlayerControls, AllocatesNothingWithoutErrorText) {
  const ParsedControlsScript script = ParseValid(kScript);
  const ParsedControlsScript dividing = ParseValid("slider: \"A\"\nbass = 1 / (x - 50.5)\n");
  ParsedControlsScript broken;
  ParseUserControlsScript("[cc1]", broken);
  const std::vector<double> values = {75, 2};
  const std::vector<double> failing = {50.5};
  const std::vector<double> wrongCount = {1, 2, 3};
  EngineSettings settings;
  bool applied = false;
  bool divisionFailed = true;
  bool brokenFailed = true;
  bool countFailed = true;
  std::size_t allocations = 0;
  {
    testing::ScopedAllocationCount count;
    applied = ApplyPlayerControlValues(script, values, amp.dna, amp.knobs, amp.sections, settings);
    divisionFailed = !ApplyPlayerControlValues(dividing, failing, amp.dna, amp.knobs, amp.sections, settings);
    brokenFailed = !ApplyPlayerControlValues(broken, {}, amp.dna, amp.knobs, amp.sections, settings);
    countFailed = !ApplyPlayerControlValues(script, wrongCount, amp.dna, amp.knobs, amp.sections, settings);
    allocations = count.Count();
  }
  EXPECT_TRUE(applied);
  EXPECT_TRUE(divisionFailed);
  EXPECT_TRUE(brokenFailed);
  EXPECT_TRUE(countFailed);
  EXPECT_EQ(allocations, 0u);
}

TEST(SwitchValueAt, PicksAndEvaluatesOnePiece) {
  double result = 0.0;
  std::string error;
  EXPECT_TRUE(SwitchValueAt("1, 2 * 3, 4", 1, result, error));
  EXPECT_EQ(result, 6.0);
  EXPECT_TRUE(SwitchValueAt("1, 2 * 3, 4", 2, result, error));
  EXPECT_EQ(result, 4.0);
  EXPECT_FALSE(SwitchValueAt("1, 2", 2, result, error));
  EXPECT_EQ(error, "Missing switch value");
  EXPECT_FALSE(SwitchValueAt("1, 2", -1, result, error));
  EXPECT_EQ(error, "Missing switch value");
  EXPECT_FALSE(SwitchValueAt("1, x", 1, result, error));
  EXPECT_EQ(error, "Switch values must be numeric constants");
}

TEST(PlayerValueFromMidi, ScalesSlidersAndSwitches) {
  ScriptControl slider;
  EXPECT_EQ(PlayerValueFromMidi(slider, 0), 0.0);
  EXPECT_EQ(PlayerValueFromMidi(slider, 64), 50.0);
  EXPECT_EQ(PlayerValueFromMidi(slider, 127), 100.0);
  EXPECT_EQ(PlayerValueFromMidi(slider, 200), 100.0);

  ScriptControl toggle;
  toggle.kind = kScriptSwitch;
  toggle.positionCount = 4;
  EXPECT_EQ(PlayerValueFromMidi(toggle, 127), 3.0);
  EXPECT_EQ(PlayerValueFromMidi(toggle, 31), 0.0);
  EXPECT_EQ(PlayerValueFromMidi(toggle, 32), 1.0);
  // P * v needs 64 bits when the declared count is huge.
  toggle.positionCount = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(PlayerValueFromMidi(toggle, 127), static_cast<double>(std::int64_t{2147483647} * 127 / 128));
}

}  // namespace
}  // namespace orvane
