#pragma once

// The auhost command line: which command, on what, with which options.
// Parsing only checks the text; files are looked at when the command runs.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/editor_script.h"

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

enum class Command { kInfo, kRender, kStateSave, kStateShow, kEditor };

inline constexpr std::uint32_t kDefaultBlockSize = 512;
inline constexpr std::uint32_t kMaxBlockSize = 8192;
// Long enough for the Orvane component's longest start-up settle: its 1 s
// limit after a 50 ms delay, each ending on a block boundary (up to 186 ms
// apart at 44.1 kHz in blocks of 8192), then a 5 ms fade-in.
inline constexpr double kDefaultPrerollSeconds = 1.5;
inline constexpr double kMaxPrerollSeconds = 60.0;
// The backing scales of the screen an editor opens on.
inline constexpr int kScreenScales[] = {1, 2};

struct CommandLine {
  Command command = Command::kInfo;
  std::string bundle;
  std::string inputPath;   // render: the WAV to play through the component
  std::string outputPath;  // render: the WAV to write
  std::string statePath;   // state save / show: the state file; render, editor: --state
  std::string pngPath;     // editor: the image to write
  int screenScale = 1;     // editor: the main screen's backing scale
  std::optional<host::SizeStep> editorSize;  // editor: --size, in points
  std::string scriptPath;  // editor: --script
  std::uint32_t blockSize = kDefaultBlockSize;
  double prerollSeconds = kDefaultPrerollSeconds;
  std::vector<ControllerChange> controllerChanges;  // in the order given
  ProductEdits edits;
};

// One command's usage, printed by `auhost COMMAND --help`.
struct CommandUsage {
  std::string_view command;  // "render", "state save", ...
  std::string_view text;
};

inline constexpr CommandUsage kCommandUsages[] = {
    {"info",
     "  auhost info BUNDLE\n"
     "      what the component says about itself: codes, channels, formats, latency,\n"
     "      parameters, factory presets and properties\n"},
    {"render",
     "  auhost render BUNDLE IN OUT [--block N] [--preroll SECONDS] [--state FILE]\n"
     "                [--cc CC=VALUE@SECONDS ...] [--design FILE.orv] [--oversampling F]\n"
     "      plays the audio file IN through the component at its own rate into OUT\n"
     "      (.wav and .aif/.aiff as 32-bit float, .flac at 24 bits)\n"
     "      --block N         frames per render call, 1 to 8192 (512)\n"
     "      --preroll SECONDS silence played first and left out of OUT, so that the\n"
     "                        component has settled when IN starts (1.5; 0 for none)\n"
     "      --state FILE      a state saved by auhost state save\n"
     "      --cc CC=VALUE@SECONDS  a MIDI controller change at a time in IN; one at 0\n"
     "                        is sent before the pre-roll\n"
     "      --design FILE.orv, --oversampling F (1, 2, 4 or 8)\n"
     "                        the Orvane component only; they override --state\n"},
    {"state save",
     "  auhost state save BUNDLE FILE [--design FILE.orv] [--oversampling F]\n"
     "      saves the component's state as a JSON file; --design and --oversampling\n"
     "      (the Orvane component only) edit it first\n"},
    {"state show",
     "  auhost state show FILE\n"
     "      prints a state file: the component's codes and the state's bytes in base64,\n"
     "      and for the Orvane component its state document\n"},
    {"editor",
     "  auhost editor BUNDLE --png FILE [--scale 1|2] [--size WxH] [--script FILE]\n"
     "                [--state FILE] [--design FILE.orv] [--oversampling F]\n"
     "      opens the component's editor off screen as a host does, lets it settle\n"
     "      and saves what it shows as a PNG, FILE named .png; --scale is the screen's\n"
     "      backing scale (1), so 2 gives an image of twice the editor's width and height\n"
     "      --size WxH        sizes the editor's view in points first\n"
     "      --script FILE     then runs an editor script (see the README): pointer\n"
     "                        and key steps, answers for dialogs, waits and PNGs;\n"
     "                        dialogs without an answer get the safe one\n"
     "      --state, --design, --oversampling  as for render, before the editor opens\n"},
    {"validate",
     "  auhost validate BUNDLE [--only CHECK ...] [--time-limit SECONDS]\n"
     "  auhost validate --list\n"
     "      runs the validation checks (or those named), each in a process of its own\n"},
};

inline constexpr char kUsageNotes[] =
    "auhost COMMAND --help shows one command's usage; auhost --version the version.\n"
    "Options take their value as --option VALUE or --option=VALUE.\n";

// Every command's usage, then the notes.
std::string UsageText();

// `auhost --version`
std::string VersionText();

// What "help", "--help" or "-h" asks for: every usage as the first argument,
// that command's usage after a command; none when not asked.
std::optional<std::string> RequestedUsage(std::span<const std::string> arguments);

// Each "--option=value" as "--option" and "value"; other arguments as they are.
std::vector<std::string> SplitOptionValues(std::span<const std::string> arguments);

// Throws Failure with ExitCode::kUsage and a message naming what is wrong.
CommandLine ParseCommandLine(std::span<const std::string> arguments);

// "CC=VALUE@SECONDS": controller and value 0..127, seconds finite and not negative.
std::optional<ControllerChange> ParseControllerChange(std::string_view text);

// The change as --cc takes it, "7=127@3".
std::string ControllerChangeText(const ControllerChange& change);

}  // namespace orvane::auhost
