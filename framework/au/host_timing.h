#pragma once

#include <AudioUnit/AudioUnitProperties.h>

#include "framework/plugin_processor.h"

namespace plugkit {

// The host's musical timing as its callbacks report it. Each callback is
// called only when set and only a successful call counts; whatever is not
// reported keeps the value of a fresh ITimeInfo (tempo 120, 4/4, positions -1,
// transport stopped).
ITimeInfo ReadHostTiming(const HostCallbackInfo& callbacks);

}  // namespace plugkit
