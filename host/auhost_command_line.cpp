#include "host/auhost_command_line.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cmath>
#include <cstdlib>

#include "host/auhost_failure.h"

namespace orvane::auhost {
namespace {

constexpr int kMaxMidiDataByte = 127;
constexpr std::string_view kHelpWords[] = {"help", "--help", "-h"};
constexpr std::string_view kStateCommand = "state";
constexpr int kOversamplingFactors[] = {1, 2, 4, 8};

[[noreturn]] void UsageError(const std::string& message) {
  throw Failure(ExitCode::kUsage, message);
}

template <typename Integer>
std::optional<Integer> ParseWhole(std::string_view text) {
  Integer value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<double> ParseSeconds(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const std::string copy(text);
  char* end = nullptr;
  const double value = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size() || !std::isfinite(value) || value < 0.0) return std::nullopt;
  return value;
}

// Walks the arguments after the command words; options take one value each.
class ArgumentCursor {
public:
  explicit ArgumentCursor(std::span<const std::string> arguments) : mArguments(arguments) {}

  bool Done() const { return mNext >= mArguments.size(); }
  const std::string& Take() { return mArguments[mNext++]; }
  const std::string& TakeValueOf(const std::string& option) {
    if (Done()) UsageError(option + " needs a value");
    return Take();
  }

private:
  std::span<const std::string> mArguments;
  std::size_t mNext = 0;
};

bool IsHelpWord(std::string_view argument, bool asCommand) {
  const auto begin = std::begin(kHelpWords) + (asCommand ? 0 : 1);
  return std::find(begin, std::end(kHelpWords), argument) != std::end(kHelpWords);
}

double ParsePrerollSeconds(const std::string& text) {
  const auto seconds = ParseSeconds(text);
  if (!seconds || *seconds > kMaxPrerollSeconds) {
    char limit[32];
    std::snprintf(limit, sizeof limit, "%g", kMaxPrerollSeconds);
    UsageError("--preroll must be a number of seconds from 0 to " + std::string(limit) + ", not \"" + text + "\"");
  }
  return *seconds;
}

std::uint32_t ParseBlockSize(const std::string& text) {
  const auto value = ParseWhole<std::uint32_t>(text);
  if (!value || *value == 0 || *value > kMaxBlockSize)
    UsageError("--block must be a whole number from 1 to " + std::to_string(kMaxBlockSize) + ", not \"" + text +
               "\"");
  return *value;
}

int ParseOversampling(const std::string& text) {
  const auto value = ParseWhole<int>(text);
  for (const int factor : kOversamplingFactors)
    if (value == factor) return factor;
  UsageError("--oversampling must be 1, 2, 4 or 8, not \"" + text + "\"");
}

int ParseScreenScale(const std::string& text) {
  const auto value = ParseWhole<int>(text);
  for (const int scale : kScreenScales)
    if (value == scale) return scale;
  UsageError("--scale must be 1 or 2, not \"" + text + "\"");
}

// The options a command accepts; anything else is an error.
struct AcceptedOptions {
  bool render = false;    // --block, --preroll, --cc
  bool state = false;     // --state
  bool product = false;   // --design, --oversampling
  bool editor = false;    // --png, --scale, --size, --script
};

void ParseOptions(ArgumentCursor& cursor, const AcceptedOptions& accepted, std::vector<std::string>& positional,
                  CommandLine& line) {
  while (!cursor.Done()) {
    const std::string& argument = cursor.Take();
    if (argument.rfind("--", 0) != 0) {
      positional.push_back(argument);
    } else if (accepted.render && argument == "--block") {
      line.blockSize = ParseBlockSize(cursor.TakeValueOf(argument));
    } else if (accepted.render && argument == "--preroll") {
      line.prerollSeconds = ParsePrerollSeconds(cursor.TakeValueOf(argument));
    } else if (accepted.state && argument == "--state") {
      line.statePath = cursor.TakeValueOf(argument);
    } else if (accepted.render && argument == "--cc") {
      const std::string& text = cursor.TakeValueOf(argument);
      const auto change = ParseControllerChange(text);
      if (!change)
        UsageError("--cc takes CC=VALUE@SECONDS with CC and VALUE from 0 to 127 and SECONDS not negative, not \"" +
                   text + "\"");
      line.controllerChanges.push_back(*change);
    } else if (accepted.product && argument == "--design") {
      line.edits.designPath = cursor.TakeValueOf(argument);
    } else if (accepted.product && argument == "--oversampling") {
      line.edits.oversampling = ParseOversampling(cursor.TakeValueOf(argument));
    } else if (accepted.editor && argument == "--png") {
      line.pngPath = cursor.TakeValueOf(argument);
    } else if (accepted.editor && argument == "--scale") {
      line.screenScale = ParseScreenScale(cursor.TakeValueOf(argument));
    } else if (accepted.editor && argument == "--size") {
      const std::string& text = cursor.TakeValueOf(argument);
      line.editorSize = host::ParseViewSize(text);
      if (!line.editorSize)
        UsageError("--size takes WxH in points, each from 1 to " + std::to_string(host::kMaxViewSide) + ", not \"" +
                   text + "\"");
    } else if (accepted.editor && argument == "--script") {
      line.scriptPath = cursor.TakeValueOf(argument);
    } else {
      UsageError("unknown option " + argument);
    }
  }
}

void ExpectPositional(const std::vector<std::string>& positional, std::size_t count, const char* what) {
  if (positional.size() < count) UsageError(std::string("missing ") + what);
  if (positional.size() > count) UsageError("unexpected argument \"" + positional[count] + "\"");
}

}  // namespace

std::string UsageText() {
  std::string text = "usage:\n";
  for (const CommandUsage& usage : kCommandUsages) text += usage.text;
  return text + "\n" + kUsageNotes;
}

std::string VersionText() { return std::string("auhost ") + AUHOST_VERSION + "\n"; }

std::vector<std::string> SplitOptionValues(std::span<const std::string> arguments) {
  std::vector<std::string> split;
  for (const std::string& argument : arguments) {
    const auto equals = argument.find('=');
    if (argument.starts_with("--") && equals != std::string::npos) {
      split.push_back(argument.substr(0, equals));
      split.push_back(argument.substr(equals + 1));
    } else {
      split.push_back(argument);
    }
  }
  return split;
}

std::optional<std::string> RequestedUsage(std::span<const std::string> arguments) {
  if (arguments.empty()) return std::nullopt;
  if (IsHelpWord(arguments[0], true)) return UsageText();
  if (std::none_of(arguments.begin() + 1, arguments.end(), [](const std::string& a) { return IsHelpWord(a, false); }))
    return std::nullopt;
  std::string command = arguments[0];
  if (command == kStateCommand && arguments.size() > 1 && !IsHelpWord(arguments[1], false))
    command += " " + arguments[1];
  std::string text;
  for (const CommandUsage& usage : kCommandUsages)
    if (usage.command == command || usage.command.starts_with(command + " ")) text += usage.text;
  if (text.empty()) return UsageText();
  return "usage:\n" + text;
}

std::optional<ControllerChange> ParseControllerChange(std::string_view text) {
  const auto equals = text.find('=');
  const auto at = text.find('@');
  if (equals == std::string_view::npos || at == std::string_view::npos || at < equals) return std::nullopt;
  const auto controller = ParseWhole<int>(text.substr(0, equals));
  const auto value = ParseWhole<int>(text.substr(equals + 1, at - equals - 1));
  const auto seconds = ParseSeconds(text.substr(at + 1));
  if (!controller || !value || !seconds) return std::nullopt;
  if (*controller < 0 || *controller > kMaxMidiDataByte || *value < 0 || *value > kMaxMidiDataByte)
    return std::nullopt;
  return ControllerChange{*controller, *value, *seconds};
}

std::string ControllerChangeText(const ControllerChange& change) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%g", change.seconds);
  return std::to_string(change.controller) + "=" + std::to_string(change.value) + "@" + seconds;
}

