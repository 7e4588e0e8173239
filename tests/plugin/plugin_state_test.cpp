#include "plugin/state/plugin_state.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "design/controls_script.h"
#include "design/design.h"

namespace orvane {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr char kStatePrefix[] = "Invalid Orvane plugin state: ";

// A document in which every field differs from a new record's value.
PluginStateDocument SampleDocument() {
  PluginStateDocument document;
  document.design = MakeDefaultDesign();
  document.design.name = "Lead \xC3\xA9tage";
  document.design.script = "slider: \"Drive\"\ngain = x\n";
  document.design.playerControlValues = {37.5};
  document.state.playerControlValues = {37.5, 1.0};
  document.state.oversampling = 4;
  document.state.amplifierEnabled = false;
  document.state.playerView = true;
  document.state.factoryCollection = false;
  document.state.activePresetFactory = true;
  document.state.presetModified = true;
  document.state.activePresetFilename = "Lead.orv";
  document.state.currentDesignPath = "/Users/x/Documents/Orvane/Presets/Lead.orv";
  document.state.hasPresetBaseline = true;
  document.state.presetBaseline = MakeDefaultDesign();
  document.state.presetBaseline.name = "Lead (saved)";
  return document;
}

json SampleJson() { return BuildPluginStateJson(SampleDocument()); }

std::string ParseError(const json& value) {
  PluginStateDocument out;
  std::string error;
  EXPECT_FALSE(ParsePluginStateJson(value, out, error));
  return error;
}

TEST(PluginStateJson, WritesFourteenSortedKeysWithFormatAndVersion) {
  const json written = SampleJson();
  std::vector<std::string> keys;
  for (const auto& item : written.items()) keys.push_back(item.key());
  EXPECT_EQ(keys, (std::vector<std::string>{"activePresetFactory", "activePresetFilename", "amplifierEnabled",
                                            "currentDesignPath", "design", "factoryCollection", "format",
                                            "hasPresetBaseline", "oversampling", "playerControlValues", "playerView",
                                            "presetBaseline", "presetModified", "stateVersion"}));
  EXPECT_EQ(written["format"], "com.vellumtone.orvane.plugin-state");
  EXPECT_EQ(written["stateVersion"], 1);
  EXPECT_TRUE(written["oversampling"].is_number_integer());
  EXPECT_TRUE(written["playerControlValues"][1].is_number_float());
}

TEST(PluginStateJson, WithoutBaselineWritesNull) {
  PluginStateDocument document = SampleDocument();
  document.state.hasPresetBaseline = false;
  EXPECT_TRUE(BuildPluginStateJson(document)["presetBaseline"].is_null());
}

TEST(PluginStateJson, ReadsBackWhatItWrote) {
  const PluginStateDocument original = SampleDocument();
  PluginStateDocument read;
  std::string error = "stale";
  ASSERT_TRUE(ParsePluginStateJson(BuildPluginStateJson(original), read, error)) << error;
  EXPECT_TRUE(error.empty());
  EXPECT_EQ(read, original);

  // Also through the compact text the state chunk carries.
  PluginStateDocument reread;
  const json fromText = json::parse(BuildPluginStateJson(original).dump());
  ASSERT_TRUE(ParsePluginStateJson(fromText, reread, error)) << error;
  EXPECT_EQ(reread, original);
}

TEST(PluginStateJson, FailureLeavesTheOutputUntouched) {
  const PluginStateDocument original = SampleDocument();
  PluginStateDocument out = original;
  json value = SampleJson();
  value["oversampling"] = 3;
  std::string error;
  EXPECT_FALSE(ParsePluginStateJson(value, out, error));
  EXPECT_EQ(out, original);
}

TEST(PluginStateJson, IgnoresUnknownKeys) {
  json value = SampleJson();
  value["laterAddition"] = {1, 2, 3};
  PluginStateDocument out;
  std::string error;
  EXPECT_TRUE(ParsePluginStateJson(value, out, error)) << error;
}

struct StateErrorCase {
  const char* what;
  std::function<void(json&)> change;
  std::string message;
};

void PrintTo(const StateErrorCase& c, std::ostream* os) { *os << c.what; }

class PluginStateErrors : public ::testing::TestWithParam<StateErrorCase> {};

TEST_P(PluginStateErrors, ReportTheExactMessage) {
  json value = SampleJson();
  GetParam().change(value);
  EXPECT_EQ(ParseError(value), GetParam().message);
}

std::function<void(json&)> Set(const std::string& key, json replacement) {
  return [key, replacement](json& value) { value[key] = replacement; };
}

const char kNotAState[] = "Not a Orvane plugin state";
const char kUnsupported[] = "Unsupported Orvane plugin state version";
const char kOversampling[] = "oversampling must be 1, 2, 4, or 8";

INSTANTIATE_TEST_SUITE_P(
    Messages, PluginStateErrors,
    ::testing::Values(
        StateErrorCase{"array", [](json& v) { v = json::array({1}); }, kNotAState},
        StateErrorCase{"null", [](json& v) { v = nullptr; }, kNotAState},
        StateErrorCase{"other format", Set("format", "com.vellumtone.orvane.design"), kNotAState},
        StateErrorCase{"format not a string", Set("format", 1), kNotAState},
        StateErrorCase{"version 2", Set("stateVersion", 2), kUnsupported},
        StateErrorCase{"version 1.0", Set("stateVersion", 1.0), kUnsupported},
        StateErrorCase{"version text", Set("stateVersion", "1"), kUnsupported},
        StateErrorCase{"version 2^64-1", Set("stateVersion", std::numeric_limits<std::uint64_t>::max()),
                       kUnsupported},
        StateErrorCase{"design format version 2", [](json& v) { v["design"]["formatVersion"] = 2; },
                       "Unsupported Orvane design format version"},
        StateErrorCase{"design not an object", Set("design", "x"), "Not a Orvane design file"},
        StateErrorCase{"oversampling 3", Set("oversampling", 3), kOversampling},
        StateErrorCase{"oversampling 16", Set("oversampling", 16), kOversampling},
        StateErrorCase{"oversampling 0", Set("oversampling", 0), kOversampling},
        StateErrorCase{"oversampling -1", Set("oversampling", -1), kOversampling},
        StateErrorCase{"oversampling 2.0", Set("oversampling", 2.0), kOversampling},
        StateErrorCase{"oversampling text", Set("oversampling", "2"), kOversampling},
        StateErrorCase{"oversampling 2^32+2", Set("oversampling", (std::int64_t{1} << 32) + 2), kOversampling},
        StateErrorCase{"oversampling 2^64-7", Set("oversampling", std::numeric_limits<std::uint64_t>::max() - 6),
                       kOversampling},
        StateErrorCase{"player values object", Set("playerControlValues", json::object()),
                       "playerControlValues must be an array"},
        StateErrorCase{"player value NaN",
                       Set("playerControlValues", json::array({1.0, std::numeric_limits<double>::quiet_NaN()})),
                       "Player control state values must be finite numbers"},
        StateErrorCase{"player value infinite",
                       Set("playerControlValues", json::array({std::numeric_limits<double>::infinity()})),
                       "Player control state values must be finite numbers"},
        StateErrorCase{"playerView a number", Set("playerView", 1), "playerView must be a boolean"},
        StateErrorCase{"hasPresetBaseline text", Set("hasPresetBaseline", "true"),
                       "hasPresetBaseline must be a boolean"},
        StateErrorCase{"baseline object without flag",
                       [](json& v) {
                         v["hasPresetBaseline"] = false;
                         v["presetBaseline"] = json::object();
                       },
                       "presetBaseline must be null when hasPresetBaseline is false"},
        StateErrorCase{"baseline null with flag", Set("presetBaseline", nullptr), "Not a Orvane design file"},
        StateErrorCase{"baseline with a bad knob", [](json& v) { v["presetBaseline"]["amplifier"]["knobs"]["mid"] = 101.0; },
                       "amplifier.knobs.mid must be a finite number from 0 to 100"}));

struct LibraryErrorCase {
  const char* what;
  std::function<void(json&)> change;
  const char* exceptionId;
  const char* key;
};

void PrintTo(const LibraryErrorCase& c, std::ostream* os) { *os << c.what; }

class PluginStateLibraryErrors : public ::testing::TestWithParam<LibraryErrorCase> {};

// The library's wording is its own; the prefix, the exception id and the key
// are ours to rely on.
TEST_P(PluginStateLibraryErrors, CarryTheStatePrefix) {
  json value = SampleJson();
  GetParam().change(value);
  const std::string error = ParseError(value);
  EXPECT_THAT(error, StartsWith(kStatePrefix));
  EXPECT_THAT(error, HasSubstr(GetParam().exceptionId));
  EXPECT_THAT(error, HasSubstr(GetParam().key));
}

std::function<void(json&)> Erase(const std::string& key) {
  return [key](json& value) { value.erase(key); };
}

INSTANTIATE_TEST_SUITE_P(
    Library, PluginStateLibraryErrors,
    ::testing::Values(LibraryErrorCase{"format missing", Erase("format"), "out_of_range.403", "format"},
                      LibraryErrorCase{"design missing", Erase("design"), "out_of_range.403", "design"},
                      LibraryErrorCase{"playerView missing", Erase("playerView"), "out_of_range.403", "playerView"},
                      LibraryErrorCase{"baseline missing", Erase("presetBaseline"), "out_of_range.403",
                                       "presetBaseline"},
                      LibraryErrorCase{"player value text", Set("playerControlValues", json::array({1.0, "x"})),
                                       "type_error.302", "string"},
                      LibraryErrorCase{"file name a number", Set("activePresetFilename", 7), "type_error.302",
                                       "number"},
                      LibraryErrorCase{"path null", Set("currentDesignPath", nullptr), "type_error.302", "null"}));

TEST(PluginStateJson, DesignErrorsOfTheLibraryKeepTheDesignPrefix) {
  json value = SampleJson();
  value["design"].erase("name");
  EXPECT_THAT(ParseError(value), StartsWith("Invalid Orvane design: "));
}

// Every check broken at once: the messages come in the fixed order as each
// fault is mended in turn.
TEST(PluginStateJson, ChecksRunInTheirFixedOrder) {
  const json valid = SampleJson();
  struct Fault {
    const char* key;
    json broken;
    std::string message;
  };
  const std::vector<Fault> faults = {
      {"format", "other", kNotAState},
      {"stateVersion", 0, kUnsupported},
      {"design", "x", "Not a Orvane design file"},
      {"oversampling", 5, kOversampling},
      {"playerControlValues", "none", "playerControlValues must be an array"},
      {"amplifierEnabled", 0, "amplifierEnabled must be a boolean"},
      {"playerView", 0, "playerView must be a boolean"},
      {"factoryCollection", 0, "factoryCollection must be a boolean"},
      {"activePresetFactory", 0, "activePresetFactory must be a boolean"},
      {"presetModified", 0, "presetModified must be a boolean"},
      {"hasPresetBaseline", 0, "hasPresetBaseline must be a boolean"},
      {"activePresetFilename", 0, std::string(kStatePrefix)},
      {"currentDesignPath", 0, std::string(kStatePrefix)},
      {"presetBaseline", json::array(), "Not a Orvane design file"},
  };
  json value = valid;
  for (const Fault& fault : faults) value[fault.key] = fault.broken;
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.key);
    EXPECT_THAT(ParseError(value), StartsWith(fault.message));
    value[fault.key] = valid[fault.key];
  }
  PluginStateDocument out;
  std::string error;
  EXPECT_TRUE(ParsePluginStateJson(value, out, error)) << error;
}

