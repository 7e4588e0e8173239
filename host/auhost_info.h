#pragma once

// `auhost info`: what a component says about itself.

#include <AudioUnit/AudioUnit.h>

#include <ostream>
#include <string>

#include "host/component_bundle.h"

namespace orvane::auhost {

// The bundle's description, then what the open instance answers: channel
// configurations, bus counts and formats, latency, tail, parameters, factory
// presets and the global-scope properties it answers.
void PrintComponentInfo(const host::ComponentInfo& info, AudioUnit unit, std::ostream& out);

}  // namespace orvane::auhost
