#pragma once

// The checks that reach the Orvane component through its class-info state.

#include "host/component_bundle.h"

namespace orvane::auhost::validate {

inline constexpr double kProductSettleSeconds = 1.25;
inline constexpr double kOversamplingCheckSeconds = 4 * (kProductSettleSeconds + 0.5);
inline constexpr double kControllerScriptCheckSeconds = kProductSettleSeconds + 2 * 0.5;

// Every oversampling factor renders finite, bounded output that is not silent.
void OversamplingFactors(const host::ComponentBundle& bundle);
// A design whose script binds a slider to a controller: the output level
// follows the controller.
void ControllerScript(const host::ComponentBundle& bundle);

}  // namespace orvane::auhost::validate
