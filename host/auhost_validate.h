#pragma once

// `auhost validate`: runs the validation checks on a component, each in a
// child process of its own, so that a check that crashes or hangs fails
// alone and the run goes on.

#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace orvane::auhost::validate {

inline constexpr char kValidateCommand[] = "validate";
inline constexpr double kDefaultTimeLimitSeconds = 120.0;

struct ValidateOptions {
  std::string bundle;
  bool list = false;
  std::vector<std::string> only;  // the checks named by --only; empty: all
  double timeLimitSeconds = kDefaultTimeLimitSeconds;
};

// The arguments after "validate"; throws Failure(kUsage) naming what is wrong.
ValidateOptions ParseValidateOptions(std::span<const std::string> arguments);

// How one check ended in its child process.
struct CheckOutcome {
  bool passed = false;
  std::string detail;  // for a failure: what failed and how
};

// Runs `body` in a child process; it reports its failure by throwing. A
// child that dies of a signal or outlives the time limit (it is then
// killed, the limit measured from the fork without polling) fails with that
// said.
CheckOutcome RunInChildProcess(const std::function<void()>& body, double timeLimitSeconds);

// Prints one line per check and a closing "N passed, N failed" line; the
// exit code is non-zero when any check failed.
int RunValidate(std::span<const std::string> arguments, std::ostream& out);

}  // namespace orvane::auhost::validate
