#include "host/auhost_validate.h"

#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iomanip>
#include <string_view>
#include <iterator>

#include "host/auhost_failure.h"
#include "host/auhost_level_summary.h"
#include "host/auhost_product_state.h"
#include "host/auhost_validate_checks.h"
#include "host/component_bundle.h"

namespace orvane::auhost::validate {
namespace {

constexpr char kPassMark = 'P';
constexpr char kFailMark = 'F';
constexpr std::size_t kReadChunk = 4096;
// Longer limits wait this long, so that the deadline stays within the clock's range.
constexpr double kLongestWaitSeconds = 1e6;
constexpr int kNameColumn = 24;

[[noreturn]] void UsageError(const std::string& message) { throw Failure(ExitCode::kUsage, message); }

double ParseSeconds(const std::string& text) {
  std::size_t used = 0;
  double seconds = 0.0;
  try {
    seconds = std::stod(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || !std::isfinite(seconds) || seconds <= 0.0)
    UsageError("--time-limit must be a number of seconds above 0, not \"" + text + "\"");
  return seconds;
}

void WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = write(fd, text.data(), text.size());
    if (written <= 0) return;
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

[[noreturn]] void RunChild(const std::function<void()>& body, int reportFd) {
  // What the component prints goes to the error output, away from our lines.
  dup2(STDERR_FILENO, STDOUT_FILENO);
  std::string report(1, kPassMark);
  try {
    body();
  } catch (const std::exception& error) {
    report = std::string(1, kFailMark) + error.what();
  } catch (...) {
    report = std::string(1, kFailMark) + "an exception that is not a std::exception";
  }
  WriteAll(reportFd, report);
  close(reportFd);
  std::fflush(nullptr);
  // No exit handlers: they belong to the parent's process image.
  _exit(report.front() == kPassMark ? 0 : 1);
}

std::string SignalText(int signal) {
  const char* name = strsignal(signal);
  return "signal " + std::to_string(signal) + (name ? std::string(" (") + name + ")" : std::string());
}

// Waits for a child to end while collecting what it reports through a pipe:
// ppoll on the pipe and on a process descriptor wakes at the end or at the
// deadline, whichever comes first. Without a process descriptor the pipe's
// closing (the child holds it to its end) stands for the end.
class ChildWatch {
public:
  ChildWatch(pid_t child, int reportFd)
      : mReportFd(reportFd), mProcessFd(static_cast<int>(syscall(SYS_pidfd_open, child, 0))) {}
  ~ChildWatch() {
    close(mReportFd);
    if (mProcessFd >= 0) close(mProcessFd);
  }
  ChildWatch(const ChildWatch&) = delete;
  ChildWatch& operator=(const ChildWatch&) = delete;

  // True when the child ended (or closed its report with no process
  // descriptor to watch) before the deadline.
  bool WaitUntil(std::chrono::steady_clock::time_point deadline) {
    while (true) {
      if (!mReportOpen && mProcessFd < 0) return true;
      const auto left = deadline - std::chrono::steady_clock::now();
      if (left <= std::chrono::steady_clock::duration::zero()) return false;
      const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
      const timespec timeout{static_cast<time_t>(seconds.count()),
                             static_cast<long>(std::chrono::nanoseconds(left - seconds).count())};
      pollfd watched[] = {{mReportOpen ? mReportFd : -1, POLLIN, 0}, {mProcessFd, POLLIN, 0}};
      if (ppoll(watched, std::size(watched), &timeout, nullptr) < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      if (watched[0].revents != 0) ReadOnce();
      if (watched[1].revents != 0) return true;
    }
  }
  // What the child wrote before it ended.
  void ReadReport() {
    while (mReportOpen) ReadOnce();
  }
  const std::string& Report() const { return mReport; }

private:
  void ReadOnce() {
    char chunk[kReadChunk];
    const ssize_t got = read(mReportFd, chunk, sizeof chunk);
    if (got > 0) mReport.append(chunk, static_cast<std::size_t>(got));
    else if (got == 0 || errno != EINTR) mReportOpen = false;
  }

  int mReportFd;
  int mProcessFd;  // -1 where the kernel offers none
  bool mReportOpen = true;
  std::string mReport;
};

CheckOutcome Judge(int status, const std::string& report) {
  if (WIFSIGNALED(status)) return {false, "crashed with " + SignalText(WTERMSIG(status))};
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (!report.empty() && report.front() == kPassMark && code == 0) return {true, ""};
  if (!report.empty() && report.front() == kFailMark) return {false, report.substr(1)};
  return {false, "exited with status " + std::to_string(code) + " without reporting"};
}

// The identity is a check of its own, so a mismatch fails it alone.
std::unique_ptr<host::ComponentBundle> LoadForChecks(const std::string& folder) {
  std::string error;
  auto bundle = host::ComponentBundle::Load(folder, error, host::ComponentBundle::IdentityCheck::kLeftToCaller);
  if (!bundle) throw std::runtime_error(error);
  return bundle;
}

// A library that does not load would fail every check alike: one child loads
// it first, and a failure is the bundle's, as for the other commands.
void RequireLoadableLibrary(const ValidateOptions& options) {
  const std::string& folder = options.bundle;
  const CheckOutcome loaded = RunInChildProcess([&folder] { LoadForChecks(folder); }, options.timeLimitSeconds);
  if (!loaded.passed) throw Failure(ExitCode::kBundle, "cannot load bundle " + folder + ": " + loaded.detail);
}

void PrintList(std::ostream& out) {
  for (const ValidationCheck& check : ValidationChecks()) {
    out << std::left << std::setw(kNameColumn) << check.name << check.description
        << (check.productOnly ? " (Orvane only)" : "") << "\n";
  }
}

}  // namespace

ValidateOptions ParseValidateOptions(std::span<const std::string> arguments) {
  ValidateOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const auto value = [&]() -> const std::string& {
      if (i + 1 >= arguments.size()) UsageError(argument + " needs a value");
      return arguments[++i];
    };
    if (argument == "--list") {
      options.list = true;
    } else if (argument == "--only") {
      const std::string& name = value();
      if (!FindCheck(name)) UsageError("there is no check named \"" + name + "\" (auhost validate --list shows them)");
      options.only.push_back(name);
    } else if (argument == "--time-limit") {
      options.timeLimitSeconds = ParseSeconds(value());
    } else if (argument.starts_with("--")) {
      UsageError("validate has no option " + argument);
    } else if (options.bundle.empty()) {
      options.bundle = argument;
    } else {
      UsageError("validate takes one bundle, not also \"" + argument + "\"");
    }
  }
  if (!options.list && options.bundle.empty()) UsageError("validate needs a bundle");
  return options;
}

CheckOutcome RunInChildProcess(const std::function<void()>& body, double timeLimitSeconds) {
  int report[2];
  if (pipe(report) != 0) return {false, std::string("no pipe to a child process: ") + std::strerror(errno)};
  std::fflush(nullptr);
  const auto deadline =
      std::chrono::steady_clock::now() +
      std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(std::min(timeLimitSeconds, kLongestWaitSeconds)));
  const pid_t child = fork();
  if (child < 0) {
    close(report[0]);
    close(report[1]);
    return {false, std::string("no child process: ") + std::strerror(errno)};
  }
  if (child == 0) {
    close(report[0]);
    RunChild(body, report[1]);
  }
  close(report[1]);
  ChildWatch watch(child, report[0]);
  if (!watch.WaitUntil(deadline)) {
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    return {false, "did not finish within the time limit of " + FormatSeconds(timeLimitSeconds) + " and was killed"};
  }
  int status = 0;
  waitpid(child, &status, 0);
  watch.ReadReport();
  return Judge(status, watch.Report());
}

int RunValidate(std::span<const std::string> arguments, std::ostream& out) {
  const ValidateOptions options = ParseValidateOptions(arguments);
  if (options.list) {
    PrintList(out);
    return 0;
  }
  host::ComponentInfo info;
  std::string error;
  // Only the children load the library, so each starts from a clean process.
  if (!host::ReadComponentInfo(options.bundle, info, error))
    throw Failure(ExitCode::kBundle, "cannot load bundle " + options.bundle + ": " + error);
  const bool isProduct = IsProductComponent(info.description);
  RequireLoadableLibrary(options);
  const auto selected = [&](const ValidationCheck& check) {
    return options.only.empty() ||
           std::find(options.only.begin(), options.only.end(), check.name) != options.only.end();
  };

  int checks = 0;
  double audioSeconds = 0.0;
  for (const ValidationCheck& check : ValidationChecks()) {
    if (!selected(check) || (check.productOnly && !isProduct)) continue;
    ++checks;
    audioSeconds += check.audioSeconds;
  }
  out << "validating " << info.name << " (" << options.bundle << "): " << checks
      << (checks == 1 ? " check" : " checks") << ", at most " << std::lround(std::ceil(audioSeconds))
      << " s of audio, " << FormatSeconds(options.timeLimitSeconds) << " allowed per check\n"
      << std::flush;

  int passed = 0;
  int failed = 0;
  for (const ValidationCheck& check : ValidationChecks()) {
    if (!selected(check)) continue;
    if (check.productOnly && !isProduct) {
      out << "skip  " << check.name << ": only for the Orvane component\n";
      continue;
    }
    const std::string folder = options.bundle;
    const CheckOutcome outcome = RunInChildProcess(
        [&check, &folder] { RunCheckCountingObjects(check, *LoadForChecks(folder)); }, options.timeLimitSeconds);
    if (outcome.passed) {
      ++passed;
      out << "pass  " << check.name << "\n";
    } else {
      ++failed;
      out << "FAIL  " << check.name << ": " << outcome.detail << "\n";
    }
    out << std::flush;
  }
  out << passed << " passed, " << failed << " failed\n";
  return failed > 0 ? static_cast<int>(ExitCode::kComponentError) : 0;
}

}  // namespace orvane::auhost::validate
