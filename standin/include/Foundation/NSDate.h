#pragma once

#include <CoreFoundation/CFDate.h>

namespace NS {

// Seconds.
typedef CFTimeInterval TimeInterval;

}  // namespace NS
