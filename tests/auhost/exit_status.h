#pragma once

#include "host/auhost_failure.h"

namespace orvane::auhost {

// The exit status auhost ends with for a kind of failure.
constexpr int Code(ExitCode code) {
  return static_cast<int>(code);
}

}  // namespace orvane::auhost
