// The auhost program as a user runs it: exit codes and messages for each
// kind of bad input, checked before any component is loaded.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <functional>

#include "auhost_process.h"
#include "design/design_json.h"
#include "exit_status.h"
#include "host/auhost_class_info.h"
#include "host/auhost_failure.h"
#include "scoped_test_folder.h"
#include "support/test_paths.h"

namespace orvane::auhost {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using orvane::testing::ProcessResult;
using orvane::testing::ScopedTestFolder;
using orvane::testing::WriteFileBytes;

class AuhostProgram : public ::testing::Test {
protected:
  void SetUp() override {
    const ProcessResult made = Run(PLUCK_NOTES_PROGRAM, {Path("guitar.wav")});
    ASSERT_EQ(made.exitCode, 0) << made.err;
  }

  std::string Path(const std::string& name) const { return (folder.Path() / name).string(); }
  std::string Write(const std::string& name, const std::string& bytes) const {
    WriteFileBytes(Path(name), bytes);
    return Path(name);
  }
  ProcessResult Run(const std::string& program, const std::vector<std::string>& arguments) const {
    return orvane::testing::RunProgram(program, arguments, folder.Path());
  }
  ProcessResult Auhost(const std::vector<std::string>& arguments) const { return Run(AUHOST_PROGRAM, arguments); }

  ScopedTestFolder folder;
};

TEST_F(AuhostProgram, HelpAndUsageErrors) {
  for (const std::vector<std::string>& asked : {std::vector<std::string>{"help"}, {"render", "--help"}}) {
    const ProcessResult help = Auhost(asked);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_THAT(help.out, HasSubstr("auhost render BUNDLE IN OUT"));
  }
  const ProcessResult version = Auhost({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_THAT(version.out, ::testing::StartsWith("auhost "));

  const ProcessResult none = Auhost({});
  EXPECT_EQ(none.exitCode, Code(ExitCode::kUsage));
  EXPECT_THAT(none.err, HasSubstr("auhost: no command given"));

  const ProcessResult badOption = Auhost({"render", "B", Path("guitar.wav"), Path("out.wav"), "--oversampling", "16"});
  EXPECT_EQ(badOption.exitCode, Code(ExitCode::kUsage));
  EXPECT_THAT(badOption.err, HasSubstr("--oversampling must be 1, 2, 4 or 8, not \"16\""));
  EXPECT_THAT(badOption.out, IsEmpty());
}

TEST_F(AuhostProgram, MissingBundle) {
  const std::string bundle = Path("Nothing.component");
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"info", bundle},
           {"render", bundle, Path("guitar.wav"), Path("out.wav")},
           {"state", "save", bundle, Path("state.json")}}) {
    const ProcessResult result = Auhost(arguments);
    EXPECT_EQ(result.exitCode, Code(ExitCode::kBundle)) << arguments[0];
    EXPECT_THAT(result.err, HasSubstr("auhost: cannot load bundle " + bundle));
  }
  EXPECT_FALSE(std::filesystem::exists(Path("out.wav")));
  EXPECT_FALSE(std::filesystem::exists(Path("state.json")));
}

TEST_F(AuhostProgram, UnreadableAudio) {
  const std::string missing = Path("missing.wav");
  const ProcessResult absent = Auhost({"render", "B", missing, Path("out.wav")});
  EXPECT_EQ(absent.exitCode, Code(ExitCode::kAudioFile));
  EXPECT_THAT(absent.err, HasSubstr("auhost: cannot read audio file " + missing));

  const std::string text = Write("notes.wav", "RIFF but not really a wave file");
  const ProcessResult garbled = Auhost({"render", "B", text, Path("out.wav")});
  EXPECT_EQ(garbled.exitCode, Code(ExitCode::kAudioFile));
  EXPECT_THAT(garbled.err, HasSubstr("cannot read audio file " + text));
}

