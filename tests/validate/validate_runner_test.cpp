// The validation suite's parts in this process: checks run in child
// processes, the sample checks, and the command's options.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cfloat>
#include <chrono>
#include <cstdlib>
#include <limits>
#include <set>
#include <thread>

#include "host/auhost_failure.h"
#include "host/auhost_validate.h"
#include "host/auhost_validate_checks.h"
#include "host/auhost_validate_harness.h"

namespace orvane::auhost::validate {
namespace {

using ::testing::HasSubstr;

constexpr double kLimitSeconds = 30.0;
constexpr double kShortLimitSeconds = 0.5;

TEST(ChildProcess, ReportsPassFailureCrashHangAndSilentExit) {
  EXPECT_TRUE(RunInChildProcess([] {}, kLimitSeconds).passed);

  const CheckOutcome failed = RunInChildProcess([] { Fail("output 2 outside [-1, 1]"); }, kLimitSeconds);
  EXPECT_FALSE(failed.passed);
  EXPECT_EQ(failed.detail, "output 2 outside [-1, 1]");

  const CheckOutcome crashed = RunInChildProcess([] { std::abort(); }, kLimitSeconds);
  EXPECT_FALSE(crashed.passed);
  EXPECT_THAT(crashed.detail, HasSubstr("crashed with signal 6"));

  const CheckOutcome hung = RunInChildProcess(
      [] {
        while (true) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      },
      kShortLimitSeconds);
  EXPECT_FALSE(hung.passed);
  EXPECT_EQ(hung.detail, "did not finish within the time limit of 0.5 s and was killed");

  const CheckOutcome silent = RunInChildProcess([] { _exit(3); }, kLimitSeconds);
  EXPECT_FALSE(silent.passed);
  EXPECT_EQ(silent.detail, "exited with status 3 without reporting");
}

TEST(ChildProcess, ALongReportArrivesWhole) {
  const std::string message(100000, 'x');
  const CheckOutcome outcome = RunInChildProcess([&message] { Fail(message); }, kLimitSeconds);
  EXPECT_EQ(outcome.detail, message);
}

TEST(SampleChecks, FindNonFiniteOutOfRangeAndSubnormalSamples) {
  EXPECT_NO_THROW(RequireFiniteInRange({{0.0f, 1.0f, -1.0f}, {0.5f}}, "fine"));
  try {
    RequireFiniteInRange({{0.0f}, {0.25f, -1.5f}}, "48000 Hz");
    ADD_FAILURE() << "out of range passed";
  } catch (const CheckFailure& failure) {
    EXPECT_STREQ(failure.what(), "output -1.5 outside [-1, 1] at channel 1 frame 1 (48000 Hz)");
  }
  EXPECT_THROW(RequireFiniteInRange({{std::numeric_limits<float>::quiet_NaN()}}, "nan"), CheckFailure);
  EXPECT_THROW(RequireFiniteInRange({{std::numeric_limits<float>::infinity()}}, "inf"), CheckFailure);

  EXPECT_NO_THROW(RequireNoSubnormals({{0.0f, -0.0f, FLT_MIN, -FLT_MIN, 1.0f}}, "normal"));
  EXPECT_THROW(RequireNoSubnormals({{0.0f, FLT_MIN / 2}}, "decay"), CheckFailure);
  EXPECT_THROW(RequireNoSubnormals({{-std::numeric_limits<float>::denorm_min()}}, "decay"), CheckFailure);
}

TEST(SampleChecks, NoiseIsFullScaleAndRepeatable) {
  const Channels first = Noise(2, 4096, 9);
  EXPECT_EQ(first, Noise(2, 4096, 9));
  EXPECT_NE(first, Noise(2, 4096, 10));
  EXPECT_NO_THROW(RequireFiniteInRange(first, "noise"));
  EXPECT_GT(Rms(first), 0.5);
  EXPECT_EQ(Rms(Silence(1, 16)), 0.0);
}

TEST(Checks, NamesAreKebabCaseUniqueAndDescribed) {
  std::set<std::string_view> names;
  for (const ValidationCheck& check : ValidationChecks()) {
    EXPECT_TRUE(names.insert(check.name).second) << check.name;
    EXPECT_EQ(check.name.find_first_not_of("abcdefghijklmnopqrstuvwxyz-"), std::string_view::npos) << check.name;
    EXPECT_FALSE(check.description.empty()) << check.name;
    EXPECT_NE(check.run, nullptr) << check.name;
    EXPECT_EQ(FindCheck(check.name), &check);
  }
  EXPECT_EQ(FindCheck("no-such-check"), nullptr);
}

TEST(Checks, StayWithinTheAudioBudget) {
  double seconds = 0.0;
  for (const ValidationCheck& check : ValidationChecks()) seconds += check.audioSeconds;
  EXPECT_LE(seconds, kAudioBudgetSeconds);
}

int UsageFailureOf(std::vector<std::string> arguments, std::string& message) {
  try {
    ParseValidateOptions(arguments);
  } catch (const Failure& failure) {
    message = failure.what();
    return static_cast<int>(failure.Code());
  }
  return 0;
}

TEST(ValidateOptions, ReadsAndRefuses) {
  const ValidateOptions options = ParseValidateOptions(
      std::vector<std::string>{"B", "--only", "reset", "--time-limit", "2.5", "--only", "bypass"});
  EXPECT_EQ(options.bundle, "B");
  EXPECT_EQ(options.only, (std::vector<std::string>{"reset", "bypass"}));
  EXPECT_EQ(options.timeLimitSeconds, 2.5);
  EXPECT_TRUE(ParseValidateOptions(std::vector<std::string>{"--list"}).list);

  const int usage = static_cast<int>(ExitCode::kUsage);
  std::string message;
  EXPECT_EQ(UsageFailureOf({}, message), usage);
  EXPECT_EQ(message, "validate needs a bundle");
  EXPECT_EQ(UsageFailureOf({"B", "--only", "nope"}, message), usage);
  EXPECT_EQ(message, "there is no check named \"nope\" (auhost validate --list shows them)");
  EXPECT_EQ(UsageFailureOf({"B", "--time-limit", "0"}, message), usage);
  EXPECT_EQ(UsageFailureOf({"B", "--time-limit", "2s"}, message), usage);
  EXPECT_EQ(UsageFailureOf({"B", "--time-limit"}, message), usage);
  EXPECT_EQ(message, "--time-limit needs a value");
  EXPECT_EQ(UsageFailureOf({"B", "C"}, message), usage);
  EXPECT_EQ(UsageFailureOf({"B", "--fast"}, message), usage);
  EXPECT_EQ(message, "validate has no option --fast");
}

}  // namespace
}  // namespace orvane::auhost::validate