TEST(PluginStateJson, AcceptsEveryOversamplingFactorAndANullBaselineWithoutTheFlag) {
  for (const int factor : {1, 2, 4, 8}) {
    json value = SampleJson();
    value["oversampling"] = factor;
    PluginStateDocument out;
    std::string error;
    ASSERT_TRUE(ParsePluginStateJson(value, out, error)) << error;
    EXPECT_EQ(out.state.oversampling, factor);
  }
  json value = SampleJson();
  value["hasPresetBaseline"] = false;
  value["presetBaseline"] = nullptr;
  PluginStateDocument out;
  std::string error;
  ASSERT_TRUE(ParsePluginStateJson(value, out, error)) << error;
  EXPECT_FALSE(out.state.hasPresetBaseline);
  EXPECT_EQ(out.state.presetBaseline.name, Design().name);
}

TEST(ReadBooleanKey, StoresABooleanAndNamesTheKeyOtherwise) {
  const json object = {{"on", true}, {"count", 1}};
  bool value = false;
  std::string error;
  EXPECT_TRUE(ReadBooleanKey(object, "on", value, error));
  EXPECT_TRUE(value);
  EXPECT_FALSE(ReadBooleanKey(object, "count", value, error));
  EXPECT_EQ(error, "count must be a boolean");
  EXPECT_TRUE(value);
  EXPECT_THROW(ReadBooleanKey(object, "absent", value, error), json::out_of_range);
}