TEST_F(AuhostProgram, BadDesignFile) {
  const std::string missing = Path("missing.orv");
  const ProcessResult absent = Auhost({"state", "save", "B", Path("state.json"), "--design", missing});
  EXPECT_EQ(absent.exitCode, Code(ExitCode::kDesignFile));
  EXPECT_THAT(absent.err, HasSubstr("auhost: bad design file " + missing));

  const std::string invalid = Write("invalid.orv", "{\"format\": \"com.vellumtone.orvane.design\"}");
  const ProcessResult refused = Auhost({"render", "B", Path("guitar.wav"), Path("out.wav"), "--design", invalid});
  EXPECT_EQ(refused.exitCode, Code(ExitCode::kDesignFile));
  EXPECT_THAT(refused.err, HasSubstr("bad design file " + invalid + ": "));

  // The reader reads a repeated key's later value, and takes no boolean for a gain.
  std::string text = BuildDesignJson(MakeDefaultDesign()).dump();
  const std::string bypassEnd = "},\"dna\"";
  text.replace(text.find(bypassEnd), bypassEnd.size(), ",\"preamp2\":true" + bypassEnd);
  const std::string repeated = Write("repeated.orv", text);
  const ProcessResult boolean = Auhost({"render", "B", Path("guitar.wav"), Path("out.wav"), "--design", repeated});
  EXPECT_EQ(boolean.exitCode, Code(ExitCode::kDesignFile));
  EXPECT_EQ(boolean.err,
            "auhost: bad design file " + repeated + ": \"amplifier.bypassGainDb.preamp2\" must be a number\n");
}

TEST_F(AuhostProgram, BadStateFile) {
  const std::string missing = Path("missing.json");
  const ProcessResult absent = Auhost({"state", "show", missing});
  EXPECT_EQ(absent.exitCode, Code(ExitCode::kStateFile));
  EXPECT_THAT(absent.err, HasSubstr("auhost: cannot read state file " + missing));

  const std::string noData = Write("nodata.json", "{\"version\": 1, \"type\": 2}");
  const ProcessResult incomplete = Auhost({"render", "B", Path("guitar.wav"), Path("out.wav"), "--state", noData});
  EXPECT_EQ(incomplete.exitCode, Code(ExitCode::kStateFile));
  EXPECT_THAT(incomplete.err, HasSubstr("state file " + noData + " is invalid: \"subtype\" is missing"));

  const struct {
    std::string name;
    std::string text;
    std::string reason;
  } unreadable[] = {
      {"syntax.json", "{\n  \"version\": 1,\n  \"type\": \n}", "is not JSON text (a syntax error at line 4, column 1)"},
      {"trailing.json", "{} x", "is not JSON text (a syntax error at line 1, column 4)"},
      {"huge.json", "{\"version\": 1e999}", "holds a number too large to read"},
      {"empty.json", "\n", "is empty"},
  };
  for (const auto& c : unreadable) {
    const std::string state = Write(c.name, c.text);
    const ProcessResult notJson = Auhost({"state", "show", state});
    EXPECT_EQ(notJson.exitCode, Code(ExitCode::kStateFile));
    EXPECT_EQ(notJson.err, "auhost: state file " + state + " " + c.reason + "\n");
  }
}

TEST_F(AuhostProgram, StateShowPrintsTheKeysWithTheCodesAsText) {
  const std::string state = Write(
      "state.json",
      R"({"version": 65540, "type": 1635083896, "subtype": 1, "manufacturer": 1349282676, "name": "", "data": "QVRTTw=="})");
  const ProcessResult shown = Auhost({"state", "show", state});
  EXPECT_EQ(shown.exitCode, 0) << shown.err;
  const auto document = nlohmann::json::parse(shown.out);
  EXPECT_EQ(document["data"], "QVRTTw==");
  EXPECT_EQ(document["type"], "aufx");
  EXPECT_EQ(document["subtype"], "0x00000001");
  EXPECT_EQ(document["manufacturer"], "Plkt");

  // A component restores no state without its data.
  const std::string noData =
      Write("nodata.json", R"({"version": 1, "type": 1635083896, "subtype": 1, "manufacturer": 2, "name": ""})");
  const ProcessResult refused = Auhost({"state", "show", noData});
  EXPECT_EQ(refused.exitCode, Code(ExitCode::kStateFile));
  EXPECT_THAT(refused.err, HasSubstr("auhost: state file " + noData + ": it carries no \"data\""));
}

