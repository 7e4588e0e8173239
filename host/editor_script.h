#pragma once

// Editor scripts: what a user does to an editor, one step a line, read and
// checked whole before any component opens. Scripts come from users, so the
// reader bounds everything it keeps and refuses a bad line with its number
// and the reason.
//
// Coordinates are the view's own points, y growing downwards. Steps:
//   move X Y
//   click X Y [MODS]   rclick X Y [MODS]   dclick X Y [MODS]
//   drag X1 Y1 X2 Y2 [steps N] [MODS]
//   wheel X Y DELTA [MODS]
//   key NAME [MODS]    type "TEXT"
//   menu I [J ...]     menu dismiss
//   alert ok|cancel|yes|no|retry
//   file PATH          file cancel
//   clipboard "TEXT"
//   wait MS            size WxH            png PATH (ending in .png)
// MODS are any of shift, ctrl, alt and cmd; NAME is one printable character
// or return, tab, escape, backspace, delete, left, right, up, down, home,
// end. Texts are quoted, with \" and \\ escaped; a PATH is one word or a
// quoted text. Blank lines and lines starting with "#" are skipped.
//
// Any thread; the functions keep no state.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace orvane::host {

inline constexpr std::size_t kMaxScriptBytes = 1024 * 1024;
inline constexpr std::size_t kMaxScriptLineBytes = 4096;
// Coordinates and wheel deltas lie within plus or minus this.
inline constexpr double kMaxScriptCoordinate = 100000.0;
inline constexpr int kMaxDragSteps = 1000;
inline constexpr int kDefaultDragSteps = 10;
inline constexpr int kMaxWaitMilliseconds = 60000;
inline constexpr std::size_t kMaxScriptTextBytes = 4096;
// The largest side, in points, a script or a command line sizes a view to.
inline constexpr int kMaxViewSide = 16384;

// A set of modifier keys.
struct ScriptModifiers {
  bool shift = false;
  bool control = false;
  bool alt = false;
  bool command = false;

  bool operator==(const ScriptModifiers&) const = default;
};

struct ScriptPoint {
  double x = 0.0;
  double y = 0.0;

  bool operator==(const ScriptPoint&) const = default;
};

enum class ScriptButton { kLeft, kRight };

// Keys that type no character of their own.
enum class NamedKey { kReturn, kTab, kEscape, kBackspace, kDelete, kLeft, kRight, kUp, kDown, kHome, kEnd };

// The buttons an alert's answer names.
enum class AlertButton { kOk, kCancel, kYes, kNo, kRetry };

struct MoveStep {
  ScriptPoint at;
  bool operator==(const MoveStep&) const = default;
};
// click, rclick and dclick.
struct ClickStep {
  ScriptPoint at;
  ScriptButton button = ScriptButton::kLeft;
  bool twice = false;
  ScriptModifiers modifiers;
  bool operator==(const ClickStep&) const = default;
};
struct DragStep {
  ScriptPoint from;
  ScriptPoint to;
  int steps = kDefaultDragSteps;
  ScriptModifiers modifiers;
  bool operator==(const DragStep&) const = default;
};
struct WheelStep {
  ScriptPoint at;
  double delta = 0.0;
  ScriptModifiers modifiers;
  bool operator==(const WheelStep&) const = default;
};
// One character, or a named key.
struct KeyStep {
  std::variant<char32_t, NamedKey> key;
  ScriptModifiers modifiers;
  bool operator==(const KeyStep&) const = default;
};
struct TypeStep {
  std::string text;  // UTF-8
  bool operator==(const TypeStep&) const = default;
};
// The answer for the next menu: item indices into the menu and its
// sub-menus; empty dismisses it.
struct MenuAnswerStep {
  std::vector<long> path;
  bool operator==(const MenuAnswerStep&) const = default;
};
struct AlertAnswerStep {
  AlertButton button = AlertButton::kCancel;
  bool operator==(const AlertAnswerStep&) const = default;
};
// The answer for the next file dialog: a path as written, or none to cancel.
struct FileAnswerStep {
  std::optional<std::string> path;
  bool operator==(const FileAnswerStep&) const = default;
};
struct ClipboardStep {
  std::string text;  // UTF-8
  bool operator==(const ClipboardStep&) const = default;
};
struct WaitStep {
  int milliseconds = 0;
  bool operator==(const WaitStep&) const = default;
};
struct SizeStep {
  int width = 0;
  int height = 0;
  bool operator==(const SizeStep&) const = default;
};
struct ScreenshotStep {
  std::string path;  // as written
  bool operator==(const ScreenshotStep&) const = default;
};

using ScriptStep = std::variant<MoveStep, ClickStep, DragStep, WheelStep, KeyStep, TypeStep, MenuAnswerStep,
                                AlertAnswerStep, FileAnswerStep, ClipboardStep, WaitStep, SizeStep, ScreenshotStep>;

struct ScriptLine {
  int number = 0;  // counted from 1
  ScriptStep step;
  bool operator==(const ScriptLine&) const = default;
};

struct ScriptError {
  int line = 0;
  std::string reason;

  // "script line N: reason"
  std::string Message() const;
};

struct ScriptReading {
  std::vector<ScriptLine> steps;  // empty when refused
  std::optional<ScriptError> error;
};

ScriptReading ReadEditorScript(std::string_view text);

// "WxH", each side a whole number from 1 to kMaxViewSide; none otherwise.
std::optional<SizeStep> ParseViewSize(std::string_view text);

// Whether the path names a PNG image: it ends in ".png", in any case.
bool IsPngPath(std::string_view path);

// The name a script gives the button ("ok", "cancel", ...).
std::string_view AlertButtonName(AlertButton button);

}  // namespace orvane::host