ParsedControlsScript ParsedScript(const std::string& text) {
  ParsedControlsScript script;
  EXPECT_TRUE(ParseUserControlsScript(text, script)) << script.error;
  return script;
}

const std::string kSwitch3 = "switch,3: \"Channel\", \"Clean\", \"Crunch\", \"Lead\"\n";
const std::string kSlider = "slider: \"Drive\"\n";

TEST(FitPlayerValuesToScript, RoundsSwitchesAndLimitsEveryValueToItsRange) {
  const ParsedControlsScript script = ParsedScript(kSwitch3 + kSlider + kSlider);
  std::vector<double> values = {1.6, -3.0, 250.0};
  FitPlayerValuesToScript(script, values);
  EXPECT_EQ(values, (std::vector<double>{2.0, 0.0, 100.0}));

  values = {0.5, 42.25, 0.0};
  FitPlayerValuesToScript(script, values);
  EXPECT_EQ(values, (std::vector<double>{1.0, 42.25, 0.0}));

  values = {-0.5, 100.0, 99.999};
  FitPlayerValuesToScript(script, values);
  EXPECT_EQ(values, (std::vector<double>{0.0, 100.0, 99.999}));
}

TEST(FitPlayerValuesToScript, HugeValuesEndAtTheTopOfTheRange) {
  const ParsedControlsScript script = ParsedScript(kSwitch3 + kSlider);
  std::vector<double> values = {1e300, 1e300};
  FitPlayerValuesToScript(script, values);
  EXPECT_EQ(values, (std::vector<double>{2.0, 100.0}));

  values = {-1e300, std::numeric_limits<double>::quiet_NaN()};
  FitPlayerValuesToScript(script, values);
  EXPECT_EQ(values, (std::vector<double>{0.0, 0.0}));
}

TEST(FitPlayerValuesToScript, NewControlsStartAtTheirDefaultAndExtraValuesGo) {
  std::vector<double> values = {1.0};
  FitPlayerValuesToScript(ParsedScript(kSwitch3 + kSlider + kSwitch3), values);
  EXPECT_EQ(values, (std::vector<double>{1.0, 50.0, 0.0}));

  values = {1.0, 20.0, 30.0};
  FitPlayerValuesToScript(ParsedScript(kSwitch3 + kSlider), values);
  EXPECT_EQ(values, (std::vector<double>{1.0, 20.0}));

  values = {1.0, 20.0};
  FitPlayerValuesToScript(ParsedScript("# no controls\n"), values);
  EXPECT_TRUE(values.empty());
}

TEST(FitPlayerValuesToScript, AScriptErrorLeavesNoValues) {
  ParsedControlsScript script;
  EXPECT_FALSE(ParseUserControlsScript("slider Drive", script));
  std::vector<double> values = {1.0, 2.0};
  FitPlayerValuesToScript(script, values);
  EXPECT_TRUE(values.empty());
}

}  // namespace
}  // namespace orvane
