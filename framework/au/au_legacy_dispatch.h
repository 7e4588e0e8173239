#pragma once

// The legacy Component Manager calls on an open object. Each call's arguments
// sit in the parameter block's 8-byte slots after slot 0 (the instance), in
// their declared order, 32-bit ones in a slot's low half.

#include <CoreServices/CoreServices.h>

#include "framework/au/plugin_au.h"

namespace plugkit {

// Whether the legacy entry handles a selector: 1 for 1 to 17 except the old
// render-callback and the two other retired selectors, 0 for everything else.
ComponentResult LegacyCanDo(const ComponentParameters& params);

// Every selector but open, close and can-do; badComponentSelector for unknown ones.
ComponentResult DispatchLegacySelector(IPluginAU& plugin, const ComponentParameters& params);

}  // namespace plugkit
