#pragma once

// The auhost command line: which command, on what, with which options.
// Parsing only checks the text; files are looked at when the command runs.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::auhost {

// A MIDI controller change sent to the component at a point of the input.
struct ControllerChange {
  int controller = 0;  // 0..127
  int value = 0;       // 0..127
  double seconds = 0.0;

  bool operator==(const ControllerChange&) const = default;
};

// The options that only the product understands (they edit its state).
struct ProductEdits {
  std::optional<std::string> designPath;
  std::optional<int> oversampling;  // 1, 2, 4 or 8

  bool Any() const { return designPath.has_value() || oversampling.has_value(); }
  bool operator==(const ProductEdits&) const = default;
};

enum class Command { kHelp, kInfo, kRender, kStateSave, kStateShow };

inline constexpr std::uint32_t kDefaultBlockSize = 512;
inline constexpr std::uint32_t kMaxBlockSize = 8192;

struct CommandLine {
  Command command = Command::kHelp;
  std::string bundle;
  std::string inputPath;   // render: the WAV to play through the component
  std::string outputPath;  // render: the WAV to write
  std::string statePath;   // state save / show: the state file; render: --state
  std::uint32_t blockSize = kDefaultBlockSize;
  std::vector<ControllerChange> controllerChanges;  // in the order given
  ProductEdits edits;
};

inline constexpr char kUsageText[] =
    "usage:\n"
    "  auhost info BUNDLE\n"
    "  auhost render BUNDLE IN.wav OUT.wav [--block N] [--state FILE] [--cc CC=VALUE@SECONDS ...]\n"
    "                [--design FILE.orv] [--oversampling F]\n"
    "  auhost state save BUNDLE FILE [--design FILE.orv] [--oversampling F]\n"
    "  auhost state show FILE\n"
    "  auhost validate BUNDLE [--only CHECK] [--time-limit SECONDS]\n"
    "  auhost validate --list\n"
    "\n"
    "--design and --oversampling (1, 2, 4 or 8) apply to the Orvane component only.\n";

// Throws Failure with ExitCode::kUsage and a message naming what is wrong.
CommandLine ParseCommandLine(std::span<const std::string> arguments);

// "CC=VALUE@SECONDS": controller and value 0..127, seconds finite and not negative.
std::optional<ControllerChange> ParseControllerChange(std::string_view text);

}  // namespace orvane::auhost