TEST_F(AuhostProgram, StateShowChecksTheProductsDataAsTheProductWould) {
  ASSERT_EQ(Auhost({"state", "save", ORVANE_BUNDLE, Path("good.json")}).exitCode, 0);
  const ClassInfo good = ReadStateFile(Path("good.json"));
  ASSERT_TRUE(good.data);
  const auto spoil = [&](const std::string& name, const std::function<void(ClassInfo&)>& change) {
    ClassInfo info = good;
    change(info);
    WriteStateFile(Path(name), info);
    return Path(name);
  };
  // Replaces the first `from` in the state's text.
  const auto replace = [](ClassInfo& info, const std::string& from, const std::string& to) {
    std::string bytes(info.data->begin(), info.data->end());
    bytes.replace(bytes.find(from), from.size(), to);
    info.data->assign(bytes.begin(), bytes.end());
  };
  const struct {
    std::string file;
    std::string refusal;  // empty: shown
  } cases[] = {
      {Path("good.json"), ""},
      {spoil("truncated.json", [](ClassInfo& info) { info.data->resize(40); }), "its text length is wrong"},
      {spoil("short.json", [](ClassInfo& info) { info.data->resize(8); }), "it is too short"},
      {spoil("broken.json", [&](ClassInfo& info) { replace(info, "{", "{,"); }),
       "its text is not JSON text (a syntax error at line 1, column 2)"},
      {spoil("unreadable.json", [&](ClassInfo& info) { replace(info, "\"oversampling\":1", "\"oversampling\":3"); }), "oversampling must be 1, 2, 4, or 8"},
      {spoil("other.json",
             [](ClassInfo& info) {
               info.subtype ^= 1;
               info.data->resize(8);
             }),
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const ProcessResult shown = Auhost({"state", "show", c.file});
    if (c.refusal.empty()) {
      EXPECT_EQ(shown.exitCode, 0) << shown.err;
      EXPECT_EQ(nlohmann::json::parse(shown.out)["data"], ClassInfoToJson(ReadStateFile(c.file))["data"]);
    } else {
      EXPECT_EQ(shown.exitCode, Code(ExitCode::kStateFile));
      EXPECT_THAT(shown.err, HasSubstr("auhost: state file " + c.file + ": the state is not an Orvane state: " +
                                       c.refusal));
      EXPECT_TRUE(shown.out.empty());
    }
  }
}

TEST_F(AuhostProgram, InfoNamesTheComponent) {
  const ProcessResult info = Auhost({"info", AU_TEST_PLUGIN_BUNDLE});
  EXPECT_EQ(info.exitCode, 0) << info.err;
  EXPECT_THAT(info.out, HasSubstr("Plugkit Tests: AU Test Plugin (com.plugkit.tests.autestplugin, version 1.0.4)"));
  EXPECT_THAT(info.out, HasSubstr("type aumf, subtype Atst, manufacturer Plkt"));
}

TEST_F(AuhostProgram, AComponentThatDoesNotOpen) {
  const ProcessResult info = Auhost({"info", AU_THROWING_PLUGIN_BUNDLE});
  EXPECT_EQ(info.exitCode, Code(ExitCode::kComponentError));
  EXPECT_THAT(info.err, HasSubstr("auhost: the component Plugkit Tests: AU Throwing Plugin did not open"));
}

TEST_F(AuhostProgram, ProductOptionsOnAnotherComponent) {
  const ProcessResult render =
      Auhost({"render", AU_TEST_PLUGIN_BUNDLE, Path("guitar.wav"), Path("out.wav"), "--oversampling", "2"});
  EXPECT_EQ(render.exitCode, Code(ExitCode::kUsage));
  EXPECT_THAT(render.err, HasSubstr("--design and --oversampling apply only to the Orvane component, not to "
                                    "Plugkit Tests: AU Test Plugin"));
  const ProcessResult save = Auhost({"state", "save", AU_TEST_PLUGIN_BUNDLE, Path("state.json"), "--oversampling", "4"});
  EXPECT_EQ(save.exitCode, Code(ExitCode::kUsage));
  EXPECT_FALSE(std::filesystem::exists(Path("state.json")));
}

TEST_F(AuhostProgram, TheNoteGeneratorWritesAFewSecondsOfMonoAudio) {
  const auto size = std::filesystem::file_size(Path("guitar.wav"));
  // 24-bit mono at 48 kHz, between 4 and 10 seconds.
  EXPECT_GT(size, 4u * 48000u * 3u);
  EXPECT_LT(size, 10u * 48000u * 3u);
  const ProcessResult badRate = Run(PLUCK_NOTES_PROGRAM, {Path("x.wav"), "fast"});
  EXPECT_EQ(badRate.exitCode, 2);
  EXPECT_THAT(badRate.err, HasSubstr("sample rate"));
}

}  // namespace
}  // namespace orvane::auhost