CommandLine ParseCommandLine(std::span<const std::string> arguments) {
  CommandLine line;
  if (arguments.empty()) UsageError("no command given\n" + UsageText());
  const std::string& command = arguments[0];
  std::vector<std::string> positional;
  if (command == "info") {
    line.command = Command::kInfo;
    ArgumentCursor cursor(arguments.subspan(1));
    ParseOptions(cursor, {}, positional, line);
    ExpectPositional(positional, 1, "BUNDLE");
    line.bundle = positional[0];
  } else if (command == "render") {
    line.command = Command::kRender;
    ArgumentCursor cursor(arguments.subspan(1));
    ParseOptions(cursor, {.render = true, .state = true, .product = true}, positional, line);
    ExpectPositional(positional, 3, positional.empty() ? "BUNDLE, IN.wav and OUT.wav" : "IN.wav or OUT.wav");
    line.bundle = positional[0];
    line.inputPath = positional[1];
    line.outputPath = positional[2];
  } else if (command == kStateCommand) {
    if (arguments.size() < 2) UsageError("state needs \"save\" or \"show\"");
    const std::string& action = arguments[1];
    ArgumentCursor cursor(arguments.subspan(2));
    if (action == "save") {
      line.command = Command::kStateSave;
      ParseOptions(cursor, {.product = true}, positional, line);
      ExpectPositional(positional, 2, positional.empty() ? "BUNDLE and FILE" : "FILE");
      line.bundle = positional[0];
      line.statePath = positional[1];
    } else if (action == "show") {
      line.command = Command::kStateShow;
      ParseOptions(cursor, {}, positional, line);
      ExpectPositional(positional, 1, "FILE");
      line.statePath = positional[0];
    } else {
      UsageError("unknown state action \"" + action + "\" (use save or show)");
    }
  } else if (command == "editor") {
    line.command = Command::kEditor;
    ArgumentCursor cursor(arguments.subspan(1));
    ParseOptions(cursor, {.state = true, .product = true, .editor = true}, positional, line);
    ExpectPositional(positional, 1, "BUNDLE");
    if (line.pngPath.empty()) UsageError("editor needs --png FILE");
    line.bundle = positional[0];
  } else {
    UsageError("unknown command \"" + command + "\"");
  }
  return line;
}

}  // namespace orvane::auhost
