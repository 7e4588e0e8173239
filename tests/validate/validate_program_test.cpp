// `auhost validate` run as a user runs it: on a clean test plug-in, and on a
// plug-in with deliberate faults, each of which fails its check with a clear
// line while the other checks still run.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "auhost_process.h"
#include "host/auhost_failure.h"
#include "host/auhost_validate_checks.h"
#include "scoped_test_folder.h"
#include "support/test_paths.h"

namespace orvane::auhost::validate {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using orvane::testing::ProcessResult;
using orvane::testing::ScopedEnvironmentVariable;
using orvane::testing::ScopedTestFolder;

constexpr char kFaultsVariable[] = "BROKEN_PLUGIN_FAULTS";
constexpr int kGenericChecks = 18;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class ValidateProgram : public ::testing::Test {
protected:
  ProcessResult Validate(std::vector<std::string> arguments, const std::optional<std::string>& faults = {}) {
    ScopedEnvironmentVariable faultList(kFaultsVariable, faults);
    arguments.insert(arguments.begin(), "validate");
    return orvane::testing::RunProgram(AUHOST_PROGRAM, arguments, folder.Path());
  }

  ScopedTestFolder folder;
};

TEST_F(ValidateProgram, ListsEveryCheckWithItsDescription) {
  const ProcessResult listed = Validate({"--list"});
  ASSERT_EQ(listed.exitCode, 0) << listed.err;
  const std::vector<std::string> lines = Lines(listed.out);
  ASSERT_EQ(lines.size(), ValidationChecks().size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const ValidationCheck& check = ValidationChecks()[i];
    EXPECT_THAT(lines[i], AllOf(StartsWith(std::string(check.name) + " "), HasSubstr(std::string(check.description))));
  }
}

TEST_F(ValidateProgram, ACleanComponentPassesEveryGenericCheck) {
  const ProcessResult run = Validate({AU_TEST_PLUGIN_BUNDLE});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_FALSE(lines.empty());
  EXPECT_THAT(lines.front(), StartsWith("validating Plugkit Tests: AU Test Plugin ("));
  EXPECT_THAT(lines, Contains("pass  state-round-trip"));
  // Without an editor there is nothing to open.
  EXPECT_THAT(lines, Contains("pass  editor-opens-and-closes"));
  EXPECT_THAT(lines, Contains("skip  controller-script: only for the Orvane component"));
  EXPECT_EQ(lines.back(), std::to_string(kGenericChecks) + " passed, 0 failed");
}

TEST_F(ValidateProgram, StereoOnlyAndInputlessComponentsAreDrivenInTheirOwnLayouts) {
  for (const char* channelIO : {"2-2", "0-2"}) {
    ScopedEnvironmentVariable configurations("AUTEST_CHANNEL_IO", std::string(channelIO));
    const ProcessResult run = Validate({AU_TEST_PLUGIN_BUNDLE});
    EXPECT_EQ(run.exitCode, 0) << channelIO << "\n" << run.out << run.err;
    EXPECT_EQ(Lines(run.out).back(), std::to_string(kGenericChecks) + " passed, 0 failed") << channelIO;
  }
}

TEST_F(ValidateProgram, TheBrokenComponentFailsWithClearLines) {
  const ProcessResult run = Validate({AU_BROKEN_PLUGIN_BUNDLE}, "state,loud");
  EXPECT_EQ(run.exitCode, static_cast<int>(ExitCode::kComponentError));
  const std::vector<std::string> lines = Lines(run.out);
  EXPECT_THAT(lines, Contains("FAIL  state-round-trip: the class info read back after writing it differs: "
                              "\"data\" (4 bytes, then 4) differs from byte 0"));
  EXPECT_THAT(lines, Contains(AllOf(StartsWith("FAIL  output-bounds: output "),
                                    HasSubstr(" outside [-1, 1] at channel 0 frame "),
                                    EndsWith(" (noise at 44100 Hz, blocks of 64)"))));
  EXPECT_THAT(lines, Contains("pass  bypass"));
  EXPECT_THAT(lines, Contains("pass  latency-and-tail"));
  // A state that drifts on every read cannot be shown unchanged either.
  EXPECT_THAT(lines, Contains(StartsWith("FAIL  state-refusal: a class info of another subtype was refused but "
                                         "changed the state")));
  EXPECT_THAT(lines.back(), EndsWith(" failed"));
  EXPECT_THAT(lines.back(), ::testing::Not(EndsWith(" 0 failed")));
}

TEST_F(ValidateProgram, ACrashFailsItsCheckAndTheRunGoesOn) {
  const ProcessResult run = Validate({AU_BROKEN_PLUGIN_BUNDLE}, "crash-on-midi");
  EXPECT_EQ(run.exitCode, static_cast<int>(ExitCode::kComponentError));
  const std::vector<std::string> lines = Lines(run.out);
  EXPECT_THAT(lines, Contains(StartsWith("FAIL  midi-controllers: crashed with signal 6")));
  EXPECT_THAT(lines, Contains("pass  latency-and-tail"));
  EXPECT_THAT(lines, Contains("pass  bypass"));
  EXPECT_EQ(lines.back(), std::to_string(kGenericChecks - 1) + " passed, 1 failed");
}

TEST_F(ValidateProgram, AHangFailsItsCheckAtTheTimeLimit) {
  const ProcessResult run =
      Validate({AU_BROKEN_PLUGIN_BUNDLE, "--only", "midi-controllers", "--time-limit", "2"}, "hang-on-midi");
  EXPECT_EQ(run.exitCode, static_cast<int>(ExitCode::kComponentError));
  const std::vector<std::string> lines = Lines(run.out);
  EXPECT_THAT(lines, Contains("FAIL  midi-controllers: did not finish within the time limit of 2 s and was killed"));
  EXPECT_EQ(lines.back(), "0 passed, 1 failed");
}

TEST_F(ValidateProgram, ObjectsLeftAliveFailTheCheckThatLeftThem) {
  const ProcessResult run = Validate({AU_BROKEN_PLUGIN_BUNDLE, "--only", "two-instances"}, "leak");
  EXPECT_EQ(run.exitCode, static_cast<int>(ExitCode::kComponentError));
  EXPECT_THAT(Lines(run.out), Contains(StartsWith("FAIL  two-instances: the live CoreFoundation object count went from ")));

  const ProcessResult clean = Validate({AU_BROKEN_PLUGIN_BUNDLE, "--only", "two-instances"}, "none");
  EXPECT_EQ(clean.exitCode, 0) << clean.out;
  EXPECT_EQ(Lines(clean.out).back(), "1 passed, 0 failed");
}

TEST_F(ValidateProgram, AComponentUnderAnotherNameIsRefusedAndFailsItsCheckAlone) {
  const std::filesystem::path bundle = folder.Path() / "Renamed.component";
  std::filesystem::copy(AU_TEST_PLUGIN_BUNDLE, bundle, std::filesystem::copy_options::recursive);
  const std::filesystem::path plist = bundle / "Contents" / "Info.plist";
  std::string text = orvane::testing::ReadFileBytes(plist.string());
  text.replace(text.find("Atst"), 4, "Xtst");
  orvane::testing::WriteFileBytes(plist, text);
  const std::string mismatch =
      "the Info.plist registers type aumf, subtype Xtst, manufacturer Plkt, but the component reports type aumf, "
      "subtype Atst, manufacturer Plkt in its class info";

  const ProcessResult info = orvane::testing::RunProgram(AUHOST_PROGRAM, {"info", bundle.string()}, folder.Path());
  EXPECT_EQ(info.exitCode, static_cast<int>(ExitCode::kBundle));
  EXPECT_THAT(info.err, HasSubstr("auhost: cannot load bundle " + bundle.string() + ": " + mismatch));

  const ProcessResult run = Validate({bundle.string()});
  EXPECT_EQ(run.exitCode, static_cast<int>(ExitCode::kComponentError));
  const std::vector<std::string> lines = Lines(run.out);
  EXPECT_THAT(lines, Contains("FAIL  component-identity: " + mismatch));
  EXPECT_EQ(lines.back(), std::to_string(kGenericChecks - 1) + " passed, 1 failed");
}

TEST_F(ValidateProgram, BadCommandLinesAndBundles) {
  const ProcessResult none = Validate({});
  EXPECT_EQ(none.exitCode, static_cast<int>(ExitCode::kUsage));
  EXPECT_THAT(none.err, HasSubstr("auhost: validate needs a bundle"));

  const ProcessResult unknown = Validate({AU_TEST_PLUGIN_BUNDLE, "--only", "fast"});
  EXPECT_EQ(unknown.exitCode, static_cast<int>(ExitCode::kUsage));
  EXPECT_THAT(unknown.err, HasSubstr("there is no check named \"fast\""));

  const ProcessResult missing = Validate({(folder.Path() / "Missing.component").string()});
  EXPECT_EQ(missing.exitCode, static_cast<int>(ExitCode::kBundle));
  EXPECT_THAT(missing.err, HasSubstr("cannot load bundle"));
  EXPECT_TRUE(missing.out.empty());

  // A library that does not load is the bundle's fault, said once.
  const std::filesystem::path unloadable = folder.Path() / "Unloadable.component";
  std::filesystem::copy(AU_TEST_PLUGIN_BUNDLE, unloadable, std::filesystem::copy_options::recursive);
  orvane::testing::WriteFileBytes(unloadable / "Contents" / "MacOS" / "AUTestPlugin", "not a library");
  const ProcessResult broken = Validate({unloadable.string()});
  EXPECT_EQ(broken.exitCode, static_cast<int>(ExitCode::kBundle));
  EXPECT_EQ(Lines(broken.err).size(), 1u) << broken.err;
  EXPECT_THAT(broken.err, StartsWith("auhost: cannot load bundle " + unloadable.string() + ": "));
  EXPECT_TRUE(broken.out.empty());
}

TEST_F(ValidateProgram, EveryCheckNamedByOnlyRuns) {
  const ProcessResult run = Validate({AU_TEST_PLUGIN_BUNDLE, "--only", "bypass", "--only=state-round-trip"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  EXPECT_THAT(lines, Contains("pass  bypass"));
  EXPECT_THAT(lines, Contains("pass  state-round-trip"));
  EXPECT_EQ(lines.back(), "2 passed, 0 failed");
}

}  // namespace
}  // namespace orvane::auhost::validate
