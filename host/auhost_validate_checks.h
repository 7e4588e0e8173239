#pragma once

// The checks of `auhost validate`: each exercises one thing a demanding host
// or validator relies on, and throws CheckFailure saying what went wrong.

#include <span>
#include <string_view>

#include "host/component_bundle.h"

namespace orvane::auhost::validate {

struct ValidationCheck {
  std::string_view name;         // kebab-case, for --only
  std::string_view description;  // one line, for --list
  bool productOnly = false;      // runs through the Orvane component's state
  double audioSeconds = 0.0;     // how much audio it renders, at most
  void (*run)(const host::ComponentBundle& bundle) = nullptr;
  // Compares the live object counts itself, after a first use that may make
  // what a component keeps for the whole process.
  bool countsItsOwnObjects = false;
};

// The most audio a whole run may render, counted at 44.1 kHz, so that the
// run on the product stays short in CI's sanitizer builds too.
inline constexpr double kAudioBudgetSeconds = 30.0;

// Every check, in the order they run.
std::span<const ValidationCheck> ValidationChecks();
const ValidationCheck* FindCheck(std::string_view name);

// Runs a check in this process, failing it as well when the stand-in's live
// CoreFoundation or view-object counts differ after it from before it. The
// counts are taken after one instance was opened, rendered and closed, so
// what a component keeps for the whole process does not count. A check that
// counts its own objects is only run.
void RunCheckCountingObjects(const ValidationCheck& check, const host::ComponentBundle& bundle);

}  // namespace orvane::auhost::validate
